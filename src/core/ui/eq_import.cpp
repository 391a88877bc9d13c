#include "core/ui/eq_import.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "core/model/filter_response.h"
#include "core/model/parameter_layout.h"
#include "core/model/value_scales.h"
#include "core/text/strings.h"
#include "core/text/text_format.h"
#include "core/text/utf8.h"
#include "core/ui/band_editor_math.h"

namespace vela {
namespace {

using eqtext::Filter;
using eqtext::FilterType;

constexpr double kFlatQ = 1.0;
constexpr int kFirstRealEntry = 1;  // FreqScale()[0] stands for an off filter
constexpr double kLowestHz = 20.0;
constexpr double kHighestHz = 20000.0;
// Half a step of the frequency table (1/36 octave): a value that rounds onto the table is in range.
const double kHalfFreqStep = std::pow(2.0, 1.0 / 72.0);

// The pages' RESET frequencies.
constexpr std::array<double, 15> kInputReset{40,   63,   100,  160,  250,   400,   630,  1000,
                                             1600, 2500, 4000, 6300, 10000, 14000, 16000};
constexpr std::array<double, 7> kOutputReset{101, 250, 400, 1000, 2520, 4000, 10100};
constexpr std::array<double, 7> kSubReset{25, 50, 100, 200, 400, 600, 1000};
constexpr std::array<double, 5> kEffectReset{125, 250, 1000, 2500, 8000};

// Index into a sorted table of the entry nearest to x on a log scale; x halfway goes up.
template <typename Table>
int NearestOnLog(const Table& table, std::size_t first, double x) {
    if (!(x > table[first]))
        return static_cast<int>(first);
    const auto it = std::lower_bound(table.begin() + static_cast<std::ptrdiff_t>(first), table.end(), x);
    if (it == table.end())
        return static_cast<int>(table.size() - 1);
    const double above = *it, below = *(it - 1);
    const int i = static_cast<int>(it - table.begin());
    return x * x >= above * below ? i : i - 1;
}

int TypeCodeOf(FilterType t) {
    switch (t) {
        case FilterType::kLowShelf:
            return filter::kLowShelf;
        case FilterType::kHighShelf:
            return filter::kHighShelf;
        case FilterType::kPeaking:
            break;
    }
    return filter::kPeaking;
}

FilterType TypeOfCode(int type) {
    if (type == filter::kLowShelf)
        return FilterType::kLowShelf;
    if (type == filter::kHighShelf)
        return FilterType::kHighShelf;
    return FilterType::kPeaking;
}

filter::Biquad BiquadOf(const Filter& f) {
    const double a = std::pow(10.0, f.gain_db / 40.0);
    switch (f.type) {
        case FilterType::kLowShelf:
            return filter::LowShelf(f.hz, f.q, a);
        case FilterType::kHighShelf:
            return filter::HighShelf(f.hz, f.q, a);
        case FilterType::kPeaking:
            break;
    }
    return filter::Peaking(f.hz, f.q, a);
}

std::string Hz(double hz) {
    return PrintNumber(hz < 100.0 ? "%.1f" : "%.0f", hz);
}

std::string Db(double db) {
    return PrintNumber(db > 0.0 ? "+%.1f" : "%.1f", db);
}

// Quantises one filter onto a band; a refusal when a value lies outside the range and clamp is off.
eqtext::Refusal FitBand(const Filter& f, bool clamp, EqBandFit& band) {
    const EqRange range = EqRangeOfStrips();
    const bool low = f.hz < range.lowest_hz / kHalfFreqStep;
    const bool high = f.hz > range.highest_hz * kHalfFreqStep;
    if ((low || high) && !clamp)
        return {eqtext::Reason::kFcOutOfRange, f.line, {Hz(f.hz), Hz(range.lowest_hz), Hz(range.highest_hz)}};
    const double tenths = std::round(f.gain_db * 10.0);
    const int lowest = static_cast<int>(std::lround(range.lowest_db * 10.0));
    const int highest = static_cast<int>(std::lround(range.highest_db * 10.0));
    const bool out_of_gain = !(tenths >= lowest && tenths <= highest);
    if (out_of_gain && !clamp)
        return {eqtext::Reason::kGainOutOfRange,
                f.line,
                {Db(f.gain_db), Db(range.lowest_db), Db(range.highest_db)}};
    band.asked = f;
    band.type = TypeCodeOf(f.type);
    band.freq_code = FreqCodeFor(FreqScale()[static_cast<std::size_t>(NearestEqFreqIndex(f.hz))]);
    band.gain_code = std::clamp(static_cast<int>(std::clamp(tenths, -1e6, 1e6)), lowest, highest) + kGainZero;
    band.q_code = QCodeFor(kQTable[static_cast<std::size_t>(NearestQIndex(f.q))]);
    band.freq_clamped = low || high;
    band.gain_clamped = out_of_gain;
    return {};
}

std::size_t BandsOf(Channel channel) {
    return static_cast<std::size_t>(IndexesOf(channel, false).bands);
}

EqFit Refused(eqtext::Refusal refusal) {
    EqFit fit;
    fit.error_line = refusal.line;
    fit.error = eqtext::RefusalText(refusal, kLanguageEnglish, true);
    fit.refusal = std::move(refusal);
    return fit;
}

}  // namespace

EqRange EqRangeOfStrips() {
    const GainLimits gain;
    return {kFreqLowestReal, kFreqTop, gain.lower, gain.upper};
}

std::span<const double> EqResetFrequencies(Channel channel) {
    switch (channel) {
        case Channel::kMusic:
        case Channel::kMicA:
        case Channel::kMicB:
            return kInputReset;
        case Channel::kEcho:
        case Channel::kReverb:
            return kEffectReset;
        case Channel::kSub:
            return kSubReset;
        case Channel::kMain:
        case Channel::kCenter:
        case Channel::kRear:
            break;
    }
    return kOutputReset;
}

int NearestEqFreqIndex(double hz) {
    return NearestOnLog(FreqScale(), kFirstRealEntry, std::isnan(hz) ? 0.0 : hz);
}

int NearestQIndex(double q) {
    return NearestOnLog(kQTable, 0, std::isnan(q) ? 0.0 : q);
}

Filter EqBandFit::Set() const {
    Filter f;
    f.type = TypeOfCode(type);
    f.hz = CodeToFreq(freq_code);
    f.gain_db = GainFromCode(gain_code);
    f.q = QFromCode(q_code);
    return f;
}

EqFit FitEq(const eqtext::ParseResult& parsed, Channel channel, bool clamp, int points) {
    if (!parsed.Ok())
        return Refused(parsed.refusal);
    const std::size_t bands = BandsOf(channel);
    if (parsed.filters.size() > bands) {
        return Refused({eqtext::Reason::kTooManyFilters,
                        0,
                        {std::to_string(parsed.filters.size()), std::string(ChannelName(channel)),
                         std::to_string(bands)}});
    }
    EqFit fit;
    std::vector<Filter> sorted = parsed.filters;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Filter& a, const Filter& b) { return a.hz < b.hz; });
    const std::span<const double> reset = EqResetFrequencies(channel);
    fit.bands.resize(bands);
    for (std::size_t b = 0; b < bands; ++b) {
        EqBandFit& band = fit.bands[b];
        if (b < sorted.size()) {
            if (eqtext::Refusal why = FitBand(sorted[b], clamp, band); why.reason != eqtext::Reason::kNone)
                return Refused(std::move(why));
            continue;
        }
        band.type = filter::kPeaking;
        band.freq_code = FreqCodeFor(reset[b]);
        band.gain_code = kGainZero;
        band.q_code = QCodeFor(kFlatQ);
    }
    fit.preamp_db = parsed.preamp_db;
    std::vector<Filter> set;
    for (const EqBandFit& band : fit.bands)
        set.push_back(band.Set());
    fit.largest_difference_db = LargestDifferenceDb(parsed.filters, set, points);
    return fit;
}

