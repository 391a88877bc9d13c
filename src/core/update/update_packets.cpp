#include "core/update/update_packets.h"

#include <algorithm>

#include "core/protocol/frames.h"

namespace vela::update {

namespace {

constexpr std::uint8_t kMagic0 = 0x55;
constexpr std::uint8_t kMagic1 = 0xAA;
constexpr std::size_t kHeaderSize = 5;  // magic, length, type
constexpr std::size_t kCrcSize = 2;
constexpr std::size_t kMaxPacket = 0xFFFF;

// Reply fields, as offsets in the whole packet.
constexpr std::size_t kReplyFlagAt = 5;
constexpr std::size_t kReplyIdAt = 12;
constexpr std::size_t kReplyTicketAt = 20;
// Download header: byte 5 unused, the size in bytes 6..10.
constexpr std::size_t kHeaderSizeAt = 6;
constexpr std::size_t kHeaderMinimum = kHeaderSizeAt + 5 + kCrcSize;

constexpr std::uint8_t kCompletionMarker = 4;

void PutBe16(std::uint8_t* at, std::uint16_t v) {
    at[0] = static_cast<std::uint8_t>(v >> 8);
    at[1] = static_cast<std::uint8_t>(v);
}

void PutLe32(std::uint8_t* at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k)
        at[k] = static_cast<std::uint8_t>(v >> (8 * k));
}

}  // namespace

void Put40(std::uint8_t* at, std::uint64_t value) {
    for (int k = 0; k < 5; ++k)
        at[k] = static_cast<std::uint8_t>(value >> (8 * (4 - k)));
}

std::uint64_t Get40(const std::uint8_t* at) {
    std::uint64_t v = 0;
    for (int k = 0; k < 5; ++k)
        v = (v << 8) | at[k];
    return v;
}

std::array<std::uint8_t, kQuerySize> BuildQuery(const QueryFields& fields) {
    std::array<std::uint8_t, kQuerySize> q{};
    q[0] = kMagic0;
    q[1] = kMagic1;
    PutBe16(&q[2], static_cast<std::uint16_t>(kQuerySize));
    q[4] = kTypeQuery;
    q[5] = 0;
    PutBe16(&q[6], fields.major);
    PutBe16(&q[8], fields.minor);
    q[10] = 'F';
    q[11] = 'S';
    PutLe32(&q[12], fields.cpu_signature);
    PutLe32(&q[16], fields.cpu_features);
    PutBe16(&q[20], Crc16(q.data(), kQuerySize - kCrcSize));
    return q;
}

Identification QueryIdentification(std::span<const std::uint8_t, kQuerySize> query) {
    Identification id{};
    std::copy_n(query.begin() + kReplyIdAt, id.size(), id.begin());
    return id;
}

std::optional<std::vector<std::uint8_t>> BuildPacket(std::uint8_t type, std::span<const std::uint8_t> data) {
    const std::size_t total = kHeaderSize + data.size() + kCrcSize;
    if (total > kMaxPacket) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> p(total);
    p[0] = kMagic0;
    p[1] = kMagic1;
    PutBe16(&p[2], static_cast<std::uint16_t>(total));
    p[4] = type;
    std::copy(data.begin(), data.end(), p.begin() + kHeaderSize);
    PutBe16(&p[total - kCrcSize], Crc16(p.data(), total - kCrcSize));
    return p;
}

std::optional<Packet> PacketAt(std::span<const std::uint8_t> bytes, std::size_t offset, std::uint8_t type) {
    if (offset >= bytes.size() || bytes.size() - offset < kPacketOverhead) {
        return std::nullopt;
    }
    const std::uint8_t* p = bytes.data() + offset;
    if (p[0] != kMagic0 || p[1] != kMagic1 || p[4] != type) {
        return std::nullopt;
    }
    const std::size_t length = (std::size_t{p[2]} << 8) | p[3];
    // A length below the packet's own frame would put the CRC inside the header.
    if (length < kPacketOverhead || length > bytes.size() - offset) {
        return std::nullopt;
    }
    const std::uint16_t crc = static_cast<std::uint16_t>((p[length - 2] << 8) | p[length - 1]);
    if (Crc16(p, length - kCrcSize) != crc) {
        return std::nullopt;
    }
    Packet packet;
    packet.offset = offset;
    packet.type = type;
    packet.bytes = bytes.subspan(offset, length);
    packet.data = bytes.subspan(offset + kHeaderSize, length - kPacketOverhead);
    return packet;
}

std::vector<Packet> ScanPackets(std::span<const std::uint8_t> bytes, std::uint8_t type, std::size_t limit) {
    std::vector<Packet> found;
    for (std::size_t i = 0; i + kPacketOverhead <= bytes.size() && found.size() < limit; ++i) {
        if (auto p = PacketAt(bytes, i, type)) {
            found.push_back(*p);
        }
    }
    return found;
}

std::optional<UpdateReply> ParseReply(const Packet& packet) {
    if (packet.type != kTypeReply || packet.bytes.size() < kReplyTicketAt + kCrcSize) {
        return std::nullopt;
    }
    UpdateReply reply;
    reply.update_available = packet.bytes[kReplyFlagAt] == 1;
    std::copy_n(packet.bytes.begin() + kReplyIdAt, reply.identification.size(), reply.identification.begin());
    reply.ticket.assign(packet.bytes.begin() + kReplyTicketAt, packet.bytes.end() - kCrcSize);
    return reply;
}

std::optional<std::vector<std::uint8_t>> BuildDownloadRequest(std::span<const std::uint8_t> ticket) {
    std::vector<std::uint8_t> data;
    data.reserve(ticket.size() + 1);
    data.push_back(0);
    data.insert(data.end(), ticket.begin(), ticket.end());
    return BuildPacket(kTypeDownloadRequest, data);
}

std::optional<DownloadHeader> FindDownloadHeader(std::span<const std::uint8_t> bytes) {
    for (std::size_t i = 0; i + kPacketOverhead <= bytes.size(); ++i) {
        const auto p = PacketAt(bytes, i, kTypeDownloadHeader);
        if (p && p->bytes.size() >= kHeaderMinimum) {
            return DownloadHeader{Get40(p->bytes.data() + kHeaderSizeAt), i + p->bytes.size()};
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> BuildCompletionReport(std::uint64_t received,
                                                               std::string_view ansi_name,
                                                               std::size_t name_characters) {
    if (name_characters > 0xFF || received > kMax40Bit) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> data(7);
    data[0] = kCompletionMarker;
    Put40(&data[1], received);
    data[6] = static_cast<std::uint8_t>(name_characters);
    data.insert(data.end(), ansi_name.begin(), ansi_name.end());
    data.push_back(0);
    return BuildPacket(kTypeCompletion, data);
}

}  // namespace vela::update
