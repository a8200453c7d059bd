#include "platform/system/Files.h"

#include "platform/text/Encoding.h"

#include <cerrno>
#include <cstring>
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

Status ReplaceFileContents(const std::string& path, std::string_view text, mode_t mode) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return Fail("cannot write " + path + ": " + std::strerror(errno));
    auto failed = [&](const char* what, int error) {
        ::unlink(temp.c_str());
        return Fail(std::string(what) + " " + path + ": " + std::strerror(error));
    };
    for (size_t done = 0; done < text.size();) {
        const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            const int error = put < 0 ? errno : EIO;
            ::close(fd);
            return failed("cannot write", error);
        }
        done += static_cast<size_t>(put);
    }
    const int modeError = ::fchmod(fd, mode) == 0 ? 0 : errno;
    if (::close(fd) != 0 || modeError != 0)
        return failed("cannot write", modeError != 0 ? modeError : errno);
    if (::rename(temp.c_str(), path.c_str()) != 0) return failed("cannot replace", errno);
    return Ok();
}

} // namespace qorprt
