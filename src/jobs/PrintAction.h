#pragma once

#include "render/DocumentDriver.h"

namespace qorprt {

class BitmapCanvas;
class Printer;
class PrinterProperties;
struct JobSettings;
struct PdfState;
struct RenderState;

// Prints the current job: the PRT file on the printer selected in DruListe, with the selected
// paper and bin and the job's orientation and duplex written into the printer's defaults for
// the time of the print. The defaults are restored on every path. Returns how the rendering
// ended, so that a refused document is not taken for printed. `scratch` is the main window's
// scratch image `PrtImg`, which barcodes are drawn on.
RenderResult AusdruckClick(JobSettings& job, PrinterProperties& properties, Printer& printer,
                           RenderState& state, PdfState& pdf, BitmapCanvas* scratch = nullptr);

} // namespace qorprt
