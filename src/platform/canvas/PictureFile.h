#pragma once

#include "platform/system/Expected.h"

#include <QImage>

#include <string>

namespace qorprt {

// Pictures larger than this are refused before they are decoded, so that a header announcing an
// absurd size cannot exhaust memory. An A4 letterhead at 300 dpi needs about 35 MB.
inline constexpr int kPictureAllocationLimitMb = 256;

// Decodes the picture file `name` (a file name as FileSystemPath takes it) in `format` ("bmp",
// "gif", "png"; null: by its contents). Only a regular file is read, from the descriptor that was
// checked, so that a named pipe can never block the program. The failure says why.
Expected<QImage> ReadPictureFile(const std::string& name, const char* format);

} // namespace qorprt
