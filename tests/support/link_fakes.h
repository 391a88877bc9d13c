// Test doubles for the link's seams.
#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "core/link/seams.h"
#include "core/protocol/frames.h"

namespace vela::testing {

// Records every frame; can be told to fail.
class RecordingSender final : public IFrameSender {
  public:
    bool SendFrameBytes(std::span<const std::uint8_t> frame) override {
        std::lock_guard lock(mutex_);
        frames_.emplace_back(frame.begin(), frame.end());
        return succeed_;
    }
    std::vector<std::vector<std::uint8_t>> Frames() {
        std::lock_guard lock(mutex_);
        return frames_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        frames_.clear();
    }
    void SetSucceed(bool ok) { succeed_ = ok; }

  private:
    std::mutex mutex_;
    std::vector<std::vector<std::uint8_t>> frames_;
    std::atomic<bool> succeed_{true};
};

// Time moves only when told to; sleeping advances it. Waits on the reply semaphore are short in real time.
class ManualClock final : public IClock {
  public:
    std::uint32_t TickMs() override { return now_.load(); }
    void SleepMs(std::uint32_t ms) override { now_ += ms; }
    std::chrono::microseconds RealDuration(std::uint32_t ms) override {
        return std::chrono::microseconds(ms * 10);
    }
    void Advance(std::uint32_t ms) { now_ += ms; }

  private:
    std::atomic<std::uint32_t> now_{100000};
};

// Latin-1 stands in for the device's code page in tests that do not care about it.
class Latin1CodePage final : public ITextCodePage {
  public:
    std::wstring ToWide(std::span<const std::uint8_t> bytes) override { return {bytes.begin(), bytes.end()}; }
    std::string FromWide(std::wstring_view text) override {
        std::string out;
        for (wchar_t c : text)
            out.push_back(c < 256 ? static_cast<char>(c) : '?');
        return out;
    }
};

inline std::vector<std::uint8_t> Frame(std::uint8_t command, std::vector<std::uint8_t> payload) {
    return EncodeFrame(command, payload);
}

}  // namespace vela::testing
