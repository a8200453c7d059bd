#include "platform/printing/PdfPrinterSpooler.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace qorprt {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << text;
}

// The smallest document the printer delivers: a PDF with a whole trailer.
std::string WholePdf() {
    const std::string body = "%PDF-1.4\n1 0 obj\n<< /Type /Catalog >>\nendobj\n";
    return body +
           "xref\n0 2\n0000000000 65535 f \n0000000009 00000 n \ntrailer\n<< /Size 2 /Root 1 0 " +
           "R >>\nstartxref\n" + std::to_string(body.size()) + "\n%%EOF\n";
}

// A PDF printer with its settings file and output folder in a temporary folder.
class PdfPrinterSpoolerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = dir.path().toStdString();
        out = root / "out";
        setenv("QORPRT_PDF_DIR", out.c_str(), 1);
        source = root / "spool.pdf";
        WriteAll(source, WholePdf());
    }
    void TearDown() override { unsetenv("QORPRT_PDF_DIR"); }

    PrinterHandle Open() {
        auto h = spooler.OpenPrinter(PdfPrinterSpooler::kName);
        EXPECT_TRUE(h.ok()) << h.error();
        return std::move(*h);
    }

    QTemporaryDir dir;
    fs::path root, out, source;
    PdfPrinterSpooler spooler{fs::path(dir.path().toStdString()) / "qorva" / "pdfprinter.conf"};
};

TEST_F(PdfPrinterSpoolerTest, ListsItselfAndOpensOnlyByItsName) {
    auto names = spooler.EnumPrinters();
    ASSERT_TRUE(names.ok());
    EXPECT_EQ(*names, std::vector<std::string>{"QorPrt PDF"});
    EXPECT_FALSE(spooler.OpenPrinter("Laser2").ok());
    EXPECT_EQ(spooler.OpenPrinter("Laser2").code(), kErrorInvalidPrinterName);
    PrinterHandle h = Open();
    EXPECT_EQ(h.Name(), "QorPrt PDF");
    auto dpi = spooler.Resolution(h);
    ASSERT_TRUE(dpi.ok());
    EXPECT_EQ(*dpi, 600);
}

TEST_F(PdfPrinterSpoolerTest, OffersTheFixedPapersAndBins) {
    PrinterHandle h = Open();
    auto papers = spooler.Papers(h);
    ASSERT_TRUE(papers.ok());
    for (int16_t code : {DMPAPER_A4, DMPAPER_A5, DMPAPER_A3, DMPAPER_LETTER, DMPAPER_LEGAL})
        EXPECT_NE(FindPaper(*papers, code), nullptr) << code;
    EXPECT_EQ(papers->front(), (PaperInfo{9, "A4", 2100, 2970}));
    auto bins = spooler.Bins(h);
    ASSERT_TRUE(bins.ok());
    for (int16_t code : {DMBIN_AUTO, DMBIN_UPPER, DMBIN_LOWER, DMBIN_MANUAL})
        EXPECT_NE(FindBin(*bins, code), nullptr) << code;
    EXPECT_GE(bins->size(), 2u) << "more than one bin, so the lists do not fall back";
}

TEST_F(PdfPrinterSpoolerTest, StoredDefaultsRoundTripThroughTheSettingsFile) {
    PrinterHandle h = Open();
    auto info = spooler.GetPrinter2(h);
    ASSERT_TRUE(info.ok() && info->devMode);
    const DevMode original = *info->devMode;
    EXPECT_EQ(original.dmPaperSize, DMPAPER_A4);
    EXPECT_EQ(original.dmDefaultSource, DMBIN_AUTO);
    EXPECT_EQ(original.dmDuplex, DMDUP_SIMPLEX);
    EXPECT_EQ(original.DeviceName(), "QorPrt PDF");
    EXPECT_EQ(info->portName, "pdf:" + out.string());

    DevMode wanted = original;
    wanted.dmFields = DM_PAPERSIZE | DM_DEFAULTSOURCE | DM_DUPLEX | DM_ORIENTATION;
    wanted.dmPaperSize = DMPAPER_A5;
    wanted.dmDefaultSource = DMBIN_MANUAL;
    wanted.dmDuplex = DMDUP_VERTICAL;
    wanted.dmOrientation = DMORIENT_LANDSCAPE;
    ASSERT_TRUE(spooler.SetPrinter2(h, wanted).ok());

    // Another instance of the printer (another process) reads the same.
    PdfPrinterSpooler other(spooler.SettingsFile());
    auto h2 = other.OpenPrinter(PdfPrinterSpooler::kName);
    auto read = other.DocumentProperties(*h2, nullptr);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read->dmPaperSize, DMPAPER_A5);
    EXPECT_EQ(read->dmDefaultSource, DMBIN_MANUAL);
    EXPECT_EQ(read->dmDuplex, DMDUP_VERTICAL);
    EXPECT_EQ(read->dmOrientation, DMORIENT_LANDSCAPE);

    ASSERT_TRUE(spooler.SetPrinter2(h, original).ok());
    auto restored = spooler.GetPrinter2(h);
    ASSERT_TRUE(restored.ok() && restored->devMode);
    EXPECT_TRUE(*restored->devMode == original);
}

