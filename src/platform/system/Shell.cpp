#include "platform/system/Shell.h"

#include "platform/system/DesktopEntry.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qorprt {

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) {
    // Everything the child needs is prepared before the fork: after it only exec and _exit run.
    std::vector<std::string> args;
    args.reserve(arguments.size() + 1);
    args.push_back(program);
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // A pipe that closes on exec tells whether the grandchild's exec succeeded.
    int status[2];
    if (::pipe2(status, O_CLOEXEC) != 0) return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(status[0]);
        ::close(status[1]);
        return false;
    }
    if (child == 0) {
        // The intermediate child starts the program in a new session and ends at once, so the
        // program is adopted by init and never becomes our zombie.
        ::close(status[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            const int devNull = ::open("/dev/null", O_RDWR);
            if (devNull >= 0) {
                ::dup2(devNull, STDIN_FILENO);
                if (devNull > STDERR_FILENO) ::close(devNull);
            }
            ::execvp(argv[0], argv.data());
            const int error = errno;
            (void)!::write(status[1], &error, sizeof error);
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    ::close(status[1]);
    int childStatus = 0;
    while (::waitpid(child, &childStatus, 0) < 0 && errno == EINTR) {
    }
    int execError = 0;
    ssize_t got;
    while ((got = ::read(status[0], &execError, sizeof execError)) < 0 && errno == EINTR) {
    }
    ::close(status[0]);
    return WIFEXITED(childStatus) && WEXITSTATUS(childStatus) == 0 && got == 0;
}

bool OpenWithDesktop(const std::string& path) {
    return StartDetached("xdg-open", {path});
}

bool OpenInTextEditor(const std::string& path) {
    if (const char* editor = std::getenv("QORPRT_EDITOR"); editor && *editor)
        return StartDetached(editor, {path});
    if (auto command =
            DesktopExecCommand(DesktopEntryExec(DefaultApplicationFor("text/plain")), path)) {
        const std::string program = command->front();
        command->erase(command->begin());
        if (StartDetached(program, *command)) return true;
    }
    return OpenWithDesktop(path);
}

} // namespace qorprt
