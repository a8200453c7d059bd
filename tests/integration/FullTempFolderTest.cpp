// Printing with a full temporary folder (the small file system of the test services as TMPDIR):
// the spool document comes out empty or cut short, and must then be discarded and reported as
// refused, never handed to a CUPS queue nor delivered by the built-in PDF printer.

#include "Queues.h"
#include "graphics/RenderState.h"
#include "jobs/MessageBoxes.h"
#include "jobs/PrintAction.h"
#include "jobs/PrinterProperties.h"
#include "platform/canvas/QtCanvas.h"
#include "platform/printing/CombinedSpooler.h"
#include "platform/printing/CupsSpooler.h"
#include "platform/printing/Printer.h"
#include "platform/system/Log.h"
#include "support/GuiApp.h"
#include "support/TempDir.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/statvfs.h>

namespace qorprt {
namespace {

namespace fs = std::filesystem;

class NoBoxes : public MessageBoxes {
public:
    void ShowError(const std::string&, const std::string&) override {}
};

int JobCount(const std::string& queue) {
    cups_job_t* jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ALL);
    cupsFreeJobs(n, jobs);
    return n;
}

// Fills the file system up to `room` bytes free.
void LeaveRoom(const fs::path& folder, uint64_t room) {
    struct statvfs vfs {};
    ASSERT_EQ(statvfs(folder.c_str(), &vfs), 0);
    const uint64_t free = uint64_t{vfs.f_bavail} * vfs.f_frsize;
    ASSERT_GT(free, room);
    std::ofstream filler(folder / "filler", std::ios::binary);
    const std::string block(4096, 'x');
    for (uint64_t left = free - room; left > 0 && filler;) {
        const uint64_t n = std::min<uint64_t>(left, block.size());
        filler.write(block.data(), static_cast<std::streamsize>(n));
        left -= n;
    }
}

struct FullCase {
    const char* name;
    const char* printer;
    uint64_t room; // bytes left free in the temporary folder
    bool whole;    // the spool document fits
};

class FullTempFolderTest : public ::testing::TestWithParam<FullCase> {
protected:
    void SetUp() override {
        const char* small = std::getenv("QORPRT_TEST_SMALL_FS");
        if (!small || !std::getenv("CUPS_SERVER"))
            GTEST_SKIP() << "no small file system or no test cupsd (see scripts/test-services.sh)";
        temp = small;
        test::EnsureGuiApplication();
        dir.Write("qorprt.log", "");
        SetLogFolder(dir.Path());
        fs::create_directories(dir.File("out"));
        setenv("QORPRT_PDF_DIR", dir.File("out").c_str(), 1);
        const char* tmpdir = std::getenv("TMPDIR");
        savedTmpdir = tmpdir ? std::optional<std::string>(tmpdir) : std::nullopt;
        spooler = std::make_unique<CombinedSpooler>(
            std::make_unique<CupsSpooler>(),
            std::make_unique<PdfPrinterSpooler>(dir.File("pdfprinter.conf")));
        printer = std::make_unique<Printer>(*spooler, NewPrinterCanvas);
        properties = std::make_unique<PrinterProperties>(*spooler, job, boxes);
        job.DruListe.Items = printer->Printers();
        job.HeadTop = 0;
        job.HeadLeft = 0;
    }
    void TearDown() override {
        if (savedTmpdir)
            setenv("TMPDIR", savedTmpdir->c_str(), 1);
        else
            unsetenv("TMPDIR");
        std::error_code ec;
        if (!temp.empty())
            for (const auto& entry : fs::directory_iterator(temp, ec))
                fs::remove_all(entry.path(), ec);
        unsetenv("QORPRT_PDF_DIR");
        SetLogFolder("");
    }
    std::vector<fs::path> Delivered() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(dir.File("out")))
            files.push_back(entry.path());
        return files;
    }

    fs::path temp;
    std::optional<std::string> savedTmpdir;
    test::TempDir dir;
    NoBoxes boxes;
    JobSettings job;
    RenderState state;
    PdfState pdf;
    std::unique_ptr<CombinedSpooler> spooler;
    std::unique_ptr<Printer> printer;
    std::unique_ptr<PrinterProperties> properties;
};

TEST_P(FullTempFolderTest, ABrokenSpoolDocumentIsRefusedNotPrinted) {
    const FullCase& c = GetParam();
    const auto& items = job.DruListe.Items;
    const auto at = std::find(items.begin(), items.end(), c.printer);
    ASSERT_NE(at, items.end());
    job.DruListe.ItemIndex = static_cast<int32_t>(at - items.begin());
    properties->GetPrintProp(c.printer, job.FirstBinCode);
    const bool cups = std::string(c.printer) != PdfPrinterSpooler::kName;
    const int jobsBefore = cups ? JobCount(c.printer) : 0;
    if (cups) fs::remove(test::OutFile(c.printer));

    // Three pages of text: the document with its embedded fonts needs some 30 KB.
    std::string prt = "\t\t\t\tRechnung 4711\r\n";
    for (int i = 0; i < 90; ++i)
        prt += "\t\t\tZeile\tPosition " + std::to_string(i) + " Bleistift, Radiergummi\r\n";
    prt += "\t\t\tSeite\tZweite Seite\r\n\t\t\tSeite\tDritte Seite\r\n";
    job.PRTfile = dir.Write("R4711.PRT", prt);
    setenv("TMPDIR", temp.c_str(), 1);
    LeaveRoom(temp, c.room);
    const RenderResult result = AusdruckClick(job, *properties, *printer, state, pdf);
    unsetenv("TMPDIR");
    if (cups) test::WaitForQueue(c.printer, false);

    const std::string log = dir.Read("qorprt.log");
    // The spool file is gone either way.
    for (const auto& entry : fs::directory_iterator(temp))
        EXPECT_EQ(entry.path().filename(), "filler");
    if (c.whole) {
        EXPECT_EQ(result, RenderResult::Rendered) << log;
        if (cups) {
            EXPECT_EQ(JobCount(c.printer), jobsBefore + 1);
        } else {
            EXPECT_EQ(Delivered().size(), 1u);
        }
        return;
    }
    EXPECT_EQ(result, RenderResult::SpoolFailed);
    if (cups) {
        EXPECT_EQ(JobCount(c.printer), jobsBefore) << "nothing submitted";
    } else {
        EXPECT_TRUE(Delivered().empty()) << "nothing delivered";
    }
    const std::string pid = " 10 PID=" + std::to_string(getpid()) + ": ";
    EXPECT_NE(log.find(pid + "EndDoc: Spooldatei " + temp.string() + "/qorprt-spool-"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(".pdf verworfen: "), std::string::npos) << log;
    EXPECT_NE(log.find(pid + "EndDoc: Druckauftrag für " + job.PRTfile +
                       " wurde vom Spooler abgelehnt.\r\n"),
              std::string::npos)
        << log;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FullTempFolderTest,
    ::testing::Values(FullCase{"pdf_printer_room", PdfPrinterSpooler::kName, 1 << 20, true},
                      FullCase{"pdf_printer_full", PdfPrinterSpooler::kName, 0, false},
                      FullCase{"pdf_printer_cut_short", PdfPrinterSpooler::kName, 8192, false},
                      FullCase{"cups_room", "qorprt-ps", 1 << 20, true},
                      FullCase{"cups_full", "qorprt-ps", 0, false},
                      FullCase{"cups_cut_short", "qorprt-ps", 8192, false}),
    [](const ::testing::TestParamInfo<FullCase>& param) { return param.param.name; });

} // namespace
} // namespace qorprt
