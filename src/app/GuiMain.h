#pragma once

#include <string>

namespace qorprt {

// Runs this process as the running instance: the application, the main window with the given
// full command line (Windows-1252) as its first job, the message loop. Returns 0, as the program
// always does, also when an exception ends it.
int RunGui(int argc, char** argv, const std::string& fullCommandLine);

} // namespace qorprt
