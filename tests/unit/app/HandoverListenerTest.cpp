#include "app/HandoverListener.h"

#include "app/start/HandoverProtocol.h"
#include "app/start/HandoverReceiver.h"
#include "app/start/HandoverSender.h"
#include "platform/system/WindowClient.h"
#include "support/GuiApp.h"
#include "support/TempDir.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace qorprt {
namespace {

using namespace std::chrono_literals;

// A sender on another thread of the test, the listener on the GUI thread.
class HandoverListenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureGuiApplication();
        ::setenv("XDG_RUNTIME_DIR", runtime_.Path().c_str(), 1);
        listener_ = std::make_unique<HandoverListener>([this] { return title_; },
                                                       [this](HandedOverJob& job) {
                                                           keptOn_ = std::this_thread::get_id();
                                                           job.record = 7;
                                                           return true;
                                                       },
                                                       [this](const HandedOverJob& job) {
                                                           handledOn_ = std::this_thread::get_id();
                                                           jobs_.push_back(
                                                               job.commandLine + "|" + job.folder +
                                                               "|" + std::to_string(job.record));
                                                       });
        ASSERT_TRUE(listener_->Listening()) << listener_->ErrorText();
    }
    void TearDown() override {
        listener_.reset();
        ::unsetenv("XDG_RUNTIME_DIR");
    }

    template <class T> T RunUntil(std::future<T>& done) {
        while (done.wait_for(1ms) != std::future_status::ready)
            QCoreApplication::processEvents();
        return done.get();
    }
    bool HandOver(const std::string& line) {
        auto taken = std::async(std::launch::async,
                                [&] { return HandOverJob("a.PRT", line, "/home/anna"); });
        return RunUntil(taken);
    }

    test::TempDir runtime_;
    QString title_ = "Running";
    std::vector<std::string> jobs_;
    std::thread::id handledOn_;
    std::thread::id keptOn_;
    std::unique_ptr<HandoverListener> listener_;
};

TEST_F(HandoverListenerTest, JobIsKeptOnTheListenersThreadAndListedOnTheGuiThread) {
    // The start has its answer before the GUI thread has seen the job.
    auto taken = std::async(std::launch::async,
                            [&] { return HandOverJob("a.PRT", "qorprt a.PRT /X", "/home/anna"); });
    EXPECT_TRUE(taken.get());
    EXPECT_TRUE(jobs_.empty());
    EXPECT_NE(keptOn_, std::this_thread::get_id());
    while (jobs_.empty())
        QCoreApplication::processEvents();
    EXPECT_EQ(jobs_, std::vector<std::string>{"qorprt a.PRT /X|/home/anna|7"});
    EXPECT_EQ(handledOn_, std::this_thread::get_id());
}

TEST_F(HandoverListenerTest, JobsTakenButNotYetListedComeBackWhenTheListenerStops) {
    EXPECT_TRUE(std::async(std::launch::async, [&] {
                    return HandOverJob("b.PRT", "qorprt b.PRT /X", "/srv");
                }).get());
    const std::vector<HandedOverJob> left = listener_->StopAccepting();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].commandLine, "qorprt b.PRT /X");
    QCoreApplication::processEvents();
    EXPECT_TRUE(jobs_.empty());
}

TEST_F(HandoverListenerTest, OnlyTheHandoverMessageWhileAcceptingAndTitledRunning) {
    // Another message is answered 0 as by a window that does not know it.
    const WindowHandle window{listener_->SocketPath()};
    auto other = std::async(std::launch::async, [&] {
        return SendWindowMessage(window, {RegisterWindowMessage("OTHER"), 1, 0});
    });
    EXPECT_EQ(RunUntil(other), 0);

    title_ = "Ende";
    listener_->RefreshTitle();
    EXPECT_FALSE(HandOver("qorprt a.PRT"));
    title_ = "Running";
    listener_->RefreshTitle();
    listener_->StopAccepting();
    EXPECT_FALSE(HandOver("qorprt a.PRT"));
    EXPECT_TRUE(jobs_.empty());
}

} // namespace
} // namespace qorprt
