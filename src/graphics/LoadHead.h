#pragma once

#include "graphics/RenderContext.h"

#include <cstdint>
#include <string>

namespace qorprt {

class Canvas;

// Finds, loads and draws a picture file (BMP, GIF, PNG) as a 300 dpi picture at (x, y) layout
// units from the job's background offsets, measured from the paper's edge, and places it in the
// open PDF document. Remembers the picture's size for the line interpreter.
void LoadHead(Canvas& canvas, RenderContext& ctx, const std::string& fileName, int32_t x, int32_t y,
              bool printing);

} // namespace qorprt
