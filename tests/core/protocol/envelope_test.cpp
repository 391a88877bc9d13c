#include "core/protocol/envelope.h"

#include <gtest/gtest.h>

#include <numeric>

#include "core/protocol/frames.h"

namespace vela {
namespace {

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t first = 1) {
    std::vector<std::uint8_t> v(n);
    std::iota(v.begin(), v.end(), first);
    return v;
}

class AssemblerTest : public ::testing::Test {
  protected:
    std::vector<std::vector<std::uint8_t>> messages;
    EnvelopeAssembler assembler{
        [this](std::span<const std::uint8_t> m) { messages.emplace_back(m.begin(), m.end()); }};

    void Put(const Report& r) { assembler.PutReport(r); }
};

TEST(Envelope, HeaderLengthHighFirstAndZeroPadding) {
    const auto frame = EncodeFrame(0x06, std::vector<std::uint8_t>{0, 0});  // 80 05 06 00 00 13 C5
    const auto reports = WrapInReports(frame);
    ASSERT_EQ(reports.size(), 1u);
    const std::vector<std::uint8_t> head(reports[0].begin(), reports[0].begin() + 12);
    EXPECT_EQ(head, (std::vector<std::uint8_t>{0xAE, 0x1E, 0x00, 0x07, 0xC8, 0x80, 0x05, 0x06, 0x00, 0x00,
                                               0x13, 0xC5}));
    EXPECT_TRUE(
        std::all_of(reports[0].begin() + 12, reports[0].end(), [](std::uint8_t b) { return b == 0; }));

    const auto long_frame = Bytes(300);
    const auto long_reports = WrapInReports(long_frame);
    EXPECT_EQ(long_reports[0][2], 0x01);
    EXPECT_EQ(long_reports[0][3], 0x2C);
}

TEST(Envelope, ReportCountFollowsTheFiveByteHeader) {
    EXPECT_EQ(WrapInReports(Bytes(59)).size(), 1u);
    EXPECT_EQ(WrapInReports(Bytes(60)).size(), 2u);
    EXPECT_EQ(WrapInReports(Bytes(101)).size(), 2u);  // a full write batch
    EXPECT_EQ(WrapInReports(Bytes(123)).size(), 2u);
    EXPECT_EQ(WrapInReports(Bytes(124)).size(), 3u);
    EXPECT_TRUE(WrapInReports(Bytes(70000)).empty());
}

TEST_F(AssemblerTest, OneReportFrameIsHandedOnAtOnce) {
    const auto frame = Bytes(59);
    Put(WrapInReports(frame)[0]);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], frame);
}

TEST_F(AssemblerTest, HundredAndOneBytesArriveInTwoReports) {
    const auto frame = Bytes(101);
    const auto reports = WrapInReports(frame);
    ASSERT_EQ(reports.size(), 2u);
    Put(reports[0]);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(assembler.Fill(), 59u);
    Put(reports[1]);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], frame);
}

TEST_F(AssemblerTest, HeaderlessReportsWithoutAMessageAreStoredButNeverHandedOn) {
    Report stray{};
    stray.fill(0x55);
    Put(stray);
    Put(stray);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(assembler.Fill(), 128u);
    // A header restarts the buffer, and the next message is whole.
    const auto frame = Bytes(20);
    Put(WrapInReports(frame)[0]);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], frame);
}

TEST_F(AssemblerTest, StrayReportAfterACompleteMessageDoesNotRepeatIt) {
    Put(WrapInReports(Bytes(30))[0]);
    Report stray{};
    Put(stray);
    Put(stray);
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(AssemblerTest, AHeaderInTheMiddleDropsTheUnfinishedMessage) {
    const auto first = WrapInReports(Bytes(101, 1));
    const auto second = Bytes(40, 200);
    Put(first[0]);
    Put(WrapInReports(second)[0]);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], second);
}

TEST_F(AssemblerTest, OverflowRestartsAtTheFrontWithinTheBuffer) {
    // A header announcing more than the buffer holds, followed by many continuation reports.
    Report header{0xAE, 0x1E, 0xFF, 0xFF, 0xC8};
    Put(header);
    Report filler{};
    filler.fill(0x11);
    for (int k = 0; k < 200; ++k)
        Put(filler);
    EXPECT_TRUE(messages.empty());
    EXPECT_GE(assembler.Overflows(), 1u);
    EXPECT_LE(assembler.Fill(), EnvelopeAssembler::kBufferSize);
}

TEST_F(AssemblerTest, ShortReadsArePaddedAndStillReassemble) {
    // Three bytes can never be mistaken for a header.
    const std::uint8_t piece[3] = {0xAE, 0x1E, 0x00};
    assembler.PutReport(piece);
    EXPECT_EQ(assembler.MessageLength(), 0u);
    // A short first report: the header counts only what was read.
    const auto frame = Bytes(10);
    const auto r = WrapInReports(frame)[0];
    assembler.PutReport(std::span(r.data(), 8));  // header and 3 frame bytes
    EXPECT_TRUE(messages.empty());
    assembler.PutReport(std::span(r.data() + 8, 7));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], frame);
}

TEST(Envelope, EveryFrameSizeSurvivesTheRoundTrip) {
    for (std::size_t n : {1u, 5u, 58u, 59u, 60u, 101u, 122u, 123u, 124u, 254u, 1000u, 8000u}) {
        std::vector<std::vector<std::uint8_t>> got;
        EnvelopeAssembler a([&](std::span<const std::uint8_t> m) { got.emplace_back(m.begin(), m.end()); });
        const auto frame = Bytes(n);
        for (const auto& r : WrapInReports(frame))
            a.PutReport(r);
        ASSERT_EQ(got.size(), 1u) << n;
        EXPECT_EQ(got[0], frame) << n;
    }
}

}  // namespace
}  // namespace vela
