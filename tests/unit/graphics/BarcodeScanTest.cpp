// Barcodes as a scanner reads them: PRT files with PDF417 and Code 128 lines are printed on the
// built-in PDF printer and shown in the preview, and ZXing's reader (Debian zxing-cpp-tools)
// must decode every symbol to its data from the 600-dpi page and, where the symbol is large
// enough, from the 96-dpi preview. The PDF engine's painters are read back the same way.

#include "jobs/PrintAction.h"
#include "jobs/PrinterProperties.h"
#include "pdf/PdfLayer.h"
#include "platform/canvas/BarcodePainters.h"
#include "platform/canvas/Fonts.h"
#include "platform/canvas/QtCanvas.h"
#include "platform/canvas/ScratchImage.h"
#include "platform/printing/PdfPrinterSpooler.h"
#include "platform/printing/Printer.h"
#include "platform/system/Log.h"
#include "render/DocumentDriver.h"
#include "support/GuiApp.h"
#include "support/PdfPrinterJob.h"
#include "support/PdfTools.h"
#include "support/TempDir.h"

#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace qorprt {
namespace {

namespace fs = std::filesystem;

bool Have(const char* tool) {
    return std::system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) == 0;
}

// The text ZXing reads from the image ("" when it finds none).
std::string Scan(const QImage& image, const test::TempDir& dir, const char* format) {
    const std::string file = dir.File("scan.png");
    if (!image.save(QString::fromStdString(file), "PNG")) return "cannot write " + file;
    // Without -noscale ZXing 1.4 finds a large symbol again at a smaller scale and fails an
    // assertion when it merges the two.
    const std::string out = test::CommandOutput("ZXingReader -1 -noscale -format " +
                                                std::string(format) + " '" + file + "' 2>&1");
    const size_t open = out.find('"');
    const size_t close = out.rfind('"');
    return open != std::string::npos && close > open ? out.substr(open + 1, close - open - 1)
                                                     : std::string();
}

// A complete Code 128 symbol in code set B as the font's characters: start, data, check, stop.
std::string Code128Symbol(const std::string& data) {
    auto ch = [](int value) { return static_cast<char>(value < 95 ? value + 32 : value + 100); };
    int64_t sum = 104;
    std::string out(1, ch(104));
    for (size_t i = 0; i < data.size(); ++i) {
        sum += static_cast<int64_t>(i + 1) * (data[i] - 32);
        out.push_back(data[i]);
    }
    out.push_back(ch(static_cast<int>(sum % 103)));
    out.push_back(ch(106));
    return out;
}

class PreviewHost : public DocumentHost {
public:
    explicit PreviewHost(BitmapCanvas& scratch) : scratch_(scratch) {}
    std::vector<std::string> FontNames(bool) override { return InstalledFontNames(); }
    void ShowOpenError(const std::string& message) override { ADD_FAILURE() << message; }
    PrintTarget* Printer() override { return nullptr; }
    BitmapCanvas* ScratchCanvas() override { return &scratch_; }
    Point PrinterOffset() override { return {}; }
    int32_t WindowsVersion() override { return WindowsVersionNumber(); }

private:
    BitmapCanvas& scratch_;
};

struct Band {
    const char* format;
    int32_t points;
    std::string data;
    bool onPreview; // large enough to be read from the preview
};

// One symbol per inch of the page, at column 130 (one inch in); the size field is two points
// above the size drawn, as elite print is on after the page set-up.
std::vector<Band> Bands() {
    std::vector<Band> bands;
    for (int32_t points : {4, 6, 8, 10})
        bands.push_back({"PDF417", points, "QorPrt PDF417 " + std::to_string(points) + "pt R4711",
                         points >= 6});
    for (int32_t points = 12; points <= 24; points += 2)
        bands.push_back({"Code128", points, "R4711-" + std::to_string(points) + "pt", true});
    return bands;
}

