#include "core/model/response_graph.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/model/value_scales.h"

namespace vela {
namespace {

// A graph as the output pages make it: 7 bands in a client area of 1066 x 364, so the plot is 1018 columns
// by 336 rows and the 0 dB line 112 rows down.
class GraphModel : public ::testing::Test {
  protected:
    void SetUp() override { g.InitBands(7, 1066, 364); }
    int Column(double hz) const { return g.ColumnOf(hz); }
    int SumAt(double hz) const { return g.SumPixels()[static_cast<std::size_t>(Column(hz))]; }

    ResponseGraph g;
};

TEST_F(GraphModel, AxisRunsLogarithmicallyFrom19HzAndTheZeroLineIsOneThirdDown) {
    EXPECT_EQ(g.Columns(), 1018);
    EXPECT_EQ(g.Plot().left, 30);
    EXPECT_EQ(g.Plot().top, 10);
    EXPECT_DOUBLE_EQ(g.ColumnFreq(0), 19.0);
    EXPECT_NEAR(g.ColumnFreq(1018), 20600.0, 1e-6);
    // Equal pixel steps are equal frequency ratios.
    EXPECT_NEAR(g.ColumnFreq(100) / g.ColumnFreq(0), g.ColumnFreq(600) / g.ColumnFreq(500), 1e-9);
    for (int i = 0; i < g.Columns(); ++i)
        ASSERT_EQ(g.ColumnOf(g.ColumnFreq(i) * (1 + 1e-9)), i);
    EXPECT_EQ(g.ZeroY(), g.Plot().top + g.Plot().Height() / 3);
    // +12 dB touches the top, -24 dB the bottom.
    EXPECT_EQ(g.ZeroY() + g.DbToPixels(12.0), g.Plot().top);
    EXPECT_EQ(g.ZeroY() + g.DbToPixels(-24.0), g.Plot().bottom);
}

TEST_F(GraphModel, InitialHandlesAreFlatAndSpreadOverTheAxis) {
    ASSERT_EQ(g.BandCount(), 7);
    EXPECT_DOUBLE_EQ(g.GetPassFreq(0), 19.0);
    EXPECT_DOUBLE_EQ(g.GetPassFreq(1), 20600.0);
    EXPECT_EQ(g.Handle(kHighPassHandle).y, 80);
    EXPECT_EQ(g.Handle(kLowPassHandle).x, g.ColumnOf(20600.0));
    double previous = 0;
    for (int b = 0; b < 7; ++b) {
        const GraphHandle& h = g.Handle(kFirstBandHandle + b);
        EXPECT_EQ(h.x, 50 + (b + 2) * (1066 / 11));
        EXPECT_GT(h.freq, previous);
        EXPECT_DOUBLE_EQ(h.freq, g.SnapFreq(h.freq)) << "a table frequency";
        EXPECT_DOUBLE_EQ(h.q, 1.5);
        EXPECT_EQ(h.type, 7);
        EXPECT_TRUE(h.enabled && h.has_q);
        previous = h.freq;
    }
    g.RecomputeAll();
    EXPECT_FALSE(g.dirty);
    for (int v : g.SumPixels())
        ASSERT_EQ(v, 0) << "pass filters off and bands at 0 dB draw a flat line";
}

TEST_F(GraphModel, SettersClampAndSnapAsTheTablesSay) {
    // A band frequency is held to the range only: the device may hold one between two table entries.
    g.SetBandFreq(0, 1010);
    EXPECT_DOUBLE_EQ(g.GetBandFreq(0), 1010);
    EXPECT_EQ(g.Handle(kFirstBandHandle).x, Column(1010));
    g.SetBandFreq(0, 5);
    EXPECT_DOUBLE_EQ(g.GetBandFreq(0), 19.7);
    g.SetBandFreq(0, 1e6);
    EXPECT_DOUBLE_EQ(g.GetBandFreq(0), 20600);
    g.free_frequencies = true;
    g.SetBandFreq(0, 1010);
    EXPECT_DOUBLE_EQ(g.GetBandFreq(0), 1010);
    g.free_frequencies = false;

    g.SetBandQ(1, 0.43);
    EXPECT_DOUBLE_EQ(g.GetBandQ(1), 0.45);
    g.SetBandQ(1, 0);
    EXPECT_DOUBLE_EQ(g.GetBandQ(1), 0.4);
    g.SetBandQ(1, 1000);
    EXPECT_DOUBLE_EQ(g.GetBandQ(1), 128);

    g.SetBandGain(2, 20);
    EXPECT_DOUBLE_EQ(g.GetBandGain(2), 12.0);
    EXPECT_EQ(g.ZeroY() + g.Handle(4).y, g.Plot().top);
    g.SetBandGain(2, -30);
    EXPECT_DOUBLE_EQ(g.GetBandGain(2), -24.0);
    EXPECT_EQ(g.ZeroY() + g.Handle(4).y, g.Plot().bottom);
    g.SetBandGain(2, -3.05);
    EXPECT_DOUBLE_EQ(g.GetBandGain(2), -3.0);  // tenths truncated

    // Pass filters: held to their ranges but not snapped.
    ResponseGraph in;
    in.high_pass_range = {19, 303};
    in.low_pass_range = {5990, 20600};
    in.InitBands(15, 1066, 380);
    in.SetPassFreq(0, 500);
    EXPECT_DOUBLE_EQ(in.GetPassFreq(0), 303);
    in.SetPassFreq(0, 101.5);
    EXPECT_DOUBLE_EQ(in.GetPassFreq(0), 101.5);
    in.SetPassFreq(1, 1000);
    EXPECT_DOUBLE_EQ(in.GetPassFreq(1), 5990);
    in.SetPassFreq(2, 1000);  // not a pass filter
    EXPECT_DOUBLE_EQ(in.GetBandFreq(0), in.Handle(kFirstBandHandle).freq);
}

TEST_F(GraphModel, PassTypeAndVariableQ) {
    g.SetPassType(21);
    EXPECT_EQ(g.LowPassCode(), 21);
    g.SetPassType(24);
    EXPECT_EQ(g.HighPassCode(), 24);
    for (int ignored : {32, 33, 36, 39, 7, 70, -2, 1000}) {
        g.SetPassType(ignored);
        EXPECT_EQ(g.HighPassCode(), 24) << ignored;
        EXPECT_EQ(g.LowPassCode(), 21) << ignored;
    }
    g.SetPassQ(0, 20);  // 2.0 is above 1.5: 0.4, not 1.5
    EXPECT_EQ(g.HighPassCode(), 32);
    EXPECT_DOUBLE_EQ(g.Handle(kHighPassHandle).q, 0.4);
    g.SetPassQ(3, 12);
    EXPECT_EQ(g.LowPassCode(), 37);
    EXPECT_DOUBLE_EQ(g.Handle(kLowPassHandle).q, 1.2);
    g.SetPassQ(2, 3);
    EXPECT_EQ(g.HighPassCode(), 36);
    EXPECT_DOUBLE_EQ(g.Handle(kHighPassHandle).q, 0.4);
    g.SetPassQ(4, 10);
    EXPECT_EQ(g.HighPassCode(), 36);
}

TEST_F(GraphModel, ASetterSelectsItsHandleExceptDuringADrag) {
    g.RecomputeAll();
    g.SetBandGain(3, 6);
    EXPECT_EQ(g.selected, kFirstBandHandle + 3);
    EXPECT_EQ(g.label, kFirstBandHandle + 3);
    EXPECT_EQ(g.LastRecomputed(), kFirstBandHandle + 3);
    EXPECT_FALSE(g.dirty);
    g.drag = kFirstBandHandle + 1;  // band 0 held by the pointer
    g.SetBandGain(5, -6);
    EXPECT_EQ(g.selected, kFirstBandHandle + 3);
    EXPECT_DOUBLE_EQ(g.GetBandGain(5), -6);
    EXPECT_TRUE(g.dirty) << "the change still reaches the sum before the next paint";
    g.drag = 0;
    g.SelectFirstBand();
    EXPECT_EQ(g.selected, kFirstBandHandle);
    EXPECT_EQ(g.label, kFirstBandHandle) << "the label describes the band the Q arrows stand around";
}

TEST_F(GraphModel, TheSumAddsTheEnabledHandlesCurves) {
    g.SetBandFreq(0, 1000);
    g.SetBandQ(0, 2);
    g.SetBandGain(0, 6);
    g.SetBandFreq(1, 100);
    g.SetBandGain(1, -6);
    g.RecomputeAll();
    // 6 dB is 56 of the 336 rows' 36 dB; the other band is a decade away.
    EXPECT_NEAR(SumAt(1000), -56, 1);
    EXPECT_NEAR(SumAt(100), 56, 1);
    EXPECT_NEAR(SumAt(20000), 0, 1);
    for (int i = 0; i < g.Columns(); ++i) {
        double total = 0;
        for (int h = 0; h <= g.LastHandle(); ++h)
            total += g.Handle(h).curve[static_cast<std::size_t>(i)];
        ASSERT_EQ(g.SumPixels()[static_cast<std::size_t>(i)], static_cast<int>(std::trunc(total)));
    }
    // A disabled handle and a band switched off add nothing.
    g.SetHandleEnabled(kFirstBandHandle, false);
    g.RecomputeAll();
    EXPECT_EQ(SumAt(1000), 0);
    g.SetHandleEnabled(kFirstBandHandle, true);
    g.SetBandType(1, filter::kBandOff);
    g.RecomputeAll();
    EXPECT_EQ(SumAt(100), 0);
    EXPECT_NEAR(SumAt(1000), -56, 1);

    // EQ passed: the processor bypasses the bands and keeps the pass filters, and so does the curve.
    g.SetPassFreq(0, 500);
    g.SetEqActive(0);
    g.RecomputeIfDirty();
    EXPECT_EQ(
        SumAt(100),
        static_cast<int>(std::trunc(g.Handle(kHighPassHandle).curve[static_cast<std::size_t>(Column(100))] +
                                    g.Handle(kLowPassHandle).curve[static_cast<std::size_t>(Column(100))])));
    EXPECT_NEAR(SumAt(1000), 0, 3);
    g.SetEqActive(1);
    g.RecomputeIfDirty();
    EXPECT_LT(SumAt(1000), -50);
}

TEST_F(GraphModel, CurvesFollowTheHandlesAndTheFilterRules) {
    // A shelf with Q 4 draws the Q 2 curve.
    g.SetBandType(0, filter::kLowShelf);
    g.SetBandGain(0, 9);
    g.SetBandFreq(0, 300);
    g.SetBandQ(0, 4);
    const std::vector<int> at_q4 = g.LastCurvePixels();
    g.SetBandQ(0, 2);
    EXPECT_EQ(g.LastCurvePixels(), at_q4);
    g.SetBandQ(0, 1);
    EXPECT_NE(g.LastCurvePixels(), at_q4);
    // The band gain comes back from the handle's height.
    EXPECT_EQ(g.GainFromY(g.Handle(kFirstBandHandle).y), 90);
    // A high-pass exactly at the top still filters; a low-pass there is off.
    g.SetPassFreq(0, 20600);
    EXPECT_GT(g.LastCurvePixels()[100], 100);
    g.SetPassFreq(1, 20600);
    for (int v : g.LastCurvePixels())
        ASSERT_EQ(v, 0);
    g.SetPassFreq(0, 19);
    for (int v : g.LastCurvePixels())
        ASSERT_EQ(v, 0);
}

TEST_F(GraphModel, ResizingKeepsFrequenciesAndScalesHeights) {
    g.SetBandFreq(2, 2520);
    g.SetBandGain(2, 6);
    const int y = g.Handle(4).y;
    g.dirty = false;
    g.Resize(2000, 728);
    EXPECT_EQ(g.Columns(), 1952);
    EXPECT_DOUBLE_EQ(g.GetBandFreq(2), 2520);
    EXPECT_EQ(g.Handle(4).x, g.ColumnOf(2520));
    EXPECT_EQ(g.Handle(4).y, y * 700 / 336);
    EXPECT_TRUE(g.dirty);
    g.RecomputeIfDirty();
    EXPECT_EQ(g.SumPixels().size(), 1952u);
    EXPECT_NEAR(SumAt(2520), -(6 * 700 / 36), 2);
}

TEST(GraphModelSizes, ZeroAndTinyClientsNeverDivideByZero) {
    const std::pair<int, int> sizes[] = {{0, 0}, {1, 1}, {47, 27}, {48, 28}, {49, 30}, {-5, -5}};
    for (const auto& [w, h] : sizes) {
        ResponseGraph g;
        g.InitBands(15, w, h);
        g.RecomputeAll();
        g.SetBandGain(0, 12);
        g.SetBandFreq(1, 1000);
        g.SetPassFreq(0, 100);
        EXPECT_EQ(g.SumPixels().size(), static_cast<std::size_t>(g.Columns()));
        EXPECT_EQ(g.GainFromY(0), 0);
        EXPECT_LE(g.GainFromY(50), 0) << "below the 0 dB line is a cut";
        g.Resize(w / 2, h / 2);
        g.RecomputeIfDirty();
        g.Resize(800, 300);
        g.RecomputeIfDirty();
        EXPECT_EQ(g.Columns(), 752);
        EXPECT_DOUBLE_EQ(g.GetBandGain(0), 12.0);
        EXPECT_EQ(g.ZeroY() + g.Handle(kFirstBandHandle).y, g.Plot().top) << "height rebuilt from the gain";
    }
    ResponseGraph none;
    none.InitBands(-3, 500, 200);
    EXPECT_EQ(none.BandCount(), 0);
    none.SetBandGain(0, 3);
    EXPECT_EQ(none.GetBandGain(0), 0.0);
    none.RecomputeAll();
    ResponseGraph many;
    many.InitBands(100000, 500, 200);
    EXPECT_EQ(many.BandCount(), kMaxGraphBands);
    ResponseGraph odd_gains;
    odd_gains.gain_top = odd_gains.gain_bottom = 0;
    odd_gains.InitBands(2, 500, 200);
    odd_gains.SetBandGain(0, 1);
    odd_gains.RecomputeAll();
    // The gain range is empty: a band is held at 0 dB and draws flat.
    EXPECT_EQ(odd_gains.GetBandGain(0), 0.0);
    EXPECT_EQ(odd_gains.Handle(kFirstBandHandle).y, 0);
    EXPECT_EQ(odd_gains.SumPixels(), std::vector<int>(static_cast<std::size_t>(odd_gains.Columns()), 0));
}

}  // namespace
}  // namespace vela
