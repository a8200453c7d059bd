#include "platform/system/SignalPipe.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace qorprt {

namespace {

std::atomic<int> signalWriteFd{-1};

extern "C" void OnTerminationSignal(int signal) {
    const int saved = errno;
    const int fd = signalWriteFd.load();
    const char byte = static_cast<char>(signal);
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
    return DrainSignalFd(read_);
}

int DrainSignalFd(int fd) {
    int last = 0;
    char buffer[64];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            last = buffer[got - 1];
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        return last;
    }
}

SignalPipe& TerminationSignals() {
    static SignalPipe pipe;
    return pipe;
}

void EndBySignal(int signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);
}

} // namespace qorprt
