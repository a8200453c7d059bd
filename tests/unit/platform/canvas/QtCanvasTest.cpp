#include "platform/canvas/QtCanvas.h"

#include "platform/canvas/Image.h"
#include "platform/text/Encoding.h"
#include "platform/text/Numbers.h"
#include "support/GuiApp.h"

#include <QBuffer>
#include <QDir>
#include <QFont>
#include <QGlyphRun>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRawFont>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace qorprt {
namespace {

// The box around the pixels darker than mid-grey, edges inclusive.
struct Ink {
    int left = INT_MAX;
    int top = INT_MAX;
    int right = INT_MIN;
    int bottom = INT_MIN;
    bool Any() const { return right >= left; }
};

Ink FindInk(const QImage& anyImage, QRect area = {}) {
    const QImage image = anyImage.format() == QImage::Format_RGB32
                             ? anyImage
                             : anyImage.convertToFormat(QImage::Format_RGB32);
    if (area.isNull()) area = image.rect();
    area &= image.rect();
    Ink ink;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(line[x]) >= 128) continue;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    }
    return ink;
}

// How many pixels of two images of one size differ, and by how many grey levels at most.
struct Difference {
    int pixels = 0;
    int largest = 0;
};

Difference Compare(const QImage& a, const QImage& b) {
    Difference difference;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const int grey = std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
            if (grey == 0) continue;
            ++difference.pixels;
            difference.largest = std::max(difference.largest, grey);
        }
    return difference;
}

QRgb PixelAt(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

class QtCanvasTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureGuiApplication(); }
};

// ----- Font size and advances ---------------------------------------------------------------

struct SizeCase {
    int32_t points;
    int32_t dpi;
    int32_t pixels;
};

class QtCanvasFontSizeTest : public ::testing::TestWithParam<SizeCase> {
protected:
    static void SetUpTestSuite() { test::EnsureGuiApplication(); }
};

TEST_P(QtCanvasFontSizeTest, EmHeightAndMonospacedAdvanceAreWholePixels) {
    const SizeCase c = GetParam();
    QImage image = NewCanvasImage(100, 100, c.dpi);
    QtCanvas canvas(image, c.dpi);
    canvas.SetFontName("Courier New");
    canvas.SetFontSize(c.points);
    EXPECT_EQ(canvas.PixelsPerInch(), c.dpi);
    EXPECT_EQ(canvas.FontPixelSize(), c.pixels);
    // Liberation Mono advances 1229 of its 2048 units per character.
    const auto advance = static_cast<int32_t>(std::lround(1229.0 * c.pixels / 2048.0));
    EXPECT_EQ(canvas.TextExtent("M").cx, advance);
    EXPECT_EQ(canvas.TextExtent("i").cx, advance);
    EXPECT_EQ(canvas.TextExtent("Mi.").cx, 3 * advance);
}

INSTANTIATE_TEST_SUITE_P(Sizes, QtCanvasFontSizeTest,
                         ::testing::Values(SizeCase{10, 600, 83}, SizeCase{10, 96, 13},
                                           SizeCase{8, 600, 67}, SizeCase{12, 96, 16},
                                           SizeCase{6, 600, 50}, SizeCase{18, 600, 150},
                                           SizeCase{7, 300, 29}));

struct RunCase {
    int32_t dpi;
    int32_t charWidth;
};

class QtCanvasRunTest : public ::testing::TestWithParam<RunCase> {
protected:
    static void SetUpTestSuite() { test::EnsureGuiApplication(); }
};

// A 132-column line of Courier New 10 pt is exactly 132 character widths wide, measured and
// drawn, and drawing it in two pieces at the measured position gives the very same pixels.
TEST_P(QtCanvasRunTest, LineOf132CharactersIsMeasuredAndDrawnWithIntegerAdvances) {
    const RunCase c = GetParam();
    const std::string line(132, 'M');
    const int32_t x0 = 37;
    const int32_t y0 = 11;
    const int32_t width = 132 * c.charWidth;

    QImage whole = NewCanvasImage(width + 2 * x0, 3 * c.charWidth + 2 * y0, c.dpi);
    QImage pieces = whole.copy();
    {
        QtCanvas canvas(whole, c.dpi);
        canvas.SetFontName("Courier New");
        canvas.SetFontSize(10);
        ASSERT_EQ(canvas.TextExtent("M").cx, c.charWidth);
        EXPECT_EQ(canvas.TextExtent(line).cx, width);
        canvas.TextOut(x0, y0, line);
    }
    {
        QtCanvas canvas(pieces, c.dpi);
        canvas.SetFontName("Courier New");
        canvas.SetFontSize(10);
        const std::string first = line.substr(0, 61);
        const int32_t firstWidth = canvas.TextExtent(first).cx;
        EXPECT_EQ(firstWidth, 61 * c.charWidth);
        canvas.TextOut(x0, y0, first);
        canvas.TextOut(x0 + firstWidth, y0, line.substr(61));
    }
    const Ink ink = FindInk(whole);
    ASSERT_TRUE(ink.Any());
    EXPECT_GE(ink.left, x0);
    EXPECT_LT(ink.left, x0 + c.charWidth / 4);
    EXPECT_LE(ink.right, x0 + width - 1);
    EXPECT_GT(ink.right, x0 + width - 1 - c.charWidth / 4);
    EXPECT_TRUE(whole == pieces) << "the pieces drawn at the measured position differ";
}

