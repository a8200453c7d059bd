// Prints PRT files through the print action on the private cupsd's queues and checks what
// arrives: paper, input slot and duplex, one job per document, the bin switch after the first
// sheet, the printer's defaults afterwards, and failures of a vanished queue.

#include "Queues.h"
#include "graphics/RenderState.h"
#include "jobs/MessageBoxes.h"
#include "jobs/PrintAction.h"
#include "jobs/PrinterProperties.h"
#include "platform/canvas/QtCanvas.h"
#include "platform/printing/CupsSpooler.h"
#include "platform/printing/Printer.h"
#include "platform/system/Log.h"
#include "support/GuiApp.h"
#include "support/TempDir.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace qorprt {
namespace {

namespace fs = std::filesystem;

class RecordedBoxes : public MessageBoxes {
public:
    std::vector<std::string> shown;
    void ShowError(const std::string& text, const std::string&) override { shown.push_back(text); }
};

using test::OutFile;
using test::ReadAll;

std::vector<int> JobIds(const std::string& queue) {
    cups_job_t* jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ALL);
    std::vector<int> ids;
    for (int i = 0; i < n; ++i)
        ids.push_back(jobs[i].id);
    cupsFreeJobs(n, jobs);
    std::sort(ids.begin(), ids.end());
    return ids;
}

// A job attribute as the job was submitted with it (PPD options are kept as job attributes).
std::string JobAttribute(int id, const char* name) {
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const std::string uri = "ipp://localhost/jobs/" + std::to_string(id);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    std::string value;
    if (ipp_attribute_t* attr = ippFindAttribute(response, name, IPP_TAG_ZERO))
        if (const char* text = ippGetString(attr, 0, nullptr)) value = text;
    ippDelete(response);
    return value;
}

class PrintingTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("CUPS_SERVER") || !std::getenv("QORPRT_TEST_OUT"))
            GTEST_SKIP() << "no test cupsd (CUPS_SERVER not set)";
        test::EnsureGuiApplication();
        dir.Write("qorprt.log", "");
        SetLogFolder(dir.Path());
        printer = std::make_unique<Printer>(spooler, NewPrinterCanvas);
        properties = std::make_unique<PrinterProperties>(spooler, job, boxes);
        job.DruListe.Items = printer->Printers();
        job.HeadTop = 0;
        job.HeadLeft = 0;
    }
    void TearDown() override { SetLogFolder(""); }

    void Choose(const std::string& queue) {
        const auto& items = job.DruListe.Items;
        const auto at = std::find(items.begin(), items.end(), queue);
        ASSERT_NE(at, items.end()) << queue;
        job.DruListe.ItemIndex = static_cast<int32_t>(at - items.begin());
        // As the job execution does before printing.
        if (job.FirstBinCode == -1) job.FirstBinCode = job.BinCode;
        properties->GetPrintProp(queue, job.FirstBinCode);
    }
    // Prints and returns the ids of the jobs the print made on the queue.
    std::vector<int> Print(const std::string& queue, const std::string& content) {
        const std::vector<int> before = JobIds(queue);
        fs::remove(OutFile(queue));
        job.PRTfile = dir.Write("R4711.PRT", content);
        result = AusdruckClick(job, *properties, *printer, state, pdf);
        test::WaitForQueue(queue, false);
        std::vector<int> made;
        for (int id : JobIds(queue))
            if (std::find(before.begin(), before.end(), id) == before.end()) made.push_back(id);
        return made;
    }
    std::string StoredDefaults(const std::string& queue) {
        auto handle = spooler.OpenPrinter(queue);
        EXPECT_TRUE(handle.ok());
        if (!handle.ok()) return {};
        auto info = spooler.GetPrinter2(*handle);
        EXPECT_TRUE(info.ok() && info->devMode);
        if (!info.ok() || !info->devMode) return {};
        return std::string(reinterpret_cast<const char*>(&*info->devMode), sizeof(DevMode));
    }

    test::TempDir dir;
    RecordedBoxes boxes;
    CupsSpooler spooler;
    JobSettings job;
    RenderState state;
    PdfState pdf;
    std::unique_ptr<Printer> printer;
    std::unique_ptr<PrinterProperties> properties;
    RenderResult result = RenderResult::NotOpened;
};

