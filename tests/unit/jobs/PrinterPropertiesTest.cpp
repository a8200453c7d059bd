#include "jobs/PrinterProperties.h"

#include "jobs/MessageBoxes.h"
#include "platform/printing/PdfPrinterSpooler.h"
#include "platform/system/Log.h"
#include "support/ScriptedSpooler.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <utility>
#include <vector>

namespace qorprt {
namespace {

using test::ScriptedSpooler;
using test::TempDir;

class RecordingBoxes : public MessageBoxes {
public:
    std::vector<std::pair<std::string, std::string>> shown;
    void ShowError(const std::string& text, const std::string& caption) override {
        shown.emplace_back(text, caption);
    }
};

struct LogEntry {
    int level;
    std::string text;
    bool operator==(const LogEntry&) const = default;
};

std::vector<BinInfo> ManyBins(int n) {
    std::vector<BinInfo> bins;
    for (int i = 0; i < n; ++i)
        bins.push_back({static_cast<int16_t>(i + 1), "Fach " + std::to_string(i + 1)});
    return bins;
}

std::vector<PaperInfo> ManyPapers(int n) {
    std::vector<PaperInfo> papers;
    for (int i = 0; i < n; ++i)
        papers.push_back({static_cast<int16_t>(256 + i), "P" + std::to_string(i), 1000, 2000});
    return papers;
}

class PrinterPropertiesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.Write("qorprt.log", "");
        SetLogFolder(dir.Path());
        SetLogThresholdSource(nullptr);
        spooler.Add("Laser");
    }
    void TearDown() override { SetLogFolder(""); }

    // The log as (level, text) pairs.
    std::vector<LogEntry> Log() const {
        std::vector<LogEntry> entries;
        std::istringstream in(dir.Read("qorprt.log"));
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const size_t pid = line.find(" PID=");
            const size_t colon = line.find(": ", pid);
            if (pid == std::string::npos || colon == std::string::npos) continue;
            const size_t levelStart = line.rfind(' ', pid - 1) + 1;
            entries.push_back(
                {std::stoi(line.substr(levelStart, pid - levelStart)), line.substr(colon + 2)});
        }
        return entries;
    }
    bool Logged(int level, const std::string& text) const {
        for (const LogEntry& e : Log())
            if (e == LogEntry{level, text}) return true;
        return false;
    }
    int CountLogged(const std::string& text) const {
        int n = 0;
        for (const LogEntry& e : Log())
            n += e.text == text;
        return n;
    }

    DevMode Stored(const std::string& name = "Laser") { return *spooler[name].stored; }
    const DevMode& LastSent() const { return spooler.mergeInputs.back(); }

    TempDir dir;
    ScriptedSpooler spooler;
    JobSettings job;
    RecordingBoxes boxes;
    PrinterProperties props{spooler, job, boxes};
};

// --- StripPortSuffix ---

TEST(StripPortSuffix, CutsAtTheLastTwoBlanks) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Laser on LPT1:", "Laser"},
        {"HP LaserJet 4 on LPT1:", "HP LaserJet 4"},
        {"HP Laser", "HP"},
        {"Laser", "Laser"},
        {"Laser ", "Laser"},
        {"", ""},
        {"Laser B\xC3\xBCro on Ne01:", "Laser B\xC3\xBCro"},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(StripPortSuffix(name), expected) << name;
}

// --- GetPrintProp: lists ---

TEST_F(PrinterPropertiesTest, ListsBinsAndPapersAndSelectsTheAskedOnes) {
    spooler["Laser"].papers = {
        {9, "A4", 2100, 2970}, {11, "A5", 1480, 2100}, {300, "Rund", 2095, 2094}};
    job.PaperCode = 11;
    props.GetPrintProp("Laser", 1);

    EXPECT_EQ(job.BinListe.Items, (std::vector<std::string>{"7: Automatisch", "1: Fach 1",
                                                            "2: Fach 2", "7: =Default"}));
    EXPECT_EQ(job.BinListe.ItemIndex, 1);
    EXPECT_EQ(job.PaperListe.Items, (std::vector<std::string>{"9: A4 (210x297)", "11: A5 (148x210)",
                                                              "300: Rund (210x209)"}));
    EXPECT_EQ(job.PaperListe.ItemIndex, 1);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(spooler.openHandles, 0);
    // The level-2 size: 136 bytes of record, "Laser", "LPT1:" and "Scripted driver" as UTF-16
    // with terminators, 220 bytes of device mode.
    EXPECT_TRUE(Logged(4, "GetPrintProp: GetPrinter = 412"));
    EXPECT_TRUE(Logged(4, "GetPrintProp: GetPrinter erfolgreich"));
}

