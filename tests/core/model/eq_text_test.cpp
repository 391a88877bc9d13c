#include "core/model/eq_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace vela::eqtext {
namespace {

TEST(EqText, ReadsTheExampleList) {
    const ParseResult r = Parse(
        "Filter Settings file\n"
        "Preamp: -6.4 dB\n"
        "Filter 1: ON PK Fc 105 Hz Gain -3.5 dB Q 0.70\n"
        "Filter  2: ON  LSC      Fc   80.00 Hz  Gain   4.00 dB  Q  0.707\n"
        "Filter 3: ON HS Fc 8000 Hz Gain -2.5 dB\n"
        "Filter 4: ON PK Fc 2.37 kHz Gain 3.6 dB BW Oct 0.5\n"
        "Filter 5: OFF PK Fc 1000 Hz Gain 0 dB Q 1\n"
        "Filter 6: ON None\n");
    ASSERT_TRUE(r.Ok()) << r.error;
    ASSERT_TRUE(r.preamp_db);
    EXPECT_DOUBLE_EQ(*r.preamp_db, -6.4);
    ASSERT_EQ(r.filters.size(), 4u);
    const Filter& pk = r.filters[0];
    EXPECT_EQ(pk.type, FilterType::kPeaking);
    EXPECT_DOUBLE_EQ(pk.hz, 105);
    EXPECT_DOUBLE_EQ(pk.gain_db, -3.5);
    EXPECT_DOUBLE_EQ(pk.q, 0.70);
    EXPECT_EQ(pk.line, 3);
    EXPECT_EQ(r.filters[1].type, FilterType::kLowShelf);
    EXPECT_DOUBLE_EQ(r.filters[1].q, 0.707);
    EXPECT_EQ(r.filters[2].type, FilterType::kHighShelf);
    EXPECT_DOUBLE_EQ(r.filters[2].q, kShelfQ);
    EXPECT_DOUBLE_EQ(r.filters[3].hz, 2370);
    // BW 0.5 octave: Q = sqrt(2^0.5) / (2^0.5 - 1) = 2.871.
    EXPECT_NEAR(r.filters[3].q, 2.8710, 1e-4);
    EXPECT_EQ(r.filters[3].line, 6);
}

TEST(EqText, ToleratesTheWaysProgramsWriteIt) {
    struct Case {
        const char* text;
        FilterType type;
        double hz, gain, q;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF"
         "Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\r\n",
         FilterType::kPeaking, 100, 1, 1},
        {"Filter\t1:\tON\tPEQ\tFc\t1,5\tkHz\tGain\t-2,25\tdB\tQ\t0,5", FilterType::kPeaking, 1500, -2.25,
         0.5},
        {"filter 1 : on modal fc 50 hz gain -10 db q 12", FilterType::kPeaking, 50, -10, 12},
        {"Filter 12: ON LSQ Fc 63 Hz Gain +3 dB Q 0.9", FilterType::kLowShelf, 63, 3, 0.9},
        {"Filter 1: ON LS Fc 63 Hz Gain 3 dB", FilterType::kLowShelf, 63, 3, kShelfQ},
        {"Filter 1: ON HSC Fc 10 kHz Gain -4 dB Q 1.2", FilterType::kHighShelf, 10000, -4, 1.2},
        {"# note\n\nDate: 2026-12-09\nFilter 1: ON PK Fc 440 Gain 1 Q 2", FilterType::kPeaking, 440, 1, 2},
    };
    for (const Case& c : cases) {
        const ParseResult r = Parse(c.text);
        ASSERT_TRUE(r.Ok()) << c.text << ": " << r.error;
        ASSERT_EQ(r.filters.size(), 1u) << c.text;
        EXPECT_EQ(r.filters[0].type, c.type) << c.text;
        EXPECT_DOUBLE_EQ(r.filters[0].hz, c.hz) << c.text;
        EXPECT_DOUBLE_EQ(r.filters[0].gain_db, c.gain) << c.text;
        EXPECT_DOUBLE_EQ(r.filters[0].q, c.q) << c.text;
    }
}

