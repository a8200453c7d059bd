// A failure inside one job ends that job only.

#include "app/JobRunner.h"

#include "support/JobFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qorprt {
namespace {

class JobRunnerTest : public ::testing::Test, public test::JobFixture {};

TEST_F(JobRunnerTest, AFailingJobLeavesTheListUnprintedAndTheNextJobRuns) {
    // "Sp" with no number in a command field raises while the first page is drawn.
    dir.Write("BAD.PRT", "\t\t\t\tErste Zeile\r\n\t\t\tPDF Spx\tB\r\n");
    dir.Write("GOOD.PRT", "\t\t\t\tGut\r\n");
    const DevMode before = *spooler["Laser1"].stored;
    Queue("BAD.PRT /b4 /OL /X");
    Queue("GOOD.PRT /X");
    jobs.Select(0);
    job.Aufruf = jobs.list.Items[0];

    EXPECT_TRUE(RunJob(env, false));
    const std::vector<std::string> lines = log.Lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
        return l.starts_with("10: AppException: EConvertError - ");
    }));
    EXPECT_FALSE(printer.Printing());
    EXPECT_TRUE(spooler.submitted.empty()); // nothing half drawn was submitted
    EXPECT_TRUE(std::filesystem::exists(dir.File("BAD.PRT")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("BAD.PRD")));
    EXPECT_GE(spooler.stores.size(), 2u);         // written for the job, then restored
    EXPECT_EQ(*spooler["Laser1"].stored, before); // the printer's defaults are back
    EXPECT_EQ(jobs.list.Items, std::vector<std::string>{"/usr/bin/qorprt GOOD.PRT /X"});
    EXPECT_EQ(job.Aufruf, jobs.list.Items[0]);

    EXPECT_TRUE(RunJob(env, false));
    EXPECT_EQ(spooler.submitted.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(dir.File("GOOD.PRD")));
    EXPECT_TRUE(jobs.Empty());
}

TEST_F(JobRunnerTest, AFailingPreviewLeavesTheListToo) {
    dir.Write("BAD.PRT", "\t\t\tPDF Spx\tB\r\n");
    Queue("ANDERE.PRT");
    Queue("BAD.PRT");
    EXPECT_TRUE(RunJob(env, false));
    EXPECT_EQ(jobs.list.Items, std::vector<std::string>{"/usr/bin/qorprt ANDERE.PRT"});
}

} // namespace
} // namespace qorprt
