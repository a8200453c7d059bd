#pragma once

#include "platform/canvas/BarcodeFonts.h"

#include <QColor>
#include <QPointF>
#include <QRectF>

#include <string_view>
#include <vector>

class QPainter;

namespace qorprt {

// Fills the bars of `elements` left to right from `topLeft`, each element `module` units wide
// per module and `height` high, in `color`; returns the width of all elements. Neighbouring
// bars are filled as one. Whole-unit positions give crisp bars on images.
double PaintBars(QPainter& painter, const QPointF& topLeft, double module, double height,
                 const std::vector<BarElement>& elements, const QColor& color);

// The painters the PDF engine is given. Both draw in the painter's pen colour, as text is
// drawn; PaintPdf417Symbol raises EBarcodeError for data zint cannot encode, as the canvas does.

// Draws `text` in the built-in Code 128 font as bars with the text cell's top-left corner at
// topLeft; pixelSize is the font's em height in the painter's device units; returns the width
// drawn. Modules are whole device pixels by the same rule as the canvas's, so the bars match the
// printed page drawn at the same resolution (under a scaling painter, whole pixels of its
// device).
double PaintCode128Run(QPainter& painter, const QPointF& topLeft, double pixelSize,
                       std::string_view text);

// Draws a PDF417 symbol of the raw data as vector bars, fitted to the rectangle's width, rows
// at least three modules high.
void PaintPdf417Symbol(QPainter& painter, const QRectF& rect, std::string_view data, int eccLevel,
                       int columns);

} // namespace qorprt
