#pragma once

#include "platform/canvas/Canvas.h"
#include "platform/canvas/Image.h"

namespace qorprt {

// A canvas on an off-screen bitmap of its own, whose size the drawing code sets: the main
// window's scratch image, on which barcodes are drawn before they are stretched onto a page.
class BitmapCanvas : public Canvas {
public:
    // A new size keeps the pixels that lie inside both sizes; the new ones are white.
    virtual void SetBitmapSize(int32_t width, int32_t height) = 0;
    virtual Size BitmapSize() const = 0;
    // The bitmap's pixels as they are now.
    virtual Image Picture() = 0;
};

} // namespace qorprt
