#include "platform/system/Files.h"

#include "platform/text/Encoding.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorprt {

namespace {

constexpr std::string_view kFileUrlPrefix = "file://";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string Reason(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return kMissingFile;
    case EACCES:
    case EPERM:
        return "keine Leseberechtigung";
    default:
        return std::strerror(error);
    }
}

std::string NotRegularReason(mode_t mode) {
    if (S_ISDIR(mode)) return "ist ein Ordner, keine Datei";
    if (S_ISFIFO(mode)) return "ist eine benannte Pipe, keine Datei";
    if (S_ISSOCK(mode)) return "ist ein Socket, keine Datei";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "ist ein Gerät, keine Datei";
    return "ist keine gewöhnliche Datei";
}

} // namespace

std::string FileSystemPath(std::string_view name) {
    if (!name.starts_with(kFileUrlPrefix)) return std::string(name);
    std::string path;
    const std::string_view rest = name.substr(kFileUrlPrefix.size());
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 &&
            HexValue(rest[i + 2]) >= 0) {
            path += static_cast<char>(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2]));
            i += 2;
        } else {
            path += rest[i];
        }
    }
    return path;
}

std::string FileUrl(std::string_view absolutePath) {
    return std::string(kFileUrlPrefix) + EscapeBytes(absolutePath, "%", [](unsigned char c) {
               return c <= 0x20 || c == 0x7F || c == '"' || c == '%' || c == '\\';
           });
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

Expected<UniqueFd> OpenRegularFile(std::string_view name) {
    const std::string path = FileSystemPath(name);
    // O_NONBLOCK: opening a named pipe must not wait for a writer. Nothing is read before the
    // descriptor is known to be a regular file, for which the flag changes nothing.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.Valid()) return Fail(Reason(errno));
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) return Fail(Reason(errno));
    if (!S_ISREG(info.st_mode)) return Fail(NotRegularReason(info.st_mode));
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags >= 0) (void)::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

Status CheckRegularFile(std::string_view name) {
    struct stat info {};
    if (::stat(FileSystemPath(name).c_str(), &info) != 0) return Fail(Reason(errno));
    if (!S_ISREG(info.st_mode)) return Fail(NotRegularReason(info.st_mode));
    return Ok();
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
