#pragma once

#include <cstdint>
#include <string_view>

namespace qorprt {

// Whether important log lines also go to standard error: when standard error is the journal
// stream systemd gave a service (JOURNAL_STREAM names its device and inode) or a terminal. Then
// `journalctl --user -u qorprt` and the terminal show what the log file would, also when nobody
// created the log file. `journalStream` is the value of JOURNAL_STREAM, null when it is unset.
bool StandardErrorIsWatched(const char* journalStream, int fd);

// Writes a finished log line of level 10 or more to standard error in one write, with a plain
// line feed, when standard error is watched (decided once per process). Never throws.
void CopyLogLineToStandardError(int32_t level, std::string_view line) noexcept;

} // namespace qorprt
