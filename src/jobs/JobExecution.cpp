#include "jobs/JobExecution.h"

#include "graphics/RenderState.h"
#include "jobs/JobCommandLine.h"
#include "jobs/JobHost.h"
#include "jobs/PrintAction.h"
#include "jobs/PrinterProperties.h"
#include "jobs/UsageText.h"
#include "pdf/PdfOutput.h"
#include "platform/printing/Printer.h"
#include "platform/printing/Spooler.h"
#include "platform/system/Errors.h"
#include "platform/system/FailureNotice.h"
#include "platform/system/Files.h"
#include "platform/system/Log.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qorprt {

namespace {

void WaitForPrinter(JobEnvironment& env) {
    WriteLog(4, "DoJob: Printer()->Printing prüfen");
    for (int round = 0; round < env.printerWaitRounds && env.printer.Printing(); ++round) {
        WriteLog(6, "DoJob: Printer()->Printing ...");
        env.host.Sleep(env.printerWait);
    }
    if (env.printer.Printing())
        WriteLog(10, "keine Ende von Printer()->Printing");
    else
        WriteLog(4, "DoJob: Printer()->Printing = false");
}

// Lists the printers and selects the printer object's current one; without a default printer
// the first listed printer becomes the default.
void ChooseCurrentPrinter(JobEnvironment& env) {
    JobSettings& job = env.job;
    job.DruListe.Items = env.printer.Printers();
    job.DruListe.ItemIndex = -1;
    try {
        job.DruListe.ItemIndex = env.printer.PrinterIndex();
    } catch (const EPrinter&) {
        WriteLog(6, "DoJob: kein Default Printer gesetzt!");
        // The built-in PDF printer is always listed, so the list is never empty in practice;
        // should it be, nothing can be chosen and the print action reports the missing printer.
        if (!job.DruListe.Items.empty()) {
            const Status made = env.spooler.SetDefaultPrinter(job.DruListe.Items.front());
            if (!made.ok()) WriteLog(10, "DoJob: SetDefaultPrinter: " + made.error());
            job.DruListe.ItemIndex = 0;
            env.printer.SetPrinterIndex(0);
        }
    }
    WriteLog(4, "DoJob: (Default) Printer gesetzt: " + std::to_string(job.DruListe.ItemIndex));
}

bool DirectPrint(JobEnvironment& env, bool minimise) {
    JobSettings& job = env.job;
    if (minimise) env.host.MinimiseWindow();
    const RenderResult result = AusdruckClick(job, env.properties, env.printer, env.state, env.pdf,
                                              env.host.ScratchCanvas());
    // Only a job whose every document the spooler accepted counts as printed; any other keeps
    // its name, so that it can be printed again. A job that asked for its PDF files only counts
    // as done when it got them all; a printed job whose archive failed was printed all the same
    // (the failure was logged and reported where it happened).
    const bool pdfMissing = job.NoPrint && !env.pdf.unwritten.empty();
    if (result == RenderResult::Rendered && !pdfMissing) {
        MarkPrinted(job.PRTfile);
    } else if (pdfMissing) {
        WriteLog(10, "DoJob: " + job.PRTfile +
                         " hat seine PDF-Datei nicht erhalten und behält "
                         "seinen Namen.");
    } else {
        WriteLog(10, "DoJob: " + job.PRTfile + " wurde nicht gedruckt und behält seinen Namen.");
    }
    job.PRTfile.clear();
    env.jobs.RemoveSelected();
    if (!env.jobs.Empty()) {
        env.jobs.Select(0);
        job.Aufruf = env.jobs.list.Items.front();
    }
    return true;
}

bool ShowUsage(JobEnvironment& env) {
    const bool yes = env.host.AskYesNo(UsageText(), UsageCaption());
    env.jobs.RemoveAt(0);
    env.serviceMode = 2;
    if (yes) {
        env.job.Anzeige = true;
        env.host.AnzeigenClick();
    }
    env.host.EnableJobTimer();
    env.host.SetWindowStateNormal();
    return false;
}

} // namespace

std::string UnquotedFileName(std::string name) {
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    else if (!name.empty() && name.front() == '"')
        name.erase(0, 1);
    return name;
}

PrintedNames PrintedFileNames(const std::string& prtFile) {
    const std::string name = FileSystemPath(UnquotedFileName(prtFile));
    if (name.empty()) return {};
    // The last character, not its last byte: a name may end in a letter that UTF-8 writes as
    // several bytes.
    size_t last = name.size() - 1;
    while (last > 0 && (static_cast<unsigned char>(name[last]) & 0xC0u) == 0x80u)
        --last;
    const std::string base = name.substr(0, last);
    // Names are case-sensitive here: "r4711.prt" becomes "r4711.prd".
    const bool lower = std::islower(static_cast<unsigned char>(name.back())) != 0;
    return {base + (lower ? "t" : "T"), base + (lower ? "d" : "D")};
}

bool MarkPrinted(const std::string& prtFile) {
    const PrintedNames names = PrintedFileNames(prtFile);
    if (names.printed.empty()) return false;
    // rename() replaces an older .PRD in one step: there is no moment without either file, and
    // when the printed file is missing the older .PRD stays.
    if (std::rename(names.printed.c_str(), names.marked.c_str()) == 0) return true;
    // The client would print the job again: say why the mark is missing.
    const std::string reason = std::strerror(errno);
    WriteLog(10, "DoJob: " + names.printed + " konnte nicht in " + names.marked +
                     " umbenannt werden: " + reason);
    NoticeFailure(names.printed,
                  "gedruckt, aber nicht in " + names.marked + " umbenannt: " + reason);
    return false;
}

void ShowPreview(JobEnvironment& env) {
    env.host.ClearPreview();
    RenderContext ctx{env.state, env.job, env.pdf, nullptr, {}};
    if (RenderDocument(env.host.PreviewCanvas(), ctx, env.host.PreviewDocumentHost(),
                       env.job.PRTfile, false) == RenderResult::Rendered)
        env.host.SizePreviewWindow(ctx.previewHeight, ctx.previewWidth);
}

bool DoJob(JobEnvironment& env, bool minimise) {
    JobSettings& job = env.job;
    WaitForPrinter(env);
    ResetJobSettings(job);
    ChooseCurrentPrinter(env);
    ParsedJob parsed = ParseJobTokens(job, env.printer);
    WriteLog(4, "DoJob: Befehlszeile interpretiert");
    FinishJobCommandLine(job, parsed);
    if (!parsed.PRTfile) return ShowUsage(env);

    const std::string name = *parsed.PRTfile;
    job.PRTfile = name;
    WriteLog(4, "DoJob: vor GetPrintProp: " + name);
    const std::string* printer = job.DruListe.Selected();
    env.properties.GetPrintProp(printer ? *printer : std::string(), job.FirstBinCode);
    WriteLog(4, "DoJob: nach GetPrintProp: " + name);
    if (parsed.DirectPrint) return DirectPrint(env, minimise);

    env.host.FitWindowToScreen();
    ShowPreview(env);
    return false;
}

} // namespace qorprt
