#pragma once

#include "platform/system/Expected.h"
#include "platform/system/Files.h"
#include "platform/system/WindowMessages.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>

namespace qorprt {

// The window of a running instance as other processes see it: a Unix socket in the instance
// folder that answers the window's current title and hands each message sent to it to the
// window's handler.
//
// A thread of its own accepts the connections and answers title requests at once, so that a
// start finds the instance also while its GUI thread is busy with a job, as a window title is
// found on Windows. With an acceptor, that thread also answers every message at once: the
// acceptor runs there, with the descriptor the sender passed along, and its result is the
// answer. Without one, messages wait until the GUI thread calls HandlePending (NotifyFd is
// readable while some wait), which runs the handler on that thread and answers its result.
// Connections of another user are closed unanswered; one that sends no complete request within a
// second, or sends garbage, is closed too.
class WindowEndpoint {
public:
    using Handler = std::function<int64_t(const WindowMessage&)>;
    // Runs on the endpoint's own thread; `attached` is invalid when the sender passed none.
    // `senderWaiting` tells whether the sender still waits for the answer (a killed one does
    // not).
    using Acceptor = std::function<int64_t(const WindowMessage&, UniqueFd attached,
                                           const std::function<bool()>& senderWaiting)>;

    // Listens on a new socket "window-<pid>-<n>.sock" in `folder` (which the caller has made
    // private, see InstanceFolder) under the title `title`.
    static Expected<std::unique_ptr<WindowEndpoint>>
    Open(const std::string& folder, std::string title, Acceptor acceptor = nullptr);
    // Stops listening and removes the socket; messages still waiting are answered 0.
    ~WindowEndpoint();
    WindowEndpoint(const WindowEndpoint&) = delete;
    WindowEndpoint& operator=(const WindowEndpoint&) = delete;

    void SetTitle(std::string title);
    std::string Title() const;

    // While not accepting, every message is answered 0 without reaching the handler, so that
    // its sender does the job itself. Title requests are answered all the same. Once this
    // returns, no acceptor call is running any more.
    void SetAccepting(bool accepting);
    bool Accepting() const { return accepting_.load(); }

    // Readable while messages wait for HandlePending.
    int NotifyFd() const { return notify_.Get(); }

    // Runs the handler for every waiting message, one after the other, and answers each sender
    // the handler's result. May be entered again from inside the handler (a nested event loop
    // that handles the next message first). Not to be called on two threads at once.
    void HandlePending(const Handler& handler);

    const std::string& SocketPath() const { return socketPath_; }

    // Only Open creates one.
    struct Key {
        explicit Key() = default;
    };
    WindowEndpoint(Key, UniqueFd listener, std::string socketPath, std::string title,
                   Acceptor acceptor);

private:
    struct Waiting {
        UniqueFd connection;
        WindowMessage message;
    };

    void Serve();
    bool TakeWaiting(Waiting& next);
    static void Answer(const UniqueFd& connection, int64_t result);

    UniqueFd listener_;
    UniqueFd notify_; // eventfd: messages wait
    UniqueFd stop_;   // eventfd: the serving thread is to end
    std::string socketPath_;
    dev_t socketDevice_ = 0;
    ino_t socketInode_ = 0;
    std::atomic<bool> accepting_{true};
    Acceptor acceptor_;
    std::mutex acceptMutex_; // held while the acceptor runs
    mutable std::mutex mutex_;
    std::string title_;
    std::deque<Waiting> waiting_;
    std::thread server_;
};

} // namespace qorprt
