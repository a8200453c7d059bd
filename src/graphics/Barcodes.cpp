#include "graphics/Barcodes.h"

#include "platform/canvas/BarcodeFonts.h"
#include "platform/canvas/BitmapCanvas.h"
#include "platform/canvas/Pdf417Encoder.h"
#include "platform/canvas/ScratchImage.h"
#include "platform/text/Numbers.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace qorprt {

namespace {

constexpr int32_t kEccLevel = 4;
constexpr int32_t kDefaultColumns = 7;
constexpr int32_t kScratchPoints = 12;
constexpr int32_t kSmallestDirectPoints = 6;
constexpr std::string_view kRowEnd = "\r\n";

// The rows of the encoded text that are ended by CR LF; text after the last one is no row.
std::vector<std::string_view> Rows(std::string_view encoded) {
    std::vector<std::string_view> rows;
    for (size_t start = 0, end; (end = encoded.find(kRowEnd, start)) != std::string_view::npos;
         start = end + kRowEnd.size())
        rows.push_back(encoded.substr(start, end - start));
    return rows;
}

} // namespace

std::string EncodePdf417(std::string_view data, int32_t columns) {
    const Pdf417Symbol symbol =
        EncodePdf417Symbol(data, kEccLevel, columns <= 0 ? kDefaultColumns : columns);
    std::string out;
    for (const std::vector<bool>& row : symbol.rows) {
        out += Pdf417FontRow(row);
        out += kRowEnd;
    }
    return out;
}

int32_t DrawPdf417Run(Canvas& canvas, RenderContext& ctx, std::string_view text, int32_t x,
                      int32_t y) {
    const RenderState& st = ctx.state;
    const std::string encoded = EncodePdf417(text, st.pdf417Columns);
    const TextMetrics metrics = canvas.GetTextMetrics();

    // Without the main window's scratch image (tools, tests) the run brings its own.
    std::unique_ptr<BitmapCanvas> own;
    BitmapCanvas* scratch = ctx.scratch;
    if (!scratch) {
        own = std::make_unique<ScratchImage>();
        scratch = own.get();
    }
    scratch->SetFontName(canvas.FontName());
    scratch->SetFontStyle(canvas.FontStyle());
    scratch->SetFontColor(canvas.Font().color);
    scratch->SetFontSize(kScratchPoints);
    const size_t firstEnd = encoded.find(kRowEnd);
    const int32_t width = scratch->TextExtent(std::string_view(encoded).substr(0, firstEnd)).cx;

    const std::vector<std::string_view> rows = Rows(encoded);
    const TextMetrics scratchMetrics = scratch->GetTextMetrics();
    // Twice the target's resolution, as the rows of any symbol fit at 12 points on a screen; a
    // taller symbol gets the room it needs instead of losing its last rows.
    const int64_t needed = 1 + static_cast<int64_t>(rows.size()) * scratchMetrics.height;
    scratch->SetBitmapSize(Sat32(int64_t{width} + 2),
                           Sat32(std::max<int64_t>(2 * int64_t{st.dpi}, needed)));
    // The image may still hold an earlier symbol; the rows are drawn on white.
    scratch->SetBrushColor(kWhite);
    scratch->FillRect(scratch->ClipRect());

    const bool small = canvas.FontSize() < kSmallestDirectPoints;
    const int32_t left = Sat32(int64_t{x} + st.leftOffset);
    int64_t scratchY = 1;
    int64_t rowY = y;
    for (std::string_view row : rows) {
        if (small) {
            scratchY += scratchMetrics.height;
            scratch->TextOut(1, Sat32(scratchY - scratchMetrics.ascent), row);
        } else {
            canvas.TextOut(left, Sat32(rowY - metrics.ascent), row);
            rowY += metrics.height;
        }
    }
    if (small) {
        scratch->SetBitmapSize(Sat32(int64_t{width} + 2), Sat32(scratchY));
        const Image picture = scratch->Picture();
        const int32_t resolution = std::max(scratch->PixelsPerInch(), 1);
        const int32_t w = MulDiv(st.dpi, picture.Width(), resolution) / 2;
        const int32_t h = MulDiv(st.dpi, picture.Height(), resolution) / 3;
        canvas.StretchDraw({left, y, Sat32(int64_t{left} + w), Sat32(int64_t{y} + h)}, picture);
    }
    // The PDF engine makes its own symbol of the raw data.
    if (ctx.pdf.Open()) ctx.pdf.engine->Pdf417(ctx.pdf.handle, left, y, std::string(text));
    return width;
}

} // namespace qorprt