INSTANTIATE_TEST_SUITE_P(Resolutions, QtCanvasRunTest,
                         ::testing::Values(RunCase{600, 50}, RunCase{96, 8}));

TEST_F(QtCanvasTest, SecondPieceStartsWhereTheFirstEnded) {
    // Underscores join into one bar: no gap and no overlap where the pieces meet.
    QImage image = NewCanvasImage(800, 200, 600);
    QtCanvas canvas(image, 600);
    canvas.SetFontName("Courier New");
    canvas.SetFontSize(10);
    const int32_t x = 20;
    const int32_t first = canvas.TextExtent("____").cx;
    canvas.TextOut(x, 10, "____");
    canvas.TextOut(x + first, 10, "____");
    canvas.End();
    const Ink bar = FindInk(image);
    ASSERT_TRUE(bar.Any());
    const int row = (bar.top + bar.bottom) / 2;
    for (int col = bar.left; col <= bar.right; ++col)
        ASSERT_LT(qGray(image.pixel(col, row)), 128) << "gap at column " << col;
    EXPECT_LE(bar.right, x + 2 * first - 1);
}

TEST_F(QtCanvasTest, ProportionalTextIsTheSumOfItsCharacters) {
    QImage image = NewCanvasImage(10, 10, 600);
    QtCanvas canvas(image, 600);
    canvas.SetFontName("Arial");
    canvas.SetFontSize(10);
    for (const std::string text : {"AB", "AV", "To", "fi", "ffl", "Wo.", "LT", "Hallo Welt"}) {
        int32_t sum = 0;
        for (char c : text)
            sum += canvas.TextExtent(std::string(1, c)).cx;
        EXPECT_EQ(canvas.TextExtent(text).cx, sum) << text;
    }
    // Liberation Sans: "M" 1706 and "i" 455 of 2048 units, at 83 pixels.
    EXPECT_EQ(canvas.TextExtent("M").cx, 69);
    EXPECT_EQ(canvas.TextExtent("i").cx, 18);
    canvas.SetFontStyle(kStyleBold);
    EXPECT_EQ(canvas.TextExtent("i").cx, 23); // the bold face: 569 units
}

TEST_F(QtCanvasTest, ProportionalTextDrawnInPiecesMatchesTheWhole) {
    const std::string text = "AVATAR Tiffany, Wolfgang";
    QImage whole = NewCanvasImage(2000, 150, 600);
    {
        QtCanvas canvas(whole, 600);
        canvas.SetFontName("Arial");
        canvas.SetFontSize(10);
        canvas.TextOut(15, 20, text);
    }
    for (size_t cut : {size_t{1}, size_t{2}, size_t{7}, size_t{13}}) {
        QImage pieces = NewCanvasImage(2000, 150, 600);
        {
            QtCanvas canvas(pieces, 600);
            canvas.SetFontName("Arial");
            canvas.SetFontSize(10);
            const std::string head = text.substr(0, cut);
            canvas.TextOut(15, 20, head);
            canvas.TextOut(15 + canvas.TextExtent(head).cx, 20, text.substr(cut));
        }
        EXPECT_TRUE(whole == pieces) << "cut after " << cut;
    }
}

