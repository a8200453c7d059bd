#pragma once

#include "graphics/RenderContext.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qorprt {

class Canvas;

// The PDF417 encoder: the rows of the symbol of `data` (its bytes as they are; error-correction
// level 4, `columns` data columns, 7 when 0 or less, as many rows as the data needs, not
// truncated, no forced binary compaction) as text in the PDF417 font's code, each row ended by
// CR LF. Raises EBarcodeError when the data cannot be encoded.
std::string EncodePdf417(std::string_view data, int32_t columns);

// A text run in the PDF417 font: draws the symbol of `text` (left edge x without the left margin
// offset, first row's baseline y, device pixels), hands the raw data to the open PDF document,
// and returns the width of the first row at 12 points on the scratch image. Below 6 points the
// rows are drawn on the scratch image and stretched onto the canvas.
int32_t DrawPdf417Run(Canvas& canvas, RenderContext& ctx, std::string_view text, int32_t x,
                      int32_t y);

} // namespace qorprt
