// DoJob on a scripted printer: the direct print and the marking of the printed file, the
// preview, the usage text, the choice of printer, its log lines.

#include "jobs/JobExecution.h"

#include "jobs/UsageText.h"
#include "support/JobFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace qorprt {
namespace {

namespace fs = std::filesystem;

class JobExecutionTest : public ::testing::Test, public test::JobFixture {
protected:
    bool Run(const std::string& arguments) {
        Queue(arguments);
        return DoJob(env, false);
    }
    bool Exists(const std::string& name) const { return fs::exists(dir.File(name)); }
};

// The file a direct print leaves: renamed in one step over an older .PRD, with the case of the
// name's own last letter, and only when the spooler took the document.
struct MarkCase {
    const char* name;
    const char* written;            // the file the job names, as the job writes it
    std::vector<std::string> files; // files there before (besides the .PRD of "old")
    bool refused;
    std::vector<std::string> after; // files there afterwards
    const char* prdContent;         // content of the .PRD afterwards; null: no .PRD
};

class MarkPrintedTest : public JobExecutionTest, public ::testing::WithParamInterface<MarkCase> {};

TEST_P(MarkPrintedTest, RenamesThePrintedFileOnlyWhenTheSpoolerTookIt) {
    const MarkCase& c = GetParam();
    for (const std::string& f : c.files)
        dir.Write(f, f == "R4711.PRD" ? "old" : "\t\t\t\tText " + f + "\r\n");
    spooler["Laser1"].refuseSubmit = c.refused ? 31 : 0;
    const std::string named = c.written;
    EXPECT_TRUE(Run(named + " /X"));
    for (const std::string& f : c.after)
        EXPECT_TRUE(Exists(f)) << f;
    std::vector<std::string> present;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        present.push_back(entry.path().filename().string());
    EXPECT_EQ(present.size(), c.after.size());
    if (c.prdContent) {
        const std::string prd = c.after.back();
        EXPECT_EQ(dir.Read(prd).substr(0, std::string(c.prdContent).size()), c.prdContent);
    }
    EXPECT_TRUE(jobs.Empty());
    EXPECT_EQ(job.PRTfile, "");
    EXPECT_EQ(log.Has(10, "DoJob: " + named + " wurde nicht gedruckt und behält seinen Namen."),
              c.refused);
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, MarkPrintedTest,
    ::testing::Values(
        MarkCase{"replaces_older_prd",
                 "R4711.PRT",
                 {"R4711.PRT", "R4711.PRD"},
                 false,
                 {"R4711.PRD"},
                 "\t\t\t\tText R4711.PRT"},
        MarkCase{"quoted",
                 "\"R4711.PRT\"",
                 {"R4711.PRT"},
                 false,
                 {"R4711.PRD"},
                 "\t\t\t\tText R4711.PRT"},
        MarkCase{"lower_case", "r4711.prt", {"r4711.prt"}, false, {"r4711.prd"}, "\t\t\t\tText"},
        MarkCase{"last_letter_not_t",
                 "R4711.PRN",
                 {"R4711.PRN", "R4711.PRT"},
                 false,
                 {"R4711.PRN", "R4711.PRD"},
                 "\t\t\t\tText R4711.PRT"},
        MarkCase{"refused_keeps_name",
                 "R4711.PRT",
                 {"R4711.PRT", "R4711.PRD"},
                 true,
                 {"R4711.PRT", "R4711.PRD"},
                 "old"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(JobExecutionTest, AMissingFileLeavesTheOlderPrdAndStillLeavesTheList) {
    dir.Write("R4711.PRD", "old");
    EXPECT_TRUE(Run(std::string("R4711.PRT") + " /X"));
    EXPECT_EQ(dir.Read("R4711.PRD"), "old");
    EXPECT_TRUE(jobs.Empty());
    EXPECT_TRUE(spooler.submitted.empty());
}

TEST_F(JobExecutionTest, AfterADirectPrintTheNextJobIsSelectedButNotRun) {
    dir.Write("A.PRT", "\t\t\t\tA\r\n");
    jobs.Append("/usr/bin/qorprt A.PRT /X");
    jobs.Append("/usr/bin/qorprt B.PRT");
    jobs.Select(0);
    job.Aufruf = jobs.list.Items[0];
    EXPECT_TRUE(DoJob(env, true));
    EXPECT_EQ(jobs.list.Items, std::vector<std::string>{"/usr/bin/qorprt B.PRT"});
    EXPECT_EQ(jobs.list.ItemIndex, 0);
    EXPECT_EQ(job.Aufruf, "/usr/bin/qorprt B.PRT");
    EXPECT_EQ(host.calls, std::vector<std::string>{"Minimise"});
}

TEST_F(JobExecutionTest, WritesItsStepsToTheLog) {
    dir.Write("A.PRT", "\t\t\t\tA\r\n");
    Run(std::string("A.PRT") + " /X");
    const std::vector<std::string> expected = {
        "4: DoJob: Printer()->Printing prüfen",
        "4: DoJob: Printer()->Printing = false",
        "4: DoJob: (Default) Printer gesetzt: 0",
        "4: DoJob: Befehlszeile interpretiert",
        "4: DoJob: vor GetPrintProp: " + std::string("A.PRT"),
    };
    const std::vector<std::string> lines = log.Lines();
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + expected.size()), expected);
    EXPECT_TRUE(log.Has(4, "DoJob: nach GetPrintProp: " + std::string("A.PRT")));
}

TEST_F(JobExecutionTest, APrinterStillPrintingIsWaitedForTenRoundsAndTheJobGoesOn) {
    dir.Write("A.PRT", "\t\t\t\tA\r\n");
    printer.BeginDoc(); // a document of an earlier job is still open
    EXPECT_FALSE(Run("A.PRT"));
    printer.Abort();
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "Sleep"), 10);
    const std::vector<std::string> lines = log.Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "6: DoJob: Printer()->Printing ..."), 10);
    EXPECT_TRUE(log.Has(10, "keine Ende von Printer()->Printing"));
    EXPECT_FALSE(log.Has(4, "DoJob: Printer()->Printing = false"));
    EXPECT_EQ(host.calls.back(), "SizePreview 16x785"); // shown all the same
}

