// State shared by the link worker, the transport reader and the UI thread.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "core/protocol/protocol.h"

namespace vela {

// A semaphore with maximum 1: a release while it is already available is lost, as the link's
// handshake expects (std::counting_semaphore must never be released past its maximum).
class ReplySemaphore {
  public:
    void Release();
    // True when acquired, false on timeout.
    bool AcquireFor(std::chrono::microseconds timeout);
    bool TryAcquire();
    // Drains a stale release; used when a fresh exchange must not be satisfied by an old reply.
    void Reset();

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool available_ = false;
};

struct LinkTimings {
    std::atomic<std::uint32_t> read_all_wait_ms{100};
    std::atomic<std::uint32_t> scene_load_wait_ms{800};
    std::atomic<std::uint32_t> poll_wait_ms{200};
    std::atomic<std::uint32_t> link_timeout_ms{1500};
    std::atomic<std::uint32_t> missed_reply_limit{4};
};

// Request numbers raised by the UI and served by the link worker between poll cycles.
namespace request {
inline constexpr int kSaveToFile = 1;
inline constexpr int kLoadFile = 2;
inline constexpr int kCallScene = 4;
inline constexpr int kRefresh = 5;
inline constexpr int kLoadSelection = 11;
inline constexpr int kSceneName = 12;
inline constexpr int kSaveScene = 13;
inline constexpr int kSaveSettings = 15;
inline constexpr int kCount = 15;
}  // namespace request

struct LinkState {
    std::atomic<bool> running{true};
    std::atomic<bool> link_up{false};
    std::atomic<bool> reader_running{false};
    std::atomic<bool> paused{false};
    LinkTimings timings;

    std::atomic<std::uint32_t> last_valid_frame_tick{0};
    std::atomic<std::uint32_t> missed_replies{0};
    std::atomic<bool> waiting{false};
    ReplySemaphore reply;

    // Index 1..15; index 0 is unused so that the numbers read as designed.
    std::array<std::atomic<std::int32_t>, request::kCount + 1> requests{};

    std::atomic<bool> call_scene_ack{false};
    std::atomic<bool> scene_name_ack{false};
    std::atomic<bool> save_scene_ack{false};
    std::atomic<bool> save_settings_ack{false};

    std::atomic<std::uint32_t> device_id{0};
    std::atomic<std::uint32_t> scene_limit{kDefaultSceneLimit};

    void RaiseRequest(int number) {
        if (number >= 1 && number <= request::kCount) {
            requests[static_cast<std::size_t>(number)].store(1);
        }
    }
    bool RequestRaised(int number) const {
        return number >= 1 && number <= request::kCount &&
               requests[static_cast<std::size_t>(number)].load() > 0;
    }
};

}  // namespace vela
