#pragma once

#include "jobs/MessageBoxes.h"

#include <functional>

class QWidget;

namespace qorprt {

// The program's message boxes as modal Qt boxes over the main window; timer ticks and handovers
// go on inside them. Without a screen to show them on (the offscreen platform) nobody could
// answer, so the box is written to the log instead and takes its default answer (OK, No): a
// program run from cron or systemd must never wait for a click.
class QtMessageBoxes : public MessageBoxes {
public:
    QtMessageBoxes(bool interactive, std::function<QWidget*()> parent);

    void ShowError(const std::string& text, const std::string& caption) override;
    bool AskYesNo(const std::string& text, const std::string& caption);

private:
    bool interactive_;
    std::function<QWidget*()> parent_;
};

} // namespace qorprt
