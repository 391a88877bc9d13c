#include "core/ui/band_editor_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "core/model/value_scales.h"

namespace vela {
namespace {

const GainLimits kLimits{};

// The values the boxes showed before the user typed over them.
constexpr double kBefore[kTextFields] = {3.0, 1000.0, 0.71};

FieldEntry Typed(int field, std::wstring_view text, int step = 0) {
    const double before = kBefore[field];
    return ReadEnteredField(field, before, ShowFieldText(field, before), text, step, kLimits);
}

TEST(BandEditorFields, TypedTextIsReadStrictlyHeldToItsRangeAndSnapped) {
    enum Verdict { kTaken, kClamped, kRefused };
    struct Case {
        int field;
        const wchar_t* typed;
        const wchar_t* shown;
        Verdict verdict;
    };
    const Case cases[] = {
        {kFieldFreq, L"1010", L"1020", kTaken},     {kFieldFreq, L"99.9", L"101", kTaken},
        {kFieldFreq, L"99", L"99.0", kTaken},       {kFieldFreq, L"1000Hz", L"1000", kTaken},
        {kFieldFreq, L"1k", L"1000", kTaken},       {kFieldFreq, L" 2kHz ", L"2000", kTaken},
        {kFieldFreq, L"5", L"10.5", kClamped},      {kFieldFreq, L"25000", L"20600", kClamped},
        {kFieldFreq, L"abc", L"1000", kRefused},    {kFieldFreq, L"1k5", L"1000", kRefused},
        {kFieldFreq, L"03.5.0", L"1000", kRefused}, {kFieldFreq, L"", L"1000", kRefused},
        {kFieldGain, L" -3.25", L"-3.2", kTaken},   {kFieldGain, L"-3dB", L"-3.0", kTaken},
        {kFieldGain, L"-0.0", L"0.0", kTaken},      {kFieldGain, L"99", L"12.0", kClamped},
        {kFieldGain, L"-99", L"-24.0", kClamped},   {kFieldGain, L"ABC", L"3.0", kRefused},
        {kFieldGain, L"", L"3.0", kRefused},        {kFieldGain, L"-", L"3.0", kRefused},
        {kFieldGain, L"03.5.0", L"3.0", kRefused},  {kFieldGain, L"1k", L"3.0", kRefused},
        {kFieldQ, L"0.43", L"0.45", kTaken},        {kFieldQ, L"12", L"12.0", kTaken},
        {kFieldQ, L"0", L"0.40", kClamped},         {kFieldQ, L"500", L"128", kClamped},
        {kFieldQ, L"X", L"0.71", kRefused},         {kFieldQ, L"2dB", L"0.71", kRefused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "field " << c.field << " typed \"" << c.typed << "\"");
        const FieldEntry e = Typed(c.field, c.typed);
        EXPECT_EQ(ShowFieldText(c.field, e.value), c.shown);
        EXPECT_EQ(e.refused, c.verdict == kRefused);
        EXPECT_EQ(e.note.empty(), c.verdict == kTaken) << e.note;
    }
}

// What the page sends for a field (its raw device value) after the box shows `value` and is read back.
int SentAfterRoundTrip(int field, double value, int step = 0) {
    // An empty text before: the shown text is read as typed.
    const double read = ReadShownField(field, 0.0, L"", ShowFieldText(field, value), step, kLimits);
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
        // Between table entries, as a device may hold it: kept until stepped, then the next entry.
        {kFieldFreq, 400, L"400", 0, 400},
        {kFieldFreq, 400, L"400", +1, 405},
        {kFieldQ, 1.23, L"1.23", 0, 1.23},
        {kFieldQ, 1.23, L"1.23", +1, 1.26},
        {kFieldQ, 1.23, L"1.23", -1, 1.19},
        {kFieldQ, 1.23, L"abc", 0, 1.23},
    };
    for (const Case& c : cases) {
        const std::wstring shown_text = ShowFieldText(c.field, c.shown);
        EXPECT_NEAR(ReadShownField(c.field, c.shown, shown_text, c.box, c.step, kLimits), c.read, 1e-12)
            << c.field << " " << c.shown << " " << c.step;
    }
}

double Stepped(int field, double shown, int step) {
    const std::wstring text = ShowFieldText(field, shown);
    return ReadShownField(field, shown, text, text, step, kLimits);
}

TEST(BandEditorFields, StepsStopAtTheEndsOfTheTablesAndLimits) {
    EXPECT_DOUBLE_EQ(Stepped(kFieldFreq, 20600, +1), 20600);
    EXPECT_DOUBLE_EQ(Stepped(kFieldFreq, 1000, +1), 1020);
    EXPECT_DOUBLE_EQ(Stepped(kFieldFreq, 1000, -1), 981);
    EXPECT_DOUBLE_EQ(Stepped(kFieldFreq, 10.5, -1), 10.5);
    EXPECT_DOUBLE_EQ(Stepped(kFieldFreq, 10.5, +1), 19.7);
    EXPECT_DOUBLE_EQ(Stepped(kFieldQ, 128, +1), 128);
    EXPECT_DOUBLE_EQ(Stepped(kFieldQ, 0.4, -1), 0.4);
    EXPECT_DOUBLE_EQ(Stepped(kFieldQ, 1.5, +1), 1.6);
    EXPECT_DOUBLE_EQ(Stepped(kFieldGain, 12.0, +1), 12.0);
    EXPECT_NEAR(Stepped(kFieldGain, -0.1, +1), 0.0, 1e-12);
    EXPECT_DOUBLE_EQ(Stepped(kFieldGain, -24.0, -1), -24.0);
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