// Above 64 pixels Qt fills glyph outlines anew on every draw; the canvas keeps images of them
// instead. They must give the pixels Qt's own drawing gives.
TEST_F(QtCanvasTest, LargeGlyphsLookAsQtDrawsThem) {
    const std::string text = "Qorva-Druck: 1.234,56 EUR";
    for (const char* name : {"Courier New", "Arial"}) {
        for (int32_t points : {10, 20}) {
            QImage canvasImage = NewCanvasImage(3000, 300, 600);
            QImage qtImage = canvasImage.copy();
            QtCanvas canvas(canvasImage, 600);
            canvas.SetFontName(name);
            canvas.SetFontSize(points);
            canvas.SetFontStyle(points == 20 ? kStyleBold : kStyleNone);
            canvas.TextOut(31, 17, text);
            const int32_t ascent = canvas.GetTextMetrics().ascent;
            canvas.End();

            QFont font(QString::fromLatin1(name));
            font.setPixelSize(MulDiv(points, 600, 72));
            font.setBold(points == 20);
            font.setKerning(false);
            font.setHintingPreference(QFont::PreferFullHinting);
            const QRawFont raw = QRawFont::fromFont(font);
            QList<quint32> glyphs = raw.glyphIndexesForString(QString::fromStdString(text));
            QList<QPointF> positions;
            qreal pen = 0;
            for (const QPointF& advance :
                 raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics)) {
                positions.append(QPointF(pen, 0));
                pen += std::round(advance.x());
            }
            QGlyphRun run;
            run.setRawFont(raw);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            QPainter painter(&qtImage);
            painter.setPen(Qt::black);
            painter.drawGlyphRun(QPointF(31, 17 + ascent), run);
            painter.end();
            // Blending an image and filling an outline round a few edge pixels differently;
            // a glyph one pixel off would differ in thousands.
            const Difference difference = Compare(canvasImage, qtImage);
            EXPECT_LE(difference.pixels, 16) << name << " " << points;
            EXPECT_LE(difference.largest, 32) << name << " " << points;
            const Ink ours = FindInk(canvasImage);
            const Ink qts = FindInk(qtImage);
            EXPECT_EQ(ours.left, qts.left);
            EXPECT_EQ(ours.right, qts.right);
            EXPECT_EQ(ours.top, qts.top);
            EXPECT_EQ(ours.bottom, qts.bottom);
        }
    }
}

TEST_F(QtCanvasTest, TextWithoutAntialiasingIsBlackAndWhite) {
    for (int32_t points : {6, 10, 24}) {
        QImage image = NewCanvasImage(1500, 300, 600);
        QtCanvas canvas(image, 600);
        canvas.SetTextAntialiasing(false);
        canvas.SetFontName("Arial");
        canvas.SetFontSize(points);
        canvas.TextOut(10, 10, "Wolfgang & Co.");
        canvas.End();
        EXPECT_TRUE(FindInk(image).Any());
        bool onlyBlackAndWhite = true;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = PixelAt(image, x, y);
                onlyBlackAndWhite = onlyBlackAndWhite && (pixel == 0 || pixel == 0xFFFFFF);
            }
        EXPECT_TRUE(onlyBlackAndWhite) << points;
    }
}

// ----- Placement and metrics ----------------------------------------------------------------

TEST_F(QtCanvasTest, TextCellTopLeftAndBaseline) {
    QImage image = NewCanvasImage(600, 400, 600);
    QtCanvas canvas(image, 600);
    canvas.SetFontName("Courier New");
    canvas.SetFontSize(10);
    // Liberation Mono: Windows ascent 1705 and descent 615 of 2048 units, at 83 pixels.
    const TextMetrics metrics = canvas.GetTextMetrics();
    EXPECT_EQ(metrics.ascent, 69);
    EXPECT_EQ(metrics.height, 94);
    EXPECT_EQ(canvas.TextExtent("H"), (Size{50, 94}));
    EXPECT_EQ(canvas.TextExtent(""), (Size{0, 94}));

    const int32_t x = 100;
    const int32_t y = 200;
    const int32_t baseline = y + metrics.ascent;
    canvas.TextOut(x, y, "H");
    canvas.End();
    const Ink h = FindInk(image);
    ASSERT_TRUE(h.Any());
    EXPECT_EQ(h.bottom, baseline - 1); // stands on the baseline
    EXPECT_GT(h.top, y);               // inside the cell, below its internal leading
    EXPECT_GE(h.left, x);
    EXPECT_LE(h.right, x + 49);
}

TEST_F(QtCanvasTest, DescendersStayInsideTheCell) {
    QImage image = NewCanvasImage(600, 400, 600);
    QtCanvas canvas(image, 600);
    canvas.SetFontName("Courier New");
    canvas.SetFontSize(10);
    const TextMetrics metrics = canvas.GetTextMetrics();
    canvas.TextOut(50, 100, "gjpqy");
    canvas.End();
    const Ink ink = FindInk(image);
    ASSERT_TRUE(ink.Any());
    EXPECT_GE(ink.bottom, 100 + metrics.ascent); // below the baseline
    EXPECT_LT(ink.bottom, 100 + metrics.height);
}

