#include "platform/system/SignalPipe.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace qorprt {

namespace {

std::atomic<int> signalWriteFd{-1};

extern "C" void OnTerminationSignal(int) {
    const int saved = errno;
    const int fd = signalWriteFd.load();
    const char byte = 1;
    if (fd >= 0) (void)!::write(fd, &byte, 1);
    errno = saved;
}

} // namespace

SignalPipe::SignalPipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    read_ = fds[0];
    write_ = fds[1];
    signalWriteFd.store(write_);
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

SignalPipe::~SignalPipe() {
    if (write_ < 0) return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    signalWriteFd.store(-1);
    ::close(read_);
    ::close(write_);
}

int SignalPipe::Drain() {
    int count = 0;
    char buffer[64];
    for (;;) {
        const ssize_t got = ::read(read_, buffer, sizeof buffer);
        if (got > 0) {
            count += static_cast<int>(got);
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        return count;
    }
}

} // namespace qorprt
