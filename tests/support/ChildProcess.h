#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qorprt::test {

// A program started by a test, its standard output read through a pipe. A child still running
// when the object goes is killed and reaped, so that a failing test leaves no process behind.
class ChildProcess {
public:
    // Starts argv[0] (looked up in PATH) with the environment of the test.
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    // Waits for the exit: the exit code; -1 when it did not end within `timeout` (it is killed)
    // or ended by a signal.
    int Wait(std::chrono::milliseconds timeout);
    // The next line of standard output without its newline; empty when none came in `timeout`.
    std::string ReadLine(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string buffered_;
};

} // namespace qorprt::test
