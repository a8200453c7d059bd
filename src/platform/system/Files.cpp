#include "platform/system/Files.h"

#include "platform/text/Encoding.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorprt {

std::string FileSystemPath(std::string_view ansiName) {
    return Cp1252ToUtf8(ansiName);
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.Release();
    }
    return *this;
}

UniqueFd::~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
}

UniqueFd OpenForReading(std::string_view ansiName) {
    const std::string path = FileSystemPath(ansiName);
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return UniqueFd();
    return fd;
}

} // namespace qorprt
