#pragma once

#include "graphics/PrintTarget.h"
#include "render/DocumentDriver.h"

namespace qorprt {

class Printer;
class PrinterProperties;
struct JobSettings;

// The printer object as the document driver and the page steps print on it: its document, the
// bin switch between sheets and documents, its fonts, and the main window's scratch image.
class PrinterTarget : public PrintTarget, public DocumentHost {
public:
    PrinterTarget(qorprt::Printer& printer, PrinterProperties& properties, JobSettings& job,
                  BitmapCanvas* scratch = nullptr);

    // PrintTarget
    void BeginDoc() override;
    bool EndDoc() override;
    void Abort() override;
    void NewPage() override;
    void SwitchBin(int32_t binCode) override;

    // DocumentHost
    std::vector<std::string> FontNames(bool printing) override;
    void ShowOpenError(const std::string& message) override;
    PrintTarget* Printer() override { return this; }
    BitmapCanvas* ScratchCanvas() override { return scratch_; }
    Point PrinterOffset() override;
    int32_t WindowsVersion() override;

private:
    qorprt::Printer& printer_;
    PrinterProperties& properties_;
    JobSettings& job_;
    BitmapCanvas* scratch_;
};

} // namespace qorprt
