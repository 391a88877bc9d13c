// Serves one processor of this computer over the report stream to one controller at a time. The processor
// stays open while the server runs and is opened again after an unplug; a controller connected then loses
// its connection, as it would lose a USB device. With a token, a controller must prove it before any
// report passes. Every connection, refusal and drop goes to the log with the peer's address.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/link/hid_device.h"
#include "core/link/stream_handshake.h"
#include "platform/tcp_socket.h"

namespace vela::cli {

class ProcessorServer {
  public:
    using Log = std::function<void(const std::string& line)>;

    struct Config {
        std::string host;
        std::uint16_t port = 0;  // 0: any free port
        auth::Token token;       // empty: every controller is let in
        std::chrono::milliseconds idle_limit{30000};
        std::uint32_t answer_limit_ms = auth::kAnswerLimitMs;
    };

    // `device` is opened, read and written by the server only.
    ProcessorServer(std::unique_ptr<IHidDevice> device, Log log);
    ~ProcessorServer();
    ProcessorServer(const ProcessorServer&) = delete;
    ProcessorServer& operator=(const ProcessorServer&) = delete;

    bool Start(const Config& config, std::string* error = nullptr);
    // Ends the session, the threads and closes the processor; returns within about a second.
    void Stop();

    std::uint16_t Port() const { return port_.load(); }
    std::uint64_t Sessions() const { return sessions_.load(); }
    std::uint64_t Refusals() const { return refusals_.load(); }
    bool DeviceOpen() const { return device_open_.load(); }

  private:
    void AcceptLoop();
    void DeviceLoop();
    void Serve(net::Socket client, std::string peer, std::uint64_t losses);
    // `losses` is the processor's loss count when the controller was accepted.
    void Pump(net::Socket& client, const std::string& peer, std::uint64_t losses);
    bool WaitForSessionEnd(std::chrono::milliseconds limit);
    void Say(const std::string& line);

    std::unique_ptr<IHidDevice> device_;
    Log log_;
    Config config_;
    net::Socket listener_;
    std::atomic<std::uint16_t> port_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> device_open_{false};
    std::atomic<std::uint64_t> losses_{0};  // times the processor was lost
    std::atomic<std::uint64_t> sessions_{0};
    std::atomic<std::uint64_t> refusals_{0};
    std::thread accept_thread_;
    std::thread device_thread_;
    std::thread session_thread_;  // accept thread only

    // Writes to the device, and the device loop's close and reopen, take turns.
    std::mutex write_mutex_;
    // The controller let in: the device loop sends it the processor's reports.
    std::mutex session_mutex_;
    std::condition_variable session_ended_;
    bool session_active_ = false;  // from accept to close, handshake included
    net::Socket* client_ = nullptr;
    std::string holder_;
    std::int64_t holder_since_ = 0;
};

}  // namespace vela::cli
