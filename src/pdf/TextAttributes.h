#pragma once

#include <array>
#include <cstdint>

namespace qorprt {

// The eight text attributes the PRT file switches like a line printer's modes.
enum Attribute : int {
    kBold,
    kUnderline,
    kCondensed,
    kElite,
    kHigh,
    kMini,
    kWide,
    kItalic,
    kAttributeCount
};

using AttributeCounters = std::array<int32_t, kAttributeCount>;

// Counters at every page start: everything off except elite.
inline constexpr AttributeCounters kPageStartCounters = {0, 0, 0, 1, 0, 0, 0, 0};

} // namespace qorprt
