// The entry point of the program's GUI module, which the launcher loads when this process
// becomes the running instance.

#include "app/GuiMain.h"
#include "app/start/Launcher.h"

extern "C" __attribute__((visibility("default"))) int
qorprt_gui_main(int argc, char** argv, const char* fullCommandLine, int signalFd) {
    return qorprt::RunGui(argc, argv, fullCommandLine ? fullCommandLine : "", signalFd);
}

// The launcher and the module must agree on the entry's signature.
static_assert(std::is_same_v<decltype(&qorprt_gui_main), qorprt::GuiEntry>);
