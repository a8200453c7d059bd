#pragma once

#include "platform/printing/Spooler.h"

#include <chrono>

namespace qorprt {

class CupsConnection;

// The printers of the CUPS server that libcups talks to (CUPS_SERVER, client.conf, or the local
// scheduler). Papers and bins come from the queue's PPD (PageSize and InputSlot) or, for
// driverless queues, from the supported media and media sources; they get Windows codes (see
// PaperTables). A printer's stored defaults are the user's saved options for the destination,
// the file `lpoptions -p NAME -o ...` writes (UserOptionsFile); settings equal to the driver's own
// defaults are removed from it rather than written. SaveDefaults keeps the destination's lines of
// that file as text and RestoreDefaults writes exactly those back, with every option the device
// mode cannot hold. Neither ever writes the user's default destination.
class CupsSpooler : public Spooler {
public:
    // The connection timeout: an unreachable or hung server must not stall the program.
    explicit CupsSpooler(std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));

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
    // The PPD's ImageableArea of the paper, or, for a queue without PPD, the printer's IPP media
    // margins of its bordered medium of that size.
    Expected<PaperMargins> Margins(PrinterHandle& printer, const DevMode& devMode) override;
    Status SubmitDocument(PrinterHandle& printer, const std::string& pdfPath,
                          const std::string& title, const DevMode& devMode) override;

    // Whether the server answers at all (a quick connect).
    bool Reachable();

private:
    CupsConnection Connect();

    std::chrono::milliseconds timeout_;
    std::chrono::steady_clock::time_point downUntil_{};
};

} // namespace qorprt
