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

// Turns the PDF/A document QPdfWriter wrote at `source` into the archive file `target`: the
// information dictionary gets all four texts, the dates of now and the producer it has, and the
// XMP metadata is made anew from it, so that both agree. The file is written next to the target
// under a temporary name and renamed over it only when it is complete: a missing folder, a full
// disk or a refused write fail and leave an existing target as it was.
Status WriteArchiveFile(const std::string& source, const std::string& target,
                        const ArchiveInfo& info);

} // namespace qorprt
