#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qorprt {

// Colours as 0xRRGGBB.
using Rgb = uint32_t;
inline constexpr Rgb kBlack = 0x000000;
inline constexpr Rgb kWhite = 0xFFFFFF;
inline constexpr Rgb kRed = 0xFF0000;

enum FontStyle : unsigned { kStyleNone = 0, kStyleBold = 1, kStyleItalic = 2, kStyleUnderline = 4 };

enum class BrushStyle { Solid, Clear };

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int32_t cx = 0;
    int32_t cy = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const Rect&) const = default;
};

struct TextMetrics {
    int32_t ascent = 0;
    int32_t height = 0;
};

// The font of a canvas: name, size in points, style, colour. The device's resolution turns the
// point size into pixels as MulDiv(size, dpi, 72).
struct CanvasFont {
    std::string name;
    int32_t size = 10;
    unsigned style = kStyleNone;
    Rgb color = kBlack;
    bool defaultCharset = true;
};

struct CanvasPen {
    int32_t width = 1;
    Rgb color = kBlack;
};

struct CanvasBrush {
    BrushStyle style = BrushStyle::Solid;
    Rgb color = kWhite;
};

class Image;

// What the drawing code uses of a device canvas. The font, pen and brush are plain state that the
// drawing operations of an implementation read when they draw; the operations mirror the GDI
// calls the layout was designed for, with positions in device pixels.
class Canvas {
public:
    virtual ~Canvas() = default;

    // Font. An empty name leaves the font unchanged.
    void SetFontName(std::string_view name) {
        if (!name.empty()) font_.name = name;
    }
    const std::string& FontName() const { return font_.name; }
    void SetFontSize(int32_t points) { font_.size = points; }
    int32_t FontSize() const { return font_.size; }
    void SetFontStyle(unsigned style) { font_.style = style; }
    unsigned FontStyle() const { return font_.style; }
    void SetFontColor(Rgb color) { font_.color = color; }
    void SetFontDefaultCharset() { font_.defaultCharset = true; }
    const CanvasFont& Font() const { return font_; }

    // Pen and brush. Giving a clear brush a colour makes it solid again, as a GDI brush does.
    void SetPenWidth(int32_t width) { pen_.width = width; }
    void SetPenColor(Rgb color) { pen_.color = color; }
    const CanvasPen& Pen() const { return pen_; }
    void SetBrushStyle(BrushStyle style) { brush_.style = style; }
    void SetBrushColor(Rgb color) {
        brush_.color = color;
        brush_.style = BrushStyle::Solid;
    }
    const CanvasBrush& Brush() const { return brush_; }
    void SetTextFlags(int32_t flags) { textFlags_ = flags; }
    int32_t TextFlags() const { return textFlags_; }

    void MoveTo(int32_t x, int32_t y) { penPos_ = {x, y}; }
    Point PenPos() const { return penPos_; }

    // The device's logical resolution in pixels per inch.
    virtual int32_t PixelsPerInch() const = 0;
    // 8-bit Windows-1252 text with its cell's top-left corner at (x, y).
    virtual void TextOut(int32_t x, int32_t y, std::string_view text) = 0;
    // One UTF-16 character with its cell's top-left corner at (x, y).
    virtual void TextOutW(int32_t x, int32_t y, char16_t ch) = 0;
    virtual Size TextExtent(std::string_view text) = 0;
    virtual TextMetrics GetTextMetrics() = 0;
    // A line from the pen position to (x, y) with the pen; the pen position moves there.
    virtual void LineTo(int32_t x, int32_t y) = 0;
    // Outline with the pen, interior with the brush.
    virtual void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
    virtual void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
    // Interior only, with the brush.
    virtual void FillRect(const Rect& rect) = 0;
    virtual Rect ClipRect() const = 0;
    // The whole picture stretched into the rectangle.
    virtual void StretchDraw(const Rect& rect, const Image& image) = 0;

protected:
    void SetPenPos(Point p) { penPos_ = p; }

private:
    CanvasFont font_;
    CanvasPen pen_;
    CanvasBrush brush_;
    Point penPos_;
    int32_t textFlags_ = 0;
};

} // namespace qorprt
