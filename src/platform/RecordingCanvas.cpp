#include "platform/RecordingCanvas.h"

#include "platform/Encoding.h"
#include "platform/Image.h"
#include "platform/Numbers.h"

#include <cstdio>

namespace qorprt {

namespace {

std::string Quoted(std::string_view utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

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

} // namespace

RecordingCanvas::RecordingCanvas(int32_t dpi, Rect clip) : dpi_(dpi), clip_(clip) {}

int32_t RecordingCanvas::FontPixels() const {
    return MulDiv(Font().size, dpi_, 72);
}

int32_t RecordingCanvas::CharWidth() const {
    return Sat32(int64_t{FontPixels()} * 3 / 5);
}

void RecordingCanvas::Record(std::string line) {
    if (sink_)
        sink_(line);
    else
        operations_.push_back(std::move(line));
}

std::string RecordingCanvas::FontSuffix() const {
    std::string style;
    if (Font().style & kStyleBold) style += 'B';
    if (Font().style & kStyleItalic) style += 'I';
    if (Font().style & kStyleUnderline) style += 'U';
    if (style.empty()) style = "-";
    return " font=" + Quoted(Font().name) + " size=" + std::to_string(Font().size) +
           " style=" + style;
}

std::string RecordingCanvas::BrushText() const {
    return Brush().style == BrushStyle::Clear ? std::string("clear") : Hex(Brush().color);
}

void RecordingCanvas::TextOut(int32_t x, int32_t y, std::string_view text) {
    Record("text" + Coords({x, y}) + " " + Quoted(Cp1252ToUtf8(text)) + FontSuffix());
}

void RecordingCanvas::TextOutW(int32_t x, int32_t y, char16_t ch) {
    char buf[16];
    std::snprintf(buf, sizeof buf, " U+%04X", static_cast<unsigned>(ch));
    Record("char" + Coords({x, y}) + buf + FontSuffix());
}

Size RecordingCanvas::TextExtent(std::string_view text) {
    return {Sat32(int64_t{CharWidth()} * static_cast<int64_t>(text.size())), FontPixels()};
}

TextMetrics RecordingCanvas::GetTextMetrics() {
    const int32_t px = FontPixels();
    return {Sat32(int64_t{px} * 4 / 5), px};
}

void RecordingCanvas::LineTo(int32_t x, int32_t y) {
    const Point from = PenPos();
    Record("line" + Coords({from.x, from.y, x, y}) + " pen=" + std::to_string(Pen().width));
    SetPenPos({x, y});
}

void RecordingCanvas::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Record("rect" + Coords({left, top, right, bottom}) + " pen=" + std::to_string(Pen().width) +
           " brush=" + BrushText());
}

void RecordingCanvas::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Record("ellipse" + Coords({left, top, right, bottom}) + " pen=" + std::to_string(Pen().width) +
           " brush=" + BrushText());
}

void RecordingCanvas::FillRect(const Rect& rect) {
    Record("fill" + Coords({rect.left, rect.top, rect.right, rect.bottom}) +
           " brush=" + Hex(Brush().color));
}

void RecordingCanvas::StretchDraw(const Rect& rect, const Image& image) {
    Record("image" + Coords({rect.left, rect.top, rect.right, rect.bottom}) +
           " source=" + std::to_string(image.Width()) + "x" + std::to_string(image.Height()));
}

} // namespace qorprt
