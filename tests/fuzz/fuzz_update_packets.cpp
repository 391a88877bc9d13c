// Any bytes as an update server's datagram or the first bytes of its download stream: the scanners never
// read past them, every packet they report lies inside them and checks out, and the download's bookkeeping
// never counts past the announced size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/protocol/frames.h"
#include "core/update/update_files.h"
#include "core/update/update_packets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vela::update;
    const std::span<const std::uint8_t> bytes(data, size);
    for (const Packet& p : ScanPackets(bytes, kTypeReply, size)) {
        if (p.offset + p.bytes.size() > size || p.bytes.size() < kPacketOverhead ||
            vela::Crc16(p.bytes.data(), p.bytes.size() - 2) !=
                ((p.bytes[p.bytes.size() - 2] << 8) | p.bytes.back())) {
            std::abort();
        }
        if (const auto reply = ParseReply(p)) {
            if (reply->ticket.size() + 22 != p.bytes.size())
                std::abort();
            // Whatever the ticket, the request built from it fits a packet and scans back as one.
            const auto request = BuildDownloadRequest(reply->ticket);
            if (!request || !PacketAt(*request, 0, kTypeDownloadRequest))
                std::abort();
        }
    }
    if (const auto header = FindDownloadHeader(bytes)) {
        if (header->end > size || header->size > kMax40Bit)
            std::abort();
        if (DownloadCounter::Acceptable(header->size)) {
            DownloadCounter counter(header->size);
            const std::size_t early = size - header->end;
            if (counter.Add(early) != (early <= header->size) || counter.Received() > counter.Announced())
                std::abort();
        }
    }
    return 0;
}
