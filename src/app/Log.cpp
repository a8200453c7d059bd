#include "app/Log.h"

#include "platform/DateTime.h"
#include "platform/Errors.h"
#include "platform/FileAppend.h"
#include "platform/Numbers.h"
#include "platform/Process.h"

namespace qorprt {

namespace {

constexpr int32_t kAlwaysWritten = 10;
constexpr int32_t kDefaultThreshold = 8;

struct LogState {
    const std::string* threshold = nullptr;
    std::string folder; // empty: the executable's folder
    std::function<void()> terminate;
};

LogState& State() {
    static LogState state;
    return state;
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

std::string LogFilePath() {
    const std::string& folder = State().folder.empty() ? CachedExecutableFolder() : State().folder;
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
    line += text;
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
        const std::string path = LogFilePath();
        if (path.empty()) return;
        // Whether the line arrived is of no interest to any caller.
        (void)AppendToExistingFile(
            path, FormatLogLine(std::chrono::system_clock::now(), level, CurrentProcessId(), text));
    } catch (...) {
        // Out of memory while building the line: the line is lost, the caller goes on.
    }
}

std::string AppExceptionLine(const std::exception& e) {
    return "AppException: " + ExceptionClassName(e) + " - " + e.what();
}

void AppException(const std::exception& e) {
    try {
        WriteLog(kAlwaysWritten, AppExceptionLine(e));
    } catch (...) {
        // Even without the line the program must end.
    }
    if (State().terminate) State().terminate();
}

void SetAppTerminateHandler(std::function<void()> terminate) {
    State().terminate = std::move(terminate);
}

} // namespace qorprt
