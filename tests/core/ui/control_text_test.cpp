#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/text/text_format.h"
#include "core/ui/progress_math.h"
#include "core/ui/text_layout.h"

namespace vela {
namespace {

TEST(FormatWithValue, AppliesTheOnePlaceholder) {
    EXPECT_EQ(FormatWithValue(L"Music:%3.0f%%", 42.4), L"Music: 42%");
    EXPECT_EQ(FormatWithValue(L"Read Device Data:%5.0f %%", 100.0), L"Read Device Data:  100 %");
    EXPECT_EQ(FormatWithValue(L"Attack:   %3.1fms", 0.5), L"Attack:   0.5ms");
    EXPECT_EQ(FormatWithValue(L"Music Vol:   %3d%%", 57.9), L"Music Vol:    57%");
    EXPECT_EQ(FormatWithValue(L"Threshold:   %3ddBu", -20.7), L"Threshold:   -20dBu");
}

TEST(FormatWithValue, TextWithoutConversionIsUnchanged) {
    EXPECT_EQ(FormatWithValue(L"欢迎使用!", 73.0), L"欢迎使用!");
    EXPECT_EQ(FormatWithValue(L"", 1.0), L"");
    EXPECT_EQ(FormatWithValue(L"50%", 1.0), L"50%");
}

TEST(FormatWithValue, StrayConversionsNeverReadArguments) {
    EXPECT_EQ(FormatWithValue(L"%s and %n %f", 1.5), L"%s and %n 1.500000");
    EXPECT_EQ(FormatWithValue(L"%.1f then %.1f", 2.0), L"2.0 then %.1f");
    EXPECT_EQ(FormatWithValue(L"%*d", 3.0), L"%*d");
    // Huge widths and precisions are limited rather than overflowing the buffer.
    EXPECT_EQ(FormatWithValue(L"%999999999.99999f", 1.0).size(), 64u);
    EXPECT_EQ(FormatWithValue(L"%d", 1e300), L"9000000000000000000");
    EXPECT_EQ(FormatWithValue(L"%d", std::numeric_limits<double>::quiet_NaN()), L"0");
}

TEST(ProgressMath, BarAndPercentage) {
    EXPECT_EQ(ProgressFillRight(0, 947), 27);
    EXPECT_EQ(ProgressFillRight(947, 947), 516);
    EXPECT_EQ(ProgressFillRight(473, 947), 27 + 473 * 489 / 947);
    EXPECT_DOUBLE_EQ(ProgressPercent(947, 947), 100.0);
    EXPECT_DOUBLE_EQ(ProgressPercent(1, 4), 25.0);
}

TEST(ProgressMath, BadTotalsAndValuesStayInsideTheBar) {
    EXPECT_EQ(ProgressFillRight(5, 0), 27);
    EXPECT_EQ(ProgressFillRight(5, -3), 27);
    EXPECT_DOUBLE_EQ(ProgressPercent(5, 0), 0.0);
    EXPECT_EQ(ProgressFillRight(2000, 947), 516);
    EXPECT_EQ(ProgressFillRight(-10, 947), 27);
    EXPECT_DOUBLE_EQ(ProgressPercent(2000, 947), 100.0);
}

TEST(TextLayout, ButtonBoxFollowsTheFlags) {
    const TextBox box{10, 20, 100, 30};
    const TextBox plain = ButtonTextBox(box, kTextCentre | kTextMiddle, 40, 10);
    EXPECT_FLOAT_EQ(plain.x, 10);  // without single line the format alone aligns
    const TextBox one = ButtonTextBox(box, kTextCentre | kTextMiddle | kTextSingleLine, 40, 10);
    EXPECT_FLOAT_EQ(one.x, 40);
    EXPECT_FLOAT_EQ(one.width, 40);
    EXPECT_FLOAT_EQ(one.y, 30);
    EXPECT_FLOAT_EQ(one.height, 10);
    const TextBox bottom = ButtonTextBox(box, kTextBottom | kTextSingleLine, 40, 10);
    EXPECT_FLOAT_EQ(bottom.y, 40);
    EXPECT_FLOAT_EQ(bottom.x, 10);
}

TEST(TextLayout, OverflowingLabelTextIsCentredOnTheControl) {
    const TextBox fits = LabelTextBox(101, 21, 50, 12);
    EXPECT_FLOAT_EQ(fits.x, 0);
    EXPECT_FLOAT_EQ(fits.width, 100);
    const TextBox wide = LabelTextBox(101, 21, 160, 30);
    EXPECT_FLOAT_EQ(wide.x, -30);
    EXPECT_FLOAT_EQ(wide.x + wide.width, 130);
    EXPECT_FLOAT_EQ(wide.y, -5);
    EXPECT_FLOAT_EQ(wide.height, 30);
}

}  // namespace
}  // namespace vela
