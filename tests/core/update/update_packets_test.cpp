#include "core/update/update_packets.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/protocol/frames.h"

namespace vela::update {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Offer(std::uint8_t flag, std::uint8_t id_byte, const Bytes& ticket) {
    Bytes data(15, 0);
    data[0] = flag;
    for (int k = 0; k < 8; ++k)
        data[7 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(id_byte + k);
    data.insert(data.end(), ticket.begin(), ticket.end());
    return *BuildPacket(kTypeReply, data);
}

TEST(UpdatePackets, QueryForVersionThreeOneCarriesTheVersionTheProcessorAndItsCrc) {
    const auto q = BuildQuery({3, 1, 0x000906EA, 0xBFEBFBFF});
    const Bytes expected_head = {0x55, 0xAA, 0x00, 0x16, 0x00, 0x00, 0x00, 0x03, 0x00, 0x01, 0x46, 0x53};
    EXPECT_EQ(Bytes(q.begin(), q.begin() + 12), expected_head);
    // The processor's words little-endian, as the identification instruction leaves them in memory.
    const Bytes cpu = {0xEA, 0x06, 0x09, 0x00, 0xFF, 0xFB, 0xEB, 0xBF};
    EXPECT_EQ(Bytes(q.begin() + 12, q.begin() + 20), cpu);
    EXPECT_EQ((q[20] << 8) | q[21], Crc16(q.data(), 20));
    const auto id = QueryIdentification(q);
    EXPECT_EQ(Bytes(id.begin(), id.end()), cpu);
}

TEST(UpdatePackets, ReplyIsFoundAtEveryOffsetAfterGarbage) {
    const Bytes offer = Offer(1, 0x10, {'a', 'b', 'c'});
    for (std::size_t lead = 0; lead < 40; ++lead) {
        // Garbage that starts like a packet: the magic with a length that does not check out.
        Bytes bytes;
        for (std::size_t k = 0; k < lead; ++k)
            bytes.push_back(k % 3 == 0 ? 0x55 : (k % 3 == 1 ? 0xAA : static_cast<std::uint8_t>(k)));
        bytes.insert(bytes.end(), offer.begin(), offer.end());
        bytes.push_back(0x55);  // a trailing start that cannot be a packet
        const auto found = ScanPackets(bytes, kTypeReply, 100);
        ASSERT_EQ(found.size(), 1u) << "lead " << lead;
        EXPECT_EQ(found[0].offset, lead);
        const auto reply = ParseReply(found[0]);
        ASSERT_TRUE(reply);
        EXPECT_TRUE(reply->update_available);
        EXPECT_EQ(reply->identification[0], 0x10);
        EXPECT_EQ(reply->identification[7], 0x17);
        EXPECT_EQ(reply->ticket, (Bytes{'a', 'b', 'c'}));
    }
}

TEST(UpdatePackets, WrongCrcMagicOrTypeIsSkippedAndTheNextPacketStillFound) {
    Bytes bad_crc = Offer(1, 0x20, {1});
    bad_crc.back() ^= 0x80;
    Bytes bad_magic = Offer(1, 0x20, {1});
    bad_magic[0] = 0x54;
    const Bytes query = *BuildPacket(kTypeQuery, Bytes(15, 0));
    const Bytes good = Offer(0, 0x30, {});
    Bytes bytes = bad_crc;
    bytes.insert(bytes.end(), bad_magic.begin(), bad_magic.end());
    bytes.insert(bytes.end(), query.begin(), query.end());
    bytes.insert(bytes.end(), good.begin(), good.end());
    const auto found = ScanPackets(bytes, kTypeReply, 100);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].offset, bad_crc.size() + bad_magic.size() + query.size());
    EXPECT_FALSE(ParseReply(found[0])->update_available);
}

