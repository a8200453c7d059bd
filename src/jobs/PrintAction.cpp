#include "jobs/PrintAction.h"

#include "graphics/JobSettings.h"
#include "jobs/PrinterProperties.h"
#include "jobs/PrinterTarget.h"
#include "platform/printing/Printer.h"
#include "platform/system/Errors.h"
#include "platform/system/Files.h"
#include "platform/system/Log.h"

namespace qorprt {

namespace {

bool ListSelected(const JobSettings& job) {
    return job.BinListe.Selected() != nullptr || job.PaperListe.Selected() != nullptr;
}

// Writes the saved defaults back when the print changed them, also when the rendering raised.
class RestoreDefaults {
public:
    RestoreDefaults(JobSettings& job, PrinterProperties& properties, Printer& printer)
        : job_(job), properties_(properties), printer_(printer) {
        properties_.BeginPrint();
    }
    RestoreDefaults(const RestoreDefaults&) = delete;
    RestoreDefaults& operator=(const RestoreDefaults&) = delete;
    ~RestoreDefaults() {
        // A document left open by an error is discarded, not half printed.
        if (printer_.Printing()) printer_.Abort();
        const std::string name = properties_.PrinterName;
        if (job_.FirstBinCode >= 1 || ListSelected(job_)) {
            WriteLog(4, "AusdruckClick: vor SetPrintProp (reset): " + name);
            properties_.SetPrintProp(properties_.PrinterName, -2, -2, -2, -2);
            WriteLog(4, "AusdruckClick: nach SetPrintProp (reset): " + name);
        }
        properties_.EndPrint();
    }

private:
    JobSettings& job_;
    PrinterProperties& properties_;
    Printer& printer_;
};

} // namespace

RenderResult AusdruckClick(JobSettings& job, PrinterProperties& properties, Printer& printer,
                           RenderState& state, PdfState& pdf, BitmapCanvas* scratch) {
    const std::string* selected = job.DruListe.Selected();
    properties.PrinterName = selected ? *selected : std::string();
    const std::string name = properties.PrinterName;
    RestoreDefaults restore(job, properties, printer);
    if (job.FirstBinCode > 0 || ListSelected(job)) {
        WriteLog(4, "AusdruckClick: vor SetPrintProp: " + name);
        properties.SetPrintProp(properties.PrinterName, -1, -1, -1, -1);
        WriteLog(4, "AusdruckClick: nach SetPrintProp: " + name);
    }
    printer.SetPrinterIndex(job.DruListe.ItemIndex);
    if (ListSelected(job)) {
        WriteLog(4, "AusdruckClick: vor Prntr->SetPrinter: " + name);
        try {
            printer.SetPrinter(properties.PrinterName, "WINSPOOL", "", nullptr);
        } catch (const std::exception& e) {
            WriteLog(10, "AusdruckClick: Prntr->SetPrinter: " + ExceptionClassName(e) + " - " +
                             e.what());
        }
        WriteLog(4, "AusdruckClick: nach Prntr->SetPrinter: " + name);
    }
    printer.Refresh();
    state.pageCounter = 1;
    // A name the launcher wrote as a URL is titled by the file it names.
    printer.Title = FileSystemPath(job.PRTfile);
    PrinterTarget target(printer, properties, job, scratch);
    RenderContext ctx{state, job, pdf, nullptr, {}};
    return RenderDocument(printer.Canvas(), ctx, target, job.PRTfile, true);
}

} // namespace qorprt
