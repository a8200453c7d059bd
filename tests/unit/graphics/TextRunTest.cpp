#include "graphics/TextRun.h"
#include "support/RenderHarness.h"

#include <gtest/gtest.h>

// 120 dpi on the recording canvas: 10 pt is 17 px (characters 10 wide, ascent 13), 12 pt is 20 px
// (12 wide, ascent 16), 14 pt is 23 px (13 wide, ascent 18).

namespace qorprt {
namespace {

using test::RenderHarness;
using Ops = std::vector<std::string>;

TEST(SetTextFont, TurnsCountersIntoSizeStyleAndFont) {
    struct {
        AttributeCounters counters;
        int32_t size;
        int32_t points;
        unsigned style;
        const char* font;
    } cases[] = {
        {kPageStartCounters, 0, 10, kStyleNone, "Courier New"},
        {{0, 0, 0, 0, 0, 0, 0, 0}, 0, 12, kStyleNone, "Courier New"},
        {{0, 0, 1, 1, 0, 0, 0, 0}, 0, 8, kStyleNone, "Arial Narrow"},
        {{0, 0, 0, 1, 1, 0, 0, 0}, 0, 18, kStyleNone, "Courier New"},
        {{0, 0, 0, 1, 1, 1, 0, 0}, 20, 6, kStyleNone, "Courier New"},
        {{2, 1, 0, 0, 0, 0, 0, 3},
         14,
         14,
         kStyleBold | kStyleUnderline | kStyleItalic,
         "Courier New"},
    };
    for (const auto& c : cases) {
        RenderHarness h;
        h.state.counters = c.counters;
        SetTextFont(h.canvas, h.state, c.size);
        EXPECT_EQ(h.state.fontSize, c.points);
        EXPECT_EQ(h.canvas.FontSize(), c.points);
        EXPECT_EQ(h.canvas.FontStyle(), c.style);
        EXPECT_EQ(h.canvas.FontName(), c.font);
    }
}

TEST(SetTextFont, CondensedRemembersTheFontItReplaces) {
    RenderHarness h;
    h.state.counters[kCondensed] = 1;
    h.canvas.SetFontName("Arial");
    SetTextFont(h.canvas, h.state, 0);
    EXPECT_EQ(h.state.currentFont, "Arial");
    // Already narrow: the current font stays, so turning condensed off returns to Arial.
    SetTextFont(h.canvas, h.state, 0);
    EXPECT_EQ(h.state.currentFont, "Arial");
    h.state.counters[kCondensed] = 0;
    SetTextFont(h.canvas, h.state, 0);
    EXPECT_EQ(h.canvas.FontName(), "Arial");
}

TEST(SpreadText, PutsABlankBetweenNeighbours) {
    EXPECT_EQ(SpreadText("ABC"), "A B C");
    EXPECT_EQ(SpreadText("A"), "A");
    EXPECT_EQ(SpreadText(""), "");
}

TEST(DrawTextRun, WidePrintIsSpreadAndTwoPointsLargerButMeasuredAtTheSize) {
    RenderHarness h;
    h.OpenPdf();
    h.state.counters[kWide] = 1;
    SetTextFont(h.canvas, h.state, 0);
    EXPECT_EQ(MeasureText(h.canvas, h.state, "ABC"), 50);
    EXPECT_EQ(DrawTextRun(h.canvas, h.ctx, "ABC", 5, 40), 5 * 12);
    EXPECT_EQ(h.canvas.Operations(),
              Ops{"text 5 24 \"A B C\" font=\"Courier New\" size=12 style=-"});
    EXPECT_EQ(h.pdfLayer.calls, Ops{"Text 7 5 40 \"A B C\""});
}

TEST(DrawTextRun, QorvaFontIsTwoPointsLargerAndMeasuringLeavesItSo) {
    RenderHarness h;
    h.canvas.SetFontName("QorvaW");
    EXPECT_EQ(MeasureText(h.canvas, h.state, "T"), 12);
    EXPECT_EQ(h.canvas.FontSize(), 12);
    h.state.counters[kWide] = 1;
    // Wide and QorvaW do not add up.
    EXPECT_EQ(DrawTextRun(h.canvas, h.ctx, "AB", 0, 40), 36);
    EXPECT_EQ(h.canvas.FontSize(), 12);
}

TEST(DrawTextRun, LatinNineLettersAreDrawnAsUnicodeWithTheirMeasuringLetter) {
    RenderHarness h(120, "", "10");
    h.OpenPdf();
    // Nine letters then the euro sign: the PDF gets the letters, the euro sign (Windows-1252
    // 0x80) where the canvas drew it, and an empty rest.
    EXPECT_EQ(DrawTextRun(h.canvas, h.ctx, "Rechnung:\xA4", 0, 40), 100);
    EXPECT_EQ(h.canvas.Operations(),
              (Ops{"text 47 27 \"Rechnung:\" font=\"Courier New\" size=10 style=-",
                   "char 137 27 U+20AC font=\"Courier New\" size=10 style=-",
                   "text 147 27 \"\" font=\"Courier New\" size=10 style=-"}));
    EXPECT_EQ(h.pdfLayer.calls,
              (Ops{"Text 7 47 40 \"Rechnung:\"", "Text 7 137 40 \"\x80\"", "Text 7 147 40 \"\""}));
}

TEST(DrawTextRun, EveryLatinNineByteAndItsAdvance) {
    // The PDF gets each letter as its Windows-1252 byte.
    struct {
        char byte;
        const char* code;
        char pdf;
    } cases[] = {{'\xA4', "U+20AC", '\x80'}, {'\xA6', "U+0160", '\x8A'}, {'\xA8', "U+0161", '\x9A'},
                 {'\xB4', "U+017D", '\x8E'}, {'\xB8', "U+017E", '\x9E'}, {'\xBC', "U+0152", '\x8C'},
                 {'\xBD', "U+0153", '\x9C'}, {'\xBE', "U+0178", '\x9F'}};
    for (const auto& c : cases) {
        RenderHarness h;
        h.OpenPdf();
        const std::string run{c.byte, 'x'};
        EXPECT_EQ(DrawTextRun(h.canvas, h.ctx, run, 0, 40), 20);
        ASSERT_EQ(h.canvas.Operations().size(), 3u);
        EXPECT_EQ(h.canvas.Operations()[1],
                  std::string("char 0 27 ") + c.code + " font=\"Courier New\" size=10 style=-");
        EXPECT_EQ(h.canvas.Operations()[2],
                  "text 10 27 \"x\" font=\"Courier New\" size=10 style=-");
        EXPECT_EQ(h.pdfLayer.calls,
                  (Ops{"Text 7 0 40 \"\"", "Text 7 0 40 \"" + std::string(1, c.pdf) + "\"",
                       "Text 7 10 40 \"x\""}))
            << c.code;
    }
    // Other high bytes are Windows-1252 text.
    RenderHarness h;
    DrawTextRun(h.canvas, h.ctx, "\xDC\x80", 0, 40);
    EXPECT_EQ(h.canvas.Operations(),
              Ops{"text 0 27 \"\xC3\x9C\xE2\x82\xAC\" font=\"Courier New\" size=10 style=-"});
}

TEST(DrawTextRun, EmptyRunDrawsNothing) {
    RenderHarness h;
    EXPECT_EQ(DrawTextRun(h.canvas, h.ctx, "", 0, 40), 0);
    EXPECT_TRUE(h.canvas.Operations().empty());
}

TEST(ResetCanvas, MarginOffsetsAndPageStart) {
    struct {
        int32_t dpi;
        const char* top;
        const char* left;
        int32_t topOffset;
        int32_t leftOffset;
    } cases[] = {{600, "5", "", 118, 0},
                 {600, "", "abc", 0, 0},
                 {96, "10", "25", 37, 94},
                 {600, "-3", "3", -70, 70}};
    for (const auto& c : cases) {
        RenderHarness h(c.dpi, c.top, c.left);
        h.state.counters = {1, 1, 1, 0, 1, 1, 1, 1};
        h.canvas.SetBrushColor(kBlack);
        h.canvas.SetPenWidth(4);
        ResetCanvas(h.canvas, h.ctx);
        EXPECT_EQ(h.state.topOffset, c.topOffset);
        EXPECT_EQ(h.state.leftOffset, c.leftOffset);
        EXPECT_EQ(h.state.dpi, c.dpi);
        EXPECT_EQ(h.state.counters, kPageStartCounters);
        EXPECT_EQ(h.canvas.Brush().style, BrushStyle::Clear);
        EXPECT_EQ(h.canvas.Pen().width, 2);
        EXPECT_EQ(h.canvas.FontSize(), 10);
    }
}

} // namespace
} // namespace qorprt
