#pragma once

#include "platform/printing/Spooler.h"

#include <filesystem>

namespace qorprt {

// The built-in PDF printer: always there, so that every job can run on a machine without CUPS
// or without printers. It offers a fixed set of papers and bins and duplex, keeps its stored
// defaults in a small per-user file, and puts every finished document as a PDF file into its
// output folder, never overwriting an earlier file.
//
// Settings file: $XDG_CONFIG_HOME/qorva/pdfprinter.conf (~/.config/... without XDG_CONFIG_HOME),
// an INI file with the keys paper, source, duplex, orientation, copies, default and folder.
// Output folder, first found: the environment variable QORPRT_PDF_DIR, the settings file's
// "folder", ~/QorPrt-PDF. It is created when missing.
class PdfPrinterSpooler : public Spooler {
public:
    static constexpr const char* kName = "QorPrt PDF";

    // Paths may be given for tests; empty: as described above.
    explicit PdfPrinterSpooler(std::filesystem::path settingsFile = {});

    Expected<std::vector<std::string>> EnumPrinters() override;
    Expected<std::string> DefaultPrinter() override;
    Status SetDefaultPrinter(std::string_view name) override;
    Expected<PrinterHandle> OpenPrinter(std::string_view name) override;
    Expected<PrinterInfo2> GetPrinter2(PrinterHandle& printer) override;
    Status SetPrinter2(PrinterHandle& printer, const DevMode& devMode) override;
    Expected<std::vector<PaperInfo>> Papers(PrinterHandle& printer) override;
    Expected<std::vector<BinInfo>> Bins(PrinterHandle& printer) override;
    Expected<DevMode> DocumentProperties(PrinterHandle& printer, const DevMode* in) override;
    Expected<int32_t> Resolution(PrinterHandle& printer) override;
    Status SubmitDocument(PrinterHandle& printer, const std::string& pdfPath,
                          const std::string& title, const DevMode& devMode) override;

    // Whether the user made the PDF printer the default printer (the combining spooler asks).
    bool IsUserDefault() const;
    // Clears that choice (the user chose another default printer).
    Status ClearUserDefault();

    const std::filesystem::path& SettingsFile() const { return settingsFile_; }
    std::filesystem::path OutputFolder() const;

    // The files the last SubmitDocument wrote (for the log and the tests).
    const std::filesystem::path& LastOutput() const { return lastOutput_; }

    static const std::vector<PaperInfo>& FixedPapers();
    static const std::vector<BinInfo>& FixedBins();

private:
    Expected<PrintSettings> StoredSettings() const;
    Status CheckHandle(const PrinterHandle& printer) const;

    std::filesystem::path settingsFile_;
    std::filesystem::path lastOutput_;
};

// A file name for a document title: the title's last path component without quotes and with
// characters that do not belong in a file name replaced by "_"; "Dokument" when nothing is left.
std::string PdfFileStem(std::string_view title);

// Creates a new file in the folder named stem.pdf, or stem (2).pdf, stem (3).pdf, ... if that
// exists (O_EXCL, so a concurrent writer never gets the same name), and copies the source into
// it. Returns the path written.
Expected<std::filesystem::path> CopyToNewFile(const std::filesystem::path& source,
                                              const std::filesystem::path& folder,
                                              const std::string& stem);

} // namespace qorprt
