// The CUPS spooler against the private cupsd of the test services: queues qorprt-ps (generic
// PostScript PPD), qorprt-pcl (generic PCL PPD) and qorprt-ps2, each writing what its filter
// chain produced into $QORPRT_TEST_OUT/NAME.out.
#include "platform/printing/CupsSpooler.h"
#include "Queues.h"
#include "platform/printing/CombinedSpooler.h"

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <cups/cups.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

namespace qorprt {
namespace {

namespace fs = std::filesystem;

#define REQUIRE_CUPS()                                                                             \
    do {                                                                                           \
        if (!std::getenv("CUPS_SERVER") || !std::getenv("QORPRT_TEST_OUT"))                        \
            GTEST_SKIP() << "no test cupsd (CUPS_SERVER not set)";                                 \
    } while (0)

using test::OutFile;
using test::ReadAll;
using test::WaitForQueue;

std::string RunCommand(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, p)) > 0)
            out.append(buffer, n);
        pclose(p);
    }
    return out;
}

// A two-page PDF on the paper, with a wide bar across the top of every page: its ink tells
// whether the pages reached the paper turned.
std::string MakePdf(const QTemporaryDir& dir, QPageSize::PageSizeId size,
                    QPageLayout::Orientation orientation) {
    const QString path = dir.filePath("job.pdf");
    QPdfWriter writer(path);
    writer.setResolution(600);
    writer.setPageLayout(QPageLayout(QPageSize(size), orientation, QMarginsF(0, 0, 0, 0)));
    QPainter painter(&writer);
    for (int page = 0; page < 2; ++page) {
        if (page > 0) writer.newPage();
        const QRect r = painter.viewport();
        painter.fillRect(
            QRect(r.width() / 10, r.height() / 10, r.width() * 6 / 10, r.height() / 20), Qt::black);
    }
    painter.end();
    return path.toStdString();
}

PrinterHandle Open(CupsSpooler& spooler, const std::string& name) {
    auto h = spooler.OpenPrinter(name);
    EXPECT_TRUE(h.ok()) << h.error();
    return h.ok() ? std::move(*h) : PrinterHandle();
}

// Submits the PDF with the device mode and returns what the queue's device received.
std::string PrintAndCollect(const std::string& queue, const std::string& pdf, const DevMode& dm) {
    fs::remove(OutFile(queue));
    CupsSpooler spooler;
    PrinterHandle h = Open(spooler, queue);
    const Status done = spooler.SubmitDocument(h, pdf, "R4711.PRT", dm);
    EXPECT_TRUE(done.ok()) << done.error();
    WaitForQueue(queue);
    return ReadAll(OutFile(queue));
}

std::string Features(const std::string& ps) {
    std::string result;
    const std::regex feature("%%BeginFeature: ([^\r\n]*)");
    for (auto it = std::sregex_iterator(ps.begin(), ps.end(), feature);
         it != std::sregex_iterator(); ++it)
        result += (*it)[1].str() + ";";
    return result;
}

// The PCL commands of the output (escape sequences shown as "E").
std::string PclCommands(const std::string& pcl, const std::string& prefix) {
    std::string result;
    const std::string esc = "\x1b" + prefix;
    for (size_t at = pcl.find(esc); at != std::string::npos; at = pcl.find(esc, at + 1)) {
        size_t end = at + esc.size();
        while (end < pcl.size() && !std::isupper(static_cast<unsigned char>(pcl[end])))
            ++end;
        result += "E" + pcl.substr(at + 1, end - at) + ";";
    }
    return result;
}

struct PaperRow {
    int16_t code;
    const char* name;
    int32_t width;
    int32_t height;
};

TEST(CupsSpoolerQueues, PapersOfTheGenericPpdsMapToWindowsCodes) {
    REQUIRE_CUPS();
    const std::vector<PaperRow> expected = {
        {1, "US Letter", 2159, 2794},
        {5, "US Legal", 2159, 3556},
        {7, "Executive", 1842, 2667},
        {3, "Tabloid", 2794, 4318},
        {8, "A3", 2970, 4200},
        {9, "A4", 2100, 2970},
        {11, "A5", 1480, 2100},
        {13, "JIS B5", 1820, 2570},
        {34, "Envelope B5", 1760, 2500},
        {20, "Envelope #10", 1048, 2413},
        {28, "Envelope C5", 1620, 2290},
        {27, "Envelope DL", 1100, 2200},
        {37, "Envelope Monarch", 984, 1905},
    };
    for (const char* queue : {"qorprt-ps", "qorprt-pcl"}) {
        SCOPED_TRACE(queue);
        CupsSpooler spooler;
        PrinterHandle h = Open(spooler, queue);
        auto papers = spooler.Papers(h);
        ASSERT_TRUE(papers.ok()) << papers.error();
        ASSERT_EQ(papers->size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ((*papers)[i].code, expected[i].code) << i;
            EXPECT_EQ((*papers)[i].name, expected[i].name) << i;
            EXPECT_EQ((*papers)[i].width, expected[i].width) << i;
            EXPECT_EQ((*papers)[i].height, expected[i].height) << i;
        }
    }
}

