#include "jobs/JobCommandLine.h"

#include "jobs/UsageText.h"
#include "platform/system/Registry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace qorprt {
namespace {

// The printer object as the parse stage sees it, recording every change of printer.
class FakePrinter : public PrinterSelection {
public:
    bool printing = false;
    std::vector<int32_t> indexCalls;

    bool Printing() const override { return printing; }
    void SetPrinterIndex(int32_t index) override { indexCalls.push_back(index); }
};

constexpr const char* kProgram = "C:\\Programme\\QorPrt\\QorPrt.exe R.PRT ";

// Installed printers, UTF-8 as the printer list holds them.
const std::vector<std::string> kPrinters = {
    "PDF Writer",         // 0
    "Laser2 B\xC3\xBCro", // 1
    "\\\\SRV01\\Laser2",  // 2
    "LaserJet 4",         // 3
    "Laser2",             // 4
};
constexpr int32_t kChosenBefore = 3; // the printer chosen before the parse stage

class JobCommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        SetRegistryFiles(dir_.File("user.reg"), dir_.File("system.reg"));
        job_.DruListe.Items = kPrinters;
        job_.DruListe.ItemIndex = kChosenBefore;
        job_.Duplex = true; // left over from the last job
        job_.LogLevel = "8";
        ResetJobSettings(job_);
    }
    void TearDown() override { SetRegistryFiles({}, {}); }

    void SetEmulationPrinter(std::optional<std::string> name) {
        if (!name) return;
        std::string escaped; // as regedit writes string values
        for (char ch : *name) {
            if (ch == '\\' || ch == '"') escaped += '\\';
            escaped += ch;
        }
        dir_.Write("user.reg", "REGEDIT4\r\n\r\n"
                               "[HKEY_CURRENT_USER\\Software\\Qorva eG\\QorvaClient\\Emulation]\r\n"
                               "\"Printer\"=\"" +
                                   escaped + "\"\r\n");
    }

    ParsedJob Parse(std::string aufruf) {
        job_.Aufruf = std::move(aufruf);
        return ParseJobCommandLine(job_, printer_);
    }

    test::TempDir dir_;
    JobSettings job_;
    FakePrinter printer_;
};

// --- integer settings ---------------------------------------------------------------------

struct IntCase {
    const char* args;
    int32_t binCode, firstBinCode, paperCode, headTop, headLeft;
};

class IntOptions : public JobCommandLine, public ::testing::WithParamInterface<IntCase> {};

TEST_P(IntOptions, SetsIntegers) {
    const IntCase& c = GetParam();
    Parse(std::string(kProgram) + c.args);
    EXPECT_EQ(job_.BinCode, c.binCode) << c.args;
    EXPECT_EQ(job_.FirstBinCode, c.firstBinCode) << c.args;
    EXPECT_EQ(job_.PaperCode, c.paperCode) << c.args;
    EXPECT_EQ(job_.HeadTop, c.headTop) << c.args;
    EXPECT_EQ(job_.HeadLeft, c.headLeft) << c.args;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntOptions,
    ::testing::Values(IntCase{"", -1, -1, -1, 0, 0}, IntCase{"/B4", 4, 4, -1, 0, 0},
                      IntCase{"/b2", -1, 2, -1, 0, 0}, IntCase{"/b1 /B7", 7, 1, -1, 0, 0},
                      IntCase{"/B", 7, 7, -1, 0, 0}, IntCase{"/Babc", 7, 7, -1, 0, 0},
                      IntCase{"/b", -1, 7, -1, 0, 0}, IntCase{"/B$F", 15, 15, -1, 0, 0},
                      IntCase{"/B4 /B5", 5, 5, -1, 0, 0}, IntCase{"/F9", -1, -1, 9, 0, 0},
                      IntCase{"/F", -1, -1, -1, 0, 0}, IntCase{"/F11 /Fabc", -1, -1, -1, 0, 0},
                      IntCase{"/F0x0B", -1, -1, 11, 0, 0}, IntCase{"/f9 /b3", -1, 3, -1, 0, 0},
                      IntCase{"/h30X150", -1, -1, -1, 30, 15}, IntCase{"/h30", -1, -1, -1, 0, 30},
                      IntCase{"/h30x15", -1, -1, -1, 0, 30}, IntCase{"/h150", -1, -1, -1, 0, 15},
                      IntCase{"/h10X", -1, -1, -1, 10, 0}, IntCase{"/hX5", -1, -1, -1, 0, 5},
                      IntCase{"/h", -1, -1, -1, 0, 0}, IntCase{"/h1X2X3", -1, -1, -1, 1, 0},
                      IntCase{"/h-5X-5", -1, -1, -1, -5, -5},
                      IntCase{"/habcX12", -1, -1, -1, 0, 12},
                      IntCase{"/h30X150 /h7X8", -1, -1, -1, 7, 8},
                      IntCase{"/H30X150", -1, -1, -1, 0, 0}));

