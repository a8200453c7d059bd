#include "app/RunningInstance.h"

#include "app/AppException.h"
#include "app/JobRunner.h"
#include "app/PreviewPaper.h"
#include "app/start/HandoverReceiver.h"
#include "jobs/JobTokens.h"
#include "jobs/PrintAction.h"
#include "jobs/Version.h"
#include "platform/canvas/Fonts.h"
#include "platform/canvas/QtCanvas.h"
#include "platform/printing/CombinedSpooler.h"
#include "platform/system/FailureNotice.h"
#include "platform/system/Files.h"
#include "platform/system/Log.h"
#include "platform/system/Shell.h"
#include "platform/system/WorkingFolder.h"
#include "platform/text/Strings.h"
#include "render/PreviewSizing.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include <thread>

// The program's resources live in the static library: their initialiser must be called by name.
static void InitProgramResources() {
    Q_INIT_RESOURCE(qorprt);
}

namespace qorprt {

namespace {

std::unique_ptr<Spooler> MachineSpooler(Spooler* given) {
    if (given) return nullptr;
    return CombinedSpooler::CreateDefault();
}

QIcon ProgramIcon() {
    InitProgramResources();
    return QIcon(QStringLiteral(":/qorprt/qorprt.png"));
}

} // namespace

RunningInstance::RunningInstance(InstanceOptions options)
    : options_(std::move(options)), ownSpooler_(MachineSpooler(options_.spooler)),
      spooler_(options_.spooler ? *options_.spooler : *ownSpooler_),
      printer_(std::make_unique<Printer>(spooler_, NewPrinterCanvas)), pdfLayer_(*printer_),
      window_(std::make_unique<TQorPrt>(job_, jobs_, *this)),
      boxes_(options_.interactive, [this] { return window_.get(); }),
      properties_(spooler_, job_, boxes_),
      previewHost_(std::make_unique<PreviewHost>(boxes_, &prtImg_)),
      env_{job_,
           jobs_,
           serviceMode_,
           *printer_,
           spooler_,
           properties_,
           state_,
           pdf_,
           *this,
           options_.printerWaitRounds,
           options_.printerWait},
      actions_(env_, [this](bool minimise) { return RunJob(minimise); }),
      timers_(std::make_unique<JobTimers>(jobs_, job_, serviceMode_, *this, options_.timing)),
      tray_(std::make_unique<TrayIcon>(*this, ProgramIcon())) {
    pdf_.engine = &pdfLayer_.Output();
    if (options_.failureMessage) {
        failures_ = std::make_unique<FailureMessages>(options_.failureMessage, [] { return true; });
    } else {
        failures_ = std::make_unique<FailureMessages>(
            [this](const TrayMessage& message) {
                tray_->Icon().showMessage(message.title, message.text, QSystemTrayIcon::Warning,
                                          static_cast<int>(FailureMessages::kShown.count()));
            },
            [this] {
                return QSystemTrayIcon::isSystemTrayAvailable() && tray_->Icon().isVisible();
            });
    }
    SetFailureNoticeSink([this](const std::string& file, const std::string& reason) {
        // Failures of other threads reach the window's thread first.
        QMetaObject::invokeMethod(failures_.get(),
                                  [this, file, reason] { failures_->Notice(file, reason); });
    });
    jobs_.queue = options_.queue;
    // From now on the window's LogLevel edit filters the log.
    SetLogThresholdSource(&job_.LogLevel);
    window_->setWindowIcon(ProgramIcon());
}

RunningInstance::~RunningInstance() {
    KeepOrGiveUpJobs();
    // FormDestroy: the icon leaves the notification area with the window.
    tray_->NotifyTrayIcon(2);
    SetFailureNoticeSink({});
    SetLogThresholdSource(nullptr);
    SetAppTerminateHandler({});
}

void RunningInstance::FormCreate(int argc, const char* const* argv,
                                 const std::string& fullCommandLine) {
    const int arguments = argc - 1;
    WriteLog(10, std::string("Start Version ") + kVersionDate + ": " + fullCommandLine);
    SetAppTerminateHandler([this] { Terminate(); });
    window_->SetVersion(kVersionDate);
    tray_->NotifyTrayIcon(0);
    tray_->NotifyTrayIcon(1);
    // A handed-over job is on disk before its start gets the answer; the listener's thread
    // touches nothing but the queue.
    JobQueue* queue = options_.queue;
    listener_ =
        std::make_unique<HandoverListener>([this] { return window_->windowTitle(); },
                                           [queue](HandedOverJob& job) {
                                               if (!queue) return true;
                                               const Expected<uint64_t> record =
                                                   queue->Add(job.commandLine, job.folder);
                                               if (!record) return false;
                                               job.record = *record;
                                               return true;
                                           },
                                           [this](const HandedOverJob& job) { OnQorvaData(job); });
    QObject::connect(window_.get(), &QWidget::windowTitleChanged, listener_.get(),
                     &HandoverListener::RefreshTitle);
    job_.Aufruf = fullCommandLine;
    // The start modes are options of the command line, never letters inside a file name.
    const std::vector<std::string> tokens = JobTokens(fullCommandLine);
    if (std::find(tokens.begin(), tokens.end(), "/N") == tokens.end())
        window_->SetCaption("Running");
    const std::string first = arguments >= 1 ? std::string(argv[1]) : std::string();
    if (arguments == 1 && (first == "/D" || first == "/d")) {
        serviceMode_ = 2;
        job_.Anzeige = first == "/d";
    } else {
        // The instance's own job is taken against the folder it was started in.
        jobs_.Append(fullCommandLine, CurrentFolder());
        jobs_.scrollWidth = ScrollWidthFor(fullCommandLine.size());
        jobs_.Select(static_cast<int32_t>(jobs_.Count()) - 1);
    }
    TakeUpOrphans();
    startsHidden_ = JobHasDirectPrintOption(fullCommandLine);
    if (!startsHidden_) {
        const std::vector<std::string>& fonts = InstalledFontNames();
        const bool pdf417c = FontInstalled(fonts, "PDF417c");
        if (FontInstalled(fonts, "IDAutomationPDF417n3")) {
            window_->AppendInstFont(" IDAutom");
            window_->AppendInstFont(pdf417c ? " (PDF417c)" : " -");
        } else {
            window_->AppendInstFont(" -");
            window_->AppendInstFont(pdf417c ? " PDF417c" : " -");
        }
    }
    window_->ShowModel();
    timers_->EnableJobTimer();
}

void RunningInstance::OnQorvaData(const HandedOverJob& job) {
    jobs_.Append(job.commandLine, job.folder, job.record);
    jobs_.WidenScroll(ScrollWidthFor(job.bytes));
    WriteLog(8, "OnQorvaData: " + job.commandLine);
    // Without a screen a service shows nothing: the job timer takes the job (and gives it up).
    if (jobs_.Count() == 1 && job_.Anzeige && (options_.screen || serviceMode_ == 0)) {
        jobs_.Select(0);
        job_.Aufruf = job.commandLine;
        RunJob(false);
    } else if (serviceMode_ != 0) {
        timers_->EnableJobTimer();
    }
    window_->ShowModel();
}

int64_t RunningInstance::TakeHandedOverJob(const std::string& commandLine, uint64_t bytes) {
    OnQorvaData({commandLine, std::string(), bytes, 0});
    return 1;
}

void RunningInstance::StopTakingJobs() {
    if (!listener_) return;
    for (const HandedOverJob& job : listener_->StopAccepting()) {
        jobs_.Append(job.commandLine, job.folder, job.record);
        jobs_.WidenScroll(ScrollWidthFor(job.bytes));
        WriteLog(8, "OnQorvaData: " + job.commandLine);
    }
    window_->ShowModel();
}

void RunningInstance::TakeUpOrphans() {
    if (!options_.queue) return;
    for (JobQueue::Record& record : options_.queue->TakeUpOrphans()) {
        // A job that was only to be shown belonged to the window its user closed: a later
        // instance, maybe without a screen, must not inherit it.
        if (!JobHasDirectPrintOption(record.commandLine)) {
            WriteLog(10, "Auftrag aufgegeben (nur zur Anzeige): " + record.commandLine);
            options_.queue->Remove(record.number);
            continue;
        }
        WriteLog(10, (record.started ? "Auftrag übernommen, vielleicht schon gedruckt: "
                                     : "Auftrag übernommen: ") +
                         record.commandLine);
        jobs_.Append(std::move(record.commandLine), std::move(record.folder), record.number);
        jobs_.WidenScroll(ScrollWidthFor(jobs_.list.Items.back().size() + 1));
    }
    window_->ShowModel();
}

void RunningInstance::KeepOrGiveUpJobs() {
    StopTakingJobs();
    while (!jobs_.Empty()) {
        const std::string line = jobs_.list.Items.front();
        const bool direct = JobHasDirectPrintOption(line);
        if (direct && jobs_.queue && jobs_.RecordAt(0) != 0) {
            WriteLog(10, "Auftrag bleibt für den nächsten Start: " + line);
            jobs_.RemoveKeepingRecord(0);
            continue;
        }
        WriteLog(10,
                 (direct ? "Auftrag nicht gedruckt: " : "Auftrag aufgegeben (nur zur Anzeige): ") +
                     line);
        jobs_.RemoveAt(0);
    }
}

// FormEvents

void RunningInstance::JobsClick() {
    actions_.JobsClick();
}

void RunningInstance::JobsTaste(int key, ShiftState shift) {
    actions_.JobsTaste(key, shift);
}

void RunningInstance::JobFileClick() {
    OpenInTextEditor(FileSystemPath(UnquotedFileName(job_.PRTfile)));
}

void RunningInstance::JobDelClick() {
    actions_.JobDelClick();
}

void RunningInstance::JobsDelClick() {
    actions_.JobsDelClick();
}

void RunningInstance::PrinterClick() {
    properties_.PrinterClick();
}

void RunningInstance::AusdruckClick() {
    const WorkingFolderScope folder(jobs_.shownFolder);
    qorprt::AusdruckClick(job_, properties_, *printer_, state_, pdf_, &prtImg_);
}

void RunningInstance::DruckeJobsClick() {
    actions_.DruckeJobsClick();
}

void RunningInstance::RefreshClick() {
    const WorkingFolderScope folder(jobs_.shownFolder);
    actions_.RefreshClick();
}

void RunningInstance::FormClose() {
    // Closing is always allowed, and it ends the program.
    Terminate();
}

// JobHost

void RunningInstance::MinimiseWindow() {
    // A hidden window only takes the state; it shows minimised when it is shown.
    window_->setWindowState(window_->windowState() | Qt::WindowMinimized);
}

int RunningInstance::ScreenHeight() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().height() : 768;
}

