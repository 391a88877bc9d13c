#include "core/link/device_spec.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

TEST(DeviceSpec, KnownForms) {
    auto r = ParseDeviceSpec("usb");
    ASSERT_TRUE(r.spec);
    EXPECT_EQ(r.spec->kind, DeviceSpec::Kind::kUsb);
    EXPECT_TRUE(r.spec->path.empty());
    // One processor among several: the path is kept whole, colons and all, and named back the same way.
    r = ParseDeviceSpec("usb:/dev/hidraw3");
    ASSERT_TRUE(r.spec);
    EXPECT_EQ(r.spec->kind, DeviceSpec::Kind::kUsb);
    EXPECT_EQ(r.spec->path, "/dev/hidraw3");
    EXPECT_EQ(ToString(*r.spec), "usb:/dev/hidraw3");
    r = ParseDeviceSpec("usb:1-2.3:1.0");
    ASSERT_TRUE(r.spec);
    EXPECT_EQ(r.spec->path, "1-2.3:1.0");
    r = ParseDeviceSpec("sim");
    ASSERT_TRUE(r.spec);
    EXPECT_EQ(r.spec->kind, DeviceSpec::Kind::kSim);
    r = ParseDeviceSpec("tcp:127.0.0.1:4357");
    ASSERT_TRUE(r.spec);
    EXPECT_EQ(r.spec->kind, DeviceSpec::Kind::kTcp);
    EXPECT_EQ(r.spec->host, "127.0.0.1");
    EXPECT_EQ(r.spec->port, 4357);
    r = ParseDeviceSpec("tcp:[::1]:65535");
    ASSERT_TRUE(r.spec);
    EXPECT_EQ(r.spec->host, "::1");
    EXPECT_EQ(r.spec->port, 65535);
    EXPECT_EQ(ToString(*r.spec), "tcp:[::1]:65535");
    r = ParseDeviceSpec("tcp:dsp.local:1");
    ASSERT_TRUE(r.spec);
    EXPECT_EQ(ToString(*r.spec), "tcp:dsp.local:1");
    // A scene file: everything after the prefix is the path, colons included (C:\rooms on Windows).
    r = ParseDeviceSpec("file:C:\\rooms\\a:b.lub");
    ASSERT_TRUE(r.spec);
    EXPECT_EQ(r.spec->kind, DeviceSpec::Kind::kFile);
    EXPECT_EQ(r.spec->path, "C:\\rooms\\a:b.lub");
    EXPECT_EQ(ToString(*r.spec), "file:C:\\rooms\\a:b.lub");
}

TEST(DeviceSpec, AnythingElseIsRefusedWithTheFormsNamed) {
    for (std::string_view bad : {"", "USB", "hid", "tcp", "tcp:", "tcp:host", "tcp:host:", "tcp::80",
                                 "tcp:host:0", "tcp:host:65536", "tcp:host:80x", "tcp:host:-1", "tcp:::1:80",
                                 "tcp:[]:80", "tcp:host:123456", "sim ", "usb:", "file:", "file"}) {
        const auto r = ParseDeviceSpec(bad);
        EXPECT_FALSE(r.spec) << bad;
        EXPECT_NE(r.error.find("usb, usb:PATH, sim, tcp:HOST:PORT or file:PATH"), std::string::npos)
            << r.error;
    }
}

}  // namespace
}  // namespace vela
