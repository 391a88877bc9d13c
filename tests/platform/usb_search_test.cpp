// The platform's USB HID device on this machine: with no processor plugged in (Wine shows only its
// virtual mouse and keyboard), opening finds nothing and the connect routine keeps searching quietly.
#include <gtest/gtest.h>

#include <future>

#include "core/link/hid_transport.h"
#include "platform/usb_hid.h"
#include "support/link_fakes.h"
#include "support/recording_host.h"
#include "support/wait_until.h"

namespace vela {
namespace {

TEST(UsbHid, NoProcessorMeansNoDeviceAndAQuietSearch) {
    auto usb = MakeUsbHidDevice();
    if (usb->Open(kVendorId, kProductId)) {
        GTEST_SKIP() << "a processor is plugged into this machine";
    }
    Report r{};
    std::size_t n = 0;
    EXPECT_EQ(usb->ReadReport(r, n, 0), HidResult::kDisconnected);
    EXPECT_EQ(usb->WriteReport(r, 0), HidResult::kDisconnected);

    SystemClock clock(10.0);
    testing::Latin1CodePage code_page;
    testing::RecordingHost host;
    DeviceLink link(clock, code_page);
    HidTransport transport(link, *usb);
    auto connecting = std::async(std::launch::async, [&] { return transport.Connect(host); });
    ASSERT_TRUE(testing::WaitUntil([&] { return transport.OpenAttempts() >= 3; }));
    link.State().running = false;
    EXPECT_FALSE(connecting.get());
    EXPECT_EQ(host.NotConnectedCount(), 1);
    EXPECT_FALSE(link.State().reader_running);
}

}  // namespace
}  // namespace vela
