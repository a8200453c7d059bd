// The engine on QPdfWriter: archive files as poppler reads them, where things land on the page,
// the barcode painters, and files that are never half written.

#include "pdf/QtPdfEngine.h"
#include "pdf/ArchiveFile.h"
#include "pdf/PdfLayer.h"
#include "platform/canvas/BarcodeFonts.h"
#include "platform/system/Log.h"
#include "support/GuiApp.h"
#include "support/PdfTools.h"
#include "support/TempDir.h"

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRectF>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

namespace qorprt {
namespace {

namespace fs = std::filesystem;

constexpr PdfPageFormat kA4{210.0, 297.0, 600};

// Device pixels at 600 dpi of a position in centimetres.
int Px(double cm) {
    return static_cast<int>(cm / 2.54 * 600);
}

// The files in a folder (temporary files left behind show up here).
std::vector<std::string> Files(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class QtPdfEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureGuiApplication();
        dir.Write("qorprt.log", "");
        SetLogFolder(dir.Path());
        // Spool documents go here, so that the test sees what is left of them.
        fs::create_directories(dir.File("tmp"));
        const char* tmp = std::getenv("TMPDIR");
        oldTmp = tmp ? tmp : "";
        setenv("TMPDIR", dir.File("tmp").c_str(), 1);
    }
    void TearDown() override {
        SetLogFolder("");
        if (oldTmp.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", oldTmp.c_str(), 1);
    }
    std::string Log() const { return dir.Read("qorprt.log"); }

    test::TempDir dir;
    std::string oldTmp;
};

TEST_F(QtPdfEngineTest, ArchiveFileHasItsInformationFontsTextAndPages) {
    PdfLayer layer([] { return kA4; });
    PdfOutput& pdf = layer.Output();
    const int32_t doc = pdf.BeginDoc(600);
    ASSERT_NE(doc, 0);
    AttributeCounters counters = kPageStartCounters;
    std::string current = "Courier New";
    pdf.Font(doc, 0, counters, current);
    pdf.Text(doc, 100, 200,
             "Unterlegscheibe \x80-Preis \x8A\x9A\x8E\x9E\x8C\x9C\x9F \xE4\xF6\xFC\xDF");
    current = "Arial";
    counters[kBold] = 1;
    pdf.Font(doc, 12, counters, current);
    pdf.Text(doc, 100, 400, "Qorva eG");
    counters[kBold] = 0;
    counters[kCondensed] = 1;
    pdf.Font(doc, 0, counters, current);
    pdf.Text(doc, 100, 600, "Zahlbar innerhalb von 14 Tagen");
    pdf.NewPage(doc);
    pdf.Text(doc, 100, 200, "Seite zwei");
    const std::string file = dir.File("archiv.pdf");
    EXPECT_EQ(pdf.EndDoc(doc, file, false), 1);

    EXPECT_EQ(test::PdfInfoValue(file, "Title"), "Archivierung");
    EXPECT_EQ(test::PdfInfoValue(file, "Author"), "Qorva eG");
    EXPECT_EQ(test::PdfInfoValue(file, "Subject"), "Qorva Ausdruck Archiv");
    EXPECT_EQ(test::PdfInfoValue(file, "Creator"), "QorPrt");
    EXPECT_EQ(test::PdfInfoValue(file, "Page size"), "595 x 842 pts (A4)");
    EXPECT_EQ(test::PdfPages(file), 2);
    // The XMP says what the information dictionary says, and that the file is PDF/A-1b.
    const std::string xmp = test::PdfMetadata(file);
    for (const char* part :
         {"<rdf:li xml:lang=\"x-default\">Archivierung</rdf:li>", "<rdf:li>Qorva eG</rdf:li>",
          "<rdf:li xml:lang=\"x-default\">Qorva Ausdruck Archiv</rdf:li>",
          "<xmp:CreatorTool>QorPrt</xmp:CreatorTool>", "<pdf:Producer>Qt 6",
          "<pdfaid:part>1</pdfaid:part>", "<pdfaid:conformance>B</pdfaid:conformance>"})
        EXPECT_NE(xmp.find(part), std::string::npos) << part << "\n" << xmp;
    const std::string created = test::PdfInfoValue(file, "CreationDate");
    EXPECT_FALSE(created.empty());
    EXPECT_EQ(test::PdfInfoValue(file, "ModDate"), created);
    // Courier is URW's, Arial and Arial Narrow are their Liberation twins.
    const std::string fonts = test::PdfFonts(file);
    for (const char* font : {"NimbusMonoPS-Regular", "LiberationSans-Bold", "LiberationSansNarrow"})
        EXPECT_NE(fonts.find(font), std::string::npos) << fonts;
    const std::string text = test::PdfText(file);
    for (const char* words : {"Unterlegscheibe \xE2\x82\xAC-Preis",
                              "\xC5\xA0\xC5\xA1\xC5\xBD\xC5\xBE\xC5\x92\xC5\x93\xC5\xB8",
                              "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F", "Qorva eG",
                              "Zahlbar innerhalb von 14 Tagen", "Seite zwei"})
        EXPECT_NE(text.find(words), std::string::npos) << words << "\n" << text;
    // Nothing is left of the spool document.
    EXPECT_TRUE(Files(dir.File("tmp")).empty());
}

TEST_F(QtPdfEngineTest, PagesHaveThePaperAndOrientationOfThePrinterDocument) {
    const struct {
        PdfPageFormat format;
        const char* size;
    } cases[] = {{{210.0, 297.0, 600}, "595 x 842 pts (A4)"},
                 {{297.0, 210.0, 600}, "842 x 595 pts (A4)"},
                 {{215.9, 279.4, 300}, "612 x 792 pts (letter)"},
                 {{148.1, 210.1, 600}, "420 x 595 pts (A5)"}};
    for (const auto& c : cases) {
        QtPdfEngine engine([&] { return c.format; });
        const int32_t doc = engine.OpenDocument("Qorva-PDF", 0x8000);
        EXPECT_EQ(engine.DeviceYResolution(doc), c.format.dpi);
        const std::string file = dir.File("seite.pdf");
        EXPECT_EQ(engine.WriteDocument(doc, file), 1);
        engine.CloseDocument(doc);
        EXPECT_EQ(test::PdfInfoValue(file, "Page size"), c.size);
    }
}

TEST_F(QtPdfEngineTest, TextLinesBoxesAndPicturesLandWhereTheEngineUnitsSay) {
    QImage picture(300, 150, QImage::Format_RGB32);
    picture.fill(Qt::black);
    ASSERT_TRUE(picture.save(QString::fromStdString(dir.File("stempel.png"))));

    QtPdfEngine engine([] { return kA4; });
    const int32_t doc = engine.OpenDocument("Qorva-PDF", 0x8000);
    engine.SetPenWidth(doc, 2);
    engine.SetFontName(doc, "Courier");
    engine.SetFontSize(doc, 10);
    engine.PrintText(doc, 1.0, 1.0, FREE, FREE, "H");
    engine.DrawLine(doc, 2.0, 3.0, 6.0, 3.0);
    engine.SetTransparent(doc, 0);
    engine.SetFillColor(doc, 0);
    engine.DrawBox(doc, 2.0, 4.0, 3.0, 5.0);
    engine.SetTransparent(doc, 1);
    engine.DrawBox(doc, 4.0, 4.0, 5.0, 5.0);
    engine.DrawEllipse(doc, 7.0, 4.0, 8.0, 5.0);
    engine.SetPictureResolution(doc, 300, 300);
    engine.SetPictureLossless(doc, 1);
    EXPECT_NEAR(engine.PlacePicture(doc, 1.0, 6.0, FREE, FREE, dir.File("stempel.png")), 6.0 + 1.27,
                1e-9);
    EXPECT_NEAR(engine.ObjectEdge(doc, kLastObjectBottom), 6.0 + 1.27, 1e-9);
    const std::string file = dir.File("lage.pdf");
    ASSERT_EQ(engine.WriteDocument(doc, file), 1);
    engine.CloseDocument(doc);

    const test::GreyPage page = test::RenderPdfPage(file, 1, 600);
    ASSERT_GT(page.width, 0);
    // The text stands on the baseline a tenth of an inch of the printer page (60/235 units)
    // below the point, whatever its size, and starts right of the point.
    int inkTop = -1, inkBottom = -1, inkLeft = 100000;
    for (int y = Px(1.0) - 20; y < Px(1.0) + 120; ++y)
        for (int x = Px(1.0) - 20; x < Px(1.0) + 80; ++x)
            if (page.Dark(x, y)) {
                if (inkTop < 0) inkTop = y;
                inkBottom = y;
                inkLeft = std::min(inkLeft, x);
            }
    EXPECT_NEAR(inkBottom, Px(1.0 + 60.0 / 235.0), 2);
    EXPECT_GT(inkTop, Px(1.0));
    EXPECT_GE(inkLeft, Px(1.0));
    EXPECT_LT(inkLeft, Px(1.0) + 15);
    // The line is two printer pixels wide.
    int lineRows = 0;
    for (int y = Px(3.0) - 5; y <= Px(3.0) + 5; ++y)
        lineRows += page.Dark(Px(4.0), y) ? 1 : 0;
    EXPECT_GE(lineRows, 2);
    EXPECT_LE(lineRows, 3);
    // The filled box is black inside; the outlined box and the ring are not.
    EXPECT_TRUE(page.Dark(Px(2.5), Px(4.5)));
    EXPECT_FALSE(page.Dark(Px(4.5), Px(4.5)));
    EXPECT_TRUE(page.Dark(Px(4.0), Px(4.5)));
    EXPECT_FALSE(page.Dark(Px(7.5), Px(4.5)));
    EXPECT_TRUE(page.Dark(Px(7.0) + 1, Px(4.5)));
    // The picture of 300 x 150 pixels at 300 dpi covers one inch by half an inch.
    EXPECT_TRUE(page.Dark(Px(1.0) + 590, Px(6.0) + 290));
    EXPECT_FALSE(page.Dark(Px(1.0) + 610, Px(6.0) + 150));
    EXPECT_FALSE(page.Dark(Px(1.0) + 300, Px(6.0) + 310));
    // Embedded losslessly (Flate, not JPEG).
    const std::string images = test::PdfImages(file);
    EXPECT_NE(images.find(" image "), std::string::npos) << images;
    EXPECT_EQ(images.find("jpeg"), std::string::npos) << images;
}

struct PaintedCode128 {
    QPointF topLeft;
    double pixelSize = 0;
    std::string text;
};
struct PaintedPdf417 {
    QRectF rect;
    std::string data;
    int ecc = 0;
    int columns = 0;
};

TEST_F(QtPdfEngineTest, BarcodesGoToThePaintersAndWithoutThemCode128StaysText) {
    for (const bool withPainters : {true, false}) {
        std::vector<PaintedCode128> code128;
        std::vector<PaintedPdf417> pdf417;
        BarcodePainters painters;
        if (withPainters) {
            painters.code128 = [&](QPainter& p, const QPointF& topLeft, double pixelSize,
                                   std::string_view text) {
                code128.push_back({topLeft, pixelSize, std::string(text)});
                p.fillRect(QRectF(topLeft, QSizeF(30, pixelSize)), Qt::black);
                return 30.0;
            };
            painters.pdf417 = [&](QPainter& p, const QRectF& rect, std::string_view data, int ecc,
                                  int columns) {
                pdf417.push_back({rect, std::string(data), ecc, columns});
                p.fillRect(rect, Qt::black);
            };
        }
        PdfLayer layer([] { return kA4; }, painters);
        PdfOutput& pdf = layer.Output();
        const int32_t doc = pdf.BeginDoc(600);
        std::string current = "Code 128";
        pdf.Font(doc, 12, {}, current);
        pdf.Text(doc, 150, 235,
                 "\xCC"
                 "ABC\xCE");
        pdf.Pdf417(doc, 150, 155, "Rechnung 4711");
        const std::string file = dir.File("barcodes.pdf");
        ASSERT_EQ(pdf.EndDoc(doc, file, false), 1);
        const std::string text = test::PdfText(file);
        if (!withPainters) {
            EXPECT_NE(text.find("ABC"), std::string::npos) << text;
            continue;
        }
        EXPECT_EQ(text.find("ABC"), std::string::npos) << text;
        ASSERT_EQ(code128.size(), 1u);
        // (150 + 85) / 235 and 235 / 235: one centimetre each; 12 points at 600 dpi: 100 px.
        // The bars stand on the text's baseline, 60/235 units lower.
        EXPECT_NEAR(code128[0].topLeft.x(), 600 / 2.54, 1e-6);
        EXPECT_NEAR(code128[0].topLeft.y(),
                    (1.0 + 60.0 / 235.0) * 600 / 2.54 -
                        BarcodeFontMetrics(BarcodeFont::Code128, 100).ascent,
                    1e-6);
        EXPECT_EQ(code128[0].pixelSize, 100);
        EXPECT_EQ(code128[0].text, "\xCC"
                                   "ABC\xCE");
        ASSERT_EQ(pdf417.size(), 1u);
        EXPECT_NEAR(pdf417[0].rect.left(), 600 / 2.54, 1e-6);
        EXPECT_NEAR(pdf417[0].rect.top(), 600 / 2.54, 1e-6);
        EXPECT_NEAR(pdf417[0].rect.width(), 5 * 600 / 2.54, 1e-6);
        EXPECT_NEAR(pdf417[0].rect.height(), 16 * 600 / 2.54, 1e-6);
        EXPECT_EQ(pdf417[0].data, "Rechnung 4711");
        EXPECT_EQ(pdf417[0].ecc, 4);
        EXPECT_EQ(pdf417[0].columns, 7);
        const test::GreyPage page = test::RenderPdfPage(file, 1, 100);
        EXPECT_TRUE(page.Dark(118, 314)); // 3 cm and 8 cm at 100 dpi: inside the PDF417 rectangle
    }
}

TEST_F(QtPdfEngineTest, WritingNeverDestroysAnExistingFile) {
    fs::create_directories(dir.File("ordner"));
    const struct {
        const char* name;
        std::string target;
        bool old;     // an old file is there
        bool written; // the new file replaces it
    } cases[] = {
        {"missing folder", dir.File("fehlt/neu.pdf"), false, false},
        {"a folder in the way", dir.File("ordner"), false, false},
        {"replaced when complete", dir.File("alt.pdf"), true, true},
        {"relative to the working folder, with backslashes", "", false, true},
    };
    for (const auto& c : cases) {
        std::string target = c.target;
        std::string expectedFile = c.target;
        if (target.empty()) {
            // The job's name "sub\\rel.pdf" from the working folder.
            fs::create_directories(dir.File("sub"));
            target = "sub\\rel.pdf";
            expectedFile = dir.File("sub/rel.pdf");
        }
        if (c.old) {
            dir.Write("alt.pdf", "alt");
            ::chmod(dir.File("alt.pdf").c_str(), 0640);
        }
        const fs::path previous = fs::current_path();
        fs::current_path(dir.Path());
        dir.Write("qorprt.log", "");
        {
            PdfLayer layer([] { return kA4; });
            const int32_t doc = layer.Output().BeginDoc(600);
            layer.Output().Text(doc, 0, 100, "neu");
            layer.Output().EndDoc(doc, target, false);
        }
        fs::current_path(previous);
        EXPECT_EQ(Log().find("QPE_EndDoc: Error creating PDF file!") == std::string::npos,
                  c.written)
            << c.name;
        if (c.written) {
            EXPECT_NE(test::PdfText(expectedFile).find("neu"), std::string::npos) << c.name;
        }
        if (c.old) {
            struct stat info {};
            ASSERT_EQ(::stat(expectedFile.c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 0777, 0640u) << c.name;
        }
        EXPECT_TRUE(fs::is_directory(dir.File("ordner"))) << c.name;
        EXPECT_TRUE(Files(dir.File("tmp")).empty()) << c.name;
    }
    // Nothing half written stays behind in the folders written to.
    for (const std::string& name : Files(dir.Path()))
        EXPECT_EQ(name.find(".tmp-"), std::string::npos) << name;
    for (const std::string& name : Files(dir.File("sub")))
        EXPECT_EQ(name.find(".tmp-"), std::string::npos) << name;
}

TEST_F(QtPdfEngineTest, AFullDiskLeavesTheOldFileAsItWas) {
    const std::string source = dir.File("quelle.pdf");
    {
        QPdfWriter writer(QString::fromStdString(source));
        writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
        QPainter painter(&writer);
        painter.drawText(100, 100, QStringLiteral("Inhalt, der Platz braucht"));
    }
    const std::string target = dir.File("ziel.pdf");
    dir.Write("ziel.pdf", "alt");

    // A file size limit stands in for the full disk: writes beyond it fail.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 512;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const Status written = WriteArchiveFile(source, target, {"T", "A", "S", "C"});
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written.ok());
    EXPECT_EQ(dir.Read("ziel.pdf"), "alt");
    for (const std::string& name : Files(dir.Path()))
        EXPECT_EQ(name.find(".tmp-"), std::string::npos) << name;
    // With room the same file is written.
    EXPECT_TRUE(WriteArchiveFile(source, target, {"T", "A", "S", "C"}).ok());
    EXPECT_EQ(test::PdfInfoValue(target, "Author"), "A");
}

} // namespace
} // namespace qorprt