std::string PrtFile(const std::vector<Band>& bands) {
    std::string prt;
    for (size_t k = 0; k < bands.size(); ++k) {
        const Band& b = bands[k];
        const bool pdf417 = std::string(b.format) == "PDF417";
        prt += std::to_string(60 + 60 * k) + "\t130\t" + std::to_string(b.points + 2) + "\t" +
               (pdf417 ? "PDF" : "Cod") + "\t" + (pdf417 ? b.data : Code128Symbol(b.data)) + "\r\n";
    }
    return prt;
}

// The band of the k-th symbol: half an inch above and below its baseline.
QRect BandArea(size_t k, int32_t dpi, int width) {
    return QRect(0, (30 + 60 * static_cast<int>(k)) * dpi / 60, width, dpi);
}

// A part of the first page of a PDF, rasterised at `dpi` (a whole page at 600 dpi is more than
// an image may hold here).
QImage Rasterise(const std::string& pdf, QRect area, int32_t dpi, const test::TempDir& dir) {
    const std::string out = dir.File("area");
    test::CommandOutput("pdftoppm -r " + std::to_string(dpi) + " -gray -png -singlefile -x " +
                        std::to_string(area.x()) + " -y " + std::to_string(area.y()) + " -W " +
                        std::to_string(area.width()) + " -H " + std::to_string(area.height()) +
                        " '" + pdf + "' '" + out + "'");
    return QImage(QString::fromStdString(out + ".png"));
}

class BarcodeScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"ZXingReader", "pdftoppm"})
            if (!Have(tool))
                GTEST_SKIP() << tool
                             << " is missing (Debian zxing-cpp-tools, "
                                "poppler-utils): barcodes not scanned";
        test::EnsureGuiApplication();
        dir.Write("qorprt.log", "");
        SetLogFolder(dir.Path());
    }
    void TearDown() override { SetLogFolder(""); }

    test::TempDir dir;
    ScratchImage scratch{96};
};

TEST_F(BarcodeScanTest, PrintedPageAt600DpiScansAtEverySize) {
    test::PdfPrinterJob print;
    const std::vector<Band> bands = Bands();
    ASSERT_EQ(print.Print(PrtFile(bands), &scratch), RenderResult::Rendered);
    EXPECT_EQ(print.state.pdf417Font, "PDF417c");

    const std::string pdfFile = print.dir.File("out/R4711.PRT.pdf");
    ASSERT_TRUE(fs::exists(pdfFile));
    for (size_t k = 0; k < bands.size(); ++k) {
        const QImage band = Rasterise(pdfFile, BandArea(k, 600, 4000), 600, dir);
        ASSERT_FALSE(band.isNull());
        EXPECT_EQ(Scan(band, dir, bands[k].format), bands[k].data)
            << bands[k].format << " " << bands[k].points << " pt";
    }
}

TEST_F(BarcodeScanTest, TheArchivePdfScansToo) {
    // The archive gets the raw data of a PDF417 run and draws its own symbol; Code 128 text
    // arrives as text in the font "Code 128", which the engine draws as bars.
    test::PdfPrinterJob print;
    PdfLayer layer(*print.printer);
    print.pdf.engine = &layer.Output();
    print.job.PDFname = dir.File("archiv.pdf");
    const std::string pdf417 = "QorPrt Archiv R4711 156,37";
    std::string prt = "60\t130\t10\tPDF\t" + pdf417 + "\r\n";
    const std::vector<int32_t> sizes = {12, 14, 16, 18, 20, 22, 24};
    auto line = [](size_t i) { return 150 + 85 * static_cast<int32_t>(i); };
    for (size_t i = 0; i < sizes.size(); ++i)
        prt += std::to_string(line(i)) + "\t130\t" + std::to_string(sizes[i] + 2) + "\tCod\t" +
               Code128Symbol("ARCHIV-" + std::to_string(sizes[i])) + "\r\n";
    ASSERT_EQ(print.Print(prt, &scratch), RenderResult::Rendered);
    const std::string archive = dir.File("archiv.pdf");
    ASSERT_TRUE(fs::exists(archive));
    // The archive places a run at its line's device pixels (600 dpi) converted at 235 pixels to
    // the centimetre; rasterised at 300 dpi, a band from a little above to well below it.
    auto band = [](int32_t layoutLine) {
        const int top = static_cast<int>(layoutLine * 10 / 235.0 / 2.54 * 300) - 45;
        return QRect(0, top, 2480, 225);
    };
    EXPECT_EQ(Scan(Rasterise(archive, band(60).adjusted(0, 0, 0, 150), 300, dir), dir, "PDF417"),
              pdf417);
    for (size_t i = 0; i < sizes.size(); ++i)
        EXPECT_EQ(Scan(Rasterise(archive, band(line(i)), 300, dir), dir, "Code128"),
                  "ARCHIV-" + std::to_string(sizes[i]))
            << sizes[i] << " pt";
}