// --- text settings ------------------------------------------------------------------------

struct TextCase {
    const char* args;
    const char* randOben;
    const char* randLinks;
    const char* logLevel;
    const char* headFile;
    const char* pdfName;
    bool showPdf;
};

class TextOptions : public JobCommandLine, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextOptions, SetsTexts) {
    const TextCase& c = GetParam();
    Parse(std::string(kProgram) + c.args);
    EXPECT_EQ(job_.RandOben, c.randOben) << c.args;
    EXPECT_EQ(job_.RandLinks, c.randLinks) << c.args;
    EXPECT_EQ(job_.LogLevel, c.logLevel) << c.args;
    EXPECT_EQ(job_.HeadFile, c.headFile) << c.args;
    EXPECT_EQ(job_.PDFname, c.pdfName) << c.args;
    EXPECT_EQ(job_.ShowPdf, c.showPdf) << c.args;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextOptions,
    ::testing::Values(
        TextCase{"", "", "", "8", "", "", false},
        TextCase{"/T10 /L15", "10", "15", "8", "", "", false},
        TextCase{"/T12.5", "0", "", "8", "", "", false},
        TextCase{"/Tabc", "0", "", "8", "", "", false},
        TextCase{"/T-3", "-3", "", "8", "", "", false}, TextCase{"/T", "0", "", "8", "", "", false},
        TextCase{"/T$10 /L+7", "16", "7", "8", "", "", false},
        TextCase{"/T10 /T20", "20", "", "8", "", "", false},
        TextCase{"/t5 /l7 /a1 /x /o /s2", "", "", "8", "", "", false},
        TextCase{"/A3", "", "", "3", "", "", false}, TextCase{"/A", "", "", "", "", "", false},
        TextCase{"/Aabc", "", "", "abc", "", "", false},
        TextCase{"/HC:\\Bilder\\Kopf.bmp", "", "", "8", "C:\\Bilder\\Kopf.bmp", "", false},
        TextCase{"/H\"C:\\Meine Bilder\\Kopf 1.bmp\"", "", "", "8",
                 "\"C:\\Meine Bilder\\Kopf 1.bmp\"", "", false},
        TextCase{"/W\"C:\\My Docs\\a.pdf\"", "", "", "8", "", "\"C:\\My Docs\\a.pdf\"", true},
        TextCase{"/wC:\\b.pdf", "", "", "8", "", "C:\\b.pdf", false},
        TextCase{"/WC:\\a.pdf /w", "", "", "8", "", "", false},
        TextCase{"/wC:\\a.pdf /W", "", "", "8", "", "", true}));

// --- switches -----------------------------------------------------------------------------

struct SwitchCase {
    const char* args;
    bool landscape, duplex, duplexGiven, noPrint, directPrint;
};

