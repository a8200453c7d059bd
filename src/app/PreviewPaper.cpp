#include "app/PreviewPaper.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace qorprt {

PreviewPaper::PreviewPaper(QWidget* parent)
    : QWidget(parent), picture_(NewCanvasImage(kWidth, kHeight, kDpi)), canvas_(picture_, kDpi) {
    setObjectName(QStringLiteral("Paper"));
}

void PreviewPaper::Clear() {
    canvas_.SetBrushStyle(BrushStyle::Solid);
    canvas_.FillRect(canvas_.ClipRect());
    update();
}

void PreviewPaper::SetShownSize(int width, int height) {
    resize(std::clamp(width, 0, kWidth), std::clamp(height, 0, kHeight));
    update();
}

void PreviewPaper::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect().intersected(picture_.rect());
    painter.drawImage(area.topLeft(), picture_, area);
}

} // namespace qorprt
