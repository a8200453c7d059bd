#include "render/LineInterpreter.h"
#include "pdf/QpeLayer.h"
#include "pdf/RecordingPdfEngine.h"
#include "platform/system/Errors.h"
#include "support/RenderHarness.h"

#include <gtest/gtest.h>

#include <climits>

// At 120 dpi a horizontal layout unit is one pixel and a vertical one two pixels. On the
// recording canvas 10 pt is 17 px (characters 10 wide, ascent 13), 12 pt is 20 px (12, 16),
// 8 pt is 13 px (7, 10), 18 pt is 30 px (18, 24) and 6 pt is 10 px (6, 8).

namespace qorprt {
namespace {

using test::RenderHarness;
using Ops = std::vector<std::string>;

std::string Text(int x, int y, const char* text, const char* font = "Courier New", int size = 10,
                 const char* style = "-") {
    return "text " + std::to_string(x) + " " + std::to_string(y) + " \"" + text + "\" font=\"" +
           font + "\" size=" + std::to_string(size) + " style=" + style;
}

TEST(RenderLine, BareTextGoesOneLineDownAtTheMarginInTheFixedFontAtTenPoints) {
    RenderHarness h;
    EXPECT_EQ(h.Render({"\t\t\t\tWort"}), Ops{Text(0, 20 - 13, "Wort")});
    EXPECT_EQ(h.state.linePos, 10);
}

TEST(RenderLine, LineFieldRules) {
    struct {
        std::vector<std::string> lines;
        Ops expected;
        int32_t linePos;
    } cases[] = {
        // "12 " is no number: next line.
        {{"\t\t\t\tA", "12 \t\t\t\tB"}, {Text(0, 7, "A"), Text(0, 27, "B")}, 20},
        // 0 is the next line as well, -10 stays on the line.
        {{"\t\t\t\tA", "0\t\t\t\tB", "-10\t\t\t\tC"},
         {Text(0, 7, "A"), Text(0, 27, "B"), Text(0, 27, "C")},
         20},
        // An explicit position below the current one moves the line position there.
        {{"30\t\t\t\tA", "\t\t\t\tB"}, {Text(0, 47, "A"), Text(0, 67, "B")}, 40},
        // "Lsp12": positions are scaled by the spacing.
        {{"\t\t\tLsp12\tA", "60\t\t\t\tB"}, {Text(0, 24 - 13, "A"), Text(0, 144 - 13, "B")}, 72},
        // "Lsp8" at the end of the field is 8, "Lsp8 Fe" reads "8 " and gives 10.
        {{"\t\t\tLsp8\tA", "\t\t\t\tB"}, {Text(0, 3, "A"), Text(0, 19, "B")}, 16},
        {{"\t\t\tLsp8 Fe\tA", "\t\t\t\tB"},
         {Text(0, 7, "A", "Courier New", 10, "B"), Text(0, 27, "B", "Courier New", 10, "B")},
         20},
    };
    for (auto& c : cases) {
        RenderHarness h;
        EXPECT_EQ(h.Render(c.lines), c.expected) << c.lines.back();
        EXPECT_EQ(h.state.linePos, c.linePos) << c.lines.back();
    }
}

TEST(RenderLine, SmallerLineFieldDrawsTextThereButBoxesAndFollowingLinesFromTheLargerPosition) {
    RenderHarness h;
    const Ops ops = h.Render({"50\t\t\t\tA", "30\t\t\t\tB<=r11>", "\t\t\t\tC"});
    // B at 30; the box at line position 50: top 50-6=44, bottom 50-3+5=52.
    EXPECT_EQ(ops, (Ops{Text(0, 87, "A"), Text(0, 47, "B"), "rect 10 88 22 104 pen=2 brush=clear",
                        Text(0, 107, "C")}));
}

TEST(RenderLine, ColumnFieldAndAdvance) {
    RenderHarness h(600);
    // 10 pt at 600 dpi: 83 px, characters 49 px wide, ascent 66.
    const Ops ops = h.Render({"60\t130\t\t\tAB<+FE>C"});
    EXPECT_EQ(ops, (Ops{Text(600, 600 - 66, "AB"),
                        // 98 px are 19 units (19.6 truncated): C starts at unit 149.
                        Text(695, 600 - 66, "C", "Courier New", 10, "B")}));
    EXPECT_EQ(h.state.column, 158);
}

TEST(RenderLine, OnlyTheLastPieceRoundsItsBaseline) {
    RenderHarness h(96);
    // Line position 1 at 96 dpi is 1.6 px: the first piece truncates to 1, the last rounds to 2.
    // 10 pt at 96 dpi is 13 px: characters 7 wide (8 units, truncated), ascent 10.
    EXPECT_EQ(h.Render({"1\t\t\t\tA<+UL>B"}),
              (Ops{Text(0, 1 - 10, "A"), Text(6, 2 - 10, "B", "Courier New", 10, "U")}));
}

TEST(RenderLine, RightTabStops) {
    struct {
        const char* line;
        Ops expected;
    } cases[] = {
        // The empty piece between the two tags keeps the stop; the text ends at 210, in bold.
        {"\t\t\t\t<TABR20><+FE>Summe", {Text(210 - 10 - 50, 7, "Summe", "Courier New", 10, "B")}},
        // A tab between the stop and the text cancels it.
        {"\t\t\t\t<TABR20>x<TABR30><TAB2>y", {Text(200 - 10, 7, "x"), Text(20, 7, "y")}},
        // "<TABR>" is a stop at column 10; "<TAB>" and "<TABR123>" are text.
        {"\t\t\t\tab<TABR>cd", {Text(0, 7, "ab"), Text(-20, 7, "cd")}},
        {"\t\t\t\t<TAB>", {Text(0, 7, "<TAB>")}},
        {"\t\t\t\t<TABR123>", {Text(0, 7, "<TABR123>")}},
    };
    for (const auto& c : cases) {
        RenderHarness h;
        EXPECT_EQ(h.Render({c.line}), c.expected) << c.line;
    }
}

TEST(RenderLine, ModeWordsAndTags) {
    struct {
        const char* line;
        Ops expected;
    } cases[] = {
        // "Fe" and "-Fe": only the decrement, and counters stop at 0.
        {"\t\t\tFe -Fe\tA", {Text(0, 7, "A")}},
        // The piece before a tag is drawn before the tag acts.
        {"\t\t\t\tA<+FE>B<-FE>C",
         {Text(0, 7, "A"), Text(10, 7, "B", "Courier New", 10, "B"), Text(20, 7, "C")}},
        // High makes the following pieces 8 points larger on the same baseline.
        {"\t\t\t\tA<+HO>B", {Text(0, 7, "A"), Text(10, 20 - 24, "B", "Courier New", 18)}},
        // Mini wins over high.
        {"\t\t\tHo Mi\tA", {Text(0, 20 - 8, "A", "Courier New", 6)}},
        // Base size 0 is 12, elite takes 2 off; "No" turns elite off.
        {"\t\t\tNo\tA", {Text(0, 20 - 16, "A", "Courier New", 12)}},
        {"\t\t8\t\tA", {Text(0, 20 - 8, "A", "Courier New", 6)}},
        // Underline and italic tags; an unknown tag loses five characters.
        {"\t\t\t\t<+UL><+KU>A<Txyz>B",
         {Text(0, 7, "A", "Courier New", 10, "IU"), Text(10, 7, ">B", "Courier New", 10, "IU")}},
        // Font tags: "<-AR>" returns to the fixed-pitch font.
        {"\t\t\t\t<+AR>A<-AR>B<+QW>C",
         {Text(0, 7, "A", "Arial"), Text(10, 7, "B"), Text(20, 20 - 16, "C", "QorvaW", 12)}},
    };
    for (const auto& c : cases) {
        RenderHarness h;
        EXPECT_EQ(h.Render({c.line}), c.expected) << c.line;
    }
}

TEST(RenderLine, CondensedWithArialTurnsNarrowAfterTheFirstTag) {
    RenderHarness h;
    EXPECT_EQ(
        h.Render({"\t\t\tEn Ari\tA<+FE>B"}),
        (Ops{Text(0, 20 - 10, "A", "Arial", 8), Text(7, 20 - 10, "B", "Arial Narrow", 8, "B")}));
    EXPECT_EQ(h.state.currentFont, "Arial");
}

TEST(RenderLine, AttributeMemory) {
    {
        // "-Mem" before any "+Mem": counters to the page start, the font stays.
        RenderHarness h;
        EXPECT_EQ(h.Render({"\t\t\tFe Ari\tA", "\t\t\t-Mem\tB"}),
                  (Ops{Text(0, 7, "A", "Arial", 10, "B"), Text(0, 27, "B", "Arial")}));
    }
    {
        // "+Mem" saves what the line left, bold from the tag included.
        RenderHarness h;
        h.Render({"\t\t\t+Mem Ari\tA<+FE>B", "\t\t\t*\tC"});
        EXPECT_EQ(h.Render({"\t\t\t-Mem\tD"}), Ops{Text(0, 47, "D", "Arial", 10, "B")});
    }
    {
        // "-Mem" and "+Mem" on one line: restored before, saved with the line's changes.
        RenderHarness h;
        h.Render({"\t\t\tUl +Mem\tA", "\t\t\t-Mem +Mem Fe\tB", "\t\t\t*\tC"});
        EXPECT_EQ(h.Render({"\t\t\t-Mem\tD"}), Ops{Text(0, 67, "D", "Courier New", 10, "BU")});
    }
}

TEST(RenderLine, FontWordsReachThePdfOnTheirOwnLine) {
    RenderHarness h;
    RecordingPdfEngine engine;
    QpeLayer layer(engine, {});
    h.pdf.engine = &layer;
    h.pdf.handle = layer.BeginDoc(120);
    Ops texts;
    engine.SetTraceSink([&](const std::string& line) { texts.push_back(line); });
    h.Render({"\t\t\tAri\tQorva", "\t\t\tCou\tWeg", "\t\t\tEn Ari\tA<+FE>B"}, true);
    // At 120 dpi an engine unit is 47 pixels; baselines at 20, 40 and 60 pixels; "A" at 8 points
    // is 7 pixels wide.
    EXPECT_EQ(texts, (Ops{"pdf text 1.8085 0.4255 \"Qorva\" font=\"Arial\" size=10 style=-",
                          "pdf text 1.8085 0.8511 \"Weg\" font=\"Courier\" size=10 style=-",
                          "pdf text 1.8085 1.2766 \"A\" font=\"Arial Narrow\" size=8 style=-",
                          "pdf text 1.9574 1.2766 \"B\" font=\"Arial Narrow\" size=8 style=B"}));
}

TEST(RenderLine, StarResetsThePageSetUpAndTheFont) {
    RenderHarness h;
    EXPECT_EQ(h.Render({"\t\t\tFe Ari Br\tA", "\t\t\t*\tB"}),
              (Ops{Text(0, 20 - 16, "A", "Arial", 12, "B"), Text(0, 27, "B")}));
}

TEST(RenderLine, Pdf417WordReadsTheColumnsStrictly) {
    RenderHarness h;
    h.Render({"\t\t\tPDF Sp3\tx"});
    EXPECT_EQ(h.state.pdf417Columns, 3);
    h.Render({"\t\t\tPDF\tx"});
    EXPECT_EQ(h.state.pdf417Columns, 7);
    // No PDF417 font: the canvas keeps its font, the current font name becomes empty.
    EXPECT_EQ(h.canvas.FontName(), "Courier New");
    EXPECT_EQ(h.state.currentFont, "");
    for (const char* line : {"\t\t\tPDF Spx\tx", "\t\t\tPDF Sp\tx"}) {
        RenderHarness bad;
        EXPECT_THROW(bad.Render({line}), EConvertError) << line;
        EXPECT_TRUE(bad.canvas.Operations().empty());
    }
}

TEST(RenderLine, BoxCharacterUnknownCodeAdvancesOneCell) {
    RenderHarness h;
    EXPECT_EQ(h.Render({"\t\t\t\t<100>A<=L05>"}), (Ops{Text(10, 7, "A<=L05>")}));
}

TEST(RenderLine, AbsurdNumbersStayInRange) {
    RenderHarness h(600, "2147483647", "-2147483648");
    const Ops ops = h.Render({"2147483647\t2147483647\t2147483647\tHo Br Lsp99\tA<TABR999>B<L999>",
                              "-2147483648\t-2147483647\t-2147483648\t\t<=R99><179><-l99>",
                              "\t\t\t\t<TAB999><=L999>"});
    EXPECT_FALSE(ops.empty());
    EXPECT_EQ(h.state.lineSpacing, 99);
}

} // namespace
} // namespace qorprt
