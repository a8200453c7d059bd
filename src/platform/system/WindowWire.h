#pragma once

// What travels over an instance socket, shared by the window endpoint and its clients. One
// request per connection: the client sends a request frame and reads the answer; then both close.
//
//   request: "QPH1", kind (u32), message number (u32), reserved (u32), wParam (u64), lParam (i64)
//   answer to a title request:   length (u32, at most kMaxTitleBytes), then the title's bytes
//   answer to a message request: the handler's result (i64)
//
// Integers in the machine's byte order: both ends run on the same machine.

#include "platform/system/WindowMessages.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <sys/types.h>

namespace qorprt::wire {

enum class RequestKind : uint32_t { Title = 1, Message = 2 };

struct Request {
    RequestKind kind = RequestKind::Title;
    WindowMessage message;
};

inline constexpr size_t kRequestSize = 32;
inline constexpr size_t kMaxTitleBytes = 1024;

std::array<char, kRequestSize> EncodeRequest(const Request& request);
// The request in `bytes`; nothing when they are no request of this protocol.
std::optional<Request> DecodeRequest(const std::array<char, kRequestSize>& bytes);

// Whether the process at the other end of the connected Unix socket runs as this user.
bool PeerIsSameUser(int fd);

// Writes all bytes (never raising SIGPIPE), the descriptor `attached` (when not negative) passed
// along with the first of them; false when the peer is gone.
bool WriteAllWithFd(int fd, const void* bytes, size_t size, int attached);

// Receives up to `size` bytes like recv(); a descriptor passed along with them is stored in
// `attached` (close-on-exec) unless it already holds one, in which case the new one is closed.
ssize_t ReceiveWithFd(int fd, void* bytes, size_t size, int& attached);

// Writes all bytes (never raising SIGPIPE); false when the peer is gone.
bool WriteAll(int fd, const void* bytes, size_t size);

// Reads exactly `size` bytes; false on end of file, an error or, when timeoutMs is not negative,
// when they have not all arrived within that many milliseconds. A negative timeout waits as
// long as the peer lives.
bool ReadAll(int fd, void* bytes, size_t size, int timeoutMs);

} // namespace qorprt::wire
