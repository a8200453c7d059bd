#pragma once

#include "pdf/BarcodePainters.h"
#include "pdf/QpeLayer.h"
#include "pdf/QtPdfEngine.h"

namespace qorprt {

class Printer;

// The page format of the printer's current document: its paper and orientation as the device
// mode it took up gives them, and its resolution.
PdfPageFormat PageFormatOf(Printer& printer);

// The program's PDF output: the QPE layer over the engine on QPdfWriter. The program puts
// Output() into its PdfState; each PDF document takes the page format that the source gives
// when it is begun.
class PdfLayer {
public:
    explicit PdfLayer(PageFormatSource pageFormat,
                      BarcodePainters painters = BuiltInBarcodePainters(), ShowFile show = {});
    // Pages like the documents the printer prints.
    explicit PdfLayer(Printer& printer, BarcodePainters painters = BuiltInBarcodePainters(),
                      ShowFile show = {});
    PdfLayer(const PdfLayer&) = delete;
    PdfLayer& operator=(const PdfLayer&) = delete;

    PdfOutput& Output() { return layer_; }

private:
    QtPdfEngine engine_;
    QpeLayer layer_;
};

} // namespace qorprt
