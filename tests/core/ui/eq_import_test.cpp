#include "core/ui/eq_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "core/model/filter_response.h"
#include "core/model/parameter_layout.h"
#include "core/model/value_scales.h"
#include "core/protocol/factory_defaults.h"
#include "core/text/strings.h"

namespace vela {
namespace {

using eqtext::Filter;
using eqtext::FilterType;

constexpr Channel kAllChannels[] = {Channel::kMain, Channel::kCenter, Channel::kSub,
                                    Channel::kRear, Channel::kMusic,  Channel::kMicA,
                                    Channel::kMicB, Channel::kEcho,   Channel::kReverb};

TEST(EqQuantise, TableEdgesAndMidpoints) {
    const auto& scale = FreqScale();
    struct Case {
        double x;
        int freq_index;
    };
    const double mid = std::sqrt(scale[100] * scale[101]);
    const Case freq[] = {
        {0.0, 1},     {5.0, 1},      {19.3, 1},         {19.7, 1},           {scale[2], 2},
        {20600, 362}, {30000, 362},  {1e300, 362},      {mid * 1.0001, 101}, {mid * 0.9999, 100},
        {1000, 205},  {1000.1, 205}, {std::nan(""), 1},
    };
    for (const Case& c : freq)
        EXPECT_EQ(NearestEqFreqIndex(c.x), c.freq_index) << c.x;

    const double qmid = std::sqrt(kQTable[16] * kQTable[17]);  // between 1.0 and 1.06
    const Case q[] = {
        {0.0, 0},
        {0.1, 0},
        {0.4, 0},
        {128, 100},
        {500, 100},
        {0.707, 10},
        {qmid * 1.0001, 17},
        {qmid * 0.9999, 16},
        {0.43, 1},
        {0.44, 2},
    };
    for (const Case& c : q)
        EXPECT_EQ(NearestQIndex(c.x), c.freq_index) << c.x;
}

eqtext::ParseResult List(std::vector<Filter> filters) {
    eqtext::ParseResult r;
    int line = 0;
    for (Filter& f : filters)
        f.line = ++line;
    r.filters = std::move(filters);
    return r;
}

TEST(EqFit, FillsBandsInFrequencyOrderAndLeavesTheRestFlat) {
    const EqFit fit = FitEq(List({{FilterType::kHighShelf, 8000, -2.5, 0.71},
                                  {FilterType::kPeaking, 105, -3.54, 0.70},
                                  {FilterType::kLowShelf, 80, 4.0, 0.707}}),
                            Channel::kEcho, false);
    ASSERT_TRUE(fit.Ok()) << fit.error;
    ASSERT_EQ(fit.bands.size(), 5u);
    struct Expect {
        int type, freq_code, gain_code, q_code, line;
    };
    const Expect expected[] = {
        {filter::kLowShelf, 32768 + 803, 540, 71, 3}, {filter::kPeaking, 105, 465, 71, 2},
        {filter::kHighShelf, 8000, 475, 71, 1},       {filter::kPeaking, 2520, 500, 100, 0},
        {filter::kPeaking, 8000, 500, 100, 0},
    };
    for (std::size_t b = 0; b < 5; ++b) {
        const EqBandFit& band = fit.bands[b];
        EXPECT_EQ(band.type, expected[b].type) << b;
        EXPECT_EQ(band.freq_code, expected[b].freq_code) << b;
        EXPECT_EQ(band.gain_code, expected[b].gain_code) << b;
        EXPECT_EQ(band.q_code, expected[b].q_code) << b;
        EXPECT_EQ(band.asked ? band.asked->line : 0, expected[b].line) << b;
    }
    // Only the small roundings separate the two responses.
    EXPECT_GT(fit.largest_difference_db, 0.0);
    EXPECT_LT(fit.largest_difference_db, 0.2);

    const auto writes = EqWrites(fit, Channel::kEcho, false);
    ASSERT_EQ(writes.size(), 20u);
    EXPECT_EQ(writes.begin()->first, layout::kEchoEq.first);
    EXPECT_EQ(writes.begin()->second, filter::kLowShelf);
    EXPECT_EQ(writes.at(static_cast<std::uint16_t>(layout::kEchoEq.first + 6)), 465);
}

TEST(EqFit, RefusesOrClampsWhatTheStripCannotHold) {
    struct Case {
        Filter filter;
        const char* refusal;
        int freq_code, gain_code;  // with --clamp
    };
    const Case cases[] = {
        {{FilterType::kPeaking, 15, 0, 1},
         "line 2: Fc 15.0 Hz is outside the strip's 19.7 .. 20600 Hz (--clamp holds it there)",
         32768 + 197,
         500},
        {{FilterType::kPeaking, 22000, 0, 1}, "Fc 22000 Hz is outside", 20600, 500},
        {{FilterType::kPeaking, 100, 12.1, 1},
         "line 2: Gain +12.1 dB is outside the strip's -24.0 .. +12.0 dB (--clamp holds it there)",
         101,
         620},
        {{FilterType::kPeaking, 100, -30, 1}, "Gain -30.0 dB is outside", 101, 260},
    };
    for (const Case& c : cases) {
        const auto list = List({{FilterType::kPeaking, 1000, 1, 1}, c.filter});
        const EqFit refused = FitEq(list, Channel::kMain, false);
        EXPECT_FALSE(refused.Ok());
        EXPECT_EQ(refused.error_line, 2);
        EXPECT_NE(refused.error.find(c.refusal), std::string::npos) << refused.error;
        EXPECT_TRUE(EqWrites(refused, Channel::kMain, false).empty());

        const EqFit clamped = FitEq(list, Channel::kMain, true);
        ASSERT_TRUE(clamped.Ok()) << clamped.error;
        const EqBandFit& band = clamped.bands[c.filter.hz < 1000 ? 0 : 1];
        EXPECT_EQ(band.freq_code, c.freq_code);
        EXPECT_EQ(band.gain_code, c.gain_code);
        EXPECT_TRUE(band.freq_clamped || band.gain_clamped);
        const auto lines = EqReportLines(clamped);
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                                [](const std::string& l) { return l.find("clamped") != std::string::npos; }));
    }
    // Values that round onto the range are in it.
    EXPECT_TRUE(
        FitEq(List({{FilterType::kPeaking, 19.6, -24.04, 1}, {FilterType::kPeaking, 20700, 12.04, 1}}),
              Channel::kMain, false)
            .Ok());
}

