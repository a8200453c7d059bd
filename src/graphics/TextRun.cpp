#include "graphics/TextRun.h"

#include "graphics/Barcodes.h"
#include "platform/canvas/Canvas.h"
#include "platform/text/Encoding.h"
#include "platform/text/Numbers.h"

namespace qorprt {

namespace {

constexpr std::string_view kQorvaFont = "QorvaW";

// The eight bytes drawn as ISO 8859-15 letters, and the letter whose width is the advance.
char LatinNineMeasure(unsigned char byte) {
    switch (byte) {
    case 0xA4:
    case 0xA6:
    case 0xB4:
    case 0xBE:
        return 'S';
    case 0xA8:
    case 0xB8:
        return 's';
    case 0xBC:
    case 0xBD:
        return 'W';
    default:
        return '\0';
    }
}

} // namespace

void ResetCanvas(Canvas& canvas, RenderContext& ctx) {
    RenderState& st = ctx.state;
    st.counters = kPageStartCounters;
    st.fontSize = 10;
    // A device without a resolution would make every position a division by zero.
    st.dpi = canvas.PixelsPerInch() > 0 ? canvas.PixelsPerInch() : 1;
    st.topOffset = MulDivTrunc(StrToIntDef(ctx.job.RandOben, 0), int64_t{st.dpi} * 10, 254);
    st.leftOffset = MulDivTrunc(StrToIntDef(ctx.job.RandLinks, 0), int64_t{st.dpi} * 10, 254);
    canvas.SetTextFlags(0);
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.SetFontDefaultCharset();
    canvas.SetFontSize(10);
    canvas.SetFontColor(kBlack);
    canvas.SetPenWidth(2);
}

void SetTextFont(Canvas& canvas, RenderState& st, int32_t size) {
    unsigned style = kStyleNone;
    if (st.On(kUnderline)) style |= kStyleUnderline;
    if (st.On(kBold)) style |= kStyleBold;
    if (st.On(kItalic)) style |= kStyleItalic;
    canvas.SetFontStyle(style);

    int64_t points = size == 0 ? 12 : size;
    if (st.On(kElite)) points -= 2;
    if (st.On(kCondensed)) {
        points -= 2;
        // Remember the font condensed print replaces, so that turning it off returns to it.
        if (canvas.FontName() != st.narrowFont) st.currentFont = canvas.FontName();
        canvas.SetFontName(st.narrowFont);
    } else {
        canvas.SetFontName(st.currentFont);
    }
    if (st.On(kHigh)) points += 8;
    if (st.On(kMini)) points = 6;
    st.fontSize = Sat32(points);
    canvas.SetFontSize(st.fontSize);
}

std::string SpreadText(std::string_view text) {
    if (text.size() < 2) return std::string(text);
    std::string out;
    out.reserve(text.size() * 2 - 1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (i > 0) out.push_back(' ');
        out.push_back(text[i]);
    }
    return out;
}

int32_t MeasureText(Canvas& canvas, const RenderState& st, std::string_view text) {
    if (text.empty()) return 0;
    const std::string spread = st.On(kWide) ? SpreadText(text) : std::string();
    const std::string_view measured = st.On(kWide) ? std::string_view(spread) : text;
    if (canvas.FontName() == kQorvaFont) canvas.SetFontSize(Sat32(int64_t{st.fontSize} + 2));
    return canvas.TextExtent(measured).cx;
}

int32_t DrawTextRun(Canvas& canvas, RenderContext& ctx, std::string_view text, int32_t x,
                    int32_t y) {
    if (text.empty()) return 0;
    RenderState& st = ctx.state;
    std::string spread;
    if (st.On(kWide)) {
        spread = SpreadText(text);
        text = spread;
        canvas.SetFontSize(Sat32(int64_t{st.fontSize} + 2));
    }
    if (canvas.FontName() == kQorvaFont) canvas.SetFontSize(Sat32(int64_t{st.fontSize} + 2));
    // A run in the PDF417 font is a barcode of its text.
    if (!st.pdf417Font.empty() && canvas.FontName() == st.pdf417Font)
        return DrawPdf417Run(canvas, ctx, text, x, y);

    const int32_t ascent = canvas.GetTextMetrics().ascent;
    const int32_t width = canvas.TextExtent(text).cx;
    canvas.SetFontDefaultCharset();
    canvas.SetTextFlags(0);

    const int32_t top = Sat32(int64_t{y} - ascent);
    int64_t left = x;
    auto drawPart = [&](std::string_view part) {
        const int32_t at = Sat32(left + st.leftOffset);
        canvas.TextOut(at, top, part);
        if (ctx.pdf.Open()) ctx.pdf.engine->Text(ctx.pdf.handle, at, y, std::string(part));
    };
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const char measure = LatinNineMeasure(byte);
        if (measure == '\0') continue;
        const std::string_view part = text.substr(start, i - start);
        drawPart(part);
        left += canvas.TextExtent(part).cx;
        const char16_t letter = Latin9ToUnicode(byte);
        canvas.TextOutW(Sat32(left + st.leftOffset), top, letter);
        // The PDF gets the letter too, where the canvas drew it: an invoice without its euro
        // signs would be wrong. Windows-1252 has all eight letters, so the text stays 8-bit.
        if (ctx.pdf.Open())
            ctx.pdf.engine->Text(ctx.pdf.handle, Sat32(left + st.leftOffset), y,
                                 Utf16ToCp1252(std::u16string(1, letter)));
        left += canvas.TextExtent(std::string_view(&measure, 1)).cx;
        start = i + 1;
    }
    drawPart(text.substr(start));
    return width;
}

} // namespace qorprt
