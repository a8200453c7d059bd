#pragma once

#include "platform/text/Encoding.h"

#include <QString>

#include <string>
#include <string_view>

namespace qorprt {

// The program's texts (UTF-8: the window's, the job command lines', file names) in Qt's strings
// and back. A file name that is no UTF-8 shows its stray bytes as replacement characters.
inline QString Utf8ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string QStringToUtf8(const QString& text) {
    return text.toStdString();
}

// A PRT file's 8-bit Windows-1252 texts (its lines, its font names) in Qt's strings and back
// (header only: the Qt-free core library never includes it).
inline QString AnsiToQString(std::string_view ansi) {
    return QString::fromStdU16String(Cp1252ToUtf16(ansi));
}

inline std::string QStringToAnsi(const QString& text) {
    return Utf16ToCp1252(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                             static_cast<size_t>(text.size())));
}

} // namespace qorprt
