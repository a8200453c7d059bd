#pragma once

#include <QImage>

namespace qorprt {

// A decoded picture, as the canvas stretches it onto a page.
class Image {
public:
    Image() = default;
    explicit Image(QImage pixels) : pixels_(std::move(pixels)) {}

    bool IsNull() const { return pixels_.isNull(); }
    int Width() const { return pixels_.width(); }
    int Height() const { return pixels_.height(); }
    const QImage& Pixels() const { return pixels_; }

private:
    QImage pixels_;
};

} // namespace qorprt
