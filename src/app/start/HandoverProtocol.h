#pragma once

#include "platform/system/Expected.h"
#include "platform/system/SharedBlock.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace qorprt {

// The instance handover between a new start and the running instance:
// - the running instance is the window titled "Running";
// - the message is the one registered as "QORPRT"; wParam is the number of bytes of the job
//   command line with its NUL, lParam 0;
// - the block travels with the message as a descriptor (a memory file without a name, so that
//   no other user can take or block it and a killed start leaves nothing behind). It holds a
//   state word, then the job command line and its NUL, then the folder the start was called in
//   and its NUL; it is at least kHandoverBlockSize bytes;
// - the state word decides who runs the job: the instance changes it from Pending to Taken
//   before it writes the job to its queue on disk and to Persisted after, the start from Pending
//   to Withdrawn when it gives up waiting. Both change it by compare-and-swap, so only one of
//   them ever runs the job;
// - the answer is 1 when the job was taken, 0 otherwise.
inline constexpr const char* kRunningTitle = "Running";
inline constexpr const char* kHandoverMessageName = "QORPRT";
inline constexpr size_t kHandoverBlockSize = 256;
// Header: state (u32), line bytes with NUL (u32), folder bytes with NUL (u32), reserved (u32).
inline constexpr size_t kHandoverHeaderSize = 16;
// A block larger than this is refused: no command line comes near it.
inline constexpr size_t kHandoverMaxBlockSize = 1 << 20;

enum class HandoverState : uint32_t { Pending = 0, Taken = 1, Persisted = 2, Withdrawn = 3 };

// A block filled with a job: the command line and the caller's folder (bytes as given).
Expected<SharedBlock> CreateHandoverBlock(const std::string& commandLine,
                                          const std::string& folder);

// What a block holds.
struct HandoverContents {
    std::string commandLine;
    std::string folder;
};
// The job in a block; nothing when its header does not fit its size or wParam.
std::optional<HandoverContents> ReadHandoverBlock(const SharedBlock& block, uint64_t wParam);

HandoverState LoadHandoverState(const SharedBlock& block);
// Changes the state word from `from` to `to` in one step; false when it was not `from`.
bool ChangeHandoverState(const SharedBlock& block, HandoverState from, HandoverState to);

} // namespace qorprt