TEST_F(PrinterPropertiesTest, UnusableBinListsGiveTheFallbackEntrySelected) {
    struct Case {
        int count;
        bool refused;
        int32_t bin;
        std::vector<std::string> expected;
        int32_t index;
    };
    const std::vector<Case> cases = {
        {0, false, 3, {"3: qorva", "7: =Default"}, 0},
        {1, false, 1, {"1: qorva", "7: =Default"}, 0},
        {1, false, -1, {"-1: qorva", "7: =Default"}, 0},
        {101, false, 2, {"2: qorva", "7: =Default"}, 0},
        {5, true, 4, {"4: qorva", "7: =Default"}, 0},
    };
    for (const Case& c : cases) {
        spooler["Laser"].bins = ManyBins(c.count);
        spooler["Laser"].refuseBins = c.refused ? kErrorGenFailure : 0;
        props.GetPrintProp("Laser", c.bin);
        EXPECT_EQ(job.BinListe.Items, c.expected) << c.count;
        EXPECT_EQ(job.BinListe.ItemIndex, c.index) << c.count;
    }
}

TEST_F(PrinterPropertiesTest, UsableBinListsFromTwoToAHundred) {
    for (int count : {2, 100}) {
        spooler["Laser"].bins = ManyBins(count);
        props.GetPrintProp("Laser", count);
        ASSERT_EQ(job.BinListe.Items.size(), static_cast<size_t>(count) + 1);
        EXPECT_EQ(job.BinListe.Items.front(), "1: Fach 1");
        EXPECT_EQ(job.BinListe.Items[static_cast<size_t>(count) - 1],
                  std::to_string(count) + ": Fach " + std::to_string(count));
        EXPECT_EQ(job.BinListe.Items.back(), "7: =Default");
        EXPECT_EQ(job.BinListe.ItemIndex, count - 1);
    }
    // No bin asked for: nothing selected.
    props.GetPrintProp("Laser", -1);
    EXPECT_EQ(job.BinListe.ItemIndex, -1);
}

TEST_F(PrinterPropertiesTest, TooManyOrRefusedPapersGiveTheFallbackEntries) {
    struct Case {
        int count;
        bool refused;
        int32_t paperCode;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {101, false, -1, {"9: A4 (210x297)", "11: A5 (148x210)"}},
        {101, false, 0, {"9: A4 (210x297)", "11: A5 (148x210)"}},
        {150, false, 8, {"8: qorva (0x0)"}},
        {3, true, -1, {"9: A4 (210x297)", "11: A5 (148x210)"}},
        {3, true, 11, {"11: qorva (0x0)"}},
    };
    for (const Case& c : cases) {
        spooler["Laser"].papers = ManyPapers(c.count);
        spooler["Laser"].refusePapers = c.refused ? kErrorGenFailure : 0;
        job.PaperCode = c.paperCode;
        props.GetPrintProp("Laser", -1);
        EXPECT_EQ(job.PaperListe.Items, c.expected) << c.count << " " << c.paperCode;
        EXPECT_EQ(job.PaperListe.ItemIndex, 0) << c.count << " " << c.paperCode;
    }
}

TEST_F(PrinterPropertiesTest, PaperListsUpToAHundredAndNone) {
    spooler["Laser"].papers = ManyPapers(100);
    props.GetPrintProp("Laser", -1);
    ASSERT_EQ(job.PaperListe.Items.size(), 100u);
    EXPECT_EQ(job.PaperListe.Items[99], "355: P99 (100x200)");
    EXPECT_EQ(job.PaperListe.ItemIndex, -1); // no /F

    spooler["Laser"].papers.clear();
    props.GetPrintProp("Laser", -1);
    EXPECT_TRUE(job.PaperListe.Items.empty());
    EXPECT_EQ(job.PaperListe.ItemIndex, -1);
}