void RunningInstance::FitWindowToScreen() {
    window_->SetWindowHeight(ScreenHeight() - 60 - window_->WindowTop());
}

void RunningInstance::ClearPreview() {
    window_->Paper().Clear();
}

Canvas& RunningInstance::PreviewCanvas() {
    return window_->Paper().PaperCanvas();
}

void RunningInstance::SizePreviewWindow(int32_t paperHeight, int32_t paperWidth) {
    window_->Paper().SetShownSize(paperWidth, paperHeight);
    const PreviewWindowFit fit = FitPreviewWindow(paperHeight, ScreenHeight(), window_->WindowTop(),
                                                  window_->WindowHeight());
    window_->SetWindowHeight(fit.windowHeight);
    window_->SetScrollRange(fit.scrollRange);
}

bool RunningInstance::AskYesNo(const std::string& text, const std::string& caption) {
    // The window shows the job as it stands while the box waits.
    window_->ShowModel();
    return boxes_.AskYesNo(text, caption);
}

void RunningInstance::AnzeigenClick() {
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->show();
}

void RunningInstance::SetWindowStateNormal() {
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
}

void RunningInstance::EnableJobTimer() {
    timers_->EnableJobTimer();
}

void RunningInstance::Sleep(std::chrono::milliseconds duration) {
    if (options_.sleep)
        options_.sleep(duration);
    else
        std::this_thread::sleep_for(duration);
}

