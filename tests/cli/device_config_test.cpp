#include "cli/device_config.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>

#include "support/temp_dir.h"

namespace vela::cli {
namespace {

#ifndef _WIN32
// The environment velactl reads, set for one test and put back afterwards.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(DeviceConfig, TheOptionThenTheEnvironmentThenTheConfigurationAndRoomsByName) {
    testing::TempDir dir;
    std::filesystem::create_directories(dir / "vela");
    std::ofstream(dir / "vela" / "velactl.conf") << "# ours\ndevice = lobby\nrooms = rooms.txt\n";
    std::ofstream(dir / "vela" / "rooms.txt") << "# NAME DEVICE [TOKEN-FILE]\n"
                                                 "lobby  tcp:127.0.0.1:4357\n"
                                                 "room2  usb:1-2   room2.token  # the back room\n";
    ScopedEnv config("XDG_CONFIG_HOME", dir.Path().string());
    unsetenv("VELA_DEVICE");

    EXPECT_EQ(ChooseDevice("").device, "tcp:127.0.0.1:4357");
    EXPECT_EQ(ChooseDevice("room2").device, "usb:1-2");
    EXPECT_EQ(ChooseDevice("sim").device, "sim");
    {
        ScopedEnv device("VELA_DEVICE", "room2");
        EXPECT_EQ(ChooseDevice("").device, "usb:1-2");
        EXPECT_EQ(ChooseDevice("lobby").device, "tcp:127.0.0.1:4357") << "--device wins";
    }
    std::vector<Room> rooms;
    ASSERT_EQ(ReadRooms(dir / "vela" / "rooms.txt", rooms), "");
    ASSERT_EQ(rooms.size(), 2u);
    EXPECT_EQ(rooms[1].token_file, (dir / "vela" / "room2.token").string());

    // Mistakes are named with their file and line, and nothing is guessed.
    std::ofstream(dir / "vela" / "rooms.txt") << "lobby tcp:127.0.0.1:4357\nlobby sim\n";
    EXPECT_NE(ChooseDevice("").error.find("rooms.txt:2: the room lobby is named twice"), std::string::npos);
    std::ofstream(dir / "vela" / "rooms.txt") << "lonely\n";
    EXPECT_NE(ChooseDevice("").error.find("rooms.txt:1: a room needs NAME DEVICE"), std::string::npos);
    std::ofstream(dir / "vela" / "velactl.conf") << "devise = sim\n";
    EXPECT_NE(ChooseDevice("").error.find("velactl.conf:1: unknown key devise"), std::string::npos);
}
#endif

}  // namespace
}  // namespace vela::cli
