// Feeds arbitrary bytes as a job command line to the parse stage.

#include "jobs/JobCommandLine.h"
#include "platform/printing/PrinterSelection.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

class FakePrinter : public qorprt::PrinterSelection {
public:
    bool Printing() const override { return false; }
    void SetPrinterIndex(int32_t index) override { last = index; }
    int32_t last = -1;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qorprt::JobSettings job;
    job.DruListe.Items = {"Laser2", "\\\\SRV01\\Laser2", "PDF Drucker", "QorPrt PDF"};
    job.DruListe.ItemIndex = 0;
    qorprt::ResetJobSettings(job);
    job.Aufruf.assign(reinterpret_cast<const char*>(data), size);
    FakePrinter printer;
    const qorprt::ParsedJob parsed = qorprt::ParseJobCommandLine(job, printer);
    if (printer.last >= static_cast<int32_t>(job.DruListe.Items.size())) __builtin_trap();
    (void)parsed;
    return 0;
}
