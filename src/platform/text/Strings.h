#pragma once

#include <string>
#include <string_view>

namespace qorprt {

// The text with every occurrence of one character replaced by another.
std::string ReplaceChar(std::string text, char from, char to);

// Upper case of a Windows-1252 text: ASCII letters and the accented Latin-1 letters (as the
// ANSI code page's upper-casing does); other bytes stay.
std::string UpperCp1252(std::string text);

// 1-based position of the first occurrence of `needle` in `text`, 0 when there is none.
size_t Pos(std::string_view needle, std::string_view text);

inline bool Contains(std::string_view text, std::string_view needle) {
    return text.find(needle) != std::string_view::npos;
}

// Up to `count` characters of `text` from the 1-based position `index`; empty beyond the end.
std::string_view Copy(std::string_view text, size_t index, size_t count);

} // namespace qorprt
