// Turns a parsed --device text into a device: the one place that knows all three kinds.
#pragma once

#include <memory>
#include <string>

#include "core/link/device_spec.h"
#include "core/link/hid_device.h"

namespace vela {

// "sim" gets a fresh virtual processor of its own. A "tcp:" device proves the token of the spec's token file
// when the server asks; without one, that of the file VELA_TOKEN_FILE names (if any).
std::unique_ptr<IHidDevice> MakeHidDevice(const DeviceSpec& spec);

}  // namespace vela
