#include "app/JobListActions.h"

#include "graphics/JobSettings.h"
#include "jobs/JobHost.h"
#include "platform/text/Strings.h"

namespace qorprt {

JobListActions::JobListActions(JobEnvironment& env, std::function<bool(bool)> runJob)
    : env_(env), runJob_(std::move(runJob)) {}

void JobListActions::JobsClick() {
    const std::string* selected = env_.jobs.list.Selected();
    if (!selected) return;
    env_.job.Aufruf = *selected;
    runJob_(false);
}

void JobListActions::JobsTaste(int key, ShiftState shift) {
    if (key != kDeleteKey) return;
    JobList& jobs = env_.jobs;
    const int32_t i = jobs.list.ItemIndex;
    // With entries but none selected there is nothing to delete and no entry to read.
    if (i < 0 && !jobs.Empty()) return;
    jobs.RemoveSelected();
    JobSettings& job = env_.job;
    if (jobs.Empty()) {
        job.Aufruf.clear();
        job.PRTfile.clear();
        job.RandOben.clear();
        job.RandLinks.clear();
        job.HeadFile.clear();
        job.DuplexGiven = false;
        job.Landscape = false;
        env_.host.ClearPreview();
        return;
    }
    const auto last = static_cast<int32_t>(jobs.Count()) - 1;
    jobs.Select(i > last ? last : i);
    job.Aufruf = *jobs.list.Selected();
    if (shift != ShiftState::RightButton) runJob_(false);
}

void JobListActions::JobDelClick() {
    JobsTaste(kDeleteKey, ShiftState::LeftButton);
}

void JobListActions::JobsDelClick() {
    while (!env_.jobs.Empty()) {
        // Each pass removes the selected entry, which the previous pass selected; the first
        // pass starts from the first entry when none is selected.
        if (env_.jobs.list.ItemIndex < 0) env_.jobs.Select(0);
        JobsTaste(kDeleteKey, ShiftState::RightButton);
    }
}

void JobListActions::DruckeJobsClick() {
    // Every entry is taken once: a job that is shown instead of printed (Anzeige checked) stays
    // in the list and the loop goes on with the next, so it ends; an entry is marked " /X" only
    // once.
    size_t index = 0;
    while (index < env_.jobs.Count()) {
        JobList& jobs = env_.jobs;
        jobs.Select(static_cast<int32_t>(index));
        if (!jobs.list.Items[index].ends_with(" /X"))
            jobs.SetText(index, jobs.list.Items[index] + " /X");
        const std::string ran = jobs.list.Items[index];
        env_.job.Aufruf = ran;
        runJob_(false);
        // A printed job has left the list and the next one moved into its place; one that is
        // still there was shown, and the loop goes on behind it.
        if (index < jobs.Count() && jobs.list.Items[index] == ran) ++index;
    }
}

void JobListActions::RefreshClick() {
    env_.host.FitWindowToScreen();
    if (env_.jobs.Empty()) {
        env_.host.ClearPreview();
        return;
    }
    ShowPreview(env_);
}

} // namespace qorprt
