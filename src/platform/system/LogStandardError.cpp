#include "platform/system/LogStandardError.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace qorprt {

bool StandardErrorIsWatched(const char* journalStream, int fd) {
    if (::isatty(fd) == 1) return true;
    if (journalStream == nullptr) return false;
    // A child of the service inherits JOURNAL_STREAM while its standard error may lead
    // elsewhere: only the stream itself counts.
    unsigned long long device = 0;
    unsigned long long inode = 0;
    if (std::sscanf(journalStream, "%llu:%llu", &device, &inode) != 2) return false;
    struct stat info {};
    return ::fstat(fd, &info) == 0 && static_cast<unsigned long long>(info.st_dev) == device &&
           static_cast<unsigned long long>(info.st_ino) == inode;
}

void CopyLogLineToStandardError(int32_t level, std::string_view line) noexcept {
    if (level < 10) return;
    static const bool watched =
        StandardErrorIsWatched(std::getenv("JOURNAL_STREAM"), STDERR_FILENO);
    if (!watched) return;
    try {
        std::string text(line);
        // The journal and a terminal end a line with LF alone.
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        text += '\n';
        ssize_t written = 0;
        do {
            written = ::write(STDERR_FILENO, text.data(), text.size());
        } while (written < 0 && errno == EINTR);
    } catch (...) {
        // Out of memory: the copy is lost, the log file still gets the line.
    }
}

} // namespace qorprt
