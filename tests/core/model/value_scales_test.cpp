#include "core/model/value_scales.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vela {
namespace {

// Texts are checked in English unless a test says otherwise; the language is process-wide.
class EnglishTexts : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = LanguageIndex();
        SetLanguageIndex(kLanguageEnglish);
    }
    void TearDown() override { SetLanguageIndex(saved_); }

  private:
    int saved_ = kLanguageEnglish;
};

TEST(FreqScale, MatchesTheDeviceLandmarksAndExceptions) {
    const std::pair<int, double> landmarks[] = {
        {0, 19.3},   {1, 19.7},   {2, 20.1},    {25, 31.3},   {36, 38.6},   {82, 94.0},  {83, 95.0},
        {84, 97.0},  {85, 99.0},  {86, 101},    {143, 303},   {205, 1000},  {216, 1240}, {298, 5990},
        {316, 8460}, {324, 9890}, {360, 19800}, {361, 20200}, {362, 20600},
    };
    for (const auto& [index, hz] : landmarks) {
        EXPECT_DOUBLE_EQ(FreqAt(index), hz) << "index " << index;
    }
}

TEST(FreqScale, RisesStrictlyWithOneDecimalBelow100HzAndWholeHzAbove) {
    const auto& scale = FreqScale();
    for (std::size_t i = 0; i < scale.size(); ++i) {
        if (i > 0) {
            ASSERT_LT(scale[i - 1], scale[i]) << i;
        }
        const double tenths = scale[i] * 10.0;
        ASSERT_DOUBLE_EQ(tenths, std::round(tenths)) << i;
        if (scale[i] >= 100.0) {
            ASSERT_DOUBLE_EQ(scale[i], std::round(scale[i])) << i;
        }
    }
}

TEST(FreqScale, PositionsRoundHalfUpAndWrap) {
    EXPECT_DOUBLE_EQ(FreqAt(0.49), 19.3);
    EXPECT_DOUBLE_EQ(FreqAt(0.5), 19.7);
    EXPECT_DOUBLE_EQ(FreqAt(363), 19.3);
    EXPECT_DOUBLE_EQ(FreqAt(363 + 205), 1000);
    EXPECT_DOUBLE_EQ(LpfFreqAt(0), 5990);
    EXPECT_DOUBLE_EQ(LpfFreqAt(64), 20600);
    // Out-of-range positions stay inside the scales instead of reading past them.
    EXPECT_DOUBLE_EQ(LpfFreqAt(500), 20600);
    EXPECT_DOUBLE_EQ(LpfFreqAt(-3), 5990);
    EXPECT_GE(FreqAt(-7), 19.3);
    EXPECT_GE(FreqAt(std::nan("")), 19.3);
}

TEST(FreqScale, FrequencyCodesBothWays) {
    EXPECT_EQ(FreqCodeFor(FreqAt(0)), 32768);
    EXPECT_EQ(FreqCodeFor(19.7), 32965);
    EXPECT_EQ(FreqCodeFor(99.0), 33758);
    EXPECT_EQ(FreqCodeFor(101), 101);
    EXPECT_EQ(FreqCodeFor(20600), 20600);
    EXPECT_EQ(FreqCodeFor(25000), 20600);
    EXPECT_EQ(FreqCodeFor(1010), 1020);  // snapped to the next entry up
    EXPECT_EQ(FreqToCode(99.0), 33758);
    EXPECT_EQ(FreqToCode(19.7), 32965);
    EXPECT_EQ(FreqToCode(1000), 1000);
    EXPECT_EQ(FreqToCode(0), 32768);
    EXPECT_DOUBLE_EQ(CodeToFreq(33758), 99.0);
    EXPECT_DOUBLE_EQ(CodeToFreq(32768), 0.0);
    EXPECT_DOUBLE_EQ(CodeToFreq(101), 101.0);
}

