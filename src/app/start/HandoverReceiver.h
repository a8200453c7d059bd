#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qorprt {

// The receiving end of a handover message (wParam: bytes written, lParam: the key): opens the
// block named after the key, copies wParam bytes but never more than the block holds, and
// closes it again. The result is the job command line (Windows-1252) up to the first NUL, or
// nothing (the message's result is then 0) when the block does not exist, belongs to another
// user, cannot be mapped, or the message says nothing was written. Logs nothing.
std::optional<std::string> ReadHandoverJob(uint64_t wParam, int64_t lParam);

} // namespace qorprt
