#pragma once

#include <functional>
#include <string>

namespace qorprt {

// A job that was not printed, or an output that could not be written, must reach the user, not
// only the log: the program registers a sink (the tray icon) and every failure point reports here.
// `file` names the job's file or the output that failed, `reason` says why; both UTF-8.
using FailureNoticeSink = std::function<void(const std::string& file, const std::string& reason)>;

// Hands the failure to the registered sink; without one it does nothing. Never throws.
void NoticeFailure(const std::string& file, const std::string& reason) noexcept;

// Registers the sink; an empty function removes it.
void SetFailureNoticeSink(FailureNoticeSink sink);

} // namespace qorprt
