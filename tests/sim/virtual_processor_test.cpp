// The virtual processor through frames: every command the link relies on, answered as it relies on it.
#include "sim/virtual_processor.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "core/link/device_link.h"
#include "core/link/wifi_slots.h"
#include "core/protocol/factory_defaults.h"
#include "sim/sim_device.h"
#include "support/link_fakes.h"
#include "support/temp_dir.h"

namespace vela {
namespace {

struct Reply {
    std::uint8_t command;
    std::vector<std::uint8_t> payload;
};

class ProcessorTest : public ::testing::Test {
  protected:
    std::vector<std::vector<std::uint8_t>> out;
    sim::VirtualProcessor processor{[this](std::vector<std::uint8_t> f) { out.push_back(std::move(f)); }};

    // Sends one frame and returns the replies, parsed by the link's own receiver.
    std::vector<Reply> Ask(std::uint8_t command, std::vector<std::uint8_t> payload) {
        out.clear();
        const auto frame = EncodeFrame(command, payload);
        processor.ReceiveBytes(frame);
        processor.ReceiveBytes(std::vector<std::uint8_t>{0});  // lets a five-byte frame be scanned
        return Parse();
    }
    std::vector<Reply> Parse() {
        std::vector<Reply> replies;
        FrameReceiver receiver([&](std::uint8_t c, std::span<const std::uint8_t> p) {
            replies.push_back({c, {p.begin(), p.end()}});
        });
        for (const auto& f : out) {
            receiver.ReceiveBytes(f.data(), f.size());
        }
        const std::uint8_t pad = 0;
        receiver.ReceiveBytes(&pad, 1);
        return replies;
    }
    static std::vector<std::uint8_t> Text(std::string_view s) { return {s.begin(), s.end()}; }
    std::string AskText(std::string_view command) {
        const auto r = Ask(cmd::kWifiText, Text(command));
        if (r.size() != 1 || r[0].command != cmd::kWifiText)
            return "<no single reply>";
        return std::string(r[0].payload.begin(), r[0].payload.end());
    }
};

TEST_F(ProcessorTest, IdentifyAnswersInBothForms) {
    const auto r = Ask(cmd::kIdentify, {0});
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].command, cmd::kIdentify);
    EXPECT_EQ(r[0].payload, (std::vector<std::uint8_t>{0x62, 0x01, 0, 0}));
    EXPECT_EQ(r[1].payload, (std::vector<std::uint8_t>{1, 8, 0, 0, 0, 0}));

    processor.SetReportedId(0x6202);
    const auto wrong = Ask(cmd::kIdentify, {0});
    EXPECT_EQ(wrong[0].payload[1], 0x02);
    EXPECT_EQ(processor.Value(0), 0x6202);
}

TEST_F(ProcessorTest, ReadAnswersValidIndexesAndOccupancy) {
    auto r = Ask(cmd::kReadParameters, {0, 0, 0x03, 0xB3, 0x03, 0xA7, 0, 4});
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].payload, (std::vector<std::uint8_t>{0, 0, 0x62, 0x01, 0x03, 0xA7, 0, 0, 0, 4,
                                                       HighByte(296), LowByte(296)}));
    processor.SetOccupied(true);
    r = Ask(cmd::kReadParameters, {0x03, 0xA7});
    EXPECT_EQ(r[0].payload, (std::vector<std::uint8_t>{0x03, 0xA7, 0, 2}));
    // An empty read is still answered, so a waiting sender is released.
    r = Ask(cmd::kReadParameters, {});
    ASSERT_EQ(r.size(), 1u);
    EXPECT_TRUE(r[0].payload.empty());
}