TEST(EqText, RefusesWhatAStripCannotDoWithItsLine) {
    struct Case {
        const char* line;
        const char* reason;  // a part of the refusal
    };
    const Case cases[] = {
        {"Filter 2: ON LP Fc 100 Hz", "LP is not supported"},
        {"Filter 2: ON HP Fc 100 Hz", "HP is not supported"},
        {"Filter 2: ON BP Fc 100 Hz Q 1", "BP is not supported"},
        {"Filter 2: ON NO Fc 100 Hz Q 1", "NO is not supported"},
        {"Filter 2: ON AP Fc 100 Hz Q 1", "AP is not supported"},
        {"Filter 2: ON LPQ Fc 100 Hz Q 1", "LPQ is not supported"},
        {"Filter 2: ON HPQ Fc 100 Hz Q 1", "HPQ is not supported"},
        {"Filter 2: ON LS 6dB Fc 100 Hz Gain 3 dB", "fixed slope"},
        {"Filter 2: ON HS 12 dB Fc 100 Hz Gain 3 dB", "fixed slope"},
        {"Filter 2: ON PK Fc 100 Hz Gain x dB Q 1", "Gain 'x' is not a number"},
        {"Filter 2: ON PK Fc 100 Hz Gain 1 dB Q abc", "Q 'abc' is not a number"},
        {"Filter 2: ON PK Fc 1e3 Hz Gain 1 dB Q 1", "Fc '1e3' is not a number"},
        {"Filter 2: ON PK Fc 1.2.3 Hz Gain 1 dB Q 1", "not a number"},
        {"Filter 2: ON PK Fc 100 Hz Gain 1 dB", "needs Q or BW Oct"},
        {"Filter 2: ON PK Fc 100 Hz Q 1", "no Gain"},
        {"Filter 2: ON PK Gain 1 dB Q 1", "no Fc"},
        {"Filter 2: ON PK Fc 0 Hz Gain 1 dB Q 1", "Fc must be above 0"},
        {"Filter 2: ON PK Fc 100 Hz Gain 1 dB Q 0", "Q must be above 0"},
        {"Filter 2: ON PK Fc 100 Hz Gain 1 dB BW Oct -1", "BW Oct must be above 0"},
        {"Filter 2: ON PK Fc 100 Hz Gain 1 dB Q 1 Q 2", "given twice"},
        {"Filter 2: ON PK Fc 100 Hz Gain 1 dB Q 1 BW Oct 1", "given twice"},
        {"Filter 2: ON PK Fc 100 Hz Gain 1 dB Q", "Q has no value"},
        {"Filter 2: ON PK Fc 100 Hz Gain 1 dB Q 1 Slope 3", "'Slope' not understood"},
        {"Filter 2: MAYBE PK Fc 100 Hz", "expected ON or OFF"},
        {"Filter 2:", "expected ON or OFF"},
        {"Filter 2: ON", "no filter type"},
        {"Preamp: loud", "Preamp not understood"},
    };
    for (const Case& c : cases) {
        const ParseResult r =
            Parse(std::string("Preamp: -1 dB\nFilter 1: ON PK Fc 50 Hz Gain 1 dB Q 1\n") + c.line);
        EXPECT_FALSE(r.Ok()) << c.line;
        EXPECT_EQ(r.error_line, 3) << c.line;
        EXPECT_NE(r.error.find(c.reason), std::string::npos) << c.line << " -> " << r.error;
        EXPECT_TRUE(r.filters.empty()) << c.line;
    }
}

TEST(EqText, SkipsLinesThatAreNotFiltersAndRefusesHugeTexts) {
    const ParseResult notes =
        Parse("Filter Settings file\nFilter: none\nFilters 1: ON LP\nFilter1: ON LP\nFilter 1: OFF LP\n");
    EXPECT_TRUE(notes.Ok()) << notes.error;
    EXPECT_TRUE(notes.filters.empty());
    // Without a filter line it is some other file, which must not flatten a strip.
    for (const char* other : {"", "Preamp: -3 dB\n", "Filter Settings file\n", "\x89PNG\r\n\x1a\n"}) {
        const ParseResult r = Parse(other);
        EXPECT_FALSE(r.Ok()) << other;
        EXPECT_NE(r.error.find("not a filter list"), std::string::npos) << r.error;
    }

    const std::string huge(kMaxTextBytes + 1, '\n');
    const ParseResult r = Parse(huge);
    EXPECT_FALSE(r.Ok());
    EXPECT_EQ(r.error_line, 0);
    std::string at_limit = "Filter 1: ON None\n";
    at_limit.resize(kMaxTextBytes, '\n');
    EXPECT_TRUE(Parse(at_limit).Ok());
}

TEST(EqText, WrittenListReadsBackToTheSameValues) {
    const std::vector<Filter> filters{{FilterType::kLowShelf, 19.7, -24.0, 0.42},
                                      {FilterType::kPeaking, 1020, 0.0, 1.0},
                                      {FilterType::kHighShelf, 20600, 12.0, 128}};
    const std::string text = Write(filters, "EQ of main");
    EXPECT_EQ(text.substr(0, text.find('\n', text.find('\n') + 1)),
              "EQ of main\nFilter 1: ON LSC Fc 19.7 Hz Gain -24.0 dB Q 0.42");
    const ParseResult r = Parse(text);
    ASSERT_TRUE(r.Ok()) << r.error;
    ASSERT_EQ(r.filters.size(), filters.size());
    for (std::size_t i = 0; i < filters.size(); ++i) {
        EXPECT_EQ(r.filters[i].type, filters[i].type);
        EXPECT_DOUBLE_EQ(r.filters[i].hz, filters[i].hz);
        EXPECT_DOUBLE_EQ(r.filters[i].gain_db, filters[i].gain_db);
        EXPECT_DOUBLE_EQ(r.filters[i].q, filters[i].q);
    }
}

}  // namespace
}  // namespace vela::eqtext
