#pragma once

#include "platform/text/Encoding.h"

#include <QString>

#include <string>

namespace qorprt {

// The program's 8-bit Windows-1252 texts on the user interface and back.
inline QString AnsiToQString(const std::string& ansi) {
    const std::u16string utf16 = Cp1252ToUtf16(ansi);
    return QString::fromUtf16(utf16.data(), static_cast<qsizetype>(utf16.size()));
}

inline std::string QStringToAnsi(const QString& text) {
    return Utf16ToCp1252(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                             static_cast<size_t>(text.size())));
}

} // namespace qorprt
