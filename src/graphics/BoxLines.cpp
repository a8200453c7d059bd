#include "graphics/BoxLines.h"

#include "graphics/TextRun.h"
#include "platform/canvas/Canvas.h"
#include "platform/text/Numbers.h"

namespace qorprt {

namespace {

// The width of one character cell in device pixels: the letter "T", one pixel more in the Arial
// fonts, whose "T" is narrower than their box characters were designed for.
int32_t CellWidth(Canvas& canvas, const RenderState& st) {
    int64_t width = MeasureText(canvas, st, "T");
    if (canvas.FontName() == "Arial" || canvas.FontName() == "Arial Narrow") ++width;
    return Sat32(width);
}

int32_t ToLayoutX(const RenderState& st, int64_t pixels) {
    return MulDivTrunc(pixels, 120, st.dpi);
}

} // namespace

int32_t PixelX(const RenderState& st, int64_t x) {
    return Sat32(int64_t{MulDivTrunc(x, st.dpi, 120)} + st.leftOffset);
}

int32_t PixelY(const RenderState& st, int64_t y) {
    return Sat32(int64_t{MulDivTrunc(y + st.pageOffset, st.dpi, 60)} + st.topOffset);
}

void DrawLine(Canvas& canvas, RenderContext& ctx, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const RenderState& st = ctx.state;
    const int32_t px1 = PixelX(st, x1), py1 = PixelY(st, y1);
    const int32_t px2 = PixelX(st, x2), py2 = PixelY(st, y2);
    canvas.MoveTo(px1, py1);
    canvas.LineTo(px2, py2);
    if (ctx.pdf.Open()) ctx.pdf.engine->Line(ctx.pdf.handle, px1, py1, px2, py2);
}

void DrawBox(Canvas& canvas, RenderContext& ctx, int32_t x, int32_t y, int32_t columns,
             int32_t rows, bool filled) {
    const RenderState& st = ctx.state;
    const int64_t left = x;
    const int64_t right = left + int64_t{12} * columns;
    const int64_t top = int64_t{y} - 3;
    const int64_t bottom = int64_t{y} + int64_t{5} * rows;
    const Rect box{PixelX(st, left), PixelY(st, top), PixelX(st, right), PixelY(st, bottom)};
    if (filled) {
        canvas.SetBrushStyle(BrushStyle::Solid);
        canvas.SetBrushColor(kBlack);
        canvas.FillRect({box.left, Sat32(int64_t{box.top} - 4), box.right, box.bottom});
        // The colour is set last, which leaves the brush solid white: later outlined boxes on
        // this page are painted white inside until the next page set-up.
        canvas.SetBrushStyle(BrushStyle::Clear);
        canvas.SetBrushColor(kWhite);
    } else {
        canvas.Rectangle(box.left, box.top, box.right, box.bottom);
    }
    if (ctx.pdf.Open())
        ctx.pdf.engine->Box(ctx.pdf.handle, box.left, box.top, box.right, box.bottom, filled);
}

void DrawBoxChar(Canvas& canvas, RenderContext& ctx, int32_t code) {
    RenderState& st = ctx.state;
    const int32_t w = ToLayoutX(st, CellWidth(canvas, st));
    const int32_t x = st.column, y = st.linePos;
    const int32_t L = Sat32(int64_t{x} - 10), R = Sat32(int64_t{x} - 10 + w);
    const int32_t m = Sat32(int64_t{x} - 5);
    const int32_t top = Sat32(int64_t{y} - 10), mid = Sat32(int64_t{y} - 4), bottom = y;

    auto vFull = [&] { DrawLine(canvas, ctx, m, bottom, m, top); };
    auto vUp = [&] { DrawLine(canvas, ctx, m, mid, m, top); };
    auto vDown = [&] { DrawLine(canvas, ctx, m, mid, m, bottom); };
    auto hFull = [&] { DrawLine(canvas, ctx, L, mid, R, mid); };
    auto hLeft = [&] { DrawLine(canvas, ctx, L, mid, m, mid); };
    auto hRight = [&] { DrawLine(canvas, ctx, m, mid, R, mid); };

    switch (code) {
    case 179:
        vFull();
        break;
    case 180:
        hLeft();
        vFull();
        break;
    case 195:
        hRight();
        vFull();
        break;
    case 196:
        hFull();
        break;
    case 193:
        vUp();
        hFull();
        break;
    case 194:
        vDown();
        hFull();
        break;
    case 197:
        vFull();
        hFull();
        break;
    case 205:
        hFull();
        DrawLine(canvas, ctx, L, Sat32(int64_t{y} - 3), R, Sat32(int64_t{y} - 3));
        break;
    case 192:
        vUp();
        hRight();
        break;
    case 218:
        vDown();
        hRight();
        break;
    case 191:
        vDown();
        hLeft();
        break;
    case 217:
        vUp();
        hLeft();
        break;
    case 248: { // the degree ring, in the PDF as well as on the canvas
        const Rect ring{PixelX(st, int64_t{x} - 7), PixelY(st, int64_t{y} - 7),
                        PixelX(st, int64_t{x} - 2), PixelY(st, int64_t{y} - 4)};
        canvas.Ellipse(ring.left, ring.top, ring.right, ring.bottom);
        if (ctx.pdf.Open())
            ctx.pdf.engine->Ellipse(ctx.pdf.handle, ring.left, ring.top, ring.right, ring.bottom);
        break;
    }
    default:
        break;
    }
    st.column = Sat32(int64_t{st.column} + w);
}

void DrawRule(Canvas& canvas, RenderContext& ctx, RuleForm form, std::string_view count) {
    RenderState& st = ctx.state;
    const int32_t cell = CellWidth(canvas, st);
    const int64_t n = StrToIntDef(count, 0);
    const int64_t x = st.column, y = st.linePos;
    const int32_t end = Sat32(x - 10 + MulDivTrunc(n * cell, 120, st.dpi));
    const int32_t mid = Sat32(y - 4);
    const int32_t x5 = Sat32(x - 5), x10 = Sat32(x - 10);

    int32_t start = x10;
    switch (form) {
    case RuleForm::TickUp:
        DrawLine(canvas, ctx, x5, Sat32(y - 10), x5, mid);
        start = x5;
        break;
    case RuleForm::TickDown:
        DrawLine(canvas, ctx, x5, Sat32(y), x5, mid);
        break;
    case RuleForm::Double:
        DrawLine(canvas, ctx, x10, Sat32(y - 3), end, Sat32(y - 3));
        canvas.MoveTo(PixelX(st, x10), PixelY(st, mid));
        break;
    case RuleForm::Plain:
        canvas.MoveTo(PixelX(st, x10), PixelY(st, mid));
        break;
    }
    if (ctx.pdf.Open())
        ctx.pdf.engine->Line(ctx.pdf.handle, PixelX(st, start), PixelY(st, mid), PixelX(st, end),
                             PixelY(st, mid));
    // The ticks leave the pen at their lower or upper end on the centre line.
    canvas.LineTo(PixelX(st, end), PixelY(st, mid));
    st.column = Sat32(int64_t{end} + 10);
}

} // namespace qorprt
