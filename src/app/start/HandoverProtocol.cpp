#include "app/start/HandoverProtocol.h"

#include <algorithm>
#include <cstdio>

namespace qorprt {

namespace {

// Keys stay within six hex digits; the attempts on a taken name are few.
constexpr uint32_t kKeyLimit = 0x1000000;
constexpr int kKeyAttempts = 64;

} // namespace

uint32_t HandoverKey(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto millis = floor<milliseconds>(when.time_since_epoch());
    const auto wholeSeconds = floor<seconds>(millis);
    const auto secondOfHour = ((wholeSeconds.count() % 3600) + 3600) % 3600;
    return static_cast<uint32_t>(secondOfHour * 4096 + (millis - wholeSeconds).count());
}

std::string HandoverBlockName(uint32_t key) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%06X", static_cast<unsigned>(key));
    return std::string("QORPRT") + digits;
}

Expected<HandoverBlock> CreateHandoverBlock(uint32_t key, size_t bytes) {
    const size_t size = std::max(bytes, kHandoverBlockSize);
    Failure last;
    for (int attempt = 0; attempt < kKeyAttempts; ++attempt) {
        const uint32_t tried = (key + static_cast<uint32_t>(attempt)) % kKeyLimit;
        Expected<SharedBlock> block = SharedBlock::Create(HandoverBlockName(tried), size);
        if (block) return HandoverBlock{std::move(*block), tried};
        last = block.failure();
        if (last.code != kErrorAlreadyExists) break;
    }
    return last;
}

} // namespace qorprt
