#include "app/HandoverListener.h"

#include "app/AppException.h"
#include "app/start/HandoverProtocol.h"
#include "platform/system/Log.h"
#include "platform/system/PrivateFolder.h"
#include "platform/text/Encoding.h"

#include <QSocketNotifier>

namespace qorprt {

HandoverListener::HandoverListener(TitleProvider title, MessageHandler handler, QObject* parent)
    : QObject(parent), title_(std::move(title)), handler_(std::move(handler)),
      handoverMessage_(RegisterWindowMessage(kHandoverMessageName)) {
    const std::string current = title_ ? title_().toStdString() : std::string();
    Expected<std::string> folder = InstanceFolder();
    Expected<std::unique_ptr<WindowEndpoint>> endpoint =
        folder ? WindowEndpoint::Open(*folder, current)
               : Expected<std::unique_ptr<WindowEndpoint>>(folder.failure());
    if (!endpoint) {
        error_ = endpoint.error();
        WriteLog(10, "Start: keine Übergabe von Aufträgen möglich: " + error_);
        return;
    }
    endpoint_ = std::move(*endpoint);
    notifier_ = std::make_unique<QSocketNotifier>(endpoint_->NotifyFd(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &HandoverListener::HandlePending);
}

HandoverListener::~HandoverListener() = default;

std::string HandoverListener::SocketPath() const {
    return endpoint_ ? endpoint_->SocketPath() : std::string();
}

void HandoverListener::RefreshTitle() {
    if (endpoint_ && title_) endpoint_->SetTitle(title_().toStdString());
}

void HandoverListener::StopAccepting() {
    if (endpoint_) endpoint_->SetAccepting(false);
}

void HandoverListener::HandlePending() {
    if (!endpoint_) return;
    endpoint_->HandlePending([this](const WindowMessage& message) -> int64_t {
        // Like the window's own handler for a message it does not know: result 0.
        if (message.number != handoverMessage_ || !handler_) return 0;
        try {
            return handler_(message);
        } catch (const std::exception& e) {
            // An exception must not unwind through Qt's event loop; it ends the program as one
            // from any other handler does. The sender does its job itself.
            AppException(e);
            return 0;
        }
    });
}

} // namespace qorprt