// The window shows the report in the user's language: a line for every band, the preamp and the largest
// difference in each, none lost to a format that does not fit its arguments, and the English is velactl's.
TEST(EqReport, EveryLanguageHasEveryLineAndTheEnglishIsTheCommandLines) {
    const EqFit fit = FitEq(eqtext::Parse("Preamp: -6.4 dB\nFilter 1: ON PK Fc 105 Hz Gain -3.5 dB Q 0.70\n"
                                          "Filter 2: ON HS Fc 30 kHz Gain 20 dB\n"),
                            Channel::kEcho, true);
    ASSERT_TRUE(fit.Ok()) << fit.error;
    const std::vector<std::string> english = EqReportLines(fit);
    ASSERT_EQ(english.size(), 5u + 2u);
    EXPECT_EQ(english[0].rfind("band 1: PK 105 Hz -3.5 dB Q 0.70 (line 2) -> PK ", 0), 0u) << english[0];
    EXPECT_EQ(english[1],
              "band 2: HSC 30000 Hz +20.0 dB Q 0.71 (line 3) -> HSC 20600 Hz +12.0 dB Q 0.71 "
              "(Fc clamped) (gain clamped)");
    EXPECT_EQ(english[2], "band 3: not in the list -> PK 1000 Hz 0.0 dB Q 1.00 (flat)");
    for (int language = 0; language < kLanguageCount; ++language) {
        SCOPED_TRACE(language);
        const std::vector<std::wstring> lines = EqReportText(fit, language);
        ASSERT_EQ(lines.size(), english.size());
        for (const std::wstring& line : lines)
            EXPECT_FALSE(line.empty());
        EXPECT_NE(lines[0].find(L"105 Hz -3.5 dB Q 0.70"), std::wstring::npos);
        EXPECT_NE(lines[1].find(L"20600 Hz +12.0 dB"), std::wstring::npos);
        EXPECT_NE(lines[5].find(L"-6.4"), std::wstring::npos);
        EXPECT_EQ(lines == EqReportText(fit, kLanguageEnglish), language == kLanguageEnglish);
    }
    EXPECT_EQ(EqReportText(fit, 7), EqReportText(fit, kLanguageEnglish)) << "a missing language is English";
}

TEST(EqFit, RefusesMoreFiltersThanBandsAndCarriesParseErrorsAndPreamp) {
    std::vector<Filter> six(6, Filter{FilterType::kPeaking, 1000, 1, 1});
    const EqFit many = FitEq(List(six), Channel::kReverb, false);
    EXPECT_EQ(many.error, "the list has 6 filters; the reverb strip has 5 bands");
    EXPECT_TRUE(FitEq(List(six), Channel::kMain, false).Ok());

    const EqFit bad = FitEq(eqtext::Parse("\n\nFilter 1: ON LP Fc 100 Hz"), Channel::kMain, false);
    EXPECT_EQ(bad.error_line, 3);
    EXPECT_EQ(bad.error.rfind("line 3: filter type LP", 0), 0u) << bad.error;

    const EqFit pre = FitEq(eqtext::Parse("Preamp: -6.4 dB\nFilter 1: ON None\n"), Channel::kSub, false);
    ASSERT_TRUE(pre.Ok());
    const auto lines = EqReportLines(pre);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "preamp -6.4 dB not applied: set the strip level"),
              lines.end());
    EXPECT_EQ(pre.largest_difference_db, 0.0);       // an empty list leaves every band flat
    EXPECT_EQ(pre.bands[0].freq_code, 32768 + 253);  // the Sub strip's RESET 25 Hz, on the table
}

