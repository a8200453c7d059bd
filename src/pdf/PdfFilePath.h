#pragma once

#include <string>
#include <string_view>

namespace qorprt {

// The file-system path of a PDF file name from the job or the PRT file (8-bit Windows-1252): a
// name in double quotes loses them (the job line quotes names with blanks), every "\" becomes
// "/". A relative name stays relative, to the working folder.
std::string PdfFilePath(std::string_view ansiName);

} // namespace qorprt
