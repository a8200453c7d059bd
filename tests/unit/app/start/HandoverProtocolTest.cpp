#include "app/start/HandoverProtocol.h"
#include "app/start/HandoverReceiver.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace qorprt {
namespace {

UniqueFd Duplicate(const SharedBlock& block) {
    return UniqueFd(::dup(block.Fd()));
}

TEST(HandoverProtocolTest, ReceiverReadsLineAndFolderButNeverPastTheBlock) {
    const std::string line255(255, 'a');
    const std::string line1000 = "qorprt " + std::string(993, 'b');
    const struct {
        std::string line;
        std::string folder;
        uint64_t wParam; // 0: as the sender sends it
        std::optional<std::string> job;
    } cases[] = {
        {line255, "/home/anna", 0, line255},
        {line1000, "/srv/Xaver", 0, line1000},
        {"qorprt a.PRT", "", 0, "qorprt a.PRT"},
        {"qorprt a.PRT", "/tmp", 5, std::nullopt},        // wParam that does not fit the block
        {"qorprt a.PRT", "/tmp", 1u << 30, std::nullopt}, // beyond the block
    };
    for (const auto& c : cases) {
        Expected<SharedBlock> block = CreateHandoverBlock(c.line, c.folder);
        ASSERT_TRUE(block.ok()) << block.error();
        EXPECT_GE(block->Size(), kHandoverBlockSize);
        const uint64_t wParam = c.wParam ? c.wParam : c.line.size() + 1;
        const auto job = TakeHandoverJob(Duplicate(*block), wParam, nullptr);
        EXPECT_EQ(job ? std::optional(job->commandLine) : std::nullopt, c.job) << c.wParam;
        if (job) {
            EXPECT_EQ(job->folder, c.folder);
        }
        EXPECT_EQ(LoadHandoverState(*block),
                  job ? HandoverState::Persisted : HandoverState::Pending);
    }
}

TEST(HandoverProtocolTest, OnlyOneSideRunsTheJob) {
    struct Case {
        HandoverState before; // what the start did first
        bool kept;            // the instance's keeper succeeds
        bool taken;           // the instance answers 1
        HandoverState after;
    } cases[] = {
        {HandoverState::Pending, true, true, HandoverState::Persisted},
        {HandoverState::Withdrawn, true, false, HandoverState::Withdrawn},
        {HandoverState::Pending, false, false, HandoverState::Withdrawn},
    };
    for (const Case& c : cases) {
        Expected<SharedBlock> block = CreateHandoverBlock("qorprt a.PRT /X", "/tmp");
        ASSERT_TRUE(block.ok());
        if (c.before == HandoverState::Withdrawn) {
            ASSERT_TRUE(
                ChangeHandoverState(*block, HandoverState::Pending, HandoverState::Withdrawn));
        }
        int keeps = 0;
        const auto job = TakeHandoverJob(Duplicate(*block), 16, [&](HandedOverJob&) {
            ++keeps;
            EXPECT_EQ(LoadHandoverState(*block), HandoverState::Taken);
            return c.kept;
        });
        EXPECT_EQ(job.has_value(), c.taken);
        EXPECT_EQ(LoadHandoverState(*block), c.after);
        // A taken job can no longer be withdrawn.
        EXPECT_EQ(ChangeHandoverState(*block, HandoverState::Pending, HandoverState::Withdrawn),
                  false);
        EXPECT_EQ(keeps, c.before == HandoverState::Pending ? 1 : 0);
    }
}

TEST(HandoverProtocolTest, AnythingButASealedMemoryBlockIsRefused) {
    UniqueFd file(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    EXPECT_FALSE(TakeHandoverJob(std::move(file), 13, nullptr).has_value());
    EXPECT_FALSE(TakeHandoverJob(UniqueFd(), 13, nullptr).has_value());
}

} // namespace
} // namespace qorprt
