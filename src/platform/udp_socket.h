// A UDP socket with a timeout on every receive, beside the TCP one: the update check's query and its
// loopback test server. Windows Sockets and POSIX sockets behind one interface; closed by the destructor.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/link/io_result.h"

namespace vela::net {

enum class LibraryStart { kStarted, kFailed, kWrongVersion };

// Holds the platform's socket library, asked for version 2.0, for as long as it lives (Windows Sockets;
// nothing to start elsewhere).
class SocketLibrary {
  public:
    SocketLibrary();
    ~SocketLibrary();
    SocketLibrary(const SocketLibrary&) = delete;
    SocketLibrary& operator=(const SocketLibrary&) = delete;
    LibraryStart Result() const { return result_; }

  private:
    LibraryStart result_ = LibraryStart::kFailed;  // anything else: started, and cleaned up on destruction
};

// The first address the host name resolves to, as numeric text; nothing when it does not resolve.
std::optional<std::string> ResolveFirstAddress(const std::string& host);

// Where a datagram came from, to answer it.
struct Peer {
    std::array<std::uint8_t, 128> address{};
    std::size_t size = 0;
};

class UdpSocket {
  public:
    UdpSocket() = default;
    ~UdpSocket() { Close(); }
    UdpSocket(UdpSocket&& other) noexcept : handle_(other.handle_.exchange(kInvalid)) {}
    UdpSocket& operator=(UdpSocket&& other) noexcept {
        if (this != &other) {
            Close();
            handle_.store(other.handle_.exchange(kInvalid));
        }
        return *this;
    }
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Sends to and receives from this one numeric address only: datagrams from anyone else are dropped.
    static UdpSocket Connect(const std::string& address, std::uint16_t port);
    // Receives on address:port (port 0: any free port).
    static UdpSocket Bind(const std::string& address, std::uint16_t port);

    bool Valid() const { return handle_.load() != kInvalid; }
    std::uint16_t LocalPort() const;

    // One datagram to the connected peer.
    IoResult Send(const std::uint8_t* data, std::size_t size);
    IoResult SendTo(const std::uint8_t* data, std::size_t size, const Peer& to);
    // Waits up to the timeout for one datagram; a longer one is cut to `capacity`.
    IoResult Receive(std::uint8_t* data, std::size_t capacity, std::size_t& received,
                     std::uint32_t timeout_ms, Peer* from = nullptr);
    void Close();

  private:
    static constexpr std::intptr_t kInvalid = -1;
    explicit UdpSocket(std::intptr_t handle) : handle_(handle) {}

    std::atomic<std::intptr_t> handle_{kInvalid};
};

}  // namespace vela::net