TEST(FreqScale, EveryPositionSurvivesTheTripThroughTheDevice) {
    for (int p = 0; p < kFreqScaleSize; ++p) {
        const int raw = FreqCodeFor(FreqAt(p));
        ASSERT_EQ(FreqPlacementFor(raw, FreqScaleKind::kFull).position, p) << p;
        ASSERT_DOUBLE_EQ(SnapFreq(raw), FreqAt(p)) << p;
    }
    for (int p = 0; p < kLpfScaleSize; ++p) {
        const int raw = FreqCodeFor(LpfFreqAt(p));
        ASSERT_EQ(FreqPlacementFor(raw, FreqScaleKind::kShortLowPass).position, p) << p;
    }
}

TEST(FreqScale, ReceivedValuesBetweenEntriesGoToTheNextHigherOne) {
    EXPECT_EQ(FreqIndexFor(1010), FreqIndexFor(1020));
    EXPECT_DOUBLE_EQ(FreqAt(FreqIndexFor(1010)), 1020);
    EXPECT_EQ(FreqIndexFor(1000), 205);
    EXPECT_EQ(FreqIndexFor(10), 0);
    EXPECT_EQ(FreqIndexFor(99999), 362);
    EXPECT_DOUBLE_EQ(SnapFreq(1010), 1020);
    EXPECT_DOUBLE_EQ(SnapFreq(19.5), 19.3);
    EXPECT_DOUBLE_EQ(SnapFreq(19.7), 19.7);
    EXPECT_DOUBLE_EQ(SnapFreq(30000), 20600);
    EXPECT_DOUBLE_EQ(SnapFreq(32768 + 985), 99.0);  // a code of 98.5 Hz
    EXPECT_EQ(LpfIndexFor(5990), 0);
    EXPECT_EQ(LpfIndexFor(20600), 64);
    EXPECT_EQ(LpfIndexFor(25000), 64);
    EXPECT_LT(LpfIndexFor(1000), 0);
}

TEST(FreqScale, ReceivedCodesPlaceControlsAndGraph) {
    const auto off = FreqPlacementFor(32768, FreqScaleKind::kFull);
    EXPECT_EQ(off.position, 0);
    EXPECT_DOUBLE_EQ(off.graph_hz, 10.0);
    const auto low = FreqPlacementFor(32768 + 197, FreqScaleKind::kFull);
    EXPECT_EQ(low.position, 1);
    EXPECT_DOUBLE_EQ(low.graph_hz, 19.7);
    const auto odd = FreqPlacementFor(1010, FreqScaleKind::kFull);
    EXPECT_DOUBLE_EQ(odd.graph_hz, 1010);
    EXPECT_EQ(odd.position, FreqIndexFor(1020));
    // Below the short scale the input pages' low-pass control rests at its first position.
    const auto below = FreqPlacementFor(1000, FreqScaleKind::kShortLowPass);
    EXPECT_EQ(below.position, 0);
    EXPECT_DOUBLE_EQ(below.graph_hz, 1000);
    EXPECT_EQ(FreqPlacementFor(20600, FreqScaleKind::kShortLowPass).position, 64);
}

TEST(EqTables, FirstEntryReplacedAndPositionsSnapUp) {
    // The graph's table starts at 19.0 Hz, the editor's at 10.5 Hz; the rest is the shared scale.
    EXPECT_DOUBLE_EQ(EqFreqEntry(0, kGraphFreqFirst), 19.0);
    EXPECT_DOUBLE_EQ(EqFreqEntry(0, kEditorFreqFirst), 10.5);
    EXPECT_DOUBLE_EQ(EqFreqEntry(1, kEditorFreqFirst), 19.7);
    EXPECT_DOUBLE_EQ(EqFreqEntry(400, kGraphFreqFirst), 20600);
    const std::pair<double, int> editor[] = {{5, 0},     {10.5, 0},   {10.6, 1},    {19.3, 1},   {19.7, 1},
                                             {99.9, 86}, {1010, 206}, {20600, 362}, {30000, 362}};
    for (const auto& [hz, position] : editor)
        EXPECT_EQ(EqFreqPosition(hz, kEditorFreqFirst), position) << hz;
    EXPECT_EQ(EqFreqPosition(19.2, kGraphFreqFirst), 1);  // 19.3 is not in the graph's table
    EXPECT_EQ(EqFreqPosition(19.0, kGraphFreqFirst), 0);
    EXPECT_EQ(EqFreqPosition(std::nan(""), kGraphFreqFirst), 0);
    EXPECT_DOUBLE_EQ(EqFreqEntry(EqFreqPosition(1010, kEditorFreqFirst), kEditorFreqFirst), 1020);
}

