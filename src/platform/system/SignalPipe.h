#pragma once

namespace qorprt {

// Turns SIGTERM and SIGINT into bytes on a pipe, so that the program handles them between two
// events of its loop instead of inside whatever the signal interrupted. One per process: see
// TerminationSignals.
class SignalPipe {
public:
    SignalPipe();
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    // Readable when a signal arrived; -1 when the pipe could not be made.
    int ReadFd() const { return read_; }
    // Reads what arrived; the number of the last signal, 0 when none came.
    int Drain();

private:
    int read_ = -1;
    int write_ = -1;
};

// The process's signal pipe, made at the first call: the program's first instruction makes it,
// so that a signal during the start-up is handled as cleanly as a later one.
SignalPipe& TerminationSignals();

// Reads what arrived on a signal pipe's read end; the number of the last signal, 0 when none.
int DrainSignalFd(int fd);

// Ends the process as `signal` would have without a handler.
[[noreturn]] void EndBySignal(int signal);

} // namespace qorprt
