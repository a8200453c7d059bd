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
        listener_ = std::make_unique<HandoverListener>(
            [this] { return title_; },
            [this](const WindowMessage& message) -> int64_t {
                handledOn_ = std::this_thread::get_id();
                const auto job = ReadHandoverJob(message.wParam, message.lParam);
                if (job) jobs_.push_back(*job);
                return job ? 1 : 0;
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
        auto taken = std::async(std::launch::async, [&] { return HandOverJob("a.PRT", line); });
        return RunUntil(taken);
    }

    test::TempDir runtime_;
    QString title_ = "Running";
    std::vector<std::string> jobs_;
    std::thread::id handledOn_;
    std::unique_ptr<HandoverListener> listener_;
};

TEST_F(HandoverListenerTest, JobIsTakenOnTheGuiThread) {
    EXPECT_TRUE(HandOver("qorprt a.PRT /PLaser\xF6"));
    EXPECT_EQ(jobs_, std::vector<std::string>{"qorprt a.PRT /PLaser\xF6"});
    EXPECT_EQ(handledOn_, std::this_thread::get_id());
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
