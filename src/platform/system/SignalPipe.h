#pragma once

namespace qorprt {

// Turns SIGTERM and SIGINT into bytes on a pipe, so that the program handles them between two
// events of its loop instead of inside whatever the signal interrupted. One per process.
class SignalPipe {
public:
    SignalPipe();
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    // Readable when a signal arrived; -1 when the pipe could not be made.
    int ReadFd() const { return read_; }
    // Reads what arrived; the number of signals.
    int Drain();

private:
    int read_ = -1;
    int write_ = -1;
};

} // namespace qorprt
