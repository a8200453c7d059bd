// The job timers' decisions tick by tick, and a run with short real intervals.

#include "app/JobTimers.h"

#include "graphics/JobSettings.h"
#include "jobs/JobList.h"
#include "support/GuiApp.h"
#include "support/LogCapture.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace qorprt {
namespace {

using Lines = std::vector<std::string>;

// The running instance as the timers see it. A job with "/X" is printed and leaves the list
// (unless Anzeige is checked); any other is shown and stays.
class FakeInstance : public JobTimerHost {
public:
    FakeInstance(JobList& jobs, JobSettings& job) : jobs_(jobs), job_(job) {}
    Lines calls;
    int printingRounds = 0; // PrinterPrinting() answers true this many times
    bool terminated = false;
    bool screen = true;

    bool RunJob(bool minimise) override {
        calls.push_back(std::string(minimise ? "print-min " : "run ") + job_.Aufruf);
        const bool print = job_.Aufruf.find("/X") != std::string::npos && !job_.Anzeige;
        if (print) jobs_.RemoveSelected();
        return print;
    }
    void SetCaption(const std::string& title) override { calls.push_back("caption " + title); }
    void VersteckenClick() override { calls.push_back("tray"); }
    void HideApplicationWindow() override { calls.push_back("hide-owner"); }
    bool PrinterPrinting() override { return printingRounds-- > 0; }
    void Terminate() override {
        calls.push_back("terminate");
        terminated = true;
    }
    void Sleep(std::chrono::milliseconds) override { calls.push_back("sleep"); }
    bool CanShowJobs() override { return screen; }

private:
    JobList& jobs_;
    JobSettings& job_;
};

class JobTimersTest : public ::testing::Test {
protected:
    JobTimersTest() { test::EnsureGuiApplication(); }
    void Queue(const std::string& line) { jobs.Append(line); }

    test::LogCapture log;
    JobList jobs;
    JobSettings job;
    int32_t serviceMode = 0;
    FakeInstance host{jobs, job};
    JobTimers timers{jobs, job, serviceMode, host};
};

TEST_F(JobTimersTest, ASingleDirectJobIsPrintedAtTheFirstTickAndTheThirdEnds) {
    Queue("qorprt R.PRT /X");
    timers.OnJobTimer();
    EXPECT_EQ(host.calls, Lines{"print-min qorprt R.PRT /X"});
    EXPECT_EQ(timers.LastJobCount, 1);
    EXPECT_TRUE(timers.JobTimerEnabled());
    EXPECT_TRUE(log.Has(8, "OnJobTimer: Jobs->Items->Count > 0"));
    EXPECT_TRUE(log.Has(8, "OnJobTimer: Jobs->Items->Count = 0"));
    timers.OnJobTimer();
    EXPECT_EQ(timers.LastJobCount, 0);
    EXPECT_FALSE(timers.MesTimerEnabled());
    timers.OnJobTimer();
    EXPECT_EQ(host.calls.back(), "caption Ende");
    EXPECT_TRUE(log.Has(8, "Caption = Ende (OnJobTimer)"));
    EXPECT_TRUE(timers.MesTimerEnabled());
    EXPECT_TRUE(timers.JobTimerEnabled()); // it keeps repeating the end check
    timers.OnMesTimer();
    EXPECT_EQ(host.calls.back(), "terminate");
}

TEST_F(JobTimersTest, AJobWithoutXIsShownAndTheTimerWaits) {
    Queue("qorprt R.PRT");
    timers.OnJobTimer();
    EXPECT_EQ(host.calls, Lines{"run qorprt R.PRT"});
    EXPECT_FALSE(timers.JobTimerEnabled());
    EXPECT_EQ(jobs.Count(), 1u);
}

TEST_F(JobTimersTest, TheNewestJobIsTakenWhenShownOrWhenTheFirstLacksX) {
    struct Case {
        bool anzeige;
        Lines queued;
        std::string ran;
    } cases[] = {
        {true, {"qorprt 1.PRT /X", "qorprt 2.PRT /X"}, "run qorprt 2.PRT /X"},
        {false, {"qorprt 1.PRT", "qorprt 2.PRT /X"}, "run qorprt 2.PRT /X"},
        {false, {"qorprt 1.PRT /X", "qorprt 2.PRT"}, "print-min qorprt 1.PRT /X"},
    };
    for (const Case& c : cases) {
        jobs = {};
        host.calls.clear();
        job.Anzeige = c.anzeige;
        for (const std::string& line : c.queued)
            Queue(line);
        timers.OnJobTimer();
        ASSERT_FALSE(host.calls.empty());
        EXPECT_EQ(host.calls.front(), c.ran);
    }
}

TEST_F(JobTimersTest, ServiceModeSettlesIntoTheTrayAndNeverEnds) {
    for (bool display : {false, true}) {
        host.calls.clear();
        serviceMode = 2;
        job.Anzeige = display;
        timers.OnJobTimer();
        EXPECT_EQ(serviceMode, 1);
        EXPECT_EQ(host.calls, Lines{display ? "hide-owner" : "tray"});
        for (int tick = 0; tick < 4; ++tick)
            timers.OnJobTimer();
        EXPECT_EQ(host.calls.size(), 1u);
        EXPECT_FALSE(timers.MesTimerEnabled());
    }
}

TEST_F(JobTimersTest, AServiceWithoutAScreenGivesUpJobsToShowAndPrintsTheRest) {
    host.screen = false;
    for (bool display : {false, true}) {
        jobs = {};
        host.calls.clear();
        serviceMode = 1;
        job.Anzeige = display;
        Queue("qorprt A.PRT");
        Queue("qorprt /srv/Xaver/B.PRT");
        Queue("qorprt C.PRT /X");
        timers.OnJobTimer();
        EXPECT_TRUE(log.Has(10, "OnJobTimer: qorprt A.PRT kann ohne Bildschirm nicht angezeigt "
                                "werden und wird nicht gedruckt."));
        EXPECT_EQ(host.calls, display ? Lines{} : Lines{"print-min qorprt C.PRT /X"});
        EXPECT_TRUE(jobs.Empty());
    }
}

TEST_F(JobTimersTest, TheLastPassStopsAtTheFirstJobNotPrinted) {
    Queue("qorprt 1.PRT /X");
    Queue("qorprt 2.PRT");
    Queue("qorprt 3.PRT /X");
    timers.OnMesTimer();
    EXPECT_EQ(host.calls,
              (Lines{"print-min qorprt 1.PRT /X", "print-min qorprt 2.PRT", "terminate"}));
}

TEST_F(JobTimersTest, APrinterStillPrintingDelaysTheEndByTenWaitsAtMost) {
    host.printingRounds = 100;
    timers.OnMesTimer();
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "sleep"), 10);
    EXPECT_EQ(host.calls.back(), "terminate");
    const Lines lines = log.Lines();
    EXPECT_EQ(
        std::count(lines.begin(), lines.end(), "10: kein Terminate wegen Printer()->Printing"), 10);
}

