#include "platform/system/WindowEndpoint.h"
#include "platform/system/PrivateFolder.h"
#include "platform/system/WindowClient.h"
#include "platform/system/WindowWire.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <future>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace qorprt {
namespace {

using namespace std::chrono_literals;

TEST(WindowMessagesTest, RegisteredNumberDependsOnTheNameOnly) {
    const uint32_t number = RegisterWindowMessage("QORPRT");
    EXPECT_GE(number, 0xC000u);
    EXPECT_LE(number, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessage("qorprt"), number);
    EXPECT_NE(RegisterWindowMessage("QORPRT2"), number);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
    EXPECT_EQ(RegisterWindowMessage(std::string(256, 'x')), 0u);
}

// An endpoint in a private folder, its messages handled on the test's thread as a GUI thread
// would handle them.
class WindowEndpointTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = EnsurePrivateFolder(temp_.File("qorprt")).value();
        auto endpoint = WindowEndpoint::Open(folder_, "Running");
        ASSERT_TRUE(endpoint.ok()) << endpoint.error();
        endpoint_ = std::move(*endpoint);
    }

    // Handles messages until `done` is ready; the handler's thread is recorded.
    template <class T> T Pump(std::future<T>& done, const WindowEndpoint::Handler& handler) {
        while (done.wait_for(0ms) != std::future_status::ready) {
            pollfd ready{endpoint_->NotifyFd(), POLLIN, 0};
            if (::poll(&ready, 1, 10) > 0) endpoint_->HandlePending(handler);
        }
        return done.get();
    }

    WindowHandle Window() const { return {endpoint_->SocketPath()}; }

    test::TempDir temp_;
    std::string folder_;
    std::unique_ptr<WindowEndpoint> endpoint_;
};

TEST_F(WindowEndpointTest, MessageReachesTheHandlerOnThePumpingThreadWithItsResult) {
    ASSERT_TRUE(FindWindowInFolder(folder_, "Running").has_value());
    EXPECT_EQ(FindWindowInFolder(folder_, "Running")->socketPath, endpoint_->SocketPath());
    EXPECT_FALSE(FindWindowInFolder(folder_, "Ende").has_value());

    std::thread::id handledOn;
    WindowMessage received;
    auto sent = std::async(std::launch::async, [&] {
        return SendWindowMessage(Window(), {0xC123, 256, 14742503});
    });
    const int64_t result = Pump(sent, [&](const WindowMessage& message) -> int64_t {
        handledOn = std::this_thread::get_id();
        received = message;
        return 0x100000002; // a 64-bit result comes back whole
    });
    EXPECT_EQ(result, 0x100000002);
    EXPECT_EQ(handledOn, std::this_thread::get_id());
    EXPECT_EQ(received.number, 0xC123u);
    EXPECT_EQ(received.wParam, 256u);
    EXPECT_EQ(received.lParam, 14742503);

    // The title is answered by the endpoint itself, also while nobody handles messages.
    endpoint_->SetTitle("Ende");
    EXPECT_EQ(GetWindowTitle(Window()), "Ende");
    EXPECT_FALSE(FindWindowInFolder(folder_, "Running").has_value());
}

TEST_F(WindowEndpointTest, SilentAndGarbageClientsHoldNothingUp) {
    const auto connect = [&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        endpoint_->SocketPath().copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        return fd;
    };
    const int silent = connect();
    const int garbage = connect();
    const std::string junk(wire::kRequestSize, 'x');
    ASSERT_EQ(::write(garbage, junk.data(), junk.size()), static_cast<ssize_t>(junk.size()));
    const int half = connect();
    ASSERT_EQ(::write(half, "QPH1", 4), 4);

    EXPECT_EQ(GetWindowTitle(Window()), "Running");
    // Garbage is closed unanswered at once; a silent client after its second.
    char answer;
    EXPECT_EQ(::read(garbage, &answer, 1), 0);
    EXPECT_EQ(::read(silent, &answer, 1), 0);
    EXPECT_EQ(::read(half, &answer, 1), 0);
    for (const int fd : {silent, garbage, half})
        ::close(fd);
}

TEST_F(WindowEndpointTest, NotAcceptingOrEndingAnswersZero) {
    std::atomic<int> handled = 0;
    const auto handler = [&](const WindowMessage&) -> int64_t { return ++handled; };
    endpoint_->SetAccepting(false);
    auto refused = std::async(std::launch::async, [&] { return SendWindowMessage(Window(), {}); });
    EXPECT_EQ(Pump(refused, handler), 0);
    endpoint_->SetAccepting(true);

    // A sender still waiting when the instance ends gets 0, as does one whose window is gone.
    auto waiting = std::async(std::launch::async, [&] { return SendWindowMessage(Window(), {}); });
    pollfd queued{endpoint_->NotifyFd(), POLLIN, 0};
    ASSERT_EQ(::poll(&queued, 1, 5000), 1);
    const WindowHandle window = Window();
    endpoint_.reset();
    EXPECT_EQ(waiting.get(), 0);
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(SendWindowMessage(window, {}), 0);
    EXPECT_FALSE(std::filesystem::exists(window.socketPath));
}

TEST_F(WindowEndpointTest, SocketOfAnEndedInstanceIsRemovedWhenSearched) {
    // What an instance that was killed leaves: a socket name nobody listens on.
    const std::string dead = folder_ + "window-1-0.sock";
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    dead.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    EXPECT_EQ(FindWindowInFolder(folder_, "Running")->socketPath, endpoint_->SocketPath());
    EXPECT_FALSE(std::filesystem::exists(dead));
    EXPECT_TRUE(std::filesystem::exists(endpoint_->SocketPath()));
}

} // namespace
} // namespace qorprt
