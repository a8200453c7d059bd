#pragma once

#include <string>

namespace qorprt {

// The message boxes the job logic shows. Texts are 8-bit Windows-1252. The main window shows
// them as modal boxes; tests record them.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A box with an OK button only.
    virtual void ShowError(const std::string& text, const std::string& caption) = 0;
};

} // namespace qorprt
