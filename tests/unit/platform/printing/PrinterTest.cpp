#include "platform/printing/Printer.h"

#include "platform/canvas/RecordingCanvas.h"
#include "platform/system/Errors.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>

namespace qorprt {
namespace {

namespace fs = std::filesystem;

void EnsureGuiApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "qorprt_unit_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

std::string PdfInfo(const fs::path& file) {
    std::string out;
    if (FILE* p = popen(("pdfinfo '" + file.string() + "' 2>&1").c_str(), "r")) {
        char buffer[1024];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, p)) > 0)
            out.append(buffer, n);
        pclose(p);
    }
    return out;
}

std::string InfoField(const std::string& info, const std::string& field) {
    std::smatch m;
    const std::regex re(field + ":\\s*([^\\n]*)");
    return std::regex_search(info, m, re) ? m[1].str() : std::string();
}

// A spooler with scripted printers that keeps what it is sent.
class FakeSpooler : public Spooler {
public:
    struct Submission {
        std::string printer, title;
        DevMode devMode;
        std::string pdfInfo;
    };
    struct Queue {
        int32_t dpi = 600;
        PrintSettings stored;
    };

    std::vector<std::string> names = {"Laser1", "Laser2", "Matrix"};
    std::string defaultName = "Laser1";
    std::map<std::string, Queue> queues = {{"Laser1", {}}, {"Laser2", {}}, {"Matrix", {300, {}}}};
    std::vector<Submission> submissions;
    std::string refuseSubmit;
    QTemporaryDir keep;

    class State : public PrinterHandleState {};

    Expected<std::vector<std::string>> EnumPrinters() override { return names; }
    Expected<std::string> DefaultPrinter() override {
        if (defaultName.empty()) return Fail("no default printer");
        return defaultName;
    }
    Status SetDefaultPrinter(std::string_view name) override {
        defaultName = name;
        return Ok();
    }
    Expected<PrinterHandle> OpenPrinter(std::string_view name) override {
        if (!queues.contains(std::string(name))) return Fail("unknown printer");
        return PrinterHandle(std::string(name), std::make_unique<State>());
    }
    Expected<PrinterInfo2> GetPrinter2(PrinterHandle& h) override {
        return PrinterInfo2{h.Name(), "fake", "fake", ToDevMode(h.Name(), queues[h.Name()].stored)};
    }
    Status SetPrinter2(PrinterHandle& h, const DevMode& dm) override {
        Queue& q = queues[h.Name()];
        q.stored = MergeDevMode(q.stored, dm, PdfPapers(), {});
        return Ok();
    }
    static std::vector<PaperInfo> PdfPapers() {
        return {{9, "A4", 2100, 2970}, {11, "A5", 1480, 2100}, {300, "Odd", 1000, 1500}};
    }
    Expected<std::vector<PaperInfo>> Papers(PrinterHandle&) override { return PdfPapers(); }
    Expected<std::vector<BinInfo>> Bins(PrinterHandle&) override {
        return std::vector<BinInfo>{{7, "Auto"}, {4, "Manual"}};
    }
    Expected<DevMode> DocumentProperties(PrinterHandle& h, const DevMode* in) override {
        PrintSettings s = queues[h.Name()].stored;
        if (in) s = MergeDevMode(s, *in, PdfPapers(), {{7, "Auto"}, {4, "Manual"}});
        return ToDevMode(h.Name(), s);
    }
    Expected<int32_t> Resolution(PrinterHandle& h) override { return queues[h.Name()].dpi; }
    Status SubmitDocument(PrinterHandle& h, const std::string& pdf, const std::string& title,
                          const DevMode& dm) override {
        if (!refuseSubmit.empty()) return Fail(refuseSubmit);
        const fs::path copy =
            fs::path(keep.path().toStdString()) / ("doc" + std::to_string(submissions.size()));
        fs::copy_file(pdf, copy);
        submissions.push_back({h.Name(), title, dm, PdfInfo(copy)});
        return Ok();
    }
};

// Canvases the printer made, so a test can look at what was drawn on the document.
struct CanvasLog {
    std::vector<RecordingCanvas*> made;
    std::vector<int32_t> dpis;
    std::vector<Size> pages; // the writer's page size in pixels
};

