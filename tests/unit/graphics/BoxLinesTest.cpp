#include "graphics/BoxLines.h"
#include "graphics/TextRun.h"
#include "support/RenderHarness.h"

#include <gtest/gtest.h>

// At 120 dpi x pixels equal horizontal layout units and y pixels are twice the vertical ones.
// Courier New 10 pt on the recording canvas: "T" is 10 px, so a cell is 10 units.

namespace qorprt {
namespace {

using test::RenderHarness;
using Ops = std::vector<std::string>;

std::string Line(int x1, int y1, int x2, int y2, int pen = 2) {
    return "line " + std::to_string(x1) + " " + std::to_string(y1) + " " + std::to_string(x2) +
           " " + std::to_string(y2) + " pen=" + std::to_string(pen);
}

// Layout positions to pixels at 120 dpi, without margins.
std::string L(int x1, int y1, int x2, int y2) {
    return Line(x1, 2 * y1, x2, 2 * y2);
}

TEST(DrawBoxChar, SegmentsOfEveryCodeInTheCell) {
    // Cell at column 22, line 30: L 12, R 22, m 17, top 20, mid 26, bottom 30.
    struct {
        int code;
        Ops expected;
    } cases[] = {
        {179, {L(17, 30, 17, 20)}},
        {180, {L(12, 26, 17, 26), L(17, 30, 17, 20)}},
        {195, {L(17, 26, 22, 26), L(17, 30, 17, 20)}},
        {196, {L(12, 26, 22, 26)}},
        {193, {L(17, 26, 17, 20), L(12, 26, 22, 26)}},
        {194, {L(17, 26, 17, 30), L(12, 26, 22, 26)}},
        {197, {L(17, 30, 17, 20), L(12, 26, 22, 26)}},
        {205, {L(12, 26, 22, 26), L(12, 27, 22, 27)}},
        {192, {L(17, 26, 17, 20), L(17, 26, 22, 26)}},
        {218, {L(17, 26, 17, 30), L(17, 26, 22, 26)}},
        {191, {L(17, 26, 17, 30), L(12, 26, 17, 26)}},
        {217, {L(17, 26, 17, 20), L(12, 26, 17, 26)}},
        {248, {"ellipse 15 46 20 52 pen=2 brush=clear"}},
        {199, {}},
    };
    for (const auto& c : cases) {
        RenderHarness h;
        h.state.column = 22;
        h.state.linePos = 30;
        DrawBoxChar(h.canvas, h.ctx, c.code);
        EXPECT_EQ(h.canvas.Operations(), c.expected) << c.code;
        EXPECT_EQ(h.state.column, 32) << c.code;
    }
}

TEST(DrawBoxChar, ArialCellIsOnePixelWiderThanItsT) {
    RenderHarness h(600);
    h.canvas.SetFontName("Arial");
    // "T" is 49 px at 10 pt and 600 dpi; 50 px are 10 units. ├ reaches from m to the cell edge.
    h.state.column = 22;
    h.state.linePos = 30;
    DrawBoxChar(h.canvas, h.ctx, 195);
    EXPECT_EQ(h.canvas.Operations(), (Ops{Line(85, 260, 110, 260), Line(85, 300, 85, 200)}));
    EXPECT_EQ(h.state.column, 32);
    h.canvas.SetFontName("Courier New");
    DrawBoxChar(h.canvas, h.ctx, 196);
    // 49 px are 9 units (9.8 truncated).
    EXPECT_EQ(h.state.column, 41);
}

TEST(DrawRule, FormsTicksAndAdvance) {
    // Column 30, line 20, 3 cells: E = 20 + 30 = 50, mid 16.
    struct {
        const char* line;
        Ops expected;
        Ops pdf;
    } cases[] = {
        {"<L3>",
         {L(25, 10, 25, 16), L(25, 16, 50, 16)},
         {"Line 7 25 20 25 32", "Line 7 25 32 50 32"}},
        {"<l03>",
         {L(25, 10, 25, 16), L(25, 16, 50, 16)},
         {"Line 7 25 20 25 32", "Line 7 25 32 50 32"}},
        {"<-l3>",
         {L(25, 20, 25, 16), L(25, 16, 50, 16)},
         {"Line 7 25 40 25 32", "Line 7 20 32 50 32"}},
        {"<=L3>",
         {L(20, 17, 50, 17), L(20, 16, 50, 16)},
         {"Line 7 20 34 50 34", "Line 7 20 32 50 32"}},
        {"<L03>", {L(20, 16, 50, 16)}, {"Line 7 20 32 50 32"}},
        {"<-l0>",
         {L(25, 20, 25, 16), L(25, 16, 20, 16)},
         {"Line 7 25 40 25 32", "Line 7 20 32 20 32"}},
    };
    for (const auto& c : cases) {
        RenderHarness h;
        h.OpenPdf();
        h.Render({std::string("20\t30\t\t\t") + c.line});
        EXPECT_EQ(h.canvas.Operations(), c.expected) << c.line;
        Ops pdfLines;
        for (const auto& call : h.pdfLayer.calls)
            if (call.rfind("Line", 0) == 0) pdfLines.push_back(call);
        EXPECT_EQ(pdfLines, c.pdf) << c.line;
        const bool empty = std::string(c.line) == "<-l0>";
        EXPECT_EQ(h.state.column, empty ? 30 : 60) << c.line;
    }
}

TEST(DrawBox, FilledBarLeavesTheBrushSolidWhiteUntilThePageSetUp) {
    RenderHarness h;
    h.OpenPdf();
    // Column 22, line 30: DrawBox(12, 27, ...): left 12, top 24, right 12+12w, bottom 27+5h.
    const Ops ops = h.Render({"30\t22\t\t\t<=R21><=r12>", "\t\t\t*\t<=r11>"});
    EXPECT_EQ(ops, (Ops{"fill 12 44 36 64 brush=#000000", "rect 12 48 24 74 pen=2 brush=#FFFFFF",
                        "rect 0 68 12 84 pen=2 brush=clear"}));
    Ops boxes;
    for (const auto& call : h.pdfLayer.calls)
        if (call.rfind("Box", 0) == 0) boxes.push_back(call);
    EXPECT_EQ(boxes, (Ops{"Box 7 12 48 36 64 filled", "Box 7 12 48 24 74", "Box 7 0 68 12 84"}));
}

TEST(BoxLines, MarginsMoveEverythingLikeTheText) {
    RenderHarness h(120, "5", "10");
    // 10 mm at 120 dpi: 47 px; 5 mm: 23 px.
    const Ops ops = h.Render({"30\t22\t\t\t<179><248>A"});
    EXPECT_EQ(ops, (Ops{Line(17 + 47, 60 + 23, 17 + 47, 40 + 23),
                        "ellipse " + std::to_string(25 + 47) + " " + std::to_string(46 + 23) + " " +
                            std::to_string(30 + 47) + " " + std::to_string(52 + 23) +
                            " pen=2 brush=clear",
                        "text 79 70 \"A\" font=\"Courier New\" size=10 style=-"}));
}

TEST(BoxLines, PdfMirrorsEveryLineAndTheRingWhereTheCanvasDrawsThem) {
    RenderHarness h;
    h.Render({"30\t22\t\t\t<197><248>"});
    EXPECT_TRUE(h.pdfLayer.calls.empty());
    h.OpenPdf();
    h.Render({"30\t22\t\t\t<197><248>"});
    EXPECT_EQ(h.pdfLayer.calls, (Ops{"Font 7 0", "Line 7 17 60 17 40", "Line 7 12 52 22 52",
                                     "Font 7 0", "Ellipse 7 25 46 30 52", "Font 7 0"}));
}

} // namespace
} // namespace qorprt
