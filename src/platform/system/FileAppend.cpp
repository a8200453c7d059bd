#include "platform/system/FileAppend.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace qorprt {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return fd_; }

private:
    int fd_;
};

} // namespace

bool AppendToExistingFile(const std::string& path, std::string_view bytes) noexcept {
    // No O_CREAT: the file's presence is what switches the writing on.
    const FileDescriptor fd(
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.Get() < 0) return false;
    ssize_t written = 0;
    do {
        written = ::write(fd.Get(), bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    return written >= 0 && static_cast<size_t>(written) == bytes.size();
}

} // namespace qorprt
