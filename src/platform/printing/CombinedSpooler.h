#pragma once

#include "platform/printing/PdfPrinterSpooler.h"
#include "platform/printing/Spooler.h"

#include <memory>

namespace qorprt {

// The printers of the machine as the program sees them: the CUPS destinations followed by the
// built-in PDF printer. The default printer is the PDF printer when the user chose it, else the
// CUPS default, else (no CUPS default, no CUPS server) the PDF printer. When CUPS is not
// reachable, the PDF printer alone is listed; the CUPS spooler's short timeouts keep that quick.
class CombinedSpooler : public Spooler {
public:
    CombinedSpooler(std::unique_ptr<Spooler> cups, std::unique_ptr<PdfPrinterSpooler> pdf);
    // The CUPS spooler and the PDF printer with their standard settings.
    static std::unique_ptr<CombinedSpooler> CreateDefault();

    Expected<std::vector<std::string>> EnumPrinters() override;
    Expected<std::string> DefaultPrinter() override;
    Status SetDefaultPrinter(std::string_view name) override;
    Expected<PrinterHandle> OpenPrinter(std::string_view name) override;
    Expected<PrinterInfo2> GetPrinter2(PrinterHandle& printer) override;
    Status SetPrinter2(PrinterHandle& printer, const DevMode& devMode) override;
    Expected<std::vector<PaperInfo>> Papers(PrinterHandle& printer) override;
    Expected<std::vector<BinInfo>> Bins(PrinterHandle& printer) override;
    Expected<DevMode> DocumentProperties(PrinterHandle& printer, const DevMode* in) override;
    Expected<std::optional<std::string>> SaveDefaults(PrinterHandle& printer) override;
    Status RestoreDefaults(PrinterHandle& printer, const std::string& saved) override;
    Expected<int32_t> Resolution(PrinterHandle& printer) override;
    Expected<PaperMargins> Margins(PrinterHandle& printer, const DevMode& devMode) override;
    Status SubmitDocument(PrinterHandle& printer, const std::string& pdfPath,
                          const std::string& title, const DevMode& devMode) override;

    PdfPrinterSpooler& PdfPrinter() { return *pdf_; }

private:
    std::unique_ptr<Spooler> cups_;
    std::unique_ptr<PdfPrinterSpooler> pdf_;
};

} // namespace qorprt
