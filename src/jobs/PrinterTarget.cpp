#include "jobs/PrinterTarget.h"

#include "graphics/JobSettings.h"
#include "jobs/JobExecution.h"
#include "jobs/PrinterProperties.h"
#include "platform/canvas/Fonts.h"
#include "platform/printing/Printer.h"
#include "platform/system/Errors.h"
#include "platform/system/FailureNotice.h"
#include "platform/system/Files.h"
#include "platform/system/Log.h"

namespace qorprt {

PrinterTarget::PrinterTarget(qorprt::Printer& printer, PrinterProperties& properties,
                             JobSettings& job, BitmapCanvas* scratch)
    : printer_(printer), properties_(properties), job_(job), scratch_(scratch) {}

void PrinterTarget::BeginDoc() {
    printer_.BeginDoc();
}

bool PrinterTarget::EndDoc() {
    const Status done = printer_.EndDoc();
    if (!done.ok()) {
        WriteLog(10, "EndDoc: " + done.error());
        // The spooler refused the document, or it was discarded before it reached the spooler.
        NoticeFailure(FileSystemPath(UnquotedFileName(job_.PRTfile)),
                      "nicht gedruckt, " + done.error());
    }
    return done.ok();
}

void PrinterTarget::Abort() {
    printer_.Abort();
}

void PrinterTarget::NewPage() {
    printer_.NewPage();
}

void PrinterTarget::SwitchBin(int32_t binCode) {
    const std::string* selected = job_.DruListe.Selected();
    properties_.GetPrintProp(selected ? *selected : std::string(), binCode);
    properties_.SetPrintProp(properties_.PrinterName, -1, -1, -1, -1);
    // A printer that went away in the middle of a print must not end the program: the rest of
    // the document goes to the printer as it was.
    try {
        printer_.SetPrinter(properties_.PrinterName, "WINSPOOL", "", nullptr);
    } catch (const std::exception& e) {
        WriteLog(10, "SwitchBin: Prntr->SetPrinter: " + ExceptionClassName(e) + " - " + e.what());
    }
    printer_.Refresh();
}

std::vector<std::string> PrinterTarget::FontNames(bool) {
    return printer_.Fonts();
}

// Printing shows no message box for a missing file.
void PrinterTarget::ShowOpenError(const std::string&) {}

int32_t PrinterTarget::WindowsVersion() {
    return WindowsVersionNumber();
}

Point PrinterTarget::PrinterOffset() {
    return printer_.PhysicalOffset();
}

} // namespace qorprt
