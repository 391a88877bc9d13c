// A channel's combined frequency response from a parameter table (a scene file or the device): its pass
// filters by code, frequency and variable Q, and its EQ bands with their stored gains, bypassed while the
// channel's EQ is passed. The same filter arithmetic as the response graph.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace vela {

enum class Channel { kMain, kCenter, kSub, kRear, kMusic, kMicA, kMicB, kEcho, kReverb };

// main, center, sub, rear, music, mica, micb, echo, reverb.
std::optional<Channel> ChannelByName(std::string_view name);
std::string_view ChannelName(Channel channel);
bool IsOutputStrip(Channel channel);

// Where a channel's filters live in the table.
struct ChannelIndexes {
    std::uint16_t eq_first;  // band b field f at eq_first + 4 b + f (type, frequency, gain, Q)
    int bands;
    std::uint16_t eq_active;  // 1 EQ in effect, 0 passed
    std::uint16_t high_pass_slope;
    std::uint16_t high_pass_freq;
    std::uint16_t low_pass_slope;
    std::uint16_t low_pass_freq;
    std::optional<std::uint16_t> high_pass_q;  // tenths; only the Sub strip stores them
    std::optional<std::uint16_t> low_pass_q;
};
ChannelIndexes IndexesOf(Channel channel, bool dance_bank);
// The output strips read the Dance bank while bit 1 of the mode word is set.
bool DanceBankSelected(std::span<const std::uint32_t> table);
bool DanceBankInModeWord(std::uint32_t mode_word);

// The graph's axis for n points: f(i) = 19 x 10^(i x log10(20600 / 19) / n), i = 0 .. n - 1.
double AxisFrequency(int i, int n);

struct ResponsePoint {
    double hz;
    double db;
};

struct ChannelResponse {
    bool eq_passed = false;
    std::vector<ResponsePoint> points;
};

// The table must hold every index IndexesOf names (946 values are enough); nothing is read beyond it.
std::optional<ChannelResponse> ComputeChannelResponse(std::span<const std::uint32_t> table, Channel channel,
                                                      bool dance_bank, int points);

}  // namespace vela
