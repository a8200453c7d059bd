#include "support/ProgramRun.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qorprt::test {

namespace fs = std::filesystem;

ProgramCopy::ProgramCopy() {
    const fs::path built = QORPRT_PROGRAM;
    executable_ = dir_.File("qorprt");
    fs::copy_file(built, executable_);
    fs::permissions(executable_, fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
    fs::create_symlink(built.parent_path() / "qorprt-gui.so", dir_.File("qorprt-gui.so"));
}

void ProgramCopy::EnableLog() const {
    dir_.Write("qorprt.log", "");
}

std::string ProgramCopy::Log() const {
    return dir_.Read("qorprt.log");
}

namespace {

std::vector<std::string> Environment(const EnvChanges& changes) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (!changes.contains(name)) env.push_back(entry);
    }
    for (const auto& [name, value] : changes)
        if (value) env.push_back(name + "=" + *value);
    return env;
}

void ReadInto(int& fd, std::string& into) {
    if (fd < 0) return;
    char buffer[4096];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0) {
        into.append(buffer, static_cast<size_t>(got));
    } else if (got == 0 || errno != EINTR) {
        ::close(fd);
        fd = -1;
    }
}

} // namespace

RunningProgram::RunningProgram(const std::string& executable, const std::vector<std::string>& args,
                               const std::string& cwd, const EnvChanges& env) {
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return;
    std::vector<std::string> argvStrings{executable};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argvStrings)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings = Environment(env);
    std::vector<char*> envp;
    for (std::string& e : envStrings)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
}

RunningProgram::RunningProgram(const std::vector<std::string>& argv)
    : RunningProgram(argv.front(), std::vector<std::string>(argv.begin() + 1, argv.end()), {}, {}) {
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0 && !result_) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    if (out_ >= 0) ::close(out_);
    if (err_ >= 0) ::close(err_);
}

void RunningProgram::Signal(int signal) const {
    if (pid_ > 0) ::kill(pid_, signal);
}

std::string RunningProgram::ReadLine(std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const size_t newline = unread_.find('\n'); newline != std::string::npos) {
            std::string line = unread_.substr(0, newline);
            unread_.erase(0, newline + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (out_ < 0 || left.count() <= 0) return {};
        pollfd in{out_, POLLIN, 0};
        if (::poll(&in, 1, static_cast<int>(left.count())) <= 0) continue;
        ReadInto(out_, unread_);
    }
}

ProgramResult RunningProgram::Wait(std::chrono::milliseconds timeout) {
    if (result_) return *result_;
    ProgramResult result;
    result.out = std::move(unread_);
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (out_ >= 0 || err_ >= 0) {
        pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        if (::poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
        if (fds[0].revents) ReadInto(out_, result.out);
        if (fds[1].revents) ReadInto(err_, result.err);
    }
    int status = 0;
    pid_t done = 0;
    while (pid_ > 0 && (done = ::waitpid(pid_, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (pid_ > 0 && done == 0) {
        result.timedOut = true;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
    } else if (done == pid_ && WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    result_ = result;
    return result;
}

ProgramResult RunProgram(const std::string& executable, const std::vector<std::string>& args,
                         const std::string& cwd, const EnvChanges& env,
                         std::chrono::milliseconds timeout) {
    RunningProgram program(executable, args, cwd, env);
    return program.Wait(timeout);
}

} // namespace qorprt::test