TEST_F(BarcodeScanTest, PreviewAt96DpiScansWhereTheSymbolIsLargeEnough) {
    const std::vector<Band> bands = Bands();
    const std::string file = dir.Write("R4711.PRT", PrtFile(bands));
    QImage paper = NewCanvasImage(1170, 5000, 96);
    {
        QtCanvas canvas(paper, 96);
        RenderState state;
        JobSettings job;
        job.HeadTop = 0;
        job.HeadLeft = 0;
        PdfState pdf;
        RenderContext ctx{state, job, pdf, nullptr, {}};
        PreviewHost host(scratch);
        ASSERT_EQ(RenderDocument(canvas, ctx, host, file, false), RenderResult::Rendered);
    }
    for (size_t k = 0; k < bands.size(); ++k) {
        if (!bands[k].onPreview) continue;
        EXPECT_EQ(Scan(paper.copy(BandArea(k, 96, paper.width())), dir, bands[k].format),
                  bands[k].data)
            << bands[k].format << " " << bands[k].points << " pt";
    }
}

TEST_F(BarcodeScanTest, PdfEnginePaintersScanFromAPdfAndAnImage) {
    const std::string code = "R4711-PDF";
    const std::string data = "QorPrt Archiv R4711";
    const std::string pdfFile = dir.File("painted.pdf");
    QImage image = NewCanvasImage(1200, 900, 300);
    {
        QPdfWriter writer(QString::fromStdString(pdfFile));
        writer.setResolution(600);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter pdfPainter(&writer);
        QPainter imagePainter(&image);
        for (QPainter* painter : {&pdfPainter, &imagePainter}) {
            const double unit = painter == &pdfPainter ? 2.0 : 1.0; // 600 and 300 dpi
            painter->setPen(Qt::black);
            EXPECT_GT(PaintCode128Run(*painter, QPointF(60 * unit, 60 * unit), 50 * unit,
                                      Code128Symbol(code)),
                      0);
            // The engine's 5 x 16 unit rectangle, scaled down to the page.
            PaintPdf417Symbol(*painter, QRectF(60 * unit, 300 * unit, 600 * unit, 1920 * unit),
                              data, 4, 7);
        }
    }
    const QRect codeArea(0, 0, 1100, 250);
    const QRect symbolArea(0, 250, 1100, 600);
    auto twice = [](QRect r) { return QRect(2 * r.x(), 2 * r.y(), 2 * r.width(), 2 * r.height()); };
    EXPECT_EQ(Scan(Rasterise(pdfFile, twice(codeArea), 600, dir), dir, "Code128"), code);
    EXPECT_EQ(Scan(Rasterise(pdfFile, twice(symbolArea), 600, dir), dir, "PDF417"), data);
    EXPECT_EQ(Scan(image.copy(codeArea), dir, "Code128"), code);
    EXPECT_EQ(Scan(image.copy(symbolArea), dir, "PDF417"), data);
}

} // namespace
} // namespace qorprt
