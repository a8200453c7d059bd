// The instance handover between real processes: the program started as a client starts it hands
// its job to a running instance (the test receiver, a HandoverListener that keeps each job it
// takes in a file as "wParam<TAB>job command line<TAB>folder"), and what must not be handed over
// is not.

#include "app/start/HandoverProtocol.h"
#include "app/start/HandoverSender.h"
#include "platform/system/Log.h"
#include "platform/system/WindowClient.h"
#include "platform/system/WorkingFolder.h"
#include "support/ProgramRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <pwd.h>
#include <sstream>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace qorprt {
namespace {

using namespace std::chrono_literals;
using test::RunningProgram;

constexpr auto kStartTime = 10s;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A job as the receiver keeps it, from a start in the test's folder.
std::string Taken(const std::string& job) {
    return std::to_string(job.size() + 1) + "\t" + job + "\t" + CurrentFolder();
}

// Whether the process holds a handover block (a memory file) open.
bool HoldsHandoverBlock(pid_t pid) {
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (std::filesystem::read_symlink(entry.path(), ec).string().starts_with("/memfd:qorprt"))
            return true;
    }
    return false;
}

template <class Condition> bool WaitUntil(Condition done) {
    for (auto waited = 0ms; waited < kStartTime; waited += 5ms) {
        if (done()) return true;
        std::this_thread::sleep_for(5ms);
    }
    return done();
}

// This user's entries in /dev/shm.
std::vector<std::string> SharedMemoryNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm")) {
        struct stat info {};
        if (::lstat(entry.path().c_str(), &info) == 0 && info.st_uid == ::geteuid())
            names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class HandoverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_RUNTIME_DIR", runtime_.Path().c_str(), 1);
        jobs_ = work_.File("jobs.txt");
    }
    void TearDown() override { ::unsetenv("XDG_RUNTIME_DIR"); }

    // Starts the test receiver and waits until it listens; its socket path comes back.
    std::string StartReceiver(std::vector<std::string> options = {}) {
        std::vector<std::string> argv = {QORPRT_HANDOVER_PEER, "receive", jobs_};
        argv.insert(argv.end(), options.begin(), options.end());
        receiver_ = std::make_unique<RunningProgram>(argv);
        return receiver_->ReadLine(kStartTime);
    }

    // The real program, started the way the client starts it.
    std::unique_ptr<RunningProgram> StartProgram(const std::vector<std::string>& arguments) {
        std::vector<std::string> argv = {QORPRT_PROGRAM};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return std::make_unique<RunningProgram>(argv);
    }

    std::vector<std::string> ReceivedJobs() const { return Lines(work_.Read("jobs.txt")); }

    // Waits until the receiver has written `count` lines.
    void WaitForJobs(size_t count) const {
        for (auto waited = 0ms; ReceivedJobs().size() < count && waited < kStartTime; waited += 5ms)
            std::this_thread::sleep_for(5ms);
    }

    test::TempDir runtime_;
    test::TempDir work_;
    std::string jobs_;
    std::unique_ptr<RunningProgram> receiver_;
};

TEST_F(HandoverTest, JobArrivesWholeWithProgramPath) {
    const std::string prt = work_.Write("R4711.PRT", "");
    const std::string program = QORPRT_PROGRAM;
    // The command line around the program path filled up to 255 bytes, so that with its NUL
    // it fills the classic 256-byte block exactly, and to 1000 bytes.
    const auto filler = [&](size_t total) { return std::string(total - program.size() - 1, 'A'); };
    struct Case {
        std::vector<std::string> arguments;
        std::string expected;
    } cases[] = {
        {{prt, "/PLaser2", "/X"}, program + " \"" + prt + "\" /PLaser2 /X"},
        {{"R4711.PRT", "/PKyocera FS-2100"}, program + " R4711.PRT /P\"Kyocera FS-2100\""},
        {{"/N", "R4711.PRT"}, program + " /N R4711.PRT"}, // a leading /N is not seen
        {{filler(255)}, program + " " + filler(255)},
        {{filler(1000)}, program + " " + filler(1000)},
    };
    ASSERT_FALSE(StartReceiver().empty());
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        EXPECT_EQ(StartProgram(c.arguments)->Wait(kStartTime).exitCode, 0) << c.expected;
        expected.push_back(Taken(c.expected));
    }
    EXPECT_EQ(ReceivedJobs(), expected);
    EXPECT_EQ(ReceivedJobs()[3].substr(0, 4), "256\t");
}

