#pragma once

#include "graphics/RenderContext.h"

#include <string_view>

namespace qorprt {

class Canvas;

// Interprets one line of a PRT file (without its CR LF) on the canvas: its fields, command words,
// position, and the text pieces between its inline tags. Raises EConvertError for a command
// field whose "PDF" column count after "Sp" is no digit.
void RenderLine(Canvas& canvas, RenderContext& ctx, std::string_view line, bool printing);

} // namespace qorprt
