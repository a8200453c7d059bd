#include "app/start/HandoverSender.h"

#include "app/start/HandoverProtocol.h"
#include "platform/system/Log.h"
#include "platform/system/SignalPipe.h"
#include "platform/system/WindowClient.h"
#include "platform/system/WindowMessages.h"

namespace qorprt {

namespace {

// An instance takes a job on a thread of its own within milliseconds, whatever its window
// does; only a stopped or hung instance makes a start wait this long.
constexpr int kAnswerTimeMs = 3000;

} // namespace

bool HandOverJob(const std::string& argumentText, const std::string& fullCommandLine,
                 const std::string& folder) {
    const std::string text = argumentText + ' ';
    const std::optional<WindowHandle> window = FindWindowByTitle(kRunningTitle);
    if (!window) return false;
    // The argument text starts with its first argument: a leading "/N" is not seen here.
    if (text.find(" /N ") != std::string::npos) return false;

    const uint32_t message = RegisterWindowMessage(kHandoverMessageName);
    if (message == 0) {
        WriteLog(10, "Fehler RegisterWindowMessage");
        return false;
    }
    const Expected<SharedBlock> block = CreateHandoverBlock(fullCommandLine, folder);
    if (!block) {
        WriteLog(10, "Fehler MapViewOfFile");
        return false;
    }
    const uint64_t written = fullCommandLine.size() + 1; // with its NUL
    const UniqueFd connection = PostWindowMessage(*window, {message, written, 0}, block->Fd());
    const int signals = TerminationSignals().ReadFd();
    WindowAnswer answer{WindowAnswer::Kind::Lost};
    int signal = 0;
    if (connection.Valid()) {
        answer = WaitForWindowAnswer(connection, kAnswerTimeMs, signals);
        if (answer.kind == WindowAnswer::Kind::Woken) signal = TerminationSignals().Drain();
    }
    if (answer.kind != WindowAnswer::Kind::Answered &&
        !ChangeHandoverState(*block, HandoverState::Pending, HandoverState::Withdrawn)) {
        // The instance took the job before we gave up: only it may run it now. It answers as
        // soon as the job is on disk, or drops the connection when it ends before.
        answer = WaitForWindowAnswer(connection, -1, -1);
    }
    if (LoadHandoverState(*block) == HandoverState::Persisted ||
        (answer.kind == WindowAnswer::Kind::Answered && answer.result != 0))
        return true;
    if (signal != 0) EndBySignal(signal); // withdrawn: the job is nobody's, as the caller asked
    if (answer.kind == WindowAnswer::Kind::Answered && answer.result == 0)
        WriteLog(10, "SendMessage = 0");
    else if (answer.kind == WindowAnswer::Kind::TimedOut ||
             answer.kind == WindowAnswer::Kind::Woken)
        WriteLog(10, "SendMessage: keine Antwort");
    else
        WriteLog(10, "SendMessage: Verbindung verloren");
    return false;
}

} // namespace qorprt
