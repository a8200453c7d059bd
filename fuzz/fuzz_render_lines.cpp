// Feeds arbitrary bytes as the lines of a PRT file to the line interpreter on the recording
// canvas, in preview and in print mode.

#include "graphics/PrintTarget.h"
#include "graphics/TextRun.h"
#include "platform/canvas/Pdf417Encoder.h"
#include "platform/canvas/RecordingCanvas.h"
#include "platform/system/Errors.h"
#include "render/LineInterpreter.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using namespace qorprt;

class NullPrinter : public PrintTarget {
public:
    void BeginDoc() override {}
    bool EndDoc() override { return true; }
    void Abort() override {}
    void NewPage() override {}
    void SwitchBin(int32_t) override {}
};

void RenderAll(std::string_view data, bool printing) {
    RecordingCanvas canvas(printing ? 600 : 96);
    size_t operations = 0;
    // Count instead of keeping: memory must stay bounded whatever the input draws.
    canvas.SetSink([&operations](const std::string&) { ++operations; });
    JobSettings job;
    job.RandOben = "5";
    job.RandLinks = "7";
    job.FirstBinCode = 1;
    job.BinCode = 2;
    RenderState state;
    state.pdf417Font = "PDF417c"; // the built-in font, in every font list
    PdfState pdf;
    NullPrinter printer;
    RenderContext ctx{state, job, pdf, printing ? &printer : nullptr, {}};
    ResetCanvas(canvas, ctx);
    state.currentFont = state.fixedFont;
    canvas.SetFontName(state.fixedFont);
    try {
        size_t start = 0;
        for (size_t crlf; (crlf = data.find("\r\n", start)) != std::string_view::npos;
             start = crlf + 2)
            RenderLine(canvas, ctx, data.substr(start, crlf - start), printing);
        if (start < data.size()) RenderLine(canvas, ctx, data.substr(start), printing);
    } catch (const EConvertError&) {
        // A bad PDF417 column count ends the rendering by design.
    } catch (const EBarcodeError&) {
        // So does data too long for a PDF417 symbol.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    RenderAll(bytes, false);
    RenderAll(bytes, true);
    return 0;
}
