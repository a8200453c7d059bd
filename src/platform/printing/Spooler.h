#pragma once

#include "platform/printing/DevMode.h"
#include "platform/printing/PaperTables.h"
#include "platform/system/Expected.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qorprt {

// What a spooler keeps for an open printer; each spooler derives its own.
class PrinterHandleState {
public:
    virtual ~PrinterHandleState() = default;
};

// An open printer (OpenPrinter .. ClosePrinter): closed when it goes out of scope.
class PrinterHandle {
public:
    PrinterHandle() = default;
    PrinterHandle(std::string name, std::unique_ptr<PrinterHandleState> state)
        : name_(std::move(name)), state_(std::move(state)) {}

    bool IsOpen() const { return state_ != nullptr; }
    const std::string& Name() const { return name_; }
    void Close() { state_.reset(); }

    // The spooler's own state; nullptr when the handle is closed or belongs to another spooler.
    template <class T> T* State() const { return dynamic_cast<T*>(state_.get()); }

private:
    std::string name_;
    std::unique_ptr<PrinterHandleState> state_;
};

// Level-2 printer information: what the printer-property logic reads of PRINTER_INFO_2.
struct PrinterInfo2 {
    std::string printerName;
    std::string portName;           // the device URI, or the spooler's own port name
    std::string driverName;         // make and model
    std::optional<DevMode> devMode; // the stored defaults
};

// The part of a paper a printer cannot print on: its margins in hundredths of a millimetre, with
// the paper upright (portrait).
struct PaperMargins {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const PaperMargins&) const = default;
};

// The winspool operations the job logic needs, in the terms of this platform. Printer names are
// UTF-8. Every operation can fail and says why; none throws and none blocks for long.
class Spooler {
public:
    virtual ~Spooler() = default;

    // The names of the installed printers, in a stable order.
    virtual Expected<std::vector<std::string>> EnumPrinters() = 0;
    // The default printer; fails when there is none.
    virtual Expected<std::string> DefaultPrinter() = 0;
    // Makes the printer the user's default printer.
    virtual Status SetDefaultPrinter(std::string_view name) = 0;

    // Fails for a printer that does not exist.
    virtual Expected<PrinterHandle> OpenPrinter(std::string_view name) = 0;
    virtual Expected<PrinterInfo2> GetPrinter2(PrinterHandle& printer) = 0;
    // Stores the device mode's flagged fields as the printer's defaults (level-2 SetPrinter).
    // Values the printer does not offer are left as they were.
    virtual Status SetPrinter2(PrinterHandle& printer, const DevMode& devMode) = 0;
    // DeviceCapabilities DC_PAPERS, DC_PAPERNAMES and DC_PAPERSIZE in one list.
    virtual Expected<std::vector<PaperInfo>> Papers(PrinterHandle& printer) = 0;
    // DeviceCapabilities DC_BINS and DC_BINNAMES in one list.
    virtual Expected<std::vector<BinInfo>> Bins(PrinterHandle& printer) = 0;
    // DocumentProperties: the printer's stored defaults, with the flagged fields of `in` merged
    // in where the printer offers them (DM_IN_BUFFER | DM_OUT_BUFFER); `in` null: DM_OUT_BUFFER.
    virtual Expected<DevMode> DocumentProperties(PrinterHandle& printer, const DevMode* in) = 0;
    // The printer's stored defaults in full, in the spooler's own form, for RestoreDefaults:
    // also what a device mode cannot hold (custom sizes, colour modes, driver options). None
    // (the default) when the device mode holds them all and SetPrinter2 gives them back.
    virtual Expected<std::optional<std::string>> SaveDefaults(PrinterHandle& printer);
    // Gives the printer back exactly the stored defaults that SaveDefaults returned for it.
    virtual Status RestoreDefaults(PrinterHandle& printer, const std::string& saved);
    // The printer's resolution in dots per inch.
    virtual Expected<int32_t> Resolution(PrinterHandle& printer) = 0;
    // The unprintable margins of the paper the device mode selects (the printer's stored default
    // paper where it selects none). None (the default) for a printer that prints to the edge.
    virtual Expected<PaperMargins> Margins(PrinterHandle& printer, const DevMode& devMode);
    // Spools a finished PDF document under the title with the device mode's settings; the
    // printer's stored defaults fill in what the device mode does not flag.
    virtual Status SubmitDocument(PrinterHandle& printer, const std::string& pdfPath,
                                  const std::string& title, const DevMode& devMode) = 0;
};

// The stored settings of a printer as the spoolers keep them.
struct PrintSettings {
    int16_t paper = DMPAPER_A4;
    int16_t source = DMBIN_AUTO;
    int16_t duplex = DMDUP_SIMPLEX;
    int16_t orientation = DMORIENT_PORTRAIT;
    int16_t copies = 1;
    bool operator==(const PrintSettings&) const = default;
};

DevMode ToDevMode(std::string_view printerName, const PrintSettings& settings);

// The settings with the device mode's flagged fields taken over where they are valid for a
// printer with these papers and bins (an unknown paper or bin code keeps the setting).
PrintSettings MergeDevMode(PrintSettings settings, const DevMode& devMode,
                           const std::vector<PaperInfo>& papers, const std::vector<BinInfo>& bins);

const PaperInfo* FindPaper(const std::vector<PaperInfo>& papers, int16_t code);
const BinInfo* FindBin(const std::vector<BinInfo>& bins, int16_t code);

// A custom paper size the device mode asks for (DM_PAPERLENGTH and DM_PAPERWIDTH, both
// positive), in tenths of a millimetre.
std::optional<std::pair<int32_t, int32_t>> CustomPaperSize(const DevMode& devMode);

} // namespace qorprt
