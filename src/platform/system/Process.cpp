#include "platform/system/Process.h"

#include <system_error>
#include <unistd.h>

#include <filesystem>

namespace qorprt {

std::string ExecutableFolder() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || exe.empty()) return {};
    std::string folder = exe.parent_path().string();
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

int64_t CurrentProcessId() {
    return static_cast<int64_t>(::getpid());
}

} // namespace qorprt
