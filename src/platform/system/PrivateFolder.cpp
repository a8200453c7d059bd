#include "platform/system/PrivateFolder.h"

#include "platform/system/Files.h"
#include "platform/system/Log.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace qorprt {

namespace {

constexpr mode_t kPrivateMode = 0700;

std::string SystemError(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

bool IsOurFolder(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

std::string EnvironmentFolder(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return {};
    std::string folder = value;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

} // namespace

Expected<std::string> EnsurePrivateFolder(const std::string& path) {
    if (path.empty()) return Fail("no folder for the instance sockets");
    if (::mkdir(path.c_str(), kPrivateMode) != 0 && errno != EEXIST)
        return Fail(SystemError(path, errno));
    // Opening without following a link and checking the open folder leaves no moment in which
    // another user could swap what is checked.
    const UniqueFd folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.Valid()) return Fail(SystemError(path, errno), kErrorAccessDenied);
    struct stat info {};
    if (::fstat(folder.Get(), &info) != 0) return Fail(SystemError(path, errno));
    if (info.st_uid != ::geteuid())
        return Fail(path + ": belongs to another user", kErrorAccessDenied);
    if ((info.st_mode & 077) != 0 && ::fchmod(folder.Get(), kPrivateMode) != 0)
        return Fail(SystemError(path, errno), kErrorAccessDenied);
    return path.back() == '/' ? path : path + '/';
}

Expected<std::string> InstanceFolder() {
    if (const std::string runtime = EnvironmentFolder("XDG_RUNTIME_DIR"); !runtime.empty())
        return EnsurePrivateFolder(runtime + "/qorprt");
    const std::string uid = std::to_string(::geteuid());
    if (const std::string session = "/run/user/" + uid; IsOurFolder(session))
        return EnsurePrivateFolder(session + "/qorprt");
    std::string temp = EnvironmentFolder("TMPDIR");
    if (temp.empty()) temp = "/tmp";
    Expected<std::string> shared = EnsurePrivateFolder(temp + "/qorprt-" + uid);
    // Anyone can create that name in the temporary folder first; then the user's state folder,
    // which no other user can reach, is the meeting place instead.
    if (shared || shared.code() != kErrorAccessDenied) return shared;
    const std::string state = UserStateLogFolder();
    if (state.empty()) return shared;
    std::error_code ignored;
    std::filesystem::create_directories(state, ignored);
    return EnsurePrivateFolder(state + "run");
}

} // namespace qorprt
