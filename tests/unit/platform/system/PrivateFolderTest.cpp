#include "platform/system/PrivateFolder.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace qorprt {
namespace {

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST(PrivateFolderTest, CreatesOrRepairsOurFolderAndRefusesAnyOther) {
    const test::TempDir temp;
    const std::string missing = temp.File("new");
    ASSERT_EQ(EnsurePrivateFolder(missing).value(), missing + "/");
    EXPECT_EQ(ModeOf(missing), 0700u);

    const std::string open = temp.File("open");
    std::filesystem::create_directory(open);
    ::chmod(open.c_str(), 0755);
    EXPECT_TRUE(EnsurePrivateFolder(open).ok());
    EXPECT_EQ(ModeOf(open), 0700u);

    // A link planted where the folder belongs, and a file, are never taken.
    const std::string link = temp.File("link");
    std::filesystem::create_directory_symlink(missing, link);
    EXPECT_FALSE(EnsurePrivateFolder(link).ok());
    EXPECT_FALSE(EnsurePrivateFolder(temp.Write("file", "")).ok());

    if (::geteuid() == 0) {
        const std::string foreign = temp.File("foreign");
        std::filesystem::create_directory(foreign);
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
        EXPECT_EQ(EnsurePrivateFolder(foreign).code(), kErrorAccessDenied);
    }
}

TEST(PrivateFolderTest, InstanceFolderFromTheEnvironment) {
    const test::TempDir temp;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* tmp = std::getenv("TMPDIR");
    const std::string savedRuntime = runtime ? runtime : "", savedTmp = tmp ? tmp : "";
    ::setenv("XDG_RUNTIME_DIR", temp.Path().c_str(), 1);
    EXPECT_EQ(InstanceFolder().value(), temp.Path() + "/qorprt/");

    // Without it (cron) and without a session folder: below TMPDIR, named after the user.
    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", temp.Path().c_str(), 1);
    const std::string uid = std::to_string(::geteuid());
    if (!std::filesystem::is_directory("/run/user/" + uid)) {
        EXPECT_EQ(InstanceFolder().value(), temp.Path() + "/qorprt-" + uid + "/");
        EXPECT_EQ(ModeOf(temp.Path() + "/qorprt-" + uid), 0700u);
    }
    if (tmp)
        ::setenv("TMPDIR", savedTmp.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    if (runtime) ::setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
}

} // namespace
} // namespace qorprt
