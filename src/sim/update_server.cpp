#include "sim/update_server.h"

#include <algorithm>
#include <array>
#include <chrono>

#include "core/update/update_packets.h"

namespace vela::sim {

namespace {

constexpr char kLoopback[] = "127.0.0.1";
constexpr std::uint32_t kSliceMs = 20;
constexpr std::uint32_t kPeerWaitMs = 2000;
constexpr int kPortAttempts = 20;
// Bytes 12..19 of a reply that offers an update: unlike any computer's identification in the tests.
constexpr std::uint8_t kServerIdByte = 0xEE;

struct ModeName {
    UpdateServerMode mode;
    std::string_view name;
};
constexpr ModeName kModes[] = {
    {UpdateServerMode::kNoUpdate, "no-update"},
    {UpdateServerMode::kOffer, "offer"},
    {UpdateServerMode::kEcho, "echo"},
    {UpdateServerMode::kBadCrc, "bad-crc"},
    {UpdateServerMode::kWrongMagic, "wrong-magic"},
    {UpdateServerMode::kShort, "short"},
    {UpdateServerMode::kFlood, "flood"},
    {UpdateServerMode::kSilentTcp, "silent-tcp"},
    {UpdateServerMode::kDropHalfway, "drop"},
    {UpdateServerMode::kSizeLarger, "size-larger"},
    {UpdateServerMode::kSizeSmaller, "size-smaller"},
    {UpdateServerMode::kNoAnswer, "no-answer"},
};

std::vector<std::uint8_t> Reply(bool update, const std::array<std::uint8_t, 8>& id,
                                const std::vector<std::uint8_t>& ticket) {
    // Bytes 5..19 of the packet: the flag, six unused bytes, the identification; then the ticket.
    std::vector<std::uint8_t> data(15, 0);
    data[0] = update ? 1 : 0;
    std::copy(id.begin(), id.end(), data.begin() + 7);
    data.insert(data.end(), ticket.begin(), ticket.end());
    return *update::BuildPacket(update::kTypeReply, data);
}

std::vector<std::uint8_t> Header(std::uint64_t size) {
    std::vector<std::uint8_t> data(6, 0);
    update::Put40(&data[1], size);
    return *update::BuildPacket(update::kTypeDownloadHeader, data);
}

// Reads from the client until the bytes hold a packet of the type, or the wait ends.
std::optional<std::vector<std::uint8_t>> ReadPacket(net::Socket& client, std::uint8_t type,
                                                    const std::atomic<bool>& stop) {
    std::vector<std::uint8_t> bytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPeerWaitMs);
    std::array<std::uint8_t, update::kReceiveChunk> chunk{};
    while (!stop.load() && std::chrono::steady_clock::now() < deadline && bytes.size() < 0x10000) {
        std::size_t n = 0;
        const net::IoResult r = client.Receive(chunk.data(), chunk.size(), n, kSliceMs);
        if (r == net::IoResult::kTimeout) {
            continue;
        }
        if (r != net::IoResult::kOk) {
            break;
        }
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
        const auto found = update::ScanPackets(bytes, type, 1);
        if (!found.empty()) {
            return std::vector<std::uint8_t>(found[0].bytes.begin(), found[0].bytes.end());
        }
    }
    return std::nullopt;
}

}  // namespace

const char kUpdateServerModeNames[] =
    "no-update, offer, echo, bad-crc, wrong-magic, short, flood, silent-tcp, drop, size-larger, "
    "size-smaller, "
    "no-answer";

std::optional<UpdateServerMode> UpdateServerModeNamed(std::string_view name) {
    for (const auto& m : kModes) {
        if (m.name == name) {
            return m.mode;
        }
    }
    return std::nullopt;
}

UpdateServer::UpdateServer(UpdateServerOptions options)
    : options_(std::move(options)), mode_(options_.mode) {}

UpdateServer::~UpdateServer() {
    Stop();
}

bool UpdateServer::Start(std::string* error) {
    // UDP and TCP must share the number: a free UDP port may be taken for TCP, so try a few.
    for (int attempt = 0; attempt < kPortAttempts && !tcp_.Valid(); ++attempt) {
        udp_ = net::UdpSocket::Bind(kLoopback, options_.port);
        if (!udp_.Valid()) {
            break;
        }
        tcp_ = net::Socket::Listen(kLoopback, udp_.LocalPort(), error);
        if (options_.port != 0) {
            break;
        }
    }
    if (!udp_.Valid() || !tcp_.Valid()) {
        if (error != nullptr && error->empty()) {
            *error = "cannot bind 127.0.0.1:" + std::to_string(options_.port);
        }
        udp_.Close();
        tcp_.Close();
        return false;
    }
    port_ = udp_.LocalPort();
    serving_.Start([this] { Serve(); });
    return true;
}

void UpdateServer::Stop() {
    serving_.Stop();
    held_.Close();
    udp_.Close();
    tcp_.Close();
}

std::vector<std::uint8_t> UpdateServer::LastQuery() {
    std::lock_guard lock(mutex_);
    return last_query_;
}

std::vector<std::vector<std::uint8_t>> UpdateServer::CompletionReports() {
    std::lock_guard lock(mutex_);
    return reports_;
}

