#include "platform/canvas/BarcodePainters.h"

#include "platform/canvas/Pdf417Encoder.h"

#include <QPainter>

#include <cmath>

namespace qorprt {

double PaintBars(QPainter& painter, const QPointF& topLeft, double module, double height,
                 const std::vector<BarElement>& elements, const QColor& color) {
    int64_t at = 0;       // modules from the left edge
    int64_t barStart = 0; // of the bar being gathered
    int64_t barModules = 0;
    auto flush = [&] {
        if (barModules > 0)
            painter.fillRect(QRectF(topLeft.x() + static_cast<double>(barStart) * module,
                                    topLeft.y(), static_cast<double>(barModules) * module, height),
                             color);
        barModules = 0;
    };
    for (const BarElement& e : elements) {
        if (e.bar) {
            if (barModules == 0) barStart = at;
            barModules += e.modules;
        } else {
            flush();
        }
        at += e.modules;
    }
    flush();
    return static_cast<double>(at) * module;
}

double PaintCode128Run(QPainter& painter, const QPointF& topLeft, double pixelSize,
                       std::string_view text) {
    // Modules are whole pixels of the device, also where the painter scales its coordinates.
    const QTransform device = painter.deviceTransform();
    double scale = std::hypot(device.m11(), device.m12());
    if (!(scale > 0) || !std::isfinite(scale)) scale = 1;
    const BarFontMetrics metrics = BarcodeFontMetrics(BarcodeFont::Code128, pixelSize * scale);
    std::vector<BarElement> elements;
    AppendBarElements(BarcodeFont::Code128, text, elements);
    return PaintBars(painter, topLeft, metrics.module / scale, metrics.height / scale, elements,
                     painter.pen().color());
}

void PaintPdf417Symbol(QPainter& painter, const QRectF& rect, std::string_view data, int eccLevel,
                       int columns) {
    const Pdf417Symbol symbol = EncodePdf417Symbol(data, eccLevel, columns);
    if (symbol.width <= 0 || symbol.rows.empty() || !(rect.width() > 0) || !(rect.height() > 0))
        return;
    const auto rows = static_cast<double>(symbol.rows.size());
    // Fitted to the width; a symbol that would then overflow the height is fitted to that.
    double module = rect.width() / symbol.width;
    if (rows * 3 * module > rect.height()) module = rect.height() / (rows * 3);
    const double rowHeight = 3 * module;
    const QColor color = painter.pen().color();
    std::vector<BarElement> elements;
    for (size_t r = 0; r < symbol.rows.size(); ++r) {
        elements.clear();
        for (bool bar : symbol.rows[r])
            elements.push_back({bar, 1});
        PaintBars(painter, QPointF(rect.left(), rect.top() + static_cast<double>(r) * rowHeight),
                  module, rowHeight, elements, color);
    }
}

} // namespace qorprt
