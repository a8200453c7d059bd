#include "platform/system/DesktopEntry.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qorprt {

namespace {

// Splits the Exec value into arguments: blanks separate, double quotes group, and inside quotes
// a backslash escapes the next character.
std::optional<std::vector<std::string>> SplitExec(const std::string& exec) {
    std::vector<std::string> args;
    std::string current;
    bool inArg = false;
    bool quoted = false;
    for (size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '\\' && i + 1 < exec.size()) {
                current += exec[++i];
            } else if (c == '"') {
                quoted = false;
            } else {
                current += c;
            }
        } else if (c == '"') {
            quoted = true;
            inArg = true;
        } else if (c == ' ' || c == '\t') {
            if (inArg) args.push_back(std::move(current));
            current.clear();
            inArg = false;
        } else {
            current += c;
            inArg = true;
        }
    }
    if (quoted) return std::nullopt;
    if (inArg) args.push_back(std::move(current));
    return args;
}

std::vector<std::string> DataFolders() {
    std::vector<std::string> folders;
    if (const char* home = std::getenv("XDG_DATA_HOME"); home && *home)
        folders.emplace_back(home);
    else if (const char* user = std::getenv("HOME"); user && *user)
        folders.push_back(std::string(user) + "/.local/share");
    std::string dirs = "/usr/local/share:/usr/share";
    if (const char* env = std::getenv("XDG_DATA_DIRS"); env && *env) dirs = env;
    size_t start = 0;
    while (start <= dirs.size()) {
        const size_t colon = dirs.find(':', start);
        const std::string folder = dirs.substr(start, colon - start);
        if (!folder.empty()) folders.push_back(folder);
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return folders;
}

} // namespace

std::optional<std::vector<std::string>> DesktopExecCommand(const std::string& exec,
                                                           const std::string& file) {
    auto split = SplitExec(exec);
    if (!split || split->empty()) return std::nullopt;
    std::vector<std::string> command;
    bool placed = false;
    for (const std::string& arg : *split) {
        if (arg == "%f" || arg == "%F" || arg == "%u" || arg == "%U") {
            if (!placed) command.push_back(file);
            placed = true;
            continue;
        }
        std::string expanded;
        bool dropped = false;
        for (size_t i = 0; i < arg.size(); ++i) {
            if (arg[i] != '%' || i + 1 >= arg.size()) {
                expanded += arg[i];
                continue;
            }
            const char code = arg[++i];
            if (code == '%')
                expanded += '%';
            else if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
                expanded += file;
                placed = true;
            } else if (arg.size() == 2)
                dropped = true; // %i, %c, %k and the deprecated codes stand alone: no argument
        }
        if (!dropped) command.push_back(std::move(expanded));
    }
    if (command.empty()) return std::nullopt;
    if (!placed) command.push_back(file);
    return command;
}

std::string DesktopEntryExec(const std::string& desktopId) {
    if (desktopId.empty() || desktopId.find('/') != std::string::npos) return {};
    for (const std::string& folder : DataFolders()) {
        std::ifstream in(folder + "/applications/" + desktopId);
        if (!in) continue;
        std::string line;
        bool mainGroup = false;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.starts_with('[')) {
                mainGroup = line == "[Desktop Entry]";
            } else if (mainGroup && line.starts_with("Exec=")) {
                return line.substr(5);
            }
        }
    }
    return {};
}

std::string DefaultApplicationFor(const std::string& mimeType) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string program = "xdg-mime", query = "query", kind = "default", type = mimeType;
    char* argv[] = {program.data(), query.data(), kind.data(), type.data(), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string answer;
    if (spawned == 0) {
        char buffer[512];
        ssize_t got;
        while ((got = ::read(out[0], buffer, sizeof buffer)) != 0) {
            if (got < 0 && errno == EINTR) continue;
            if (got < 0 || answer.size() > 4096) break;
            answer.append(buffer, static_cast<size_t>(got));
        }
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    ::close(out[0]);
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == ' '))
        answer.pop_back();
    return answer.find('\n') == std::string::npos ? answer : std::string();
}

} // namespace qorprt