TEST_F(QtCanvasTest, UnderlineSpansTheRunBelowTheBaseline) {
    QImage image = NewCanvasImage(800, 300, 600);
    QtCanvas canvas(image, 600);
    canvas.SetFontName("Arial");
    canvas.SetFontSize(10);
    canvas.SetFontStyle(kStyleUnderline);
    const int32_t x = 40;
    const int32_t y = 50;
    const int32_t width = canvas.TextExtent("AMA").cx;
    const TextMetrics metrics = canvas.GetTextMetrics();
    canvas.TextOut(x, y, "AMA");
    canvas.End();
    const int32_t baseline = y + metrics.ascent;
    const Ink line =
        FindInk(image, QRect(0, baseline, image.width(), y + metrics.height - baseline));
    ASSERT_TRUE(line.Any());
    EXPECT_EQ(line.left, x);
    EXPECT_EQ(line.right, x + width - 1);
    EXPECT_GT(line.top, baseline); // a gap between the letters and the line
    EXPECT_LT(line.bottom, y + metrics.height);
}

TEST_F(QtCanvasTest, FontColourIsTheInkColour) {
    QImage image = NewCanvasImage(400, 200, 600);
    QtCanvas canvas(image, 600);
    canvas.SetFontName("Arial");
    canvas.SetFontColor(kRed);
    canvas.SetFontSize(20);
    canvas.TextOut(10, 10, "I");
    canvas.End();
    bool red = false;
    for (int y = 0; y < image.height() && !red; ++y)
        for (int x = 0; x < image.width() && !red; ++x)
            red = PixelAt(image, x, y) == 0xFF0000;
    EXPECT_TRUE(red);
}

TEST_F(QtCanvasTest, Windows1252BytesDrawTheirCharacters) {
    QImage bytes = NewCanvasImage(300, 200, 600);
    QImage chars = NewCanvasImage(300, 200, 600);
    {
        QtCanvas canvas(bytes, 600);
        canvas.SetFontName("Arial");
        canvas.TextOut(10, 10, "\x80\xC4\x9C");
    }
    {
        QtCanvas canvas(chars, 600);
        canvas.SetFontName("Arial");
        int32_t x = 10;
        for (char16_t ch : {u'\u20AC', u'\u00C4', u'\u0153'}) {
            canvas.TextOutW(x, 10, ch);
            x += canvas.TextExtent(Utf16ToCp1252(std::u16string(1, ch))).cx;
        }
    }
    EXPECT_TRUE(FindInk(bytes).Any());
    EXPECT_TRUE(bytes == chars);
}

struct FamilyCase {
    const char* name;
    const char* family;
};

class QtCanvasFamilyTest : public ::testing::TestWithParam<FamilyCase> {
protected:
    static void SetUpTestSuite() { test::EnsureGuiApplication(); }
};

TEST_P(QtCanvasFamilyTest, WindowsNamesDrawWithTheirMetricTwins) {
    QImage image = NewCanvasImage(10, 10, 600);
    QtCanvas canvas(image, 600);
    canvas.SetFontName(GetParam().name);
    for (unsigned style : {0u, 1u * kStyleBold, 1u * kStyleItalic, kStyleBold | kStyleItalic}) {
        canvas.SetFontStyle(style);
        EXPECT_EQ(canvas.ResolvedFontFamily().toStdString(), GetParam().family) << style;
    }
}

INSTANTIATE_TEST_SUITE_P(Fonts, QtCanvasFamilyTest,
                         ::testing::Values(FamilyCase{"Arial", "Liberation Sans"},
                                           FamilyCase{"Arial Narrow", "Liberation Sans Narrow"},
                                           FamilyCase{"Courier New", "Liberation Mono"},
                                           FamilyCase{"Courier", "Nimbus Mono PS"}));

TEST_F(QtCanvasTest, UnknownFontsFallBackToADrawableFont) {
    QImage image = NewCanvasImage(400, 200, 600);
    QtCanvas canvas(image, 600);
    for (const char* name : {"NoSuchFont", "QorvaW"}) {
        canvas.SetFontName(name);
        EXPECT_FALSE(canvas.ResolvedFontFamily().isEmpty()) << name;
        EXPECT_GT(canvas.TextExtent("x").cx, 0) << name;
        EXPECT_GT(canvas.GetTextMetrics().ascent, 0) << name;
    }
    canvas.TextOut(10, 10, "Qorva");
    canvas.End();
    EXPECT_TRUE(FindInk(image).Any());
}

TEST_F(QtCanvasTest, FontChangesTakeEffectBetweenCalls) {
    QImage image = NewCanvasImage(10, 10, 600);
    QtCanvas canvas(image, 600);
    canvas.SetFontName("Courier New");
    canvas.SetFontSize(10);
    EXPECT_EQ(canvas.TextExtent("MM").cx, 100);
    canvas.SetFontSize(12); // 100 px: 60 per character
    EXPECT_EQ(canvas.TextExtent("MM").cx, 120);
    canvas.SetFontName("Arial");
    EXPECT_EQ(canvas.TextExtent("MM").cx, 2 * 83); // 1706 units at 100 px
    canvas.SetFontName("");                        // an empty name keeps the font
    EXPECT_EQ(canvas.TextExtent("MM").cx, 2 * 83);
    canvas.SetFontName("Courier New");
    canvas.SetFontSize(10);
    EXPECT_EQ(canvas.TextExtent("MM").cx, 100);
}

