#pragma once

#include "graphics/RenderContext.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qorprt {

class BitmapCanvas;
class Canvas;
class PrintTarget;

// What the document driver needs from its surroundings besides the canvas.
class DocumentHost {
public:
    virtual ~DocumentHost() = default;
    // The installed font names: the printer's (after it was refreshed) or the screen's.
    virtual std::vector<std::string> FontNames(bool printing) = 0;
    // The message box for a file that cannot be opened (preview only).
    virtual void ShowOpenError(const std::string& message) = 0;
    // The printer document, in print mode.
    virtual PrintTarget* Printer() = 0;
    // The off-screen image `PrtImg` barcodes are drawn on; may be null.
    virtual BitmapCanvas* ScratchCanvas() = 0;
    // The printer's unprintable edge in device pixels.
    virtual Point PrinterOffset() = 0;
    // major * 10 + minor of the system version the program reports (62 and above: modern).
    virtual int32_t WindowsVersion() = 0;
};

enum class RenderResult {
    Rendered,   // the file was rendered (and, when printing, accepted by the spooler)
    NotOpened,  // the file could not be opened; nothing was begun
    SpoolFailed // the spooler refused a printer document
};

// Lines longer than this are cut; the rest of such a line is dropped with a log line.
inline constexpr size_t kMaxLineBytes = 1 << 20;

// Renders a PRT file on the printer's canvas (`printing`) or on the preview's.
RenderResult RenderDocument(Canvas& canvas, RenderContext& ctx, DocumentHost& host,
                            std::string fileName, bool printing);

} // namespace qorprt
