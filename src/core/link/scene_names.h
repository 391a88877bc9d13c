// Names of the device's eight scenes, as last reported by the device.
#pragma once

#include <array>
#include <atomic>
#include <mutex>
#include <string>

#include "core/protocol/protocol.h"

namespace vela {

class SceneNameTable {
  public:
    // Stores at most 25 characters; the rest of the slot stays empty.
    void Store(int slot, std::wstring_view name);
    std::wstring Name(int slot) const;
    bool NameReceived(int slot) const;
    void ClearNameReceived(int slot);
    void Clear();

  private:
    static bool Valid(int slot) { return slot >= 0 && slot < kSceneSlots; }

    // Names are written by the transport reader and read by the UI: swapped under a short lock.
    mutable std::mutex mutex_;
    std::array<std::wstring, kSceneSlots> names_;
    std::array<std::atomic<bool>, kSceneSlots> received_{};
};

}  // namespace vela
