#include "cli/device_config.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vela::cli {
namespace {

std::filesystem::path g_program_folder;

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? std::string(v) : std::string();
}

std::string Trim(std::string s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// Text before a # that starts the line or follows a blank.
std::string WithoutComment(const std::string& line) {
    for (std::size_t k = 0; k < line.size(); ++k) {
        if (line[k] == '#' && (k == 0 || line[k - 1] == ' ' || line[k - 1] == '\t'))
            return line.substr(0, k);
    }
    return line;
}

struct Config {
    std::string device;
    std::filesystem::path rooms;
};

std::string ReadConfig(const std::filesystem::path& file, Config& config) {
    std::ifstream in(file);
    if (!in)
        return file.string() + ": cannot be read";
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string text = Trim(WithoutComment(line));
        if (text.empty())
            continue;
        const auto eq = text.find('=');
        const std::string key = eq == std::string::npos ? text : Trim(text.substr(0, eq));
        const std::string value = eq == std::string::npos ? std::string() : Trim(text.substr(eq + 1));
        const std::string where = file.string() + ":" + std::to_string(number) + ": ";
        if (eq == std::string::npos || value.empty())
            return where + "not KEY = VALUE (device or rooms): " + text;
        if (key == "device") {
            config.device = value;
        } else if (key == "rooms") {
            const std::filesystem::path rooms = std::filesystem::u8path(value);
            config.rooms = rooms.is_relative() ? file.parent_path() / rooms : rooms;
        } else {
            return where + "unknown key " + key + " (device or rooms)";
        }
    }
    return {};
}

}  // namespace

void SetProgramFolder(const std::filesystem::path& folder) {
    g_program_folder = folder;
}

std::filesystem::path ConfigFile() {
    std::vector<std::filesystem::path> candidates;
#ifdef _WIN32
    if (!g_program_folder.empty())
        candidates.push_back(g_program_folder / "velactl.conf");
    if (const std::string appdata = Env("APPDATA"); !appdata.empty())
        candidates.push_back(std::filesystem::u8path(appdata) / "vela" / "velactl.conf");
#else
    if (const std::string xdg = Env("XDG_CONFIG_HOME"); !xdg.empty())
        candidates.push_back(std::filesystem::u8path(xdg) / "vela" / "velactl.conf");
    else if (const std::string home = Env("HOME"); !home.empty())
        candidates.push_back(std::filesystem::u8path(home) / ".config" / "vela" / "velactl.conf");
#endif
    for (const auto& c : candidates) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(c, ec))
            return c;
    }
    return {};
}

std::string ReadRooms(const std::filesystem::path& file, std::vector<Room>& rooms) {
    std::ifstream in(file);
    if (!in)
        return file.string() + ": the rooms file cannot be read";
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::istringstream words(WithoutComment(line));
        Room room;
        std::string extra;
        if (!(words >> room.name))
            continue;
        const std::string where = file.string() + ":" + std::to_string(number) + ": ";
        if (!(words >> room.device))
            return where + "a room needs NAME DEVICE [TOKEN-FILE]: " + Trim(line);
        words >> room.token_file;
        if (words >> extra)
            return where + "more than NAME DEVICE [TOKEN-FILE]: " + Trim(line);
        for (const auto& r : rooms) {
            if (r.name == room.name)
                return where + "the room " + room.name + " is named twice";
        }
        if (!room.token_file.empty()) {
            const std::filesystem::path token = std::filesystem::u8path(room.token_file);
            room.token_file = (token.is_relative() ? file.parent_path() / token : token).string();
        }
        rooms.push_back(std::move(room));
    }
    return {};
}

DeviceChoice ChooseDevice(const std::string& given) {
    DeviceChoice choice;
    std::string wanted = given;
    if (wanted.empty())
        wanted = Env("VELA_DEVICE");
    Config config;
    if (const auto file = ConfigFile(); !file.empty()) {
        if (choice.error = ReadConfig(file, config); !choice.error.empty())
            return choice;
    }
    if (wanted.empty())
        wanted = config.device.empty() ? "usb" : config.device;
    if (!config.rooms.empty()) {
        std::vector<Room> rooms;
        if (choice.error = ReadRooms(config.rooms, rooms); !choice.error.empty())
            return choice;
        for (const auto& r : rooms) {
            if (r.name == wanted) {
                choice.device = r.device;
                choice.room = r.name;
                choice.token_file = r.token_file;
                return choice;
            }
        }
    }
    choice.device = wanted;
    return choice;
}

}  // namespace vela::cli