CanvasFactory RecordingFactory(CanvasLog& log) {
    return [&log](QPdfWriter& writer, int32_t dpi) {
        auto canvas = std::make_unique<RecordingCanvas>(dpi);
        log.made.push_back(canvas.get());
        log.dpis.push_back(dpi);
        log.pages.push_back({writer.width(), writer.height()});
        return std::unique_ptr<Canvas>(std::move(canvas));
    };
}

// A recording canvas that also paints its rectangles on the spool document.
class PaintingCanvas : public RecordingCanvas {
public:
    PaintingCanvas(QPdfWriter& writer, int32_t dpi) : RecordingCanvas(dpi), painter_(&writer) {}
    void FillRect(const Rect& r) override {
        RecordingCanvas::FillRect(r);
        painter_.fillRect(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), Qt::black);
    }

private:
    QPainter painter_;
};

class PrinterTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        ASSERT_TRUE(tmp.isValid());
        oldTmp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
        setenv("TMPDIR", tmp.path().toLocal8Bit().constData(), 1);
    }
    void TearDown() override {
        if (oldTmp.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", oldTmp.c_str(), 1);
    }
    bool SpoolFolderEmpty() const { return fs::is_empty(tmp.path().toStdString()); }

    QTemporaryDir tmp;
    std::string oldTmp;
    FakeSpooler spooler;
    CanvasLog log;
};

TEST_F(PrinterTest, IndexStartsAtTheDefaultPrinterAndFailsWithoutOne) {
    spooler.defaultName = "Laser2";
    Printer printer(spooler, RecordingFactory(log));
    EXPECT_EQ(printer.Printers(), spooler.names);
    EXPECT_EQ(printer.PrinterIndex(), 1);

    spooler.defaultName.clear();
    Printer none(spooler, RecordingFactory(log));
    try {
        none.PrinterIndex();
        FAIL() << "no exception";
    } catch (const EPrinter& e) {
        EXPECT_STREQ(e.what(), "There is no default printer currently selected");
        EXPECT_STREQ(e.ClassName(), "EPrinter");
    }
    EXPECT_THROW(none.SetPrinterIndex(-1), EPrinter);
    none.SetPrinterIndex(0);
    EXPECT_EQ(none.PrinterIndex(), 0);
}

TEST_F(PrinterTest, IndexChoosesPrintersAndRefusesOutsideTheList) {
    Printer printer(spooler, RecordingFactory(log));
    printer.SetPrinterIndex(2);
    EXPECT_EQ(printer.PrinterIndex(), 2);
    EXPECT_EQ(printer.Dpi(), 300);
    EXPECT_THROW(printer.SetPrinterIndex(3), EPrinter);
    EXPECT_THROW(printer.SetPrinterIndex(-2), EPrinter);
    EXPECT_EQ(printer.PrinterIndex(), 2);
    printer.SetPrinterIndex(-1);
    EXPECT_EQ(printer.PrinterIndex(), 0);
}

TEST_F(PrinterTest, RefreshRereadsTheListAndKeepsTheCurrentPrinter) {
    Printer printer(spooler, RecordingFactory(log));
    printer.SetPrinterIndex(1);
    spooler.names = {"Matrix", "New", "Laser2", "Laser1"};
    EXPECT_EQ(printer.PrinterIndex(), 1) << "the list is cached until Refresh";
    printer.Refresh();
    EXPECT_EQ(printer.Printers(), spooler.names);
    EXPECT_EQ(printer.PrinterIndex(), 2);
}

TEST_F(PrinterTest, ChangesAreRefusedWhilePrinting) {
    Printer printer(spooler, RecordingFactory(log));
    EXPECT_THROW(printer.EndDoc(), EPrinter);
    EXPECT_THROW(printer.NewPage(), EPrinter);
    EXPECT_THROW(printer.Abort(), EPrinter);
    printer.BeginDoc();
    EXPECT_TRUE(printer.Printing());
    EXPECT_THROW(printer.SetPrinterIndex(1), EPrinter);
    EXPECT_THROW(printer.SetPrinter("Laser2", "WINSPOOL", "", nullptr), EPrinter);
    EXPECT_THROW(printer.BeginDoc(), EPrinter);
    EXPECT_EQ(printer.PrinterIndex(), 0);
    printer.Abort();
    EXPECT_FALSE(printer.Printing());
    printer.SetPrinterIndex(1);
}