TEST(UpdatePackets, LengthPastTheDataOrInsideTheHeaderIsRefused) {
    const Bytes offer = Offer(1, 0, {9, 9});
    for (std::size_t cut = 0; cut < offer.size(); ++cut) {
        EXPECT_FALSE(
            PacketAt(Bytes(offer.begin(), offer.begin() + static_cast<std::ptrdiff_t>(cut)), 0, kTypeReply))
            << "cut at " << cut;
    }
    // Lengths 0 to 6 would put the CRC over the magic or the type; each with a CRC that matches it.
    for (std::uint8_t length = 0; length < kPacketOverhead; ++length) {
        Bytes p = {0x55, 0xAA, 0x00, length, kTypeReply, 0, 0, 0, 0};
        if (length >= 2) {
            const std::uint16_t crc = Crc16(p.data(), length - 2u);
            p[length - 2u] = static_cast<std::uint8_t>(crc >> 8);
            p[length - 1u] = static_cast<std::uint8_t>(crc);
        }
        EXPECT_FALSE(PacketAt(p, 0, kTypeReply)) << "length " << int{length};
    }
}

TEST(UpdatePackets, ReplyTooShortForItsFieldsCarriesNothing) {
    const Bytes short_reply = *BuildPacket(kTypeReply, Bytes(14, 0));  // 21 bytes: one short of the fields
    const auto packet = PacketAt(short_reply, 0, kTypeReply);
    ASSERT_TRUE(packet);
    EXPECT_FALSE(ParseReply(*packet));
    const Bytes no_ticket = *BuildPacket(kTypeReply, Bytes(15, 0));
    const auto reply = ParseReply(*PacketAt(no_ticket, 0, kTypeReply));
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->ticket.empty());
}

TEST(UpdatePackets, ScanStopsAtItsLimit) {
    const Bytes offer = Offer(1, 0, {});
    Bytes bytes;
    for (int k = 0; k < 50; ++k)
        bytes.insert(bytes.end(), offer.begin(), offer.end());
    EXPECT_EQ(ScanPackets(bytes, kTypeReply, 100).size(), 50u);
    EXPECT_EQ(ScanPackets(bytes, kTypeReply, 4).size(), 4u);
}

TEST(UpdatePackets, DownloadHeaderCarriesAFortyBitSizeAndWhereTheFileBegins) {
    Bytes data(6, 0);
    data[1] = 0xFF;  // 0xFF12345678: a size beyond 32 bits
    data[2] = 0x12;
    data[3] = 0x34;
    data[4] = 0x56;
    data[5] = 0x78;
    const Bytes header = *BuildPacket(kTypeDownloadHeader, data);
    Bytes bytes = {0x27, 0x55, 0xAA};
    bytes.insert(bytes.end(), header.begin(), header.end());
    bytes.insert(bytes.end(), {'M', 'Z'});
    const auto found = FindDownloadHeader(bytes);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->size, 0xFF12345678u);
    EXPECT_EQ(found->end, 3 + header.size());

    // Valid but too short to hold the size: not a header.
    EXPECT_FALSE(FindDownloadHeader(*BuildPacket(kTypeDownloadHeader, Bytes(5, 0xFF))));

    std::uint8_t five[5];
    Put40(five, kMax40Bit);
    EXPECT_EQ(Get40(five), kMax40Bit);
    Put40(five, 0x0102030405);
    EXPECT_EQ(Bytes(five, five + 5), (Bytes{1, 2, 3, 4, 5}));
}

TEST(UpdatePackets, DownloadRequestAndCompletionReportBytes) {
    const auto request = BuildDownloadRequest(Bytes{'T', 'K'});
    ASSERT_TRUE(request);
    const Bytes request_head = {0x55, 0xAA, 0x00, 0x0A, 0x26, 0x00, 'T', 'K'};
    EXPECT_EQ(Bytes(request->begin(), request->end() - 2), request_head);
    EXPECT_TRUE(PacketAt(*request, 0, kTypeDownloadRequest));

    const auto report = BuildCompletionReport(0x0102030405, "vela.exe", 8);
    ASSERT_TRUE(report);
    const Bytes report_head = {0x55, 0xAA, 0x00, 0x17, 0x23, 4,   1,   2,   3,   4, 5,
                               8,    'v',  'e',  'l',  'a',  '.', 'e', 'x', 'e', 0};
    EXPECT_EQ(Bytes(report->begin(), report->end() - 2), report_head);
    EXPECT_TRUE(PacketAt(*report, 0, kTypeCompletion));

    EXPECT_FALSE(BuildCompletionReport(1, std::string(256, 'a'), 256));
    EXPECT_FALSE(BuildDownloadRequest(Bytes(0x10000, 0)));
}

}  // namespace
}  // namespace vela::update
