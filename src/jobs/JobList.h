#pragma once

#include "graphics/JobSettings.h"

#include <cstdint>
#include <string>

namespace qorprt {

// The job list: one job command line (8-bit Windows-1252, program path first) per entry, not
// sorted, new entries at the end; the selected entry is the one a job operation works on. The
// list's horizontal scroll width is at least 6 pixels per byte of the longest line added.
struct JobList {
    ListModel list;
    int32_t scrollWidth = 0;

    size_t Count() const { return list.Items.size(); }
    bool Empty() const { return list.Items.empty(); }
    void Append(std::string line) { list.Items.push_back(std::move(line)); }
    // Widens the scroll width to `width`; it never shrinks.
    void WidenScroll(int32_t width) {
        if (scrollWidth < width) scrollWidth = width;
    }
    // Removes the entry and leaves nothing selected, as a list box does.
    void RemoveAt(size_t index) {
        if (index >= list.Items.size()) return;
        list.Items.erase(list.Items.begin() + static_cast<std::ptrdiff_t>(index));
        list.ItemIndex = -1;
    }
    void RemoveSelected() {
        if (list.ItemIndex >= 0) RemoveAt(static_cast<size_t>(list.ItemIndex));
    }
    void Select(int32_t index) {
        list.ItemIndex = index >= 0 && static_cast<size_t>(index) < list.Items.size() ? index : -1;
    }
};

// The scroll width a command line of `bytes` bytes asks for: 6 pixels per byte.
inline int32_t ScrollWidthFor(uint64_t bytes) {
    return bytes > INT32_MAX / 6 ? INT32_MAX : static_cast<int32_t>(bytes * 6);
}

} // namespace qorprt
