#include "core/ui/value_control_math.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

ValueRange Range(double lower, double upper, double threshold) {
    ValueRange r;
    r.lower = lower;
    r.upper = upper;
    r.fine_threshold = threshold;
    return r;
}

TEST(ValueQuantise, FineBelowThresholdCoarseAtAndAbove) {
    const ValueRange r = Range(-60, 12, 0);
    EXPECT_NEAR(QuantiseValue(r, -0.34), -0.3, 1e-9);
    EXPECT_NEAR(QuantiseValue(r, -0.36), -0.4, 1e-9);
    EXPECT_NEAR(QuantiseValue(r, -12.04), -12.0, 1e-9);
    EXPECT_DOUBLE_EQ(QuantiseValue(r, 0.4), 0.0);
    EXPECT_DOUBLE_EQ(QuantiseValue(r, 0.5), 1.0);
    EXPECT_DOUBLE_EQ(QuantiseValue(r, 7.49), 7.0);
    // Positive values below a positive threshold keep tenths.
    const ValueRange delay = Range(0, 250, 250);
    EXPECT_NEAR(QuantiseValue(delay, 12.34), 12.3, 1e-9);
    EXPECT_NEAR(QuantiseValue(delay, 12.36), 12.4, 1e-9);
}

TEST(ValueQuantise, ClampsToTheLimits) {
    const ValueRange r = Range(-60, 12, 0);
    EXPECT_DOUBLE_EQ(QuantiseValue(r, 40), 12.0);
    EXPECT_DOUBLE_EQ(QuantiseValue(r, -75.2), -60.0);
    // A range set upside down is no undefined behaviour: the lower limit wins.
    const ValueRange inverted = Range(10, 5, 0);
    EXPECT_DOUBLE_EQ(QuantiseValue(inverted, 7), 10.0);
    EXPECT_DOUBLE_EQ(QuantiseValue(inverted, 2), 10.0);
}

TEST(ValueStep, WheelNotchesAroundTheFineThreshold) {
    const ValueRange r = Range(-60, 12, 0);
    EXPECT_NEAR(StepUp(r, -0.3), -0.2, 1e-9);
    EXPECT_DOUBLE_EQ(StepUp(r, 0), 1.0);
    EXPECT_NEAR(StepDown(r, 0), -0.1, 1e-9);
    EXPECT_DOUBLE_EQ(StepDown(r, 1), 0.0);
    EXPECT_NEAR(StepDown(r, -0.1), -0.2, 1e-9);
    EXPECT_DOUBLE_EQ(StepUp(r, 12), 12.0);
    EXPECT_DOUBLE_EQ(StepDown(r, -60), -60.0);
}

TEST(ValueStep, FineStepsReachTheUpperLimitExactly) {
    const ValueRange r = Range(0, 250, 250);
    double v = 248.0;
    for (int i = 0; i < 20; ++i)
        v = StepUp(r, v);
    EXPECT_DOUBLE_EQ(v, 250.0);
    EXPECT_NEAR(StepDown(r, 250.0), 249.9, 1e-9);
    // Twenty fine steps from 248 pass 249.9 and land on the limit, not beyond or short of it.
    v = 248.0;
    for (int i = 0; i < 19; ++i)
        v = StepUp(r, v);
    EXPECT_NEAR(v, 249.9, 1e-9);
}

TEST(ValueGeometryTest, DesignSizeMatchesTheSkin) {
    const ValueGeometry g = ComputeValueGeometry(170, 33, true, false);
    EXPECT_EQ(g.track_start, 10);
    EXPECT_EQ(g.track_end, 159);
    EXPECT_EQ(g.thumb_centre_y, 24);
    EXPECT_EQ(g.thumb_width, 18);
    EXPECT_EQ(g.thumb_height, 16);
    EXPECT_EQ(g.meter_height, 4);
    EXPECT_EQ(g.caption_box.bottom, 15);
    EXPECT_EQ(g.caption_font_height, 12);
    const ValueGeometry t = ComputeValueGeometry(170, 33, true, true);
    EXPECT_EQ(t.track_end, 144);
    EXPECT_EQ(t.toggle_box.left, 153);
    EXPECT_EQ(t.toggle_box.top, 16);
    EXPECT_EQ(t.toggle_box.Width(), 15);
}

