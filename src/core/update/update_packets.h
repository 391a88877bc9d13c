// The update server's packets: 0x55 0xAA, a 16-bit length counting the whole packet, a type byte, the
// type's data and a CRC-16/MODBUS over everything before it, high byte first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace vela::update {

inline constexpr std::uint16_t kDefaultPort = 24502;
// The largest datagram or stream chunk taken in one receive.
inline constexpr std::size_t kReceiveChunk = 1400;
inline constexpr std::size_t kQuerySize = 22;
// Magic, length, type and CRC: the smallest packet.
inline constexpr std::size_t kPacketOverhead = 7;

inline constexpr std::uint8_t kTypeQuery = 0;
inline constexpr std::uint8_t kTypeReply = 1;
inline constexpr std::uint8_t kTypeCompletion = 0x23;
inline constexpr std::uint8_t kTypeDownloadRequest = 0x26;
inline constexpr std::uint8_t kTypeDownloadHeader = 0x27;

// The largest size a 40-bit field holds.
inline constexpr std::uint64_t kMax40Bit = (std::uint64_t{1} << 40) - 1;

using Identification = std::array<std::uint8_t, 8>;

struct QueryFields {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint32_t cpu_signature = 0;  // identification leaf 1, EAX
    std::uint32_t cpu_features = 0;   // identification leaf 1, EDX
};

std::array<std::uint8_t, kQuerySize> BuildQuery(const QueryFields& fields);
// Bytes 12..19 of a query: what a server echoes to end the checks for this computer.
Identification QueryIdentification(std::span<const std::uint8_t, kQuerySize> query);

// A complete packet around type-specific data; nothing when it would not fit the 16-bit length.
std::optional<std::vector<std::uint8_t>> BuildPacket(std::uint8_t type, std::span<const std::uint8_t> data);

// A packet found in received bytes; views into them.
struct Packet {
    std::size_t offset = 0;
    std::uint8_t type = 0;
    std::span<const std::uint8_t> bytes;  // the whole packet, magic to CRC
    std::span<const std::uint8_t> data;   // after the type byte, before the CRC
};

// The packet of the given type that starts exactly at `offset`, if there is a valid one (magic, a length
// that fits in the bytes, a matching CRC, that type).
std::optional<Packet> PacketAt(std::span<const std::uint8_t> bytes, std::size_t offset, std::uint8_t type);

// Every valid packet of the type, trying every byte offset in turn (packets may overlap, as a scan at every
// offset finds them), at most `limit`.
std::vector<Packet> ScanPackets(std::span<const std::uint8_t> bytes, std::uint8_t type, std::size_t limit);

struct UpdateReply {
    bool update_available = false;
    Identification identification{};
    std::vector<std::uint8_t> ticket;
};
// A type-1 packet's fields; nothing when it is too short to hold them (20 bytes and the CRC).
std::optional<UpdateReply> ParseReply(const Packet& packet);

// Type 38: one 0 byte, then the ticket. Nothing when the ticket cannot fit a packet.
std::optional<std::vector<std::uint8_t>> BuildDownloadRequest(std::span<const std::uint8_t> ticket);

struct DownloadHeader {
    std::uint64_t size = 0;
    std::size_t end = 0;  // the offset just past the header packet in the received bytes
};
// The first valid type-39 packet at any offset that is long enough to carry the 40-bit size.
std::optional<DownloadHeader> FindDownloadHeader(std::span<const std::uint8_t> bytes);

// Type 35: 4, the 40-bit count of bytes received, the name's length in characters, the name in the ANSI code
// page and a 0. Nothing when the name is longer than the one-byte length can say.
std::optional<std::vector<std::uint8_t>> BuildCompletionReport(std::uint64_t received,
                                                               std::string_view ansi_name,
                                                               std::size_t name_characters);

void Put40(std::uint8_t* at, std::uint64_t value);
std::uint64_t Get40(const std::uint8_t* at);

}  // namespace vela::update
