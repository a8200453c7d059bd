#pragma once

#include "graphics/RenderContext.h"
#include "graphics/RuleForm.h"

#include <cstdint>

namespace qorprt {

class Canvas;

// Device pixels of layout positions: x in 1/120 inch from the left margin, y in 1/60 inch from
// the page top (the page offset is added).
int32_t PixelX(const RenderState& state, int64_t x);
int32_t PixelY(const RenderState& state, int64_t y);

// A line between two layout positions, on the canvas and in the open PDF document.
void DrawLine(Canvas& canvas, RenderContext& ctx, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// A filled black bar or an outlined box, `columns` cells of 12 units wide and `rows` half lines of
// 5 units high, with its top-left corner near (x, y).
void DrawBox(Canvas& canvas, RenderContext& ctx, int32_t x, int32_t y, int32_t columns,
             int32_t rows, bool filled);

// One box-drawing character (code page 437 code) in the cell at the column and line position;
// the column advances by one cell.
void DrawBoxChar(Canvas& canvas, RenderContext& ctx, int32_t code);

// A horizontal rule over `count` cells from the column position; the column advances by its
// length. `count` is the tag's number text.
void DrawRule(Canvas& canvas, RenderContext& ctx, RuleForm form, std::string_view count);

} // namespace qorprt