TEST_F(PrinterPropertiesTest, PaperSizesRoundToWholeMillimetresHalvesUp) {
    spooler["Laser"].papers = {
        {9, "A4", 2100, 2970}, {256, "a", 2095, 2094}, {257, "b", 4, 5}, {258, "c", 0, 0}};
    props.GetPrintProp("Laser", -1);
    EXPECT_EQ(job.PaperListe.Items, (std::vector<std::string>{"9: A4 (210x297)", "256: a (210x209)",
                                                              "257: b (0x1)", "258: c (0x0)"}));
}

TEST_F(PrinterPropertiesTest, NamesAreCutToTheirSlotsInUtf16Units) {
    spooler["Laser"].bins = {
        {1, "Gro\xC3\x9F"
            "raumfach f\xC3\xBCr \xC3\x9C"
            "berl\xC3\xA4nge und mehr"},
        {2, std::string(23, 'x') + "\xF0\x9F\x98\x80"}}; // a surrogate pair does not fit
    spooler["Laser"].papers = {{9, std::string(70, 'p'), 2100, 2970}};
    props.GetPrintProp("Laser", -1);
    EXPECT_EQ(job.BinListe.Items[0], "1: Gro\xC3\x9F"
                                     "raumfach f\xC3\xBCr \xC3\x9C"
                                     "berl\xC3\xA4n");
    EXPECT_EQ(job.BinListe.Items[1], "2: " + std::string(23, 'x'));
    EXPECT_EQ(job.PaperListe.Items[0], "9: " + std::string(64, 'p') + " (210x297)");
}

TEST_F(PrinterPropertiesTest, CodesShowUnsignedAndGoBackAsTheSameBits) {
    spooler["Laser"].bins = {{7, "Auto"}, {-2, "Sonderfach"}};
    spooler["Laser"].papers = {{9, "A4", 2100, 2970}, {-300, "Band", 2100, 10000}};
    job.PaperCode = 65236;
    props.GetPrintProp("Laser", 65534);
    EXPECT_EQ(job.BinListe.Items[1], "65534: Sonderfach");
    EXPECT_EQ(job.BinListe.ItemIndex, 1);
    EXPECT_EQ(job.PaperListe.Items[1], "65236: Band (210x1000)");
    EXPECT_EQ(job.PaperListe.ItemIndex, 1);

    ASSERT_TRUE(props.SetPrintProp("Laser", -1, -1, -1, -1));
    EXPECT_EQ(LastSent().dmDefaultSource, -2);
    EXPECT_EQ(LastSent().dmPaperSize, -300);
    EXPECT_EQ(Stored().dmDefaultSource, -2);
}

TEST_F(PrinterPropertiesTest, DuplexComesFromThePrinterUnlessTheJobGaveIt) {
    struct Case {
        int16_t printerDuplex;
        bool given;
        bool jobDuplex;
        bool expected;
    };
    const std::vector<Case> cases = {
        {DMDUP_SIMPLEX, false, true, false},    {DMDUP_VERTICAL, false, false, true},
        {DMDUP_HORIZONTAL, false, false, true}, {DMDUP_VERTICAL, true, false, false},
        {DMDUP_SIMPLEX, true, true, true},
    };
    for (const Case& c : cases) {
        spooler["Laser"].stored->dmDuplex = c.printerDuplex;
        job.DuplexGiven = c.given;
        job.Duplex = c.jobDuplex;
        props.GetPrintProp("Laser", -1);
        EXPECT_EQ(job.Duplex, c.expected) << c.printerDuplex << c.given;
    }
}

TEST_F(PrinterPropertiesTest, APrinterWithoutStoredDefaultsUsesTheDriversDefaults) {
    auto& p = spooler["Laser"];
    p.stored.reset();
    p.driverDefault =
        MakeDevMode("Laser", DMPAPER_A5, DMORIENT_PORTRAIT, DMBIN_MANUAL, DMDUP_HORIZONTAL);
    props.GetPrintProp("Laser", 2);
    EXPECT_EQ(job.BinListe.Items.back(), "4: =Default");
    EXPECT_EQ(job.BinListe.ItemIndex, 2);
    EXPECT_TRUE(job.Duplex);

    // No defaults from the driver either: no lists, and nothing shown.
    p.refuseDriverDefault = kErrorGenFailure;
    props.GetPrintProp("Laser", 2);
    EXPECT_TRUE(job.BinListe.Items.empty());
    EXPECT_TRUE(job.PaperListe.Items.empty());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(spooler.openHandles, 0);
}

