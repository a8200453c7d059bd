// A second process for the handover tests and the benchmark. As a receiver it is a running
// instance reduced to the handover: a HandoverListener whose handler reads the job from its
// block and appends it to a file as one line "wParam<TAB>job command line". Its other commands act
// as a client or as a process of another user would.
//
//   receive JOBS [--title TITLE] [--modal] [--not-accepting]
//       listens as the instance titled TITLE ("Running") and prints its socket path; --modal
//       opens a modal message box while it handles the first job and closes it when the next
//       job has arrived inside it; --not-accepting answers every handover 0
//   listen-raw FOLDER TITLE JOBS   the same in FOLDER, without Qt and without folder checks
//   send SOCKET WPARAM LPARAM      sends the handover message, prints the result
//   title SOCKET                   prints the window's title, or "-" without an answer
//   read-shm NAME                  prints the shared-memory object's bytes; exit 2 if refused
//   plant-shm NAME TEXT            creates the object for everyone (mode 0666) holding TEXT

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

void AppendLine(const std::string& file, const std::string& line) {
    const std::string text = line + "\n";
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return;
    (void)!::write(fd, text.data(), text.size());
    ::close(fd);
}

int64_t TakeJob(const std::string& jobs, const WindowMessage& message) {
    const std::optional<std::string> job = ReadHandoverJob(message.wParam, message.lParam);
    if (!job) return 0;
    AppendLine(jobs, std::to_string(message.wParam) + "\t" + *job);
    return 1;
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
    HandoverListener listener([&] { return title; },
                              [&](const WindowMessage& message) -> int64_t {
                                  const int64_t result = TakeJob(jobs, message);
                                  if (!modal || result == 0) return result;
                                  if (++handled == 1) {
                                      QMessageBox dialog(QMessageBox::Information, "Qorva",
                                                         "modal");
                                      box = &dialog;
                                      dialog.exec();
                                      AppendLine(jobs, "modal closed");
                                  } else if (box) {
                                      box->accept();
                                  }
                                  return result;
                              });
    if (!listener.Listening()) {
        std::fprintf(stderr, "not listening: %s\n", listener.ErrorText().c_str());
        return 1;
    }
    if (!accepting) listener.StopAccepting();
    PrintLine(listener.SocketPath());
    return app.exec();
}

int ListenRaw(char** argv) {
    const std::string jobs = argv[4];
    auto endpoint = WindowEndpoint::Open(argv[2], argv[3]);
    if (!endpoint) {
        std::fprintf(stderr, "not listening: %s\n", endpoint.error().c_str());
        return 1;
    }
    PrintLine((*endpoint)->SocketPath());
    const uint32_t number = RegisterWindowMessage(kHandoverMessageName);
    for (;;) {
        pollfd ready{(*endpoint)->NotifyFd(), POLLIN, 0};
        ::poll(&ready, 1, -1);
        (*endpoint)->HandlePending([&](const WindowMessage& message) -> int64_t {
            return message.number == number ? TakeJob(jobs, message) : 0;
        });
    }
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

int ReadShm(char** argv) {
    const int fd = ::shm_open(argv[2], O_RDONLY, 0);
    if (fd < 0) return 2;
    std::vector<char> bytes(4096);
    const ssize_t got = ::read(fd, bytes.data(), bytes.size());
    ::close(fd);
    if (got < 0) return 2;
    PrintLine(std::string(bytes.data(), static_cast<size_t>(got)).c_str());
    return 0;
}

int PlantShm(char** argv) {
    const std::string_view text = argv[3];
    const int fd = ::shm_open(argv[2], O_RDWR | O_CREAT | O_EXCL, 0666);
    if (fd < 0) return 2;
    const bool done = ::fchmod(fd, 0666) == 0 &&
                      ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return done ? 0 : 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "receive" && argc >= 3) return Receive(argc, argv);
    if (command == "listen-raw" && argc == 5) return ListenRaw(argv);
    if (command == "send" && argc == 5) return Send(argv);
    if (command == "title" && argc == 3) return Title(argv);
    if (command == "read-shm" && argc == 3) return ReadShm(argv);
    if (command == "plant-shm" && argc == 4) return PlantShm(argv);
    std::fprintf(stderr, "usage: see the head of HandoverPeer.cpp\n");
    return 64;
}
