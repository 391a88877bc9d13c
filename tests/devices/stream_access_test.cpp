// The token handshake over loopback: a served processor lets in only a client that proves its token, and
// every refusal reaches the client as a reason it can print.
#include "platform/stream_access.h"

#include <gtest/gtest.h>

#include <future>

#include "core/link/device_spec.h"
#include "devices/tcp_hid_device.h"
#include "sim/sim_server.h"
#include "support/wait_until.h"

namespace vela {
namespace {

using testing::WaitUntil;

constexpr const char* kLoopback = "127.0.0.1";

auth::Token TokenOf(std::uint8_t fill) {
    return auth::Token(auth::kNewTokenSize, fill);
}

class TokenServerTest : public ::testing::Test {
  protected:
    sim::SimulatedDevice device;
    sim::SimServer server{device};

    void SetUp() override {
        server.SetToken(TokenOf(1));
        std::string error;
        ASSERT_TRUE(server.Start(kLoopback, 0, &error)) << error;
    }
    std::string Name() const { return std::string(kLoopback) + ":" + std::to_string(server.Port()); }
};

TEST_F(TokenServerTest, TheRightTokenReachesTheDevice) {
    TcpHidDevice tcp(kLoopback, server.Port(), TokenOf(1));
    ASSERT_TRUE(tcp.Open(kVendorId, kProductId)) << tcp.Refusal();
    EXPECT_EQ(tcp.Refusal(), "");
    EXPECT_TRUE(WaitUntil([&] { return server.Sessions() == 1; }));
    EXPECT_EQ(server.Refusals(), 0u);
}

TEST_F(TokenServerTest, AWrongTokenIsRefusedWithTheReason) {
    TcpHidDevice tcp(kLoopback, server.Port(), TokenOf(2));
    EXPECT_FALSE(tcp.Open(kVendorId, kProductId));
    EXPECT_EQ(tcp.Refusal(), "refused by " + Name() + ": wrong token");
    EXPECT_TRUE(WaitUntil([&] { return server.Refusals() == 1; }));
    EXPECT_EQ(server.Sessions(), 0u);
}

TEST_F(TokenServerTest, AClientWithoutATokenIsToldWhatIsMissingAndWritesNothing) {
    TcpHidDevice tcp(kLoopback, server.Port());
    ASSERT_TRUE(tcp.Open(kVendorId, kProductId));  // connects as it always did
    Report request{};
    request[0] = 0xAE;
    EXPECT_EQ(tcp.WriteReport(request, 1000), HidResult::kOk);
    Report reply{};
    std::size_t got = 0;
    EXPECT_EQ(tcp.ReadReport(reply, got, 10000), HidResult::kDisconnected);
    EXPECT_NE(tcp.Refusal().find("refused by " + Name() + ": it asks for a token"), std::string::npos)
        << tcp.Refusal();
    EXPECT_TRUE(WaitUntil([&] { return server.Refusals() == 1; }));
    EXPECT_EQ(server.Sessions(), 0u);
}

TEST(StreamTokenFile, AnUnreadableTokenFileFailsEveryOpenWithItsReason) {
    sim::SimulatedDevice device;
    sim::SimServer server{device};
    ASSERT_TRUE(server.Start(kLoopback, 0));
    TcpHidDevice tcp(kLoopback, server.Port(), {}, "cannot read the token file /nowhere");
    EXPECT_FALSE(tcp.Open(kVendorId, kProductId));
    EXPECT_EQ(tcp.Refusal(), "cannot read the token file /nowhere");
}

// The server's side against a raw client that misbehaves: silence, a flood, leaving.
class AdmitTest : public ::testing::Test {
  protected:
    net::Socket listener = net::Socket::Listen(kLoopback, 0);
    net::Socket client;
    net::Socket served;
    std::atomic<bool> stop{false};
    auth::ServerHandshake handshake{auth::PlatformCrypto(), TokenOf(3)};

    void SetUp() override {
        ASSERT_TRUE(listener.Valid());
        client = net::Socket::Connect(kLoopback, listener.LocalPort(), 5000);
        served = listener.Accept(5000);
        ASSERT_TRUE(client.Valid() && served.Valid());
    }
    std::optional<auth::Message> ClientReads() {
        Report r{};
        if (auth::ReceiveReport(client, r, 10000, stop) != net::IoResult::kOk)
            return std::nullopt;
        return auth::Decode(r);
    }
};

TEST_F(AdmitTest, NoAnswerWithinTheLimitIsRefused) {
    const auto admission = auth::Admit(served, handshake, 100, stop);
    EXPECT_FALSE(admission.admitted);
    EXPECT_NE(admission.refusal.find("no answer"), std::string::npos);
    ASSERT_EQ(ClientReads()->kind, auth::MessageKind::kChallenge);
    const auto verdict = ClientReads();
    ASSERT_TRUE(verdict);
    EXPECT_EQ(verdict->reason, auth::Refusal::kNoAnswer);
}

TEST_F(AdmitTest, AFloodIsReadOnlyAsFarAsOneAnswer) {
    auto admitting =
        std::async(std::launch::async, [&] { return auth::Admit(served, handshake, 10000, stop); });
    ASSERT_EQ(ClientReads()->kind, auth::MessageKind::kChallenge);
    const std::vector<std::uint8_t> flood(64 * 1024, 0x41);
    (void)client.SendAll(flood.data(), flood.size(), 2000);
    const auto admission = admitting.get();
    EXPECT_FALSE(admission.admitted);
    EXPECT_EQ(admission.refusal, "wrong token");
}

TEST_F(AdmitTest, AClientLeavingMidHandshakeIsNoAdmission) {
    auto admitting =
        std::async(std::launch::async, [&] { return auth::Admit(served, handshake, 10000, stop); });
    ASSERT_EQ(ClientReads()->kind, auth::MessageKind::kChallenge);
    const std::uint8_t half[10] = {0x7F, 'V', 'E', 'L', 'A'};
    (void)client.SendAll(half, sizeof half, 2000);
    client.Close();
    EXPECT_FALSE(admitting.get().admitted);
}

TEST_F(AdmitTest, StopEndsAWaitingHandshake) {
    auto admitting =
        std::async(std::launch::async, [&] { return auth::Admit(served, handshake, 600000, stop); });
    ASSERT_EQ(ClientReads()->kind, auth::MessageKind::kChallenge);
    stop.store(true);
    ASSERT_EQ(admitting.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_FALSE(admitting.get().admitted);
}

}  // namespace
}  // namespace vela