TEST(JobTimersRun, WithShortIntervalsADirectJobEndsTheProgramAfterThreeTicks) {
    test::EnsureGuiApplication();
    JobList jobs;
    JobSettings job;
    int32_t serviceMode = 0;
    FakeInstance host(jobs, job);
    JobTimers timers(jobs, job, serviceMode, host, {std::chrono::milliseconds(5), {}, 10});
    jobs.Append("qorprt R.PRT /X");
    timers.EnableJobTimer();
    QElapsedTimer clock;
    clock.start();
    while (!host.terminated && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_TRUE(host.terminated);
    const auto end = std::find(host.calls.begin(), host.calls.end(), "terminate");
    EXPECT_EQ(Lines(host.calls.begin(), end + 1),
              (Lines{"print-min qorprt R.PRT /X", "caption Ende", "terminate"}));
}

TEST(JobTimersRun, JobsThatWaitAreWorkedOffAtOnceNotOnePerTick) {
    test::EnsureGuiApplication();
    JobList jobs;
    JobSettings job;
    int32_t serviceMode = 1;
    FakeInstance host(jobs, job);
    // A tick a minute: the jobs can only be done in time when each printed job takes the next.
    JobTimers timers(jobs, job, serviceMode, host, {std::chrono::minutes(1), {}, 10});
    for (const char* line : {"qorprt 1.PRT /X", "qorprt 2.PRT /X", "qorprt 3.PRT /X"})
        jobs.Append(line);
    timers.OnJobTimer();
    QElapsedTimer clock;
    clock.start();
    while (!jobs.Empty() && clock.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(host.calls, (Lines{"print-min qorprt 1.PRT /X", "print-min qorprt 2.PRT /X",
                                 "print-min qorprt 3.PRT /X"}));
    // An empty list goes back to the one-second rhythm; enabling it again does not move the tick.
    EXPECT_TRUE(timers.JobTimerEnabled());
}

} // namespace
} // namespace qorprt
