#pragma once

#include "support/TempDir.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qorprt::test {

// The real program in a folder of its own: the launcher copied there and the GUI module linked
// beside it, so that its log file ("qorprt.log" beside the executable) is the test's own.
class ProgramCopy {
public:
    ProgramCopy();
    const std::string& Executable() const { return executable_; }
    // Creates the log file (logging is on only while it exists) and reads it.
    void EnableLog() const;
    std::string Log() const;
    const TempDir& Folder() const { return dir_; }

private:
    TempDir dir_;
    std::string executable_;
};

// Environment changes for a started program: a value sets the variable, nullopt removes it.
using EnvChanges = std::map<std::string, std::optional<std::string>>;

struct ProgramResult {
    int exitCode = -1; // -1: killed or still running at the time-out
    bool timedOut = false;
    std::string out;
    std::string err;
};

// A started program; killed when the object goes and it still runs.
class RunningProgram {
public:
    RunningProgram(const std::string& executable, const std::vector<std::string>& args,
                   const std::string& cwd, const EnvChanges& env);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    pid_t Pid() const { return pid_; }
    void Signal(int signal) const;
    // Waits for the end; a program still running after `timeout` is killed.
    ProgramResult Wait(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::optional<ProgramResult> result_;
};

// Starts the program and waits for its end.
ProgramResult RunProgram(const std::string& executable, const std::vector<std::string>& args,
                         const std::string& cwd, const EnvChanges& env,
                         std::chrono::milliseconds timeout);

// Waits until `done` holds, checking every 50 ms; false at the time-out.
template <class Condition> bool WaitFor(Condition done, std::chrono::milliseconds timeout);

} // namespace qorprt::test

#include <thread>

template <class Condition>
bool qorprt::test::WaitFor(Condition done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}
