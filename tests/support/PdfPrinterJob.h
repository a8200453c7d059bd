#pragma once

#include "graphics/JobSettings.h"
#include "graphics/RenderState.h"
#include "jobs/MessageBoxes.h"
#include "jobs/PrinterProperties.h"
#include "pdf/PdfOutput.h"
#include "platform/printing/PdfPrinterSpooler.h"
#include "platform/printing/Printer.h"
#include "render/DocumentDriver.h"
#include "support/TempDir.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace qorprt {
class BitmapCanvas;
}

namespace qorprt::test {

// Message boxes a test does not expect: each one shown fails the test.
class UnexpectedBoxes : public MessageBoxes {
public:
    void ShowError(const std::string& text, const std::string& caption) override;
};

// A print on the built-in PDF printer with the real canvas, in a fresh folder: the log there,
// the printer's settings file there and its documents in the folder "out"; the job chooses that
// printer and puts the background picture at the paper's edge.
struct PdfPrinterJob {
    PdfPrinterJob();
    ~PdfPrinterJob();
    PdfPrinterJob(const PdfPrinterJob&) = delete;
    PdfPrinterJob& operator=(const PdfPrinterJob&) = delete;

    // Writes the PRT file R4711.PRT with `content` and prints it through the print action.
    RenderResult Print(const std::string& content, BitmapCanvas* scratch = nullptr);
    // The PDF files the printer delivered, sorted.
    std::vector<std::filesystem::path> Outputs() const;

    TempDir dir;
    UnexpectedBoxes boxes;
    JobSettings job;
    RenderState state;
    PdfState pdf;
    std::unique_ptr<PdfPrinterSpooler> spooler;
    std::unique_ptr<Printer> printer;
    std::unique_ptr<PrinterProperties> properties;
};

} // namespace qorprt::test
