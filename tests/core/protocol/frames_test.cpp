#include "core/protocol/frames.h"

#include <gtest/gtest.h>

#include <string>

#include "support/link_fakes.h"

namespace vela {
namespace {

using testing::Frame;

struct Dispatched {
    std::uint8_t command;
    std::vector<std::uint8_t> payload;
    bool operator==(const Dispatched&) const = default;
};

class ReceiverTest : public ::testing::Test {
  protected:
    FrameReceiver receiver{[this](std::uint8_t c, std::span<const std::uint8_t> p) {
        got.push_back({c, {p.begin(), p.end()}});
    }};
    std::vector<Dispatched> got;

    void Feed(const std::vector<std::uint8_t>& bytes) { receiver.ReceiveBytes(bytes.data(), bytes.size()); }
};

std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(Crc16, ModbusCheckValueAndByteOrder) {
    const std::string digits = "123456789";
    EXPECT_EQ(Crc16(reinterpret_cast<const std::uint8_t*>(digits.data()), digits.size()), 0x4B37);
    // Reading parameter 0; the CRC is stored high byte first.
    EXPECT_EQ(Frame(0x06, {0x00, 0x00}),
              (std::vector<std::uint8_t>{0x80, 0x05, 0x06, 0x00, 0x00, 0x13, 0xC5}));
}

TEST(EncodeFrame, LengthByteSaturatesAtLongPayloads) {
    EXPECT_EQ(Frame(0x57, std::vector<std::uint8_t>(249, 'a'))[1], 252);
    EXPECT_EQ(Frame(0x57, std::vector<std::uint8_t>(250, 'a'))[1], 0xFF);
    EXPECT_EQ(Frame(0x57, std::vector<std::uint8_t>(250, 'a')).size(), 255u);
    EXPECT_EQ(Frame(0x00, {})[1], 3);
}

TEST_F(ReceiverTest, FrameSplitAtEveryOffsetIsDispatchedOnceWhenComplete) {
    const auto frame = Frame(0x06, {0x01, 0x02, 0x03, 0x04});
    for (std::size_t cut = 1; cut < frame.size(); ++cut) {
        got.clear();
        Feed({frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(cut)});
        EXPECT_TRUE(got.empty()) << "cut " << cut;
        Feed({frame.begin() + static_cast<std::ptrdiff_t>(cut), frame.end()});
        ASSERT_EQ(got.size(), 1u) << "cut " << cut;
        EXPECT_EQ(got[0], (Dispatched{0x06, {1, 2, 3, 4}}));
        EXPECT_EQ(receiver.Buffered(), 0u);
    }
}

TEST_F(ReceiverTest, TwoFramesInOneChunkAreDispatchedInOrder) {
    Feed(Concat({Frame(0x03, {0, 5, 0, 7}), Frame(0x21, {1, 1})}));
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].command, 0x03);
    EXPECT_EQ(got[1].command, 0x21);
    EXPECT_EQ(receiver.Buffered(), 0u);
}

TEST_F(ReceiverTest, PartialSecondFrameStaysAndFirstIsNotRepeated) {
    const auto first = Frame(0x01, {3});
    const auto second = Frame(0x10, {2, 'a', 'b'});
    const std::size_t half = second.size() / 2;
    Feed(Concat({first, {second.begin(), second.begin() + static_cast<std::ptrdiff_t>(half)}}));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(receiver.Buffered(), half);
    Feed({second.begin() + static_cast<std::ptrdiff_t>(half), second.end()});
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1].command, 0x10);
}

TEST_F(ReceiverTest, LoneEmptyPayloadFrameWaitsForOneMoreByte) {
    Feed(Frame(0x20, {}));
    EXPECT_TRUE(got.empty());
    Feed({0x00});
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].command, 0x20);
    EXPECT_EQ(receiver.Buffered(), 1u);  // the extra byte is garbage after the last frame and stays
}

TEST_F(ReceiverTest, CorruptCrcIsSkippedAndFollowingFrameDispatched) {
    auto bad = Frame(0x06, {0, 1, 0, 9});
    bad.back() ^= 0x5A;
    Feed(Concat({bad, Frame(0x06, {0, 2, 0, 8})}));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].payload, (std::vector<std::uint8_t>{0, 2, 0, 8}));
    EXPECT_EQ(receiver.Buffered(), 0u);
}

