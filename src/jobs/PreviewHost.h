#pragma once

#include "render/DocumentDriver.h"

namespace qorprt {

class MessageBoxes;

// The surroundings of a preview rendering: the screen's fonts, the message box for a file that
// cannot be opened, no printer, the scratch image for barcodes.
class PreviewHost : public DocumentHost {
public:
    PreviewHost(MessageBoxes& messages, BitmapCanvas* scratch);

    std::vector<std::string> FontNames(bool printing) override;
    void ShowOpenError(const std::string& message) override;
    PrintTarget* Printer() override { return nullptr; }
    BitmapCanvas* ScratchCanvas() override { return scratch_; }
    Point PrinterOffset() override { return {}; }
    int32_t WindowsVersion() override;

private:
    MessageBoxes& messages_;
    BitmapCanvas* scratch_;
};

} // namespace qorprt
