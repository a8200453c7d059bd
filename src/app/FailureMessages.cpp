#include "app/FailureMessages.h"

#include <QStringList>

#include <algorithm>
#include <utility>

namespace qorprt {

namespace {

constexpr size_t kLinesShown = 4;

} // namespace

TrayMessage FailureMessage(const std::vector<FailureNote>& failures) {
    TrayMessage message;
    message.title = failures.size() == 1
                        ? QStringLiteral("QorPrt: Auftrag fehlgeschlagen")
                        : QStringLiteral("QorPrt: %1 Aufträge fehlgeschlagen").arg(failures.size());
    QStringList lines;
    for (size_t i = 0; i < std::min(failures.size(), kLinesShown); ++i)
        lines << QString::fromStdString(failures[i].file) + QStringLiteral(": ") +
                     QString::fromStdString(failures[i].reason);
    if (failures.size() > kLinesShown)
        lines << QStringLiteral("… und %1 weitere").arg(failures.size() - kLinesShown);
    message.text = lines.join(QLatin1Char('\n'));
    return message;
}

FailureMessages::FailureMessages(Show show, std::function<bool()> trayAvailable,
                                 std::chrono::milliseconds gather,
                                 std::chrono::milliseconds gatherAtMost,
                                 std::chrono::milliseconds shown)
    : show_(std::move(show)), trayAvailable_(std::move(trayAvailable)), gather_(gather),
      gatherAtMost_(gatherAtMost) {
    gatherTimer_.setSingleShot(true);
    shown_.setSingleShot(true);
    shown_.setInterval(shown);
    connect(&gatherTimer_, &QTimer::timeout, this, &FailureMessages::ShowGathered);
    connect(&shown_, &QTimer::timeout, this, [this] {
        if (whenRead_ && !gatherTimer_.isActive()) std::exchange(whenRead_, {})();
    });
}

void FailureMessages::Notice(const std::string& file, const std::string& reason) {
    // Several failure points may report the same job: one line each.
    const auto same = std::find_if(gathered_.begin(), gathered_.end(),
                                   [&](const FailureNote& note) { return note.file == file; });
    if (same != gathered_.end()) {
        if (same->reason.find(reason) == std::string::npos) same->reason += "; " + reason;
    } else {
        gathered_.push_back({file, reason});
    }
    if (!gatherTimer_.isActive()) sinceFirst_.start();
    const std::chrono::milliseconds left{gatherAtMost_.count() - sinceFirst_.elapsed()};
    gatherTimer_.start(std::clamp(left, std::chrono::milliseconds(0), gather_));
}

void FailureMessages::ShowGathered() {
    if (gathered_.empty()) return;
    const TrayMessage message = FailureMessage(gathered_);
    gathered_.clear();
    if (!trayAvailable_()) {
        // Nothing to show it in: the log and standard error have it.
        if (whenRead_) std::exchange(whenRead_, {})();
        return;
    }
    show_(message);
    shown_.start();
}

void FailureMessages::WhenRead(std::function<void()> done) {
    if (gatherTimer_.isActive()) {
        // The program is ending: what was gathered goes out now.
        gatherTimer_.stop();
        ShowGathered();
    }
    if (!shown_.isActive()) {
        done();
        return;
    }
    whenRead_ = std::move(done);
}

} // namespace qorprt
