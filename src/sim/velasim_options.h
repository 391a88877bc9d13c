// velasim's command line: where to listen, the state file, and the faults the virtual processor plays.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/device_spec.h"
#include "sim/sim_device.h"

namespace vela::sim {

extern const std::string_view kVelasimUsage;

struct VelasimOptions {
    DeviceSpec listen;
    std::string state_file;
    std::string token_file;  // clients must prove this token; empty: none asked
    bool verbose = false;
    bool help = false;
    bool version = false;
    std::uint32_t seed = 1;
    Faults faults;
    long unplug_every_ms = 0;
    long unplug_for_ms = 1000;
    long occupied_ms = 0;  // -1: for ever
    std::string notice;    // "Set_Restore:" or "Set_Restart:"; empty: none
    long notice_after_ms = 0;
};

// `args` without the program's name. Returns an error text, or nothing when the options are usable
// (--help and --version end the parsing there).
std::optional<std::string> ParseVelasimOptions(const std::vector<std::string>& args, VelasimOptions& o);

}  // namespace vela::sim
