#pragma once

#include "graphics/JobSettings.h"
#include "graphics/RenderState.h"
#include "jobs/JobExecution.h"
#include "jobs/JobHost.h"
#include "jobs/MessageBoxes.h"
#include "jobs/PreviewHost.h"
#include "jobs/PrinterProperties.h"
#include "pdf/PdfOutput.h"
#include "platform/canvas/RecordingCanvas.h"
#include "platform/printing/Printer.h"
#include "support/LogCapture.h"
#include "support/ScriptedSpooler.h"
#include "support/TempDir.h"
#include "support/WorkingFolder.h"

#include <string>
#include <vector>

namespace qorprt::test {

// Message boxes written down instead of shown.
class RecordedBoxes : public MessageBoxes {
public:
    std::vector<std::string> shown;
    void ShowError(const std::string& text, const std::string& caption) override {
        shown.push_back(caption + ": " + text);
    }
};

// The main window as job execution sees it, writing down what it is asked to do; the preview
// is a recording canvas.
class FakeJobHost : public JobHost {
public:
    FakeJobHost() : preview(boxes, nullptr) {}
    std::vector<std::string> calls;
    RecordingCanvas paper{96, {0, 0, 1170, 5000}};
    RecordedBoxes boxes;
    PreviewHost preview;
    bool answer = false;
    std::vector<std::string> asked;

    void MinimiseWindow() override { calls.push_back("Minimise"); }
    void FitWindowToScreen() override { calls.push_back("FitWindowToScreen"); }
    void ClearPreview() override { calls.push_back("ClearPreview"); }
    Canvas& PreviewCanvas() override { return paper; }
    DocumentHost& PreviewDocumentHost() override { return preview; }
    void SizePreviewWindow(int32_t height, int32_t width) override {
        calls.push_back("SizePreview " + std::to_string(height) + "x" + std::to_string(width));
    }
    BitmapCanvas* ScratchCanvas() override { return nullptr; }
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        calls.push_back("Ask " + caption);
        asked.push_back(text);
        return answer;
    }
    void AnzeigenClick() override { calls.push_back("Anzeigen"); }
    void SetWindowStateNormal() override { calls.push_back("Normal"); }
    void EnableJobTimer() override { calls.push_back("JobTimer"); }
    void Sleep(std::chrono::milliseconds) override { calls.push_back("Sleep"); }
};

// Everything a job runs on, over a scripted spooler with the printers "Laser1" (the default)
// and "Laser2", in a fresh working folder, with the log at level 1.
struct JobFixture {
    JobFixture();
    ~JobFixture();

    // Queues a job "/usr/bin/qorprt ARGUMENTS", selects it and copies it into Aufruf.
    void Queue(const std::string& arguments);

    LogCapture log;
    TempDir dir;
    WorkingFolder cwd{dir.Path()};
    ScriptedSpooler spooler;
    Printer printer;
    JobSettings job;
    JobList jobs;
    int32_t serviceMode = 0;
    RecordedBoxes boxes;
    PrinterProperties properties{spooler, job, boxes};
    RenderState state;
    PdfState pdf;
    FakeJobHost host;
    JobEnvironment env{job, jobs, serviceMode, printer, spooler, properties, state, pdf, host};
};

} // namespace qorprt::test