TEST_F(ProcessorTest, WriteStoresAndEchoesTheValueNowHeld) {
    processor.SetOccupied(true);
    const auto r = Ask(cmd::kWriteParameters, {0, 10, 0x12, 0x34,  // stored
                                               0, 0, 0, 1,         // identity is fixed
                                               0x03, 0xA7, 0, 1,   // heartbeat while another holds it
                                               0x03, 0xB3, 0, 5,   // beyond the table
                                               0, 11, 0});         // partial group
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].payload,
              (std::vector<std::uint8_t>{0, 10, 0x12, 0x34, 0, 0, 0x62, 0x01, 0x03, 0xA7, 0, 2}));
    EXPECT_EQ(processor.Value(10), 0x1234);
    processor.SetOccupied(false);
    EXPECT_EQ(processor.Value(param::kOccupancy), 1);
}

TEST_F(ProcessorTest, DumpStreamsEveryParameterOnceUnlessIgnored) {
    const auto r = Ask(cmd::kDump, {0});
    std::set<int> seen;
    for (const auto& reply : r) {
        ASSERT_EQ(reply.command, cmd::kReadParameters);
        ASSERT_LE(reply.payload.size() + kFrameOverhead, 123u);  // two reports at most
        for (std::size_t g = 0; g + 4 <= reply.payload.size(); g += 4) {
            EXPECT_TRUE(seen.insert(Word(reply.payload[g], reply.payload[g + 1])).second);
        }
    }
    EXPECT_EQ(seen.size(), kParameterCount);
    processor.SetIgnoreDump(true);
    EXPECT_TRUE(Ask(cmd::kDump, {0}).empty());
}

TEST_F(ProcessorTest, ScenesSaveNameAndCall) {
    processor.SetValue(300, 7777);
    std::vector<std::uint8_t> save{3};
    const std::string name = "Party";
    save.insert(save.end(), name.begin(), name.end());
    save.resize(21, ' ');
    auto r = Ask(cmd::kSaveScene, save);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].command, cmd::kSaveScene);
    EXPECT_EQ(processor.Value(param::kCurrentScene), 3);

    r = Ask(cmd::kSceneName, {3});
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].payload, (std::vector<std::uint8_t>{3, 'P', 'a', 'r', 't', 'y'}));

    processor.SetValue(300, 1);
    r = Ask(cmd::kCallScene, {1});
    EXPECT_EQ(processor.Value(300), FactoryDefaults()[300]);
    EXPECT_EQ(processor.Value(param::kCurrentScene), 1);
    r = Ask(cmd::kCallScene, {3});
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].payload, (std::vector<std::uint8_t>{3}));
    EXPECT_EQ(processor.Value(300), 7777);
    EXPECT_EQ(processor.Value(param::kCurrentScene), 3);
    EXPECT_EQ(processor.Value(0), kDeviceId);

    EXPECT_TRUE(Ask(cmd::kCallScene, {9}).empty());
    EXPECT_TRUE(Ask(cmd::kSaveScene, {0}).empty());
}

TEST_F(ProcessorTest, SaveSettingsIsAcknowledgedAndPersisted) {
    const auto path = (std::filesystem::temp_directory_path() / "vela_sim_state_test.txt").string();
    std::filesystem::remove(path);
    ASSERT_TRUE(processor.UseStateFile(path));
    processor.SetValue(42, 4242);
    processor.Wifi().hot_ssid = "Room 7 \xB5";
    std::vector<std::uint8_t> save{2, 'B', 'a', 'r'};
    save.resize(21, 0);
    Ask(cmd::kSaveScene, save);
    processor.SetValue(43, 4343);
    const auto r = Ask(cmd::kSaveSettings, {1, 1});
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].command, cmd::kSaveSettings);
    processor.SetValue(44, 4444);  // not saved

    sim::VirtualProcessor restored{nullptr};
    ASSERT_TRUE(restored.UseStateFile(path));
    EXPECT_EQ(restored.Value(42), 4242);
    EXPECT_EQ(restored.Value(43), 4343);
    EXPECT_EQ(restored.Value(44), FactoryDefaults()[44]);
    EXPECT_EQ(restored.SceneName(2), "Bar");
    EXPECT_EQ(restored.SceneValues(2)[42], 4242);
    EXPECT_EQ(restored.Wifi().hot_ssid, "Room 7 \xB5");
    std::filesystem::remove(path);
}

