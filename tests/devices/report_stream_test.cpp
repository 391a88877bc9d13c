// The report stream over loopback TCP: the link against velasim's server, and against peers that
// misbehave in every way a stream can.
#include <gtest/gtest.h>

#include <future>
#include <random>

#include "core/link/hid_transport.h"
#include "devices/tcp_hid_device.h"
#include "platform/tcp_socket.h"
#include "sim/sim_server.h"
#include "support/link_fakes.h"
#include "support/recording_host.h"
#include "support/wait_until.h"

namespace vela {
namespace {

using testing::WaitUntil;

constexpr const char* kLoopback = "127.0.0.1";

class StreamTest : public ::testing::Test {
  protected:
    SystemClock clock{10.0};
    testing::Latin1CodePage code_page;
    testing::RecordingHost host;
    DeviceLink link{clock, code_page};

    bool Exchange(const std::function<void()>& send) {
        link.State().waiting = true;
        send();
        const bool replied = link.WaitReply(5000);
        link.State().waiting = false;
        return replied;
    }
};

class SimServerTest : public StreamTest {
  protected:
    sim::SimulatedDevice device;
    sim::SimServer server{device};
    std::unique_ptr<TcpHidDevice> tcp;
    std::unique_ptr<HidTransport> transport;

    void SetUp() override {
        std::string error;
        ASSERT_TRUE(server.Start(kLoopback, 0, &error)) << error;
        tcp = std::make_unique<TcpHidDevice>(kLoopback, server.Port());
        transport = std::make_unique<HidTransport>(link, *tcp);
    }
    void TearDown() override {
        link.State().running = false;
        transport.reset();
        server.Stop();
    }
};

TEST_F(SimServerTest, ConnectsReadsAndWritesThroughTheServer) {
    ASSERT_TRUE(transport->Connect(host));
    // The device's announce may end the connect before the read of parameter 0 is answered.
    EXPECT_TRUE(WaitUntil([&] { return link.Table().Value(0) == kDeviceId; }));
    for (std::size_t i = 200; i < 224; ++i)
        link.WriteParameter(i, 3000 + i);
    ASSERT_TRUE(Exchange([&] { link.BuildWriteBatch(200, kMaxWriteGroups); }));
    ASSERT_TRUE(WaitUntil([&] { return !link.Table().IsDirty(223); }));
    EXPECT_EQ(device.Value(210), 3210);
    ASSERT_TRUE(Exchange([&] { link.ReadOne(4); }));
    EXPECT_EQ(server.Sessions(), 1u);
}

TEST_F(SimServerTest, UnplugClosesTheStreamAndTheClientReconnectsAfterReplug) {
    ASSERT_TRUE(transport->Connect(host));
    device.Unplug();
    ASSERT_TRUE(WaitUntil([&] { return !link.State().reader_running; }));
    EXPECT_FALSE(link.State().link_up);
    auto connecting = std::async(std::launch::async, [&] { return transport->Connect(host); });
    ASSERT_TRUE(WaitUntil([&] { return transport->OpenAttempts() >= 4; }));  // refused while unplugged
    device.Replug();
    ASSERT_EQ(connecting.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_TRUE(connecting.get());
    EXPECT_EQ(server.Sessions(), 2u);
}

TEST_F(SimServerTest, LossyCorruptingDeviceIsStillReachedByRetrying) {
    sim::Faults faults;
    faults.drop_share = 0.4;
    faults.corrupt_share = 0.3;
    device.SetFaults(faults);
    ASSERT_TRUE(transport->Connect(host));
    int answered = 0;
    for (int k = 0; k < 40; ++k) {
        link.Table()[6].received = 0;
        link.State().waiting = true;
        link.ReadOne(6);
        (void)link.WaitReply(500);
        link.State().waiting = false;
        answered += link.Table().IsReceived(6) ? 1 : 0;
    }
    EXPECT_GT(answered, 0);
    EXPECT_LT(answered, 40);
    EXPECT_TRUE(link.State().reader_running);  // damage is dropped by the checks, never fatal
}

TEST_F(SimServerTest, ServerSurvivesGarbageShortReportsAndAbruptClients) {
    std::mt19937 random(7);
    for (int round = 0; round < 3; ++round) {
        net::Socket raw = net::Socket::Connect(kLoopback, server.Port(), 2000);
        ASSERT_TRUE(raw.Valid());
        std::vector<std::uint8_t> junk(1000 + round * 37);
        for (auto& b : junk)
            b = static_cast<std::uint8_t>(random());
        // Valid envelope headers among the junk, one of them announcing a huge message.
        junk[0] = 0xAE, junk[1] = 0x1E, junk[2] = 0xFF, junk[3] = 0xFF, junk[4] = 0xC8;
        EXPECT_EQ(raw.SendAll(junk.data(), junk.size(), 2000), net::IoResult::kOk);
        // Half of a two-report write, then gone.
        const auto reports =
            WrapInReports(EncodeFrame(cmd::kWriteParameters, std::vector<std::uint8_t>(96, 1)));
        EXPECT_EQ(raw.SendAll(reports[0].data(), 40, 2000), net::IoResult::kOk);
        raw.Close();
        ASSERT_TRUE(WaitUntil([&] { return !server.ClientConnected() && server.Sessions() == round + 1u; }));
    }
    // A well-behaved client is still served.
    ASSERT_TRUE(transport->Connect(host));
    ASSERT_TRUE(Exchange([&] { link.ReadOne(5); }));
}

TEST_F(SimServerTest, ASecondClientWaitsUntilTheFirstLeaves) {
    ASSERT_TRUE(transport->Connect(host));
    DeviceLink other_link{clock, code_page};
    TcpHidDevice other_tcp(kLoopback, server.Port());
    HidTransport other(other_link, other_tcp);
    testing::RecordingHost other_host;
    auto connecting = std::async(std::launch::async, [&] { return other.Connect(other_host); });
    ASSERT_TRUE(WaitUntil([&] { return other_host.NotConnectedCount() >= 3; }));
    EXPECT_EQ(server.Sessions(), 1u);
    transport->Close();
    ASSERT_EQ(connecting.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_TRUE(connecting.get());
    EXPECT_EQ(server.Sessions(), 2u);
    other_link.State().running = false;
}

// A peer of our own on the far end, sending exactly what a test wants.
class RawPeerTest : public StreamTest {
  protected:
    net::Socket listener;
    std::unique_ptr<TcpHidDevice> tcp;
    std::unique_ptr<HidTransport> transport;
    net::Socket peer;

    void SetUp() override {
        listener = net::Socket::Listen(kLoopback, 0);
        ASSERT_TRUE(listener.Valid());
        tcp = std::make_unique<TcpHidDevice>(kLoopback, listener.LocalPort());
        transport = std::make_unique<HidTransport>(link, *tcp);
    }
    void TearDown() override {
        link.State().running = false;
        peer.Close();
        transport.reset();
    }
    // Runs the connect routine and answers its reads of parameter 0 as a processor would, however
    // many attempts a slow machine makes it take.
    void Plug() {
        auto connecting = std::async(std::launch::async, [&] { return transport->Connect(host); });
        peer = listener.Accept(20000);
        ASSERT_TRUE(peer.Valid());
        std::uint8_t request[kReportSize];
        std::size_t total = 0;
        while (connecting.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
            std::size_t got = 0;
            if (peer.Receive(request + total, kReportSize - total, got, 10) != net::IoResult::kOk) {
                continue;
            }
            total += got;
            if (total == kReportSize) {
                total = 0;
                SendFrame(cmd::kReadParameters, {0, 0, 0x62, 0x01});
            }
        }
        ASSERT_TRUE(connecting.get());
    }
    void SendFrame(std::uint8_t command, std::vector<std::uint8_t> payload) {
        for (const auto& r : WrapInReports(EncodeFrame(command, payload))) {
            ASSERT_EQ(peer.SendAll(r.data(), r.size(), 2000), net::IoResult::kOk);
        }
    }
};

TEST_F(RawPeerTest, ReportsSplitAndJoinedAnyWayStillArrive) {
    Plug();
    // One two-report read reply sent as 3, 61, 1 and 63 bytes.
    std::vector<std::uint8_t> payload;
    for (std::uint16_t i = 1; i <= 24; ++i) {
        payload.insert(payload.end(), {HighByte(i), LowByte(i), 0, static_cast<std::uint8_t>(i + 100)});
    }
    std::vector<std::uint8_t> bytes;
    for (const auto& r : WrapInReports(EncodeFrame(cmd::kReadParameters, payload)))
        bytes.insert(bytes.end(), r.begin(), r.end());
    ASSERT_EQ(bytes.size(), 128u);
    std::size_t at = 0;
    for (std::size_t piece : {3u, 61u, 1u, 63u}) {
        ASSERT_EQ(peer.SendAll(bytes.data() + at, piece, 2000), net::IoResult::kOk);
        at += piece;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(WaitUntil([&] { return link.Table().IsReceived(24); }));
    EXPECT_EQ(link.Table().Value(24), 124);

    // Three replies in one send.
    std::vector<std::uint8_t> joined;
    for (std::uint16_t i : {30, 31, 32}) {
        for (const auto& r : WrapInReports(EncodeFrame(
                 cmd::kReadParameters, std::vector<std::uint8_t>{0, static_cast<std::uint8_t>(i), 0, 9})))
            joined.insert(joined.end(), r.begin(), r.end());
    }
    ASSERT_EQ(peer.SendAll(joined.data(), joined.size(), 2000), net::IoResult::kOk);
    ASSERT_TRUE(WaitUntil([&] { return link.Table().IsReceived(32); }));
    EXPECT_TRUE(link.Table().IsReceived(30));
}

TEST_F(RawPeerTest, GarbageIsDroppedAndTheLinkStaysUp) {
    Plug();
    std::mt19937 random(3);
    std::vector<std::uint8_t> junk(64 * 20);
    for (auto& b : junk)
        b = static_cast<std::uint8_t>(random());
    ASSERT_EQ(peer.SendAll(junk.data(), junk.size(), 2000), net::IoResult::kOk);
    SendFrame(cmd::kReadParameters, {0, 77, 0, 1});
    ASSERT_TRUE(WaitUntil([&] { return link.Table().IsReceived(77); }));
    EXPECT_TRUE(link.State().reader_running);
}

TEST_F(RawPeerTest, DisconnectMidFrameIsAnUnplugAndTheClientReconnects) {
    Plug();
    const auto reports = WrapInReports(EncodeFrame(cmd::kReadParameters, std::vector<std::uint8_t>(100, 0)));
    ASSERT_EQ(peer.SendAll(reports[0].data(), reports[0].size(), 2000), net::IoResult::kOk);
    ASSERT_EQ(peer.SendAll(reports[1].data(), 17, 2000), net::IoResult::kOk);
    peer.Close();
    ASSERT_TRUE(WaitUntil([&] { return !link.State().reader_running; }));
    EXPECT_FALSE(link.State().link_up);
    EXPECT_FALSE(link.SendFrame(cmd::kReadParameters, std::vector<std::uint8_t>{0, 1}));

    // The connect routine opens the stream again and is answered by the returning peer.
    Plug();
    EXPECT_TRUE(link.State().link_up);
}

TEST(ReportStream, NothingListeningMeansNoDevice) {
    net::Socket probe = net::Socket::Listen(kLoopback, 0);
    const auto port = probe.LocalPort();
    probe.Close();
    TcpHidDevice tcp(kLoopback, port);
    EXPECT_FALSE(tcp.Open(kVendorId, kProductId));
    Report r{};
    std::size_t n = 0;
    EXPECT_EQ(tcp.ReadReport(r, n, 0), HidResult::kDisconnected);
    EXPECT_EQ(tcp.WriteReport(r, 0), HidResult::kDisconnected);
}

TEST(ReportStream, AbortEndsAPendingRead) {
    net::Socket listener = net::Socket::Listen(kLoopback, 0);
    TcpHidDevice tcp(kLoopback, listener.LocalPort());
    ASSERT_TRUE(tcp.Open(kVendorId, kProductId));
    net::Socket peer = listener.Accept(5000);
    auto reading = std::async(std::launch::async, [&] {
        Report r{};
        std::size_t n = 0;
        return tcp.ReadReport(r, n, 60000);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    tcp.Abort();
    ASSERT_EQ(reading.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(reading.get(), HidResult::kAborted);
}

// A client that connects and then says nothing is dropped after the idle limit, so that the next one gets
// the device.
TEST(SimServerIdle, ASilentClientIsDroppedAndTheNextOneServed) {
    sim::SimulatedDevice device;
    sim::SimServer server{device};
    server.SetIdleLimit(std::chrono::milliseconds(300));
    std::string error;
    ASSERT_TRUE(server.Start(kLoopback, 0, &error)) << error;
    net::Socket silent = net::Socket::Connect(kLoopback, server.Port(), 2000);
    ASSERT_TRUE(silent.Valid());
    ASSERT_TRUE(WaitUntil([&] { return server.ClientConnected(); }));
    EXPECT_TRUE(WaitUntil([&] { return !server.ClientConnected(); }));
    net::Socket next = net::Socket::Connect(kLoopback, server.Port(), 2000);
    ASSERT_TRUE(next.Valid());
    EXPECT_TRUE(WaitUntil([&] { return server.Sessions() == 2; }));
    server.Stop();
}

}  // namespace
}  // namespace vela
