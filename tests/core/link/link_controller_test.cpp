// The link worker end to end against the in-process virtual processor, with real threads and a
// faster clock.
#include "core/link/link_controller.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/files/file_data.h"
#include "core/link/link_schedule.h"
#include "core/link/transport_link.h"
#include "core/text/strings.h"
#include "sim/sim_device.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace vela {
namespace {

using testing::WaitUntil;

constexpr double kSpeed = 5.0;

class LinkControllerTest : public ::testing::Test {
  protected:
    LinkControllerTest() {
        SetLanguageIndex(2);
        wifi.Attach(link);
        controller.SetWifiStep(&wifi_step);
    }
    ~LinkControllerTest() override { controller.StopLink(); }

    bool Loaded(int times = 1) {
        return WaitUntil([&] { return host.Count(LinkNotify::kDisplayUpdated, 0) >= times; });
    }
    bool Connected() {
        return host.Count(LinkNotify::kLinkState, static_cast<std::intptr_t>(LinkStateCode::kConnected)) > 0;
    }
    int Shown(std::wstring_view text) {
        int n = 0;
        for (const auto& m : host.Messages())
            n += (m.text == text || m.caption == text) ? 1 : 0;
        return n;
    }
    bool TableMatchesDevice() {
        for (std::size_t i = 1; i < kParameterCount; ++i) {
            if (i == param::kOccupancy)
                continue;  // the heartbeat writes it
            if (link.Table().Value(i) != device->Value(i))
                return false;
        }
        return true;
    }
    std::uint64_t DeviceHeard(std::uint8_t command) {
        return device->WithProcessor([&](sim::VirtualProcessor& p) { return p.FramesReceived(command); });
    }
    void Request(int number) {
        const int before = controller.Served(number);
        link.State().RaiseRequest(number);
        ASSERT_TRUE(WaitUntil([&] { return controller.Served(number) > before; }, std::chrono::seconds(60)));
    }
    // A device table that differs from the factory defaults almost everywhere.
    void FillDevice(std::uint16_t salt) {
        device->WithProcessor([&](sim::VirtualProcessor& p) {
            for (std::size_t i = 1; i < kParameterCount; ++i) {
                if (i >= 925 && i <= 935)
                    continue;
                p.SetValue(i, static_cast<std::uint16_t>(i * 7 + salt));
            }
        });
    }

