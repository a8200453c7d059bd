#pragma once

#include <string>
#include <string_view>

namespace qorprt {

// 8-bit texts of PRT files, log lines and the handover are Windows-1252 ("ANSI"). User interface
// texts and file names are Unicode; these are the only crossings between the two.

// Windows-1252 byte to its Unicode code point. The five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value, as Windows does.
char16_t Cp1252ToUnicode(unsigned char byte);

// ISO 8859-15 byte to its Unicode code point.
char16_t Latin9ToUnicode(unsigned char byte);

std::u16string Cp1252ToUtf16(std::string_view text);
std::string Cp1252ToUtf8(std::string_view text);

// Unicode to Windows-1252; a character the code page lacks becomes "?".
std::string Utf16ToCp1252(std::u16string_view text);
std::string Utf8ToCp1252(std::string_view text);

// The length (2 to 4) of the UTF-8 sequence that starts at `text[i]` when it is valid and encodes
// no control character (C1 controls included), else 0. ASCII bytes give 0 as well.
size_t Utf8SequenceLength(std::string_view text, size_t i);

// The text with every byte that is no part of such a valid UTF-8 sequence, and every ASCII byte
// for which `escaped` says so, written as `prefix` and two upper-case hex digits.
std::string EscapeBytes(std::string_view text, std::string_view prefix,
                        bool (*escaped)(unsigned char));

// One code point as UTF-8.
std::string CodePointToUtf8(char32_t cp);

} // namespace qorprt
