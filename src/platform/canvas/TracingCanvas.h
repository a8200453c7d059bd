#pragma once

#include "platform/canvas/Canvas.h"

#include <functional>
#include <string>

namespace qorprt {

// Text lines describing drawing operations, as the recording and tracing canvases write them
// (device pixels; texts as UTF-8 with \" and \\ escaped).
namespace trace {
// A UTF-8 text in double quotes, with \" and \\ escaped.
std::string Quoted(std::string_view utf8);
// A font style as B, I and U, or "-".
std::string StyleText(unsigned style);
std::string Text(int32_t x, int32_t y, std::string_view ansiText, const CanvasFont& font);
std::string Char(int32_t x, int32_t y, char16_t ch, const CanvasFont& font);
std::string Line(Point from, Point to, const CanvasPen& pen);
std::string Rectangle(const Rect& r, const CanvasPen& pen, const CanvasBrush& brush);
std::string Ellipse(const Rect& r, const CanvasPen& pen, const CanvasBrush& brush);
std::string Fill(const Rect& r, const CanvasBrush& brush);
std::string Picture(const Rect& r, int32_t width, int32_t height);
} // namespace trace

// Draws on another canvas and writes down every operation with the other canvas's metrics.
class TracingCanvas : public Canvas {
public:
    TracingCanvas(Canvas& inner, std::function<void(const std::string&)> sink);

    int32_t PixelsPerInch() const override { return inner_.PixelsPerInch(); }
    void TextOut(int32_t x, int32_t y, std::string_view text) override;
    void TextOutW(int32_t x, int32_t y, char16_t ch) override;
    Size TextExtent(std::string_view text) override;
    TextMetrics GetTextMetrics() override;
    void LineTo(int32_t x, int32_t y) override;
    void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    void FillRect(const Rect& rect) override;
    Rect ClipRect() const override { return inner_.ClipRect(); }
    void StretchDraw(const Rect& rect, const Image& image) override;

private:
    // Font, pen, brush and pen position are this canvas's state; the inner canvas gets them
    // before each operation.
    void Sync();

    Canvas& inner_;
    std::function<void(const std::string&)> sink_;
};

} // namespace qorprt