TEST(EqTables, QSnapsUpInsideItsRange) {
    EXPECT_EQ(kQTable.size(), 101u);
    for (std::size_t i = 1; i < kQTable.size(); ++i)
        ASSERT_LT(kQTable[i - 1], kQTable[i]) << i;
    EXPECT_DOUBLE_EQ(SnapQ(0.43), 0.45);
    EXPECT_DOUBLE_EQ(SnapQ(1.5), 1.5);
    EXPECT_DOUBLE_EQ(SnapQ(0.1), 0.4);
    EXPECT_DOUBLE_EQ(SnapQ(500), 128);
    EXPECT_DOUBLE_EQ(SnapQ(std::nan("")), 0.4);
    EXPECT_EQ(QPosition(1.0), 16);
    EXPECT_EQ(QPosition(127.5), 100);
}

TEST(Slopes, ItemsAndCodesBothWays) {
    const int high[] = {10, 22, 8, 20, 12, 24};
    for (int item = 0; item < kSlopeItemCount; ++item) {
        const int hp = SlopeCodeFor(item, FilterSide::kHighPass);
        const int lp = SlopeCodeFor(item, FilterSide::kLowPass);
        EXPECT_EQ(hp, high[item]);
        EXPECT_EQ(lp, high[item] + 1);
        EXPECT_EQ(SlopeItemFor(hp), item);
        EXPECT_EQ(SlopeItemFor(lp), item);
    }
    EXPECT_EQ(SlopeItemFor(0), 0);
    EXPECT_EQ(SlopeItemFor(99), 0);
    EXPECT_EQ(SlopeCodeFor(17, FilterSide::kLowPass), 11);
    EXPECT_EQ(SlopeItemText(3), L"Butterworth 24db");
    EXPECT_EQ(SlopeItemText(4), L"Link Riley 12db");
}

TEST(CompressorTables, ReceivedValuesSelectTheFirstEntryAtOrAbove) {
    EXPECT_EQ(AttackPositionFor(15), 4);
    EXPECT_EQ(AttackAt(4), 20);
    EXPECT_EQ(AttackPositionFor(5), 0);
    EXPECT_EQ(AttackPositionFor(0), 0);
    EXPECT_EQ(AttackPositionFor(901), 15);
    EXPECT_EQ(ReleasePositionFor(12), 4);
    EXPECT_EQ(ReleasePositionFor(33), 7);
    EXPECT_EQ(RatioPositionFor(1000), 40);
    EXPECT_EQ(RatioPositionFor(299), 39);
    EXPECT_EQ(RatioPositionFor(5000), 40);
    for (int p = 0; p < 16; ++p)
        EXPECT_EQ(AttackPositionFor(AttackAt(p)), p);
    for (int p = 0; p < 8; ++p)
        EXPECT_EQ(ReleasePositionFor(ReleaseAt(p)), p);
    for (int p = 0; p < 41; ++p)
        EXPECT_EQ(RatioPositionFor(RatioAt(p)), p);
}

TEST(ReverbTime, PositionsAndReceivedValues) {
    EXPECT_EQ(ReverbTimeAt(0), 0);
    EXPECT_EQ(ReverbTimeAt(1), 62);
    EXPECT_EQ(ReverbTimeAt(3), 187);
    EXPECT_EQ(ReverbTimeAt(79), 4937);
    EXPECT_EQ(ReverbTimeAt(80), 5000);
    EXPECT_EQ(ReverbTimeAt(81), 5000);
    EXPECT_EQ(ReverbPositionFor(5000), 80);
    EXPECT_EQ(ReverbPositionFor(100), 2);
    EXPECT_EQ(ReverbPositionFor(0), 0);
    EXPECT_FALSE(ReverbPositionFor(6000).has_value());
}

