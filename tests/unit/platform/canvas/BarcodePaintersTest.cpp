// Bars as the Qt canvas and the PDF engine's painters draw them: where every module lies, in
// whole pixels, and what the canvas measures.

#include "platform/canvas/BarcodePainters.h"
#include "platform/canvas/Pdf417Encoder.h"
#include "platform/canvas/QtCanvas.h"
#include "platform/canvas/ScratchImage.h"
#include "support/GuiApp.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace qorprt {
namespace {

// The image a row of modules must give: bars black, all else white.
QImage Expected(QSize size, QPoint at, const std::string& modules, int module, int height) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (size_t i = 0; i < modules.size(); ++i)
        if (modules[i] == '1')
            for (int dx = 0; dx < module; ++dx)
                for (int dy = 0; dy < height; ++dy)
                    image.setPixel(at.x() + static_cast<int>(i) * module + dx, at.y() + dy,
                                   qRgb(0, 0, 0));
    return image;
}

std::string Modules(BarcodeFont font, std::string_view text) {
    std::vector<BarElement> elements;
    AppendBarElements(font, text, elements);
    std::string out;
    for (const BarElement& e : elements)
        out.append(static_cast<size_t>(e.modules), e.bar ? '1' : '0');
    return out;
}

struct BarCase {
    const char* font;
    int32_t points;
    int32_t dpi;
    int module;
    int ascent;
    int height;
};

class QtCanvasBarTest : public ::testing::TestWithParam<BarCase> {};

TEST_P(QtCanvasBarTest, DrawsEveryModuleWhereItMeasuresIt) {
    test::EnsureGuiApplication();
    const BarCase c = GetParam();
    const BarcodeFont font = BuiltInBarcodeFont(c.font);
    const std::string text = font == BarcodeFont::Code128 ? "\xCCQorva 4711\x7F\xCE"
                                                          : "8a1a1a1c3a1a1a3f2b2e1a3c7a1c1a1b1";
    const std::string modules = Modules(font, text);
    QImage image =
        NewCanvasImage(static_cast<int>(modules.size()) * c.module + 40, c.height + 20, c.dpi);
    {
        QtCanvas canvas(image, c.dpi);
        canvas.SetFontName(c.font);
        canvas.SetFontSize(c.points);
        // Bold and underline would spoil the symbol: they are ignored.
        canvas.SetFontStyle(kStyleBold | kStyleUnderline);
        EXPECT_EQ(canvas.TextExtent(text).cx, static_cast<int32_t>(modules.size()) * c.module);
        EXPECT_EQ(canvas.GetTextMetrics().ascent, c.ascent);
        EXPECT_EQ(canvas.GetTextMetrics().height, c.height);
        EXPECT_EQ(canvas.ResolvedFontFamily().toStdString(), c.font);
        canvas.TextOut(17, 9, text);
    }
    EXPECT_TRUE(image == Expected(image.size(), {17, 9}, modules, c.module, c.height));
}

INSTANTIATE_TEST_SUITE_P(Fonts, QtCanvasBarTest,
                         ::testing::Values(BarCase{"Code 128", 12, 600, 9, 80, 100},
                                           BarCase{"Code 128", 24, 96, 3, 26, 32},
                                           BarCase{"PDF417c", 10, 600, 5, 15, 15},
                                           BarCase{"PDF417c", 8, 96, 1, 3, 3}));

TEST(BarcodePainters, Code128RunIsTheCanvasRunInWholeDevicePixels) {
    // Unscaled, and under a painter that halves its units: the same device pixels.
    for (const double scale : {1.0, 2.0}) {
        QImage image = NewCanvasImage(1200, 80, 600);
        {
            QPainter painter(&image);
            painter.scale(scale, scale);
            painter.setPen(Qt::black);
            EXPECT_EQ(
                PaintCode128Run(painter, QPointF(30, 10) / scale, 50 / scale, "\xCCQorva\xCE"),
                (11 * 6 + 13) * 5.0 / scale);
        }
        EXPECT_TRUE(image == Expected(image.size(), {30, 10},
                                      Modules(BarcodeFont::Code128, "\xCCQorva\xCE"), 5, 50))
            << scale;
    }
}

TEST(BarcodePainters, Pdf417SymbolFillsTheWidthWithRowsThreeModulesHigh) {
    const std::string data = "Qorva eG R4711";
    const Pdf417Symbol symbol = EncodePdf417Symbol(data, 4, 7);
    ASSERT_EQ(symbol.width, 188);
    const int rows = static_cast<int>(symbol.rows.size());
    // Fitted to the width (5 pixels a module); a rectangle too low for that fits the height.
    for (const auto& [rect, module] :
         {std::pair<QRectF, int>{{20, 30, 940, 1000}, 5}, {{20, 30, 940, 6.0 * rows}, 2}}) {
        QImage image = NewCanvasImage(1000, 30 + 15 * rows + 10, 600);
        {
            QPainter painter(&image);
            PaintPdf417Symbol(painter, rect, data, 4, 7);
        }
        std::string modules;
        for (const std::vector<bool>& row : symbol.rows)
            for (bool bar : row)
                modules.push_back(bar ? '1' : '0');
        QImage expected(image.size(), QImage::Format_RGB32);
        expected.fill(Qt::white);
        for (int r = 0; r < rows; ++r)
            for (int i = 0; i < 188; ++i)
                if (symbol.rows[static_cast<size_t>(r)][static_cast<size_t>(i)])
                    for (int dx = 0; dx < module; ++dx)
                        for (int dy = 0; dy < 3 * module; ++dy)
                            expected.setPixel(20 + i * module + dx, 30 + r * 3 * module + dy,
                                              qRgb(0, 0, 0));
        EXPECT_TRUE(image == expected) << module;
    }
    QImage image = NewCanvasImage(10, 10, 96);
    QPainter painter(&image);
    EXPECT_THROW(PaintPdf417Symbol(painter, {0, 0, 10, 10}, std::string(3000, 'a'), 4, 7),
                 EBarcodeError);
}

TEST(ScratchImage, KeepsItsPixelsWhenResizedAndAddsWhite) {
    ScratchImage scratch(96);
    EXPECT_EQ(scratch.PixelsPerInch(), 96);
    EXPECT_EQ(scratch.BitmapSize(), (Size{1, 1}));
    scratch.SetBitmapSize(20, 10);
    scratch.SetBrushColor(kBlack);
    scratch.FillRect({0, 0, 5, 5});
    scratch.SetBitmapSize(8, 30);
    EXPECT_EQ(scratch.ClipRect(), (Rect{0, 0, 8, 30}));
    const QImage pixels = scratch.Picture().Pixels();
    ASSERT_EQ(pixels.size(), QSize(8, 30));
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(qGray(pixels.pixel(x, y)), x < 5 && y < 5 ? 0 : 255) << x << "," << y;
    scratch.SetBitmapSize(0, 100000);
    EXPECT_EQ(scratch.BitmapSize(), (Size{1, 32767}));
}

} // namespace
} // namespace qorprt