TEST(EqFit, LargestDifferenceFollowsTheGraphArithmetic) {
    const std::vector<Filter> a{{FilterType::kPeaking, 1000, 6.0, 1.0}};
    EXPECT_EQ(LargestDifferenceDb(a, a, 512), 0.0);
    // Against nothing: the peak itself (at 1 kHz, reached within the 512-point grid's spacing).
    EXPECT_NEAR(LargestDifferenceDb(a, {}, 512), 6.0, 0.01);
    // A shelf's Q above 2 acts as Q 2, in the list as on the strip.
    const std::vector<Filter> q2{{FilterType::kHighShelf, 4000, 6.0, 2.0}};
    const std::vector<Filter> q8{{FilterType::kHighShelf, 4000, 6.0, 8.0}};
    EXPECT_EQ(LargestDifferenceDb(q2, q8, 512), 0.0);
}

// Random strips as the window's controls make them, bands in order of frequency.
std::vector<std::uint32_t> RandomStrip(Channel channel, bool dance, std::mt19937& random) {
    const auto& d = FactoryDefaults();
    std::vector<std::uint32_t> table(d.begin(), d.end());
    const auto indexes = EqBandIndexes(channel, dance);
    std::vector<int> freq(indexes.size() / 4);
    for (int& f : freq)
        f = std::uniform_int_distribution<int>(1, kFreqScaleLast)(random);
    std::sort(freq.begin(), freq.end());
    constexpr int kTypes[] = {filter::kPeaking, filter::kLowShelf, filter::kHighShelf};
    for (std::size_t b = 0; b < freq.size(); ++b) {
        table[indexes[4 * b]] = static_cast<std::uint32_t>(kTypes[random() % 3]);
        table[indexes[4 * b + 1]] =
            static_cast<std::uint32_t>(FreqCodeFor(FreqScale()[static_cast<std::size_t>(freq[b])]));
        table[indexes[4 * b + 2]] =
            static_cast<std::uint32_t>(std::uniform_int_distribution<int>(260, 620)(random));
        table[indexes[4 * b + 3]] = static_cast<std::uint32_t>(QCodeFor(
            kQTable[static_cast<std::size_t>(std::uniform_int_distribution<int>(0, kQTableLast)(random))]));
    }
    return table;
}

TEST(EqFit, ExportThenImportGivesTheSameRawValuesOnEveryChannel) {
    std::mt19937 random(24);
    for (const Channel channel : kAllChannels) {
        for (const bool dance : {false, true}) {
            for (int round = 0; round < 20; ++round) {
                const auto table = RandomStrip(channel, dance, random);
                const std::string text = eqtext::Write(EqFiltersInTable(table, channel, dance), "strip");
                const EqFit fit = FitEq(eqtext::Parse(text), channel, false);
                ASSERT_TRUE(fit.Ok()) << fit.error << "\n" << text;
                for (const auto& [index, value] : EqWrites(fit, channel, dance))
                    ASSERT_EQ(value, table[index]) << ChannelName(channel) << " index " << index << "\n"
                                                   << text;
                EXPECT_LT(fit.largest_difference_db, 1e-3) << text;
            }
        }
    }
}

TEST(EqFit, ExportWritesBandsThatAreOffAsFlatAndHoldsStrayValues) {
    std::mt19937 random(1);
    auto table = RandomStrip(Channel::kMain, false, random);
    const auto indexes = EqBandIndexes(Channel::kMain, false);
    table[indexes[0]] = filter::kBandOff;
    table[indexes[1]] = 32768;  // no frequency at all
    table[indexes[2]] = 900;    // +40 dB
    table[indexes[3]] = 0;
    const auto filters = EqFiltersInTable(table, Channel::kMain, false);
    EXPECT_EQ(filters[0].type, FilterType::kPeaking);
    EXPECT_EQ(filters[0].gain_db, 0.0);
    EXPECT_EQ(filters[0].hz, kFreqLowestReal);
    EXPECT_EQ(filters[0].q, kQLowest);
    EXPECT_TRUE(FitEq(eqtext::Parse(eqtext::Write(filters, "")), Channel::kMain, false).Ok());
}

}  // namespace
}  // namespace vela