TEST(CupsSpoolerQueues, BinsOfTheGenericPpdsMapToWindowsCodes) {
    REQUIRE_CUPS();
    const std::vector<std::pair<std::string, std::vector<BinInfo>>> cases = {
        {"qorprt-ps", {{7, "Printer Default"}, {1, "Cassette"}, {4, "Manual Feed"}}},
        {"qorprt-pcl",
         {{7, "Printer Default"},
          {1, "Tray 1"},
          {2, "Tray 2"},
          {3, "Tray 3"},
          {256, "Tray 4"},
          {4, "Manual Feed"},
          {5, "Envelope Feed"}}},
    };
    for (const auto& [queue, bins] : cases) {
        SCOPED_TRACE(queue);
        CupsSpooler spooler;
        PrinterHandle h = Open(spooler, queue);
        auto got = spooler.Bins(h);
        ASSERT_TRUE(got.ok()) << got.error();
        EXPECT_EQ(*got, bins);
        auto dpi = spooler.Resolution(h);
        ASSERT_TRUE(dpi.ok());
        EXPECT_EQ(*dpi, queue == "qorprt-pcl" ? 300 : 600) << "the PPD's DefaultResolution";
    }
}

TEST(CupsSpoolerQueues, LevelTwoInformationCarriesDeviceUriAndDriverDefaults) {
    REQUIRE_CUPS();
    CupsSpooler spooler;
    PrinterHandle h = Open(spooler, "qorprt-pcl");
    auto info = spooler.GetPrinter2(h);
    ASSERT_TRUE(info.ok()) << info.error();
    EXPECT_EQ(info->printerName, "qorprt-pcl");
    EXPECT_EQ(info->portName, "file://" + OutFile("qorprt-pcl").string());
    EXPECT_EQ(info->driverName, "Generic PCL Laser Printer");
    ASSERT_TRUE(info->devMode.has_value());
    const DevMode& dm = *info->devMode;
    EXPECT_EQ(dm.DeviceName(), "qorprt-pcl");
    EXPECT_EQ(dm.dmSize, kDevModeSize);
    EXPECT_EQ(dm.dmFields & (DM_PAPERSIZE | DM_DEFAULTSOURCE | DM_DUPLEX | DM_ORIENTATION),
              DM_PAPERSIZE | DM_DEFAULTSOURCE | DM_DUPLEX | DM_ORIENTATION);
    EXPECT_EQ(dm.dmPaperSize, DMPAPER_LETTER);
    EXPECT_EQ(dm.dmDefaultSource, DMBIN_AUTO);
    EXPECT_EQ(dm.dmDuplex, DMDUP_SIMPLEX);
    EXPECT_EQ(dm.dmOrientation, DMORIENT_PORTRAIT);
}

TEST(CupsSpoolerQueues, OpeningAnUnknownPrinterFails) {
    REQUIRE_CUPS();
    CupsSpooler spooler;
    auto h = spooler.OpenPrinter("no-such-queue");
    EXPECT_FALSE(h.ok());
    EXPECT_NE(h.error().find("no-such-queue"), std::string::npos);
    EXPECT_EQ(h.code(), kErrorInvalidPrinterName);
}

