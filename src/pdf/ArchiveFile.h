#pragma once

#include "platform/system/Expected.h"

#include <string>

namespace qorprt {

// The document information of an archive PDF (UTF-8).
struct ArchiveInfo {
    std::string title;
    std::string author;
    std::string subject;
    std::string creator;
};

// Makes the archive file `target` of the PDF/A document QPdfWriter wrote at `source`: the
// document as it is, with an update appended (an incremental update, so that memory does not grow
// with the pages) whose information dictionary has all four texts, the dates of now and the
// producer, and whose XMP metadata says the same. The file is written next to the target under a
// temporary name and renamed over it only when it is complete: a missing folder, a full disk or
// a refused write fail and leave an existing target as it was.
Status WriteArchiveFile(const std::string& source, const std::string& target,
                        const ArchiveInfo& info);

} // namespace qorprt
