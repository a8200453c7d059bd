#pragma once

#include "graphics/RenderContext.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qorprt {

class Canvas;

// The page set-up of a canvas: attribute counters at their page-start values, font size 10, the
// canvas's resolution and the margin offsets, and a clean font, brush and pen.
void ResetCanvas(Canvas& canvas, RenderContext& ctx);

// Turns the attribute counters and the line's base size in points (0: 12) into the canvas font.
void SetTextFont(Canvas& canvas, RenderState& state, int32_t size);

// The text with a blank between every two neighbouring characters (wide print).
std::string SpreadText(std::string_view text);

// Width in device pixels of `text` as it would be drawn; 0 for an empty text.
int32_t MeasureText(Canvas& canvas, const RenderState& state, std::string_view text);

// Draws one run of 8-bit text with its left edge at x (device pixels, without the left margin
// offset) and its baseline at y, mirrors it into the open PDF document, and returns its width in
// device pixels.
int32_t DrawTextRun(Canvas& canvas, RenderContext& ctx, std::string_view text, int32_t x,
                    int32_t y);

} // namespace qorprt
