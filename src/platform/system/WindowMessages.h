#pragma once

#include <cstdint>
#include <string_view>

namespace qorprt {

// A message to the window of another instance: its number and its two parameters. The result the
// receiving window's handler gives is a 64-bit integer.
struct WindowMessage {
    uint32_t number = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
};

// The message number registered under `name`: the same number in every process for the same
// name, whatever the case of its letters, in the range 0xC000 to 0xFFFF that registered messages
// use. 0 (failure) for an empty name and one of more than 255 characters.
uint32_t RegisterWindowMessage(std::string_view name);

} // namespace qorprt