TEST_F(QtCanvasTest, AbsurdSizesAndPositionsDrawNothingAndDoNotFail) {
    QImage image = NewCanvasImage(200, 200, 600);
    const QImage blank = image.copy();
    QtCanvas canvas(image, 600);
    canvas.SetFontName("Arial");
    canvas.TextOut(INT32_MAX, INT32_MIN, "far away");
    canvas.TextOut(INT32_MIN, 10, "far away");
    canvas.TextOut(10, INT32_MAX - 5, "far away");
    canvas.MoveTo(INT32_MIN, INT32_MIN);
    canvas.LineTo(INT32_MIN + 10, INT32_MIN);
    canvas.Rectangle(INT32_MAX - 10, 0, INT32_MAX, 10);
    canvas.Ellipse(INT32_MIN, 0, INT32_MIN + 10, 10);
    canvas.FillRect({INT32_MIN, INT32_MIN, INT32_MIN + 1, INT32_MIN + 1});
    for (int32_t size : {0, -7, 100000, INT32_MAX}) {
        canvas.SetFontSize(size);
        EXPECT_GE(canvas.TextExtent("W").cx, 0) << size;
        EXPECT_GE(canvas.GetTextMetrics().height, 0) << size;
    }
    canvas.End();
    EXPECT_TRUE(image == blank);
}

// ----- Geometry -----------------------------------------------------------------------------

TEST_F(QtCanvasTest, ThinLinesLeaveOutTheirLastPixel) {
    QImage image = NewCanvasImage(100, 100, 96);
    QtCanvas canvas(image, 96);
    canvas.SetPenWidth(1);
    canvas.MoveTo(10, 20);
    canvas.LineTo(50, 20);
    EXPECT_EQ(canvas.PenPos(), (Point{50, 20}));
    canvas.End();
    const Ink ink = FindInk(image);
    EXPECT_EQ(ink.left, 10);
    EXPECT_EQ(ink.right, 49);
    EXPECT_EQ(ink.top, 20);
    EXPECT_EQ(ink.bottom, 20);
}

TEST_F(QtCanvasTest, ThinVerticalLine) {
    QImage image = NewCanvasImage(100, 100, 96);
    QtCanvas canvas(image, 96);
    canvas.SetPenWidth(0); // a zero-width pen is one pixel wide
    canvas.MoveTo(30, 5);
    canvas.LineTo(30, 60);
    canvas.End();
    const Ink ink = FindInk(image);
    EXPECT_EQ(ink.left, 30);
    EXPECT_EQ(ink.right, 30);
    EXPECT_EQ(ink.top, 5);
    EXPECT_EQ(ink.bottom, 59);
}

struct WideLineCase {
    int32_t width;
    int top;    // first row of the horizontal line at y = 100
    int bottom; // last row
};

class QtCanvasWideLineTest : public ::testing::TestWithParam<WideLineCase> {
protected:
    static void SetUpTestSuite() { test::EnsureGuiApplication(); }
};

