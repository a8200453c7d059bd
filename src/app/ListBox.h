#pragma once

#include <QListWidget>

#include <functional>

namespace qorprt {

// A list box as the main window's lists behave: a click or a keyboard move to an entry is one
// "click" of the list; a right button press opens a menu without changing the selection; keys
// go to a key handler first.
class ListBox : public QListWidget {
public:
    explicit ListBox(QWidget* parent);

    // The user selected an entry with the mouse or a navigation key.
    std::function<void()> onClick;
    // A key went down; true when the handler took it (the list then does nothing with it).
    std::function<bool(QKeyEvent&)> onKeyDown;
    // The right mouse button went down over the list.
    std::function<void()> onRightButtonDown;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool leftPressed_ = false;
};

} // namespace qorprt
