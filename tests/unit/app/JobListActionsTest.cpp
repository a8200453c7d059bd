// The user's operations on the job list, with DoJob written down instead of run (its own tests
// are in tests/unit/jobs): which entries go, which is selected and shown, what is cleared.

#include "app/JobListActions.h"

#include "support/JobFixture.h"

#include <gtest/gtest.h>

namespace qorprt {
namespace {

using Lines = std::vector<std::string>;

class JobListActionsTest : public ::testing::Test, public test::JobFixture {
protected:
    JobListActionsTest() {
        job.RandOben = "10";
        job.RandLinks = "15";
        job.PRTfile = "R.PRT";
        job.HeadFile = "kopf.png";
        job.DuplexGiven = true;
        job.Landscape = true;
    }
    void Fill(size_t count, int32_t selected) {
        for (size_t i = 0; i < count; ++i)
            jobs.Append("qorprt " + std::to_string(i) + ".PRT");
        jobs.Select(selected);
    }
    // The jobs DoJob was asked to run (what stood in Aufruf); `printing` removes the selected
    // entry as a direct print does.
    JobListActions Actions(bool printing = false) {
        return JobListActions(env, [this, printing](bool) {
            ran.push_back(job.Aufruf);
            if (printing) jobs.RemoveSelected();
            return printing;
        });
    }
    bool Cleared() const {
        return job.Aufruf.empty() && job.PRTfile.empty() && job.RandOben.empty() &&
               job.RandLinks.empty() && job.HeadFile.empty() && !job.DuplexGiven &&
               !job.Landscape && host.calls == Lines{"ClearPreview"};
    }
    Lines ran;
};

TEST_F(JobListActionsTest, DeleteSelectsTheNextEntryOrTheNewLastAndShowsIt) {
    struct Case {
        size_t count;
        int32_t selected;
        ShiftState shift;
        int32_t selectedAfter;
        Lines ran;
    } cases[] = {
        {3, 2, ShiftState::Keyboard, 1, {"qorprt 1.PRT"}},   // the last: the new last
        {3, 0, ShiftState::Keyboard, 0, {"qorprt 1.PRT"}},   // the next moves up
        {3, 1, ShiftState::LeftButton, 1, {"qorprt 2.PRT"}}, // the menu's "selected job"
        {3, 1, ShiftState::RightButton, 1, {}},              // "all jobs": nothing shown
    };
    for (const Case& c : cases) {
        jobs = {};
        ran.clear();
        Fill(c.count, c.selected);
        Actions().JobsTaste(JobListActions::kDeleteKey, c.shift);
        EXPECT_EQ(jobs.Count(), c.count - 1);
        EXPECT_EQ(jobs.list.ItemIndex, c.selectedAfter);
        EXPECT_EQ(job.Aufruf, jobs.list.Items[c.selectedAfter]);
        EXPECT_EQ(ran, c.ran);
    }
}

TEST_F(JobListActionsTest, DeletingTheOnlyEntryClearsTheJobAndThePreview) {
    Fill(1, 0);
    Actions().JobsTaste(JobListActions::kDeleteKey, ShiftState::Keyboard);
    EXPECT_TRUE(jobs.Empty());
    EXPECT_TRUE(Cleared());
    EXPECT_TRUE(ran.empty());
}

TEST_F(JobListActionsTest, DeleteOnAnEmptyListClearsTooAndOtherKeysDoNothing) {
    Actions().JobsTaste(JobListActions::kDeleteKey, ShiftState::Keyboard);
    EXPECT_TRUE(Cleared());
    job.RandOben = "3";
    host.calls.clear();
    Fill(2, 0);
    Actions().JobsTaste(45, ShiftState::Keyboard); // Insert
    EXPECT_EQ(jobs.Count(), 2u);
    EXPECT_EQ(job.RandOben, "3");
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(JobListActionsTest, DeleteWithEntriesButNoneSelectedRemovesAndReadsNothing) {
    Fill(3, -1);
    job.Aufruf = "bleibt";
    Actions().JobsTaste(JobListActions::kDeleteKey, ShiftState::Keyboard);
    EXPECT_EQ(jobs.Count(), 3u);
    EXPECT_EQ(job.Aufruf, "bleibt");
    EXPECT_TRUE(ran.empty());
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(JobListActionsTest, DeleteAllEmptiesTheListWithoutShowingAJob) {
    for (int32_t selected : {0, 4, -1}) {
        jobs = {};
        Fill(5, selected);
        Actions().JobsDelClick();
        EXPECT_TRUE(jobs.Empty());
        EXPECT_TRUE(ran.empty());
        EXPECT_TRUE(job.Aufruf.empty());
    }
}

TEST_F(JobListActionsTest, ClickRunsTheSelectedJob) {
    Fill(3, 1);
    Actions().JobsClick();
    EXPECT_EQ(ran, Lines{"qorprt 1.PRT"});
}

TEST_F(JobListActionsTest, PrintAllPrintsFirstToLast) {
    Fill(3, 2);
    Actions(true).DruckeJobsClick();
    EXPECT_EQ(ran, (Lines{"qorprt 0.PRT /X", "qorprt 1.PRT /X", "qorprt 2.PRT /X"}));
    EXPECT_TRUE(jobs.Empty());
}

TEST_F(JobListActionsTest, PrintAllWhileShownEndsWithNoJobLostAndNothingAppendedTwice) {
    Fill(2, 0);
    jobs.list.Items[1] += " /X";
    for (int press = 0; press < 2; ++press) {
        ran.clear();
        Actions(false).DruckeJobsClick();
        EXPECT_EQ(ran, (Lines{"qorprt 0.PRT /X", "qorprt 1.PRT /X"}));
        EXPECT_EQ(jobs.list.Items, (Lines{"qorprt 0.PRT /X", "qorprt 1.PRT /X"}));
    }
}

TEST_F(JobListActionsTest, RefreshDrawsTheCurrentFileOnlyWhenJobsAreListed) {
    dir.Write("R.PRT", "\t\t\t\tA\r\n");
    Actions().RefreshClick();
    EXPECT_EQ(host.calls, (Lines{"FitWindowToScreen", "ClearPreview"}));
    host.calls.clear();
    Fill(1, 0);
    Actions().RefreshClick();
    // 10 mm top margin (38 px at 96 dpi) and one line (16 px).
    EXPECT_EQ(host.calls, (Lines{"FitWindowToScreen", "ClearPreview", "SizePreview 54x785"}));
}

} // namespace
} // namespace qorprt