std::vector<std::uint16_t> EqBandIndexes(Channel channel, bool dance_bank) {
    const ChannelIndexes ix = IndexesOf(channel, dance_bank);
    std::vector<std::uint16_t> indexes;
    for (int i = 0; i < layout::kEqFields * ix.bands; ++i)
        indexes.push_back(static_cast<std::uint16_t>(ix.eq_first + i));
    return indexes;
}

std::map<std::uint16_t, std::uint16_t> EqWrites(const EqFit& fit, Channel channel, bool dance_bank) {
    std::map<std::uint16_t, std::uint16_t> writes;
    if (!fit.Ok())
        return writes;
    const std::vector<std::uint16_t> indexes = EqBandIndexes(channel, dance_bank);
    for (std::size_t b = 0; b < fit.bands.size() && 4 * b + 3 < indexes.size(); ++b) {
        const EqBandFit& band = fit.bands[b];
        const std::array<int, layout::kEqFields> fields{band.type, band.freq_code, band.gain_code,
                                                        band.q_code};
        for (std::size_t f = 0; f < fields.size(); ++f)
            writes[indexes[4 * b + f]] = static_cast<std::uint16_t>(fields[f]);
    }
    return writes;
}

std::vector<Filter> EqFiltersInTable(std::span<const std::uint32_t> table, Channel channel, bool dance_bank) {
    const std::vector<std::uint16_t> indexes = EqBandIndexes(channel, dance_bank);
    std::vector<Filter> filters;
    for (std::size_t b = 0; 4 * b + 3 < indexes.size(); ++b) {
        auto value = [&](std::size_t f) {
            const std::size_t i = indexes[4 * b + f];
            return i < table.size() ? static_cast<int>(table[i] & 0xFFFFu) : 0;
        };
        filters.push_back(EqFilterOfBand(value(0), value(1), value(2), value(3)));
    }
    return filters;
}