TEST_F(HandoverTest, WhatIsNotHandedOver) {
    work_.Write("qorprt.log", "");
    SetLogFolder(work_.Path());
    struct Case {
        const char* title;
        std::vector<std::string> options;
        std::string argumentText;
        std::string logged;
    } cases[] = {
        {"Running", {}, "x.PRT /N", ""},
        {"Running", {}, "x.PRT /N /X", ""},
        {"Ende", {}, "x.PRT /X", ""},
        // An instance about to end answers 0: the start does its job itself.
        {"Running", {"--not-accepting"}, "x.PRT /X", "SendMessage = 0"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> options = {"--title", c.title};
        options.insert(options.end(), c.options.begin(), c.options.end());
        ASSERT_FALSE(StartReceiver(options).empty());
        work_.Write("qorprt.log", "");
        EXPECT_FALSE(HandOverJob(c.argumentText, "qorprt " + c.argumentText, "/tmp"))
            << c.argumentText;
        const std::vector<std::string> log = Lines(work_.Read("qorprt.log"));
        if (c.logged.empty()) {
            EXPECT_TRUE(log.empty()) << c.argumentText;
        } else {
            ASSERT_EQ(log.size(), 1u);
            EXPECT_TRUE(log[0].ends_with(": " + c.logged + "\r")) << log[0];
        }
        EXPECT_TRUE(ReceivedJobs().empty()) << c.argumentText;
    }
    SetLogFolder("");
}

TEST_F(HandoverTest, SocketOfAnEndedInstanceIsRemoved) {
    const std::string socket = StartReceiver();
    ASSERT_FALSE(socket.empty());
    ASSERT_EQ(::kill(receiver_->Pid(), SIGKILL), 0);
    receiver_->Wait(kStartTime);
    ASSERT_TRUE(std::filesystem::exists(socket));
    EXPECT_FALSE(HandOverJob("x.PRT", "qorprt x.PRT", "/tmp"));
    EXPECT_FALSE(std::filesystem::exists(socket));
}

// An instance that does not take the job in time: the start withdraws it and does it itself,
// and the instance, when it comes to it, finds it withdrawn. A start killed while it waits
// leaves nothing behind.
TEST_F(HandoverTest, AStartThatGetsNoAnswerWithdrawsItsJobAndAKilledOneLeavesNothing) {
    work_.Write("qorprt.log", "");
    SetLogFolder(work_.Path());
    const std::string folder = runtime_.Path() + "/qorprt/";
    std::filesystem::create_directory(folder);
    ::chmod(folder.c_str(), 0700);
    receiver_ = std::make_unique<RunningProgram>(std::vector<std::string>{
        QORPRT_HANDOVER_PEER, "listen-raw", folder, "Running", jobs_, "4000"});
    const std::string socket = receiver_->ReadLine(kStartTime);
    ASSERT_FALSE(socket.empty());
    const std::vector<std::string> shmBefore = SharedMemoryNames();

    // Killed while it waits for the answer, its block passed on.
    auto killed = StartProgram({"K.PRT", "/X"});
    ASSERT_TRUE(WaitUntil([&] { return HoldsHandoverBlock(killed->Pid()); }));
    killed->Signal(SIGKILL);
    killed->Wait(kStartTime);
    EXPECT_EQ(receiver_->ReadLine(kStartTime), "0");
    // Given up after a few seconds: the job stays with the start.
    EXPECT_FALSE(HandOverJob("W.PRT /X", "qorprt W.PRT /X", "/tmp"));
    const std::vector<std::string> log = Lines(work_.Read("qorprt.log"));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].ends_with(": SendMessage: keine Antwort\r")) << log[0];
    EXPECT_EQ(SharedMemoryNames(), shmBefore);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator{}),
              1); // the receiver's socket alone
    // The stalled receiver comes to the job only after the start gave it up: it keeps none.
    EXPECT_EQ(receiver_->ReadLine(kStartTime), "0");
    EXPECT_TRUE(ReceivedJobs().empty());
    SetLogFolder("");
}

TEST_F(HandoverTest, TwentyStartsWithinOneSecondLoseNoJob) {
    ASSERT_FALSE(StartReceiver().empty());
    std::vector<std::unique_ptr<RunningProgram>> starts;
    std::vector<std::string> expected;
    const auto begin = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) {
        const std::string job = "R" + std::to_string(4700 + i) + ".PRT";
        starts.push_back(StartProgram({job, "/PLaser2", "/X"}));
        expected.push_back(Taken(std::string(QORPRT_PROGRAM) + " " + job + " /PLaser2 /X"));
    }
    ASSERT_LT(std::chrono::steady_clock::now() - begin, 1s);
    for (auto& start : starts)
        EXPECT_EQ(start->Wait(kStartTime).exitCode, 0);
    std::vector<std::string> received = ReceivedJobs();
    std::sort(received.begin(), received.end());
    EXPECT_EQ(received, expected);
}

TEST_F(HandoverTest, HandoverInsideModalMessageBoxOfTheReceiver) {
    ASSERT_FALSE(StartReceiver({"--modal"}).empty());
    // The first job opens the box; the second arrives inside it.
    auto first = StartProgram({"A.PRT"});
    WaitForJobs(1);
    auto second = StartProgram({"B.PRT"});
    EXPECT_EQ(second->Wait(kStartTime).exitCode, 0);
    EXPECT_EQ(first->Wait(kStartTime).exitCode, 0);
    WaitForJobs(3);
    const std::string program = QORPRT_PROGRAM;
    EXPECT_EQ(ReceivedJobs(),
              (std::vector<std::string>{Taken(program + " A.PRT"), Taken(program + " B.PRT"),
                                        "modal closed"}));
}