TEST_F(PdfPrinterSpoolerTest, HandEditedSettingsOutsideTheOfferAreIgnored) {
    fs::create_directories(spooler.SettingsFile().parent_path());
    WriteAll(spooler.SettingsFile(), "paper=999\nsource=4\nduplex=7\norientation=x\ngarbage\n");
    PrinterHandle h = Open();
    auto dm = spooler.DocumentProperties(h, nullptr);
    ASSERT_TRUE(dm.ok());
    EXPECT_EQ(dm->dmPaperSize, DMPAPER_A4);
    EXPECT_EQ(dm->dmDefaultSource, DMBIN_MANUAL);
    EXPECT_EQ(dm->dmDuplex, DMDUP_SIMPLEX);
    EXPECT_EQ(dm->dmOrientation, DMORIENT_PORTRAIT);
}

TEST_F(PdfPrinterSpoolerTest, DocumentsNeverOverwriteEarlierOnes) {
    PrinterHandle h = Open();
    const DevMode dm = MakeDevMode("QorPrt PDF", DMPAPER_A4, 1, 7, 1);
    std::vector<fs::path> written;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(spooler.SubmitDocument(h, source, "C:\\Druck\\R4711.PRT", dm).ok());
        written.push_back(spooler.LastOutput());
    }
    EXPECT_EQ(written[0], out / "R4711.PRT.pdf");
    EXPECT_EQ(written[1], out / "R4711.PRT (2).pdf");
    EXPECT_EQ(written[2], out / "R4711.PRT (3).pdf");
    for (const fs::path& p : written)
        EXPECT_EQ(ReadAll(p), WholePdf());

    // A file the user put there keeps its content.
    WriteAll(out / "Brief.pdf", "mine");
    ASSERT_TRUE(spooler.SubmitDocument(h, source, "/home/u/Brief", dm).ok());
    EXPECT_EQ(spooler.LastOutput(), out / "Brief (2).pdf");
    EXPECT_EQ(ReadAll(out / "Brief.pdf"), "mine");
}

TEST_F(PdfPrinterSpoolerTest, ABrokenDocumentIsNeverDelivered) {
    PrinterHandle h = Open();
    const std::string whole = WholePdf();
    for (const std::string& broken : {std::string(), whole.substr(0, whole.size() - 8)}) {
        WriteAll(source, broken);
        const Status s = spooler.SubmitDocument(h, source, "R4711.PRT", DevMode{});
        EXPECT_NE(s.error().find("Spooldatei " + source.string() + " verworfen: "),
                  std::string::npos)
            << s.error();
        EXPECT_FALSE(fs::exists(out / "R4711.PRT.pdf"));
    }
}

// Two instances (the running one and one started with /N) store the printer's defaults at the
// same time: every save succeeds and the file is always one whole version of one of them.
TEST_F(PdfPrinterSpoolerTest, ConcurrentSavesOfTwoProcessesNeverFailNorMix) {
    constexpr int kSaves = 2000;
    const fs::path settings = spooler.SettingsFile();
    // Each process writes its own consistent pair of paper and orientation.
    auto saveLoop = [&](int16_t paper, int16_t orientation) {
        PdfPrinterSpooler mine(settings);
        auto h = mine.OpenPrinter(PdfPrinterSpooler::kName);
        int failures = h.ok() ? 0 : 1;
        const DevMode dm = MakeDevMode("", paper, orientation, DMBIN_AUTO, DMDUP_SIMPLEX);
        for (int i = 0; h.ok() && i < kSaves; ++i)
            failures += mine.SetPrinter2(*h, dm).ok() ? 0 : 1;
        return failures;
    };
    std::vector<pid_t> children;
    for (const auto& [paper, orientation] :
         {std::pair<int16_t, int16_t>{DMPAPER_A5, DMORIENT_LANDSCAPE},
          std::pair<int16_t, int16_t>{DMPAPER_LETTER, DMORIENT_PORTRAIT}}) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) _exit(std::min(saveLoop(paper, orientation), 100));
        children.push_back(pid);
    }
    // Meanwhile the file is read as a third instance would read it.
    int reads = 0, torn = 0;
    std::vector<int> statuses(children.size(), -1);
    for (size_t ended = 0; ended < children.size();) {
        for (size_t i = 0; i < children.size(); ++i) {
            int status = 0;
            if (statuses[i] == -1 && waitpid(children[i], &status, WNOHANG) == children[i]) {
                statuses[i] = status;
                ++ended;
            }
        }
        const std::string text = ReadAll(settings);
        if (text.empty()) continue; // not written yet
        ++reads;
        const bool a5 = text.find("\npaper=11\n") != std::string::npos &&
                        text.find("\norientation=2\n") != std::string::npos;
        const bool letter = text.find("\npaper=1\n") != std::string::npos &&
                            text.find("\norientation=1\n") != std::string::npos;
        if (!text.starts_with("# QorPrt PDF printer settings\n") || a5 == letter ||
            !text.ends_with("source=7\n"))
            ++torn;
    }
    for (int status : statuses) {
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "saves failed";
    }
    EXPECT_GT(reads, 0);
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
    // Nothing of the writes is left beside the settings file.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(settings.parent_path()))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 1);
}

