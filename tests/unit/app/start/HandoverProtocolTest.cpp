#include "app/start/HandoverProtocol.h"
#include "app/start/HandoverReceiver.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <sys/stat.h>

namespace qorprt {
namespace {

using namespace std::chrono;

TEST(HandoverProtocolTest, KeyAndBlockNameFromTheClock) {
    const auto hour = sys_days(year(2024) / 3 / 1) + hours(13);
    const struct {
        system_clock::time_point when;
        uint32_t key;
        const char* name;
    } cases[] = {
        {hour, 0, "QORPRT000000"},
        {hour + minutes(59) + seconds(59) + milliseconds(999), 14742503, "QORPRTE0F3E7"},
        {hour + seconds(1), 4096, "QORPRT001000"},
        {hour + seconds(244) + milliseconds(576), 1000000, "QORPRT0F4240"},
        // Only milliseconds count; the hour and what lies below a millisecond do not.
        {hour + hours(5) + milliseconds(7) + microseconds(999), 7, "QORPRT000007"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HandoverKey(c.when), c.key);
        EXPECT_EQ(HandoverBlockName(HandoverKey(c.when)), c.name);
    }
}

// Writes a block as a sender does and reads it back as the receiver does.
class HandoverBlockTest : public ::testing::Test {
protected:
    uint32_t Write(const std::string& bytes, size_t size, uint32_t key = 0x00ABC0) {
        Expected<HandoverBlock> created = CreateHandoverBlock(key, size);
        EXPECT_TRUE(created.ok()) << created.error();
        std::copy(bytes.begin(), bytes.end(), created->block.Writable().begin());
        block_ = std::move(*created);
        return block_.key;
    }
    HandoverBlock block_{};
};

TEST_F(HandoverBlockTest, ReceiverReadsWhatTheMessageSaysButNeverPastTheBlock) {
    const std::string line255(255, 'a');
    const std::string line1000 = "qorprt " + std::string(993, 'b');
    const std::string nul(1, '\0');
    const struct {
        std::string written;
        size_t blockSize;
        uint64_t wParam;
        std::optional<std::string> job;
    } cases[] = {
        {line255 + nul, 256, 256, line255},
        {line1000 + nul, 1001, 1001, line1000},
        {"qorprt a.PRT" + nul + "rest", 256, 256, "qorprt a.PRT"},
        {"qorprt a.PRT" + nul, 256, 5, "qorpr"},
        {line1000 + nul, 1001, 1u << 30, line1000},               // wParam beyond the block
        {std::string(300, 'c'), 300, 400, std::string(300, 'c')}, // no NUL at all
        {"qorprt a.PRT" + nul, 256, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        const uint32_t key = Write(c.written, c.blockSize);
        EXPECT_GE(block_.block.Size(), std::max<size_t>(c.blockSize, kHandoverBlockSize));
        EXPECT_EQ(ReadHandoverJob(c.wParam, key), c.job) << c.wParam;
        block_ = HandoverBlock{};
    }
}

TEST_F(HandoverBlockTest, BlockIsPrivateSharedByNoOtherStartAndGoesWithItsCreator) {
    const uint32_t key = Write("qorprt a.PRT", 13);
    const std::string systemName = SharedBlock::SystemName(HandoverBlockName(key));
    EXPECT_EQ(systemName, "/qorprt-" + std::to_string(::geteuid()) + "-QORPRT00ABC0");
    struct stat info {};
    ASSERT_EQ(::stat(("/dev/shm" + systemName).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(info.st_uid, ::geteuid());

    // A second start in the same millisecond gets the next key.
    Expected<HandoverBlock> second = CreateHandoverBlock(key, 13);
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(second->key, key + 1);
    EXPECT_EQ(SharedBlock::Create(HandoverBlockName(key), 13).code(), kErrorAlreadyExists);

    block_ = HandoverBlock{};
    EXPECT_FALSE(ReadHandoverJob(13, key).has_value());
    EXPECT_FALSE(ReadHandoverJob(13, -1).has_value());
    EXPECT_FALSE(ReadHandoverJob(13, 0x1000000).has_value());
}

} // namespace
} // namespace qorprt
