#include "platform/system/WorkingFolder.h"

#include "platform/system/Log.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorprt {

namespace {

// An empty folder that cannot be written to: relative names fail there.
void EnterNowhere() {
    const char* temp = std::getenv("TMPDIR");
    std::string path = std::string(temp && temp[0] == '/' ? temp : "/tmp") + "/qorprt-XXXXXX";
    if (::mkdtemp(path.data()) != nullptr && ::chdir(path.c_str()) == 0) {
        // Removed at once: a removed working folder holds nothing and takes no new file.
        ::rmdir(path.c_str());
        return;
    }
    (void)!::chdir("/proc/self/fdinfo");
}

} // namespace

std::string CurrentFolder() {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr) return {};
    return buffer;
}

WorkingFolderScope::WorkingFolderScope(const std::string& folder) {
    if (folder.empty()) return;
    previous_ = UniqueFd(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (::chdir(folder.c_str()) == 0) return;
    WriteLog(10,
             "Ordner des Auftrags nicht erreichbar: " + folder + " (" + std::strerror(errno) + ")");
    EnterNowhere();
}

WorkingFolderScope::~WorkingFolderScope() {
    if (previous_.Valid()) (void)!::fchdir(previous_.Get());
}

} // namespace qorprt