TEST_F(PdfPrinterSpoolerTest, SubmitReportsAMissingSpoolFile) {
    PrinterHandle h = Open();
    const Status s =
        spooler.SubmitDocument(h, root / "missing.pdf", "x", MakeDevMode("", 9, 1, 7, 1));
    EXPECT_FALSE(s.ok());
    EXPECT_NE(s.error().find("missing.pdf"), std::string::npos);
    EXPECT_FALSE(fs::exists(out / "x.pdf"));
}

TEST_F(PdfPrinterSpoolerTest, OutputFolderFromEnvironmentThenSettingsThenHome) {
    EXPECT_EQ(spooler.OutputFolder(), out);
    unsetenv("QORPRT_PDF_DIR");
    fs::create_directories(spooler.SettingsFile().parent_path());
    WriteAll(spooler.SettingsFile(), "folder=" + (root / "chosen").string() + "\n");
    EXPECT_EQ(spooler.OutputFolder(), root / "chosen");
    // Storing settings keeps the chosen folder.
    PrinterHandle h = Open();
    ASSERT_TRUE(spooler.SetPrinter2(h, MakeDevMode("", DMPAPER_A5, 1, 7, 1)).ok());
    EXPECT_EQ(spooler.OutputFolder(), root / "chosen");
    WriteAll(spooler.SettingsFile(), "");
    EXPECT_EQ(spooler.OutputFolder(), fs::path(std::getenv("HOME")) / "QorPrt-PDF");
}

TEST_F(PdfPrinterSpoolerTest, UserDefaultFlag) {
    EXPECT_FALSE(spooler.IsUserDefault());
    EXPECT_FALSE(spooler.SetDefaultPrinter("Laser2").ok());
    ASSERT_TRUE(spooler.SetDefaultPrinter(PdfPrinterSpooler::kName).ok());
    EXPECT_TRUE(spooler.IsUserDefault());
    ASSERT_TRUE(spooler.ClearUserDefault().ok());
    EXPECT_FALSE(spooler.IsUserDefault());
}

TEST_F(PdfPrinterSpoolerTest, ClosedOrForeignHandlesAreRefused) {
    PrinterHandle h = Open();
    h.Close();
    EXPECT_FALSE(spooler.Papers(h).ok());
    EXPECT_EQ(spooler.Papers(h).code(), kErrorInvalidHandle);
    EXPECT_FALSE(spooler.SubmitDocument(h, source, "t", DevMode{}).ok());
    PrinterHandle empty;
    EXPECT_FALSE(spooler.GetPrinter2(empty).ok());
}

TEST(PdfFileStem, TitlesBecomeSafeFileNames) {
    const std::pair<const char*, const char*> rows[] = {
        {"C:\\Druck\\R4711.PRT", "R4711.PRT"},
        {"\"C:\\Druck\\R4711.PRT\"", "R4711.PRT"},
        {"/home/u/Rechnung 12.PRT", "Rechnung 12.PRT"},
        {"a:b*c?d", "a_b_c_d"},
        {"", "Dokument"},
        {"..", "Dokument"},
        {"dir/", "Dokument"},
        {"tab\there", "tab_here"},
    };
    for (const auto& [title, stem] : rows)
        EXPECT_EQ(PdfFileStem(title), stem) << title;
    EXPECT_EQ(PdfFileStem(std::string(500, 'x')).size(), 200u);
}

} // namespace
} // namespace qorprt
