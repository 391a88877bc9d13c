#include "core/model/channel_response.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/protocol/factory_defaults.h"

namespace vela {
namespace {

std::vector<std::uint32_t> Defaults() {
    const auto& d = FactoryDefaults();
    return {d.begin(), d.end()};
}

double DbAt(const ChannelResponse& r, double hz) {
    // The nearest axis point.
    const ResponsePoint* best = &r.points.front();
    for (const auto& p : r.points) {
        if (std::abs(std::log(p.hz / hz)) < std::abs(std::log(best->hz / hz)))
            best = &p;
    }
    return best->db;
}

void SetBand(std::vector<std::uint32_t>& t, const ChannelIndexes& ix, int band, int type, int freq_code,
             int gain_code, int q_code) {
    const std::size_t at = ix.eq_first + 4u * static_cast<std::size_t>(band);
    t[at] = static_cast<std::uint32_t>(type);
    t[at + 1] = static_cast<std::uint32_t>(freq_code);
    t[at + 2] = static_cast<std::uint32_t>(gain_code);
    t[at + 3] = static_cast<std::uint32_t>(q_code);
}

TEST(ChannelIndexes, EveryChannelFindsItsFiltersInTheTable) {
    const ChannelIndexes main = IndexesOf(Channel::kMain, false);
    EXPECT_EQ(main.eq_first, 335);
    EXPECT_EQ(main.bands, 7);
    EXPECT_EQ(main.eq_active, 326);
    EXPECT_EQ(main.high_pass_slope, 327);
    EXPECT_EQ(main.high_pass_freq, 328);
    EXPECT_EQ(main.low_pass_slope, 331);
    EXPECT_EQ(main.low_pass_freq, 332);
    EXPECT_FALSE(main.high_pass_q);
    EXPECT_EQ(IndexesOf(Channel::kMain, true).eq_active, 326 + 208);
    const ChannelIndexes sub = IndexesOf(Channel::kSub, false);
    EXPECT_EQ(sub.high_pass_q, 432);
    EXPECT_EQ(sub.low_pass_q, 436);
    const ChannelIndexes music = IndexesOf(Channel::kMusic, false);
    EXPECT_EQ(music.eq_first, 254);
    EXPECT_EQ(music.bands, 15);
    EXPECT_EQ(music.eq_active, 245);
    EXPECT_EQ(music.low_pass_freq, 251);
    const ChannelIndexes mic_b = IndexesOf(Channel::kMicB, false);
    EXPECT_EQ(mic_b.eq_first, 113);
    EXPECT_EQ(mic_b.eq_active, 36);
    EXPECT_EQ(mic_b.high_pass_freq, 46);
    EXPECT_EQ(IndexesOf(Channel::kMicA, false).low_pass_slope, 41);
    const ChannelIndexes reverb = IndexesOf(Channel::kReverb, false);
    EXPECT_EQ(reverb.eq_first, 224);
    EXPECT_EQ(reverb.bands, 5);
    EXPECT_EQ(reverb.eq_active, 187);
    EXPECT_EQ(reverb.high_pass_slope, 196);
    EXPECT_EQ(IndexesOf(Channel::kEcho, false).low_pass_freq, 193);
    for (std::string_view name : {"main", "center", "sub", "rear", "music", "mica", "micb", "echo", "reverb"})
        EXPECT_EQ(ChannelName(*ChannelByName(name)), name);
    EXPECT_FALSE(ChannelByName("Main"));
    EXPECT_FALSE(ChannelByName("mic"));
}

TEST(ChannelResponse, FiltersAndBandsAddUpAndAPassedEqLeavesTheFiltersOnly) {
    auto t = Defaults();
    const ChannelIndexes ix = IndexesOf(Channel::kMain, false);
    for (int b = 0; b < ix.bands; ++b)
        SetBand(t, ix, b, 7, 1000, 500, 100);
    SetBand(t, ix, 3, 7, 1000, 560, 200);  // +6.0 dB at 1 kHz
    SetBand(t, ix, 4, 5, 10100, 380, 70);  // high shelf, -12.0 dB
    t[ix.high_pass_slope] = 8;             // Butterworth 12 at 40 Hz
    t[ix.high_pass_freq] = 32768 + 400;
    t[ix.low_pass_slope] = 25;  // Link Riley 24 at 20 kHz
    t[ix.low_pass_freq] = 20000;
    t[ix.eq_active] = 1;
    const auto r = ComputeChannelResponse(t, Channel::kMain, false, 2048);
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->eq_passed);
    ASSERT_EQ(r->points.size(), 2048u);
    EXPECT_NEAR(DbAt(*r, 1000), 6.0, 0.05);
    EXPECT_NEAR(DbAt(*r, 40), -3.0, 0.1);
    EXPECT_NEAR(DbAt(*r, 20000), -12.0 - 6.0, 0.5);
    EXPECT_NEAR(DbAt(*r, 300), 0.0, 0.2);
    t[ix.eq_active] = 0;
    const auto passed = ComputeChannelResponse(t, Channel::kMain, false, 2048);
    EXPECT_TRUE(passed->eq_passed);
    EXPECT_NEAR(DbAt(*passed, 1000), 0.0, 0.01);
    EXPECT_NEAR(DbAt(*passed, 40), -3.0, 0.1);
    // The other bank holds its own values.
    const auto dance = ComputeChannelResponse(t, Channel::kMain, true, 64);
    EXPECT_NEAR(DbAt(*dance, 1000), 0.0, 0.01);
}

TEST(ChannelResponse, AxisMatchesTheGraphAndTheBankFollowsTheModeWord) {
    auto t = Defaults();
    const auto r = ComputeChannelResponse(t, Channel::kEcho, false, 512);
    ASSERT_EQ(r->points.size(), 512u);
    EXPECT_DOUBLE_EQ(r->points.front().hz, 19.0);
    EXPECT_NEAR(AxisFrequency(512, 512), 20600.0, 1e-9);
    EXPECT_NEAR(r->points[256].hz, std::sqrt(19.0 * 20600.0), 1e-6);
    EXPECT_LT(r->points.back().hz, 20600.0);
    t[942] = 0;
    EXPECT_FALSE(DanceBankSelected(t));
    t[942] = 2;
    EXPECT_TRUE(DanceBankSelected(t));
    EXPECT_EQ(ComputeChannelResponse(t, Channel::kMusic, false, 0)->points.size(), 0u);
}

TEST(ChannelResponse, StoredNonsenseIsHeldAndShortTablesRefused) {
    auto t = Defaults();
    const ChannelIndexes ix = IndexesOf(Channel::kSub, false);
    SetBand(t, ix, 0, 7, 32768, 0, 0);  // no frequency, -50 dB, Q 0
    SetBand(t, ix, 1, 0x1234, 65535, 65535, 65535);
    t[ix.high_pass_slope] = 99;  // not a slope
    t[ix.high_pass_freq] = 200;
    t[ix.low_pass_slope] = 33;  // variable Q from the stored tenths
    t[ix.low_pass_freq] = 2000;
    t[*ix.low_pass_q] = 0;  // out of range: 0.4
    t[ix.eq_active] = 1;
    const auto r = ComputeChannelResponse(t, Channel::kSub, false, 256);
    ASSERT_TRUE(r);
    for (const auto& p : r->points)
        ASSERT_TRUE(std::isfinite(p.db)) << p.hz;
    // Q 0.4 at the corner: 20 log10(0.4).
    EXPECT_NEAR(DbAt(*r, 2000) - 0.0, 20 * std::log10(0.4), 0.8);

    std::vector<std::uint32_t> short_table(300, 0);
    EXPECT_FALSE(ComputeChannelResponse(short_table, Channel::kMain, false, 16));
    EXPECT_FALSE(ComputeChannelResponse(short_table, Channel::kRear, false, 16));
    EXPECT_TRUE(ComputeChannelResponse(short_table, Channel::kMicA, false, 16));
    EXPECT_FALSE(ComputeChannelResponse({}, Channel::kMicA, false, 16));
}

}  // namespace
}  // namespace vela
