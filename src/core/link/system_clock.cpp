#include <thread>

#include "core/link/seams.h"

namespace vela {

SystemClock::SystemClock(double speed)
    : speed_(speed > 0 ? speed : 1.0), start_(std::chrono::steady_clock::now()) {}

std::uint32_t SystemClock::TickMs() {
    const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(elapsed.count() * speed_));
}

void SystemClock::SleepMs(std::uint32_t ms) {
    std::this_thread::sleep_for(RealDuration(ms));
}

std::chrono::microseconds SystemClock::RealDuration(std::uint32_t ms) {
    return std::chrono::microseconds(static_cast<std::int64_t>(ms * 1000.0 / speed_));
}

}  // namespace vela