// --- GetPrintProp: opening ---

TEST_F(PrinterPropertiesTest, AnEntryWithPortOpensUnderThePrinterPart) {
    props.PrinterName = "before";
    props.GetPrintProp("Laser on LPT1:", -1);
    EXPECT_EQ(spooler.opened, (std::vector<std::string>{"Laser on LPT1:", "Laser"}));
    EXPECT_EQ(props.PrinterName, "Laser");
    EXPECT_EQ(job.BinListe.Items.size(), 4u);
    EXPECT_TRUE(boxes.shown.empty());

    // A name the spooler knows keeps PrinterName as it is.
    props.PrinterName = "before";
    props.GetPrintProp("Laser", -1);
    EXPECT_EQ(props.PrinterName, "before");
}

TEST_F(PrinterPropertiesTest, APrinterThatCannotBeOpenedShowsTheErrorCode) {
    job.BinListe.Items = {"1: alt"};
    job.BinListe.ItemIndex = 0;
    job.PaperListe.Items = {"9: alt"};
    spooler["Laser"].refuseOpen = kErrorAccessDenied;
    props.GetPrintProp("Laser", 1);
    EXPECT_EQ(spooler.opened, (std::vector<std::string>{"Laser", "Laser"}));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], (std::pair<std::string, std::string>{"Error : 5", "OpenPrinter"}));
    EXPECT_TRUE(job.BinListe.Items.empty());
    EXPECT_EQ(job.BinListe.ItemIndex, -1);
    EXPECT_TRUE(job.PaperListe.Items.empty());

    props.GetPrintProp("Matrix on LPT2:", 1);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].first, "Error : 1801");
    EXPECT_EQ(props.PrinterName, "Matrix");
}

TEST_F(PrinterPropertiesTest, AFailedLevelTwoReadEndsSilentlyWithEmptyLists) {
    spooler["Laser"].refuseGetPrinter2 = kErrorAccessDenied;
    props.GetPrintProp("Laser", 1);
    EXPECT_TRUE(job.BinListe.Items.empty());
    EXPECT_TRUE(job.PaperListe.Items.empty());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(spooler.openHandles, 0);
    EXPECT_TRUE(Logged(4, "GetPrintProp: GetPrinter = 0"));
    EXPECT_EQ(CountLogged("GetPrintProp: GetPrinter erfolgreich"), 0);
}

TEST_F(PrinterPropertiesTest, PrinterClickReadsTheSelectedPrinterWithTheFirstBin) {
    spooler.Add("Matrix").bins = {{4, "Manuell"}, {8, "Traktor"}};
    job.DruListe.Items = {"Laser", "Matrix"};
    job.FirstBinCode = 8;
    job.DruListe.ItemIndex = -1;
    props.PrinterClick();
    EXPECT_TRUE(spooler.opened.empty());

    job.DruListe.ItemIndex = 1;
    props.PrinterClick();
    EXPECT_EQ(spooler.opened, std::vector<std::string>{"Matrix"});
    EXPECT_EQ(job.BinListe.Items,
              (std::vector<std::string>{"4: Manuell", "8: Traktor", "7: =Default"}));
    EXPECT_EQ(job.BinListe.ItemIndex, 1);
}

// --- SetPrintProp: what is written ---

