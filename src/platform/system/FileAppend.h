#pragma once

#include <string>
#include <string_view>

namespace qorprt {

// Appends `bytes` to the file at `path` with one write and closes it again. The file is never
// created: when it does not exist or cannot be opened for writing, nothing happens and the result
// is false. Because the file is opened for appending, the bytes of one call land together at the
// end of the file even while other processes append to it. Never blocks on a named pipe without
// a reader. The result says whether every byte was written.
bool AppendToExistingFile(const std::string& path, std::string_view bytes) noexcept;

} // namespace qorprt
