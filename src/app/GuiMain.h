#pragma once

#include <string>

namespace qorprt {

// Runs this process as the running instance: the application, the main window with the given
// full command line (Windows-1252) as its first job, the message loop. Returns 0, as the program
// always does, also when an exception ends it. SIGTERM and SIGINT arrive on `signalFd` (the
// process's signal pipe, which the launcher made first thing) and end it as "Beenden" does;
// the jobs still listed are kept for the next start or given up, each named in the log.
int RunGui(int argc, char** argv, const std::string& fullCommandLine, int signalFd);

} // namespace qorprt
