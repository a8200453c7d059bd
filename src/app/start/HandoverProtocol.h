#pragma once

#include "platform/system/Expected.h"
#include "platform/system/SharedBlock.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace qorprt {

// The instance handover between a new start and the running instance:
// - the running instance is the window titled "Running";
// - the message is the one registered as "QORPRT"; wParam is the number of bytes written into the
//   block (the job command line and its NUL), lParam the key;
// - the block "QORPRT" + the key as six upper-case hex digits holds the job command line
//   (Windows-1252) and a NUL; it is at least kHandoverBlockSize bytes and as large as the line
//   needs, so that a long command line is handed over whole;
// - the result is 1 when the job was taken, 0 otherwise.
inline constexpr const char* kRunningTitle = "Running";
inline constexpr const char* kHandoverMessageName = "QORPRT";
inline constexpr size_t kHandoverBlockSize = 256;

// The key of a handover at `when`: the seconds since 1970 modulo 3600, times 4096, plus the
// milliseconds of the second (0 to 14742503).
uint32_t HandoverKey(std::chrono::system_clock::time_point when);

// "QORPRT" followed by the key as six upper-case hexadecimal digits (more when the key needs
// them).
std::string HandoverBlockName(uint32_t key);

// A created handover block and the key its name was built from.
struct HandoverBlock {
    SharedBlock block;
    uint32_t key = 0;
};

// Creates the block for `bytes` bytes under the key `key`. Two starts in the same millisecond
// compute the same key: when a block of that name exists, the next keys are tried, so that each
// start has a block of its own. The key that was used comes back with the block.
Expected<HandoverBlock> CreateHandoverBlock(uint32_t key, size_t bytes);

} // namespace qorprt
