#include "support/PdfPrinterJob.h"

#include "jobs/PrintAction.h"
#include "platform/canvas/QtCanvas.h"
#include "platform/system/Log.h"
#include "support/GuiApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace qorprt::test {

namespace fs = std::filesystem;

void UnexpectedBoxes::ShowError(const std::string& text, const std::string& caption) {
    ADD_FAILURE() << caption << ": " << text;
}

PdfPrinterJob::PdfPrinterJob() {
    EnsureGuiApplication();
    dir.Write("qorprt.log", "");
    SetLogFolder(dir.Path());
    fs::create_directories(dir.File("out"));
    setenv("QORPRT_PDF_DIR", dir.File("out").c_str(), 1);
    spooler = std::make_unique<PdfPrinterSpooler>(dir.File("pdfprinter.conf"));
    printer = std::make_unique<Printer>(*spooler, NewPrinterCanvas);
    properties = std::make_unique<PrinterProperties>(*spooler, job, boxes);
    job.DruListe.Items = printer->Printers();
    job.DruListe.ItemIndex = 0;
    job.HeadTop = 0;
    job.HeadLeft = 0;
}

PdfPrinterJob::~PdfPrinterJob() {
    SetLogFolder("");
    unsetenv("QORPRT_PDF_DIR");
}

RenderResult PdfPrinterJob::Print(const std::string& content, BitmapCanvas* scratch) {
    job.PRTfile = dir.Write("R4711.PRT", content);
    return AusdruckClick(job, *properties, *printer, state, pdf, scratch);
}

std::vector<fs::path> PdfPrinterJob::Outputs() const {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir.File("out")))
        if (entry.path().extension() == ".pdf") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace qorprt::test