TEST_P(QtCanvasWideLineTest, WidePensAreCentredAndHaveRoundEnds) {
    const WideLineCase c = GetParam();
    QImage image = NewCanvasImage(300, 200, 600);
    QtCanvas canvas(image, 600);
    canvas.SetPenWidth(c.width);
    canvas.SetPenColor(kBlack);
    canvas.MoveTo(100, 100);
    canvas.LineTo(200, 100);
    canvas.End();
    const Ink ink = FindInk(image);
    EXPECT_EQ(ink.top, c.top);
    EXPECT_EQ(ink.bottom, c.bottom);
    // Round ends reach half the pen's width beyond the end points, but not at the corners.
    EXPECT_LE(ink.left, 100 - c.width / 2 + 1);
    EXPECT_GE(ink.right, 200 + c.width / 2 - 2);
    if (c.width >= 4) {
        EXPECT_NE(qGray(image.pixel(ink.left, ink.top)), 0);
        EXPECT_NE(qGray(image.pixel(ink.right, ink.bottom)), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, QtCanvasWideLineTest,
                         ::testing::Values(WideLineCase{2, 99, 100}, WideLineCase{4, 98, 101},
                                           WideLineCase{6, 97, 102}));

TEST_F(QtCanvasTest, RectangleCoversLeftToRightMinusOne) {
    QImage image = NewCanvasImage(100, 100, 96);
    QtCanvas canvas(image, 96);
    canvas.SetPenWidth(1);
    canvas.SetBrushColor(kRed);
    canvas.MoveTo(3, 4);
    canvas.Rectangle(10, 10, 50, 40);
    EXPECT_EQ(canvas.PenPos(), (Point{3, 4}));
    canvas.End();
    EXPECT_EQ(PixelAt(image, 10, 10), 0x000000u);
    EXPECT_EQ(PixelAt(image, 49, 39), 0x000000u);
    EXPECT_EQ(PixelAt(image, 49, 25), 0x000000u);
    EXPECT_EQ(PixelAt(image, 30, 39), 0x000000u);
    EXPECT_EQ(PixelAt(image, 30, 25), 0xFF0000u);
    EXPECT_EQ(PixelAt(image, 11, 11), 0xFF0000u);
    EXPECT_EQ(PixelAt(image, 48, 38), 0xFF0000u);
    EXPECT_EQ(PixelAt(image, 50, 25), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(image, 30, 40), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(image, 9, 9), 0xFFFFFFu);
}

TEST_F(QtCanvasTest, RectangleWithClearBrushKeepsItsInterior) {
    QImage image = NewCanvasImage(100, 100, 600);
    image.fill(Qt::green);
    QtCanvas canvas(image, 600);
    canvas.SetPenWidth(2);
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.Rectangle(40, 20, 10, 60); // corners in any order
    canvas.End();
    EXPECT_EQ(PixelAt(image, 25, 40), 0x00FF00u);
    EXPECT_EQ(PixelAt(image, 10, 40), 0x000000u);
    EXPECT_EQ(PixelAt(image, 39, 40), 0x000000u);
    EXPECT_EQ(PixelAt(image, 25, 20), 0x000000u);
    EXPECT_EQ(PixelAt(image, 10, 20), 0x000000u); // square corners
    EXPECT_EQ(PixelAt(image, 41, 40), 0x00FF00u);
}

TEST_F(QtCanvasTest, FillRectLeavesOutTheRightAndBottomEdge) {
    QImage image = NewCanvasImage(100, 100, 96);
    QtCanvas canvas(image, 96);
    canvas.SetBrushColor(kRed);
    canvas.FillRect({10, 10, 50, 40});
    canvas.FillRect({70, 70, 60, 90}); // inverted: nothing
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.FillRect({0, 60, 100, 100}); // a hollow brush paints nothing
    canvas.End();
    EXPECT_EQ(PixelAt(image, 10, 10), 0xFF0000u);
    EXPECT_EQ(PixelAt(image, 49, 39), 0xFF0000u);
    EXPECT_EQ(PixelAt(image, 50, 39), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(image, 49, 40), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(image, 9, 10), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(image, 65, 80), 0xFFFFFFu);
    EXPECT_FALSE(FindInk(image, QRect(0, 60, 100, 40)).Any());
}

TEST_F(QtCanvasTest, FillRectOfTheClipRectFillsTheDevice) {
    QImage image = NewCanvasImage(64, 48, 96);
    image.fill(Qt::green);
    QtCanvas canvas(image, 96);
    EXPECT_EQ(canvas.ClipRect(), (Rect{0, 0, 64, 48}));
    canvas.SetBrushColor(kWhite);
    canvas.FillRect(canvas.ClipRect());
    canvas.End();
    EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32),
              NewCanvasImage(64, 48, 96).convertToFormat(QImage::Format_RGB32));
}

TEST_F(QtCanvasTest, EllipseFitsItsRectangle) {
    QImage image = NewCanvasImage(100, 100, 96);
    QtCanvas canvas(image, 96);
    canvas.SetPenWidth(1);
    canvas.SetBrushColor(kRed);
    canvas.Ellipse(10, 20, 51, 61);
    canvas.End();
    const Ink ink = FindInk(image);
    EXPECT_EQ(ink.left, 10);
    EXPECT_EQ(ink.right, 50);
    EXPECT_EQ(ink.top, 20);
    EXPECT_EQ(ink.bottom, 60);
    EXPECT_EQ(PixelAt(image, 30, 40), 0xFF0000u);
    EXPECT_EQ(PixelAt(image, 11, 21), 0xFFFFFFu);
}

