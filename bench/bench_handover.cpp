// The cost of a second start as the client sees it: the whole process of the real program
// (fork, exec, finding the running instance, the block, the message and its answer, the exit),
// against a running test receiver. The target is at most 10 ms per start.
//
// The same figure from the shell, with a receiver running in the same XDG_RUNTIME_DIR:
//   hyperfine -N --warmup 20 'build/bin/qorprt R4711.PRT /PLaser2 /X'

#include "app/start/HandoverSender.h"

#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// A receiver in a runtime folder of its own, for the whole benchmark program.
class Receiver {
public:
    Receiver() {
        char pattern[] = "/tmp/qorprt-bench-XXXXXX";
        if (!::mkdtemp(pattern)) return;
        folder_ = pattern;
        ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        const std::string jobs = folder_ + "/jobs.txt";
        int out[2];
        if (::pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::vector<std::string> args = {QORPRT_HANDOVER_PEER, "receive", jobs};
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        // The receiver prints its socket path once it listens.
        pollfd ready{out[0], POLLIN, 0};
        char line[512];
        listening_ = ::poll(&ready, 1, 10000) == 1 && ::read(out[0], line, sizeof line) > 1;
        ::close(out[0]);
    }
    ~Receiver() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }
    bool Listening() const { return listening_; }

private:
    std::string folder_;
    pid_t pid_ = -1;
    bool listening_ = false;
};

Receiver& TheReceiver() {
    static Receiver receiver;
    return receiver;
}

int RunProgram(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_SecondStartProcess(benchmark::State& state) {
    if (!TheReceiver().Listening()) {
        state.SkipWithError("the test receiver does not listen");
        return;
    }
    for (auto _ : state) {
        if (RunProgram({QORPRT_PROGRAM, "R4711.PRT", "/PLaser2", "/X"}) != 0) {
            state.SkipWithError("the program did not end with 0");
            return;
        }
    }
}
BENCHMARK(BM_SecondStartProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

// The handover alone, without starting a process: the search, the block, the round trip.
void BM_HandOverJob(benchmark::State& state) {
    if (!TheReceiver().Listening()) {
        state.SkipWithError("the test receiver does not listen");
        return;
    }
    for (auto _ : state) {
        if (!qorprt::HandOverJob("R4711.PRT /PLaser2 /X", "qorprt R4711.PRT /PLaser2 /X", "/tmp")) {
            state.SkipWithError("the job was not taken");
            return;
        }
    }
}
BENCHMARK(BM_HandOverJob)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
