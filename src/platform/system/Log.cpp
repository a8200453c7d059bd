#include "platform/system/Log.h"

#include "platform/system/DateTime.h"
#include "platform/system/FileAppend.h"
#include "platform/system/LogStandardError.h"
#include "platform/system/Process.h"
#include "platform/text/Encoding.h"
#include "platform/text/Numbers.h"

#include <cstdlib>
#include <unistd.h>

namespace qorprt {

namespace {

constexpr int32_t kAlwaysWritten = 10;
constexpr int32_t kDefaultThreshold = 8;

struct LogState {
    const std::string* threshold = nullptr;
    std::string folder; // empty: the executable's folder
};

LogState& State() {
    static LogState state;
    return state;
}

// Control characters (a newline in a job's argument, say) must never start a line of their own,
// and bytes that are no UTF-8 must not spoil the file for a UTF-8 reader: both are written as
// \xNN.
void AppendEscaped(std::string& line, std::string_view text) {
    line += EscapeBytes(text, "\\x", [](unsigned char c) { return c < 0x20 || c == 0x7F; });
}

const std::string& CachedExecutableFolder() {
    static const std::string folder = ExecutableFolder();
    return folder;
}

} // namespace

void SetLogThresholdSource(const std::string* logLevelText) {
    State().threshold = logLevelText;
}

void SetLogFolder(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    State().folder = std::move(folder);
}

std::string UserStateLogFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/')
        return std::string(state) + "/qorva/";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.local/state/qorva/";
    return {};
}

std::string LogFilePath() {
    if (!State().folder.empty()) return State().folder + "qorprt.log";
    const std::string& exe = CachedExecutableFolder();
    // An installed program's folder (/usr/bin) is nobody's to write in: its log lives with the
    // user's state instead.
    const std::string folder =
        !exe.empty() && ::access(exe.c_str(), W_OK) == 0 ? exe : UserStateLogFolder();
    return folder.empty() ? std::string() : folder + "qorprt.log";
}

std::string FormatLogLine(std::chrono::system_clock::time_point when, int32_t level, int64_t pid,
                          std::string_view text) {
    std::string line = FormatLocalTimestamp(when);
    line += ' ';
    line += std::to_string(level);
    line += " PID=";
    line += std::to_string(pid);
    line += ": ";
    AppendEscaped(line, text);
    line += "\r\n";
    return line;
}

void WriteLog(int32_t level, std::string text) noexcept {
    try {
        const LogState& state = State();
        // The filter runs before the file is touched, so dropped lines cost only this.
        if (level < kAlwaysWritten && state.threshold != nullptr &&
            level < StrToIntDef(*state.threshold, kDefaultThreshold))
            return;
        const std::string line =
            FormatLogLine(std::chrono::system_clock::now(), level, CurrentProcessId(), text);
        CopyLogLineToStandardError(level, line);
        const std::string path = LogFilePath();
        if (path.empty()) return;
        // Whether the line arrived is of no interest to any caller.
        (void)AppendToExistingFile(path, line);
    } catch (...) {
        // Out of memory while building the line: the line is lost, the caller goes on.
    }
}

} // namespace qorprt
