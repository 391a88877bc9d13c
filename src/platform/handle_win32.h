// One owner for every Win32 handle: kernel objects, GDI objects, icons, crypto providers. Each kind is
// freed by its own function, given as the second template argument.
#pragma once

#include <windows.h>

#include <type_traits>
#include <utility>

namespace vela {

// Movable, not copyable. Null means no handle; for kernel handles (HANDLE) INVALID_HANDLE_VALUE does too,
// since CreateFile reports failure with it and CreateEvent with null.
template <class H, auto Free>
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o)
            Reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    void Reset(H h = nullptr) {
        if (Valid())
            Free(h_);
        h_ = h;
    }
    H Get() const { return h_; }
    H Release() { return std::exchange(h_, nullptr); }
    bool Valid() const {
        if constexpr (std::is_same_v<H, HANDLE>)
            return h_ != nullptr && h_ != INVALID_HANDLE_VALUE;
        else
            return h_ != nullptr;
    }
    explicit operator bool() const { return Valid(); }

  private:
    H h_ = nullptr;
};

// Files, events, mutexes, processes.
using KernelHandle = UniqueHandle<HANDLE, CloseHandle>;

}  // namespace vela