    testing::TempDir dir;
    std::shared_ptr<sim::SimulatedDevice> device = std::make_shared<sim::SimulatedDevice>();
    sim::SimHidDevice hid{device};
    SystemClock clock{kSpeed};
    DeviceLink link{clock};
    HidTransport transport{link, hid};
    WifiSlots wifi;
    WifiPollStep wifi_step{wifi};
    testing::RecordingHost host;
    HidConnector connector{transport, host};
    LinkController controller{link, connector, host,
                              FileLocations{dir.Path(), (dir.Path() / "Temp").string() + "/"}};
};

TEST_F(LinkControllerTest, ConnectsLoadsTheDevicesTableAndSendsEdits) {
    FillDevice(3);
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(Loaded());
    EXPECT_TRUE(Connected());
    EXPECT_EQ(link.Table().Value(0), kDeviceId);
    EXPECT_TRUE(TableMatchesDevice());
    EXPECT_TRUE(WaitUntil([&] { return link.SceneNames().Name(0) == L"Scene 1"; }));

    link.WriteParameter(28, 560);
    ASSERT_TRUE(WaitUntil([&] { return device->Value(28) == 560 && !link.Table().IsDirty(28); }));
    // A value the device changes and the link reads back reaches the owner as a notification.
    device->WithProcessor([](sim::VirtualProcessor& p) { p.SetValue(29, 590); });
    const int told = host.Count(LinkNotify::kParameter, 29);
    link.Table()[29].read_request = 1;
    ASSERT_TRUE(WaitUntil([&] { return host.Count(LinkNotify::kParameter, 29) > told; }));
    EXPECT_EQ(link.Table().Value(29), 590);
}

TEST_F(LinkControllerTest, AValueChangedWhileItsWriteIsInFlightIsSentAgain) {
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(Loaded());
    sim::Faults slow;
    slow.delay_share = 1.0;
    slow.delay_ms = 30;  // the acknowledgement of the first value arrives after the second was entered
    device->SetFaults(slow);
    link.WriteParameter(300, 10);
    ASSERT_TRUE(WaitUntil([&] { return device->Value(300) == 10; }));
    link.WriteParameter(300, 11);
    ASSERT_TRUE(WaitUntil([&] { return device->Value(300) == 11 && !link.Table().IsDirty(300); }));
}

TEST_F(LinkControllerTest, ADeviceWithAnotherIdIsTriedTwelveTimesARoundThenRebuiltAfterAPause) {
    // The link clock of every identify the device hears.
    std::mutex mutex;
    std::vector<std::uint32_t> identifies;
    device->SetLog([&](const std::string& line) {
        // "host> 80 LL CC ...": the command is the third byte.
        if (line.rfind("host>", 0) == 0 && line.size() >= 14 && line.compare(12, 2, "00") == 0) {
            std::lock_guard lock(mutex);
            identifies.push_back(clock.TickMs());
        }
    });
    sim::Faults wrong;
    wrong.device_id = 0x1234;
    device->SetFaults(wrong);
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(WaitUntil([&] { return host.NotConnectedCount() >= 4; }));
    controller.StopLink();
    device->SetLog(nullptr);
    EXPECT_FALSE(Connected());
    EXPECT_EQ(DeviceHeard(cmd::kDump), 0u);

    // Rounds are told apart by the 2000 ms pause before rebuilding; within one the attempts follow closely.
    std::vector<int> rounds{0};
    for (std::size_t k = 0; k < identifies.size(); ++k) {
        if (k > 0 && identifies[k] - identifies[k - 1] >= 2000)
            rounds.push_back(0);
        ++rounds.back();
    }
    ASSERT_GE(rounds.size(), 3u) << identifies.size() << " identifies";
    for (std::size_t r = 0; r + 1 < rounds.size(); ++r)  // the last round may have been cut short
        EXPECT_EQ(rounds[r], 12) << "round " << r;
}

TEST_F(LinkControllerTest, AnOccupiedDeviceIsNotLoadedUntilReleased) {
    device->SetOccupied(true);
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(WaitUntil([&] { return Shown(Text(str::kEquipmentOccupied)) >= 2; }));
    EXPECT_EQ(host.Count(LinkNotify::kDisplayUpdated, 0), 0);
    EXPECT_EQ(device->WithProcessor([](sim::VirtualProcessor& p) { return p.FramesReceived(cmd::kDump); }),
              0u);
    device->SetOccupied(false);
    ASSERT_TRUE(Loaded());
}

TEST_F(LinkControllerTest, ADeviceThatIgnoresTheDumpIsStillReadCompletely) {
    sim::Faults no_dump;
    no_dump.ignore_dump = true;
    device->SetFaults(no_dump);
    FillDevice(11);
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(Loaded());
    EXPECT_TRUE(TableMatchesDevice());
}

TEST_F(LinkControllerTest, PausedLinkSendsNothing) {
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(Loaded());
    link.State().paused = true;
    // A cycle already under way finishes first; on a loaded machine that takes a while.
    const auto frames = [&] {
        return device->WithProcessor([](sim::VirtualProcessor& p) { return p.FramesReceived(); });
    };
    auto before = frames();
    ASSERT_TRUE(WaitUntil([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const auto now = frames();
        return std::exchange(before, now) == now;
    }));
    link.WriteParameter(40, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(frames(), before);
    link.State().paused = false;
    ASSERT_TRUE(WaitUntil([&] { return device->Value(40) == 1; }));
}

TEST_F(LinkControllerTest, SceneFileSavedAndLoadedBack) {
    FillDevice(5);
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(Loaded());
    controller.SetScenePath(dir / "room.lub");
    Request(request::kSaveToFile);
    ASSERT_EQ(Shown(Text(str::kSaveSuccessful)), 1);
    const sim::Table saved = device->WithProcessor([](sim::VirtualProcessor& p) { return p.Working(); });

    FillDevice(9);  // the room was changed on the device since
    // Words a scene file never loads: changed on the device too, they must stay as the device has them.
    const std::vector<std::size_t> link_owned{928, 929, 930, 931, 932, 933, 934, kParameterCount - 1};
    device->WithProcessor([&](sim::VirtualProcessor& p) {
        for (std::size_t i : link_owned)
            p.SetValue(i, static_cast<std::uint16_t>(saved[i] + 3));
    });
    Request(request::kLoadFile);
    for (std::size_t i = 1; i + 1 < kParameterCount; ++i) {
        const bool kept = (i >= 26 && i <= 29) || (i >= 928 && i <= 935);
        if (!kept) {
            ASSERT_EQ(device->Value(i), saved[i]) << i;
        }
    }
    EXPECT_EQ(device->Value(27), static_cast<std::uint16_t>(27 * 7 + 9));  // master levels stay
    EXPECT_EQ(Shown(Text(extra::kSceneFileLoaded)), 1);
    for (std::size_t i : link_owned)
        EXPECT_EQ(device->Value(i), static_cast<std::uint16_t>(saved[i] + 3)) << i;
    EXPECT_TRUE(TableMatchesDevice());
}

TEST_F(LinkControllerTest, FilesThatCannotBeUsedChangeNothing) {
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(Loaded());
    std::vector<std::uint32_t> values(kParameterCount, 77);
    CZB_FileData foreign(FileLocations{dir.Path(), ""});
    foreign.device_id = 0x1234;
    ASSERT_TRUE(foreign.SaveScene(dir / "foreign.lub", values).Ok());

    controller.SetScenePath(dir / "foreign.lub");
    Request(request::kLoadFile);
    EXPECT_EQ(Shown(Text(str::kWrongFileVersion)), 1);
    controller.SetScenePath(dir / "missing.lub");
    Request(request::kLoadFile);
    EXPECT_EQ(Shown(Text(str::kNoFilesTransfer)), 1);
    controller.SetScenePath("");
    Request(request::kSaveToFile);
    EXPECT_EQ(Shown(Text(str::kEnterFileName)), 1);
    EXPECT_NE(device->Value(300), 77);
    EXPECT_EQ(Shown(Text(extra::kSceneFileLoaded)), 0);
    // A selection load with a refused file cancels the save settings raised with it.
    controller.SetScenePath(dir / "foreign.lub");
    controller.SetSelection({730, 731});
    link.State().RaiseRequest(request::kSaveSettings);
    Request(request::kLoadSelection);
    EXPECT_EQ(controller.Served(request::kSaveSettings), 0);
    // So does one whose file is missing: the device's settings are not stored unchanged as if imported.
    controller.SetScenePath(dir / "missing.PCE");
    link.State().RaiseRequest(request::kSaveSettings);
    Request(request::kLoadSelection);
    // Served in a later pass, after anything the first one still had to serve.
    Request(request::kLoadSelection);
    EXPECT_EQ(controller.Served(request::kSaveSettings), 0);
}

TEST_F(LinkControllerTest, UnplugDuringALoadFailsAndTheRestGoesOutAfterReconnecting) {
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(Loaded());
    std::vector<std::uint32_t> values(kParameterCount);
    for (std::size_t i = 0; i < kParameterCount; ++i)
        values[i] = static_cast<std::uint32_t>(1000 + i);
    values[0] = kDeviceId;
    CZB_FileData file(FileLocations{dir.Path(), ""});
    file.device_id = kDeviceId;
    ASSERT_TRUE(file.SaveScene(dir / "big.lub", values).Ok());

    controller.SetScenePath(dir / "big.lub");
    link.State().RaiseRequest(request::kLoadFile);
    ASSERT_TRUE(WaitUntil([&] { return device->Value(100) == 1100; }));
    device->Unplug();
    ASSERT_TRUE(WaitUntil([&] { return Shown(Text(str::kWriteDataFailed)) >= 1; }));
    device->Replug();
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (std::size_t i = 1; i + 1 < kParameterCount; ++i) {
                const bool kept = (i >= 26 && i <= 29) || (i >= 928 && i <= 935);
                if (!kept && device->Value(i) != values[i])
                    return false;
            }
            return true;
        },
        std::chrono::seconds(60)));
}

