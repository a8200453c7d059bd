#include "platform/canvas/TracingCanvas.h"

#include "platform/canvas/Image.h"
#include "platform/text/Encoding.h"

#include <cstdio>

namespace qorprt {

namespace trace {

std::string Quoted(std::string_view utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

std::string StyleText(unsigned style) {
    std::string out;
    if (style & kStyleBold) out += 'B';
    if (style & kStyleItalic) out += 'I';
    if (style & kStyleUnderline) out += 'U';
    return out.empty() ? std::string("-") : out;
}

namespace {

std::string Hex(Rgb color) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%06X", static_cast<unsigned>(color & 0xFFFFFF));
    return buf;
}

std::string Coords(std::initializer_list<int32_t> values) {
    std::string out;
    for (int32_t v : values) {
        out.push_back(' ');
        out += std::to_string(v);
    }
    return out;
}

std::string FontSuffix(const CanvasFont& font) {
    return " font=" + Quoted(font.name) + " size=" + std::to_string(font.size) +
           " style=" + StyleText(font.style);
}

std::string BrushText(const CanvasBrush& brush) {
    return brush.style == BrushStyle::Clear ? std::string("clear") : Hex(brush.color);
}

} // namespace

std::string Text(int32_t x, int32_t y, std::string_view ansiText, const CanvasFont& font) {
    return "text" + Coords({x, y}) + " " + Quoted(Cp1252ToUtf8(ansiText)) + FontSuffix(font);
}

std::string Char(int32_t x, int32_t y, char16_t ch, const CanvasFont& font) {
    char buf[16];
    std::snprintf(buf, sizeof buf, " U+%04X", static_cast<unsigned>(ch));
    return "char" + Coords({x, y}) + buf + FontSuffix(font);
}

std::string Line(Point from, Point to, const CanvasPen& pen) {
    return "line" + Coords({from.x, from.y, to.x, to.y}) + " pen=" + std::to_string(pen.width);
}

std::string Rectangle(const Rect& r, const CanvasPen& pen, const CanvasBrush& brush) {
    return "rect" + Coords({r.left, r.top, r.right, r.bottom}) +
           " pen=" + std::to_string(pen.width) + " brush=" + BrushText(brush);
}

std::string Ellipse(const Rect& r, const CanvasPen& pen, const CanvasBrush& brush) {
    return "ellipse" + Coords({r.left, r.top, r.right, r.bottom}) +
           " pen=" + std::to_string(pen.width) + " brush=" + BrushText(brush);
}

std::string Fill(const Rect& r, const CanvasBrush& brush) {
    return "fill" + Coords({r.left, r.top, r.right, r.bottom}) + " brush=" + Hex(brush.color);
}

std::string Picture(const Rect& r, int32_t width, int32_t height) {
    return "image" + Coords({r.left, r.top, r.right, r.bottom}) +
           " source=" + std::to_string(width) + "x" + std::to_string(height);
}

} // namespace trace

TracingCanvas::TracingCanvas(Canvas& inner, std::function<void(const std::string&)> sink)
    : inner_(inner), sink_(std::move(sink)) {
    SetFontName(inner.FontName());
    SetFontSize(inner.FontSize());
}

void TracingCanvas::Sync() {
    const CanvasFont& font = Font();
    inner_.SetFontName(font.name);
    inner_.SetFontSize(font.size);
    inner_.SetFontStyle(font.style);
    inner_.SetFontColor(font.color);
    inner_.SetPenWidth(Pen().width);
    inner_.SetPenColor(Pen().color);
    inner_.SetBrushColor(Brush().color);
    inner_.SetBrushStyle(Brush().style);
    inner_.SetTextFlags(TextFlags());
    inner_.MoveTo(PenPos().x, PenPos().y);
}

void TracingCanvas::TextOut(int32_t x, int32_t y, std::string_view text) {
    Sync();
    sink_(trace::Text(x, y, text, Font()));
    inner_.TextOut(x, y, text);
}

void TracingCanvas::TextOutW(int32_t x, int32_t y, char16_t ch) {
    Sync();
    sink_(trace::Char(x, y, ch, Font()));
    inner_.TextOutW(x, y, ch);
}

Size TracingCanvas::TextExtent(std::string_view text) {
    Sync();
    return inner_.TextExtent(text);
}

TextMetrics TracingCanvas::GetTextMetrics() {
    Sync();
    return inner_.GetTextMetrics();
}

void TracingCanvas::LineTo(int32_t x, int32_t y) {
    Sync();
    sink_(trace::Line(PenPos(), {x, y}, Pen()));
    inner_.LineTo(x, y);
    SetPenPos({x, y});
}

void TracingCanvas::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Sync();
    sink_(trace::Rectangle({left, top, right, bottom}, Pen(), Brush()));
    inner_.Rectangle(left, top, right, bottom);
}

void TracingCanvas::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Sync();
    sink_(trace::Ellipse({left, top, right, bottom}, Pen(), Brush()));
    inner_.Ellipse(left, top, right, bottom);
}

void TracingCanvas::FillRect(const Rect& rect) {
    Sync();
    sink_(trace::Fill(rect, Brush()));
    inner_.FillRect(rect);
}

void TracingCanvas::StretchDraw(const Rect& rect, const Image& image) {
    Sync();
    sink_(trace::Picture(rect, image.Width(), image.Height()));
    inner_.StretchDraw(rect, image);
}

} // namespace qorprt
