#pragma once

#include "platform/system/Expected.h"

#include <string>
#include <string_view>
#include <sys/types.h>

namespace qorprt {

// The file-system path of an 8-bit (Windows-1252) file name.
std::string FileSystemPath(std::string_view ansiName);

// A file descriptor that closes itself.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd();

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_ = -1;
};

// Opens an existing regular file for reading; invalid when it does not exist or is no file.
UniqueFd OpenForReading(std::string_view ansiName);

// Replaces the file at `path` (a file-system path) with `text`: written to a new file of this
// write's own beside it, given `mode`, and renamed over the old one, so that readers see the old
// file or the new one, never a part, and two writers at once never write into each other's
// file. The folder must exist. On failure the old file stays and the new one is removed.
Status ReplaceFileContents(const std::string& path, std::string_view text, mode_t mode);

} // namespace qorprt
