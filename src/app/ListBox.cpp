#include "app/ListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace qorprt {

ListBox::ListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setUniformItemSizes(true);
}

void ListBox::keyPressEvent(QKeyEvent* event) {
    if (onKeyDown && onKeyDown(*event)) return;
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before && currentRow() >= 0 && onClick) onClick();
}

void ListBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // The menu works on the entry selected before; a right click selects nothing.
        if (onRightButtonDown) onRightButtonDown();
        return;
    }
    leftPressed_ = event->button() == Qt::LeftButton && itemAt(event->position().toPoint());
    QListWidget::mousePressEvent(event);
}

void ListBox::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    const bool click = leftPressed_ && event->button() == Qt::LeftButton;
    leftPressed_ = false;
    if (click && currentRow() >= 0 && onClick) onClick();
}

} // namespace qorprt
