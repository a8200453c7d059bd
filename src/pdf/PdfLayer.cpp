#include "pdf/PdfLayer.h"

#include "platform/printing/Printer.h"

namespace qorprt {

PdfPageFormat PageFormatOf(Printer& printer) {
    const int32_t dpi = printer.Dpi();
    const double mmPerPixel = 25.4 / dpi;
    return {printer.PageWidth() * mmPerPixel, printer.PageHeight() * mmPerPixel, dpi};
}

PdfLayer::PdfLayer(PageFormatSource pageFormat, BarcodePainters painters, ShowFile show)
    : engine_(std::move(pageFormat), std::move(painters)), layer_(engine_, std::move(show)) {}

PdfLayer::PdfLayer(Printer& printer, BarcodePainters painters, ShowFile show)
    : PdfLayer([&printer] { return PageFormatOf(printer); }, std::move(painters), std::move(show)) {
}

} // namespace qorprt
