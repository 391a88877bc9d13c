// Which processor --device usb[:PATH] means when several are plugged in.
#include <gtest/gtest.h>

#include "platform/usb_hid.h"

namespace vela {
namespace {

UsbDeviceInfo Device(std::string path, std::string port, std::string serial = {}) {
    return {0x4084, 0x4357, std::move(path), std::move(serial), std::move(port)};
}

TEST(UsbChoice, OneProcessorIsTakenSeveralAreRefusedWithTheirPaths) {
    EXPECT_EQ(ChooseUsbDevice({}, "").error, "no processor found on USB");
    EXPECT_FALSE(ChooseUsbDevice({}, "/dev/hidraw2").device);

    const auto one = ChooseUsbDevice({Device("/dev/hidraw2", "1-2")}, "");
    ASSERT_TRUE(one.device);
    EXPECT_EQ(one.device->path, "/dev/hidraw2");

    const std::vector<UsbDeviceInfo> two = {Device("/dev/hidraw2", "1-2", "A1"),
                                            Device("/dev/hidraw5", "1-4.1")};
    const auto guessed = ChooseUsbDevice(two, "");
    EXPECT_FALSE(guessed.device);
    EXPECT_NE(guessed.error.find("2 processors"), std::string::npos) << guessed.error;
    EXPECT_NE(guessed.error.find("usb:/dev/hidraw2  port 1-2  serial A1"), std::string::npos)
        << guessed.error;
    EXPECT_NE(guessed.error.find("usb:/dev/hidraw5  port 1-4.1"), std::string::npos) << guessed.error;
}

TEST(UsbChoice, APathPicksByNodeOrPortAndNeverByPrefix) {
    const std::vector<UsbDeviceInfo> present = {
        Device("/dev/hidraw1", "1-2"), Device("/dev/hidraw10", "1-2.1"), Device("/dev/hidraw11", "")};
    EXPECT_EQ(ChooseUsbDevice(present, "/dev/hidraw10").device->port, "1-2.1");
    EXPECT_EQ(ChooseUsbDevice(present, "1-2").device->path, "/dev/hidraw1");
    EXPECT_EQ(ChooseUsbDevice(present, "1-2.1").device->path, "/dev/hidraw10");
    EXPECT_EQ(ChooseUsbDevice(present, "/dev/hidraw11").device->path, "/dev/hidraw11");
    for (const char* absent : {"/dev/hidraw", "1-", "hidraw1", "1-3"}) {
        const auto r = ChooseUsbDevice(present, absent);
        EXPECT_FALSE(r.device) << absent;
        EXPECT_NE(r.error.find("no processor at "), std::string::npos) << r.error;
        EXPECT_NE(r.error.find("usb:/dev/hidraw10"), std::string::npos) << r.error;
    }
}

}  // namespace
}  // namespace vela
