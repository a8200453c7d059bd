#pragma once

#include "app/FailureMessages.h"
#include "app/HandoverListener.h"
#include "app/JobListActions.h"
#include "app/JobTimers.h"
#include "app/MainWindow.h"
#include "app/QtMessageBoxes.h"
#include "app/TrayIcon.h"
#include "graphics/JobSettings.h"
#include "graphics/RenderState.h"
#include "jobs/JobExecution.h"
#include "jobs/JobHost.h"
#include "jobs/JobList.h"
#include "jobs/PreviewHost.h"
#include "jobs/PrinterProperties.h"
#include "pdf/PdfLayer.h"
#include "pdf/PdfOutput.h"
#include "platform/canvas/ScratchImage.h"
#include "platform/printing/Printer.h"
#include "platform/system/JobQueue.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace qorprt {

class Spooler;

// How a running instance is set up; the defaults are the program's, tests change them.
struct InstanceOptions {
    Spooler* spooler = nullptr; // null: the machine's printers (CUPS and the PDF printer)
    bool interactive = true;    // message boxes can be shown and answered
    bool screen = true;         // a job can be shown to somebody
    JobTimers::Timing timing;
    int printerWaitRounds = 10; // DoJob's waits for a printer that is still printing
    std::chrono::milliseconds printerWait{2000};
    std::function<void(std::chrono::milliseconds)> sleep; // null: the thread sleeps
    std::function<void()> terminate;                      // null: the application quits
    // Where failure messages go; null: the tray icon, where a notification area exists.
    FailureMessages::Show failureMessage;
    // The job list on disk; null: in memory only. With it the instance takes up the jobs of
    // instances that ended without printing them, and keeps its own for the next start.
    JobQueue* queue = nullptr;
};

// The running instance: the main window with the job list and the job settings it shows, the
// printer object and its properties, the rendering state, the timers and the tray icon. It
// carries out what the window's controls, the timers, the tray and handed-over jobs ask for.
class RunningInstance : public FormEvents, public JobHost, public JobTimerHost, public TrayHost {
public:
    explicit RunningInstance(InstanceOptions options = {});
    ~RunningInstance() override;
    RunningInstance(const RunningInstance&) = delete;
    RunningInstance& operator=(const RunningInstance&) = delete;

    // The window's creation with the program's own arguments and full command line
    // (Windows-1252): the start line, the tray icon, the title, the start mode, the first job,
    // the barcode font check, the job timer.
    void FormCreate(int argc, const char* const* argv, const std::string& fullCommandLine);
    // "/X" in the command line: the window stays hidden at start.
    bool StartsHidden() const { return startsHidden_; }

    // A handed-over job, on the GUI thread once the listener has taken it: appended to the job
    // list, shown at once when it is the only entry and Anzeige is checked, or the job timer
    // armed in service mode.
    void OnQorvaData(const HandedOverJob& job);
    // The same for a job without a folder and record. Returns 1 (taken).
    int64_t TakeHandedOverJob(const std::string& commandLine, uint64_t bytes);
    // The end of the program, however it comes: every direct-print job still listed stays in
    // the queue on disk for the next start, every other is given up; each is named in the log.
    void KeepOrGiveUpJobs();
    // The receiver of handovers; null before FormCreate.
    HandoverListener* Listener() { return listener_.get(); }

    TQorPrt& Window() { return *window_; }
    JobTimers& Timers() { return *timers_; }
    TrayIcon& Tray() { return *tray_; }
    FailureMessages& Failures() { return *failures_; }
    JobSettings& Job() { return job_; }
    JobList& Jobs() { return jobs_; }
    int32_t ServiceMode() const { return serviceMode_; }
    Printer& PrinterObject() { return *printer_; }

    // FormEvents
    void JobsClick() override;
    void JobsTaste(int key, ShiftState shift) override;
    void JobFileClick() override;
    void JobDelClick() override;
    void JobsDelClick() override;
    void PrinterClick() override;
    void AusdruckClick() override;
    void DruckeJobsClick() override;
    void RefreshClick() override;
    void FormClose() override;

    // JobHost
    void MinimiseWindow() override;
    void FitWindowToScreen() override;
    void ClearPreview() override;
    Canvas& PreviewCanvas() override;
    DocumentHost& PreviewDocumentHost() override { return *previewHost_; }
    void SizePreviewWindow(int32_t paperHeight, int32_t paperWidth) override;
    BitmapCanvas* ScratchCanvas() override { return &prtImg_; }
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    void AnzeigenClick() override;
    void SetWindowStateNormal() override;
    void EnableJobTimer() override;
    void Sleep(std::chrono::milliseconds duration) override;

    // JobTimerHost
    bool RunJob(bool minimise) override;
    void SetCaption(const std::string& title) override;
    void VersteckenClick() override;
    void HideApplicationWindow() override;
    bool PrinterPrinting() override;
    void Terminate() override;
    bool CanShowJobs() override { return options_.screen; }

    // TrayHost
    bool MainWindowVisible() override;
    void TrayIconClick() override;
    void ShutDownClick() override;
    void BringToFront() override;

private:
    int ScreenHeight() const;
    // Lists the jobs the listener took but had not yet handed over, when it stops taking jobs.
    void StopTakingJobs();
    // Appends the jobs of instances that ended before they printed them.
    void TakeUpOrphans();

    InstanceOptions options_;
    JobSettings job_;
    JobList jobs_;
    int32_t serviceMode_ = 0;
    RenderState state_;
    PdfState pdf_;
    std::unique_ptr<Spooler> ownSpooler_;
    Spooler& spooler_;
    std::unique_ptr<Printer> printer_;
    PdfLayer pdfLayer_; // the PDF output, paged like the printer's documents
    std::unique_ptr<TQorPrt> window_;
    QtMessageBoxes boxes_;
    ScratchImage prtImg_; // the window's hidden scratch image for barcodes
    PrinterProperties properties_;
    std::unique_ptr<PreviewHost> previewHost_;
    JobEnvironment env_;
    JobListActions actions_;
    std::unique_ptr<JobTimers> timers_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<FailureMessages> failures_;
    std::unique_ptr<HandoverListener> listener_;
    bool startsHidden_ = false;
};

} // namespace qorprt