TEST_F(QtCanvasTest, PenBrushAndFontColourChangesBetweenDrawsAreApplied) {
    QImage image = NewCanvasImage(300, 100, 96);
    QtCanvas canvas(image, 96);
    canvas.SetFontName("Arial");
    canvas.SetFontSize(30);
    canvas.SetPenWidth(1);
    canvas.SetPenColor(kRed);
    canvas.MoveTo(0, 5);
    canvas.LineTo(300, 5);
    canvas.SetFontColor(0x0000FF);
    canvas.TextOut(10, 20, "I");
    canvas.MoveTo(0, 90);
    canvas.LineTo(300, 90); // the pen again, not the text colour
    canvas.SetBrushColor(0x00FF00);
    canvas.Rectangle(100, 20, 140, 60);
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.SetPenColor(kBlack);
    canvas.Rectangle(150, 20, 190, 60);
    canvas.SetBrushColor(0xFFFF00);
    canvas.Ellipse(200, 20, 241, 61);
    canvas.SetFontColor(kBlack);
    canvas.TextOut(250, 20, "I");
    canvas.End();
    EXPECT_EQ(PixelAt(image, 150, 5), 0xFF0000u);
    EXPECT_EQ(PixelAt(image, 150, 90), 0xFF0000u);
    const Ink blueI = FindInk(image, QRect(10, 20, 40, 60));
    ASSERT_TRUE(blueI.Any());
    EXPECT_EQ(PixelAt(image, (blueI.left + blueI.right) / 2, (blueI.top + blueI.bottom) / 2),
              0x0000FFu);
    EXPECT_EQ(PixelAt(image, 100, 40), 0xFF0000u); // outline in the red pen
    EXPECT_EQ(PixelAt(image, 120, 40), 0x00FF00u);
    EXPECT_EQ(PixelAt(image, 150, 40), 0x000000u);
    EXPECT_EQ(PixelAt(image, 170, 40), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(image, 220, 40), 0xFFFF00u);
    const Ink blackI = FindInk(image, QRect(250, 20, 40, 60));
    ASSERT_TRUE(blackI.Any());
    EXPECT_EQ(PixelAt(image, (blackI.left + blackI.right) / 2, (blackI.top + blackI.bottom) / 2),
              0x000000u);
}

// ----- Pictures -----------------------------------------------------------------------------

QImage Quadrants() {
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(1, 0, qRgb(0, 255, 0));
    picture.setPixel(0, 1, qRgb(0, 0, 255));
    picture.setPixel(1, 1, qRgb(0, 0, 0));
    return picture;
}

TEST_F(QtCanvasTest, StretchDrawFillsTheRectangleWithTheWholePicture) {
    QImage image = NewCanvasImage(200, 200, 96);
    QtCanvas canvas(image, 96);
    canvas.StretchDraw({20, 20, 120, 120}, Image(Quadrants()));
    canvas.End();
    EXPECT_EQ(PixelAt(image, 20, 20), 0xFF0000u);
    EXPECT_EQ(PixelAt(image, 69, 69), 0xFF0000u);
    EXPECT_EQ(PixelAt(image, 70, 20), 0x00FF00u);
    EXPECT_EQ(PixelAt(image, 20, 119), 0x0000FFu);
    EXPECT_EQ(PixelAt(image, 119, 119), 0x000000u);
    EXPECT_EQ(PixelAt(image, 120, 120), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(image, 19, 19), 0xFFFFFFu);
}

TEST_F(QtCanvasTest, StretchDrawWithANegativeWidthMirrors) {
    QImage image = NewCanvasImage(200, 200, 96);
    QtCanvas canvas(image, 96);
    canvas.StretchDraw({120, 20, 20, 120}, Image(Quadrants()));
    canvas.StretchDraw({0, 0, 10, 10}, Image()); // no picture: nothing
    canvas.End();
    EXPECT_EQ(PixelAt(image, 20, 20), 0x00FF00u);
    EXPECT_EQ(PixelAt(image, 119, 20), 0xFF0000u);
    EXPECT_EQ(PixelAt(image, 5, 5), 0xFFFFFFu);
}

// ----- Devices ------------------------------------------------------------------------------

TEST_F(QtCanvasTest, RebindKeepsTheStateAndDrawsOnTheNewDevice) {
    QImage first = NewCanvasImage(300, 100, 600);
    QImage second = NewCanvasImage(300, 100, 600);
    QtCanvas canvas(first, 600);
    canvas.SetFontName("Courier New");
    canvas.SetFontSize(10);
    canvas.TextOut(0, 0, "A");
    canvas.Rebind(second);
    EXPECT_EQ(canvas.ClipRect(), (Rect{0, 0, 300, 100}));
    EXPECT_EQ(canvas.FontPixelSize(), 83);
    canvas.TextOut(150, 0, "A");
    canvas.End();
    canvas.TextOut(0, 0, "A"); // after the end: nothing
    EXPECT_TRUE(FindInk(first, QRect(0, 0, 100, 100)).Any());
    EXPECT_FALSE(FindInk(first, QRect(100, 0, 200, 100)).Any());
    EXPECT_FALSE(FindInk(second, QRect(0, 0, 150, 100)).Any());
    EXPECT_TRUE(FindInk(second, QRect(150, 0, 150, 100)).Any());
}

