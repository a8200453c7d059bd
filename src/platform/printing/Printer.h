#pragma once

#include "platform/canvas/Canvas.h"
#include "platform/printing/DevMode.h"
#include "platform/printing/PrinterSelection.h"
#include "platform/printing/Spooler.h"
#include "platform/system/Expected.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPdfWriter;

namespace qorprt {

// The unprintable margins of the page as it stands, in device pixels.
struct PrintableMargins {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// Makes the drawing canvas of a spool document: it draws on the writer at the given resolution.
using CanvasFactory = std::function<std::unique_ptr<Canvas>(QPdfWriter&, int32_t dpi)>;

// The printer object the job logic drives (the VCL TPrinter): a current printer chosen from the
// spooler's list, a device mode taken up from it, and one document at a time, spooled as a PDF
// at the printer's resolution with the device mode's paper and orientation as its page, and
// submitted to the spooler when it ends. As a Windows printer's canvas does, the canvas starts at
// the corner of the printable area and covers that area (the spooler's unprintable margins of
// the paper); nothing is scaled, and PhysicalOffset says where that corner lies on the paper.
//
// The canvas returned by Canvas() is the same object for the printer's whole life, as the VCL
// canvas is: the document driver takes it before BeginDoc. Between documents it measures and
// draws on a scratch document of the current printer; during a document it draws on the spool
// document.
class Printer : public PrinterSelection {
public:
    Printer(Spooler& spooler, CanvasFactory canvasFactory);
    ~Printer();
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    // The installed printers (cached until Refresh).
    const std::vector<std::string>& Printers();
    // The current printer's index in Printers(); before any choice the default printer's.
    // Raises EPrinter when no printer is current and there is no default printer.
    int32_t PrinterIndex();
    // -1 chooses the default printer. Raises EPrinter while printing or for an index outside
    // the list. A device mode taken up earlier is dropped: the printer's stored defaults apply.
    void SetPrinterIndex(int32_t index) override;
    bool Printing() const override { return document_ != nullptr; }

    // Makes the named printer current and takes up the device mode; none given: the printer's
    // stored defaults as they are now. Driver and port are accepted for the VCL signature and
    // not used. Raises EPrinter while printing or for a printer the spooler cannot open.
    void SetPrinter(const std::string& device, const std::string& driver, const std::string& port,
                    const DevMode* devMode);
    // Forgets the cached printer list and fonts; the current printer stays current.
    void Refresh();
    // The fonts the printer can use, as 8-bit names: the machine's (InstalledFontNames, the
    // metric twins' Windows names and the built-in barcode fonts included).
    const std::vector<std::string>& Fonts();

    // The name the document is spooled under (8-bit, Windows-1252).
    std::string Title;

    // Starts a document. Raises EPrinter while printing, with no printer, or when the spool
    // document cannot be created.
    void BeginDoc();
    // Ends the document and submits it with the device mode. Raises EPrinter when not printing.
    // A spool document that did not come out whole (a full temporary folder) is not submitted;
    // that and a failed submission are returned (and kept in LastError()), and the document is
    // gone anyway. Spool documents are files in the temporary folder (QDir::tempPath()).
    Status EndDoc();
    // Discards the document. Raises EPrinter when not printing.
    void Abort();
    // Starts the next page. Raises EPrinter when not printing.
    void NewPage();
    int32_t PageNumber() const { return pageNumber_; }

    qorprt::Canvas& Canvas();
    // The resolution and page size in pixels of the current printer and device mode.
    int32_t Dpi();
    int32_t PageWidth();
    int32_t PageHeight();
    // The printable area's corner on the paper, in device pixels (GetDeviceCaps PHYSICALOFFSETX
    // and PHYSICALOFFSETY); (0, 0) for a printer that prints to the edge.
    Point PhysicalOffset();
    // The device mode a document will be printed with.
    DevMode CurrentDevMode();
    const std::string& LastError() const { return lastError_; }

    class Document;
    class ProxyCanvas;

private:
    std::string CurrentName();
    // The canvas the proxy draws on: the document's, or the scratch document's.
    qorprt::Canvas& Target();
    void TakeUpDevMode();
    PrintableMargins Unprintable();
    void ResetScratch();

    Spooler& spooler_;
    CanvasFactory factory_;
    std::optional<std::vector<std::string>> printers_;
    std::optional<std::vector<std::string>> fonts_;
    std::string current_;            // empty: none chosen yet
    std::optional<DevMode> devMode_; // taken up for current_
    std::optional<int32_t> dpi_;
    std::optional<PaperMargins> margins_; // of the device mode's paper, upright
    std::vector<PaperInfo> papers_;
    std::unique_ptr<Document> document_;
    std::unique_ptr<Document> scratch_;
    std::unique_ptr<ProxyCanvas> canvas_;
    int32_t pageNumber_ = 0;
    std::string lastError_;
};

// Removes this user's spool documents in the temporary folder that no running instance holds
// (an instance holds a lock on each of its own while it uses it).
void RemoveAbandonedSpoolFiles();

} // namespace qorprt
