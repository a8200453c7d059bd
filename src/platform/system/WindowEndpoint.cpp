#include "platform/system/WindowEndpoint.h"

#include "platform/system/WindowWire.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace qorprt {

namespace {

using Clock = std::chrono::steady_clock;

// A client has this long to send its request; a silent one is dropped after it.
constexpr auto kRequestTime = std::chrono::milliseconds(1000);
// At most this many connections wait for their request; a further one drops the oldest.
constexpr size_t kMaxOpenConnections = 64;

std::string SystemError(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

bool FillAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

void Signal(const UniqueFd& eventFd) {
    const uint64_t one = 1;
    (void)!::write(eventFd.Get(), &one, sizeof one);
}

void Drain(const UniqueFd& eventFd) {
    uint64_t count = 0;
    (void)!::read(eventFd.Get(), &count, sizeof count);
}

// A connection whose request is still coming in.
struct Incoming {
    UniqueFd connection;
    std::array<char, wire::kRequestSize> bytes{};
    size_t got = 0;
    Clock::time_point deadline;
    UniqueFd attached;
};

} // namespace

Expected<std::unique_ptr<WindowEndpoint>>
WindowEndpoint::Open(const std::string& folder, std::string title, Acceptor acceptor) {
    static std::atomic<unsigned> counter{0};
    const std::string base = folder + "window-" + std::to_string(::getpid()) + "-";
    UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!listener.Valid()) return Fail(SystemError("socket", errno));

    // The socket is bound and listening under a name no client looks at and only then gets its
    // real name, so that no client ever finds it refusing connections and takes it for dead.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string stem = base + std::to_string(counter++);
        const std::string setupPath = stem + ".new";
        const std::string finalPath = stem + ".sock";
        sockaddr_un address{};
        if (!FillAddress(finalPath, address))
            return Fail(finalPath + ": path too long for a socket");
        FillAddress(setupPath, address);
        if (::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
            0) {
            if (errno == EADDRINUSE) continue;
            return Fail(SystemError(setupPath, errno));
        }
        if (::chmod(setupPath.c_str(), 0600) != 0 || ::listen(listener.Get(), SOMAXCONN) != 0 ||
            ::renameat2(AT_FDCWD, setupPath.c_str(), AT_FDCWD, finalPath.c_str(),
                        RENAME_NOREPLACE) != 0) {
            const int error = errno;
            ::unlink(setupPath.c_str());
            if (error == EEXIST) {
                // A leftover of an earlier process with our id: start over on a fresh socket.
                listener =
                    UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
                if (!listener.Valid()) return Fail(SystemError("socket", errno));
                continue;
            }
            return Fail(SystemError(finalPath, error));
        }
        auto endpoint = std::make_unique<WindowEndpoint>(Key(), std::move(listener), finalPath,
                                                         std::move(title), std::move(acceptor));
        if (!endpoint->notify_.Valid() || !endpoint->stop_.Valid())
            return Fail(SystemError("eventfd", errno));
        struct stat info {};
        if (::lstat(finalPath.c_str(), &info) == 0) {
            endpoint->socketDevice_ = info.st_dev;
            endpoint->socketInode_ = info.st_ino;
        }
        endpoint->server_ = std::thread(&WindowEndpoint::Serve, endpoint.get());
        return endpoint;
    }
    return Fail(base + "*: no free socket name");
}

WindowEndpoint::WindowEndpoint(Key, UniqueFd listener, std::string socketPath, std::string title,
                               Acceptor acceptor)
    : listener_(std::move(listener)), notify_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
      stop_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), socketPath_(std::move(socketPath)),
      acceptor_(std::move(acceptor)), title_(std::move(title)) {}

WindowEndpoint::~WindowEndpoint() {
    if (server_.joinable()) {
        Signal(stop_);
        server_.join();
    }
    // Remove the name only while it is still our socket, never a newer instance's.
    struct stat info {};
    if (::lstat(socketPath_.c_str(), &info) == 0 && info.st_dev == socketDevice_ &&
        info.st_ino == socketInode_)
        ::unlink(socketPath_.c_str());
    std::lock_guard lock(mutex_);
    for (const Waiting& waiting : waiting_)
        Answer(waiting.connection, 0);
}

void WindowEndpoint::SetTitle(std::string title) {
    std::lock_guard lock(mutex_);
    title_ = std::move(title);
}

std::string WindowEndpoint::Title() const {
    std::lock_guard lock(mutex_);
    return title_;
}

void WindowEndpoint::SetAccepting(bool accepting) {
    std::lock_guard lock(acceptMutex_);
    accepting_.store(accepting);
}

