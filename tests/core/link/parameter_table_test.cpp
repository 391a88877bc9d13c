#include "core/link/parameter_table.h"

#include <gtest/gtest.h>

#include "core/protocol/factory_defaults.h"

namespace vela {
namespace {

constexpr std::uint16_t kContinue = ParameterTable::kContinue;

std::vector<std::uint16_t> Indexes(const std::vector<std::uint8_t>& payload, std::size_t stride) {
    std::vector<std::uint16_t> out;
    for (std::size_t g = 0; g + stride <= payload.size(); g += stride)
        out.push_back(Word(payload[g], payload[g + 1]));
    return out;
}

class TableTest : public ::testing::Test {
  protected:
    ParameterTable table;

    void MarkAllReceived() {
        for (std::size_t i = 0; i < kParameterCount; ++i)
            table[i].received = 1;
    }
};

TEST_F(TableTest, StartsFromFactoryDefaultsWithNoMarks) {
    EXPECT_EQ(table.Value(0), 32);
    EXPECT_EQ(table.Value(254), 7);
    EXPECT_EQ(table.Value(255), 198);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        ASSERT_FALSE(table.IsDirty(i));
        ASSERT_FALSE(table.IsReceived(i));
    }
}

TEST_F(TableTest, WriteStoresLow16BitsAndMarksOnlyWhenAsked) {
    table.WriteParameter(28, 0x10000 + 560);
    EXPECT_EQ(table.Value(28), 560);
    EXPECT_TRUE(table.IsDirty(28));
    table.WriteParameter(29, 7, false);
    EXPECT_FALSE(table.IsDirty(29));
    table.WriteParameter(kParameterCount, 1);  // out of range: ignored, no write past the table
}

TEST_F(TableTest, EmptyWriteBatchKeepsTheCursor) {
    table.SetWriteCursor(100);
    const auto batch = table.CollectWriteBatch(kContinue, 24);
    EXPECT_TRUE(batch.payload.empty());
    EXPECT_FALSE(batch.scene_name_request);
    EXPECT_EQ(table.WriteCursor(), 100u);
}

TEST_F(TableTest, WriteBatchCarries24AndNextContinuesAfterTheLast) {
    for (std::size_t i = 200; i < 230; ++i)
        table.WriteParameter(i, i);
    const auto first = table.CollectWriteBatch(200, 24);
    const auto idx = Indexes(first.payload, 4);
    ASSERT_EQ(idx.size(), 24u);
    EXPECT_EQ(idx.front(), 200);
    EXPECT_EQ(idx.back(), 223);
    EXPECT_EQ(Word(first.payload[2], first.payload[3]), 200);  // value follows the index
    EXPECT_EQ(table.WriteCursor(), 224u);
    const auto second = Indexes(table.CollectWriteBatch(kContinue, 24).payload, 4);
    // 224..229 first, then round the table to the unacknowledged 200.. again.
    ASSERT_EQ(second.size(), 24u);
    EXPECT_EQ(second.front(), 224);
    EXPECT_EQ(second[6], 200);
}

TEST_F(TableTest, WriteBatchWrapsAroundTheEnd) {
    for (std::size_t i : {945u, 946u, 0u})
        table.WriteParameter(i, 1);
    EXPECT_EQ(Indexes(table.CollectWriteBatch(945, 24).payload, 4),
              (std::vector<std::uint16_t>{945, 946, 0}));
}

TEST_F(TableTest, UnacknowledgedWriteIsSentElevenTimesThenDropped) {
    table.WriteParameter(500, 42);
    int sends = 0;
    for (int round = 0; round < 20; ++round) {
        if (!table.CollectWriteBatch(0, 24).payload.empty())
            ++sends;
    }
    EXPECT_EQ(sends, 11);
    EXPECT_FALSE(table.IsDirty(500));
    // Marking it again starts over.
    table.WriteParameter(500, 43);
    EXPECT_EQ(Indexes(table.CollectWriteBatch(0, 24).payload, 4), (std::vector<std::uint16_t>{500}));
}

TEST_F(TableTest, AcknowledgementClearsOnlyWhenTheEchoIsStillCurrent) {
    table.WriteParameter(300, 10);
    (void)table.CollectWriteBatch(0, 24);
    table.WriteParameter(300, 11);  // changed while the write of 10 was in flight
    table.AcknowledgeWrite(300, 10);
    EXPECT_TRUE(table.IsDirty(300));
    table.AcknowledgeWrite(300, 11);
    EXPECT_FALSE(table.IsDirty(300));
    EXPECT_EQ(table[300].retry.load(), 0);
    table.AcknowledgeWrite(947, 0);  // beyond the table: ignored
}

TEST_F(TableTest, DirtySceneNameSelectorBecomesANameRequest) {
    table.WriteParameter(100, 1);
    table.WriteParameter(param::kSceneSelector, 0x0503);
    const auto batch = table.CollectWriteBatch(0, 24);
    ASSERT_TRUE(batch.scene_name_request);
    EXPECT_EQ(*batch.scene_name_request, 3);
    EXPECT_TRUE(batch.payload.empty());
    EXPECT_EQ(table.WriteCursor(), param::kSceneSelector);
    EXPECT_TRUE(table.IsDirty(param::kSceneSelector));
    // Other operations on the selector are ordinary writes.
    table.WriteParameter(param::kSceneSelector, 0x0603);
    EXPECT_EQ(Indexes(table.CollectWriteBatch(0, 24).payload, 4), (std::vector<std::uint16_t>{100, 934}));
}

TEST_F(TableTest, ReadBatchStopsAt25AndKeepsTheLastAsNextStart) {
    MarkAllReceived();
    for (std::size_t i = 10; i < 50; ++i)
        table[i].received = 0;
    const auto first = Indexes(table.CollectReadBatch(0, 32), 2);
    ASSERT_EQ(first.size(), 25u);
    EXPECT_EQ(first.front(), 10);
    EXPECT_EQ(first.back(), 34);
    EXPECT_EQ(table.ReadCursor(), 34u);
    for (std::size_t i = 10; i < 34; ++i)
        table[i].received = 1;  // their replies arrived
    const auto second = Indexes(table.CollectReadBatch(kContinue, 32), 2);
    EXPECT_EQ(second.front(), 34);
    EXPECT_EQ(second.size(), 16u);
}

TEST_F(TableTest, ReadBatchWithNothingMissingIsEmptyAndCursorComesBack) {
    MarkAllReceived();
    EXPECT_TRUE(table.CollectReadBatch(700, 32).empty());
    EXPECT_EQ(table.ReadCursor(), 700u);
    EXPECT_TRUE(table.CollectReadBatch(0, 0).empty());
}

TEST_F(TableTest, ReadBatchCountsRetriesAndWrapsThem) {
    MarkAllReceived();
    table[5].received = 0;
    for (int k = 0; k < 10; ++k)
        (void)table.CollectReadBatch(0, 2);
    EXPECT_EQ(table[5].retry.load(), 10);
    (void)table.CollectReadBatch(0, 2);
    EXPECT_EQ(table[5].retry.load(), 0);
}

TEST_F(TableTest, CursorsOutsideTheTableWrapToZero) {
    table.WriteParameter(0, 1);
    EXPECT_EQ(Indexes(table.CollectWriteBatch(5000, 24).payload, 4), (std::vector<std::uint16_t>{0}));
    MarkAllReceived();
    table[0].received = 0;
    EXPECT_EQ(Indexes(table.CollectReadBatch(9999, 5), 2), (std::vector<std::uint16_t>{0}));
}

TEST(FactoryDefaults, EqBandsOfMusicAndOutputsArePeakingAtZeroGain) {
    const auto& d = FactoryDefaults();
    EXPECT_EQ(d[4], 296);
    EXPECT_EQ(d[5], 1000);
    EXPECT_EQ(d[6], 0x0601);
    auto check_block = [&](std::size_t first, int bands) {
        for (int b = 0; b < bands; ++b) {
            const std::size_t i = first + 4 * static_cast<std::size_t>(b);
            EXPECT_EQ(d[i], 7) << i;
            EXPECT_TRUE(d[i + 1] >= 100 || d[i + 1] > 32768) << i;  // a frequency code, never "off"
            EXPECT_EQ(d[i + 2], 500) << i;
            EXPECT_EQ(d[i + 3], 100) << i;
        }
    };
    check_block(254, 15);
    for (std::size_t bank : {0u, 208u}) {
        check_block(314 + bank + 21, 7);  // Main
        check_block(367 + bank + 19, 7);  // Center
        check_block(418 + bank + 19, 7);  // Sub
        check_block(469 + bank + 21, 7);  // Rear
    }
    // The Dance bank starts as a copy of the Sing bank.
    for (std::size_t i = 314; i < 522; ++i)
        ASSERT_EQ(d[i], d[i + 208]) << i;
    // Master levels carry the 500 offset; unused indexes hold 0.
    EXPECT_GE(d[28], 500);
    EXPECT_EQ(d[800], 0);
}

// The worker gives up an unacknowledged write at its retry limit while the user keeps editing: an edit
// made between the batch taking the value and the give-up must still go out.
TEST_F(TableTest, AnEditMadeAsItsPredecessorIsDroppedStillGoesOut) {
    table.WriteParameter(500, 42);
    for (int round = 0; round < ParameterTable::kRetryLimit; ++round)
        table.CollectWriteBatch(0, 24);
    // The batch that reaches the limit carries 42; the user's 43 lands before the give-up.
    table.WriteParameter(500, 43);
    table.DropUnacknowledged(500, 42);
    ASSERT_TRUE(table.IsDirty(500));
    const auto payload = table.CollectWriteBatch(0, 24).payload;
    ASSERT_EQ(payload.size(), 4u);
    EXPECT_EQ(Word(payload[2], payload[3]), 43);
    // Without an edit in between, the give-up clears the mark.
    table.DropUnacknowledged(500, 43);
    EXPECT_FALSE(table.IsDirty(500));
}

}  // namespace
}  // namespace vela
