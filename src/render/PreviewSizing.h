#pragma once

#include "graphics/RenderContext.h"

#include <cstdint>

namespace qorprt {

class Canvas;

// The preview image's size after a rendering, in screen pixels.
struct PreviewSize {
    int32_t height = 0;
    int32_t width = 0;
};

// The tallest preview the screen shows; below it a red notice says the view is cut.
inline constexpr int32_t kPreviewMaxHeight = 4010;

// Sizes the preview image to what was rendered on it (pages, pictures, top margin) and, where
// it is cut, writes the notice onto the canvas.
PreviewSize SizePreview(Canvas& canvas, RenderContext& ctx, int32_t ppi);

struct PreviewWindowFit {
    int32_t windowHeight = 0;
    int32_t scrollRange = 0; // 0: no scrolling
};

// Fits the main window around a preview image of `paperHeight` pixels.
PreviewWindowFit FitPreviewWindow(int32_t paperHeight, int32_t screenHeight, int32_t windowTop,
                                  int32_t windowHeight);

} // namespace qorprt