class SwitchOptions : public JobCommandLine, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(SwitchOptions, SetsSwitches) {
    const SwitchCase& c = GetParam();
    const ParsedJob parsed = Parse(std::string(kProgram) + c.args);
    EXPECT_EQ(job_.Landscape, c.landscape) << c.args;
    EXPECT_EQ(job_.Duplex, c.duplex) << c.args;
    EXPECT_EQ(job_.DuplexGiven, c.duplexGiven) << c.args;
    EXPECT_EQ(job_.NoPrint, c.noPrint) << c.args;
    EXPECT_EQ(parsed.DirectPrint, c.directPrint) << c.args;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SwitchOptions,
    ::testing::Values(
        // Duplex is left over from the last job until /S or the printer's setting replaces it.
        SwitchCase{"", false, true, false, false, false},
        SwitchCase{"/OL", true, true, false, false, false},
        SwitchCase{"/Olandscape", true, true, false, false, false},
        SwitchCase{"/O", false, true, false, false, false},
        SwitchCase{"/OP", false, true, false, false, false},
        SwitchCase{"/OX", false, true, false, false, false},
        SwitchCase{"/OL /OP", false, true, false, false, false},
        SwitchCase{"/S", false, false, true, false, false},
        SwitchCase{"/S0", false, true, true, false, false},
        SwitchCase{"/S1", false, false, true, false, false},
        SwitchCase{"/S2", false, true, true, false, false},
        SwitchCase{"/Sx", false, false, true, false, false},
        SwitchCase{"/P-", false, true, false, true, false},
        SwitchCase{"/X", false, true, false, false, true},
        SwitchCase{"/Xyz", false, true, false, false, true},
        SwitchCase{"/D /d /N /Z /", false, true, false, false, false}));

TEST_F(JobCommandLine, ShownWindowAlwaysPreviews) {
    job_.Anzeige = true;
    EXPECT_FALSE(Parse(std::string(kProgram) + "/X").DirectPrint);
}

TEST_F(JobCommandLine, TypicalJob) {
    const ParsedJob parsed =
        Parse("C:\\Programme\\QorPrt\\QorPrt.exe C:\\Druck\\R4711.PRT /PLaser2 "
              "/T10 /L15 /OL /b1 /B7 /X");
    EXPECT_TRUE(parsed.DirectPrint);
    EXPECT_EQ(parsed.PRTfile, "C:\\Druck\\R4711.PRT");
    EXPECT_EQ(job_.PRTfile, "C:\\Druck\\R4711.PRT");
    EXPECT_EQ(job_.DruListe.ItemIndex, 4);
    EXPECT_EQ(printer_.indexCalls, std::vector<int32_t>{4});
    EXPECT_EQ(job_.RandOben, "10");
    EXPECT_EQ(job_.RandLinks, "15");
    EXPECT_TRUE(job_.Landscape);
    EXPECT_EQ(job_.FirstBinCode, 1);
    EXPECT_EQ(job_.BinCode, 7);
}

// --- program path and file tokens ---------------------------------------------------------

struct FileCase {
    const char* label;
    std::string aufruf;
    std::optional<std::string> prtFile;
    bool directPrint;
};

class FileTokens : public JobCommandLine, public ::testing::WithParamInterface<FileCase> {};

TEST_P(FileTokens, FindsFile) {
    const FileCase& c = GetParam();
    job_.PRTfile = "previous.PRT";
    const ParsedJob parsed = Parse(c.aufruf);
    EXPECT_EQ(parsed.PRTfile, c.prtFile) << c.label;
    EXPECT_EQ(job_.PRTfile, c.prtFile.value_or("previous.PRT")) << c.label;
    EXPECT_EQ(parsed.DirectPrint, c.directPrint) << c.label;
}

const std::string k98(98, 'a');