TEST_F(ProcessorTest, DamagedStateFileIsRefusedAndLeftAlone) {
    const auto path = (std::filesystem::temp_directory_path() / "vela_sim_bad_state.txt").string();
    for (const std::string content :
         {"something else\n", "vela-sim-state 1\nsettings 1 2 3\n", "vela-sim-state 1\nscene 12 - 0\n"}) {
        std::ofstream(path, std::ios::trunc) << content;
        sim::VirtualProcessor p{nullptr};
        EXPECT_FALSE(p.UseStateFile(path)) << content;
        EXPECT_EQ(p.Value(4), FactoryDefaults()[4]);
    }
    std::filesystem::remove(path);
}

TEST_F(ProcessorTest, WifiModuleAnswersEveryKeywordEndedByTwoBytes) {
    EXPECT_EQ(AskText("Get_IP:"), "Get_IP:C0A80401\r\n");
    EXPECT_EQ(AskText("Get_LinkIP:"), "Get_LinkIP:00000000\r\n");
    EXPECT_EQ(AskText("Get_WiFiMode:"), "Get_WiFiMode:1\r\n");
    EXPECT_EQ(AskText("Get_TCPPort:"), "Get_TCPPort:8080\r\n");
    EXPECT_EQ(AskText("Get_UDPPort:"), "Get_UDPPort:8081\r\n");
    EXPECT_EQ(AskText("Set_RouteSSID:Home"), "Set_RouteSSID:OK\r\n");
    EXPECT_EQ(AskText("Set_RoutePW:secret"), "Set_RoutePW:OK\r\n");
    EXPECT_EQ(AskText("Set_HotSSID:Hot"), "Set_HotSSID:OK\r\n");
    EXPECT_EQ(AskText("Set_HotPW:hotpass"), "Set_HotPW:OK\r\n");
    EXPECT_EQ(AskText("Get_RouteSSID:"), "Get_RouteSSID:Home\r\n");
    EXPECT_EQ(AskText("Get_RoutePW:"), "Get_RoutePW:secret\r\n");
    EXPECT_EQ(AskText("Get_HotSSID:"), "Get_HotSSID:Hot\r\n");
    EXPECT_EQ(AskText("Get_HotPW:"), "Get_HotPW:hotpass\r\n");
    EXPECT_EQ(AskText("Set_WiFiMode:2"), "Set_WiFiMode:OK\r\n");
    EXPECT_EQ(AskText("Get_WiFiMode:"), "Get_WiFiMode:2\r\n");
    EXPECT_TRUE(Ask(cmd::kWifiText, Text("Set_WiFiMode:7")).empty());
    EXPECT_TRUE(Ask(cmd::kWifiText, Text("Hello")).empty());

    // A restart in router mode joins the router and reports the address it was given.
    const auto restart = Ask(cmd::kWifiText, Text("Set_Restart:"));
    ASSERT_EQ(restart.size(), 2u);
    EXPECT_EQ(std::string(restart[1].payload.begin(), restart[1].payload.end()), "Get_LinkIP:C0A80164\r\n");
    EXPECT_EQ(AskText("Set_Restore:"), "Set_Restore:OK\r\n");
    EXPECT_EQ(AskText("Get_HotSSID:"), "Get_HotSSID:VELA-DSP\r\n");
}

TEST_F(ProcessorTest, UnknownCommandsAndDamagedFramesGetNoAnswer) {
    EXPECT_TRUE(Ask(0x42, {1, 2}).empty());
    out.clear();
    auto frame = EncodeFrame(cmd::kReadParameters, std::vector<std::uint8_t>{0, 1});
    frame.back() ^= 0xFF;
    processor.ReceiveBytes(frame);
    EXPECT_TRUE(out.empty());
}