TEST(CupsSpoolerQueues, StoredDefaultsRoundTripThroughTheUsersOptions) {
    REQUIRE_CUPS();
    const fs::path lpoptions = fs::path(std::getenv("HOME")) / ".cups" / "lpoptions";
    const bool hadFile = fs::exists(lpoptions);
    const std::string before = ReadAll(lpoptions);

    CupsSpooler spooler;
    PrinterHandle h = Open(spooler, "qorprt-pcl");
    auto saved = spooler.GetPrinter2(h);
    ASSERT_TRUE(saved.ok() && saved->devMode) << saved.error();
    const DevMode original = *saved->devMode;

    DevMode wanted = original;
    wanted.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_DEFAULTSOURCE | DM_DUPLEX;
    wanted.dmPaperSize = DMPAPER_A5;
    wanted.dmDefaultSource = DMBIN_MANUAL;
    wanted.dmDuplex = DMDUP_VERTICAL;
    wanted.dmOrientation = DMORIENT_LANDSCAPE;
    ASSERT_TRUE(spooler.SetPrinter2(h, wanted).ok());

    // What lpoptions -p writes, so every CUPS client of the user sees it.
    const std::string file = ReadAll(lpoptions);
    EXPECT_NE(file.find("qorprt-pcl"), std::string::npos) << file;
    for (const char* option : {"PageSize=A5", "InputSlot=Manual", "sides=two-sided-long-edge",
                               "orientation-requested=4"})
        EXPECT_NE(file.find(option), std::string::npos) << option << " in " << file;
    const std::string listed = RunCommand("lpoptions -p qorprt-pcl 2>&1");
    EXPECT_NE(listed.find("PageSize=A5"), std::string::npos) << listed;

    // A fresh handle reads the same back.
    PrinterHandle again = Open(spooler, "qorprt-pcl");
    auto changed = spooler.GetPrinter2(again);
    ASSERT_TRUE(changed.ok() && changed->devMode);
    EXPECT_EQ(changed->devMode->dmPaperSize, DMPAPER_A5);
    EXPECT_EQ(changed->devMode->dmDefaultSource, DMBIN_MANUAL);
    EXPECT_EQ(changed->devMode->dmDuplex, DMDUP_VERTICAL);
    EXPECT_EQ(changed->devMode->dmOrientation, DMORIENT_LANDSCAPE);

    // A paper the printer does not have leaves the paper alone.
    DevMode foreign = wanted;
    foreign.dmFields = DM_PAPERSIZE;
    foreign.dmPaperSize = DMPAPER_A6;
    ASSERT_TRUE(spooler.SetPrinter2(again, foreign).ok());
    auto kept = spooler.DocumentProperties(again, nullptr);
    ASSERT_TRUE(kept.ok());
    EXPECT_EQ(kept->dmPaperSize, DMPAPER_A5);

    // Restoring the saved bytes gives the settings and the file from before.
    ASSERT_TRUE(spooler.SetPrinter2(again, original).ok());
    auto restored = spooler.GetPrinter2(again);
    ASSERT_TRUE(restored.ok() && restored->devMode);
    EXPECT_TRUE(*restored->devMode == original);
    if (hadFile) {
        EXPECT_EQ(ReadAll(lpoptions), before);
    } else {
        EXPECT_EQ(ReadAll(lpoptions).find("qorprt-pcl"), std::string::npos);
    }
}

