// A second process for the handover tests and the benchmark. As a receiver it is a running
// instance reduced to the handover: a HandoverListener that keeps each job it takes by appending
// it to a file as one line "wParam<TAB>job command line<TAB>folder". Its other commands act as a
// client or as a process of another user would.
//
//   receive JOBS [--title TITLE] [--modal] [--not-accepting]
//       listens as the instance titled TITLE ("Running") and prints its socket path; --modal
//       opens a modal message box while it handles the first job and closes it when the next
//       job has arrived inside it; --not-accepting answers every handover 0
//   listen-raw FOLDER TITLE JOBS [STALL_MS]
//       the same in FOLDER, without Qt and without folder checks, printing its answer to each
//       handover; with STALL_MS it waits that long before it takes a job (an instance that
//       hangs)
//   send SOCKET WPARAM LPARAM      sends the handover message without a block, prints the result
//   title SOCKET                   prints the window's title, or "-" without an answer
//   squat-shm UID SECONDS          creates, for everyone, the shared-memory names the clock
//                                  would give the handover blocks of user UID for that long

#include "app/HandoverListener.h"
#include "app/start/HandoverProtocol.h"
#include "app/start/HandoverReceiver.h"
#include "platform/system/PrivateFolder.h"
#include "platform/system/WindowClient.h"
#include "platform/system/WindowEndpoint.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace qorprt;

// The job kept as one line of the file.
bool KeepJob(const std::string& jobs, HandedOverJob& job);

void AppendLine(const std::string& file, const std::string& line) {
    const std::string text = line + "\n";
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return;
    (void)!::write(fd, text.data(), text.size());
    ::close(fd);
}

bool KeepJob(const std::string& jobs, HandedOverJob& job) {
    AppendLine(jobs, std::to_string(job.bytes) + "\t" + job.commandLine + "\t" + job.folder);
    return true;
}

void PrintLine(const std::string& text) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

int Receive(int argc, char** argv) {
    const std::string jobs = argv[2];
    QString title = kRunningTitle;
    bool modal = false;
    bool accepting = true;
    for (int i = 3; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--title" && i + 1 < argc) title = QString::fromUtf8(argv[++i]);
        if (option == "--modal") modal = true;
        if (option == "--not-accepting") accepting = false;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QPointer<QMessageBox> box;
    int handled = 0;
    HandoverListener listener(
        [&] { return title; }, [&](HandedOverJob& job) { return KeepJob(jobs, job); },
        [&](const HandedOverJob&) {
            if (!modal) return;
            if (++handled == 1) {
                QMessageBox dialog(QMessageBox::Information, "Qorva", "modal");
                box = &dialog;
                dialog.exec();
                AppendLine(jobs, "modal closed");
            } else if (box) {
                box->accept();
            }
        });
    if (!listener.Listening()) {
        std::fprintf(stderr, "not listening: %s\n", listener.ErrorText().c_str());
        return 1;
    }
    if (!accepting) listener.StopAccepting();
    PrintLine(listener.SocketPath());
    return app.exec();
}

int ListenRaw(int argc, char** argv) {
    const std::string jobs = argv[4];
    const long stallMs = argc > 5 ? std::strtol(argv[5], nullptr, 10) : 0;
    auto endpoint = WindowEndpoint::Open(
        argv[2], argv[3],
        [&](const WindowMessage& message, UniqueFd block,
            const std::function<bool()>& senderWaiting) -> int64_t {
            if (message.number != RegisterWindowMessage(kHandoverMessageName)) return 0;
            if (stallMs > 0) ::usleep(static_cast<useconds_t>(stallMs * 1000));
            const bool taken =
                TakeHandoverJob(
                    std::move(block), message.wParam,
                    [&](HandedOverJob& job) { return KeepJob(jobs, job); }, senderWaiting)
                    .has_value();
            PrintLine(taken ? "1" : "0");
            return taken ? 1 : 0;
        });
    if (!endpoint) {
        std::fprintf(stderr, "not listening: %s\n", endpoint.error().c_str());
        return 1;
    }
    PrintLine((*endpoint)->SocketPath());
    for (;;)
        ::pause();
}

int Send(char** argv) {
    const WindowMessage message{RegisterWindowMessage(kHandoverMessageName),
                                std::strtoull(argv[3], nullptr, 10),
                                std::strtoll(argv[4], nullptr, 10)};
    PrintLine(std::to_string(SendWindowMessage(WindowHandle{argv[2]}, message)));
    return 0;
}

int Title(char** argv) {
    PrintLine(GetWindowTitle(WindowHandle{argv[2]}).value_or("-"));
    return 0;
}

// The names a clock-keyed handover would use: "/qorprt-<uid>-QORPRT" + six hex digits of
// (seconds of the hour * 4096 + milliseconds); all of them from now on for `seconds`.
int SquatShm(char** argv) {
    const std::string prefix = std::string("/qorprt-") + argv[2] + "-QORPRT";
    const long seconds = std::strtol(argv[3], nullptr, 10);
    const long first = static_cast<long>(std::time(nullptr) % 3600);
    int planted = 0;
    for (long s = first; s <= first + seconds; ++s) {
        for (long ms = 0; ms < 1064; ++ms) {
            char name[64];
            std::snprintf(name, sizeof name, "%s%06lX", prefix.c_str(), (s % 3600) * 4096 + ms);
            const int fd = ::shm_open(name, O_RDWR | O_CREAT | O_EXCL, 0666);
            if (fd < 0) continue;
            ::fchmod(fd, 0666);
            ::close(fd);
            ++planted;
        }
    }
    PrintLine(std::to_string(planted));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "receive" && argc >= 3) return Receive(argc, argv);
    if (command == "listen-raw" && (argc == 5 || argc == 6)) return ListenRaw(argc, argv);
    if (command == "send" && argc == 5) return Send(argv);
    if (command == "title" && argc == 3) return Title(argv);
    if (command == "squat-shm" && argc == 4) return SquatShm(argv);
    std::fprintf(stderr, "usage: see the head of HandoverPeer.cpp\n");
    return 64;
}