TEST_F(LinkControllerTest, DeviceScenesAreSavedByNameAndCalled) {
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(Loaded());
    link.WriteParameter(500, 4242);
    ASSERT_TRUE(WaitUntil([&] { return device->Value(500) == 4242; }));
    controller.SetSceneNameBuffer("Party");
    link.Table().WriteParameter(param::kSceneSelector, 0x0703, false);
    Request(request::kSaveScene);
    EXPECT_EQ(Shown(Text(str::kSaveSuccessful)), 1);
    EXPECT_EQ(device->WithProcessor([](sim::VirtualProcessor& p) { return p.SceneName(3); }), "Party");
    ASSERT_TRUE(WaitUntil([&] { return link.SceneNames().Name(2) == L"Party"; }));

    link.WriteParameter(500, 1);
    ASSERT_TRUE(WaitUntil([&] { return device->Value(500) == 1; }));
    link.Table().WriteParameter(param::kSceneSelector, 3, false);
    Request(request::kCallScene);
    EXPECT_EQ(device->Value(500), 4242);
    EXPECT_EQ(link.Table().Value(500), 4242);
    EXPECT_EQ(device->Value(param::kCurrentScene), 3);
}

TEST_F(LinkControllerTest, WifiSettingsReportTheirCompletion) {
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(Loaded());
    wifi.SetText(wifi::kSetHotSsid, "Set_HotSSID:Lobby");
    wifi.SetText(wifi::kSetHotPassword, "Set_HotPW:sing-along");
    wifi.SetPending(wifi::kSetHotSsid);
    wifi.SetPending(wifi::kSetHotPassword);
    ASSERT_TRUE(WaitUntil([&] { return Shown(L"Set Hot:OK") == 1; }));
    EXPECT_EQ(device->WithProcessor([](sim::VirtualProcessor& p) { return p.Wifi().hot_ssid; }), "Lobby");
    EXPECT_EQ(device->WithProcessor([](sim::VirtualProcessor& p) { return p.Wifi().hot_password; }),
              "sing-along");
}

