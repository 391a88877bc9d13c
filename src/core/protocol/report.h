// One HID report as the processor exchanges it: 64 data bytes, without a report id.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vela {

inline constexpr std::size_t kReportSize = 64;
using Report = std::array<std::uint8_t, kReportSize>;

}  // namespace vela
