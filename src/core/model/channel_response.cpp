#include "core/model/channel_response.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/model/filter_response.h"
#include "core/model/parameter_layout.h"
#include "core/model/value_scales.h"
#include "core/protocol/protocol.h"

namespace vela {
namespace {

constexpr std::array<std::string_view, 9> kNames{"main", "center", "sub",  "rear",  "music",
                                                 "mica", "micb",   "echo", "reverb"};

// The page codes of the filter controls: outputs and effects, and the input pages.
struct FilterCodes {
    int eq_active, high_pass_slope, high_pass_freq, low_pass_slope, low_pass_freq;
};
constexpr FilterCodes kOutputCodes{40, 59, 58, 61, 60};
constexpr FilterCodes kEffectCodes{40, 45, 43, 46, 44};
constexpr FilterCodes kInputCodes{60, 79, 78, 81, 80};
constexpr int kHighPassQCode = 48;
constexpr int kLowPassQCode = 49;
constexpr std::uint32_t kModeDanceBit = 0x2;
constexpr double kPassQ = 1.5;  // the graph's variable Q where the table holds none

std::uint16_t WriterIndex(int page, int code) {
    for (const auto& row : layout::IndexRows()) {
        if (row.writer == layout::CodeRef{page, code})
            return row.index;
    }
    return 0;
}

std::uint16_t MicIndex(int code, bool mic_b) {
    for (const auto& row : layout::MicTargetRows()) {
        if (row.code == code)
            return mic_b ? row.mic_b : row.mic_a;
    }
    return 0;
}

ChannelIndexes FromBlock(const layout::EqBlock& block) {
    const FilterCodes& c = block.page_id == layout::kMusicPage ? kInputCodes : kEffectCodes;
    return {block.first,
            block.bands,
            WriterIndex(block.page_id, c.eq_active),
            WriterIndex(block.page_id, c.high_pass_slope),
            WriterIndex(block.page_id, c.high_pass_freq),
            WriterIndex(block.page_id, c.low_pass_slope),
            WriterIndex(block.page_id, c.low_pass_freq),
            std::nullopt,
            std::nullopt};
}

ChannelIndexes FromMic(const layout::EqBlock& block, bool mic_b) {
    const FilterCodes& c = kInputCodes;
    return {block.first,
            block.bands,
            MicIndex(c.eq_active, mic_b),
            MicIndex(c.high_pass_slope, mic_b),
            MicIndex(c.high_pass_freq, mic_b),
            MicIndex(c.low_pass_slope, mic_b),
            MicIndex(c.low_pass_freq, mic_b),
            std::nullopt,
            std::nullopt};
}

ChannelIndexes FromStrip(layout::Strip strip, bool dance) {
    auto at = [&](int code) { return layout::StripIndexForCode(strip, dance, code).value_or(0); };
    const FilterCodes& c = kOutputCodes;
    return {layout::StripEqIndex(strip, dance, 0, layout::EqField::kType),
            layout::kOutputBands,
            at(c.eq_active),
            at(c.high_pass_slope),
            at(c.high_pass_freq),
            at(c.low_pass_slope),
            at(c.low_pass_freq),
            layout::StripIndexForCode(strip, dance, kHighPassQCode),
            layout::StripIndexForCode(strip, dance, kLowPassQCode)};
}

// The graph's rule for a pass filter's variable Q: tenths, anything outside 0.4 .. 1.5 taken as 0.4.
double PassQFromRaw(std::uint32_t raw) {
    const double q = raw / 10.0;
    return q >= 0.4 && q <= 1.5 ? q : 0.4;
}

}  // namespace

std::optional<Channel> ChannelByName(std::string_view name) {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (kNames[i] == name)
            return static_cast<Channel>(i);
    }
    return std::nullopt;
}

std::string_view ChannelName(Channel channel) {
    return kNames[static_cast<std::size_t>(channel)];
}

bool IsOutputStrip(Channel channel) {
    return channel == Channel::kMain || channel == Channel::kCenter || channel == Channel::kSub ||
           channel == Channel::kRear;
}