// JobTimerHost

bool RunningInstance::RunJob(bool minimise) {
    const bool result = qorprt::RunJob(env_, minimise);
    window_->ShowModel();
    return result;
}

void RunningInstance::SetCaption(const std::string& title) {
    window_->SetCaption(title);
    // An instance that is about to end takes no more jobs: a start that still found it as
    // "Running" gets none and does its job itself.
    if (title == "Ende") StopTakingJobs();
}

void RunningInstance::VersteckenClick() {
    HideApplicationWindow();
    window_->hide();
}

void RunningInstance::HideApplicationWindow() {
    // A Qt program has no task-bar owner window of its own beside the main window.
}

bool RunningInstance::PrinterPrinting() {
    return printer_->Printing();
}

void RunningInstance::Terminate() {
    StopTakingJobs();
    if (options_.terminate) {
        options_.terminate();
        return;
    }
    // A failure message on the screen stays until it could be read: the icon takes it along.
    timers_->StopTimers();
    window_->hide();
    // Not quit(): Qt turns it into a request to close every window, which a window that is
    // shown and not closing refuses; the end must not depend on the windows.
    failures_->WhenRead([] { QCoreApplication::exit(0); });
}

// TrayHost

bool RunningInstance::MainWindowVisible() {
    return window_->isVisible();
}

void RunningInstance::TrayIconClick() {
    window_->hide();
}

void RunningInstance::ShutDownClick() {
    window_->close();
}

void RunningInstance::BringToFront() {
    window_->raise();
    window_->activateWindow();
}

} // namespace qorprt
