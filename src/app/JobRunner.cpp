#include "app/JobRunner.h"

#include "app/AppException.h"
#include "graphics/JobSettings.h"
#include "pdf/PdfOutput.h"
#include "platform/printing/Printer.h"
#include "platform/system/Errors.h"
#include "platform/system/FailureNotice.h"
#include "platform/system/Files.h"
#include "platform/system/Log.h"
#include "platform/system/WorkingFolder.h"

namespace qorprt {

namespace {

// Takes the failed job off the list: the entry it was started from, or, when the list changed
// meanwhile (a handover inside a message box), the first entry with its command line.
void RemoveFailedJob(JobEnvironment& env, int32_t index, const std::string& line) {
    std::vector<std::string>& items = env.jobs.list.Items;
    if (index >= 0 && static_cast<size_t>(index) < items.size() && items[index] == line) {
        env.jobs.RemoveAt(static_cast<size_t>(index));
    } else {
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i] == line) {
                env.jobs.RemoveAt(i);
                break;
            }
        }
    }
    env.job.PRTfile.clear();
    if (!env.jobs.Empty()) {
        env.jobs.Select(0);
        env.job.Aufruf = items.front();
    }
}

void DiscardDocuments(JobEnvironment& env) {
    // The print action's guard has aborted its document and restored the printer's defaults
    // while the failure left it; a document some other path left open goes here.
    if (env.printer.Printing()) env.printer.Abort();
    if (env.pdf.Open()) env.pdf.engine->Discard(env.pdf.handle);
    env.pdf.handle = 0;
}

} // namespace

bool RunJob(JobEnvironment& env, bool minimise) {
    const int32_t index = env.jobs.list.ItemIndex;
    const std::string line = env.job.Aufruf;
    std::string reason;
    // The job's relative names mean what they meant in its caller's folder.
    const bool listed = index >= 0 && static_cast<size_t>(index) < env.jobs.Count();
    env.jobs.shownFolder = listed ? env.jobs.FolderAt(static_cast<size_t>(index)) : std::string();
    const WorkingFolderScope folder(env.jobs.shownFolder);
    if (listed) env.jobs.MarkStarted(static_cast<size_t>(index));
    try {
        return DoJob(env, minimise);
    } catch (const std::exception& e) {
        WriteLog(10, AppExceptionLine(e));
        reason = ExceptionClassName(e) + " - " + e.what();
    } catch (...) {
        WriteLog(10, AppExceptionLineUnknown());
        reason = "unbekannter Fehler";
    }
    // The user learns which job it was: its file, or its command line when it named none.
    std::string file = env.job.PRTfile.empty() ? line : env.job.PRTfile;
    std::erase(file, '"');
    NoticeFailure(FileSystemPath(file), "nicht gedruckt, Fehler: " + reason);
    DiscardDocuments(env);
    RemoveFailedJob(env, index, line);
    return true;
}

} // namespace qorprt