ChannelIndexes IndexesOf(Channel channel, bool dance_bank) {
    switch (channel) {
        case Channel::kMain:
            return FromStrip(layout::Strip::kMain, dance_bank);
        case Channel::kCenter:
            return FromStrip(layout::Strip::kCenter, dance_bank);
        case Channel::kSub:
            return FromStrip(layout::Strip::kSub, dance_bank);
        case Channel::kRear:
            return FromStrip(layout::Strip::kRear, dance_bank);
        case Channel::kMusic:
            return FromBlock(layout::kMusicEq);
        case Channel::kMicA:
            return FromMic(layout::kMicAEq, false);
        case Channel::kMicB:
            return FromMic(layout::kMicBEq, true);
        case Channel::kEcho:
            return FromBlock(layout::kEchoEq);
        case Channel::kReverb:
            return FromBlock(layout::kReverbEq);
    }
    return FromBlock(layout::kMusicEq);
}

bool DanceBankSelected(std::span<const std::uint32_t> table) {
    return table.size() > param::kModeWord && DanceBankInModeWord(table[param::kModeWord]);
}

bool DanceBankInModeWord(std::uint32_t mode_word) {
    return (mode_word & kModeDanceBit) != 0;
}

double AxisFrequency(int i, int n) {
    if (n <= 0)
        return 19.0;
    return 19.0 * std::pow(10.0, i * std::log10(20600.0 / 19.0) / n);
}

std::optional<ChannelResponse> ComputeChannelResponse(std::span<const std::uint32_t> table, Channel channel,
                                                      bool dance_bank, int points) {
    const ChannelIndexes ix = IndexesOf(channel, dance_bank);
    const std::size_t last_eq = ix.eq_first + static_cast<std::size_t>(layout::kEqFields * ix.bands) - 1;
    const std::size_t needed = std::max(
        {last_eq, std::size_t{ix.eq_active}, std::size_t{ix.high_pass_slope}, std::size_t{ix.high_pass_freq},
         std::size_t{ix.low_pass_slope}, std::size_t{ix.low_pass_freq},
         std::size_t{ix.high_pass_q.value_or(0)}, std::size_t{ix.low_pass_q.value_or(0)}});
    if (table.size() <= needed || points < 0)
        return std::nullopt;
    auto value = [&](std::size_t i) { return table[i] & 0xFFFFu; };

    ChannelResponse response;
    response.eq_passed = value(ix.eq_active) == 0;
    const filter::Cascade high = filter::PassFilter(
        static_cast<int>(value(ix.high_pass_slope)), CodeToFreq(static_cast<int>(value(ix.high_pass_freq))),
        ix.high_pass_q ? PassQFromRaw(value(*ix.high_pass_q)) : kPassQ);
    const filter::Cascade low = filter::PassFilter(
        static_cast<int>(value(ix.low_pass_slope)), CodeToFreq(static_cast<int>(value(ix.low_pass_freq))),
        ix.low_pass_q ? PassQFromRaw(value(*ix.low_pass_q)) : kPassQ);
    std::vector<filter::Biquad> bands;
    if (!response.eq_passed) {
        for (int b = 0; b < ix.bands; ++b) {
            const std::size_t at = ix.eq_first + static_cast<std::size_t>(layout::kEqFields * b);
            const int type = static_cast<int>(value(at));
            // Stored values as the device holds them, held to the ranges the band controls allow.
            const double hz =
                std::clamp(CodeToFreq(static_cast<int>(value(at + 1))), kFreqLowestReal, kFreqTop);
            const int tenths = std::clamp(static_cast<int>(value(at + 2)) - kGainZero, -240, 120);
            const double q = std::clamp(QFromCode(static_cast<int>(value(at + 3))), kQLowest, kQHighest);
            bands.push_back(filter::Band(type, hz, q, tenths));
        }
    }
    response.points.reserve(static_cast<std::size_t>(points));
    for (int i = 0; i < points; ++i) {
        const double hz = AxisFrequency(i, points);
        const filter::Point p = filter::PointAt(hz);
        double db = filter::CascadeDb(high, p) + filter::CascadeDb(low, p);
        for (const auto& b : bands)
            db += filter::SectionDb(b, p);
        response.points.push_back({hz, db});
    }
    return response;
}

}  // namespace vela
