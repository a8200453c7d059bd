#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <string>

namespace qorprt {

struct JobList;
struct JobSettings;

// What the timers need of the running instance.
class JobTimerHost {
public:
    virtual ~JobTimerHost() = default;
    // DoJob on the job in Aufruf, with the failure containment.
    virtual bool RunJob(bool minimise) = 0;
    virtual void SetCaption(const std::string& title) = 0;
    // Hides the main window into the tray.
    virtual void VersteckenClick() = 0;
    // Hides only the application's own task-bar owner window; the main window stays visible.
    virtual void HideApplicationWindow() = 0;
    virtual bool PrinterPrinting() = 0;
    virtual void Terminate() = 0;
    virtual void Sleep(std::chrono::milliseconds duration) = 0;
    // Whether a job can be shown to somebody: false without a screen.
    virtual bool CanShowJobs() = 0;
};

// The two timers that drive the program without user action: JobTimer works off the job list
// and decides when a start for a single print request has nothing more to do; MesTimer makes
// the last pass and ends the program. In service mode the program never ends by itself.
class JobTimers : public QObject {
public:
    struct Timing {
        std::chrono::milliseconds interval{1000};   // both timers
        std::chrono::milliseconds printerWait{500}; // before the end, per round
        int printerWaitRounds = 10;
    };

    JobTimers(JobList& jobs, JobSettings& job, int32_t& serviceMode, JobTimerHost& host,
              Timing timing);
    JobTimers(JobList& jobs, JobSettings& job, int32_t& serviceMode, JobTimerHost& host)
        : JobTimers(jobs, job, serviceMode, host, Timing{}) {}

    // Enabling a timer that is enabled already changes nothing: its next tick stays where it was,
    // so that a stream of handovers cannot keep postponing it.
    void EnableJobTimer() {
        if (!jobTimer_.isActive()) jobTimer_.start(timing_.interval);
    }
    // An ending program runs no more jobs.
    void StopTimers() {
        jobTimer_.stop();
        mesTimer_.stop();
    }
    bool JobTimerEnabled() const { return jobTimer_.isActive(); }
    bool MesTimerEnabled() const { return mesTimer_.isActive(); }

    // The tick handlers.
    void OnJobTimer();
    void OnMesTimer();

    // Entries seen at the previous tick of JobTimer.
    int32_t LastJobCount = 0;

private:
    void DropJobsToShow();

    JobList& jobs_;
    JobSettings& job_;
    int32_t& serviceMode_;
    JobTimerHost& host_;
    Timing timing_;
    QTimer jobTimer_;
    QTimer mesTimer_;
};

} // namespace qorprt
