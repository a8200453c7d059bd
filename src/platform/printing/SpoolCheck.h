#pragma once

#include "platform/system/Expected.h"

#include <filesystem>

namespace qorprt {

// Whether a finished spool document is a whole PDF: not empty, and ending in a complete trailer
// (startxref pointing at a cross-reference, then %%EOF). A disk that filled up while the writer
// wrote leaves the document empty or cut short, and such a file must never go to a printer. The
// failure reads "Spooldatei PATH verworfen: REASON".
Status CheckSpoolDocument(const std::filesystem::path& pdf);

} // namespace qorprt
