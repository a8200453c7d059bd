#pragma once

#include "support/TempDir.h"

#include <string>
#include <vector>

namespace qorprt::test {

// Points the log at a fresh file for the life of the object, so a test can read what was
// written: each line as "LEVEL: TEXT", without the date, time and process id.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> Lines() const;
    // Whether a line "LEVEL: TEXT" was written.
    bool Has(int level, const std::string& text) const;
    const std::string& Folder() const { return dir_.Path(); }

private:
    TempDir dir_;
};

} // namespace qorprt::test
