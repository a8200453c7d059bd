#pragma once

namespace qorprt {

// The program entry: "--help" and "--version" print and end; any other command line is a job.
// A job goes to the running instance when there is one; otherwise this process becomes the
// running instance by loading the GUI half of the program. Returns the process exit code.
int LaunchProgram(int argc, char** argv);

// The name of the GUI entry point in the program's module, and its signature: the arguments and
// the full command line the launcher built from them, and the read end of the process's signal
// pipe (the module has its own copy of the launcher's code, but there is one pipe per process).
inline constexpr const char* kGuiEntryName = "qorprt_gui_main";
using GuiEntry = int (*)(int argc, char** argv, const char* fullCommandLine, int signalFd);

} // namespace qorprt
