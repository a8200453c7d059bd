#include "platform/system/LogStandardError.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace qorprt {
namespace {

TEST(LogStandardError, OnlyTheJournalStreamItselfOrATerminalIsWatched) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    struct stat info {};
    ASSERT_EQ(::fstat(fds[1], &info), 0);
    const std::string device = std::to_string(info.st_dev);
    const std::string inode = std::to_string(info.st_ino);
    const struct {
        std::string journalStream; // "-": unset
        bool watched;
    } cases[] = {
        {device + ":" + inode, true},
        {device + ":" + std::to_string(info.st_ino + 1), false}, // the service's, not this pipe
        {"-", false},
        {"", false},
        {"journal", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StandardErrorIsWatched(c.journalStream == "-" ? nullptr : c.journalStream.c_str(),
                                         fds[1]),
                  c.watched)
            << c.journalStream;
    ::close(fds[0]);
    ::close(fds[1]);
}

} // namespace
} // namespace qorprt