TEST(NoiseGate, TableAndPositions) {
    EXPECT_EQ(GateThresholdAt(20), 103);
    EXPECT_EQ(GateThresholdAt(12), 13);
    EXPECT_EQ(GatePositionFor(103), 20);
    EXPECT_EQ(GatePositionFor(12), 12);
    EXPECT_EQ(GatePositionFor(0), 0);
    EXPECT_FALSE(GatePositionFor(104).has_value());
    EXPECT_FALSE(GatePositionFor(200).has_value());
}

TEST(Encodings, GainQLevelDelayThresholdAndMicVolume) {
    EXPECT_EQ(GainCodeFor(0.0), 500);
    EXPECT_EQ(GainCodeFor(-12.5), 375);
    EXPECT_EQ(GainCodeFor(3.2), 532);
    EXPECT_DOUBLE_EQ(GainFromCode(375), -12.5);
    EXPECT_EQ(QCodeFor(0.4), 40);
    EXPECT_EQ(QCodeFor(1.414), 141);
    EXPECT_DOUBLE_EQ(QFromCode(141), 1.41);
    EXPECT_EQ(LevelCodeFor(200, true), 700);
    EXPECT_EQ(LevelCodeFor(60, false), 60);
    const Level on = LevelFromCode(700);
    EXPECT_EQ(on.level, 200);
    EXPECT_TRUE(on.toggle);
    const Level off = LevelFromCode(60);
    EXPECT_EQ(off.level, 60);
    EXPECT_FALSE(off.toggle);
    EXPECT_EQ(DelayCodeFor(12.3), 123);
    EXPECT_EQ(DelayCodeFor(12.5), 125);
    EXPECT_DOUBLE_EQ(DelayFromCode(123), 12.3);
    EXPECT_EQ(ThresholdCodeFor(0), 80);
    EXPECT_EQ(ThresholdCodeFor(34), 114);
    EXPECT_EQ(ThresholdPositionFor(114), 34);
    EXPECT_EQ(ThresholdPositionFor(20), 0);
    EXPECT_EQ(MicVolumeCodeFor(84), 584);
    EXPECT_EQ(MicVolumePositionFor(584), 84);
}

TEST(MusicSources, SelectorAndPowerOnInput) {
    EXPECT_EQ(MusicSourcePositionFor(1), 4);  // BT
    EXPECT_EQ(MusicSourcePositionFor(10), 5);
    EXPECT_FALSE(MusicSourcePositionFor(0).has_value());
    EXPECT_FALSE(MusicSourcePositionFor(6).has_value());
    const int codes[] = {0, 0x8002, 0x8003, 0x8005, 0x8004, 0x8001, 0x800A};
    for (int item = 0; item < 7; ++item) {
        EXPECT_EQ(PowerOnInputCodeFor(item), codes[item]) << item;
        EXPECT_EQ(PowerOnInputItemFor(codes[item]), item) << item;
    }
    EXPECT_EQ(kPowerOnInputNames[6], L"ARC");
    EXPECT_EQ(PowerOnInputItemFor(0x0003), 2);  // the low byte decides
    EXPECT_FALSE(PowerOnInputItemFor(0x0007).has_value());
    EXPECT_EQ(PowerOnInputCodeFor(9), 0);
}

TEST_F(EnglishTexts, CompressorAndThresholdTexts) {
    EXPECT_EQ(ThresholdText(0), L"Threshold:   -20dBu");
    EXPECT_EQ(ThresholdText(34), L"Threshold:    14dBu");
    EXPECT_EQ(AttackText(5), L"Attack:   0.5ms");
    EXPECT_EQ(AttackText(900), L"Attack:   90.0ms");
    EXPECT_EQ(ReleaseText(32), L"Release:   Atk x32ms");
    EXPECT_EQ(RatioText(10), L"Ratio:   1.0");
    EXPECT_EQ(RatioText(1000), L"Ratio:   100.0");
}