INSTANTIATE_TEST_SUITE_P(
    Cases, FileTokens,
    ::testing::Values(
        FileCase{"plain", "C:\\Programme\\QorPrt\\QorPrt.exe C:\\Druck\\R4711.PRT /X",
                 "C:\\Druck\\R4711.PRT", true},
        FileCase{"quoted program and file",
                 "\"C:\\Program Files\\QorPrt\\QorPrt.exe\" \"C:\\Mein Druck\\R 1.PRT\" /X",
                 "\"C:\\Mein Druck\\R 1.PRT\"", true},
        FileCase{"program name missing", "R1.PRT /X", std::nullopt, true},
        FileCase{"program name in lower case", "qorprt R1.PRT", "R1.PRT", false},
        FileCase{"program only", "C:\\QorPrt.exe", std::nullopt, false},
        FileCase{"empty", "", std::nullopt, false},
        FileCase{"last file wins", "C:\\QorPrt.exe A.PRT /X B.PRT", "B.PRT", true},
        FileCase{"double blanks", "C:\\QorPrt.exe  A.PRT   /X  ", "A.PRT", true},
        FileCase{"UTF-8 file name", "C:\\QorPrt.exe C:\\Brücke\\R.PRT", "C:\\Brücke\\R.PRT", false},
        FileCase{"lone quote at the end", "C:\\QorPrt.exe R1.PRT \"", "\"", false},
        FileCase{"closing quote as character 100", "C:\\QorPrt.exe \"" + k98 + "\" /X",
                 "\"" + k98 + "\"", true},
        // Character 101 is beyond the search: the lone quote and one more character go.
        FileCase{"closing quote as character 101", "C:\\QorPrt.exe \"a" + k98 + "\" /X", k98 + "\"",
                 true},
        FileCase{"character after closing quote is dropped", "C:\\QorPrt.exe \"a b\"c.PRT /X",
                 ".PRT", true},
        FileCase{"quoted file then option", "C:\\QorPrt.exe \"a b.PRT\" /X", "\"a b.PRT\"", true}));

// --- printer choice -----------------------------------------------------------------------

struct PrinterCase {
    const char* args;
    std::optional<std::string> emulationPrinter; // registry value; none: no registry file
    bool printing;
    int32_t itemIndex;
    std::vector<int32_t> indexCalls;
};

class PrinterChoice : public JobCommandLine, public ::testing::WithParamInterface<PrinterCase> {};

TEST_P(PrinterChoice, SelectsPrinter) {
    const PrinterCase& c = GetParam();
    SetEmulationPrinter(c.emulationPrinter);
    printer_.printing = c.printing;
    Parse(std::string(kProgram) + c.args);
    EXPECT_EQ(job_.DruListe.ItemIndex, c.itemIndex) << c.args;
    EXPECT_EQ(printer_.indexCalls, c.indexCalls) << c.args;
    EXPECT_EQ(job_.NoPrint, std::string(c.args) == "/P-") << c.args;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrinterChoice,
    ::testing::Values(PrinterCase{"/PLaser2", std::nullopt, false, 4, {4}},
                      PrinterCase{"/Plaser2", std::nullopt, false, 4, {4}},
                      PrinterCase{"/P\"LaserJet 4\"", std::nullopt, false, 3, {3}},
                      PrinterCase{"/P\"laser2 büro\"", std::nullopt, false, 1, {1}},
                      PrinterCase{"/PLaser", std::nullopt, false, 1, {1}},
                      PrinterCase{"/Plaserj", std::nullopt, false, 3, {3}},
                      PrinterCase{"/P\\\\SRV01\\Laser2", std::nullopt, false, 2, {2}},
                      PrinterCase{"/P//SRV01/LASER2", std::nullopt, false, 2, {2}},
                      PrinterCase{"/P\\\\srv01/laser2", std::nullopt, false, 2, {2}},
                      // The prefix pass does not swap slashes.
                      PrinterCase{"/P//SRV01/LASER", std::nullopt, false, kChosenBefore, {}},
                      PrinterCase{"/P", std::nullopt, false, 0, {0}},
                      PrinterCase{"/PNone", std::nullopt, false, kChosenBefore, {}},
                      PrinterCase{"/P-", std::nullopt, false, kChosenBefore, {}},
                      PrinterCase{"/PLOCAL", std::string("laser2 b\xFCro"), false, 1, {1}},
                      PrinterCase{"/Plocal", std::string("\\\\SRV01\\Laser2"), false, 2, {2}},
                      PrinterCase{"/PLOCAL", std::nullopt, false, 0, {0}},
                      PrinterCase{"/PLOCAL", std::string(64, 'L'), false, 0, {0}},
                      PrinterCase{
                          "/P\"LOCAL\\LaserJet 4\"", std::string("PDF Writer"), false, 3, {3}},
                      PrinterCase{"/PLocal\\PDF", std::nullopt, false, 0, {0}},
                      PrinterCase{"/PLaserJet", std::nullopt, true, 3, {}},
                      PrinterCase{"/pPDF", std::nullopt, false, kChosenBefore, {}},
                      PrinterCase{"/PPDF /PLaser", std::nullopt, false, 1, {0, 1}}));