QString PdfText(const QByteArray& pdf) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty()) return {};
    QTemporaryDir dir;
    QFile file(dir.filePath("canvas.pdf"));
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size()) return {};
    file.close();
    QProcess process;
    process.start(pdftotext, {"-layout", file.fileName(), "-"});
    if (!process.waitForFinished(30000)) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST_F(QtCanvasTest, DrawsIntoAPdfDocument) {
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(600);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QtCanvas canvas(writer, 600);
        // The whole page: A4, which Qt keeps as 595 x 842 points, is 4958 x 7017 at 600 dpi.
        EXPECT_EQ(canvas.ClipRect(), (Rect{0, 0, writer.width(), writer.height()}));
        EXPECT_EQ(canvas.ClipRect(), (Rect{0, 0, 4958, 7017}));
        canvas.SetFontName("Courier New");
        canvas.SetFontSize(10);
        canvas.TextOut(600, 600, "Hallo");
        canvas.TextOut(600 + canvas.TextExtent("Hallo ").cx, 600, "Welt");
        canvas.SetFontName("Courier");
        canvas.TextOut(600, 800, "Kurier");
        canvas.SetFontName("Arial");
        canvas.SetFontStyle(kStyleBold | kStyleUnderline);
        canvas.TextOut(600, 1000,
                       "Gr\xF6\xDF"
                       "e");
        canvas.MoveTo(600, 1200);
        canvas.LineTo(3000, 1200);
        canvas.StretchDraw({600, 1400, 1600, 2400}, Image(Quadrants()));
        canvas.End();
    }
    ASSERT_TRUE(pdf.startsWith("%PDF-"));
    // Pictures go in without loss: no JPEG.
    EXPECT_FALSE(pdf.contains("/DCTDecode"));
    const QString text = PdfText(pdf);
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_TRUE(text.contains("Hallo Welt")) << text.toStdString();
    EXPECT_TRUE(text.contains("Kurier")) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("Größe"))) << text.toStdString();
}

// The printed page: the PDF places every glyph at the canvas's whole-pixel advances, so a
// 132-column line rasterised at the canvas's resolution ends where TextExtent says.
TEST_F(QtCanvasTest, PdfGlyphsSitAtTheMeasuredPositions) {
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    if (pdftoppm.isEmpty()) GTEST_SKIP() << "pdftoppm is not installed";
    QTemporaryDir dir;
    const QString pdfName = dir.filePath("line.pdf");
    const int32_t x = 200;
    int32_t lineWidth = 0;
    int32_t barStart = 0;
    int32_t barWidth = 0;
    {
        QPdfWriter writer(pdfName);
        writer.setResolution(600);
        writer.setPageLayout(QPageLayout(QPageSize(QSizeF(320, 40), QPageSize::Millimeter),
                                         QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QtCanvas canvas(writer, 600);
        canvas.SetFontName("Courier New");
        canvas.SetFontSize(10);
        const std::string line(132, 'M');
        lineWidth = canvas.TextExtent(line).cx;
        canvas.TextOut(x, 100, line);
        barStart = x;
        const int32_t first = canvas.TextExtent("_____").cx;
        canvas.TextOut(x, 400, "_____");
        canvas.TextOut(x + first, 400, "_____");
        barWidth = 2 * first;
    }
    ASSERT_EQ(lineWidth, 6600);
    QProcess process;
    process.start(pdftoppm, {"-r", "600", "-gray", "-singlefile", pdfName, dir.filePath("page")});
    ASSERT_TRUE(process.waitForFinished(60000));
    QImage page(dir.filePath("page.pgm"));
    ASSERT_FALSE(page.isNull());
    const Ink line = FindInk(page, QRect(0, 0, page.width(), 300));
    ASSERT_TRUE(line.Any());
    EXPECT_GE(line.left, x);
    EXPECT_LE(line.right, x + lineWidth - 1);
    EXPECT_GT(line.right, x + lineWidth - 1 - 13);
    const Ink bar = FindInk(page, QRect(0, 300, page.width(), 300));
    ASSERT_TRUE(bar.Any());
    EXPECT_LE(bar.right, barStart + barWidth - 1);
    const int row = (bar.top + bar.bottom) / 2;
    for (int col = bar.left; col <= bar.right; ++col)
        ASSERT_LT(qGray(page.pixel(col, row)), 128) << "gap at column " << col;
}

} // namespace
} // namespace qorprt
