#include "platform/canvas/RecordingCanvas.h"

#include "platform/canvas/Image.h"
#include "platform/canvas/TracingCanvas.h"
#include "platform/text/Numbers.h"

namespace qorprt {

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

void RecordingCanvas::TextOut(int32_t x, int32_t y, std::string_view text) {
    Record(trace::Text(x, y, text, Font()));
}

void RecordingCanvas::TextOutW(int32_t x, int32_t y, char16_t ch) {
    Record(trace::Char(x, y, ch, Font()));
}

Size RecordingCanvas::TextExtent(std::string_view text) {
    return {Sat32(int64_t{CharWidth()} * static_cast<int64_t>(text.size())), FontPixels()};
}

TextMetrics RecordingCanvas::GetTextMetrics() {
    const int32_t px = FontPixels();
    return {Sat32(int64_t{px} * 4 / 5), px};
}

void RecordingCanvas::LineTo(int32_t x, int32_t y) {
    Record(trace::Line(PenPos(), {x, y}, Pen()));
    SetPenPos({x, y});
}

void RecordingCanvas::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Record(trace::Rectangle({left, top, right, bottom}, Pen(), Brush()));
}

void RecordingCanvas::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Record(trace::Ellipse({left, top, right, bottom}, Pen(), Brush()));
}

void RecordingCanvas::FillRect(const Rect& rect) {
    Record(trace::Fill(rect, Brush()));
}

void RecordingCanvas::StretchDraw(const Rect& rect, const Image& image) {
    Record(trace::Picture(rect, image.Width(), image.Height()));
}

} // namespace qorprt