TEST_F(PrinterTest, SetPrinterTakesUpTheStoredDefaults) {
    spooler.queues["Laser2"].stored = {DMPAPER_A5, DMBIN_MANUAL, DMDUP_VERTICAL, DMORIENT_LANDSCAPE,
                                       1};
    Printer printer(spooler, RecordingFactory(log));
    printer.SetPrinter("Laser2", "WINSPOOL", "", nullptr);
    EXPECT_EQ(printer.PrinterIndex(), 1);
    // Later changes of the stored defaults do not reach a device mode already taken up.
    spooler.queues["Laser2"].stored.paper = DMPAPER_A4;
    const DevMode dm = printer.CurrentDevMode();
    EXPECT_EQ(dm.dmPaperSize, DMPAPER_A5);
    EXPECT_EQ(dm.dmDefaultSource, DMBIN_MANUAL);
    EXPECT_EQ(dm.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_GT(printer.PageWidth(), printer.PageHeight());

    printer.Title = "R4711.PRT";
    printer.BeginDoc();
    printer.NewPage();
    ASSERT_TRUE(printer.EndDoc().ok());
    ASSERT_EQ(spooler.submissions.size(), 1u);
    const auto& s = spooler.submissions[0];
    EXPECT_EQ(s.printer, "Laser2");
    EXPECT_EQ(s.title, "R4711.PRT");
    EXPECT_EQ(s.devMode.dmPaperSize, DMPAPER_A5);
    EXPECT_EQ(s.devMode.dmDuplex, DMDUP_VERTICAL);
    EXPECT_EQ(InfoField(s.pdfInfo, "Pages"), "2") << s.pdfInfo;
    EXPECT_NE(InfoField(s.pdfInfo, "Page size").find("595 x 420 pts (A5)"), std::string::npos)
        << s.pdfInfo;

    // Choosing the printer by index drops the device mode: the stored defaults apply again.
    printer.SetPrinterIndex(1);
    EXPECT_EQ(printer.CurrentDevMode().dmPaperSize, DMPAPER_A4);
}

TEST_F(PrinterTest, SetPrinterWithADeviceModeUsesIt) {
    Printer printer(spooler, RecordingFactory(log));
    DevMode given = MakeDevMode("Matrix", 300, DMORIENT_PORTRAIT, DMBIN_AUTO, DMDUP_SIMPLEX);
    printer.SetPrinter("Matrix", "WINSPOOL", "", &given);
    EXPECT_TRUE(printer.CurrentDevMode() == given);
    EXPECT_EQ(printer.Dpi(), 300);
    // The printer's own paper 300 is 100 x 150 mm: about 1181 x 1772 pixels at 300 dpi, and
    // exactly the spool document's size.
    EXPECT_NEAR(printer.PageWidth(), 1181, 3);
    EXPECT_NEAR(printer.PageHeight(), 1772, 3);
    printer.BeginDoc();
    ASSERT_FALSE(log.pages.empty());
    EXPECT_EQ(log.pages.back(), (Size{printer.PageWidth(), printer.PageHeight()}));
    printer.Abort();
}

TEST_F(PrinterTest, SetPrinterRefusesAnUnknownPrinterAndKeepsTheCurrentOne) {
    Printer printer(spooler, RecordingFactory(log));
    printer.SetPrinterIndex(2);
    try {
        printer.SetPrinter("Gone", "WINSPOOL", "", nullptr);
        FAIL() << "no exception";
    } catch (const EPrinter& e) {
        EXPECT_NE(std::string(e.what()).find("Printer selected is not valid"), std::string::npos);
    }
    EXPECT_EQ(printer.PrinterIndex(), 2);
}

TEST_F(PrinterTest, DocumentDrawsAtThePrinterResolutionOnOneStableCanvas) {
    Printer printer(spooler, RecordingFactory(log));
    printer.SetPrinterIndex(2); // 300 dpi
    Canvas& canvas = printer.Canvas();
    // Before the document: measuring works at the printer's resolution.
    canvas.SetFontName("Courier New");
    canvas.SetFontSize(12);
    EXPECT_EQ(canvas.PixelsPerInch(), 300);
    EXPECT_EQ(canvas.TextExtent("abc").cx, 3 * (50 * 3 / 5)) << "12 pt at 300 dpi is 50 px";

    printer.Title = "Brücke.PRT";
    printer.BeginDoc();
    EXPECT_EQ(&printer.Canvas(), &canvas);
    canvas.MoveTo(10, 20);
    canvas.LineTo(110, 20);
    canvas.TextOut(5, 6, "Hallo");
    EXPECT_EQ(canvas.PenPos(), (Point{110, 20}));
    printer.NewPage();
    EXPECT_EQ(printer.PageNumber(), 2);
    ASSERT_FALSE(log.made.empty());
    const RecordingCanvas* doc = log.made.back();
    EXPECT_EQ(log.dpis.back(), 300);
    ASSERT_EQ(doc->Operations().size(), 2u);
    EXPECT_EQ(doc->Operations()[0], "line 10 20 110 20 pen=1");
    EXPECT_EQ(doc->Operations()[1], "text 5 6 \"Hallo\" font=\"Courier New\" size=12 style=-");
    ASSERT_TRUE(printer.EndDoc().ok());
    ASSERT_EQ(spooler.submissions.size(), 1u);
    EXPECT_EQ(spooler.submissions[0].title, "Brücke.PRT") << "titles reach the spooler as UTF-8";
    EXPECT_EQ(InfoField(spooler.submissions[0].pdfInfo, "Pages"), "2");
    EXPECT_TRUE(SpoolFolderEmpty()) << "the spool file is removed";
}

TEST_F(PrinterTest, PaintedDocumentsKeepTheirPages) {
    Printer printer(spooler, [](QPdfWriter& w, int32_t dpi) {
        return std::unique_ptr<Canvas>(std::make_unique<PaintingCanvas>(w, dpi));
    });
    printer.BeginDoc();
    for (int page = 0; page < 3; ++page) {
        if (page) printer.NewPage();
        printer.Canvas().FillRect({100, 100, 2000, 300});
    }
    ASSERT_TRUE(printer.EndDoc().ok());
    ASSERT_EQ(spooler.submissions.size(), 1u);
    EXPECT_EQ(InfoField(spooler.submissions[0].pdfInfo, "Pages"), "3");
    EXPECT_NE(InfoField(spooler.submissions[0].pdfInfo, "Page size").find("595 x 842 pts (A4)"),
              std::string::npos)
        << spooler.submissions[0].pdfInfo;
}

TEST_F(PrinterTest, AbortDiscardsTheDocument) {
    Printer printer(spooler, RecordingFactory(log));
    printer.BeginDoc();
    printer.Canvas().TextOut(1, 1, "x");
    EXPECT_FALSE(SpoolFolderEmpty());
    printer.Abort();
    EXPECT_FALSE(printer.Printing());
    EXPECT_TRUE(spooler.submissions.empty());
    EXPECT_TRUE(SpoolFolderEmpty());
}

TEST_F(PrinterTest, AFailedSubmissionIsReportedAndEndsTheDocument) {
    spooler.refuseSubmit = "queue stopped";
    Printer printer(spooler, RecordingFactory(log));
    printer.BeginDoc();
    const Status s = printer.EndDoc();
    EXPECT_FALSE(s.ok());
    EXPECT_EQ(s.error(), "queue stopped");
    EXPECT_EQ(printer.LastError(), "queue stopped");
    EXPECT_FALSE(printer.Printing());
    EXPECT_TRUE(SpoolFolderEmpty());
}

TEST_F(PrinterTest, ACanvasThatCannotBeMadeLeavesNoDocumentBehind) {
    Printer printer(spooler, [](QPdfWriter&, int32_t) { return std::unique_ptr<Canvas>(); });
    EXPECT_THROW(printer.BeginDoc(), EPrinter);
    EXPECT_FALSE(printer.Printing());
    EXPECT_TRUE(SpoolFolderEmpty());
}

TEST_F(PrinterTest, FontsComeFromFontconfig) {
    Printer printer(spooler, RecordingFactory(log));
    const std::vector<std::string>& fonts = printer.Fonts();
    EXPECT_NE(std::find(fonts.begin(), fonts.end(), "Liberation Sans"), fonts.end());
}

} // namespace
} // namespace qorprt
