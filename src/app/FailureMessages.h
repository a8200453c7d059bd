#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace qorprt {

// One failure as the user reads it: the file, and why (UTF-8).
struct FailureNote {
    std::string file;
    std::string reason;
};

// A tray message: its title and its text.
struct TrayMessage {
    QString title;
    QString text;
};

// The message that sums up the failures gathered in one burst: one line per failure, the
// first few of them, and how many more there were.
TrayMessage FailureMessage(const std::vector<FailureNote>& failures);

// Shows failed jobs to the user in the notification area. The failures of a moment are gathered
// into one message, so that a burst does not flood the desktop; nothing waits for the user.
class FailureMessages : public QObject {
public:
    using Show = std::function<void(const TrayMessage&)>;
    // A message waits until no failure came for kGather, at most kGatherAtMost after the first:
    // the service runs one job a second, so a burst of jobs fails over several seconds.
    static constexpr std::chrono::milliseconds kGather{1500};
    static constexpr std::chrono::milliseconds kGatherAtMost{5000};
    // How long a message stays; an ending program waits for it (an icon that goes takes its
    // message along).
    static constexpr std::chrono::milliseconds kShown{6000};

    // `show` puts a message on the screen; it is not called where there is no notification area.
    FailureMessages(Show show, std::function<bool()> trayAvailable,
                    std::chrono::milliseconds gather = kGather,
                    std::chrono::milliseconds gatherAtMost = kGatherAtMost,
                    std::chrono::milliseconds shown = kShown);

    // A failure: shown with the others of the same moment.
    void Notice(const std::string& file, const std::string& reason);
    // Calls `done` once every gathered failure was shown and has stayed its time; at once when
    // nothing is gathered or shown. A program that ends must not take its message along at once.
    void WhenRead(std::function<void()> done);

private:
    void ShowGathered();

    Show show_;
    std::function<bool()> trayAvailable_;
    std::vector<FailureNote> gathered_;
    std::chrono::milliseconds gather_;
    std::chrono::milliseconds gatherAtMost_;
    QElapsedTimer sinceFirst_;
    QTimer gatherTimer_;
    QTimer shown_; // runs while a message is on the screen
    std::function<void()> whenRead_;
};

} // namespace qorprt
