#pragma once

#include "graphics/JobSettings.h"
#include "graphics/PrintTarget.h"
#include "graphics/RenderContext.h"
#include "graphics/RenderState.h"
#include "pdf/PdfOutput.h"
#include "platform/canvas/RecordingCanvas.h"

#include <string>
#include <vector>

namespace qorprt::test {

// Writes down every call of the PDF layer, one line each.
class RecordingPdf : public PdfOutput {
public:
    std::vector<std::string> calls;
    int32_t nextHandle = 7;

    int32_t BeginDoc(int32_t dpi) override;
    int32_t EndDoc(int32_t doc, const std::string& fileName, bool show) override;
    void Discard(int32_t doc) override;
    void NewPage(int32_t doc) override;
    int32_t Text(int32_t doc, int32_t x, int32_t y, const std::string& text) override;
    void Font(int32_t doc, int32_t size, const AttributeCounters& counters,
              std::string& currentFont) override;
    void Line(int32_t doc, int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void Box(int32_t doc, int32_t left, int32_t top, int32_t right, int32_t bottom,
             bool filled) override;
    void Ellipse(int32_t doc, int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    void Picture(int32_t doc, const std::string& fileName, int32_t x, int32_t y) override;
    void Pdf417(int32_t doc, int32_t x, int32_t y, const std::string& data) override;
};

// Writes down what the page steps ask of the printer document.
class RecordingPrinter : public PrintTarget {
public:
    std::vector<std::string> calls;
    void BeginDoc() override { calls.push_back("BeginDoc"); }
    bool EndDoc() override {
        calls.push_back("EndDoc");
        if (refusals == 0) return true;
        --refusals;
        return false;
    }
    int refusals = 0; // documents the spooler refuses, from the next one on
    void Abort() override { calls.push_back("Abort"); }
    void NewPage() override { calls.push_back("NewPage"); }
    void SwitchBin(int32_t bin) override { calls.push_back("SwitchBin " + std::to_string(bin)); }
};

// A rendering set up as the document driver sets it up for a preview: recording canvas, fixed
// font "Courier New", narrow font "Arial Narrow", no PDF417 font, page set-up done.
struct RenderHarness {
    explicit RenderHarness(int32_t dpi = 120, std::string top = "", std::string left = "");

    // Renders the lines and returns the canvas operations they produced.
    std::vector<std::string> Render(const std::vector<std::string>& lines, bool printing = false);
    // Opens a PDF document on the recording PDF layer.
    void OpenPdf();

    RecordingCanvas canvas;
    JobSettings job;
    RenderState state;
    PdfState pdf;
    RecordingPdf pdfLayer;
    RecordingPrinter printer;
    RenderContext ctx;
};

} // namespace qorprt::test
