// The PDF417 path of the text runs on the recording canvas at 600 dpi: 10 pt is 83 px (ascent
// 66), 4 pt 33 px. The scratch image is a real one at 96 dpi, where the PDF417 font at 12 points
// has one-pixel modules and rows three pixels high.

#include "graphics/Barcodes.h"
#include "graphics/TextRun.h"
#include "platform/canvas/Pdf417Encoder.h"
#include "platform/canvas/ScratchImage.h"
#include "platform/text/Numbers.h"
#include "support/GuiApp.h"
#include "support/RenderHarness.h"

#include <gtest/gtest.h>

namespace qorprt {
namespace {

using Ops = std::vector<std::string>;

const std::string kData = "Qorva eG R4711";

std::vector<std::string> RowsOf(const std::string& encoded) {
    std::vector<std::string> rows;
    for (size_t start = 0, end; (end = encoded.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        rows.push_back(encoded.substr(start, end - start));
    return rows;
}

class Pdf417RunTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureGuiApplication();
        h.ctx.scratch = &scratch;
        h.state.pdf417Font = "PDF417c";
        h.canvas.SetFontName("PDF417c");
        h.OpenPdf();
    }
    int32_t Draw(int32_t points, const std::string& data = kData) {
        h.canvas.SetFontSize(points);
        h.state.fontSize = points;
        return DrawTextRun(h.canvas, h.ctx, data, 100, 1000);
    }

    test::RenderHarness h{600, "", "5"}; // left margin offset 118 px
    ScratchImage scratch{96};
};

TEST_F(Pdf417RunTest, FromSixPointsTheRowsAreSetOnThePageOneFontHeightApart) {
    EXPECT_EQ(Draw(10), 188); // the first row at 12 points on the scratch image
    const std::vector<std::string> rows = RowsOf(EncodePdf417(kData, 7));
    ASSERT_GT(rows.size(), 2u);
    Ops expected;
    for (size_t k = 0; k < rows.size(); ++k)
        expected.push_back("text 218 " + std::to_string(1000 - 66 + 83 * static_cast<int>(k)) +
                           " \"" + rows[k] + "\" font=\"PDF417c\" size=10 style=-");
    EXPECT_EQ(h.canvas.Operations(), expected);
    EXPECT_EQ(h.pdfLayer.calls, Ops{"Pdf417 7 218 1000 " + kData});
}

TEST_F(Pdf417RunTest, BelowSixPointsTheScratchImageIsStretchedToHalfWidthAndAThirdHeight) {
    EXPECT_EQ(Draw(4), 188);
    const auto rows = static_cast<int32_t>(RowsOf(EncodePdf417(kData, 7)).size());
    const int32_t height = 1 + 3 * rows;
    const int32_t w = MulDiv(600, 190, 96) / 2;
    const int32_t hgt = MulDiv(600, height, 96) / 3;
    EXPECT_EQ(h.canvas.Operations(),
              Ops{"image 218 1000 " + std::to_string(218 + w) + " " + std::to_string(1000 + hgt) +
                  " source=190x" + std::to_string(height)});
    EXPECT_EQ(h.pdfLayer.calls, Ops{"Pdf417 7 218 1000 " + kData});
    // The rows lie on the scratch image from its second pixel row down, one pixel in.
    const QImage pixels = scratch.Picture().Pixels();
    EXPECT_EQ(qGray(pixels.pixel(0, 1)), 255);
    EXPECT_EQ(qGray(pixels.pixel(1, 0)), 255);
    for (int y = 1; y < height; ++y)
        EXPECT_EQ(qGray(pixels.pixel(1, y)), 0) << y; // the start pattern's first bar
}

TEST_F(Pdf417RunTest, AnEarlierSymbolLeavesNothingOnTheScratchImage) {
    Draw(4, std::string(400, 'W'));
    Draw(4);
    ScratchImage fresh(96);
    h.ctx.scratch = &fresh;
    Draw(4);
    EXPECT_TRUE(scratch.Picture().Pixels() == fresh.Picture().Pixels());
}

TEST_F(Pdf417RunTest, TheColumnDigitSetsTheRowWidthAndZeroMeansSeven) {
    for (const auto& [columns, width] : {std::pair{3, 120}, {0, 188}, {-2, 188}, {9, 222}}) {
        h.state.pdf417Columns = columns;
        EXPECT_EQ(Draw(10), width) << columns;
    }
}

TEST_F(Pdf417RunTest, AnEncoderRefusalRaisesBeforeAnythingIsDrawn) {
    EXPECT_THROW(Draw(10, std::string(3000, 'a')), EBarcodeError);
    EXPECT_TRUE(h.canvas.Operations().empty());
    EXPECT_TRUE(h.pdfLayer.calls.empty());
}

TEST_F(Pdf417RunTest, WithoutAScratchImageTheRunBringsItsOwn) {
    h.ctx.scratch = nullptr;
    EXPECT_EQ(Draw(4), 188);
    ASSERT_EQ(h.canvas.Operations().size(), 1u);
    EXPECT_EQ(h.canvas.Operations()[0].rfind("image 218 1000 ", 0), 0u);
}

TEST(EncodePdf417, RowsEndWithCrLfInTheFontsCode) {
    const std::string encoded = EncodePdf417(kData, 7);
    const Pdf417Symbol symbol = EncodePdf417Symbol(kData, 4, 7);
    const std::vector<std::string> rows = RowsOf(encoded);
    ASSERT_EQ(rows.size(), symbol.rows.size());
    EXPECT_EQ(encoded.substr(encoded.size() - 2), "\r\n");
    for (const std::string& row : rows)
        EXPECT_EQ(row.substr(0, 8), "8a1a1a1c");
}

} // namespace
} // namespace qorprt