// A process of another user: the test runs as root and creates the user when it is missing.
class SecondUserTest : public HandoverTest {
protected:
    void SetUp() override {
        HandoverTest::SetUp();
        if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a process as a second user";
        const passwd* user = ::getpwnam(kUser);
        if (!user && std::system("useradd --system --no-create-home --shell /usr/sbin/nologin "
                                 "qorprt-peer >/dev/null 2>&1") == 0)
            user = ::getpwnam(kUser);
        if (!user) GTEST_SKIP() << "could not create the user " << kUser;
        asUser_ = {"setpriv", "--reuid=" + std::to_string(user->pw_uid),
                   "--regid=" + std::to_string(user->pw_gid), "--clear-groups", "--"};
        RunningProgram probe(AsUser({QORPRT_HANDOVER_PEER, "title", "/nonexistent"}));
        if (probe.ReadLine(kStartTime) != "-")
            GTEST_SKIP() << "the test programs cannot run as " << kUser;
    }

    std::vector<std::string> AsUser(std::vector<std::string> argv) const {
        argv.insert(argv.begin(), asUser_.begin(), asUser_.end());
        return argv;
    }
    std::string RunAsUser(const std::vector<std::string>& argv, int* exitCode = nullptr) const {
        RunningProgram child(AsUser(argv));
        std::string line = child.ReadLine(kStartTime);
        const int code = child.Wait(kStartTime).exitCode;
        if (exitCode) *exitCode = code;
        return line;
    }

    static constexpr const char* kUser = "qorprt-peer";
    std::vector<std::string> asUser_;
};

TEST_F(SecondUserTest, CannotHandOverNorAskTheTitle) {
    const std::string socket = StartReceiver();
    ASSERT_FALSE(socket.empty());
    // Open the way to the socket as far as a mistake could; the instance still refuses.
    const std::string folder = std::filesystem::path(socket).parent_path();
    ::chmod(runtime_.Path().c_str(), 0711);
    ::chmod(folder.c_str(), 0711);
    ::chmod(socket.c_str(), 0666);
    EXPECT_EQ(RunAsUser({QORPRT_HANDOVER_PEER, "title", socket}), "-");
    EXPECT_EQ(RunAsUser({QORPRT_HANDOVER_PEER, "send", socket, "256", "0"}), "0");
    ::chmod(folder.c_str(), 0700);
    EXPECT_TRUE(ReceivedJobs().empty());
}

TEST_F(SecondUserTest, NamesSquattedByAnotherUserDoNotBlockTheHandover) {
    const std::string uid = std::to_string(::geteuid());
    // Without a runtime folder the instances meet in the temporary folder, where another user
    // may have made the name first.
    if (std::filesystem::exists("/run/user/" + uid)) GTEST_SKIP() << "a session folder exists";
    test::TempDir temp, state;
    ::chmod(temp.Path().c_str(), 01777);
    RunAsUser({"mkdir", "-m", "0777", temp.Path() + "/qorprt-" + uid});
    ASSERT_TRUE(std::filesystem::exists(temp.Path() + "/qorprt-" + uid));
    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", temp.Path().c_str(), 1);
    ::setenv("XDG_STATE_HOME", state.Path().c_str(), 1);
    ASSERT_FALSE(StartReceiver().empty());
    // Every name a clock-keyed block of ours could get in the next seconds, taken as well.
    EXPECT_NE(RunAsUser({QORPRT_HANDOVER_PEER, "squat-shm", uid, "5"}), "0");
    auto start = StartProgram({"R4711.PRT", "/X"});
    EXPECT_EQ(start->Wait(kStartTime).exitCode, 0);
    EXPECT_EQ(ReceivedJobs(),
              std::vector<std::string>{Taken(std::string(QORPRT_PROGRAM) + " R4711.PRT /X")});
    receiver_.reset();
    ::unsetenv("TMPDIR");
    ::unsetenv("XDG_STATE_HOME");
    std::system(("rm -f /dev/shm/qorprt-" + uid + "-QORPRT*").c_str());
}

TEST_F(SecondUserTest, WindowOfAnotherUserIsNotFound) {
    // The other user's instance listens in our folder (opened to it for the moment).
    const std::string folder = runtime_.Path() + "/qorprt/";
    std::filesystem::create_directory(folder);
    ::chmod(runtime_.Path().c_str(), 0711);
    ::chmod(folder.c_str(), 0777);
    RunningProgram other(AsUser({QORPRT_HANDOVER_PEER, "listen-raw", folder, "Running", jobs_}));
    const std::string socket = other.ReadLine(kStartTime);
    ::chmod(folder.c_str(), 0700);
    ASSERT_FALSE(socket.empty());
    ::chmod(socket.c_str(), 0666);
    EXPECT_EQ(GetWindowTitle({socket}), std::nullopt);
    EXPECT_FALSE(FindWindowByTitle(kRunningTitle).has_value());
    EXPECT_TRUE(std::filesystem::exists(socket)); // alive: not removed as dead
    EXPECT_TRUE(ReceivedJobs().empty());
}

} // namespace
} // namespace qorprt
