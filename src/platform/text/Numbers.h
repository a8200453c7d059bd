#pragma once

#include <cstdint>
#include <string_view>

namespace qorprt {

// The one number rule of the program: optional leading blanks, an optional sign, then decimal
// digits or hexadecimal digits after "$", "x", "X", "0x" or "0X", and nothing after them. Anything
// else, an empty text or a value outside the signed 32-bit range gives `fallback`.
int32_t StrToIntDef(std::string_view text, int32_t fallback);

// The same rule, strict: a text that is not such a number raises EConvertError.
int32_t StrToInt(std::string_view text);

// Multiply and divide with the rounding of the Windows API: a * b / c in 64 bits, rounded to the
// nearest integer (halves away from zero); -1 when c is 0 or the result leaves the 32-bit range.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// Brings a 64-bit intermediate back into the signed 32-bit range by saturation, so that absurd
// positions stay absurd instead of becoming undefined behaviour.
constexpr int32_t Sat32(int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// a * b / c with the product formed first and the division truncating towards zero, as the
// layout's 32-bit arithmetic does; saturated, and 0 for a divisor of 0.
constexpr int32_t MulDivTrunc(int64_t a, int64_t b, int64_t c) {
    if (c == 0) return 0;
    // Both factors stem from 32-bit values, so the product fits in 64 bits.
    return Sat32((a * b) / c);
}

} // namespace qorprt