TEST_F(ReceiverTest, GarbageBeforeFrameIsDroppedWithItAndGarbageAfterStays) {
    // 0x80 and 0x81 with short lengths are candidates that fail their CRC.
    Feed(Concat({{0x11, 0x80, 0x01, 0x81, 0x02}, Frame(0x71, {}), {0x33, 0x44}}));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].command, 0x71);
    EXPECT_EQ(receiver.Buffered(), 2u);
}

TEST_F(ReceiverTest, ShortLengthBytesNeverDispatch) {
    // Candidates whose length byte cannot hold header, length and command are not frames, even
    // when the bytes after them happen to match the CRC of the first two.
    for (std::uint8_t len = 0; len < 3; ++len) {
        std::vector<std::uint8_t> bytes{0x80, len};
        const std::uint16_t crc = Crc16(bytes.data(), 2);
        bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
        bytes.push_back(static_cast<std::uint8_t>(crc));
        bytes.insert(bytes.end(), 4, 0x00);
        Feed(bytes);
    }
    EXPECT_TRUE(got.empty());
}

TEST_F(ReceiverTest, OverflowDiscardsTheWholeBufferAndRecovers) {
    std::vector<std::uint8_t> junk(FrameReceiver::kBufferSize, 0x55);
    Feed(junk);
    EXPECT_EQ(receiver.Buffered(), FrameReceiver::kBufferSize);
    Feed(Frame(0x06, {0, 3, 0, 1}));
    EXPECT_EQ(receiver.Overflows(), 1u);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(receiver.Buffered(), 0u);
}

TEST_F(ReceiverTest, StrayHeaderHoldsTheScanUntilItCanBeRejected) {
    // Garbage that looks like the start of a long frame blocks the scan: this is the device's rule.
    // A stray 0x80 followed by a large length makes the scan wait; the frame after it is found only
    // once the buffer holds enough bytes to reject the stray candidate by its CRC.
    Feed({0x80, 0xF0});
    Feed(Frame(0x01, {1}));
    EXPECT_TRUE(got.empty());
    Feed(std::vector<std::uint8_t>(0xF0, 0x00));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].command, 0x01);
}

TEST_F(ReceiverTest, InterleavedReceiversKeepTheirOwnBuffers) {
    std::vector<Dispatched> other_got;
    FrameReceiver other{[&](std::uint8_t c, std::span<const std::uint8_t> p) {
        other_got.push_back({c, {p.begin(), p.end()}});
    }};
    const auto a = Frame(0x06, {0, 1, 0, 1});
    const auto b = Frame(0x03, {0, 2, 0, 2});
    for (std::size_t k = 0; k < std::max(a.size(), b.size()); ++k) {
        if (k < a.size())
            receiver.ReceiveBytes(&a[k], 1);
        if (k < b.size())
            other.ReceiveBytes(&b[k], 1);
    }
    ASSERT_EQ(got.size(), 1u);
    ASSERT_EQ(other_got.size(), 1u);
    EXPECT_EQ(got[0].command, 0x06);
    EXPECT_EQ(other_got[0].command, 0x03);
}

// The scan resumes where the previous report left it; what it delivers must not depend on how the bytes
// were cut into reports. A flood of refused candidates, candidates still waiting for their bytes, and
// frames among them, fed whole and in every report size up to 70 bytes.
TEST_F(ReceiverTest, ResumedScanDeliversWhatAScanOfTheWholeStreamDelivers) {
    std::vector<std::uint8_t> stream;
    for (int k = 0; k < 60; ++k) {
        const std::vector<std::uint8_t> stray = {0x80, static_cast<std::uint8_t>(5 + k % 40), 0x11, 0x22};
        stream.insert(stream.end(), stray.begin(), stray.end());
        if (k % 7 == 0) {
            const auto f = Frame(static_cast<std::uint8_t>(k), {static_cast<std::uint8_t>(k), 0x80, 0x30});
            stream.insert(stream.end(), f.begin(), f.end());
        }
    }
    Feed(stream);
    const auto whole = got;
    ASSERT_FALSE(whole.empty());
    for (std::size_t report = 1; report <= 70; ++report) {
        FrameReceiver cut([&](std::uint8_t c, std::span<const std::uint8_t> p) {
            got.push_back({c, {p.begin(), p.end()}});
        });
        got.clear();
        for (std::size_t at = 0; at < stream.size(); at += report)
            cut.ReceiveBytes(stream.data() + at, std::min(report, stream.size() - at));
        EXPECT_EQ(got, whole) << "reports of " << report;
        EXPECT_EQ(cut.BufferedBytes().size(), receiver.BufferedBytes().size()) << report;
    }
}

}  // namespace
}  // namespace vela