TEST_F(LinkControllerTest, ADeviceSilentWhileConnectingIsLoadedOnceItAnswers) {
    // A processor still starting after enumeration: open, but deaf to many reads of parameter 0.
    sim::Faults silent;
    silent.silent = true;
    device->SetFaults(silent);
    FillDevice(4);
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(WaitUntil([&] { return host.NotConnectedCount() >= 7; }));
    device->SetFaults({});
    ASSERT_TRUE(Loaded());
    EXPECT_TRUE(TableMatchesDevice());
}

// Suspended pressed and released while the link identifies a device: the reconnect it asks for must not
// let the device through unidentified.
TEST_F(LinkControllerTest, AReconnectAskedForWhileIdentifyingNeverAcceptsAWrongDevice) {
    sim::Faults wrong;
    wrong.device_id = 0x1234;
    device->SetFaults(wrong);
    ASSERT_TRUE(controller.StartLink());
    for (int k = 0; k < 6; ++k) {
        const auto identifies = DeviceHeard(cmd::kIdentify);
        ASSERT_TRUE(WaitUntil([&] { return DeviceHeard(cmd::kIdentify) > identifies; }));
        link.State().paused = true;
        link.State().paused = false;
        link.RequestReconnect();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    controller.StopLink();
    EXPECT_FALSE(Connected());
    EXPECT_EQ(DeviceHeard(cmd::kDump), 0u);
    EXPECT_EQ(Shown(Text(str::kReadDataFailed)), 0);
}

TEST_F(LinkControllerTest, ResumedWhileSearchingLoadsTheDevicePluggedInAfterwards) {
    device->Unplug();
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(WaitUntil([&] { return host.NotConnectedCount() >= 1; }));
    // What the window's Suspended button does, pressed and released while the link searches.
    link.State().paused = true;
    link.State().paused = false;
    link.RequestReconnect();
    device->Replug();
    ASSERT_TRUE(Loaded());
    link.WriteParameter(310, 31);
    EXPECT_TRUE(WaitUntil([&] { return device->Value(310) == 31 && !link.Table().IsDirty(310); }));
}

TEST_F(LinkControllerTest, CommandsTheDeviceLeavesUnansweredDoNotDropTheLink) {
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(Loaded());
    const int searches = host.NotConnectedCount();
    const auto dumps = DeviceHeard(cmd::kDump);
    sim::Faults deaf;
    deaf.mute_wifi = true;
    deaf.ignore_saves = true;
    device->SetFaults(deaf);

    wifi.SetText(wifi::kMode, "Get_WiFiMode:");
    wifi.SetPending(wifi::kMode);
    ASSERT_TRUE(WaitUntil([&] { return wifi[wifi::kMode].pending.load() == 0; }));
    EXPECT_EQ(DeviceHeard(cmd::kWifiText), 9u);
    link.WriteParameter(300, 1234);
    ASSERT_TRUE(WaitUntil([&] { return device->Value(300) == 1234 && !link.Table().IsDirty(300); }));

    // Two unacknowledged 2000 ms requests in a row, then an edit.
    link.Table().WriteParameter(param::kSceneSelector, 2, false);
    link.State().RaiseRequest(request::kSaveScene);
    Request(request::kSaveSettings);
    ASSERT_TRUE(WaitUntil([&] { return controller.Served(request::kSaveScene) == 1; }));
    EXPECT_EQ(Shown(Text(str::kSaveFailed)), 2);
    link.WriteParameter(301, 4321);
    ASSERT_TRUE(WaitUntil([&] { return device->Value(301) == 4321 && !link.Table().IsDirty(301); }));

    EXPECT_EQ(host.NotConnectedCount(), searches);
    EXPECT_EQ(DeviceHeard(cmd::kDump), dumps);
}

TEST_F(LinkControllerTest, AnEditMadeDuringARefreshIsNotOverwrittenByTheDevicesOlderValue) {
    FillDevice(3);
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(Loaded());
    sim::Faults slow;
    slow.delay_share = 1.0;
    slow.delay_ms = 100;  // the dump's replies arrive after the edit
    device->SetFaults(slow);
    const auto dumps = DeviceHeard(cmd::kDump);
    const int refreshes = controller.Served(request::kRefresh);
    link.State().RaiseRequest(request::kRefresh);
    ASSERT_TRUE(WaitUntil([&] { return DeviceHeard(cmd::kDump) > dumps; }));
    link.WriteParameter(600, 4242);
    ASSERT_TRUE(WaitUntil([&] { return controller.Served(request::kRefresh) > refreshes; }));
    ASSERT_TRUE(WaitUntil([&] { return !link.Table().IsDirty(600); }));
    EXPECT_EQ(link.Table().Value(600), 4242);
    EXPECT_EQ(device->Value(600), 4242);
}

TEST_F(LinkControllerTest, AnEditDuringTheReloadWinsOverTheOneRememberedAcrossTheReconnect) {
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(Loaded());
    device->Unplug();
    ASSERT_TRUE(WaitUntil([&] { return host.NotConnectedCount() >= 2; }));
    link.WriteParameter(610, 1);  // remembered while the device is away

    sim::Faults slow;
    slow.delay_share = 1.0;
    slow.delay_ms = 100;
    device->SetFaults(slow);
    const auto dumps = DeviceHeard(cmd::kDump);
    device->Replug();
    ASSERT_TRUE(WaitUntil([&] { return DeviceHeard(cmd::kDump) > dumps; }));
    link.WriteParameter(610, 2);  // changed again while the table reloads
    ASSERT_TRUE(Loaded(2));
    // An edit after the reload goes out only once the remembered ones have been written back.
    link.WriteParameter(620, 5);
    ASSERT_TRUE(WaitUntil(
        [&] { return device->Value(620) == 5 && !link.Table().IsDirty(620) && !link.Table().IsDirty(610); }));
    EXPECT_EQ(link.Table().Value(610), 2);
    EXPECT_EQ(device->Value(610), 2);
}

// The light mode of command-line tools: nothing is loaded; what the owner asks for is read and written
// through the poll cycle with the window's acknowledgement rules.
TEST_F(LinkControllerTest, LightModeReadsAndWritesOnlyWhatIsAskedInFewFrames) {
    FillDevice(3);
    controller.SetMode(LinkMode::kLight);
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(WaitUntil([&] { return controller.Ready() > 0; }));
    EXPECT_TRUE(Connected());
    EXPECT_EQ(DeviceHeard(cmd::kDump), 0u);
    EXPECT_EQ(DeviceHeard(cmd::kSceneName), 0u);
    EXPECT_EQ(host.Count(LinkNotify::kDisplayUpdated, 0), 0);

    // A range and a read-back: many values asked at once go out in full read frames, not one by one.
    const std::uint64_t reads_before = DeviceHeard(cmd::kReadParameters);
    for (std::size_t i = 300; i < 360; ++i)
        link.Table()[i].read_request = 1;
    ASSERT_TRUE(WaitUntil([&] {
        for (std::size_t i = 300; i < 360; ++i)
            if (link.Table().Value(i) != device->Value(i))
                return false;
        return true;
    }));
    EXPECT_LT(DeviceHeard(cmd::kReadParameters) - reads_before, 15u);

    link.WriteParameter(28, 560);
    ASSERT_TRUE(WaitUntil([&] { return device->Value(28) == 560 && !link.Table().IsDirty(28); }));
    // An acknowledgement that echoes an older value leaves the entry to be sent again, as in the window.
    sim::Faults slow;
    slow.delay_share = 1.0;
    slow.delay_ms = 30;
    device->SetFaults(slow);
    link.WriteParameter(300, 10);
    ASSERT_TRUE(WaitUntil([&] { return device->Value(300) == 10; }));
    link.WriteParameter(300, 11);
    ASSERT_TRUE(WaitUntil([&] { return device->Value(300) == 11 && !link.Table().IsDirty(300); }));
}

TEST_F(LinkControllerTest, LightModeNeverWritesToAHeldProcessorAndCallsScenesWithoutReloading) {
    device->SetOccupied(true);
    controller.SetMode(LinkMode::kLight);
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(WaitUntil([&] { return Shown(Text(str::kEquipmentOccupied)) >= 2; }));
    const std::uint16_t before = device->Value(28);
    link.WriteParameter(28, static_cast<std::uint16_t>(before + 1));
    EXPECT_EQ(controller.Ready(), 0);
    EXPECT_EQ(DeviceHeard(cmd::kWriteParameters), 0u);

    device->SetOccupied(false);
    ASSERT_TRUE(WaitUntil([&] { return controller.Ready() > 0; }));
    ASSERT_TRUE(WaitUntil([&] { return device->Value(28) == before + 1; }));

    link.Table().WriteParameter(param::kSceneSelector, 2, false);
    Request(request::kCallScene);
    EXPECT_EQ(device->Value(param::kCurrentScene), 2);
    EXPECT_EQ(Shown(LinkTextFor(LinkText::kInvocationFailed)), 0);
    EXPECT_EQ(DeviceHeard(cmd::kDump), 0u);
}

// Silence and damaged replies say nothing about another controller: only a read of 2 does.
TEST_F(LinkControllerTest, LightModeTakesUnansweredOccupancyReadsForSilenceNotForAnotherController) {
    sim::Faults late;
    late.delay_share = 1.0;
    // Longer than a whole round of occupancy reads on this clock, and shorter than the identification's
    // window, which a busy machine otherwise misses again and again.
    late.delay_ms = 400;
    device->SetFaults(late);
    controller.SetMode(LinkMode::kLight);
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(WaitUntil([&] { return controller.Ready() > 0; }, std::chrono::seconds(20)));
    EXPECT_EQ(Shown(Text(str::kEquipmentOccupied)), 0);
}

TEST_F(LinkControllerTest, StopLinkEndsTheWorkerWhileSearching) {
    device->Unplug();
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(WaitUntil([&] { return host.NotConnectedCount() >= 1; }));
    controller.StopLink();
    EXPECT_FALSE(controller.Running());
    EXPECT_FALSE(link.State().link_up);
}

// On a busy machine every sleep wakes late. A pause of the link ends at its deadline all the same, rather
// than gathering the lateness of each slice it is slept in: the dump's 500 ms pause stays 500 ms and one
// wake-up.
TEST(LinkControllerPauses, EndAtTheirDeadlineWhenEverySleepWakesLate) {
    constexpr std::uint32_t kLateMs = 7;
    class LateClock final : public IClock {
      public:
        std::uint32_t TickMs() override { return now_.load(); }
        void SleepMs(std::uint32_t ms) override { now_ += ms + kLateMs; }
        std::chrono::microseconds RealDuration(std::uint32_t ms) override {
            return std::chrono::microseconds(ms);
        }

      private:
        std::atomic<std::uint32_t> now_{1000};
    };
    class NoConnector final : public ILinkConnector {
        void Connect() override {}
        void Close() override {}
    };
    LateClock clock;
    DeviceLink link{clock};
    NoConnector connector;
    testing::RecordingHost host;
    LinkController controller(link, connector, host);
    link.State().running = true;
    // Without a device the read-all gives up after its first dump and that pause.
    const std::uint32_t start = clock.TickMs();
    EXPECT_FALSE(controller.ReadAll(0));
    EXPECT_EQ(clock.TickMs() - start, 500 + kLateMs);
    link.State().running = false;
}

}  // namespace
}  // namespace vela

