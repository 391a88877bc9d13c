// Which processor velactl talks to when --device does not say: the environment variable VELA_DEVICE,
// then the configuration file's default; and rooms, named processors listed in a rooms file
// ("NAME DEVICE [TOKEN-FILE]" per line, # comments), which --device NAME picks.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vela::cli {

struct Room {
    std::string name;
    std::string device;
    std::string token_file;  // empty: none
};

// The configuration file: $XDG_CONFIG_HOME/vela/velactl.conf (~/.config without it) elsewhere than on
// Windows; there velactl.conf beside the program, else %APPDATA%\vela\velactl.conf. Empty: none found.
std::filesystem::path ConfigFile();
// Where the program lies, for the configuration beside it (set once by main).
void SetProgramFolder(const std::filesystem::path& folder);

// Reads a rooms file into `rooms`; empty on success, else FILE:LINE: why.
std::string ReadRooms(const std::filesystem::path& file, std::vector<Room>& rooms);

struct DeviceChoice {
    std::string device;      // a device text for ParseDeviceSpec
    std::string room;        // the room it came from, if any
    std::string token_file;  // the room's, if any
    std::string error;
};
// `given`: --device's value, or empty. Reads the environment and the files as needed.
DeviceChoice ChooseDevice(const std::string& given);

}  // namespace vela::cli