TEST_F(PrinterPropertiesTest, WritesTheSelectionsWithTheFieldMask) {
    struct Case {
        const char* what;
        std::vector<std::string> bins, papers;
        int32_t source, length, width;
        bool landscape, duplex;
        uint32_t fields;
        int16_t wantSource, wantPaper, wantLength, wantWidth;
    };
    const uint32_t base = DM_ORIENTATION | DM_DUPLEX;
    const std::vector<Case> cases = {
        {"nothing", {}, {}, -1, -1, -1, false, false, base, 7, 9, 0, 0},
        {"bin and paper",
         {"2: Fach 2"},
         {"11: A5 (148x210)"},
         -1,
         -1,
         -1,
         true,
         true,
         base | DM_DEFAULTSOURCE | DM_PAPERSIZE,
         2,
         11,
         0,
         0},
        {"custom size",
         {},
         {},
         -1,
         2970,
         2100,
         false,
         true,
         base | DM_PAPERLENGTH | DM_PAPERWIDTH,
         7,
         9,
         2970,
         2100},
        {"source argument", {}, {}, 1, -1, -1, false, false, base | DM_DEFAULTSOURCE, 1, 9, 0, 0},
        // Flagged but below zero: the value stays as it was.
        {"negative",
         {},
         {},
         -3,
         -5,
         -1,
         false,
         false,
         base | DM_DEFAULTSOURCE | DM_PAPERLENGTH,
         7,
         9,
         0,
         0},
        {"entries without numbers",
         {"Fach: 2"},
         {"A5: x"},
         -1,
         -1,
         -1,
         false,
         false,
         base | DM_DEFAULTSOURCE | DM_PAPERSIZE,
         7,
         9,
         0,
         0},
        // Not a 16-bit value at all: left alone.
        {"too wide", {}, {}, -1, 70000, -40000, false, false, base, 7, 9, 0, 0},
    };
    for (const Case& c : cases) {
        job.BinListe = {c.bins, c.bins.empty() ? -1 : 0};
        job.PaperListe = {c.papers, c.papers.empty() ? -1 : 0};
        job.Landscape = c.landscape;
        job.Duplex = c.duplex;
        ASSERT_TRUE(props.SetPrintProp("Laser", c.source, c.length, c.width, -1)) << c.what;
        const DevMode& dm = LastSent();
        EXPECT_EQ(dm.dmFields, c.fields) << c.what;
        EXPECT_EQ(dm.dmOrientation, c.landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT) << c.what;
        EXPECT_EQ(dm.dmDuplex, c.duplex ? DMDUP_VERTICAL : DMDUP_SIMPLEX) << c.what;
        EXPECT_EQ(dm.dmDefaultSource, c.wantSource) << c.what;
        EXPECT_EQ(dm.dmPaperSize, c.wantPaper) << c.what;
        EXPECT_EQ(dm.dmPaperLength, c.wantLength) << c.what;
        EXPECT_EQ(dm.dmPaperWidth, c.wantWidth) << c.what;
        EXPECT_EQ(Stored(), dm) << c.what;
        // Undo, so that every case starts from the same defaults.
        ASSERT_TRUE(props.SetPrintProp("Laser", -2, -2, -2, -2)) << c.what;
    }
    EXPECT_EQ(spooler.openHandles, 0);
}

TEST_F(PrinterPropertiesTest, TooManyPapersWithoutPaperCodeWritesA4) {
    spooler["Laser"].stored->dmPaperSize = DMPAPER_A5;
    spooler["Laser"].papers = ManyPapers(101);
    spooler["Laser"].papers.push_back({DMPAPER_A4, "A4", 2100, 2970});
    props.GetPrintProp("Laser", -1);
    ASSERT_TRUE(props.SetPrintProp("Laser", -1, -1, -1, -1));
    EXPECT_TRUE(LastSent().dmFields & DM_PAPERSIZE);
    EXPECT_EQ(Stored().dmPaperSize, DMPAPER_A4);
}

TEST_F(PrinterPropertiesTest, WithoutPaperCodeThePaperSizeIsNotFlagged) {
    props.GetPrintProp("Laser", -1);
    ASSERT_EQ(job.PaperListe.ItemIndex, -1);
    ASSERT_TRUE(props.SetPrintProp("Laser", -1, -1, -1, -1));
    EXPECT_FALSE(LastSent().dmFields & DM_PAPERSIZE);
    EXPECT_FALSE(LastSent().dmFields & DM_DEFAULTSOURCE);
}

TEST_F(PrinterPropertiesTest, TheFallbackBinForNoBinWritesNoSource) {
    spooler["Laser"].bins = {{1, "Einzig"}};
    spooler["Laser"].stored->dmDefaultSource = DMBIN_UPPER;
    props.GetPrintProp("Laser", -1);
    ASSERT_EQ(*job.BinListe.Selected(), "-1: qorva");
    ASSERT_TRUE(props.SetPrintProp("Laser", -1, -1, -1, -1));
    EXPECT_FALSE(LastSent().dmFields & DM_DEFAULTSOURCE);
    EXPECT_EQ(LastSent().dmDefaultSource, DMBIN_UPPER);
}

