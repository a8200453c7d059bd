#include "platform/system/UnreadableReason.h"

#include "platform/system/Files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace qorprt {

std::string UnreadableReason(std::string_view ansiName) {
    const std::string path = FileSystemPath(ansiName);
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return "Datei nicht gefunden";
        return std::string("Datei nicht lesbar (") + std::strerror(errno) + ")";
    }
    if (!S_ISREG(info.st_mode)) return "keine gewöhnliche Datei";
    // A regular file that still could not be opened: no permission, as a rule.
    if (UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)); !fd.Valid())
        return std::string("Datei nicht lesbar (") + std::strerror(errno) + ")";
    return "Datei nicht lesbar";
}

} // namespace qorprt
