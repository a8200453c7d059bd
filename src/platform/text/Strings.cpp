#include "platform/text/Strings.h"

namespace qorprt {

std::string ReplaceChar(std::string text, char from, char to) {
    for (char& c : text)
        if (c == from) c = to;
    return text;
}

std::string UpperCp1252(std::string text) {
    for (char& c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 'a' && b <= 'z') {
            c = static_cast<char>(b - 32);
        } else if (b >= 0xE0 && b != 0xF7 && b != 0xFF) {
            c = static_cast<char>(b - 32);
        } else if (b == 0x9A || b == 0x9C || b == 0x9E) { // š œ ž
            c = static_cast<char>(b - 16);
        } else if (b == 0xFF) { // ÿ
            c = static_cast<char>(0x9F);
        }
    }
    return text;
}

size_t Pos(std::string_view needle, std::string_view text) {
    const size_t at = text.find(needle);
    return at == std::string_view::npos ? 0 : at + 1;
}

std::string_view Copy(std::string_view text, size_t index, size_t count) {
    if (index < 1 || index > text.size()) return {};
    return text.substr(index - 1, count);
}

} // namespace qorprt
