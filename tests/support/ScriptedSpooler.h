#pragma once

#include "platform/printing/Spooler.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qorprt::test {

// A spooler whose printers are scripted by the test: their papers and bins, their stored
// defaults (or none), and which calls they refuse. It records what it was asked and what was
// stored, so a test can check the exact device modes the printer-property logic sends.
class ScriptedSpooler : public Spooler {
public:
    struct Printer {
        std::vector<PaperInfo> papers = {{9, "A4", 2100, 2970}, {11, "A5", 1480, 2100}};
        std::vector<BinInfo> bins = {{7, "Automatisch"}, {1, "Fach 1"}, {2, "Fach 2"}};
        // The stored defaults GetPrinter2 reports; none: a printer without a device mode.
        std::optional<DevMode> stored;
        // What DocumentProperties without input gives (the driver's own defaults).
        DevMode driverDefault;
        std::string portName = "LPT1:";
        // What SaveDefaults reports (a spooler that keeps more than the device mode holds);
        // none: the device mode holds it all.
        std::optional<std::string> fullDefaults;

        // Refusals with the error code the call fails with; 0: the call succeeds.
        int32_t refuseOpen = 0;
        int32_t refuseGetPrinter2 = 0;
        int32_t refuseSetPrinter2 = 0;
        int32_t refuseDriverDefault = 0; // DocumentProperties without input
        int32_t refuseMerge = 0;         // DocumentProperties with input
        int32_t refusePapers = 0;
        int32_t refuseBins = 0;
        int32_t refuseSubmit = 0;
        int32_t refuseRestore = 0; // RestoreDefaults
    };

    // Adds a printer with stored defaults: A4, automatic source, simplex, portrait.
    Printer& Add(const std::string& name);

    Printer& operator[](const std::string& name) { return printers.at(name); }

    std::map<std::string, Printer> printers;
    std::vector<std::string> defaultOrder; // EnumPrinters' order
    bool noDefault = false;                // no printer is the default until one is set

    // What was asked and stored.
    std::vector<std::string> opened;                     // every OpenPrinter name, refused ones too
    std::vector<DevMode> mergeInputs;                    // DocumentProperties inputs
    std::vector<std::pair<std::string, DevMode>> stores; // successful SetPrinter2 calls
    std::vector<std::pair<std::string, std::string>> restores; // successful RestoreDefaults
    int32_t openHandles = 0;                                   // handles not yet closed
    std::vector<std::string> defaultsSet;                      // SetDefaultPrinter calls
    std::vector<std::string> submitted;                        // titles of accepted documents

    Expected<std::vector<std::string>> EnumPrinters() override;
    Expected<std::string> DefaultPrinter() override;
    Status SetDefaultPrinter(std::string_view name) override;
    Expected<PrinterHandle> OpenPrinter(std::string_view name) override;
    Expected<PrinterInfo2> GetPrinter2(PrinterHandle& printer) override;
    Status SetPrinter2(PrinterHandle& printer, const DevMode& devMode) override;
    Expected<std::vector<PaperInfo>> Papers(PrinterHandle& printer) override;
    Expected<std::vector<BinInfo>> Bins(PrinterHandle& printer) override;
    // With input: the input as the driver accepts it; a flagged paper or source the printer does
    // not offer keeps the stored value, as a driver's validation does.
    Expected<DevMode> DocumentProperties(PrinterHandle& printer, const DevMode* in) override;
    Expected<std::optional<std::string>> SaveDefaults(PrinterHandle& printer) override;
    Status RestoreDefaults(PrinterHandle& printer, const std::string& saved) override;
    Expected<int32_t> Resolution(PrinterHandle& printer) override;
    Status SubmitDocument(PrinterHandle& printer, const std::string& pdfPath,
                          const std::string& title, const DevMode& devMode) override;

private:
    Expected<Printer*> Find(const PrinterHandle& printer);
};

} // namespace qorprt::test
