#pragma once

#include <string>
#include <string_view>

namespace qorprt {

// Why an 8-bit (Windows-1252) file name cannot be read as a regular file, in a few German words
// for the user: "Datei nicht gefunden", "keine gewöhnliche Datei" or "Datei nicht lesbar (...)"
// with the system's reason. UTF-8.
std::string UnreadableReason(std::string_view ansiName);

} // namespace qorprt