// The link and the processor back to back: every reply lands where the link expects it.
TEST(ProcessorAndLink, RepliesReachTheLinksTableFlagsAndWifiSlots) {
    testing::ManualClock clock;
    testing::Latin1CodePage code_page;
    DeviceLink link(clock, code_page);
    WifiSlots slots;
    slots.Attach(link);
    sim::VirtualProcessor processor(
        [&](std::vector<std::uint8_t> f) { link.ReceiveBytes(f.data(), f.size()); });

    struct Loopback final : IFrameSender {
        sim::VirtualProcessor& p;
        explicit Loopback(sim::VirtualProcessor& p) : p(p) {}
        bool SendFrameBytes(std::span<const std::uint8_t> frame) override {
            p.ReceiveBytes(frame);
            return true;
        }
    } loopback(processor);
    link.SetSender(&loopback);

    processor.Announce();
    EXPECT_TRUE(link.Table().IsReceived(0));
    link.Identify();
    EXPECT_EQ(link.State().device_id.load(), kDeviceId);
    EXPECT_EQ(link.State().scene_limit.load(), 8u);

    link.SendFrame(cmd::kCallScene, std::vector<std::uint8_t>{2});
    link.WriteParameter(600, 1234);
    link.BuildWriteBatch(600, 24);
    EXPECT_FALSE(link.Table().IsDirty(600));

    link.SendFrame(cmd::kSaveSettings, std::vector<std::uint8_t>{1, 1});
    std::vector<std::uint8_t> save{4, 'K', 'T', 'V'};
    save.resize(21, ' ');
    link.SendFrame(cmd::kSaveScene, save);
    EXPECT_TRUE(link.State().call_scene_ack);
    EXPECT_TRUE(link.State().save_settings_ack);
    EXPECT_TRUE(link.State().save_scene_ack);

    link.WriteParameter(param::kSceneSelector, 0x0504);
    link.BuildWriteBatch(0, 24);
    EXPECT_EQ(link.SceneNames().Name(3), L"KTV");
    EXPECT_FALSE(link.Table().IsDirty(param::kSceneSelector));

    link.SendFrame(cmd::kDump, std::vector<std::uint8_t>{0});
    for (std::size_t i = 0; i < kParameterCount; ++i)
        ASSERT_TRUE(link.Table().IsReceived(i)) << i;
    EXPECT_EQ(link.Table().Value(600), 1234);

    const std::string get_ip = "Get_IP:";
    link.SendFrame(cmd::kWifiText,
                   std::span(reinterpret_cast<const std::uint8_t*>(get_ip.data()), get_ip.size()));
    EXPECT_EQ(slots[wifi::kIp].value.load(), 0xC0A80401u);
    EXPECT_EQ(slots[wifi::kIp].answered.load(), 1);
    processor.SendWifiNotice("Set_Restart:");
    EXPECT_EQ(slots[wifi::kRestart].answered.load(), 1);
}

