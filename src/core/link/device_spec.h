// Which processor a program talks to: "usb" (the default: the one processor on USB), "usb:PATH" (one of
// several, by its system path or USB port path), "sim" (the virtual processor in this process) or
// "tcp:HOST:PORT" (a processor served over the report stream, such as velasim) or "file:PATH" (a scene file
// opened as a processor: edits are written back to the file).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vela {

struct DeviceSpec {
    enum class Kind { kUsb, kSim, kTcp, kFile };
    Kind kind = Kind::kUsb;
    std::string host;  // kTcp only; without the brackets of an IPv6 address
    std::string path;  // kUsb: empty for whichever processor is there; kFile: the scene file (UTF-8)
    std::uint16_t port = 0;
    std::string token_file;  // kTcp only; UTF-8; empty: --token-file's or VELA_TOKEN_FILE's, if any
};

struct DeviceSpecParse {
    std::optional<DeviceSpec> spec;
    std::string error;  // set when spec is empty
};

inline constexpr std::string_view kDeviceSpecHelp = "usb, usb:PATH, sim, tcp:HOST:PORT or file:PATH";

DeviceSpecParse ParseDeviceSpec(std::string_view text);
std::string ToString(const DeviceSpec& spec);

}  // namespace vela
