// A TCP socket with timeouts on every call, for the report stream (client and server side).
// Windows Sockets and POSIX sockets behind one interface; the handle is closed by the destructor.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/link/io_result.h"

namespace vela::net {

class Socket {
  public:
    Socket() = default;
    ~Socket() { Close(); }
    Socket(Socket&& other) noexcept : handle_(other.handle_.exchange(kInvalid)) {}
    Socket& operator=(Socket&& other) noexcept {
        if (this != &other) {
            Close();
            handle_.store(other.handle_.exchange(kInvalid));
        }
        return *this;
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Connects within the timeout; an invalid socket when that fails. `error` says why.
    static Socket Connect(const std::string& host, std::uint16_t port, std::uint32_t timeout_ms,
                          std::string* error = nullptr);
    // Listens on host:port (port 0: any free port).
    static Socket Listen(const std::string& host, std::uint16_t port, std::string* error = nullptr);

    bool Valid() const { return handle_.load() != kInvalid; }
    std::uint16_t LocalPort() const;
    // "ADDRESS:PORT" ("[ADDRESS]:PORT" for IPv6) of the far end; "unknown peer" when the system cannot say.
    std::string PeerAddress() const;

    // A connected client, or an invalid socket when none came within the timeout.
    Socket Accept(std::uint32_t timeout_ms);
    // Sends every byte unless the timeout passes or the connection fails; `sent` tells how far it got.
    IoResult SendAll(const std::uint8_t* data, std::size_t size, std::uint32_t timeout_ms,
                     std::size_t* sent = nullptr);
    // Waits up to the timeout for data and receives what is there (at most `capacity` bytes).
    IoResult Receive(std::uint8_t* data, std::size_t capacity, std::size_t& received,
                     std::uint32_t timeout_ms);
    // Ends both directions: calls blocked in other threads return. The handle stays until Close.
    void Shutdown();
    void Close();

  private:
    static constexpr std::intptr_t kInvalid = -1;
    explicit Socket(std::intptr_t handle) : handle_(handle) {}

    std::atomic<std::intptr_t> handle_{kInvalid};
};

}  // namespace vela::net