TEST_F(PrinterPropertiesTest, TheDefaultEntryWritesThePrintersOwnSourceBack) {
    spooler["Laser"].stored->dmDefaultSource = DMBIN_LOWER;
    props.GetPrintProp("Laser", DMBIN_UPPER);
    ASSERT_EQ(*job.BinListe.Selected(), "1: Fach 1");
    job.BinListe.ItemIndex = static_cast<int32_t>(job.BinListe.Items.size()) - 1; // the user
    ASSERT_TRUE(props.SetPrintProp("Laser", -1, -1, -1, -1));
    EXPECT_TRUE(LastSent().dmFields & DM_DEFAULTSOURCE);
    EXPECT_EQ(LastSent().dmDefaultSource, DMBIN_LOWER);
    EXPECT_EQ(Stored().dmDefaultSource, DMBIN_LOWER);
}

TEST_F(PrinterPropertiesTest, APrinterWithoutStoredDefaultsGetsTheDriversDefaultsChanged) {
    auto& p = spooler["Laser"];
    p.stored.reset();
    p.driverDefault.dmDuplex = DMDUP_HORIZONTAL;
    job.BinListe = {{"2: Fach 2"}, 0};
    ASSERT_TRUE(props.SetPrintProp("Laser", -1, -1, -1, -1));
    EXPECT_EQ(props.m_devmode, p.driverDefault);
    ASSERT_TRUE(p.stored);
    EXPECT_EQ(p.stored->dmDefaultSource, DMBIN_LOWER);
    EXPECT_EQ(p.stored->dmDuplex, DMDUP_SIMPLEX);
}

// --- SetPrintProp: failures ---

TEST_F(PrinterPropertiesTest, EveryFailureLogsItsLineAndLeavesTheDefaults) {
    using Script = std::function<void(ScriptedSpooler::Printer&)>;
    const std::vector<std::pair<Script, std::string>> cases = {
        {[](auto& p) { p.refuseOpen = kErrorAccessDenied; }, "SetPrintProp: OpenPrinter Error"},
        {[](auto& p) { p.refuseGetPrinter2 = kErrorAccessDenied; }, "SetPrintProp: GetPrinter 0"},
        {[](auto& p) {
             p.stored.reset();
             p.refuseDriverDefault = kErrorGenFailure;
         },
         "SetPrintProp: DocumentProperties NULL,NULL"},
        {[](auto& p) { p.refuseMerge = kErrorGenFailure; },
         "SetPrintProp: DocumentProperties pDevMode,pDevMode"},
        // The spooler's reason goes with the line.
        {[](auto& p) { p.refuseSetPrinter2 = kErrorAccessDenied; },
         "SetPrintProp: SetPrinter - SetPrinter refused"},
    };
    for (const auto& [script, line] : cases) {
        for (int32_t paper : {-1, -2}) {
            spooler.printers.erase("Laser");
            ScriptedSpooler::Printer& p = spooler.Add("Laser");
            script(p);
            const std::optional<DevMode> before = p.stored;
            job.BinListe = {{"2: Fach 2"}, 0};
            dir.Write("qorprt.log", "");
            EXPECT_FALSE(props.SetPrintProp("Laser", paper, paper, paper, paper)) << line;
            const std::vector<LogEntry> log = Log();
            ASSERT_FALSE(log.empty()) << line;
            EXPECT_EQ(log.back(), (LogEntry{10, line})) << paper;
            EXPECT_EQ(p.stored, before) << line;
            EXPECT_TRUE(spooler.stores.empty()) << line;
            EXPECT_EQ(spooler.openHandles, 0) << line;
        }
    }
}

// --- SetPrintProp: save and restore ---

class SaveAndRestore : public PrinterPropertiesTest {
protected:
    void SetUp() override {
        PrinterPropertiesTest::SetUp();
        // Defaults with bytes the program never touches, to see that they come back as well.
        DevMode& dm = *spooler["Laser"].stored;
        dm.dmFields |= DM_COLOR | DM_PAPERLENGTH | DM_PAPERWIDTH;
        dm.dmColor = DMCOLOR_COLOR;
        dm.dmCopies = 3;
        dm.dmPaperLength = 2970;
        dm.dmPaperWidth = 2100;
        dm.dmFormName[0] = u'A';
        dm.dmFormName[1] = u'4';
        defaults = dm;
    }
    // A bin switch: the lists read again for the other bin, then the settings written.
    void Switch(int32_t bin) {
        props.GetPrintProp("Laser", bin);
        ASSERT_TRUE(props.SetPrintProp("Laser", -1, -1, -1, -1));
    }
    DevMode defaults;
};

