#include "app/start/Launcher.h"

#include "app/start/CommandLine.h"
#include "app/start/HandoverSender.h"
#include "jobs/UsageText.h"
#include "jobs/Version.h"
#include "platform/system/Log.h"
#include "platform/system/Process.h"
#include "platform/system/SignalPipe.h"
#include "platform/system/WorkingFolder.h"

#include <cstdio>
#include <dlfcn.h>
#include <string>
#include <string_view>
#include <unistd.h>

namespace qorprt {

namespace {

constexpr const char* kModuleName = "qorprt-gui.so";

void PrintHelp() {
    std::string text = "Aufruf: qorprt <Datei.PRT> [Optionen]\n"
                       "       qorprt /D   (Dienst)   |   qorprt /d   (Dienst, nur Anzeige)\n"
                       "       qorprt --help | --version\n\n";
    text += UsageText();
    text += "\n";
    std::fputs(text.c_str(), stdout);
}

void PrintVersion() {
    std::printf("qorprt (Qorva-Druck-Programm) Version %s\n", kVersionDate);
}

// The module lives beside the executable in the build tree and in libexec/qorprt/ when installed.
void* OpenGuiModule(std::string& error) {
    const std::string folder = ExecutableFolder();
    for (const std::string& candidate :
         {folder + kModuleName, folder + "../libexec/qorprt/" + kModuleName}) {
        if (::access(candidate.c_str(), R_OK) != 0) continue;
        if (void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) return module;
        const char* reason = ::dlerror();
        error = reason ? reason : candidate;
        return nullptr;
    }
    error = std::string(kModuleName) + " not found beside " + folder;
    return nullptr;
}

int StartGui(int argc, char** argv, const std::string& fullCommandLine) {
    std::string error;
    void* module = OpenGuiModule(error);
    GuiEntry entry = nullptr;
    if (module) {
        entry = reinterpret_cast<GuiEntry>(::dlsym(module, kGuiEntryName));
        if (!entry) error = std::string(kGuiEntryName) + " missing in " + kModuleName;
    }
    if (!entry) {
        // A broken installation: nothing can run the job, so say why where the user sees it.
        WriteLog(10, "Start: Programmteil nicht ladbar: " + error);
        std::fprintf(stderr, "qorprt: %s\n", error.c_str());
        return 1;
    }
    // The module stays loaded until the process ends.
    return entry(argc, argv, fullCommandLine.c_str(), TerminationSignals().ReadFd());
}

} // namespace

int LaunchProgram(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--help") {
        PrintHelp();
        return 0;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        PrintVersion();
        return 0;
    }
    const std::string fullCommandLine = FullCommandLine(argc, argv);
    // "/N" is looked for among the arguments, not in the text, where a file name may hold it.
    if (!WantsOwnInstance(argc, argv) &&
        HandOverJob(std::string(), fullCommandLine, CurrentFolder()))
        return 0;
    return StartGui(argc, argv, fullCommandLine);
}

} // namespace qorprt
