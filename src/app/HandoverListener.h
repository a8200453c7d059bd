#pragma once

#include "app/start/HandoverReceiver.h"
#include "platform/system/WindowEndpoint.h"

#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qorprt {

// The running instance's side of the handover, in place of the window-procedure hook: it makes
// the main window reachable for later starts (a socket in the instance folder that answers the
// window's title) and takes their jobs. A job is taken on the listener's own thread, whatever
// the GUI thread is doing (printing, a message box, a wait for the printer): the keeper writes
// it to disk, the start gets its answer, and only then is the job handed to the handler on the
// GUI thread, as soon as that thread takes events (also inside a modal message box).
class HandoverListener : public QObject {
    Q_OBJECT

public:
    // The window's current title, read on the GUI thread.
    using TitleProvider = std::function<QString()>;
    // Runs on the GUI thread for every taken job, in the order they were taken. An exception it
    // lets escape goes to AppException.
    using JobHandler = std::function<void(const HandedOverJob&)>;

    // Starts listening at once. When the instance folder or the socket cannot be had, writes a
    // level-10 line and runs on without listening: later starts then become instances of
    // their own. `keep` runs on the listener's thread and must not touch the GUI's state.
    HandoverListener(TitleProvider title, JobKeeper keep, JobHandler handler,
                     QObject* parent = nullptr);
    // Stops listening; a start that has not been answered does its job itself.
    ~HandoverListener() override;

    bool Listening() const { return endpoint_ != nullptr; }
    // Why the listener does not listen; empty while it does.
    const std::string& ErrorText() const { return error_; }
    // The socket other starts reach this instance on; empty while not listening.
    std::string SocketPath() const;

    // Reads the title afresh from the provider; connect the window's windowTitleChanged here.
    void RefreshTitle();
    // From now on every handover is answered 0, so that no job is handed to an instance that is
    // about to end. There is no way back. The jobs taken before but not yet handed to the
    // handler come back, in their order, for the caller to list.
    std::vector<HandedOverJob> StopAccepting();

private:
    int64_t Accept(const WindowMessage& message, UniqueFd block,
                   const std::function<bool()>& senderWaiting);
    void DeliverTaken();

    TitleProvider title_;
    JobKeeper keep_;
    JobHandler handler_;
    uint32_t handoverMessage_ = 0;
    std::mutex mutex_;
    std::deque<HandedOverJob> taken_;
    std::string error_;
    std::unique_ptr<WindowEndpoint> endpoint_; // last: its thread ends first
};

} // namespace qorprt