TEST_F(JobExecutionTest, WithoutADefaultPrinterTheFirstBecomesTheDefault) {
    spooler.noDefault = true;
    dir.Write("A.PRT", "\t\t\t\tA\r\n");
    Run(std::string("A.PRT") + " /X");
    EXPECT_EQ(spooler.defaultsSet, std::vector<std::string>{"Laser1"});
    EXPECT_TRUE(log.Has(6, "DoJob: kein Default Printer gesetzt!"));
    EXPECT_EQ(spooler.submitted.size(), 1u);
}

TEST_F(JobExecutionTest, ThePrinterStaysOnTheChosenOneForTheNextJob) {
    dir.Write("A.PRT", "\t\t\t\tA\r\n");
    Run(std::string("A.PRT") + " /PLaser2 /X");
    EXPECT_EQ(printer.PrinterIndex(), 1);
    dir.Write("A.PRT", "\t\t\t\tA\r\n");
    Run(std::string("A.PRT") + " /X");
    EXPECT_EQ(job.DruListe.ItemIndex, 1);
    EXPECT_EQ(printer.PrinterIndex(), 1);
}

TEST_F(JobExecutionTest, AJobWithoutXIsShownAndStays) {
    dir.Write("A.PRT", "\t\t\t\tA\r\n\t\t\t\tB\r\n");
    EXPECT_FALSE(Run(std::string("A.PRT") + " /T10"));
    EXPECT_EQ(jobs.Count(), 1u);
    EXPECT_EQ(job.PRTfile, std::string("A.PRT"));
    // 10 mm top margin at 96 dpi: MulDiv(96, 100, 254) = 38 px; two lines of 1/6 inch: 32 px.
    EXPECT_EQ(host.calls, (std::vector<std::string>{"FitWindowToScreen", "ClearPreview",
                                                    "SizePreview 70x785"}));
    EXPECT_TRUE(spooler.submitted.empty());
    EXPECT_FALSE(host.paper.Operations().empty());
}

TEST_F(JobExecutionTest, AnzeigeShowsEvenAJobWithX) {
    job.Anzeige = true;
    dir.Write("A.PRT", "\t\t\t\tA\r\n");
    EXPECT_FALSE(Run(std::string("A.PRT") + " /X"));
    EXPECT_TRUE(spooler.submitted.empty());
    EXPECT_TRUE(fs::exists(std::string("A.PRT")));
}

TEST_F(JobExecutionTest, AJobWithoutPrtFileShowsTheUsageAndEntersServiceMode) {
    for (bool yes : {false, true}) {
        jobs = {};
        host.calls.clear();
        serviceMode = 0;
        job.Anzeige = false;
        host.answer = yes;
        jobs.Append("/usr/bin/qorprt 1.PRT");
        jobs.Append("/usr/bin/qorprt 2.PRT");
        jobs.Append("/usr/bin/qorprt /X");
        jobs.Select(2);
        job.Aufruf = jobs.list.Items[2];
        EXPECT_FALSE(DoJob(env, false));
        // The first entry goes, whichever was selected.
        EXPECT_EQ(jobs.list.Items,
                  (std::vector<std::string>{"/usr/bin/qorprt 2.PRT", "/usr/bin/qorprt /X"}));
        EXPECT_EQ(serviceMode, 2);
        EXPECT_EQ(job.Anzeige, yes);
        std::vector<std::string> expected{"Ask " + UsageCaption()};
        if (yes) expected.push_back("Anzeigen");
        expected.insert(expected.end(), {"JobTimer", "Normal"});
        EXPECT_EQ(host.calls, expected);
        EXPECT_EQ(host.asked, std::vector<std::string>{UsageText()});
        host.asked.clear();
    }
}

TEST_F(JobExecutionTest, PrintedNamesFollowTheNamesOwnCase) {
    EXPECT_EQ(PrintedFileNames("C:/Druck/R4711.PRT").marked, "C:/Druck/R4711.PRD");
    EXPECT_EQ(PrintedFileNames("\"/a b/r.prt\"").printed, "/a b/r.prt");
    EXPECT_EQ(PrintedFileNames("\"/a b/r.prt\"").marked, "/a b/r.prd");
    EXPECT_EQ(PrintedFileNames("x.PR1").marked, "x.PRD");
    EXPECT_EQ(PrintedFileNames("").marked, "");
    EXPECT_FALSE(MarkPrinted(""));
}

} // namespace
} // namespace qorprt
