// An A/B switch that the link loses halfway completes once the processor is back: against the in-process
// virtual processor with the link's real threads.
#include <gtest/gtest.h>

#include "core/link/link_controller.h"
#include "core/link/transport_link.h"
#include "core/model/history_actions.h"
#include "sim/sim_device.h"
#include "support/recording_host.h"
#include "support/wait_until.h"

namespace vela {
namespace {

using testing::WaitUntil;

TEST(CompareReconnect, ASwitchInterruptedByAnUnplugCompletesAfterTheReplug) {
    auto device = std::make_shared<sim::SimulatedDevice>();
    sim::SimHidDevice hid{device};
    SystemClock clock{5.0};
    DeviceLink link{clock};
    HidTransport transport{link, hid};
    testing::RecordingHost host;
    HidConnector connector{transport, host};
    LinkController controller{link, connector, host};
    ParameterMap map{link, MappedControls{}};
    HistoryActions actions{link, map};
    ASSERT_TRUE(controller.StartLink());
    ASSERT_TRUE(WaitUntil([&] { return host.Count(LinkNotify::kDisplayUpdated, 0) >= 1; }));

    constexpr std::uint16_t kFirst = 300;
    constexpr std::uint16_t kCount = 120;  // five write batches
    const auto a = link.Table().Values();
    ASSERT_EQ(actions.SwitchCompare(), HistoryActions::CompareResult::kStarted);
    for (std::uint16_t i = kFirst; i < kFirst + kCount; ++i)
        link.WriteParameter(i, static_cast<std::uint16_t>(a[i] + 7));
    ASSERT_TRUE(WaitUntil([&] { return device->Value(kFirst + kCount - 1) == a[kFirst + kCount - 1] + 7; }));

    ASSERT_EQ(actions.SwitchCompare(), HistoryActions::CompareResult::kSwitched);
    device->Unplug();
    ASSERT_TRUE(WaitUntil([&] { return !link.State().link_up.load(); }));
    device->Replug();
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (std::uint16_t i = kFirst; i < kFirst + kCount; ++i) {
                if (device->Value(i) != a[i])
                    return false;
            }
            return true;
        },
        std::chrono::seconds(60)));
    controller.StopLink();
}

}  // namespace
}  // namespace vela
