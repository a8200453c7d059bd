// The job queue as a client sees it, with the real program headless on the built-in PDF printer:
// - the whole start that hands a job over (fork, exec, handover, exit), while the instance is
//   idle and while it prints a 3000-page job;
// - a burst of 200 handed-over /X jobs: the time until all are printed, and the peak memory
//   (VmHWM) of the instance that works them off;
// - for comparison, the same 200 files printed one after the other in one process (DoJob).
//
//   build/bench/queue_timing [BURST_JOBS]

#include "PrtGenerator.h"
#include "app/RunningInstance.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string root;

std::string In(const std::string& name) {
    return root + "/" + name;
}

pid_t Spawn(std::vector<std::string> args, const std::string& cwd) {
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// One start handing over a job; its wall time in milliseconds.
double Start(const std::string& prt) {
    const auto begin = Clock::now();
    const int code = Wait(Spawn({QORPRT_PROGRAM, prt, "/PQorPrt PDF", "/X"}, In("work")));
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
    if (code != 0) std::printf("  start of %s ended with %d\n", prt.c_str(), code);
    return ms;
}

template <class Condition> bool WaitFor(Condition done, std::chrono::seconds limit) {
    const auto end = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

pid_t StartService() {
    const pid_t pid = Spawn({QORPRT_PROGRAM, "/D"}, In("work"));
    WaitFor([] { return fs::exists(In("run/qorprt")) && !fs::is_empty(In("run/qorprt")); }, 30s);
    return pid;
}

void StopService(pid_t pid) {
    ::kill(pid, SIGTERM);
    Wait(pid);
}

bool Printed(const std::string& stem) {
    return fs::exists(In("work/" + stem + ".PRD"));
}

bool Started() {
    for (const auto& entry : fs::recursive_directory_iterator(In("state/qorva/queue")))
        if (entry.path().extension() == ".run") return true;
    return false;
}

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-46s median %7.2f ms  max %7.2f ms  (%zu starts)\n", what, ms[ms.size() / 2],
                ms.back(), ms.size());
}

long VmHwmKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmHWM:")) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

void WritePrt(const std::string& stem, const std::string& content) {
    std::ofstream(In("work/" + stem + ".PRT"), std::ios::binary) << content;
}

} // namespace

int main(int argc, char** argv) {
    const int burst = argc > 1 ? std::atoi(argv[1]) : 200;
    char pattern[] = "/tmp/qorprt-queue-bench-XXXXXX";
    if (!::mkdtemp(pattern)) return 1;
    root = pattern;
    for (const char* folder : {"run", "state", "tmp", "out", "work"})
        fs::create_directories(In(folder));
    fs::permissions(In("run"), fs::perms::owner_all);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("QT_QPA_PLATFORM");
    ::setenv("XDG_RUNTIME_DIR", In("run").c_str(), 1);
    ::setenv("XDG_STATE_HOME", In("state").c_str(), 1);
    ::setenv("TMPDIR", In("tmp").c_str(), 1);
    ::setenv("QORPRT_PDF_DIR", In("out").c_str(), 1);
    const std::string small = "\t\t\t\tRechnung\r\n";

    pid_t service = StartService();
    std::vector<double> idle, busy;
    for (int i = 0; i < 30; ++i) {
        WritePrt("I" + std::to_string(i), small);
        idle.push_back(Start("I" + std::to_string(i) + ".PRT"));
        // The instance prints the tiny job between two starts: wait until it is idle again.
        WaitFor([&] { return Printed("I" + std::to_string(i)); }, 30s);
    }
    Report("start handing a job over, instance idle:", idle);

    WritePrt("LONG", qorprt::bench::GenerateBusinessDocument(60 * 3000));
    Start("LONG.PRT");
    WaitFor(Started, 60s);
    for (int i = 0; i < 30; ++i) {
        WritePrt("P" + std::to_string(i), small);
        busy.push_back(Start("P" + std::to_string(i) + ".PRT"));
    }
    Report("start handing a job over, 3000-page print:", busy);
    std::printf("  the long print was %s when the last start had ended\n",
                Printed("LONG") ? "ALREADY DONE" : "still running");
    WaitFor([] { return Printed("LONG") && Printed("P29"); }, 600s);
    StopService(service);

    // The burst, on an instance of its own so that its peak memory is the burst's.
    service = StartService();
    for (int i = 0; i < burst; ++i)
        WritePrt("B" + std::to_string(i), small);
    const auto begin = Clock::now();
    for (int i = 0; i < burst; ++i)
        Start("B" + std::to_string(i) + ".PRT");
    const double handedOver = std::chrono::duration<double>(Clock::now() - begin).count();
    WaitFor([&] { return Printed("B" + std::to_string(burst - 1)); }, 3600s);
    WaitFor(
        [&] {
            for (int i = 0; i < burst; ++i)
                if (!Printed("B" + std::to_string(i))) return false;
            return true;
        },
        600s);
    const double workedOff = std::chrono::duration<double>(Clock::now() - begin).count();
    std::printf("%d handed-over /X jobs: handed over in %.2f s, all printed after %.2f s\n", burst,
                handedOver, workedOff);
    std::printf("  peak memory (VmHWM) of the instance: %ld kB\n", VmHwmKb(service));
    StopService(service);

    // The same files printed one after the other in this process.
    for (int i = 0; i < burst; ++i)
        fs::rename(In("work/B" + std::to_string(i) + ".PRD"),
                   In("work/B" + std::to_string(i) + ".PRT"));
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    {
        qorprt::InstanceOptions options;
        options.interactive = false;
        qorprt::RunningInstance instance(options);
        const auto start = Clock::now();
        for (int i = 0; i < burst; ++i) {
            instance.Jobs().Append(std::string(QORPRT_PROGRAM) + " B" + std::to_string(i) +
                                       ".PRT /P\"QorPrt PDF\" /X",
                                   In("work"));
            instance.Jobs().Select(0);
            instance.Job().Aufruf = instance.Jobs().list.Items.front();
            instance.RunJob(true);
        }
        const double inProcess = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("the same %d files printed in one process (DoJob): %.2f s\n", burst, inProcess);
    }
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return 0;
}
