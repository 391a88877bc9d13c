#include "core/link/link_state.h"

namespace vela {

void ReplySemaphore::Release() {
    {
        std::lock_guard lock(mutex_);
        available_ = true;
    }
    cv_.notify_one();
}

bool ReplySemaphore::AcquireFor(std::chrono::microseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!cv_.wait_for(lock, timeout, [this] { return available_; })) {
        return false;
    }
    available_ = false;
    return true;
}

bool ReplySemaphore::TryAcquire() {
    std::lock_guard lock(mutex_);
    const bool was = available_;
    available_ = false;
    return was;
}

void ReplySemaphore::Reset() {
    TryAcquire();
}

}  // namespace vela
