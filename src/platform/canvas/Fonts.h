#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qorprt {

// The installed fonts of the screen, which on Linux are also every printer's: fontconfig's
// family names, plus each of the Windows names the program asks for ("Arial", "Arial Narrow",
// "Courier New", "Courier") when fontconfig resolves it to that family or to its
// metric-compatible twin (Liberation Sans, Liberation Sans Narrow, Liberation Mono, Nimbus Mono
// PS), and the barcode fonts the program draws itself ("Code 128", "PDF417c"). Read once per
// process. Names are UTF-8.
const std::vector<std::string>& InstalledFontNames();
// The same names as 8-bit Windows-1252 text, as the document driver compares them.
const std::vector<std::string>& InstalledFontNamesAnsi();

// Whether `name` is in `fonts`, ignoring case as Windows compares font names.
bool FontInstalled(const std::vector<std::string>& fonts, std::string_view name);

// The family fontconfig chooses for `name` ("Liberation Mono" for "Courier New"); empty when
// fontconfig cannot answer.
std::string ResolvedFontFamily(std::string_view name);

// The running system's "Windows version number" (major × 10 + minor) that decides the
// fixed-pitch font. A Linux desktop counts as a modern system: 100 unless a test sets it.
int32_t WindowsVersionNumber();
void SetWindowsVersionNumber(int32_t version);

} // namespace qorprt
