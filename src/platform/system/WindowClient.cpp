#include "platform/system/WindowClient.h"

#include "platform/system/Files.h"
#include "platform/system/PrivateFolder.h"
#include "platform/system/WindowWire.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace qorprt {

namespace {

// How long a title request may take: a live instance answers it from a thread of its own
// within microseconds, so only a stopped or hung process reaches it.
constexpr int kTitleTimeoutMs = 2000;

enum class ConnectResult { Connected, Dead, Unreachable };

// Connects to the socket; `timeoutMs` bounds the wait for a full backlog (negative: no bound).
ConnectResult Connect(const std::string& path, int timeoutMs, UniqueFd& connection) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return ConnectResult::Unreachable;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    connection = UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!connection.Valid()) return ConnectResult::Unreachable;
    if (timeoutMs >= 0) {
        const timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
        ::setsockopt(connection.Get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    }
    int status;
    do {
        status = ::connect(connection.Get(), reinterpret_cast<const sockaddr*>(&address),
                           sizeof address);
    } while (status != 0 && errno == EINTR);
    if (status != 0) {
        const bool dead = errno == ECONNREFUSED;
        connection = UniqueFd();
        return dead ? ConnectResult::Dead : ConnectResult::Unreachable;
    }
    // Only an instance of our own user is a window of ours.
    if (!wire::PeerIsSameUser(connection.Get())) {
        connection = UniqueFd();
        return ConnectResult::Unreachable;
    }
    return ConnectResult::Connected;
}

bool SendRequest(const UniqueFd& connection, const wire::Request& request) {
    const auto bytes = wire::EncodeRequest(request);
    return wire::WriteAll(connection.Get(), bytes.data(), bytes.size());
}

std::optional<std::string> ReadTitle(const UniqueFd& connection) {
    if (!SendRequest(connection, {wire::RequestKind::Title, {}})) return std::nullopt;
    uint32_t length = 0;
    if (!wire::ReadAll(connection.Get(), &length, sizeof length, kTitleTimeoutMs) ||
        length > wire::kMaxTitleBytes)
        return std::nullopt;
    std::string title(length, '\0');
    if (!wire::ReadAll(connection.Get(), title.data(), title.size(), kTitleTimeoutMs))
        return std::nullopt;
    return title;
}

// The instance sockets in the folder, in name order.
std::vector<std::string> SocketNames(const std::string& folder) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name.starts_with("window-") && name.ends_with(".sock")) names.emplace_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveDeadSocket(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) && info.st_uid == ::geteuid())
        ::unlink(path.c_str());
}

} // namespace

std::optional<WindowHandle> FindWindowInFolder(const std::string& folder, std::string_view title) {
    std::string prefix = folder;
    if (!prefix.empty() && prefix.back() != '/') prefix += '/';
    for (const std::string& name : SocketNames(prefix)) {
        const std::string path = prefix + name;
        UniqueFd connection;
        const ConnectResult result = Connect(path, kTitleTimeoutMs, connection);
        if (result == ConnectResult::Dead) RemoveDeadSocket(path);
        if (result != ConnectResult::Connected) continue;
        if (const auto current = ReadTitle(connection); current && *current == title)
            return WindowHandle{path};
    }
    return std::nullopt;
}

std::optional<WindowHandle> FindWindowByTitle(std::string_view title) {
    const Expected<std::string> folder = InstanceFolder();
    if (!folder) return std::nullopt;
    return FindWindowInFolder(*folder, title);
}

std::optional<std::string> GetWindowTitle(const WindowHandle& window) {
    UniqueFd connection;
    if (Connect(window.socketPath, kTitleTimeoutMs, connection) != ConnectResult::Connected)
        return std::nullopt;
    return ReadTitle(connection);
}

UniqueFd PostWindowMessage(const WindowHandle& window, const WindowMessage& message, int attached) {
    UniqueFd connection;
    if (Connect(window.socketPath, -1, connection) != ConnectResult::Connected) return {};
    const auto bytes = wire::EncodeRequest({wire::RequestKind::Message, message});
    if (!wire::WriteAllWithFd(connection.Get(), bytes.data(), bytes.size(), attached)) return {};
    return connection;
}

WindowAnswer WaitForWindowAnswer(const UniqueFd& connection, int timeoutMs, int wakeFd) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int wait = -1;
        if (timeoutMs >= 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) return {WindowAnswer::Kind::TimedOut};
            wait = static_cast<int>(left.count());
        }
        pollfd polled[2] = {{connection.Get(), POLLIN, 0}, {wakeFd, POLLIN, 0}};
        const int ready = ::poll(polled, wakeFd >= 0 ? 2 : 1, wait);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return {WindowAnswer::Kind::Lost};
        if (ready == 0) continue; // the deadline is checked above
        if (polled[0].revents != 0) {
            int64_t result = 0;
            // The answer is eight bytes written at once: once readable, it is all there.
            if (!wire::ReadAll(connection.Get(), &result, sizeof result, 1000))
                return {WindowAnswer::Kind::Lost};
            return {WindowAnswer::Kind::Answered, result};
        }
        if (wakeFd >= 0 && polled[1].revents != 0) return {WindowAnswer::Kind::Woken};
    }
}

int64_t SendWindowMessage(const WindowHandle& window, const WindowMessage& message) {
    UniqueFd connection;
    if (Connect(window.socketPath, -1, connection) != ConnectResult::Connected) return 0;
    if (!SendRequest(connection, {wire::RequestKind::Message, message})) return 0;
    int64_t result = 0;
    if (!wire::ReadAll(connection.Get(), &result, sizeof result, -1)) return 0;
    return result;
}

} // namespace qorprt