namespace vela {
namespace {

// Events as the log would write them, without the time.
class RecordingEvents : public diag::IEventSink {
  public:
    void Event(std::string_view name, std::initializer_list<diag::LogField> fields) override {
        std::string line(name);
        for (const auto& f : fields)
            line.append(" ").append(f.key).append("=").append(f.value);
        std::lock_guard lock(mutex_);
        lines_.push_back(std::move(line));
    }
    // The index of the first line from `from` on that starts with `prefix`, or -1.
    int Find(const std::string& prefix, int from = 0) const {
        std::lock_guard lock(mutex_);
        for (std::size_t i = static_cast<std::size_t>(from); i < lines_.size(); ++i) {
            if (lines_[i].rfind(prefix, 0) == 0)
                return static_cast<int>(i);
        }
        return -1;
    }
    std::string All() const {
        std::lock_guard lock(mutex_);
        std::string all;
        for (const auto& l : lines_)
            all += l + "\n";
        return all;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

TEST_F(LinkControllerTest, TheLogTellsEachStepOfConnectingLoadingRefusingAndReconnecting) {
    RecordingEvents events;
    controller.SetEvents(&events, "sim");
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(Loaded());
    const int connect = events.Find("connect device=sim");
    const int identify = events.Find("identify device_id=25089", connect);
    const int occupancy = events.Find("occupancy state=free", identify);
    const int read_start = events.Find("read_all_start", occupancy);
    const int read_end = events.Find("read_all_end result=ok ms=", read_start);
    EXPECT_TRUE(connect >= 0 && identify > connect && occupancy > identify && read_start > occupancy &&
                read_end > read_start)
        << events.All();
    EXPECT_NE(events.All().find("received=947"), std::string::npos) << events.All();

    std::vector<std::uint32_t> values(kParameterCount, 77);
    CZB_FileData foreign(FileLocations{dir.Path(), ""});
    foreign.device_id = 0x1234;
    ASSERT_TRUE(foreign.SaveScene(dir / "foreign.lub", values).Ok());
    controller.SetScenePath(dir / "foreign.lub");
    Request(request::kLoadFile);
    EXPECT_GE(events.Find("file_refused path="), 0) << events.All();
    EXPECT_NE(events.All().find("file_device_id=4660 device_id=25089"), std::string::npos) << events.All();

    device->Unplug();
    ASSERT_TRUE(WaitUntil([&] { return events.Find("reconnect reason=") > read_end; })) << events.All();
    device->Replug();
    ASSERT_TRUE(Loaded(2));
    EXPECT_GT(events.Find("connect device=sim", events.Find("reconnect reason=")), 0) << events.All();
}

// Closing right after an edit: what the window still holds for the device goes out before the worker stops.
TEST_F(LinkControllerTest, EditsStillMarkedWhenClosingReachTheDeviceBeforeTheLinkStops) {
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(Loaded());
    link.WriteParameter(28, 560);
    link.WriteParameter(300, 77);
    EXPECT_EQ(controller.PendingEdits(), 2);
    EXPECT_EQ(controller.SendPendingEdits(schedule::kCloseSendBoundMs), 0);
    controller.StopLink();
    EXPECT_EQ(device->Value(28), 560);
    EXPECT_EQ(device->Value(300), 77);
}

// A link that cannot deliver them when closing counts them, so the owner can tell the user, and ends its
// wait; once it can again, they are sent.
TEST_F(LinkControllerTest, EditsTheLinkCannotDeliverWhenClosingAreCountedNotDropped) {
    const struct {
        const char* name;
        std::function<void()> cut;
        std::function<void()> mend;
        bool kept;  // sent once mended; a silent device's tries may run out first
    } cases[] = {
        {"suspended", [&] { link.State().paused = true; }, [&] { link.State().paused = false; }, true},
        {"unplugged",
         [&] {
             device->Unplug();
             ASSERT_TRUE(WaitUntil([&] { return !link.State().link_up.load(); }));
         },
         [&] { device->Replug(); }, true},
        {"silent",
         [&] {
             sim::Faults silent;
             silent.silent = true;
             device->SetFaults(silent);
         },
         [&] { device->SetFaults({}); }, false},
    };
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(Loaded());
    for (const auto& c : cases) {
        const int ready = controller.Ready();
        const int drops = host.NotConnectedCount();
        c.cut();
        const auto value = static_cast<std::uint16_t>(link.Table().Value(300) + 1);
        link.WriteParameter(300, value);
        EXPECT_EQ(controller.SendPendingEdits(schedule::kCloseSendBoundMs), 1) << c.name;
        c.mend();
        ASSERT_TRUE(WaitUntil([&] { return controller.PendingEdits() == 0; })) << c.name;
        if (host.NotConnectedCount() > drops) {
            ASSERT_TRUE(WaitUntil([&] { return controller.Ready() > ready; })) << c.name;
        }
        if (c.kept) {
            EXPECT_EQ(device->Value(300), value) << c.name;
        }
        link.WriteParameter(301, value);
        EXPECT_EQ(controller.SendPendingEdits(schedule::kCloseSendBoundMs), 0) << c.name;
        EXPECT_EQ(device->Value(301), value) << c.name;
    }
}

}  // namespace
}  // namespace vela