TEST_F(SaveAndRestore, TheRestoreLeavesTheDefaultsByteIdentical) {
    job.PaperCode = DMPAPER_A5;
    job.Landscape = true;
    Switch(DMBIN_LOWER);
    EXPECT_EQ(props.m_devmode, defaults);
    EXPECT_EQ(Stored().dmDefaultSource, DMBIN_LOWER);
    EXPECT_EQ(Stored().dmPaperSize, DMPAPER_A5);
    EXPECT_EQ(Stored().dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_TRUE(Logged(2, "SetPrintProp: nach memcpy(&m_devmode,..)"));

    ASSERT_TRUE(props.SetPrintProp("Laser", -2, -2, -2, -2));
    EXPECT_EQ(Stored(), defaults);
    EXPECT_EQ(LastSent(), defaults);
    EXPECT_TRUE(Logged(2, "SetPrintProp: nach memcpy(pi2->pDevMode,..)"));
    // The saved copy stays after a reset.
    EXPECT_EQ(props.m_devmode, defaults);
}

TEST_F(SaveAndRestore, OutsideAPrintEveryChangeSavesTheDefaultsItFinds) {
    Switch(DMBIN_UPPER);
    const DevMode afterFirst = Stored();
    Switch(DMBIN_LOWER);
    EXPECT_EQ(props.m_devmode, afterFirst);
    ASSERT_TRUE(props.SetPrintProp("Laser", -2, -2, -2, -2));
    EXPECT_EQ(Stored(), afterFirst);
    EXPECT_EQ(CountLogged("SetPrintProp: nach memcpy(&m_devmode,..)"), 2);
}

TEST_F(SaveAndRestore, ABinSwitchWithinAPrintStillRestoresTheDefaultsFromBefore) {
    props.BeginPrint();
    Switch(DMBIN_UPPER);
    Switch(DMBIN_LOWER);
    EXPECT_EQ(Stored().dmDefaultSource, DMBIN_LOWER);
    EXPECT_EQ(props.m_devmode, defaults);
    ASSERT_TRUE(props.SetPrintProp("Laser", -2, -2, -2, -2));
    props.EndPrint();
    EXPECT_EQ(Stored(), defaults);
    EXPECT_EQ(CountLogged("SetPrintProp: nach memcpy(&m_devmode,..)"), 1);

    // The next print saves afresh: the defaults as they are then.
    spooler["Laser"].stored->dmDefaultSource = DMBIN_LOWER; // a bin the printer offers
    const DevMode changed = Stored();
    props.BeginPrint();
    Switch(DMBIN_UPPER);
    EXPECT_EQ(props.m_devmode, changed);
    ASSERT_TRUE(props.SetPrintProp("Laser", -2, -2, -2, -2));
    props.EndPrint();
    EXPECT_EQ(Stored(), changed);
}

TEST_F(SaveAndRestore, AFirstChangeThatFailedBeforeSavingLetsTheNextOneSave) {
    props.BeginPrint();
    spooler["Laser"].refuseGetPrinter2 = kErrorAccessDenied;
    EXPECT_FALSE(props.SetPrintProp("Laser", -1, -1, -1, -1));
    spooler["Laser"].refuseGetPrinter2 = 0;
    Switch(DMBIN_LOWER);
    EXPECT_EQ(props.m_devmode, defaults);
    ASSERT_TRUE(props.SetPrintProp("Laser", -2, -2, -2, -2));
    props.EndPrint();
    EXPECT_EQ(Stored(), defaults);
}

TEST_F(SaveAndRestore, ARestoreInAPrintThatSavedNothingWritesNothing) {
    // An earlier print left its copy behind.
    props.BeginPrint();
    Switch(DMBIN_UPPER);
    ASSERT_TRUE(props.SetPrintProp("Laser", -2, -2, -2, -2));
    props.EndPrint();

    spooler["Laser"].stored->dmDefaultSource = DMBIN_LOWER;
    const DevMode changed = Stored();
    const size_t storesBefore = spooler.stores.size();
    props.BeginPrint();
    EXPECT_FALSE(props.SetPrintProp("Laser", -2, -2, -2, -2));
    props.EndPrint();
    EXPECT_EQ(Stored(), changed);
    EXPECT_EQ(spooler.stores.size(), storesBefore);
    const std::vector<LogEntry> log = Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), (LogEntry{10, "SetPrintProp: keine gesicherten Einstellungen"}));
}

