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
#include "support/PdfTools.h"
#include "support/TempDir.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <thread>
#include <unistd.h>

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
    if (ipp_attribute_t* attr = ippFindAttribute(response, name, IPP_TAG_ZERO)) {
        if (const char* text = ippGetString(attr, 0, nullptr))
            value = text;
        else if (ippGetValueTag(attr) == IPP_TAG_ENUM || ippGetValueTag(attr) == IPP_TAG_INTEGER)
            value = std::to_string(ippGetInteger(attr, 0));
    }
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

// --- The user's saved options -------------------------------------------------------------

fs::path UserOptionsPath() {
    return fs::path(std::getenv("HOME")) / ".cups" / "lpoptions";
}

// The user's option file for one test: set as the test needs it, put back afterwards.
class UserOptions {
public:
    explicit UserOptions(const std::optional<std::string>& content) {
        if (fs::exists(UserOptionsPath())) old_ = ReadAll(UserOptionsPath());
        Set(content);
    }
    ~UserOptions() { Set(old_); }
    UserOptions(const UserOptions&) = delete;
    UserOptions& operator=(const UserOptions&) = delete;

    static std::optional<std::string> Now() {
        if (!fs::exists(UserOptionsPath())) return std::nullopt;
        return ReadAll(UserOptionsPath());
    }

private:
    static void Set(const std::optional<std::string>& content) {
        std::error_code ec;
        fs::remove_all(UserOptionsPath(), ec);
        if (!content) return;
        fs::remove(UserOptionsPath().parent_path(), ec); // a file in the folder's place
        fs::create_directories(UserOptionsPath().parent_path());
        std::ofstream(UserOptionsPath(), std::ios::binary) << *content;
    }
    std::optional<std::string> old_;
};

// What `lpoptions -p` lists for the queue. A print moves the queue's state times, which are the
// server's, not the user's: they are masked.
std::string ListedOptions(const std::string& queue, bool maskStateTimes) {
    const std::string listed = test::CommandOutput("lpoptions -p " + queue + " 2>&1");
    if (!maskStateTimes) return listed;
    static const std::regex times("(printer-state-change-time|marker-change-time)=[0-9]+");
    return std::regex_replace(listed, times, "$1=#");
}

struct SavedOptionsCase {
    const char* name;
    const char* queue;
    std::optional<std::string> saved; // the user's file; none: no file
    int32_t paperCode, firstBin;
    bool landscape;
    // What the job gets: the device mode's settings and the user's other options.
    std::vector<std::pair<const char*, const char*>> attributes;
    bool takesUp; // the printer object takes up the settings (a list has a selection)
};

class SavedOptionsTest : public PrintingTest,
                         public ::testing::WithParamInterface<SavedOptionsCase> {};

