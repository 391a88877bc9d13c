#include "core/ui/typed_value.h"

#include <gtest/gtest.h>

#include "core/text/strings.h"

namespace vela {
namespace {

TEST(TypedValue, ReadsNumbersWithTheirUnitAndRefusesEverythingElse) {
    struct Case {
        const wchar_t* text;
        TypedUnit unit;
        std::optional<double> expected;
    };
    const Case cases[] = {
        {L"1000", TypedUnit::kHertz, 1000.0},
        {L" 250 Hz ", TypedUnit::kHertz, 250.0},
        {L"1k", TypedUnit::kHertz, 1000.0},
        {L"1.2kHz", TypedUnit::kHertz, 1200.0},
        {L"1.2 KHZ", TypedUnit::kHertz, 1200.0},
        {L".5k", TypedUnit::kHertz, 500.0},
        {L"-3dB", TypedUnit::kDecibel, -3.0},
        {L"+1.5 db", TypedUnit::kDecibel, 1.5},
        {L"-0", TypedUnit::kDecibel, 0.0},
        {L"0.71", TypedUnit::kPlain, 0.71},
        {L"2.", TypedUnit::kPlain, 2.0},
        // Not one number of the unit: refused, never read as far as it goes.
        {L"", TypedUnit::kDecibel, std::nullopt},
        {L"   ", TypedUnit::kHertz, std::nullopt},
        {L"abc", TypedUnit::kHertz, std::nullopt},
        {L"k", TypedUnit::kHertz, std::nullopt},
        {L"-", TypedUnit::kDecibel, std::nullopt},
        {L".", TypedUnit::kPlain, std::nullopt},
        {L"03.5.0", TypedUnit::kDecibel, std::nullopt},
        {L"1k", TypedUnit::kDecibel, std::nullopt},
        {L"3dB", TypedUnit::kHertz, std::nullopt},
        {L"1Hz", TypedUnit::kPlain, std::nullopt},
        {L"1 2", TypedUnit::kPlain, std::nullopt},
        {L"1e3", TypedUnit::kHertz, std::nullopt},
        {L"--3", TypedUnit::kDecibel, std::nullopt},
        {L"1,5", TypedUnit::kPlain, std::nullopt},
        {L"1kk", TypedUnit::kHertz, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto read = ReadTypedNumber(c.text, c.unit);
        ASSERT_EQ(read.has_value(), c.expected.has_value()) << "'" << testing::PrintToString(c.text) << "'";
        if (read) {
            EXPECT_DOUBLE_EQ(*read, *c.expected) << testing::PrintToString(c.text);
        }
    }
}

TEST(TypedValue, ClampsOutOfRangeVisiblyAndKeepsThePreviousValueOnRefusal) {
    SetLanguageIndex(kLanguageEnglish);
    const auto show = [](double v) { return std::to_wstring(static_cast<int>(v)); };

    const TypedValue high = ReadTypedValue(L"99", TypedUnit::kDecibel, -24, 12, 3);
    EXPECT_EQ(high.verdict, TypedValue::Verdict::kClamped);
    EXPECT_EQ(high.value, 12);
    EXPECT_EQ(TypedValueNote(high, L"99", -24, 12, +show), L"99 is outside -24 to 12: set to 12.");

    const TypedValue low = ReadTypedValue(L"5 Hz", TypedUnit::kHertz, 20, 20000, 1000);
    EXPECT_EQ(low.verdict, TypedValue::Verdict::kClamped);
    EXPECT_EQ(low.value, 20);

    const TypedValue nonsense = ReadTypedValue(L" abc ", TypedUnit::kHertz, 20, 20000, 1000);
    EXPECT_EQ(nonsense.verdict, TypedValue::Verdict::kRefused);
    EXPECT_EQ(nonsense.value, 1000);
    EXPECT_EQ(TypedValueNote(nonsense, L" abc ", 20, 20000, +show),
              L"\"abc\" is not a number: 1000 is kept.");

    const TypedValue fine = ReadTypedValue(L"1.2k", TypedUnit::kHertz, 20, 20000, 1000);
    EXPECT_EQ(fine.verdict, TypedValue::Verdict::kAccepted);
    EXPECT_EQ(fine.value, 1200);
    EXPECT_TRUE(TypedValueNote(fine, L"1.2k", 20, 20000, +show).empty());
}

}  // namespace
}  // namespace vela
