#pragma once

#include "platform/canvas/BitmapCanvas.h"

#include <QImage>

#include <memory>

namespace qorprt {

class QtCanvas;

// The screen's logical resolution, 96 where there is no screen.
int32_t ScreenPixelsPerInch();

// The scratch image `PrtImg`: an off-screen image with a Qt canvas at screen resolution, as
// the main window keeps one hidden. It starts 1 x 1 pixel, white.
class ScratchImage : public BitmapCanvas {
public:
    explicit ScratchImage(int32_t dpi = ScreenPixelsPerInch());
    ~ScratchImage() override;
    ScratchImage(const ScratchImage&) = delete;
    ScratchImage& operator=(const ScratchImage&) = delete;

    // Sides beyond 32767 pixels are cut to that, below 1 pixel they become 1, and the height
    // is cut to keep the image within 32 million pixels.
    void SetBitmapSize(int32_t width, int32_t height) override;
    Size BitmapSize() const override;
    Image Picture() override;

    int32_t PixelsPerInch() const override { return dpi_; }
    void TextOut(int32_t x, int32_t y, std::string_view text) override;
    void TextOutW(int32_t x, int32_t y, char16_t ch) override;
    Size TextExtent(std::string_view text) override;
    TextMetrics GetTextMetrics() override;
    void LineTo(int32_t x, int32_t y) override;
    void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    void FillRect(const Rect& rect) override;
    Rect ClipRect() const override;
    void StretchDraw(const Rect& rect, const Image& image) override;

private:
    // The Qt canvas draws with this canvas's font, pen and brush.
    QtCanvas& Synced();

    int32_t dpi_;
    QImage image_;
    std::unique_ptr<QtCanvas> canvas_;
};

} // namespace qorprt
