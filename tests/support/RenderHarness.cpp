#include "support/RenderHarness.h"

#include "graphics/TextRun.h"
#include "render/LineInterpreter.h"

namespace qorprt::test {

namespace {
std::string Args(std::initializer_list<int32_t> values) {
    std::string out;
    for (int32_t v : values)
        out += " " + std::to_string(v);
    return out;
}
} // namespace

int32_t RecordingPdf::BeginDoc(int32_t dpi) {
    calls.push_back("BeginDoc" + Args({dpi}));
    return nextHandle;
}
int32_t RecordingPdf::EndDoc(int32_t doc, const std::string& fileName, bool show) {
    calls.push_back("EndDoc" + Args({doc}) + " " + fileName + (show ? " show" : " hide"));
    return 1;
}
void RecordingPdf::Discard(int32_t doc) {
    calls.push_back("Discard" + Args({doc}));
}
void RecordingPdf::NewPage(int32_t doc) {
    calls.push_back("NewPage" + Args({doc}));
}
int32_t RecordingPdf::Text(int32_t doc, int32_t x, int32_t y, const std::string& text) {
    calls.push_back("Text" + Args({doc, x, y}) + " \"" + text + "\"");
    return 0;
}
void RecordingPdf::Font(int32_t doc, int32_t size, const AttributeCounters&, std::string&) {
    calls.push_back("Font" + Args({doc, size}));
}
void RecordingPdf::Line(int32_t doc, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    calls.push_back("Line" + Args({doc, x1, y1, x2, y2}));
}
void RecordingPdf::Box(int32_t doc, int32_t left, int32_t top, int32_t right, int32_t bottom,
                       bool filled) {
    calls.push_back("Box" + Args({doc, left, top, right, bottom}) + (filled ? " filled" : ""));
}
void RecordingPdf::Ellipse(int32_t doc, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    calls.push_back("Ellipse" + Args({doc, left, top, right, bottom}));
}
void RecordingPdf::Picture(int32_t doc, const std::string& fileName, int32_t x, int32_t y) {
    calls.push_back("Picture" + Args({doc}) + " " + fileName + Args({x, y}));
}
void RecordingPdf::Pdf417(int32_t doc, int32_t x, int32_t y, const std::string& data) {
    calls.push_back("Pdf417" + Args({doc, x, y}) + " " + data);
}

RenderHarness::RenderHarness(int32_t dpi, std::string top, std::string left)
    : canvas(dpi), ctx{state, job, pdf, nullptr, {}} {
    job.RandOben = std::move(top);
    job.RandLinks = std::move(left);
    job.HeadTop = 0;
    job.HeadLeft = 0;
    ResetCanvas(canvas, ctx);
    state.currentFont = state.fixedFont;
    canvas.SetFontName(state.fixedFont);
}

void RenderHarness::OpenPdf() {
    pdf.engine = &pdfLayer;
    pdf.handle = pdfLayer.nextHandle;
}

std::vector<std::string> RenderHarness::Render(const std::vector<std::string>& lines,
                                               bool printing) {
    canvas.Clear();
    ctx.printer = printing ? &printer : nullptr;
    for (const std::string& line : lines)
        RenderLine(canvas, ctx, line, printing);
    return canvas.Operations();
}

} // namespace qorprt::test
