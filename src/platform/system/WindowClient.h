#pragma once

#include "platform/system/Files.h"
#include "platform/system/WindowMessages.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qorprt {

// The window of a running instance, as a client reaches it: the path of its socket.
struct WindowHandle {
    std::string socketPath;
};

// The first window (in the order of the socket names) in `folder` whose title is `title`, asking
// every instance socket there. Sockets that refuse the connection belong to ended instances and
// are removed; sockets of another user, and instances that do not answer within a few seconds,
// are skipped.
std::optional<WindowHandle> FindWindowInFolder(const std::string& folder, std::string_view title);

// The same in this user's instance folder (InstanceFolder); nothing when that folder cannot be
// had.
std::optional<WindowHandle> FindWindowByTitle(std::string_view title);

// The window's current title; nothing when it does not answer (within a few seconds), is gone,
// or belongs to another user.
std::optional<std::string> GetWindowTitle(const WindowHandle& window);

// Sends the message, with the descriptor `attached` passed along, and returns the connection on
// which the answer will come; invalid when the window is gone or belongs to another user.
UniqueFd PostWindowMessage(const WindowHandle& window, const WindowMessage& message, int attached);

// How the wait for an answer ended.
struct WindowAnswer {
    enum class Kind { Answered, TimedOut, Woken, Lost } kind = Kind::Lost;
    int64_t result = 0; // when answered
};
// Waits on the connection PostWindowMessage gave for the handler's result: at most `timeoutMs`
// (negative: as long as the window lives), and only until `wakeFd` (when not negative) becomes
// readable.
WindowAnswer WaitForWindowAnswer(const UniqueFd& connection, int timeoutMs, int wakeFd);

// Sends the message and waits, without a time-out, for the window's handler to give its result.
// 0 when the window is gone, belongs to another user, or ends before it answers.
int64_t SendWindowMessage(const WindowHandle& window, const WindowMessage& message);

} // namespace qorprt
