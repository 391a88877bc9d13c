#pragma once

#include <array>
#include <cstdint>

#include "core/protocol/protocol.h"

namespace vela {

// The values a processor fresh from the factory holds; they stand in the table until the device is read.
const std::array<std::uint16_t, kParameterCount>& FactoryDefaults();

}  // namespace vela
