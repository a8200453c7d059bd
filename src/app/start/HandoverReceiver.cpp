#include "app/start/HandoverReceiver.h"

#include "app/start/HandoverProtocol.h"
#include "platform/system/SharedBlock.h"

#include <algorithm>
#include <cstring>

namespace qorprt {

std::optional<std::string> ReadHandoverJob(uint64_t wParam, int64_t lParam) {
    // No sender builds a name from a key beyond six hex digits.
    if (wParam == 0 || lParam < 0 || lParam > 0xFFFFFF) return std::nullopt;
    const Expected<SharedBlock> block =
        SharedBlock::OpenForReading(HandoverBlockName(static_cast<uint32_t>(lParam)));
    if (!block) return std::nullopt;
    const std::span<const char> bytes = block->Bytes();
    const size_t copied = static_cast<size_t>(std::min<uint64_t>(wParam, bytes.size()));
    const char* end = std::find(bytes.data(), bytes.data() + copied, '\0');
    return std::string(bytes.data(), end);
}

} // namespace qorprt