TEST_F(EnglishTexts, FrequencyLabels) {
    EXPECT_EQ(HpfFreqText(FreqAt(0)), L"HPF Freq:   OFF");
    EXPECT_EQ(HpfFreqText(19.7), L"HPF Freq:   19.7Hz");
    EXPECT_EQ(HpfFreqText(99.0), L"HPF Freq:   99.0Hz");
    EXPECT_EQ(HpfFreqText(101), L"HPF Freq:    101Hz");
    EXPECT_EQ(HpfFreqText(20600), L"HPF Freq:   20600Hz");
    EXPECT_EQ(LpfFreqText(20600, LpfOff::kAtTop), L"LPF Freq:   OFF");
    EXPECT_EQ(LpfFreqText(20600, LpfOff::kNever), L"LPF Freq:   20600Hz");
    EXPECT_EQ(LpfFreqText(5990, LpfOff::kAtTop), L"LPF Freq:   5990Hz");
    EXPECT_EQ(LpfFreqText(19.7, LpfOff::kNever), L"LPF Freq:   19.7Hz");
    EXPECT_EQ(LpfFreqText(303, LpfOff::kNever), L"LPF Freq:   303Hz");
}

TEST_F(EnglishTexts, LevelDelayAndOtherTexts) {
    EXPECT_EQ(LevelText(str::kMusicVol, 560), L"Music Vol:    60%");
    EXPECT_EQ(LevelText(str::kEchoVol, 100), L"Echo Vol:   100%");
    EXPECT_EQ(DelayText(DelayLabel::kMono, 12.3), L"Delay:   12.3ms");
    EXPECT_EQ(DelayText(DelayLabel::kLeft, 49.9), L"Left-Delay:   49.9ms");
    EXPECT_EQ(DelayText(DelayLabel::kLeft, 50.0), L"Left-Delay:    50ms");
    EXPECT_EQ(DelayText(DelayLabel::kRight, 120.0), L"Right-Delay:  120ms");
    EXPECT_EQ(DelayDistanceText(12.3), L"Delay distance:  4.26M");
    EXPECT_EQ(MicVolumeText(str::kMicVolA, 84), L"MIC VOL A: 84%");
    EXPECT_EQ(KeyShiftText(10), L"Shift:   0 ");
    EXPECT_EQ(KeyShiftText(7), L"Shift:   b3");
    EXPECT_EQ(KeyShiftText(0), L"Shift:   b10");
    EXPECT_EQ(KeyShiftText(20), L"Shift:   #10");
}

TEST_F(EnglishTexts, EffectAndSystemTexts) {
    EXPECT_EQ(EchoLeftPreDelayText(120.0), L"Echo LPreDelay: 120ms");
    EXPECT_EQ(EchoRightPreDelayText(12.9), L"Echo RPreDelay:     12ms");
    EXPECT_EQ(EchoRightDelayText(12.5), L"Echo RDelay:12.5ms");
    EXPECT_EQ(EchoTapDelayText(L'A', 250.0), L"Echo A Delay:  250ms");
    EXPECT_EQ(EchoTapRepeatText(L'B', 45), L"Echo B Repeat:   45%");
    EXPECT_EQ(ReverbPreDelayText(20.0), L"Reverb PreDelay:20ms");
    EXPECT_EQ(ReverbTimeText(5000), L"Reverb Time: 5000ms");
    EXPECT_EQ(GateThresholdText(str::kMusic, 3), L"MusicThreshold:    3");
    EXPECT_EQ(FaderText(str::kMicFader, 60), L"Mic: 60%");
    const std::wstring start = SystemLevelText(str::kMusicStart, 30);
    EXPECT_EQ(start, L"Music Start: " + std::wstring(28, L' ') + L"30%");
}

TEST_F(EnglishTexts, TextsFollowTheLanguage) {
    SetLanguageIndex(kLanguageSimplified);
    EXPECT_EQ(KeyShiftText(7), L"变调:   b3");
    EXPECT_EQ(EchoTapDelayText(L'B', 20.0), L"回声B延时:   20ms");
    SetLanguageIndex(kLanguageTraditional);
    EXPECT_EQ(HpfFreqText(FreqAt(0)), L"高通頻率:   關閉");
    EXPECT_EQ(DelayDistanceText(12.3), L"延時距離:  4.26M");
}

}  // namespace
}  // namespace vela
