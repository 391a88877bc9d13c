#include "core/ui/band_editor_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "core/model/value_scales.h"

namespace vela {
namespace {

const GainLimits kLimits{};

// What a box shows after the user typed into it and left it.
std::wstring Typed(int field, std::wstring_view text) {
    return ShowFieldText(field, ReadField(field, text, 0, kLimits));
}

TEST(BandEditorFields, TypedTextIsNormalisedAndSnapped) {
    EXPECT_EQ(Typed(kFieldFreq, L"5"), L"10.5");
    EXPECT_EQ(Typed(kFieldFreq, L"1010"), L"1020");
    EXPECT_EQ(Typed(kFieldFreq, L"99.9"), L"101");
    EXPECT_EQ(Typed(kFieldFreq, L"99"), L"99.0");
    EXPECT_EQ(Typed(kFieldFreq, L"25000"), L"20600");
    EXPECT_EQ(Typed(kFieldFreq, L"1000Hz"), L"1000");
    EXPECT_EQ(Typed(kFieldGain, L"ABC"), L"0.0");
    EXPECT_EQ(Typed(kFieldGain, L""), L"0.0");
    EXPECT_EQ(Typed(kFieldGain, L"30"), L"12.0");
    EXPECT_EQ(Typed(kFieldGain, L"-99"), L"-24.0");
    EXPECT_EQ(Typed(kFieldGain, L" -3.25"), L"-3.2");
    EXPECT_EQ(Typed(kFieldGain, L"-"), L"0.0");
    EXPECT_EQ(Typed(kFieldGain, L"-0.0"), L"0.0");
    EXPECT_EQ(Typed(kFieldQ, L"0.43"), L"0.45");
    EXPECT_EQ(Typed(kFieldQ, L"0"), L"0.40");
    EXPECT_EQ(Typed(kFieldQ, L"12"), L"12.0");
    EXPECT_EQ(Typed(kFieldQ, L"500"), L"128");
    EXPECT_EQ(Typed(kFieldQ, L"X"), L"0.40");
    // Digits without end are read, never overflowed.
    EXPECT_EQ(Typed(kFieldFreq, std::wstring(400, L'9')), L"20600");
    EXPECT_EQ(Typed(kFieldQ, L"." + std::wstring(400, L'0') + L"5"), L"0.40");
}

// What the page sends for a field (its raw device value) after the box shows `value` and is read back.
int SentAfterRoundTrip(int field, double value, int step = 0) {
    const double read = ReadField(field, ShowFieldText(field, value), step, kLimits);
    switch (field) {
        case kFieldFreq:
            return FreqToCode(read);
        case kFieldQ:
            return QCodeFor(read);
        default:
            return GainCodeFor(read);
    }
}

TEST(BandEditorFields, AValueShownReadsBackAsTheSameRawValue) {
    for (std::size_t i = 0; i < kQTable.size(); ++i) {
        const double q = kQTable[i];
        EXPECT_EQ(SentAfterRoundTrip(kFieldQ, q), QCodeFor(q)) << "Q " << q;
        const double above = kQTable[std::min(i + 1, kQTable.size() - 1)];
        const double below = kQTable[i == 0 ? 0 : i - 1];
        EXPECT_EQ(SentAfterRoundTrip(kFieldQ, q, +1), QCodeFor(above)) << "wheel up from Q " << q;
        EXPECT_EQ(SentAfterRoundTrip(kFieldQ, q, -1), QCodeFor(below)) << "wheel down from Q " << q;
    }
    for (int i = 0; i < kFreqScaleSize; ++i) {
        const double hz = EqFreqEntry(i, kEditorFreqFirst);
        EXPECT_EQ(SentAfterRoundTrip(kFieldFreq, hz), FreqToCode(hz)) << "entry " << i << ", " << hz << " Hz";
        EXPECT_EQ(SentAfterRoundTrip(kFieldFreq, hz, +1), FreqToCode(EqFreqEntry(i + 1, kEditorFreqFirst)))
            << "step up from " << hz << " Hz";
    }
    for (int raw = GainCodeFor(kLimits.lower); raw <= GainCodeFor(kLimits.upper); ++raw)
        EXPECT_EQ(SentAfterRoundTrip(kFieldGain, GainFromCode(raw)), raw) << "gain code " << raw;
}

TEST(BandEditorFields, AnUntouchedBoxIsReadFromTheValueBehindItsText) {
    // 1.125 shows as "1.12" like its neighbour 1.12 (printing rounds half to even): a snapped value
    // still reads back as itself, and a text the user typed over is read as typed.
    struct Case {
        int field;
        double shown;
        const wchar_t* box;
        int step;
        double read;
    };
    const Case cases[] = {
        {kFieldQ, 0.71, L"0.71", 0, 0.71},
        {kFieldQ, 0.71, L"0.71", +1, 0.75},
        {kFieldQ, 0.71, L"0.71", -1, 0.67},
        {kFieldQ, 0.71, L"2", 0, 2.0},
        {kFieldQ, 128, L"128", +1, 128},
        {kFieldFreq, 19.7, L"19.7", -1, 10.5},
        {kFieldFreq, 20600, L"20600", +1, 20600},
        {kFieldFreq, 1000, L"1010", 0, 1020},
        {kFieldGain, -3.3, L"-3.3", +1, -3.2},
        {kFieldGain, 12, L"12.0", +1, 12},
        {kFieldGain, 0, L"-5", 0, -5},
    };
    for (const Case& c : cases) {
        const std::wstring shown_text = ShowFieldText(c.field, c.shown);
        EXPECT_NEAR(ReadShownField(c.field, c.shown, shown_text, c.box, c.step, kLimits), c.read, 1e-12)
            << c.field << " " << c.shown << " " << c.step;
    }
}

TEST(BandEditorFields, StepsStopAtTheEndsOfTheTablesAndLimits) {
    EXPECT_DOUBLE_EQ(ReadField(kFieldFreq, L"20600", +1, kLimits), 20600);
    EXPECT_DOUBLE_EQ(ReadField(kFieldFreq, L"1000", +1, kLimits), 1020);
    EXPECT_DOUBLE_EQ(ReadField(kFieldFreq, L"1000", -1, kLimits), 981);
    EXPECT_DOUBLE_EQ(ReadField(kFieldFreq, L"10.5", -1, kLimits), 10.5);
    EXPECT_DOUBLE_EQ(ReadField(kFieldFreq, L"10.5", +1, kLimits), 19.7);
    EXPECT_DOUBLE_EQ(ReadField(kFieldQ, L"128", +1, kLimits), 128);
    EXPECT_DOUBLE_EQ(ReadField(kFieldQ, L"0.40", -1, kLimits), 0.4);
    EXPECT_DOUBLE_EQ(ReadField(kFieldQ, L"1.50", +1, kLimits), 1.6);
    EXPECT_DOUBLE_EQ(ReadField(kFieldGain, L"12.0", +1, kLimits), 12.0);
    EXPECT_NEAR(ReadField(kFieldGain, L"-0.1", +1, kLimits), 0.0, 1e-12);
    EXPECT_DOUBLE_EQ(ReadField(kFieldGain, L"-24.0", -1, kLimits), -24.0);
}

TEST(BandEditorFields, ShownTextsKeepTheirWidths) {
    EXPECT_EQ(ShowFieldText(kFieldQ, 0.4), L"0.40");
    EXPECT_EQ(ShowFieldText(kFieldQ, 12), L"12.0");
    EXPECT_EQ(ShowFieldText(kFieldQ, 128), L"128");
    EXPECT_EQ(ShowFieldText(kFieldFreq, 10.5), L"10.5");
    EXPECT_EQ(ShowFieldText(kFieldFreq, 20600), L"20600");
    EXPECT_EQ(ShowFieldText(kFieldGain, -24), L"-24.0");
    EXPECT_EQ(ShowFieldText(kFieldGain, 0.1), L"0.1");
    EXPECT_DOUBLE_EQ(EditorFreqFor(1010), 1020);
    EXPECT_DOUBLE_EQ(EditorFreqFor(0), 10.5);
    EXPECT_DOUBLE_EQ(EditorQFor(0.43), 0.45);
}

TEST(BandEditorGeometry, ScalesTheSkinToTheClientArea) {
    const BandEditorGeometry same = ComputeBandEditorGeometry(47, 194);
    EXPECT_EQ(same.track_x, 22);
    EXPECT_EQ(same.track_top, 90);
    EXPECT_EQ(same.track_bottom, 187);
    EXPECT_EQ(same.boxes[kFieldFreq].top, 39);
    const BandEditorGeometry twice = ComputeBandEditorGeometry(94, 388);
    EXPECT_EQ(twice.track_x, 44);
    EXPECT_EQ(twice.boxes[kFieldQ].bottom, 146);
    EXPECT_EQ(twice.thumb_width, 28);
    EXPECT_EQ(twice.number_font_height, 24);
    const BandEditorGeometry none = ComputeBandEditorGeometry(0, -3);
    EXPECT_EQ(FaderThumbY(none, kLimits, 5), 0);
    EXPECT_DOUBLE_EQ(FaderGainAt(none, kLimits, 10), -24.0);
}

TEST(BandEditorGeometry, FaderMapsGainToHeightAndBack) {
    const BandEditorGeometry g = ComputeBandEditorGeometry(47, 194);
    EXPECT_EQ(FaderThumbY(g, kLimits, 12), g.track_top);
    EXPECT_EQ(FaderThumbY(g, kLimits, -24), g.track_bottom);
    EXPECT_EQ(FaderThumbY(g, kLimits, 0), 122);  // 187 - 97 x 24 / 36, truncated
    EXPECT_EQ(FaderThumbY(g, kLimits, 40), g.track_top);
    EXPECT_DOUBLE_EQ(FaderGainAt(g, kLimits, g.track_top - 30), 12.0);
    EXPECT_DOUBLE_EQ(FaderGainAt(g, kLimits, g.track_bottom + 30), -24.0);
    // Rows either side of 0 dB: whole tenths, truncated toward zero.
    EXPECT_DOUBLE_EQ(FaderGainAt(g, kLimits, 122), 0.1);
    EXPECT_DOUBLE_EQ(FaderGainAt(g, kLimits, 123), -0.2);
    for (int y = g.track_top; y <= g.track_bottom; ++y) {
        const double gain = FaderGainAt(g, kLimits, y);
        ASSERT_NEAR(gain * 10, std::round(gain * 10), 1e-9) << "whole tenths";
        ASSERT_LE(std::abs(FaderThumbY(g, kLimits, gain) - y), 1) << y;
    }
    GainLimits flat{5, 5, 0.1};
    EXPECT_EQ(FaderThumbY(g, flat, 5), g.track_bottom);
}

TEST(BandEditorGeometry, PressesGrabStepPickATypeOrChooseAField) {
    const BandEditorGeometry g = ComputeBandEditorGeometry(47, 194);
    const int thumb = FaderThumbY(g, kLimits, 0);
    EXPECT_TRUE(ClassifyEditorPress(g, kLimits, 0, true, 22, thumb).grab);
    EXPECT_TRUE(ClassifyEditorPress(g, kLimits, 0, true, 22 + 7, thumb - 7).grab);
    EXPECT_EQ(ClassifyEditorPress(g, kLimits, 0, true, 22, 95).gain_step, 1);
    EXPECT_EQ(ClassifyEditorPress(g, kLimits, 0, true, 22, 180).gain_step, -1);
    EXPECT_EQ(ClassifyEditorPress(g, kLimits, 0, true, 22, 40).gain_step, 0);
    EXPECT_EQ(ClassifyEditorPress(g, kLimits, 0, true, 40, 180).gain_step, 0);
    EXPECT_EQ(ClassifyEditorPress(g, kLimits, 0, true, 5, 120).type, 7);
    EXPECT_EQ(ClassifyEditorPress(g, kLimits, 0, true, 5, 140).type, 5);
    EXPECT_EQ(ClassifyEditorPress(g, kLimits, 0, true, 5, 160).type, 6);
    EXPECT_EQ(ClassifyEditorPress(g, kLimits, 0, false, 5, 160).type, 0);
    EXPECT_EQ(ClassifyEditorPress(g, kLimits, 0, true, 5, 160).gain_step, 0);
    EXPECT_EQ(ClassifyEditorPress(g, kLimits, 0, true, 20, 45).field, kFieldFreq);
    EXPECT_EQ(ClassifyEditorPress(g, kLimits, 0, true, 20, 65).field, kFieldQ);
    EXPECT_EQ(ClassifyEditorPress(g, kLimits, 0, true, 20, 35).field, -1);
}

}  // namespace
}  // namespace vela
