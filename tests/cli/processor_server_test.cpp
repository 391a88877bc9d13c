// velactl serve's server against clients over loopback: one controller at a time, silent ones dropped,
// the processor reopened after an unplug, and every event logged with the peer.
#include "cli/processor_server.h"

#include <gtest/gtest.h>

#include <mutex>

#include "cli/serve_command.h"
#include "core/protocol/envelope.h"
#include "core/protocol/frames.h"
#include "devices/tcp_hid_device.h"
#include "platform/stream_access.h"
#include "sim/sim_device.h"
#include "support/wait_until.h"

namespace vela::cli {
namespace {

using testing::WaitUntil;

constexpr const char* kLoopback = "127.0.0.1";

class ProcessorServerTest : public ::testing::Test {
  protected:
    std::shared_ptr<sim::SimulatedDevice> processor = std::make_shared<sim::SimulatedDevice>();
    std::mutex log_mutex;
    std::vector<std::string> log;
    ProcessorServer server{std::make_unique<sim::SimHidDevice>(processor), [this](const std::string& line) {
                               std::lock_guard lock(log_mutex);
                               log.push_back(line);
                           }};

    void Start(auth::Token token = {}, std::chrono::milliseconds idle = std::chrono::seconds(30)) {
        ProcessorServer::Config config;
        config.host = kLoopback;
        config.token = std::move(token);
        config.idle_limit = idle;
        std::string error;
        ASSERT_TRUE(server.Start(config, &error)) << error;
        ASSERT_TRUE(WaitUntil([&] { return server.DeviceOpen(); }));
    }
    bool Logged(const std::string& part) {
        std::lock_guard lock(log_mutex);
        for (const auto& line : log)
            if (line.find(part) != std::string::npos)
                return true;
        return false;
    }
    // A read of parameter 0 reaches the processor and its answer comes back.
    static bool Reaches(TcpHidDevice& client) {
        const std::uint8_t index[2] = {0, 0};
        for (const auto& report : WrapInReports(EncodeFrame(cmd::kReadParameters, index))) {
            if (client.WriteReport(report, 1000) != HidResult::kOk)
                return false;
        }
        Report r{};
        std::size_t got = 0;
        return client.ReadReport(r, got, 5000) == HidResult::kOk;
    }
};

TEST_F(ProcessorServerTest, ASecondControllerIsToldWhoHoldsTheProcessor) {
    Start(auth::Token(16, 9));
    TcpHidDevice first(kLoopback, server.Port(), auth::Token(16, 9));
    ASSERT_TRUE(first.Open(kVendorId, kProductId)) << first.Refusal();
    ASSERT_TRUE(WaitUntil([&] { return server.Sessions() == 1; }));

    TcpHidDevice second(kLoopback, server.Port(), auth::Token(16, 9));
    EXPECT_FALSE(second.Open(kVendorId, kProductId));
    EXPECT_NE(second.Refusal().find("busy: served to 127.0.0.1:"), std::string::npos) << second.Refusal();
    // A client without a token hears the same, as its first report.
    TcpHidDevice third(kLoopback, server.Port());
    ASSERT_TRUE(third.Open(kVendorId, kProductId));
    EXPECT_FALSE(Reaches(third));
    EXPECT_NE(third.Refusal().find("busy"), std::string::npos) << third.Refusal();
    EXPECT_TRUE(Logged("refused: busy, served to 127.0.0.1:"));

    // Once the first has gone, the next one is served.
    first.Close();
    TcpHidDevice next(kLoopback, server.Port(), auth::Token(16, 9));
    EXPECT_TRUE(WaitUntil([&] { return next.Open(kVendorId, kProductId); }));
    EXPECT_TRUE(WaitUntil([&] { return server.Sessions() == 2; }));
}

TEST_F(ProcessorServerTest, ASilentControllerIsDroppedAndLogged) {
    Start({}, std::chrono::milliseconds(200));
    net::Socket silent = net::Socket::Connect(kLoopback, server.Port(), 5000);
    ASSERT_TRUE(silent.Valid());
    std::atomic<bool> no_stop{false};
    Report greeting{};
    ASSERT_EQ(auth::ReceiveReport(silent, greeting, 5000, no_stop), net::IoResult::kOk);
    EXPECT_EQ(auth::Decode(greeting)->kind, auth::MessageKind::kOpen);
    // Whatever the processor announces arrives; then the server closes the connection.
    EXPECT_TRUE(WaitUntil([&] {
        Report r{};
        const auto io = auth::ReceiveReport(silent, r, 100, no_stop);
        return io == net::IoResult::kClosed || io == net::IoResult::kError;
    }));
    EXPECT_TRUE(WaitUntil([&] { return Logged("dropped: silent for 0 s"); }));
}

TEST_F(ProcessorServerTest, AnUnplugDropsTheControllerAndTheProcessorIsOpenedAgain) {
    Start();
    TcpHidDevice client(kLoopback, server.Port());
    ASSERT_TRUE(client.Open(kVendorId, kProductId));
    ASSERT_TRUE(WaitUntil([&] { return server.Sessions() == 1; }));
    processor->Unplug();
    EXPECT_TRUE(WaitUntil([&] {
        Report r{};
        std::size_t got = 0;
        return client.ReadReport(r, got, 100) == HidResult::kDisconnected;
    }));
    EXPECT_TRUE(WaitUntil([&] { return !server.DeviceOpen(); }));
    EXPECT_TRUE(WaitUntil([&] { return Logged("dropped: the processor was unplugged"); }));

    processor->Replug();
    ASSERT_TRUE(WaitUntil([&] { return server.DeviceOpen(); }));
    TcpHidDevice again(kLoopback, server.Port());
    ASSERT_TRUE(WaitUntil([&] { return again.Open(kVendorId, kProductId); }));
    EXPECT_TRUE(Reaches(again));
    EXPECT_TRUE(WaitUntil([&] { return server.Sessions() == 2; }));
}

TEST_F(ProcessorServerTest, StopEndsASessionAndTheServer) {
    Start();
    TcpHidDevice client(kLoopback, server.Port());
    ASSERT_TRUE(client.Open(kVendorId, kProductId));
    ASSERT_TRUE(WaitUntil([&] { return server.Sessions() == 1; }));
    server.Stop();
    EXPECT_FALSE(server.DeviceOpen());
    EXPECT_TRUE(Logged("dropped: the server stops"));
}

TEST(ServeLoopback, OnlyLoopbackAddressesPassWithoutAToken) {
    for (const char* host : {"127.0.0.1", "127.1.2.3", "::1", "localhost"})
        EXPECT_TRUE(IsLoopback(host)) << host;
    for (const char* host : {"0.0.0.0", "::", "192.168.1.10", "", "128.0.0.1", "localhost.example.com"})
        EXPECT_FALSE(IsLoopback(host)) << host;
}

}  // namespace
}  // namespace vela::cli
