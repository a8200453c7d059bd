#include "app/start/HandoverProtocol.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace qorprt {

namespace {

uint32_t HeaderWord(const SharedBlock& block, size_t index) {
    uint32_t value = 0;
    std::memcpy(&value, block.Bytes().data() + index * sizeof value, sizeof value);
    return value;
}

std::atomic_ref<uint32_t> StateWord(const SharedBlock& block) {
    // The mapping is page-aligned, so the word at its start is aligned.
    return std::atomic_ref<uint32_t>(*reinterpret_cast<uint32_t*>(block.Bytes().data()));
}

} // namespace

Expected<SharedBlock> CreateHandoverBlock(const std::string& commandLine,
                                          const std::string& folder) {
    const size_t lineBytes = commandLine.size() + 1;
    const size_t folderBytes = folder.size() + 1;
    const size_t size = std::max(kHandoverHeaderSize + lineBytes + folderBytes, kHandoverBlockSize);
    if (size > kHandoverMaxBlockSize) return Fail("command line too long for a handover");
    Expected<SharedBlock> block = SharedBlock::Create(size);
    if (!block) return block;
    char* bytes = block->Bytes().data();
    const uint32_t header[4] = {static_cast<uint32_t>(HandoverState::Pending),
                                static_cast<uint32_t>(lineBytes),
                                static_cast<uint32_t>(folderBytes), 0};
    std::memcpy(bytes, header, sizeof header);
    std::memcpy(bytes + kHandoverHeaderSize, commandLine.data(), commandLine.size());
    std::memcpy(bytes + kHandoverHeaderSize + lineBytes, folder.data(), folder.size());
    return block;
}

std::optional<HandoverContents> ReadHandoverBlock(const SharedBlock& block, uint64_t wParam) {
    if (block.Size() < kHandoverHeaderSize) return std::nullopt;
    const uint64_t lineBytes = HeaderWord(block, 1);
    const uint64_t folderBytes = HeaderWord(block, 2);
    if (lineBytes == 0 || lineBytes != wParam ||
        kHandoverHeaderSize + lineBytes + folderBytes > block.Size())
        return std::nullopt;
    const char* line = block.Bytes().data() + kHandoverHeaderSize;
    const char* folder = line + lineBytes;
    HandoverContents contents;
    // Each text ends at its first NUL, never beyond its part of the block.
    contents.commandLine.assign(line, std::find(line, line + lineBytes, '\0'));
    contents.folder.assign(folder, std::find(folder, folder + folderBytes, '\0'));
    return contents;
}

HandoverState LoadHandoverState(const SharedBlock& block) {
    return static_cast<HandoverState>(StateWord(block).load());
}

bool ChangeHandoverState(const SharedBlock& block, HandoverState from, HandoverState to) {
    uint32_t expected = static_cast<uint32_t>(from);
    return StateWord(block).compare_exchange_strong(expected, static_cast<uint32_t>(to));
}

} // namespace qorprt
