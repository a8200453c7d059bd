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

// A started program, its standard output and error read through pipes; killed and reaped when
// the object goes and it still runs, so that a failing test leaves no process behind.
class RunningProgram {
public:
    // `executable` is looked up in PATH when it holds no "/"; an empty `cwd` keeps the test's.
    RunningProgram(const std::string& executable, const std::vector<std::string>& args,
                   const std::string& cwd, const EnvChanges& env);
    // argv[0] with the other arguments, in the test's folder and environment.
    explicit RunningProgram(const std::vector<std::string>& argv);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    void Signal(int signal) const;
    // The next line of standard output without its newline; empty when none came in `timeout`.
    std::string ReadLine(std::chrono::milliseconds timeout);
    // Waits for the end; a program still running after `timeout` is killed. The output is what
    // ReadLine has not taken.
    ProgramResult Wait(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string unread_; // output read ahead by ReadLine
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
