#pragma once

#include <string>
#include <string_view>

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

} // namespace qorprt
