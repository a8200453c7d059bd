#pragma once

#include <functional>
#include <string_view>

class QPainter;
class QPointF;
class QRectF;

namespace qorprt {

// The bars of the two barcodes, drawn on the PDF engine's painter. The engine draws text in the
// font "Code 128" and its PDF417 symbols with these; they are handed to it when it is made.
struct BarcodePainters {
    // Draws `text` in the built-in Code 128 font as bars with the text cell's top-left corner at
    // topLeft; pixelSize is the font's em height in the painter's device units; returns the
    // width drawn.
    std::function<double(QPainter&, const QPointF& topLeft, double pixelSize,
                         std::string_view text)>
        code128;
    // Draws a PDF417 symbol of the raw data as vector bars, fitted to the rectangle's width, rows
    // at least three modules high.
    std::function<void(QPainter&, const QRectF& rect, std::string_view data, int eccLevel,
                       int columns)>
        pdf417;
};

// The program's own painters: the built-in barcode fonts' bars (platform/canvas).
BarcodePainters BuiltInBarcodePainters();

} // namespace qorprt