TEST_F(SaveAndRestore, TheRestoreWritesBackTheSpoolersFullCopyOfThatPrinter) {
    spooler["Laser"].fullDefaults = "Dest Laser media=Custom.100x150mm ColorModel=Gray\n";
    spooler.Add("Zebra");
    Switch(DMBIN_LOWER);
    spooler["Laser"].fullDefaults = "Dest Laser InputSlot=Lower\n"; // what the change wrote
    ASSERT_TRUE(props.SetPrintProp("Laser", -2, -2, -2, -2));
    using Restore = std::pair<std::string, std::string>;
    EXPECT_EQ(
        spooler.restores,
        (std::vector<Restore>{{"Laser", "Dest Laser media=Custom.100x150mm ColorModel=Gray\n"}}));
    EXPECT_EQ(spooler.stores.size(), 1u) << "only the change went through SetPrinter2";

    // The copy belongs to Laser: another printer's restore writes the device mode.
    ASSERT_TRUE(props.SetPrintProp("Zebra", -2, -2, -2, -2));
    EXPECT_EQ(spooler.restores.size(), 1u);
    ASSERT_EQ(spooler.stores.size(), 2u);
    EXPECT_EQ(spooler.stores[1].first, "Zebra");

    spooler["Laser"].refuseRestore = kErrorAccessDenied;
    EXPECT_FALSE(props.SetPrintProp("Laser", -2, -2, -2, -2));
    const std::vector<LogEntry> log = Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), (LogEntry{10, "SetPrintProp: SetPrinter - restore refused"}));
}

// --- The built-in PDF printer ---

TEST_F(PrinterPropertiesTest, WorksOnTheBuiltInPdfPrinter) {
    PdfPrinterSpooler pdf(dir.File("pdfprinter.conf"));
    PrinterProperties real(pdf, job, boxes);
    const std::string name = PdfPrinterSpooler::kName;

    job.PaperCode = DMPAPER_A5;
    real.GetPrintProp(name, DMBIN_LOWER);
    EXPECT_EQ(job.BinListe.Items,
              (std::vector<std::string>{"7: Automatische Auswahl", "1: Fach 1", "2: Fach 2",
                                        "3: Fach 3", "4: Manuelle Zufuhr", "7: =Default"}));
    EXPECT_EQ(job.BinListe.ItemIndex, 2);
    ASSERT_GE(job.PaperListe.Items.size(), 2u);
    EXPECT_EQ(job.PaperListe.Items[0], "9: A4 (210x297)");
    EXPECT_EQ(job.PaperListe.Items[1], "11: A5 (148x210)");
    EXPECT_EQ(job.PaperListe.ItemIndex, 1);
    EXPECT_FALSE(job.Duplex);
    EXPECT_TRUE(boxes.shown.empty());

    auto Defaults = [&] {
        auto h = pdf.OpenPrinter(name);
        EXPECT_TRUE(h.ok());
        auto info = pdf.GetPrinter2(*h);
        EXPECT_TRUE(info.ok() && info->devMode);
        return info.ok() && info->devMode ? *info->devMode : DevMode{};
    };
    const DevMode before = Defaults();

    job.Landscape = true;
    job.Duplex = true;
    real.BeginPrint();
    ASSERT_TRUE(real.SetPrintProp(name, -1, -1, -1, -1));
    const DevMode during = Defaults();
    EXPECT_EQ(during.dmDefaultSource, DMBIN_LOWER);
    EXPECT_EQ(during.dmPaperSize, DMPAPER_A5);
    EXPECT_EQ(during.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(during.dmDuplex, DMDUP_VERTICAL);

    ASSERT_TRUE(real.SetPrintProp(name, -2, -2, -2, -2));
    real.EndPrint();
    EXPECT_EQ(Defaults(), before);
}

} // namespace
} // namespace qorprt
