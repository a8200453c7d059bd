#pragma once

#include "platform/canvas/QtCanvas.h"

#include <QImage>
#include <QWidget>

namespace qorprt {

// The preview surface "Paper": a 1170 x 5000 pixel picture at the screen's 96 pixels per inch
// that the document driver draws on, shown in a widget whose size the preview sizing sets. The
// picture and its canvas (font, pen, brush) live as long as the window, as a form's picture
// does.
class PreviewPaper : public QWidget {
public:
    static constexpr int kWidth = 1170;
    static constexpr int kHeight = 5000;
    static constexpr int kDpi = 96;

    explicit PreviewPaper(QWidget* parent);

    Canvas& PaperCanvas() { return canvas_; }
    const QImage& Picture() const { return picture_; }
    // Fills the whole picture with the canvas's solid brush.
    void Clear();
    // The part of the picture the window shows, at most the picture's size.
    void SetShownSize(int width, int height);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
    QtCanvas canvas_;
};

} // namespace qorprt
