#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace qorprt {

// Appends one line to the log file "qorprt.log" (see LogFilePath), but only when that file exists
// (it is never created). Line: short date, time "hh:mm:ss,zzz", level, " PID=" and process id, ":
// ", the text (UTF-8; control characters and bytes that are no UTF-8 as \xNN), CR LF; written with
// a single append so that lines of several processes never mix. Levels below 10 are dropped when
// they are below the threshold, read afresh on every call from the registered threshold text (8
// when it is no integer); before a threshold source is registered every line is written. Never
// throws and never reports failure.
void WriteLog(int32_t level, std::string text) noexcept;

// Registers the text that holds the log threshold (the main window's LogLevel edit); the text
// must outlive the registration. nullptr (the start state: no main window yet) writes every
// level.
void SetLogThresholdSource(const std::string* logLevelText);

// Makes the log live in another folder (tests); empty gives the executable's folder again.
void SetLogFolder(std::string folder);

// The full path of the log file as WriteLog uses it: "qorprt.log" in the executable's folder, or,
// where that folder is not writable (an installed program), in the user's state folder
// ($XDG_STATE_HOME/qorva/, by default ~/.local/state/qorva/). Empty when no folder is known.
std::string LogFilePath();

// The user's state folder for the log, with its trailing "/"; empty without XDG_STATE_HOME and
// HOME.
std::string UserStateLogFolder();

// The line WriteLog writes, CR LF included, for the given moment and process id; the date in
// the short date format of the user's time locale.
std::string FormatLogLine(std::chrono::system_clock::time_point when, int32_t level, int64_t pid,
                          std::string_view text);

} // namespace qorprt
