#pragma once

#include "graphics/JobSettings.h"
#include "platform/system/JobQueue.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qorprt {

// The job list: one job command line (program path first) per entry, not sorted, new entries at
// the end; the selected entry is the one a job operation works on. Beside its text every entry
// carries the folder its caller started in (relative names of the job are taken against it) and
// the number of its record in the queue on disk (0: none). Every change goes through the methods
// here, so that the queue on disk follows the list. The list's horizontal scroll width is at
// least 6 pixels per byte of the longest line added.
struct JobList {
    ListModel list;
    int32_t scrollWidth = 0;
    // The queue on disk; none: the list lives in memory only.
    JobQueue* queue = nullptr;
    // The folder of the job last run or shown: the print button and the redraw work in it.
    std::string shownFolder;

    size_t Count() const { return list.Items.size(); }
    bool Empty() const { return list.Items.empty(); }
    // Appends an entry; a job without a record gets one when there is a queue.
    void Append(std::string line, std::string folder = {}, uint64_t record = 0) {
        if (record == 0 && queue) {
            if (const Expected<uint64_t> added = queue->Add(line, folder)) record = *added;
        }
        list.Items.push_back(std::move(line));
        folders_.push_back(std::move(folder));
        records_.push_back(record);
    }
    const std::string& FolderAt(size_t index) const {
        static const std::string none;
        return index < folders_.size() ? folders_[index] : none;
    }
    uint64_t RecordAt(size_t index) const { return index < records_.size() ? records_[index] : 0; }
    // Changes an entry's text (the entry stays where it is).
    void SetText(size_t index, std::string line) {
        if (index < list.Items.size()) list.Items[index] = std::move(line);
    }
    // The job's printing starts: a crash from now on prints it again at the next start.
    void MarkStarted(size_t index) {
        if (queue && RecordAt(index) != 0) queue->MarkStarted(RecordAt(index));
    }
    // Removes the entry, and its record from disk, and leaves nothing selected, as a list box
    // does.
    void RemoveAt(size_t index) {
        if (queue && RecordAt(index) != 0) queue->Remove(RecordAt(index));
        RemoveKeepingRecord(index);
    }
    // Removes the entry but leaves its record on disk for the next start (the program ends).
    void RemoveKeepingRecord(size_t index) {
        if (index >= list.Items.size()) return;
        const auto at = static_cast<std::ptrdiff_t>(index);
        list.Items.erase(list.Items.begin() + at);
        if (index < folders_.size()) folders_.erase(folders_.begin() + at);
        if (index < records_.size()) records_.erase(records_.begin() + at);
        list.ItemIndex = -1;
    }
    void RemoveSelected() {
        if (list.ItemIndex >= 0) RemoveAt(static_cast<size_t>(list.ItemIndex));
    }
    void Select(int32_t index) {
        list.ItemIndex = index >= 0 && static_cast<size_t>(index) < list.Items.size() ? index : -1;
    }
    // Widens the scroll width to `width`; it never shrinks.
    void WidenScroll(int32_t width) {
        if (scrollWidth < width) scrollWidth = width;
    }

private:
    std::vector<std::string> folders_;
    std::vector<uint64_t> records_;
};

// The scroll width a command line of `bytes` bytes asks for: 6 pixels per byte.
inline int32_t ScrollWidthFor(uint64_t bytes) {
    return bytes > INT32_MAX / 6 ? INT32_MAX : static_cast<int32_t>(bytes * 6);
}

} // namespace qorprt