void UpdateServer::Serve() {
    std::array<std::uint8_t, 2048> datagram{};
    while (!serving_.Stopping()) {
        std::size_t n = 0;
        net::Peer peer;
        if (udp_.Receive(datagram.data(), datagram.size(), n, kSliceMs, &peer) == net::IoResult::kOk) {
            Answer(std::span(datagram.data(), n), peer);
        }
        net::Socket client = tcp_.Accept(kSliceMs);
        if (client.Valid()) {
            Download(std::move(client));
        }
    }
}

void UpdateServer::Answer(std::span<const std::uint8_t> bytes, const net::Peer& peer) {
    const auto queries = update::ScanPackets(bytes, update::kTypeQuery, 1);
    if (queries.empty() || queries[0].bytes.size() != update::kQuerySize) {
        return;
    }
    queries_.fetch_add(1);
    {
        std::lock_guard lock(mutex_);
        last_query_.assign(queries[0].bytes.begin(), queries[0].bytes.end());
    }
    std::array<std::uint8_t, 8> echo{};
    std::copy_n(queries[0].bytes.begin() + 12, echo.size(), echo.begin());
    std::array<std::uint8_t, 8> other{};
    other.fill(kServerIdByte);

    const UpdateServerMode mode = mode_.load();
    std::vector<std::uint8_t> reply;
    switch (mode) {
        case UpdateServerMode::kNoAnswer:
            return;
        case UpdateServerMode::kNoUpdate:
            reply = Reply(false, other, options_.ticket);
            break;
        case UpdateServerMode::kEcho:
            reply = Reply(false, echo, options_.ticket);
            break;
        case UpdateServerMode::kBadCrc:
            reply = Reply(true, other, options_.ticket);
            reply.back() ^= 0x01;
            break;
        case UpdateServerMode::kWrongMagic:
            reply = Reply(true, other, options_.ticket);
            reply[1] = 0xAB;
            break;
        case UpdateServerMode::kShort: {
            // A whole offer cut before its CRC, then the first three bytes of another.
            const auto offer = Reply(true, other, options_.ticket);
            reply.assign(offer.begin(), offer.end() - 3);
            reply.insert(reply.end(), offer.begin(), offer.begin() + 3);
            break;
        }
        case UpdateServerMode::kFlood: {
            const auto offer = Reply(true, other, options_.ticket);
            while (reply.size() + offer.size() <= update::kReceiveChunk) {
                reply.insert(reply.end(), offer.begin(), offer.end());
            }
            break;
        }
        default:
            // Garbage first and an odd offset: the client scans at every byte.
            reply = {0x00, 0x55, 0x13};
            const auto offer = Reply(true, other, options_.ticket);
            reply.insert(reply.end(), offer.begin(), offer.end());
            break;
    }
    (void)udp_.SendTo(reply.data(), reply.size(), peer);
}

void UpdateServer::Download(net::Socket client) {
    const auto request = ReadPacket(client, update::kTypeDownloadRequest, serving_.StopFlag());
    if (!request) {
        return;
    }
    requests_.fetch_add(1);
    // Type, a 0 byte, then the ticket.
    const std::vector<std::uint8_t> ticket(request->begin() + 6, request->end() - 2);
    if (ticket != options_.ticket) {
        wrong_tickets_.fetch_add(1);
        return;
    }
    const UpdateServerMode mode = mode_.load();
    if (mode == UpdateServerMode::kSilentTcp || mode == UpdateServerMode::kFlood) {
        held_ = std::move(client);
        return;
    }
    const std::vector<std::uint8_t>& file = options_.file;
    std::uint64_t announced = file.size();
    std::size_t sent_size = file.size();
    if (mode == UpdateServerMode::kDropHalfway) {
        sent_size = file.size() / 2;
    } else if (mode == UpdateServerMode::kSizeLarger) {
        announced += 100;
    } else if (mode == UpdateServerMode::kSizeSmaller) {
        announced = file.size() > 10 ? file.size() - 10 : 0;
    }
    std::vector<std::uint8_t> first = Header(announced);
    std::size_t at = 0;
    if (options_.header_with_data) {
        at = std::min<std::size_t>(sent_size, 100);
        first.insert(first.end(), file.begin(), file.begin() + static_cast<std::ptrdiff_t>(at));
    }
    if (client.SendAll(first.data(), first.size(), kPeerWaitMs) != net::IoResult::kOk) {
        return;
    }
    if (!options_.header_with_data) {
        // Apart from the file's first bytes, as the client expects them.
        std::this_thread::sleep_for(std::chrono::milliseconds(kSliceMs));
    }
    while (at < sent_size && !serving_.Stopping()) {
        const std::size_t n = std::min<std::size_t>(sent_size - at, 1000);
        if (client.SendAll(file.data() + at, n, kPeerWaitMs) != net::IoResult::kOk) {
            return;
        }
        at += n;
    }
    served_.fetch_add(1);
    if (mode != UpdateServerMode::kOffer) {
        return;  // closing the connection is the fault
    }
    if (const auto report = ReadPacket(client, update::kTypeCompletion, serving_.StopFlag())) {
        std::lock_guard lock(mutex_);
        reports_.push_back(*report);
    }
}

}  // namespace vela::sim