std::string EqExportList(std::span<const Filter> filters, Channel channel, bool dance_bank) {
    std::string title = "EQ of the " + std::string(ChannelName(channel)) + " strip";
    if (IsOutputStrip(channel))
        title += dance_bank ? " (dance bank)" : " (sing bank)";
    return eqtext::Write(filters, title);
}

Filter EqFilterOfBand(int type, int freq_code, int gain_code, int q_code) {
    const EqRange range = EqRangeOfStrips();
    Filter f;
    f.type = TypeOfCode(type);
    f.hz = std::clamp(CodeToFreq(freq_code), range.lowest_hz, range.highest_hz);
    f.gain_db = type == filter::kBandOff
                    ? 0.0
                    : std::clamp(GainFromCode(gain_code), range.lowest_db, range.highest_db);
    f.q = std::clamp(QFromCode(q_code), kQLowest, kQHighest);
    return f;
}

double LargestDifferenceDb(std::span<const Filter> a, std::span<const Filter> b, int points) {
    std::vector<filter::Biquad> qa, qb;
    for (const Filter& f : a)
        qa.push_back(BiquadOf(f));
    for (const Filter& f : b)
        qb.push_back(BiquadOf(f));
    double largest = 0.0;
    const double span = std::log10(kHighestHz / kLowestHz);
    for (int i = 0; i < points; ++i) {
        const double hz = kLowestHz * std::pow(10.0, points > 1 ? span * i / (points - 1) : 0.0);
        const filter::Point p = filter::PointAt(hz);
        double db = 0.0;
        for (const auto& s : qa)
            db += filter::SectionDb(s, p);
        for (const auto& s : qb)
            db -= filter::SectionDb(s, p);
        largest = std::max(largest, std::abs(db));
    }
    return largest;
}

std::string EqFilterText(const Filter& f) {
    return std::string(eqtext::TypeCode(f.type)) + " " + Hz(f.hz) + " Hz " + Db(f.gain_db) + " dB Q " +
           PrintNumber("%.2f", f.q);
}

std::vector<std::wstring> EqReportText(const EqFit& fit, int language_index) {
    const auto in = [language_index](const LocalizedString& text) {
        return std::wstring(text.members[static_cast<std::size_t>(
            language_index >= 0 && language_index < kLanguageCount ? language_index : kLanguageEnglish)]);
    };
    const auto wide = [](const std::string& text) { return FromUtf8(text); };
    std::vector<std::wstring> lines;
    for (std::size_t b = 0; b < fit.bands.size(); ++b) {
        const EqBandFit& band = fit.bands[b];
        const int number = static_cast<int>(b + 1);
        const std::wstring set = wide(EqFilterText(band.Set()));
        std::wstring line =
            band.asked ? FormatText(in(extra::kEqReportBand), number, wide(EqFilterText(*band.asked)).c_str(),
                                    band.asked->line, set.c_str())
                       : FormatText(in(extra::kEqReportFlat), number, set.c_str());
        if (band.freq_clamped)
            line += in(extra::kEqReportFcClamped);
        if (band.gain_clamped)
            line += in(extra::kEqReportGainClamped);
        lines.push_back(std::move(line));
    }
    if (fit.preamp_db)
        lines.push_back(FormatText(in(extra::kEqReportPreamp), wide(Db(*fit.preamp_db)).c_str()));
    lines.push_back(FormatText(in(extra::kEqReportDifference),
                               wide(PrintNumber("%.2f", fit.largest_difference_db)).c_str()));
    return lines;
}

std::vector<std::string> EqReportLines(const EqFit& fit) {
    std::vector<std::string> lines;
    for (const std::wstring& line : EqReportText(fit, kLanguageEnglish))
        lines.push_back(ToUtf8(line));
    return lines;
}

}  // namespace vela
