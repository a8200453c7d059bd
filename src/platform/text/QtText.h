#pragma once

#include "platform/text/Encoding.h"

#include <QString>

#include <string>
#include <string_view>

namespace qorprt {

// The program's 8-bit Windows-1252 texts in Qt's strings and back (header only: the Qt-free core
// library never includes it).
inline QString AnsiToQString(std::string_view ansi) {
    return QString::fromStdU16String(Cp1252ToUtf16(ansi));
}

inline std::string QStringToAnsi(const QString& text) {
    return Utf16ToCp1252(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                             static_cast<size_t>(text.size())));
}

} // namespace qorprt