TEST_P(SavedOptionsTest, APrintGivesTheUserBackEverySavedOptionByteForByte) {
    const SavedOptionsCase& c = GetParam();
    UserOptions options(c.saved);
    const std::string listedBefore = ListedOptions(c.queue, true);
    job.PaperCode = c.paperCode;
    job.FirstBinCode = c.firstBin;
    job.Landscape = c.landscape;
    Choose(c.queue);
    const auto jobs = Print(c.queue, "\t\t\t\tGespeicherte Optionen\r\n");
    EXPECT_EQ(result, RenderResult::Rendered);
    ASSERT_EQ(jobs.size(), 1u);
    for (const auto& [name, value] : c.attributes)
        EXPECT_EQ(JobAttribute(jobs[0], name), value) << name;
    EXPECT_EQ(dir.Read("qorprt.log").find("vor Prntr->SetPrinter") != std::string::npos, c.takesUp);
    EXPECT_NE(dir.Read("qorprt.log").find("nach SetPrintProp (reset): "), std::string::npos);

    // The file as it was (none when there was none), so nothing else changed either.
    EXPECT_EQ(UserOptions::Now(), c.saved);
    EXPECT_EQ(ListedOptions(c.queue, true), listedBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SavedOptionsTest,
    ::testing::Values(
        SavedOptionsCase{
            "custom_size_and_colour_mode",
            "qorprt-ps",
            "Dest qorprt-ps media=Custom.100x150mm orientation-requested=5 "
            "ColorModel=Gray\n",
            11,
            -1,
            true,
            {{"PageSize", "A5"}, {"orientation-requested", "4"}, {"ColorModel", "Gray"}},
            true},
        SavedOptionsCase{"media_keyword",
                         "qorprt-pcl",
                         "Dest qorprt-pcl media=iso_a5_148x210mm\n",
                         -1,
                         1,
                         false,
                         {{"InputSlot", "Tray1"}, {"orientation-requested", "3"}},
                         true},
        SavedOptionsCase{"no_file_before",
                         "qorprt-ps",
                         std::nullopt,
                         11,
                         1,
                         false,
                         {{"PageSize", "A5"}, {"InputSlot", "Upper"}},
                         true},
        // The user's default printer, an instance and a comment stay as they are.
        SavedOptionsCase{"default_elsewhere_and_an_instance",
                         "qorprt-ps",
                         "# meine Drucker\nDefault qorprt-pcl\nDest qorprt-ps/entwurf "
                         "InputSlot=Manual\nDest qorprt-ps InputSlot=Manual Duplex=None\n",
                         -1,
                         1,
                         false,
                         {{"InputSlot", "Upper"}},
                         true},
        // /b1 on a printer without bin 1: nothing selected, the settings are written and
        // restored all the same, and the printer object is not pointed at them.
        SavedOptionsCase{"first_bin_missing_from_the_bins",
                         "qorprt-tray",
                         "Dest qorprt-tray PageSize=A5 InputSlot=Manual\n",
                         -1,
                         1,
                         false,
                         {{"PageSize", "A5"}, {"InputSlot", "Manual"}},
                         false}),
    [](const ::testing::TestParamInfo<SavedOptionsCase>& param) { return param.param.name; });

TEST_F(PrintingTest, SavingAndRestoringNeverMakesTheServersDefaultTheUsers) {
    UserOptions options(std::nullopt);
    const std::string listed = ListedOptions("qorprt-pcl", false);
    job.PaperCode = 11;
    job.Landscape = true;
    Choose("qorprt-pcl");
    ASSERT_TRUE(properties->SetPrintProp("qorprt-pcl", -1, -1, -1, -1));
    const auto during = UserOptions::Now();
    ASSERT_TRUE(during.has_value());
    EXPECT_EQ(*during, "Dest qorprt-pcl orientation-requested=4 PageSize=A5\n");
    ASSERT_TRUE(properties->SetPrintProp("qorprt-pcl", -2, -2, -2, -2));
    EXPECT_FALSE(UserOptions::Now().has_value());
    // Without a print in between the listing is the same to the byte, state times and all.
    EXPECT_EQ(ListedOptions("qorprt-pcl", false), listed);

    // A later change of the system's default printer still reaches the user.
    ASSERT_EQ(std::system("lpadmin -d qorprt-pcl >/dev/null 2>&1"), 0);
    auto def = spooler.DefaultPrinter();
    EXPECT_TRUE(def.ok() && *def == "qorprt-pcl") << def.error();
    ASSERT_EQ(std::system("lpadmin -d qorprt-ps >/dev/null 2>&1"), 0);
}

TEST_F(PrintingTest, AFailedSaveOfTheOptionsSaysWhy) {
    struct Row {
        const char* name;
        void (*spoil)();
        int error;
    };
    const Row rows[] = {
        {"~/.cups is a file",
         [] { std::ofstream(UserOptionsPath().parent_path()) << "kein Ordner"; }, ENOTDIR},
        {"lpoptions is a folder", [] { fs::create_directories(UserOptionsPath()); }, EISDIR},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        UserOptions options(std::nullopt);
        std::error_code ec;
        fs::remove_all(UserOptionsPath().parent_path(), ec);
        r.spoil();
        job.PaperCode = 11;
        Choose("qorprt-ps");
        dir.Write("qorprt.log", "");
        EXPECT_FALSE(properties->SetPrintProp("qorprt-ps", -1, -1, -1, -1));
        const std::string log = dir.Read("qorprt.log");
        const std::string line = " 10 PID=" + std::to_string(getpid()) +
                                 ": SetPrintProp: SetPrinter - cannot save the settings of "
                                 "qorprt-ps: cannot ";
        EXPECT_NE(log.find(line), std::string::npos) << log;
        EXPECT_NE(log.find(UserOptionsPath().string() + ": " + std::strerror(r.error) + "\r\n"),
                  std::string::npos)
            << log;
        fs::remove_all(UserOptionsPath().parent_path(), ec);
    }
}

} // namespace
} // namespace qorprt
