#pragma once

#include "platform/system/Expected.h"

#include <string>
#include <string_view>
#include <sys/types.h>

namespace qorprt {

// The file-system path of a file name as a job or the program writes it (UTF-8, or any bytes the
// file system holds). A "file://" URL, which the launcher writes for names that a job command
// line cannot carry plainly (double quotes, blanks beyond the quoting limit, control characters,
// invalid UTF-8), is decoded into the path it names.
std::string FileSystemPath(std::string_view name);

// The name written as a "file://" URL: every byte that is not printable ASCII and not part of a
// valid UTF-8 sequence, and blank, '"', '%' and '\\', as %XX.
std::string FileUrl(std::string_view absolutePath);

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

// Opens an existing regular file for reading without ever blocking: a named pipe, a device, a
// socket or a folder is refused before anything is read from it. The failure says why, in
// German, for the log ("existiert nicht", "ist eine benannte Pipe, keine Datei", ...).
Expected<UniqueFd> OpenRegularFile(std::string_view name);
inline constexpr const char* kMissingFile = "existiert nicht";

// Whether `name` is an existing regular file; otherwise the reason, as OpenRegularFile gives it.
Status CheckRegularFile(std::string_view name);

// Replaces the file at `path` (a file-system path) with `text`: written to a new file of this
// write's own beside it, given `mode`, and renamed over the old one, so that readers see the old
// file or the new one, never a part, and two writers at once never write into each other's
// file. The folder must exist. On failure the old file stays and the new one is removed.
Status ReplaceFileContents(const std::string& path, std::string_view text, mode_t mode);

} // namespace qorprt
