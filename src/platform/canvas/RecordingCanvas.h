#pragma once

#include "platform/canvas/Canvas.h"

#include <functional>
#include <string>
#include <vector>

namespace qorprt {

// A canvas that draws nothing and writes down every drawing operation as one line of text, with
// simple fixed metrics so that anyone can work out expected positions by hand: for the font size
// in points, px = MulDiv(size, dpi, 72); every character is px * 3 / 5 pixels wide, the ascent is
// px * 4 / 5 and the height px. Used by the tests and the trace tool.
//
// Line formats (device pixels, texts as UTF-8 with \" and \\ escaped):
//   text X Y "TEXT" font="NAME" size=S style=STYLE
//   char X Y U+XXXX font="NAME" size=S style=STYLE
//   line X1 Y1 X2 Y2 pen=W
//   rect L T R B pen=W brush=clear|#RRGGBB
//   fill L T R B brush=#RRGGBB
//   ellipse L T R B pen=W brush=clear|#RRGGBB
//   image L T R B source=WxH
class RecordingCanvas : public Canvas {
public:
    explicit RecordingCanvas(int32_t dpi = 96, Rect clip = {0, 0, 5000, 5000});

    // Every operation goes to the sink; without one they are collected in Operations().
    void SetSink(std::function<void(const std::string&)> sink) { sink_ = std::move(sink); }
    const std::vector<std::string>& Operations() const { return operations_; }
    void Clear() { operations_.clear(); }

    // The character width and the ascent of the current font, in pixels.
    int32_t CharWidth() const;
    int32_t FontPixels() const;

    int32_t PixelsPerInch() const override { return dpi_; }
    void TextOut(int32_t x, int32_t y, std::string_view text) override;
    void TextOutW(int32_t x, int32_t y, char16_t ch) override;
    Size TextExtent(std::string_view text) override;
    TextMetrics GetTextMetrics() override;
    void LineTo(int32_t x, int32_t y) override;
    void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    void FillRect(const Rect& rect) override;
    Rect ClipRect() const override { return clip_; }
    void StretchDraw(const Rect& rect, const Image& image) override;

private:
    void Record(std::string line);

    int32_t dpi_;
    Rect clip_;
    std::function<void(const std::string&)> sink_;
    std::vector<std::string> operations_;
};

} // namespace qorprt
