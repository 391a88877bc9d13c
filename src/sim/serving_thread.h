// A server's own thread and the flag that ends it: the server loop polls Stopping() between short waits.
#pragma once

#include <atomic>
#include <thread>
#include <utility>

namespace vela::sim {

class ServingThread {
  public:
    ServingThread() = default;
    ~ServingThread() { Stop(); }
    ServingThread(const ServingThread&) = delete;
    ServingThread& operator=(const ServingThread&) = delete;

    template <class Serve>
    void Start(Serve serve) {
        Stop();
        stop_.store(false);
        thread_ = std::thread(std::move(serve));
    }
    // Asks the loop to end and waits for it.
    void Stop() {
        stop_.store(true);
        if (thread_.joinable())
            thread_.join();
    }
    bool Stopping() const { return stop_.load(); }
    const std::atomic<bool>& StopFlag() const { return stop_; }

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace vela::sim
