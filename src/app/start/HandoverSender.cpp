#include "app/start/HandoverSender.h"

#include "app/start/HandoverProtocol.h"
#include "platform/system/Log.h"
#include "platform/system/WindowClient.h"
#include "platform/system/WindowMessages.h"

#include <algorithm>
#include <chrono>

namespace qorprt {

bool HandOverJob(const std::string& argumentText, const std::string& fullCommandLine) {
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
    const size_t written = fullCommandLine.size() + 1; // with its NUL
    int64_t result = 0;
    {
        Expected<HandoverBlock> handover =
            CreateHandoverBlock(HandoverKey(std::chrono::system_clock::now()), written);
        if (!handover) {
            WriteLog(10, "Fehler MapViewOfFile");
            return false;
        }
        const std::span<char> block = handover->block.Writable();
        std::copy(fullCommandLine.begin(), fullCommandLine.end(), block.begin());
        block[fullCommandLine.size()] = '\0';
        result =
            SendWindowMessage(*window, {message, written, static_cast<int64_t>(handover->key)});
    } // the block is unmapped, closed and removed as soon as the answer is in
    if (result != 0) return true;
    WriteLog(10, "SendMessage = " + std::to_string(result));
    return false;
}

} // namespace qorprt
