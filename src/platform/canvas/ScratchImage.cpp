#include "platform/canvas/ScratchImage.h"

#include "platform/canvas/QtCanvas.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace qorprt {

namespace {

constexpr int32_t kMaxSide = 32767;
// A scratch image holds one barcode; its height follows the target's resolution, which a
// printer reports and must not be able to turn into gigabytes.
constexpr int64_t kMaxPixels = int64_t{1} << 25;

int32_t Side(int32_t pixels) {
    return std::clamp(pixels, 1, kMaxSide);
}

} // namespace

int32_t ScreenPixelsPerInch() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const auto dpi = static_cast<int32_t>(std::lround(screen->logicalDotsPerInchY()));
            if (dpi > 0) return dpi;
        }
    return 96;
}

ScratchImage::ScratchImage(int32_t dpi)
    : dpi_(dpi > 0 ? dpi : 96), image_(NewCanvasImage(1, 1, dpi_)),
      canvas_(std::make_unique<QtCanvas>(image_, dpi_)) {}

ScratchImage::~ScratchImage() = default;

void ScratchImage::SetBitmapSize(int32_t width, int32_t height) {
    width = Side(width);
    height = Side(height);
    height = static_cast<int32_t>(std::min<int64_t>(height, kMaxPixels / width));
    if (width == image_.width() && height == image_.height()) return;
    canvas_->End();
    QImage resized = NewCanvasImage(width, height, dpi_);
    {
        QPainter painter(&resized);
        painter.drawImage(0, 0, image_);
    }
    image_ = std::move(resized);
    canvas_->Rebind(image_);
}

Size ScratchImage::BitmapSize() const {
    return {image_.width(), image_.height()};
}

Image ScratchImage::Picture() {
    // The painter draws straight into the image's pixels; a copy taken between two drawing
    // calls holds all of them.
    return Image(image_.copy());
}

QtCanvas& ScratchImage::Synced() {
    QtCanvas& c = *canvas_;
    const CanvasFont& font = Font();
    c.SetFontName(font.name);
    c.SetFontSize(font.size);
    c.SetFontStyle(font.style);
    c.SetFontColor(font.color);
    c.SetPenWidth(Pen().width);
    c.SetPenColor(Pen().color);
    c.SetBrushColor(Brush().color);
    c.SetBrushStyle(Brush().style);
    c.SetTextFlags(TextFlags());
    c.MoveTo(PenPos().x, PenPos().y);
    return c;
}

void ScratchImage::TextOut(int32_t x, int32_t y, std::string_view text) {
    Synced().TextOut(x, y, text);
}

void ScratchImage::TextOutW(int32_t x, int32_t y, char16_t ch) {
    Synced().TextOutW(x, y, ch);
}

Size ScratchImage::TextExtent(std::string_view text) {
    return Synced().TextExtent(text);
}

TextMetrics ScratchImage::GetTextMetrics() {
    return Synced().GetTextMetrics();
}

void ScratchImage::LineTo(int32_t x, int32_t y) {
    Synced().LineTo(x, y);
    SetPenPos({x, y});
}

void ScratchImage::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Synced().Rectangle(left, top, right, bottom);
}

void ScratchImage::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Synced().Ellipse(left, top, right, bottom);
}

void ScratchImage::FillRect(const Rect& rect) {
    Synced().FillRect(rect);
}

Rect ScratchImage::ClipRect() const {
    return {0, 0, image_.width(), image_.height()};
}

void ScratchImage::StretchDraw(const Rect& rect, const Image& image) {
    Synced().StretchDraw(rect, image);
}

} // namespace qorprt
