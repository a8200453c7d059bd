#pragma once

#include "graphics/JobSettings.h"
#include "graphics/RenderState.h"
#include "pdf/PdfOutput.h"
#include "platform/canvas/Canvas.h"

namespace qorprt {

class BitmapCanvas;
class PrintTarget;

// Everything one rendering works on: the interpreter's state, the job's settings, the open PDF
// document and, when printing, the printer document.
struct RenderContext {
    RenderState& state;
    JobSettings& job;
    PdfState& pdf;
    PrintTarget* printer = nullptr; // set while printing
    Point printerOffset;            // the printer's unprintable edge, device pixels
    bool spoolFailed = false;       // a printer document of this rendering was refused
    int32_t previewHeight = 0;      // the preview image's size after a preview rendering
    int32_t previewWidth = 0;
    BitmapCanvas* scratch = nullptr; // the scratch image barcodes are drawn on; may be null
};

} // namespace qorprt
