// Turns a parsed --device text into a device: the one place that knows all its kinds.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/link/device_spec.h"
#include "core/link/hid_device.h"

namespace vela {

// "sim" gets a fresh virtual processor of its own. A "tcp:" device proves the token of the token file it was
// given when the server asks; without one, that of the file VELA_TOKEN_FILE names (if any). "file:PATH" is
// the scene file as a processor (a file that cannot be used gives a device that never opens: ask
// DeviceProblem first to tell the user why).
std::unique_ptr<IHidDevice> MakeHidDevice(const DeviceSpec& spec);

// What keeps the device from being used at all, in one line for the user; nothing when it may be tried.
// Only a scene file can be judged before connecting (damaged, missing, open in another vela).
std::optional<std::string> DeviceProblem(const DeviceSpec& spec);

}  // namespace vela
