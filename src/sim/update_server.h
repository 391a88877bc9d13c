// A loopback update server: answers the update query over UDP and serves one file over TCP on the same port
// number, with the faults a real server or a hostile one may show. For the tests and for velaupd.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/tcp_socket.h"
#include "platform/udp_socket.h"
#include "sim/serving_thread.h"

namespace vela::sim {

enum class UpdateServerMode {
    kNoUpdate,     // a reply with the update flag 0
    kOffer,        // an update, then the file as announced
    kEcho,         // echoes the computer's identification: the client stops asking
    kBadCrc,       // an offer with a broken CRC
    kWrongMagic,   // an offer with a wrong magic
    kShort,        // an offer whose length runs past the datagram, and a fragment
    kFlood,        // a datagram packed with offers (more than the client acts on), then a silent TCP side
    kSilentTcp,    // an offer, then nothing on the TCP connection
    kDropHalfway,  // an offer, then half the file and the connection closed
    kSizeLarger,   // announces more than it sends, then closes
    kSizeSmaller,  // announces less than it sends
    kNoAnswer,     // takes the query and says nothing
};

// The mode's name on velaupd's command line ("offer", "no-update", ...); nothing for an unknown one.
std::optional<UpdateServerMode> UpdateServerModeNamed(std::string_view name);
extern const char kUpdateServerModeNames[];

struct UpdateServerOptions {
    UpdateServerMode mode = UpdateServerMode::kOffer;
    std::vector<std::uint8_t> file;
    std::vector<std::uint8_t> ticket{'T', 'K', '1'};
    // Sends the header and the file's first bytes in one write, as a stream may deliver them anyway.
    bool header_with_data = false;
    std::uint16_t port = 0;  // 0: any free port (the same number is taken for UDP and TCP)
};

class UpdateServer {
  public:
    explicit UpdateServer(UpdateServerOptions options);
    ~UpdateServer();
    UpdateServer(const UpdateServer&) = delete;
    UpdateServer& operator=(const UpdateServer&) = delete;

    // Binds 127.0.0.1 only, UDP and TCP on one port, and starts serving. False with `error` when it cannot.
    bool Start(std::string* error = nullptr);
    void Stop();
    std::uint16_t Port() const { return port_; }
    void SetMode(UpdateServerMode mode) { mode_.store(mode); }

    std::uint32_t Queries() const { return queries_.load(); }
    std::uint32_t DownloadRequests() const { return requests_.load(); }
    std::uint32_t DownloadsServed() const { return served_.load(); }
    std::vector<std::uint8_t> LastQuery();
    std::vector<std::vector<std::uint8_t>> CompletionReports();
    // A request whose ticket differs from the one offered.
    std::uint32_t WrongTickets() const { return wrong_tickets_.load(); }

  private:
    void Serve();
    void Answer(std::span<const std::uint8_t> query, const net::Peer& peer);
    void Download(net::Socket client);

    UpdateServerOptions options_;
    std::atomic<UpdateServerMode> mode_;
    net::UdpSocket udp_;
    net::Socket tcp_;
    net::Socket held_;  // a silent connection, kept open until the next one or the end
    std::uint16_t port_ = 0;
    ServingThread serving_;

    std::atomic<std::uint32_t> queries_{0};
    std::atomic<std::uint32_t> requests_{0};
    std::atomic<std::uint32_t> served_{0};
    std::atomic<std::uint32_t> wrong_tickets_{0};
    std::mutex mutex_;
    std::vector<std::uint8_t> last_query_;
    std::vector<std::vector<std::uint8_t>> reports_;
};

}  // namespace vela::sim