TEST_F(JobCommandLine, NoPrintLeavesEverythingElse) {
    job_.PRTfile = "old.PRT";
    const ParsedJob parsed = Parse("C:\\QorPrt.exe /P-");
    EXPECT_TRUE(job_.NoPrint);
    EXPECT_FALSE(parsed.PRTfile);
    EXPECT_EQ(job_.PRTfile, "old.PRT");
    EXPECT_EQ(job_.DruListe.ItemIndex, kChosenBefore);
    EXPECT_TRUE(printer_.indexCalls.empty());
}

// --- reset --------------------------------------------------------------------------------

TEST(JobReset, ResetsPerJobFieldsAndKeepsTheRest) {
    JobSettings job;
    job.Aufruf = "a";
    job.PRTfile = "b";
    job.PDFname = "c";
    job.ShowPdf = true;
    job.NoPrint = true;
    job.RandOben = "5";
    job.RandLinks = "6";
    job.Landscape = true;
    job.Duplex = true;
    job.DuplexGiven = true;
    job.BinCode = 1;
    job.FirstBinCode = 2;
    job.PaperCode = 3;
    job.HeadFile = "d";
    job.HeadTop = 7;
    job.HeadLeft = 8;
    job.LogLevel = "2";
    job.Anzeige = true;

    ResetJobSettings(job);

    EXPECT_EQ(job.FirstBinCode, -1);
    EXPECT_EQ(job.BinCode, -1);
    EXPECT_EQ(job.PaperCode, -1);
    EXPECT_EQ(job.HeadFile, "");
    EXPECT_EQ(job.HeadTop, 0);
    EXPECT_EQ(job.HeadLeft, 0);
    EXPECT_FALSE(job.DuplexGiven);
    EXPECT_EQ(job.RandLinks, "");
    EXPECT_EQ(job.RandOben, "");
    EXPECT_FALSE(job.Landscape);
    EXPECT_EQ(job.PDFname, "");
    EXPECT_FALSE(job.ShowPdf);
    EXPECT_FALSE(job.NoPrint);
    // Survivors.
    EXPECT_EQ(job.Aufruf, "a");
    EXPECT_EQ(job.PRTfile, "b");
    EXPECT_TRUE(job.Duplex);
    EXPECT_EQ(job.LogLevel, "2");
    EXPECT_TRUE(job.Anzeige);
}

// --- usage text ---------------------------------------------------------------------------

TEST(Usage, CaptionAndTextAreUtf8) {
    EXPECT_EQ(UsageCaption(), "QorPrt.exe vom 07.08.2017");
    const std::string text = UsageText();
    EXPECT_TRUE(text.starts_with(
        "Aufruf: QorPrt.EXE <Dateiname.PRT> /P<Druckername> /T<oberer Rand> ...\n  /P "));
    EXPECT_TRUE(text.ends_with("\n\nDie Parameter hinter / sind optional.\n\nFenster jetzt "
                               "anzeigen?"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 20);
    EXPECT_NE(text.find("(auch UNC-schreibweise möglich)\n"), std::string::npos);
    EXPECT_NE(text.find("\n  /A Level für Ausgabe in QorPrt.LOG: 1 (alles) bis 10 (wichtig)\n"),
              std::string::npos);
}

} // namespace
} // namespace qorprt