TEST_F(PrintingTest, JobArrivesWithPaperSlotAndDuplexAndTheDefaultsComeBack) {
    const std::string before = StoredDefaults("qorprt-ps");
    job.PaperCode = 11; // A5
    job.BinCode = 4;    // manual feed
    job.Duplex = true;
    job.DuplexGiven = true;
    Choose("qorprt-ps");
    const auto jobs = Print("qorprt-ps", "\t\t\t\tSeite eins\r\n\t\t\tSeite\tSeite zwei\r\n");
    EXPECT_EQ(result, RenderResult::Rendered);
    ASSERT_EQ(jobs.size(), 1u);
    const std::string ps = ReadAll(OutFile("qorprt-ps"));
    EXPECT_NE(ps.find("%%PageBoundingBox: 0 0 420 595"), std::string::npos);
    EXPECT_NE(ps.find("*InputSlot Manual"), std::string::npos);
    EXPECT_NE(ps.find("*Duplex DuplexNoTumble"), std::string::npos);
    EXPECT_EQ(StoredDefaults("qorprt-ps"), before);
}

TEST_F(PrintingTest, FirstSheetFromAnotherBinArrivesAsTwoJobs) {
    const std::string before = StoredDefaults("qorprt-pcl");
    job.FirstBinCode = 1; // tray 1
    job.BinCode = 2;      // tray 2
    Choose("qorprt-pcl");
    const auto jobs = Print("qorprt-pcl", "\t\t\t\tBriefbogen\r\n\t\t\tSeite\tFolgeseite\r\n"
                                          "\t\t\tSeite\tNoch eine\r\n");
    EXPECT_EQ(result, RenderResult::Rendered);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(JobAttribute(jobs[0], "InputSlot"), "Tray1");
    EXPECT_EQ(JobAttribute(jobs[1], "InputSlot"), "Tray2");
    // The restore writes back what was stored before the print, not the first sheet's bin.
    EXPECT_EQ(StoredDefaults("qorprt-pcl"), before);
}

TEST_F(PrintingTest, EveryDocumentIsAJobAndNoPrintSubmitsNothing) {
    Choose("qorprt-ps");
    EXPECT_EQ(Print("qorprt-ps", "\t\t\t\tEins\r\n\t\t\tDoku\tZwei\r\n\t\t\tDoku\tDrei\r\n").size(),
              3u);
    job.NoPrint = true;
    EXPECT_TRUE(Print("qorprt-ps", "\t\t\t\tEins\r\n\t\t\tDoku\tZwei\r\n").empty());
    EXPECT_EQ(result, RenderResult::Rendered);
}

TEST_F(PrintingTest, VanishedQueueFailsTheJobWithALogLine) {
    Choose("qorprt-ps2");
    ASSERT_EQ(std::system("lpadmin -x qorprt-ps2 >/dev/null 2>&1"), 0);
    Print("qorprt-ps", "\t\t\t\tIns Leere\r\n");
    EXPECT_EQ(result, RenderResult::SpoolFailed);
    const std::string log = dir.Read("qorprt.log");
    EXPECT_NE(log.find(" 10 PID="), std::string::npos) << log;
    EXPECT_NE(log.find("abgelehnt"), std::string::npos) << log;
    const std::string add = "lpadmin -p qorprt-ps2 -E -v file://" + OutFile("qorprt-ps2").string() +
                            " -m drv:///sample.drv/generic.ppd -o Option1=True >/dev/null 2>&1";
    EXPECT_EQ(std::system(add.c_str()), 0);
}

} // namespace
} // namespace qorprt
