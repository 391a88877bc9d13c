#include "core/model/eq_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/text/strings.h"

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

// velactl prints these words as they stand (scripts match them); the window shows the same reason in its
// language from the reason's code and words.
TEST(EqText, RefusesWhatAStripCannotDoWithItsLine) {
    struct Case {
        const char* line;
        Reason reason;
        const char* error;
    };
    const std::string others = " is not supported (peaking PK, low shelf LS or high shelf HS are)";
    const Case cases[] = {
        {"Filter 2: ON LP Fc 100 Hz", Reason::kTypeNotSupported, "filter type LP"},
        {"Filter 2: ON HP Fc 100 Hz", Reason::kTypeNotSupported, "filter type HP"},
        {"Filter 2: ON BP Fc 100 Hz Q 1", Reason::kTypeNotSupported, "filter type BP"},
        {"Filter 2: ON NO Fc 100 Hz Q 1", Reason::kTypeNotSupported, "filter type NO"},
        {"Filter 2: ON AP Fc 100 Hz Q 1", Reason::kTypeNotSupported, "filter type AP"},
        {"Filter 2: ON LPQ Fc 100 Hz Q 1", Reason::kTypeNotSupported, "filter type LPQ"},
        {"Filter 2: ON HPQ Fc 100 Hz Q 1", Reason::kTypeNotSupported, "filter type HPQ"},
        {"Filter 2: ON LS 6dB Fc 100 Hz Gain 3 dB", Reason::kFixedSlopeShelf,
         "LS 6dB: a shelf of fixed slope is not supported (use LSC with a Q)"},
        {"Filter 2: ON HS 12 dB Fc 100 Hz Gain 3 dB", Reason::kFixedSlopeShelf,
         "HS 12: a shelf of fixed slope is not supported (use HSC with a Q)"},
        {"Filter 2: ON PK Fc 100 Hz Gain x dB Q 1", Reason::kNotANumber, "Gain 'x' is not a number"},
        {"Filter 2: ON PK Fc 100 Hz Gain 1 dB Q abc", Reason::kNotANumber, "Q 'abc' is not a number"},
        {"Filter 2: ON PK Fc 1e3 Hz Gain 1 dB Q 1", Reason::kNotANumber, "Fc '1e3' is not a number"},
        {"Filter 2: ON PK Fc 1.2.3 Hz Gain 1 dB Q 1", Reason::kNotANumber, "Fc '1.2.3' is not a number"},
        {"Filter 2: ON PK Fc 100 Hz Gain 1 dB", Reason::kPeakingNeedsQ, "a peaking filter needs Q or BW Oct"},
        {"Filter 2: ON PK Fc 100 Hz Q 1", Reason::kMissing, "no Gain"},
        {"Filter 2: ON PK Gain 1 dB Q 1", Reason::kMissing, "no Fc"},
        {"Filter 2: ON PK Fc 0 Hz Gain 1 dB Q 1", Reason::kNotAboveZero, "Fc must be above 0"},
        {"Filter 2: ON PK Fc 100 Hz Gain 1 dB Q 0", Reason::kNotAboveZero, "Q must be above 0"},
        {"Filter 2: ON PK Fc 100 Hz Gain 1 dB BW Oct -1", Reason::kNotAboveZero, "BW Oct must be above 0"},
        {"Filter 2: ON PK Fc 100 Hz Gain 1 dB Q 1 Q 2", Reason::kQGivenTwice,
         "Q given twice (Q and BW Oct are one setting)"},
        {"Filter 2: ON PK Fc 100 Hz Gain 1 dB Q 1 BW Oct 1", Reason::kQGivenTwice,
         "BW Oct given twice (Q and BW Oct are one setting)"},
        {"Filter 2: ON PK Fc 100 Fc 100 Gain 1 dB Q 1", Reason::kGivenTwice, "Fc given twice"},
        {"Filter 2: ON PK Fc 100 Hz Gain 1 dB Q", Reason::kNoValue, "Q has no value"},
        {"Filter 2: ON PK Fc 100 Hz Gain 1 dB Q 1 Slope 3", Reason::kNotUnderstood, "'Slope' not understood"},
        {"Filter 2: MAYBE PK Fc 100 Hz", Reason::kNotOnOff, "expected ON or OFF, not 'MAYBE'"},
        {"Filter 2:", Reason::kNoOnOff, "expected ON or OFF after the filter number"},
        {"Filter 2: ON", Reason::kNoType, "no filter type"},
        {"Preamp: loud", Reason::kPreampNotUnderstood, "Preamp not understood: expected a number of dB"},
    };
    for (const Case& c : cases) {
        const ParseResult r =
            Parse(std::string("Preamp: -1 dB\nFilter 1: ON PK Fc 50 Hz Gain 1 dB Q 1\n") + c.line);
        EXPECT_FALSE(r.Ok()) << c.line;
        EXPECT_EQ(r.error_line, 3) << c.line;
        const std::string error(c.error);
        EXPECT_EQ(r.error, error.rfind("filter type ", 0) == 0 ? error + others : error) << c.line;
        EXPECT_TRUE(r.filters.empty()) << c.line;
        EXPECT_EQ(r.refusal.reason, c.reason) << c.line;
        EXPECT_EQ(r.refusal.line, 3) << c.line;
        EXPECT_EQ(RefusalText(r.refusal, kLanguageEnglish, false), r.error);
        // Each language names the line and every word the reason quotes, and is not the English.
        for (int language : {kLanguageSimplified, kLanguageTraditional}) {
            const std::string said = RefusalText(r.refusal, language, true);
            EXPECT_EQ(said.rfind("第 3 行：", 0), 0u) << said;
            EXPECT_EQ(said.find(r.error), std::string::npos) << said;
            for (const std::string& word : r.refusal.words)
                EXPECT_NE(said.find(word), std::string::npos) << c.line << " -> " << said;
        }
    }
}

