// The transport and its connect routine against the in-process virtual processor, with real threads.
#include "core/link/hid_transport.h"

#include <gtest/gtest.h>

#include <future>

#include "sim/sim_device.h"
#include "support/link_fakes.h"
#include "support/recording_host.h"
#include "support/wait_until.h"

namespace vela {
namespace {

using testing::WaitUntil;

class TransportTest : public ::testing::Test {
  protected:
    // Twice as fast as real time: the connect routine's 100 ms sleeps last 50 ms, and its 500 ms reply
    // wait leaves a loaded machine ample time.
    SystemClock clock{2.0};
    testing::Latin1CodePage code_page;
    testing::RecordingHost host;
    DeviceLink link{clock, code_page};
    std::shared_ptr<sim::SimulatedDevice> device = std::make_shared<sim::SimulatedDevice>();
    sim::SimHidDevice hid{device};
    std::unique_ptr<HidTransport> transport;

    void SetUp() override { transport = std::make_unique<HidTransport>(link, hid); }
    void TearDown() override {
        link.State().running = false;
        transport.reset();
    }

    std::future<bool> ConnectAsync() {
        return std::async(std::launch::async, [this] { return transport->Connect(host); });
    }
    bool StopAndJoin(std::future<bool>& connecting) {
        link.State().running = false;
        return connecting.get();
    }
    // One request and its reply, as the worker does it.
    bool Exchange(const std::function<void()>& send) {
        link.State().waiting = true;
        send();
        const bool replied = link.WaitReply(5000);
        link.State().waiting = false;
        return replied;
    }
};

TEST_F(TransportTest, PresentDeviceConnectsAndParameterZeroIsReadBack) {
    ASSERT_TRUE(transport->Connect(host));
    auto& s = link.State();
    EXPECT_TRUE(s.link_up);
    EXPECT_TRUE(s.reader_running);
    EXPECT_TRUE(link.Table().IsReceived(0));
    EXPECT_EQ(link.Table().Value(0), kDeviceId);
    EXPECT_EQ(host.NotConnectedCount(), 1);  // the entry notice only
}

TEST_F(TransportTest, AbsentDeviceKeepsSearchingSilentlyUntilPluggedIn) {
    device->Unplug();
    auto connecting = ConnectAsync();
    ASSERT_TRUE(WaitUntil([&] { return transport->OpenAttempts() >= 5; }));
    EXPECT_FALSE(link.State().link_up);
    EXPECT_EQ(host.NotConnectedCount(), 1);  // no message while nothing is found
    device->Replug();
    ASSERT_EQ(connecting.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_TRUE(connecting.get());
    EXPECT_TRUE(link.State().link_up);
}

TEST_F(TransportTest, StoppingEndsASearch) {
    device->Unplug();
    auto connecting = ConnectAsync();
    ASSERT_TRUE(WaitUntil([&] { return transport->OpenAttempts() >= 2; }));
    EXPECT_FALSE(StopAndJoin(connecting));
}

TEST_F(TransportTest, DeviceWithOtherIdsIsIgnored) {
    auto other = std::make_shared<sim::SimulatedDevice>(0x845E, 0x0001);
    sim::SimHidDevice other_hid{other};
    HidTransport other_transport(link, other_hid);
    auto connecting = std::async(std::launch::async, [&] { return other_transport.Connect(host); });
    ASSERT_TRUE(WaitUntil([&] { return other_transport.OpenAttempts() >= 5; }));
    EXPECT_FALSE(link.State().link_up);
    EXPECT_FALSE(link.State().reader_running);
    link.State().running = false;
    EXPECT_FALSE(connecting.get());
    EXPECT_EQ(other->WithProcessor([](sim::VirtualProcessor& p) { return p.FramesReceived(); }), 0u);
}

TEST_F(TransportTest, SilentDeviceFailsEachAttemptWithANotice) {
    sim::Faults faults;
    faults.silent = true;
    device->SetFaults(faults);
    auto connecting = ConnectAsync();
    ASSERT_TRUE(WaitUntil([&] { return host.NotConnectedCount() >= 4; }));
    EXPECT_FALSE(StopAndJoin(connecting));
    EXPECT_FALSE(link.Table().IsReceived(0));
}

TEST_F(TransportTest, UnplugEndsTheReaderAndClearsLinkUpThenReconnects) {
    ASSERT_TRUE(transport->Connect(host));
    device->Unplug();
    ASSERT_TRUE(WaitUntil([&] { return !link.State().reader_running; }));
    EXPECT_FALSE(link.State().link_up);
    // Sending to an unplugged device fails and keeps the link down.
    EXPECT_FALSE(link.SendFrame(cmd::kReadParameters, std::vector<std::uint8_t>{0, 1}));
    EXPECT_FALSE(link.State().link_up);

    auto connecting = ConnectAsync();
    ASSERT_TRUE(WaitUntil([&] { return transport->OpenAttempts() >= 4; }));
    device->Replug();
    ASSERT_EQ(connecting.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_TRUE(connecting.get());
    EXPECT_TRUE(link.State().reader_running);
}

TEST_F(TransportTest, StaleIdentityMarkDoesNotPassForAnAnswer) {
    ASSERT_TRUE(transport->Connect(host));
    sim::Faults faults;
    faults.silent = true;
    device->SetFaults(faults);
    ASSERT_TRUE(link.Table().IsReceived(0));
    // The reader still runs on the open device, but the device no longer answers.
    auto connecting = ConnectAsync();
    ASSERT_TRUE(WaitUntil([&] { return host.NotConnectedCount() >= 3; }));
    EXPECT_FALSE(StopAndJoin(connecting));
}

TEST_F(TransportTest, WritesAndReadsTravelBothWays) {
    ASSERT_TRUE(transport->Connect(host));
    // A full write batch needs two reports each way.
    for (std::size_t i = 100; i < 124; ++i)
        link.WriteParameter(i, 1000 + i);
    ASSERT_TRUE(Exchange([&] { link.BuildWriteBatch(100, kMaxWriteGroups); }));
    ASSERT_TRUE(WaitUntil([&] { return !link.Table().IsDirty(123); }));
    for (std::size_t i = 100; i < 124; ++i) {
        EXPECT_FALSE(link.Table().IsDirty(i)) << i;
        EXPECT_EQ(device->Value(i), 1000 + i);
    }
    device->WithProcessor([](sim::VirtualProcessor& p) { p.SetValue(500, 4242); });
    ASSERT_TRUE(Exchange([&] { link.ReadOne(500); }));
    ASSERT_TRUE(WaitUntil([&] { return link.Table().IsReceived(500); }));
    EXPECT_EQ(link.Table().Value(500), 4242);
}

TEST_F(TransportTest, CloseWhileTheWorkerSendsIsSafe) {
    ASSERT_TRUE(transport->Connect(host));
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        while (!stop)
            link.ReadOne(1);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    transport->Close();
    EXPECT_FALSE(link.State().reader_running);
    stop = true;
    worker.join();
}

TEST_F(TransportTest, AnnounceMarksParameterZero) {
    ASSERT_TRUE(transport->Connect(host));
    link.Table()[0].received = 0;
    // A replug: the device announces itself to the new session.
    device->Unplug();
    ASSERT_TRUE(WaitUntil([&] { return !link.State().reader_running; }));
    device->Replug();
    ASSERT_TRUE(hid.Open(kVendorId, kProductId));
    Report r{};
    std::size_t n = 0;
    ASSERT_EQ(hid.ReadReport(r, n, 5000), HidResult::kOk);
    EnvelopeAssembler a([&](std::span<const std::uint8_t> m) { link.ReceiveBytes(m.data(), m.size()); });
    a.PutReport(std::span(r.data(), n));
    EXPECT_TRUE(link.Table().IsReceived(0));
}

}  // namespace
}  // namespace vela