TEST(ValueGeometryTest, ScalesWithTheClientAndPlainLayoutDropsTheCaption) {
    const ValueGeometry g = ComputeValueGeometry(340, 66, true, false);
    EXPECT_EQ(g.track_start, 20);
    EXPECT_EQ(g.track_end, 318);
    EXPECT_EQ(g.thumb_centre_y, 48);
    const ValueGeometry p = ComputeValueGeometry(170, 19, false, false);
    EXPECT_EQ(p.thumb_centre_y, 10);
    EXPECT_EQ(p.thumb_height, 16);
    EXPECT_EQ(p.caption_box.Height(), 0);
    // A window of no size yields no negative extents.
    const ValueGeometry z = ComputeValueGeometry(-5, 0, true, true);
    EXPECT_EQ(z.track_end - z.track_start, 0);
}

TEST(ValuePosition, ValueToPixelAndBack) {
    const ValueGeometry g = ComputeValueGeometry(170, 33, true, false);
    const ValueRange r = Range(0, 100, 0);
    EXPECT_EQ(ThumbCentreX(g, r, 0), 10);
    EXPECT_EQ(ThumbCentreX(g, r, 100), 159);
    EXPECT_EQ(ThumbCentreX(g, r, 500), 159);
    for (int v = 0; v <= 100; v += 5) {
        const int x = ThumbCentreX(g, r, v);
        EXPECT_NEAR(ValueAtX(g, r, x), v, 1.0) << v;
    }
    EXPECT_DOUBLE_EQ(ValueAtX(g, r, -400), 0.0);
    EXPECT_DOUBLE_EQ(ValueAtX(g, r, 4000), 100.0);
    // An empty range neither divides by zero nor leaves the track.
    const ValueRange empty = Range(5, 5, 0);
    EXPECT_EQ(ThumbCentreX(g, empty, 5), 10);
    EXPECT_DOUBLE_EQ(ValueAtX(g, empty, 80), 5.0);
    const ValueGeometry none = ComputeValueGeometry(0, 0, true, false);
    EXPECT_DOUBLE_EQ(ValueAtX(none, r, 3), 0.0);
}

TEST(ValueToggle, SplitAndPressClassification) {
    const ToggleSplit on = SplitToggle(700, 500);
    EXPECT_DOUBLE_EQ(on.level, 200);
    EXPECT_EQ(on.offset, 500);
    const ToggleSplit edge = SplitToggle(500, 500);
    EXPECT_DOUBLE_EQ(edge.level, 0);
    EXPECT_EQ(edge.offset, 500);
    const ToggleSplit off = SplitToggle(499.9, 500);
    EXPECT_DOUBLE_EQ(off.level, 499.9);
    EXPECT_EQ(off.offset, 0);

    const ValueGeometry g = ComputeValueGeometry(170, 33, true, true);
    const ValueRange r = Range(0, 100, 0);
    const Rect thumb = ThumbRect(g, r, 50);
    EXPECT_EQ(ClassifyPress(g, r, 50, true, thumb.left + 2, 24), PressAction::kGrabThumb);
    EXPECT_EQ(ClassifyPress(g, r, 50, true, 160, 22), PressAction::kFlipToggle);
    EXPECT_EQ(ClassifyPress(g, r, 50, true, thumb.right + 3, 24), PressAction::kStepUp);
    EXPECT_EQ(ClassifyPress(g, r, 50, true, thumb.left - 3, 24), PressAction::kStepDown);
    EXPECT_EQ(ClassifyPress(g, r, 50, true, thumb.left - 3, 3), PressAction::kNone);  // caption band
    // Without a toggle box the same place is a plain click right of the thumb.
    EXPECT_NE(ClassifyPress(g, r, 50, false, 160, 22), PressAction::kFlipToggle);
}

TEST(ValueMeter, AlphaFollowsTheValue) {
    const ValueRange r = Range(-60, 12, 0);
    EXPECT_EQ(MeterAlpha(r, -60), 0);
    EXPECT_EQ(MeterAlpha(r, 12), 230);
    EXPECT_EQ(MeterAlpha(r, -24), 115);
    EXPECT_EQ(MeterAlpha(r, 99), 230);
    EXPECT_EQ(MeterAlpha(Range(1, 1, 0), 1), 0);
}

}  // namespace
}  // namespace vela
