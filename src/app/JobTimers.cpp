#include "app/JobTimers.h"

#include "app/AppException.h"
#include "graphics/JobSettings.h"
#include "jobs/JobList.h"
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

void JobTimers::OnJobTimer() {
    jobTimer_.stop();
    if (LastJobCount == 0 && jobs_.Empty() && serviceMode_ == 0) {
        WriteLog(8, "Caption = Ende (OnJobTimer)");
        // From now on no start hands its job over to this instance.
        host_.SetCaption("Ende");
        mesTimer_.start();
    }
    LastJobCount = static_cast<int32_t>(jobs_.Count());
    if (jobs_.Empty()) {
        jobTimer_.start();
    } else {
        WriteLog(8, "OnJobTimer: Jobs->Items->Count > 0");
        if (job_.Anzeige || !Contains(jobs_.list.Items.front(), "/X")) {
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
            jobTimer_.start();
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
