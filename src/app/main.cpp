#include "app/start/Launcher.h"
#include "platform/system/SignalPipe.h"

int main(int argc, char** argv) {
    // Before anything else: a SIGTERM or SIGINT during the start-up ends the program as cleanly
    // as one that comes later.
    qorprt::TerminationSignals();
    return qorprt::LaunchProgram(argc, argv);
}
