#pragma once

#include "platform/system/WindowEndpoint.h"
#include "platform/system/WindowMessages.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

namespace qorprt {

// The running instance's side of the handover, in place of the window-procedure hook: it makes
// the main window reachable for later starts (a socket in the instance folder that answers the
// window's title) and hands each handover message to the handler on the GUI thread, also while
// a modal message box runs its own loop. The sender waits for the handler's result.
class HandoverListener : public QObject {
    Q_OBJECT

public:
    // The window's current title, read on the GUI thread.
    using TitleProvider = std::function<QString()>;
    // The receiver of a handover message (its number is always the registered "QORPRT");
    // returns the message's result: 1 when the job was taken, 0 otherwise. An exception it lets
    // escape goes to AppException and answers 0.
    using MessageHandler = std::function<int64_t(const WindowMessage&)>;

    // Starts listening at once. When the instance folder or the socket cannot be had, writes a
    // level-10 line and runs on without listening: later starts then become instances of
    // their own.
    HandoverListener(TitleProvider title, MessageHandler handler, QObject* parent = nullptr);
    // Stops listening; senders still waiting get 0 and do their job themselves.
    ~HandoverListener() override;

    bool Listening() const { return endpoint_ != nullptr; }
    // Why the listener does not listen; empty while it does.
    const std::string& ErrorText() const { return error_; }
    // The socket other starts reach this instance on; empty while not listening.
    std::string SocketPath() const;

    // Reads the title afresh from the provider; connect the window's windowTitleChanged here.
    void RefreshTitle();
    // From now on every handover is answered 0 without reaching the handler, so that no job is
    // handed to an instance that is about to end. There is no way back.
    void StopAccepting();

private:
    void HandlePending();

    TitleProvider title_;
    MessageHandler handler_;
    uint32_t handoverMessage_ = 0;
    std::unique_ptr<WindowEndpoint> endpoint_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::string error_;
};

} // namespace qorprt