TEST(SimulatedDeviceFaults, SilenceDropCorruptionAndDelay) {
    const std::vector<std::uint8_t> read0 =
        EncodeFrame(cmd::kReadParameters, std::vector<std::uint8_t>{0, 0});
    const auto ask = [&](sim::SimulatedDevice& d, sim::SimulatedDevice::Session s) {
        for (const auto& r : WrapInReports(read0))
            EXPECT_EQ(d.PutReport(s, r), HidResult::kOk);
    };
    const auto take = [](sim::SimulatedDevice& d, sim::SimulatedDevice::Session s, std::uint32_t ms) {
        std::vector<std::vector<std::uint8_t>> messages;
        EnvelopeAssembler a(
            [&](std::span<const std::uint8_t> m) { messages.emplace_back(m.begin(), m.end()); });
        Report r{};
        while (d.TakeReport(s, r, ms, nullptr) == HidResult::kOk)
            a.PutReport(r);
        return messages;
    };

    sim::SimulatedDevice device;
    auto session = device.Attach(kVendorId, kProductId);
    ASSERT_NE(session, 0u);
    EXPECT_EQ(take(device, session, 0).size(), 1u);  // the announce
    ask(device, session);
    const auto normal = take(device, session, 0);
    ASSERT_EQ(normal.size(), 1u);

    sim::Faults f;
    f.silent = true;
    device.SetFaults(f);
    ask(device, session);
    EXPECT_TRUE(take(device, session, 0).empty());

    f = {};
    f.drop_share = 1.0;
    device.SetFaults(f);
    ask(device, session);
    EXPECT_TRUE(take(device, session, 0).empty());

    f = {};
    f.corrupt_share = 1.0;
    device.SetFaults(f);
    ask(device, session);
    const auto corrupt = take(device, session, 0);
    ASSERT_EQ(corrupt.size(), 1u);
    EXPECT_NE(corrupt[0], normal[0]);

    f = {};
    f.delay_share = 1.0;
    f.delay_ms = 60000;
    device.SetFaults(f);
    ask(device, session);
    EXPECT_TRUE(take(device, session, 0).empty());  // held back, not lost

    // Unplugging ends the session; replugging lets a new one start, and the old one stays ended.
    device.Unplug();
    Report r{};
    EXPECT_EQ(device.TakeReport(session, r, 0, nullptr), HidResult::kDisconnected);
    EXPECT_EQ(device.Attach(kVendorId, kProductId), 0u);
    device.Replug();
    EXPECT_NE(device.Attach(kVendorId, kProductId), 0u);
    EXPECT_EQ(device.PutReport(session, r), HidResult::kDisconnected);
}

// A host that floods dump requests and never reads: the device's queue of replies stays bounded, and the
// device answers again once the host reads.
TEST(SimulatedDeviceFaults, AFloodOfDumpRequestsNeverGrowsTheReplyQueuePastItsBound) {
    sim::SimulatedDevice device;
    const auto session = device.Attach(kVendorId, kProductId);
    ASSERT_NE(session, 0u);
    const auto dump = EncodeFrame(cmd::kDump, std::vector<std::uint8_t>{0});
    for (int k = 0; k < 200; ++k) {
        for (const auto& r : WrapInReports(dump))
            ASSERT_EQ(device.PutReport(session, r), HidResult::kOk);
    }
    EXPECT_LE(device.QueuedReports(), sim::SimulatedDevice::kMaxQueuedReports);
    EXPECT_GT(device.QueuedReports(), sim::SimulatedDevice::kMaxQueuedReports / 2);
    Report r{};
    while (device.TakeReport(session, r, 0, nullptr) == HidResult::kOk) {
    }
    for (const auto& report : WrapInReports(dump))
        ASSERT_EQ(device.PutReport(session, report), HidResult::kOk);
    EXPECT_GT(device.QueuedReports(), 0u);
}

// The state file is written through a fresh temporary name: a link planted at the old fixed name
// (FILE.new) no longer redirects the write to another file.
TEST_F(ProcessorTest, StateFileSavesIgnoreAPlantedTemporaryName) {
    testing::TempDir dir;
    const auto path = dir / "state.txt";
    const auto victim = dir / "victim.txt";
    std::ofstream(victim) << "precious";
    std::error_code ec;
    std::filesystem::create_symlink(victim, dir / "state.txt.new", ec);
    if (ec) {
        GTEST_SKIP() << "no symbolic links here: " << ec.message();
    }
    ASSERT_TRUE(processor.UseStateFile(path.string()));
    processor.SetValue(42, 4242);
    ASSERT_EQ(Ask(cmd::kSaveSettings, {1, 1}).size(), 1u);
    std::ifstream in(victim);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "precious");
    sim::VirtualProcessor restored{nullptr};
    ASSERT_TRUE(restored.UseStateFile(path.string()));
    EXPECT_EQ(restored.Value(42), 4242);
}

}  // namespace
}  // namespace vela