TEST(CupsSpoolerQueues, DocumentPropertiesMergesOnlyWhatThePrinterOffers) {
    REQUIRE_CUPS();
    CupsSpooler spooler;
    PrinterHandle h = Open(spooler, "qorprt-ps");
    DevMode in{};
    in.dmFields = DM_PAPERSIZE | DM_DEFAULTSOURCE | DM_DUPLEX;
    in.dmPaperSize = DMPAPER_A5;
    in.dmDefaultSource = DMBIN_LOWER; // generic.ppd has no lower tray
    in.dmDuplex = DMDUP_HORIZONTAL;
    auto out = spooler.DocumentProperties(h, &in);
    ASSERT_TRUE(out.ok()) << out.error();
    EXPECT_EQ(out->dmPaperSize, DMPAPER_A5);
    EXPECT_EQ(out->dmDefaultSource, DMBIN_AUTO);
    EXPECT_EQ(out->dmDuplex, DMDUP_HORIZONTAL);
    EXPECT_EQ(out->dmOrientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(out->DeviceName(), "qorprt-ps");
}

TEST(CupsSpoolerQueues, PostScriptQueueGetsPaperManualFeedAndDuplex) {
    REQUIRE_CUPS();
    QTemporaryDir dir;
    const std::string pdf = MakePdf(dir, QPageSize::A5, QPageLayout::Portrait);
    const DevMode dm =
        MakeDevMode("qorprt-ps", DMPAPER_A5, DMORIENT_PORTRAIT, DMBIN_MANUAL, DMDUP_VERTICAL);
    const std::string ps = PrintAndCollect("qorprt-ps", pdf, dm);
    EXPECT_NE(ps.find("%%PageBoundingBox: 0 0 420 595"), std::string::npos) << "A5 pages";
    const std::string features = Features(ps);
    EXPECT_NE(features.find("*InputSlot Manual;"), std::string::npos) << features;
    EXPECT_NE(ps.find("<</ManualFeed true>>setpagedevice"), std::string::npos);
    EXPECT_NE(features.find("*Duplex DuplexNoTumble;"), std::string::npos) << features;

    const DevMode upper =
        MakeDevMode("qorprt-ps", DMPAPER_LETTER, DMORIENT_PORTRAIT, DMBIN_UPPER, DMDUP_SIMPLEX);
    const std::string ps2 =
        PrintAndCollect("qorprt-ps", MakePdf(dir, QPageSize::Letter, QPageLayout::Portrait), upper);
    EXPECT_NE(ps2.find("%%PageBoundingBox: 0 0 612 792"), std::string::npos) << "Letter pages";
    EXPECT_NE(Features(ps2).find("*InputSlot Upper;"), std::string::npos) << Features(ps2);
    EXPECT_NE(Features(ps2).find("*Duplex None;"), std::string::npos) << Features(ps2);

    const DevMode shortEdge =
        MakeDevMode("qorprt-ps", DMPAPER_A4, DMORIENT_PORTRAIT, DMBIN_AUTO, DMDUP_HORIZONTAL);
    const std::string ps3 =
        PrintAndCollect("qorprt-ps", MakePdf(dir, QPageSize::A4, QPageLayout::Portrait), shortEdge);
    EXPECT_NE(ps3.find("%%PageBoundingBox: 0 0 595 842"), std::string::npos) << "A4 pages";
    EXPECT_NE(Features(ps3).find("*Duplex DuplexTumble;"), std::string::npos) << Features(ps3);
    EXPECT_NE(Features(ps3).find("*InputSlot Default;"), std::string::npos) << Features(ps3);
}

TEST(CupsSpoolerQueues, PclQueueGetsPaperTrayAndDuplexCommands) {
    REQUIRE_CUPS();
    QTemporaryDir dir;
    struct Row {
        QPageSize::PageSizeId page;
        int16_t paper, bin, duplex;
        const char* expected; // PCL: paper source H, page size A, duplex S
    };
    const Row rows[] = {
        {QPageSize::A5, DMPAPER_A5, DMBIN_MANUAL, DMDUP_VERTICAL, "E&l2H;E&l25A;E&l1S;"},
        // The PCL raster driver writes duplex without the tumble (Duplex=DuplexTumble gives
        // the same); the PostScript test shows short-edge binding arriving.
        {QPageSize::Letter, DMPAPER_LETTER, DMBIN_LOWER, DMDUP_HORIZONTAL, "E&l1H;E&l2A;E&l1S;"},
        {QPageSize::A4, DMPAPER_A4, DMBIN_UPPER, DMDUP_SIMPLEX, "E&l8H;E&l26A;E&l0S;"},
        {QPageSize::A4, DMPAPER_A4, 256, DMDUP_SIMPLEX, "E&l5H;E&l26A;E&l0S;"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.expected);
        const DevMode dm = MakeDevMode("qorprt-pcl", r.paper, DMORIENT_PORTRAIT, r.bin, r.duplex);
        const std::string pcl =
            PrintAndCollect("qorprt-pcl", MakePdf(dir, r.page, QPageLayout::Portrait), dm);
        const std::string commands = PclCommands(pcl, "&l");
        std::string picked;
        for (const char* kind : {"H;", "A;", "S;"}) {
            // The first command of each kind: the job's set-up.
            const std::regex re(std::string("E&l[0-9]+") + kind);
            std::smatch m;
            if (std::regex_search(commands, m, re)) picked += m.str();
        }
        EXPECT_EQ(picked, r.expected) << commands;
    }
}

TEST(CupsSpoolerQueues, LandscapePagesArriveTurnedOntoThePaper) {
    REQUIRE_CUPS();
    QTemporaryDir dir;
    // The ink's bounding box: the bar is wide on a portrait page and stands upright on the
    // paper when the page is landscape.
    auto inkBox = [&](QPageLayout::Orientation o, int16_t orientation) {
        const DevMode dm =
            MakeDevMode("qorprt-ps", DMPAPER_A5, orientation, DMBIN_AUTO, DMDUP_VERTICAL);
        const std::string ps = PrintAndCollect("qorprt-ps", MakePdf(dir, QPageSize::A5, o), dm);
        EXPECT_NE(ps.find("%%PageBoundingBox: 0 0 420 595"), std::string::npos);
        const std::string box = RunCommand("gs -q -dNOPAUSE -dBATCH -sDEVICE=bbox " +
                                           OutFile("qorprt-ps").string() + " 2>&1");
        int l = 0, t = 0, r = 0, b = 0;
        EXPECT_EQ(std::sscanf(box.c_str(), "%%%%BoundingBox: %d %d %d %d", &l, &t, &r, &b), 4)
            << box;
        return std::pair<int, int>{r - l, b - t};
    };
    const auto [pw, ph] = inkBox(QPageLayout::Portrait, DMORIENT_PORTRAIT);
    EXPECT_GT(pw, ph * 4) << "portrait: a wide bar";
    const auto [lw, lh] = inkBox(QPageLayout::Landscape, DMORIENT_LANDSCAPE);
    EXPECT_GT(lh, lw * 4) << "landscape: the bar turned upright on the A5 paper";
}

TEST(CupsSpoolerQueues, SettingTheDefaultPrinterIsTheUsersChoice) {
    REQUIRE_CUPS();
    CupsSpooler spooler;
    auto before = spooler.DefaultPrinter();
    ASSERT_TRUE(before.ok()) << before.error();
    EXPECT_EQ(*before, "qorprt-ps");
    ASSERT_TRUE(spooler.SetDefaultPrinter("qorprt-pcl").ok());
    EXPECT_EQ(*spooler.DefaultPrinter(), "qorprt-pcl");
    const std::string lpstat = RunCommand("lpstat -d 2>&1");
    EXPECT_NE(lpstat.find("qorprt-pcl"), std::string::npos) << lpstat;
    EXPECT_FALSE(spooler.SetDefaultPrinter("no-such-queue").ok());
    ASSERT_TRUE(spooler.SetDefaultPrinter(*before).ok());
    EXPECT_EQ(*spooler.DefaultPrinter(), *before);
}

TEST(CupsSpoolerQueues, CombinedListHasTheQueuesAndThePdfPrinterLast) {
    REQUIRE_CUPS();
    QTemporaryDir dir;
    CombinedSpooler spooler(
        std::make_unique<CupsSpooler>(),
        std::make_unique<PdfPrinterSpooler>(dir.filePath("pdf.conf").toStdString()));
    auto names = spooler.EnumPrinters();
    ASSERT_TRUE(names.ok());
    ASSERT_GE(names->size(), 3u);
    EXPECT_EQ(names->back(), PdfPrinterSpooler::kName);
    for (const char* q : {"qorprt-ps", "qorprt-pcl"})
        EXPECT_NE(std::find(names->begin(), names->end(), q), names->end()) << q;
    EXPECT_EQ(*spooler.DefaultPrinter(), "qorprt-ps");

    // The PDF printer as the user's default, then a CUPS queue again.
    ASSERT_TRUE(spooler.SetDefaultPrinter(PdfPrinterSpooler::kName).ok());
    EXPECT_EQ(*spooler.DefaultPrinter(), PdfPrinterSpooler::kName);
    ASSERT_TRUE(spooler.SetDefaultPrinter("qorprt-ps").ok());
    EXPECT_EQ(*spooler.DefaultPrinter(), "qorprt-ps");

    auto h = spooler.OpenPrinter("qorprt-pcl");
    ASSERT_TRUE(h.ok()) << h.error();
    auto bins = spooler.Bins(*h);
    ASSERT_TRUE(bins.ok());
    EXPECT_EQ(bins->size(), 7u);
}

TEST(CupsSpoolerQueues, DeletedQueueMakesSubmitFail) {
    REQUIRE_CUPS();
    QTemporaryDir dir;
    const std::string pdf = MakePdf(dir, QPageSize::A4, QPageLayout::Portrait);
    CupsSpooler spooler;
    PrinterHandle h = Open(spooler, "qorprt-ps2");
    ASSERT_TRUE(h.IsOpen());
    RunCommand("lpadmin -x qorprt-ps2 2>&1");
    const Status done = spooler.SubmitDocument(
        h, pdf, "R4711.PRT", MakeDevMode("qorprt-ps2", DMPAPER_A4, 1, DMBIN_AUTO, 1));
    EXPECT_FALSE(done.ok());
    EXPECT_FALSE(done.error().empty());
    EXPECT_NE(done.code(), 0);
    EXPECT_FALSE(spooler.SetPrinter2(h, MakeDevMode("qorprt-ps2", DMPAPER_A5, 1, 7, 1)).ok());
    EXPECT_FALSE(spooler.OpenPrinter("qorprt-ps2").ok());
    // Back for the next run.
    RunCommand("lpadmin -p qorprt-ps2 -E -v file://" + OutFile("qorprt-ps2").string() +
               " -m drv:///sample.drv/generic.ppd -o Option1=True 2>&1");
}

} // namespace
} // namespace qorprt
