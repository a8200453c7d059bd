#include "platform/text/Numbers.h"

#include "platform/system/Errors.h"

#include <optional>
#include <string>

namespace qorprt {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<int32_t> ParseNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return std::nullopt;
    // The magnitude may reach 2^31 only for a negative number.
    const int64_t limit = negative ? int64_t{INT32_MAX} + 1 : int64_t{INT32_MAX};
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = base == 16 ? HexValue(text[i])
                                     : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0) return std::nullopt;
        value = value * base + digit;
        if (value > limit) return std::nullopt;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

} // namespace

int32_t StrToIntDef(std::string_view text, int32_t fallback) {
    return ParseNumber(text).value_or(fallback);
}

int32_t StrToInt(std::string_view text) {
    if (auto v = ParseNumber(text)) return *v;
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    const int64_t product = int64_t{a} * b;
    const bool negative = (product < 0) != (c < 0);
    const uint64_t magnitude = product < 0 ? uint64_t(-(product + 1)) + 1 : uint64_t(product);
    const uint64_t divisor = c < 0 ? uint64_t(-(int64_t{c})) : uint64_t(c);
    const uint64_t rounded = (magnitude + divisor / 2) / divisor;
    if (negative) {
        if (rounded > uint64_t{INT32_MAX} + 1) return -1;
        return static_cast<int32_t>(-static_cast<int64_t>(rounded));
    }
    if (rounded > uint64_t{INT32_MAX}) return -1;
    return static_cast<int32_t>(rounded);
}

} // namespace qorprt