// Every reason has a text in every language, which quotes no word the English does not have room for.
TEST(EqText, EveryRefusalHasATextInEveryLanguage) {
    const std::vector<std::string> words{"<one>", "<two>", "<three>"};
    for (int code = 1; code < static_cast<int>(Reason::kCount); ++code) {
        SCOPED_TRACE(code);
        const Refusal refusal{static_cast<Reason>(code), 4, words};
        const std::string english = RefusalText(refusal, kLanguageEnglish, true);
        EXPECT_EQ(english.rfind("line 4: ", 0), 0u) << english;
        EXPECT_EQ(english.find('{'), std::string::npos) << english;
        EXPECT_EQ(RefusalText(refusal, 9, true), english) << "an unknown language is English";
        for (int language : {kLanguageSimplified, kLanguageTraditional}) {
            const std::string said = RefusalText(refusal, language, true);
            EXPECT_GT(said.size(), std::string("第 4 行：").size()) << language;
            EXPECT_NE(said, english);
            EXPECT_EQ(said.find('{'), std::string::npos) << said;
            for (const std::string& word : words) {
                if (said.find(word) != std::string::npos) {
                    EXPECT_NE(english.find(word), std::string::npos) << word << " in " << said;
                }
            }
        }
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

// A list read from a file may hold any finite number; it is written out whole, however long, and a
// negative zero without its sign.
TEST(EqText, WritesHugeValuesWholeAndZeroWithoutASign) {
    const std::vector<Filter> filters{{FilterType::kPeaking, 1e300, -0.0, 1e200}};
    const std::string hz = std::to_string(1e300);  // six decimals
    const std::string q = std::to_string(1e200);
    const std::string line = "Filter 1: ON PK Fc " + hz.substr(0, hz.find('.')) + " Hz Gain 0.0 dB Q " +
                             q.substr(0, q.size() - 4) + "\n";
    EXPECT_EQ(Write(filters, "huge"), "huge\n" + line);
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
