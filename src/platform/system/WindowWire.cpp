#include "platform/system/WindowWire.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

namespace qorprt::wire {

namespace {

constexpr std::array<char, 4> kMagic = {'Q', 'P', 'H', '1'};

template <class T> void Put(std::array<char, kRequestSize>& out, size_t offset, T value) {
    std::memcpy(out.data() + offset, &value, sizeof value);
}

template <class T> T Get(const std::array<char, kRequestSize>& in, size_t offset) {
    T value;
    std::memcpy(&value, in.data() + offset, sizeof value);
    return value;
}

} // namespace

std::array<char, kRequestSize> EncodeRequest(const Request& request) {
    std::array<char, kRequestSize> out{};
    std::memcpy(out.data(), kMagic.data(), kMagic.size());
    Put(out, 4, static_cast<uint32_t>(request.kind));
    Put(out, 8, request.message.number);
    Put(out, 16, request.message.wParam);
    Put(out, 24, request.message.lParam);
    return out;
}

std::optional<Request> DecodeRequest(const std::array<char, kRequestSize>& bytes) {
    if (std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) != 0) return std::nullopt;
    const auto kind = Get<uint32_t>(bytes, 4);
    if (kind != static_cast<uint32_t>(RequestKind::Title) &&
        kind != static_cast<uint32_t>(RequestKind::Message))
        return std::nullopt;
    Request request;
    request.kind = static_cast<RequestKind>(kind);
    request.message.number = Get<uint32_t>(bytes, 8);
    request.message.wParam = Get<uint64_t>(bytes, 16);
    request.message.lParam = Get<int64_t>(bytes, 24);
    return request;
}

bool PeerIsSameUser(int fd) {
    struct ucred peer {};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && size == sizeof peer &&
           peer.uid == ::geteuid();
}

bool WriteAllWithFd(int fd, const void* bytes, size_t size, int attached) {
    if (attached < 0) return WriteAll(fd, bytes, size);
    // The descriptor travels with the first byte; the rest follows as plain data.
    iovec first{const_cast<void*>(bytes), 1};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = &first;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(header), &attached, sizeof attached);
    for (;;) {
        const ssize_t sent = ::sendmsg(fd, &message, MSG_NOSIGNAL);
        if (sent == 1) break;
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && errno == EAGAIN) {
            pollfd out{fd, POLLOUT, 0};
            if (::poll(&out, 1, -1) < 0 && errno != EINTR) return false;
            continue;
        }
        return false;
    }
    return WriteAll(fd, static_cast<const char*>(bytes) + 1, size - 1);
}

ssize_t ReceiveWithFd(int fd, void* bytes, size_t size, int& attached) {
    iovec into{bytes, size};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 4)] = {};
    msghdr message{};
    message.msg_iov = &into;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t got = ::recvmsg(fd, &message, MSG_CMSG_CLOEXEC);
    if (got < 0) return got;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS) continue;
        const size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (size_t i = 0; i < count; ++i) {
            int received = -1;
            std::memcpy(&received, CMSG_DATA(header) + i * sizeof(int), sizeof received);
            if (attached < 0)
                attached = received;
            else
                ::close(received);
        }
    }
    return got;
}

bool WriteAll(int fd, const void* bytes, size_t size) {
    const char* next = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t sent = ::send(fd, next, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && errno == EAGAIN) {
            pollfd out{fd, POLLOUT, 0};
            if (::poll(&out, 1, -1) < 0 && errno != EINTR) return false;
            continue;
        }
        if (sent <= 0) return false;
        next += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

bool ReadAll(int fd, void* bytes, size_t size, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char* next = static_cast<char*>(bytes);
    while (size > 0) {
        int wait = -1;
        if (timeoutMs >= 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) return false;
            wait = static_cast<int>(left.count());
        }
        pollfd in{fd, POLLIN, 0};
        const int ready = ::poll(&in, 1, wait);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        const ssize_t got = ::recv(fd, next, size, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got <= 0) return false;
        next += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

} // namespace qorprt::wire
