#include "app/JobTimers.h"

#include "app/AppException.h"
#include "graphics/JobSettings.h"
#include "jobs/JobList.h"
#include "jobs/JobTokens.h"
#include "platform/system/FailureNotice.h"
#include "platform/system/Log.h"
#include "platform/text/Strings.h"

namespace qorprt {

JobTimers::JobTimers(JobList& jobs, JobSettings& job, int32_t& serviceMode, JobTimerHost& host,
                     Timing timing)
    : jobs_(jobs), job_(job), serviceMode_(serviceMode), host_(host), timing_(timing) {
    for (QTimer* timer : {&jobTimer_, &mesTimer_}) {
        timer->setInterval(timing_.interval);
        timer->setSingleShot(false);
        // Ticks come in the order their timers were started, as a message queue delivers them.
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&jobTimer_, &QTimer::timeout, this, [this] { RunHandler([this] { OnJobTimer(); }); });
    connect(&mesTimer_, &QTimer::timeout, this, [this] { RunHandler([this] { OnMesTimer(); }); });
}

// Without a screen nobody can look at a job that is only to be shown. In service mode it would
// stay at the head of the list for good and hold up every job behind it, so it leaves the list,
// unprinted, and says so.
void JobTimers::DropJobsToShow() {
    if (serviceMode_ == 0 || host_.CanShowJobs()) return;
    for (size_t i = 0; i < jobs_.Count();) {
        const std::string line = jobs_.list.Items[i];
        if (!job_.Anzeige && JobHasDirectPrintOption(line)) {
            ++i;
            continue;
        }
        WriteLog(10, "OnJobTimer: " + line +
                         " kann ohne Bildschirm nicht angezeigt werden und wird nicht gedruckt.");
        NoticeFailure(line, "kann ohne Bildschirm nicht angezeigt werden");
        jobs_.RemoveAt(i);
    }
}

void JobTimers::OnJobTimer() {
    jobTimer_.stop();
    DropJobsToShow();
    if (LastJobCount == 0 && jobs_.Empty() && serviceMode_ == 0) {
        WriteLog(8, "Caption = Ende (OnJobTimer)");
        // From now on no start hands its job over to this instance.
        host_.SetCaption("Ende");
        mesTimer_.start();
    }
    LastJobCount = static_cast<int32_t>(jobs_.Count());
    if (jobs_.Empty()) {
        jobTimer_.start(timing_.interval);
    } else {
        WriteLog(8, "OnJobTimer: Jobs->Items->Count > 0");
        if (job_.Anzeige || !JobHasDirectPrintOption(jobs_.list.Items.front())) {
            // The newest job; the program then waits for the user or the next handover.
            jobs_.Select(static_cast<int32_t>(jobs_.Count()) - 1);
            job_.Aufruf = *jobs_.list.Selected();
            host_.RunJob(false);
        } else {
            jobs_.Select(0);
            job_.Aufruf = jobs_.list.Items.front();
            host_.RunJob(true);
            if (jobs_.Empty()) {
                job_.Aufruf.clear();
                job_.PRTfile.clear();
                job_.Landscape = false;
            }
            // Work that waits is taken at once; the event loop still runs before the next tick.
            // The one-second tick stays for an empty list, so the end comes as before.
            jobTimer_.start(jobs_.Empty() ? timing_.interval : std::chrono::milliseconds(0));
        }
        WriteLog(8, "OnJobTimer: Jobs->Items->Count = " + std::to_string(jobs_.Count()));
    }
    if (serviceMode_ == 2) {
        serviceMode_ = 1;
        if (job_.Anzeige)
            host_.HideApplicationWindow();
        else
            host_.VersteckenClick();
    }
}

void JobTimers::OnMesTimer() {
    mesTimer_.stop();
    while (!jobs_.Empty()) {
        jobs_.Select(0);
        job_.Aufruf = jobs_.list.Items.front();
        if (!host_.RunJob(true)) break;
    }
    for (int round = 0; round < timing_.printerWaitRounds && host_.PrinterPrinting(); ++round) {
        WriteLog(10, "kein Terminate wegen Printer()->Printing");
        host_.Sleep(timing_.printerWait);
    }
    host_.Terminate();
}

} // namespace qorprt
