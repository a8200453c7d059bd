#include "app/HandoverListener.h"

#include "app/AppException.h"
#include "app/start/HandoverProtocol.h"
#include "platform/system/Log.h"
#include "platform/system/PrivateFolder.h"

#include <QMetaObject>

namespace qorprt {

HandoverListener::HandoverListener(TitleProvider title, JobKeeper keep, JobHandler handler,
                                   QObject* parent)
    : QObject(parent), title_(std::move(title)), keep_(std::move(keep)),
      handler_(std::move(handler)), handoverMessage_(RegisterWindowMessage(kHandoverMessageName)) {
    const std::string current = title_ ? title_().toStdString() : std::string();
    Expected<std::string> folder = InstanceFolder();
    Expected<std::unique_ptr<WindowEndpoint>> endpoint =
        folder ? WindowEndpoint::Open(*folder, current,
                                      [this](const WindowMessage& message, UniqueFd block,
                                             const std::function<bool()>& senderWaiting) {
                                          return Accept(message, std::move(block), senderWaiting);
                                      })
               : Expected<std::unique_ptr<WindowEndpoint>>(folder.failure());
    if (!endpoint) {
        error_ = endpoint.error();
        WriteLog(10, "Start: keine Übergabe von Aufträgen möglich: " + error_);
        return;
    }
    endpoint_ = std::move(*endpoint);
}

HandoverListener::~HandoverListener() {
    endpoint_.reset();
}

std::string HandoverListener::SocketPath() const {
    return endpoint_ ? endpoint_->SocketPath() : std::string();
}

void HandoverListener::RefreshTitle() {
    if (endpoint_ && title_) endpoint_->SetTitle(title_().toStdString());
}

std::vector<HandedOverJob> HandoverListener::StopAccepting() {
    // Waits for a job being taken right now: afterwards none comes in any more.
    if (endpoint_) endpoint_->SetAccepting(false);
    std::lock_guard lock(mutex_);
    std::vector<HandedOverJob> left(taken_.begin(), taken_.end());
    taken_.clear();
    return left;
}

int64_t HandoverListener::Accept(const WindowMessage& message, UniqueFd block,
                                 const std::function<bool()>& senderWaiting) {
    // Like the window's own handler for a message it does not know: result 0.
    if (message.number != handoverMessage_) return 0;
    try {
        std::optional<HandedOverJob> job =
            TakeHandoverJob(std::move(block), message.wParam, keep_, senderWaiting);
        if (!job) return 0;
        {
            std::lock_guard lock(mutex_);
            taken_.push_back(std::move(*job));
        }
        QMetaObject::invokeMethod(
            this, [this] { DeliverTaken(); }, Qt::QueuedConnection);
        return 1;
    } catch (const std::exception&) {
        // Nothing was taken (memory ran out before the job was kept): the start does it.
        return 0;
    }
}

void HandoverListener::DeliverTaken() {
    for (;;) {
        HandedOverJob job;
        {
            std::lock_guard lock(mutex_);
            if (taken_.empty()) return;
            job = std::move(taken_.front());
            taken_.pop_front();
        }
        // The job leaves the queue before the handler runs: a nested loop takes the next one.
        if (!handler_) continue;
        try {
            handler_(job);
        } catch (const std::exception& e) {
            // An exception must not unwind through Qt's event loop; it ends the program as one
            // from any other handler does.
            AppException(e);
        }
    }
}

} // namespace qorprt
