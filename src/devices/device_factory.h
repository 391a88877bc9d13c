// Turns a parsed --device text into a device: the one place that knows all three kinds.
#pragma once

#include <memory>

#include "core/link/device_spec.h"
#include "core/link/hid_device.h"

namespace vela {

// "sim" gets a fresh virtual processor of its own.
std::unique_ptr<IHidDevice> MakeHidDevice(const DeviceSpec& spec);

}  // namespace vela
