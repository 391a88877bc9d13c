#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <future>

#include "core/protocol/protocol.h"
#include "platform/hidraw_linux.h"

namespace vela {
namespace {

namespace fs = std::filesystem;

// A stand-in for /sys/class/hidraw and /dev: uevent files, and FIFOs as device nodes.
class FakeHidraw : public ::testing::Test {
  protected:
    fs::path root = fs::temp_directory_path() / ("vela_hidraw_" + std::to_string(::getpid()));
    fs::path sys = root / "sys";
    fs::path dev = root / "dev";

    void SetUp() override {
        fs::remove_all(root);
        fs::create_directories(sys);
        fs::create_directories(dev);
    }
    void TearDown() override { fs::remove_all(root); }

    void AddDevice(const std::string& name, const std::string& hid_id, bool node = true) {
        fs::create_directories(sys / name / "device");
        std::ofstream(sys / name / "device" / "uevent")
            << "DRIVER=hid-generic\nHID_ID=" << hid_id << "\nHID_NAME=Something\n";
        if (node) {
            ASSERT_EQ(mkfifo((dev / name).c_str(), 0600), 0);
        }
    }
};

TEST_F(FakeHidraw, FindsTheProcessorByItsIdsOnly) {
    AddDevice("hidraw0", "0003:0000845E:00000001");  // Wine's or a real keyboard
    AddDevice("hidraw10", "0003:00004084:00004357");
    AddDevice("hidraw2", "0003:00004084:00004357");
    AddDevice("hidraw3", "0003:00004084:00001111");
    const auto node = FindHidrawNode(kVendorId, kProductId, sys.string(), dev.string());
    ASSERT_TRUE(node);
    EXPECT_EQ(*node, (dev / "hidraw2").string());
    EXPECT_FALSE(FindHidrawNode(0x1234, 0x5678, sys.string(), dev.string()));
    EXPECT_FALSE(FindHidrawNode(kVendorId, kProductId, (root / "missing").string(), dev.string()));

    // The listing for velactl: every processor, in order, with its serial number when there is one.
    std::ofstream(sys / "hidraw10" / "device" / "uevent", std::ios::app) << "HID_UNIQ=A1B2\n";
    const auto all = ListHidrawNodes(kVendorId, kProductId, sys.string(), dev.string());
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].path, (dev / "hidraw2").string());
    EXPECT_EQ(all[1].path, (dev / "hidraw10").string());
    EXPECT_EQ(all[1].serial, "A1B2");
    EXPECT_EQ(all[1].vendor_id, kVendorId);
}

TEST_F(FakeHidraw, TwoProcessorsAreToldApartByPortAndOpenedByName) {
    // As sysfs has it: the hidraw device links into the USB tree, whose interface directory names the port.
    for (const auto& [name, port] : {std::pair{"hidraw4", "1-2"}, std::pair{"hidraw7", "3-1.4"}}) {
        const fs::path usb =
            root / "devices" / "usb1" / port / (std::string(port) + ":1.0") / "0003:4084:4357.0001";
        fs::create_directories(usb);
        std::ofstream(usb / "uevent") << "HID_ID=0003:00004084:00004357\n";
        fs::create_directories(sys / name);
        fs::create_directory_symlink(usb, sys / name / "device");
        ASSERT_EQ(mkfifo((dev / name).c_str(), 0600), 0);
    }
    const auto all = ListHidrawNodes(kVendorId, kProductId, sys.string(), dev.string());
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].port, "1-2");
    EXPECT_EQ(all[1].port, "3-1.4");

    EXPECT_EQ(FindHidrawNode(kVendorId, kProductId, sys.string(), dev.string()), (dev / "hidraw4").string());
    EXPECT_EQ(FindHidrawNode(kVendorId, kProductId, sys.string(), dev.string(), "3-1.4"),
              (dev / "hidraw7").string());
    EXPECT_EQ(FindHidrawNode(kVendorId, kProductId, sys.string(), dev.string(), (dev / "hidraw7").string()),
              (dev / "hidraw7").string());
    EXPECT_FALSE(FindHidrawNode(kVendorId, kProductId, sys.string(), dev.string(), "3-1"));

    HidrawDevice second(sys.string(), dev.string(), "3-1.4");
    EXPECT_EQ(second.Location(), "");
    ASSERT_TRUE(second.Open(kVendorId, kProductId));
    EXPECT_EQ(second.Location(), "3-1.4");  // where it sits, for telling it from the other one
    HidrawDevice first(sys.string(), dev.string());
    ASSERT_TRUE(first.Open(kVendorId, kProductId));
    EXPECT_EQ(first.Location(), "1-2");
    HidrawDevice missing(sys.string(), dev.string(), "9-9");
    EXPECT_FALSE(missing.Open(kVendorId, kProductId));
}

TEST_F(FakeHidraw, OpenReadWriteTimeoutAndAbort) {
    HidrawDevice device(sys.string(), dev.string());
    EXPECT_FALSE(device.Open(kVendorId, kProductId));
    AddDevice("hidraw5", "0003:00004084:00004357");
    ASSERT_TRUE(device.Open(kVendorId, kProductId));

    Report report{};
    std::size_t n = 0;
    EXPECT_EQ(device.ReadReport(report, n, 1), HidResult::kTimeout);

    // Written with report id 0 first; the FIFO hands the same bytes back.
    Report out{};
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<std::uint8_t>(i + 1);
    ASSERT_EQ(device.WriteReport(out, 100), HidResult::kOk);
    ASSERT_EQ(device.ReadReport(report, n, 1000), HidResult::kOk);
    EXPECT_EQ(n, kReportSize);
    EXPECT_EQ(report[0], 0);
    EXPECT_EQ(report[1], 1);
    EXPECT_EQ(report[63], 63);

    auto reading = std::async(std::launch::async, [&] {
        Report r{};
        std::size_t got = 0;
        // The last byte of the written report is still in the FIFO: read it away first.
        (void)device.ReadReport(r, got, 1000);
        return device.ReadReport(r, got, 60000);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    device.Abort();
    ASSERT_EQ(reading.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(reading.get(), HidResult::kAborted);

    device.Close();
    EXPECT_EQ(device.ReadReport(report, n, 0), HidResult::kDisconnected);
    EXPECT_EQ(device.WriteReport(out, 0), HidResult::kDisconnected);
}

}  // namespace
}  // namespace vela