void WindowEndpoint::Answer(const UniqueFd& connection, int64_t result) {
    (void)wire::WriteAll(connection.Get(), &result, sizeof result);
}

bool WindowEndpoint::TakeWaiting(Waiting& next) {
    std::lock_guard lock(mutex_);
    if (waiting_.empty()) return false;
    next = std::move(waiting_.front());
    waiting_.pop_front();
    return true;
}

void WindowEndpoint::HandlePending(const Handler& handler) {
    Drain(notify_);
    Waiting next;
    while (TakeWaiting(next)) {
        // The message leaves the queue before the handler runs: a nested call takes the next one.
        const int64_t result = accepting_.load() && handler ? handler(next.message) : 0;
        Answer(next.connection, result);
        next.connection = UniqueFd();
    }
}

void WindowEndpoint::Serve() {
    std::vector<Incoming> incoming;
    std::vector<pollfd> polled;
    for (;;) {
        polled.assign({{stop_.Get(), POLLIN, 0}, {listener_.Get(), POLLIN, 0}});
        auto wake = Clock::time_point::max();
        for (const Incoming& client : incoming) {
            polled.push_back({client.connection.Get(), POLLIN, 0});
            wake = std::min(wake, client.deadline);
        }
        int wait = -1;
        if (wake != Clock::time_point::max()) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(wake - Clock::now());
            wait = static_cast<int>(std::max<int64_t>(left.count() + 1, 0));
        }
        if (::poll(polled.data(), polled.size(), wait) < 0 && errno != EINTR) return;
        if (polled[0].revents != 0) return;

        // Read what the waiting clients sent; a connection leaves `incoming` once it is decided.
        const auto now = Clock::now();
        std::vector<Incoming> still;
        for (size_t i = 0; i < incoming.size(); ++i) {
            Incoming& client = incoming[i];
            const short events = polled[i + 2].revents;
            if (events != 0) {
                int attached = client.attached.Release();
                const ssize_t got =
                    wire::ReceiveWithFd(client.connection.Get(), client.bytes.data() + client.got,
                                        client.bytes.size() - client.got, attached);
                client.attached = UniqueFd(attached);
                if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
                    still.push_back(std::move(client));
                    continue;
                }
                if (got <= 0) continue; // gone, or broken: drop it
                client.got += static_cast<size_t>(got);
                if (client.got < client.bytes.size()) {
                    if (now < client.deadline) still.push_back(std::move(client));
                    continue;
                }
                const std::optional<wire::Request> request = wire::DecodeRequest(client.bytes);
                if (!request) continue; // garbage
                if (request->kind == wire::RequestKind::Title) {
                    std::string title = Title();
                    if (title.size() > wire::kMaxTitleBytes) title.resize(wire::kMaxTitleBytes);
                    const auto length = static_cast<uint32_t>(title.size());
                    std::string answer(sizeof length, '\0');
                    std::memcpy(answer.data(), &length, sizeof length);
                    answer += title;
                    (void)wire::WriteAll(client.connection.Get(), answer.data(), answer.size());
                } else if (acceptor_) {
                    int64_t result = 0;
                    {
                        std::lock_guard lock(acceptMutex_);
                        const int connection = client.connection.Get();
                        const auto waiting = [connection] {
                            pollfd peer{connection, POLLRDHUP, 0};
                            return ::poll(&peer, 1, 0) == 0;
                        };
                        if (accepting_.load())
                            result =
                                acceptor_(request->message, std::move(client.attached), waiting);
                    }
                    Answer(client.connection, result);
                } else if (!accepting_.load()) {
                    Answer(client.connection, 0);
                } else {
                    std::lock_guard lock(mutex_);
                    waiting_.push_back({std::move(client.connection), request->message});
                    Signal(notify_);
                }
                continue;
            }
            if (now < client.deadline) still.push_back(std::move(client));
        }
        incoming = std::move(still);

        if (polled[1].revents != 0) {
            for (;;) {
                UniqueFd connection(
                    ::accept4(listener_.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
                if (!connection.Valid()) {
                    if (errno == EINTR || errno == ECONNABORTED) continue;
                    if ((errno == EMFILE || errno == ENFILE) && !incoming.empty()) {
                        // Out of descriptors: the oldest unfinished client makes room.
                        incoming.erase(incoming.begin());
                        continue;
                    }
                    if (errno == EMFILE || errno == ENFILE)
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    break;
                }
                if (!wire::PeerIsSameUser(connection.Get())) continue; // closed unanswered
                if (incoming.size() >= kMaxOpenConnections) incoming.erase(incoming.begin());
                incoming.push_back(
                    {std::move(connection), {}, 0, Clock::now() + kRequestTime, UniqueFd()});
            }
        }
    }
}

} // namespace qorprt
