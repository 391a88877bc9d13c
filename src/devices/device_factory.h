// Turns a parsed --device text into a device: the one place that knows all three kinds.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/link/device_spec.h"
#include "core/link/hid_device.h"

namespace vela {

// "sim" gets a fresh virtual processor of its own. A "tcp:" device proves the token in `token_file` when the
// server asks; without one, the file set by SetTokenFile or else named by VELA_TOKEN_FILE (if any).
std::unique_ptr<IHidDevice> MakeHidDevice(const DeviceSpec& spec,
                                          const std::optional<std::string>& token_file = std::nullopt);

// The token file of --token-file, for every served processor this program connects to. Set it before
// any device is made.
void SetTokenFile(std::string path);
std::string TokenFile();

}  // namespace vela
