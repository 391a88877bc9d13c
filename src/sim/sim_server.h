// Serves a simulated device over the report stream: one client at a time, 64 data bytes per report
// in both directions. A connected client is a plugged-in host; while the device is unplugged the port
// refuses connections. Further clients wait in the listen queue until the current one leaves.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "core/link/stream_handshake.h"
#include "platform/tcp_socket.h"
#include "sim/serving_thread.h"
#include "sim/sim_device.h"

namespace vela::sim {

class SimServer {
  public:
    explicit SimServer(SimulatedDevice& device) : device_(device) {}
    ~SimServer() { Stop(); }
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Listens on host:port (0: any free port) and serves from a thread of its own.
    bool Start(const std::string& host, std::uint16_t port, std::string* error = nullptr);
    // Ends the current session and the serving thread.
    void Stop();

    // A client that sends nothing for this long is dropped, so that a silent one cannot hold the device
    // from everyone else. Set before Start.
    static constexpr std::chrono::milliseconds kDefaultIdleLimit{std::chrono::minutes(5)};
    void SetIdleLimit(std::chrono::milliseconds limit) { idle_limit_ = limit; }

    // Every client must prove this token before it reaches the device (empty: none asked). Set before Start.
    void SetToken(auth::Token token) { token_ = std::move(token); }

    std::uint16_t Port() const { return port_.load(); }
    std::uint64_t Sessions() const { return sessions_.load(); }
    bool ClientConnected() const { return client_connected_.load(); }
    std::uint64_t Refusals() const { return refusals_.load(); }

  private:
    void Serve();
    bool Admitted(net::Socket& client);
    void ServeClient(net::Socket& client);
    void ReceiveReports(net::Socket& client, SimulatedDevice::Session session, std::atomic<bool>& done);

    SimulatedDevice& device_;
    std::string host_;
    std::atomic<std::uint16_t> port_{0};
    net::Socket listener_;  // serving thread only once started
    ServingThread serving_;
    std::atomic<std::uint64_t> sessions_{0};
    std::atomic<bool> client_connected_{false};
    std::atomic<std::uint64_t> refusals_{0};
    auth::Token token_;
    std::chrono::milliseconds idle_limit_ = kDefaultIdleLimit;
};

}  // namespace vela::sim
