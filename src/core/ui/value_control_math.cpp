#include "core/ui/value_control_math.h"

#include <algorithm>
#include <cmath>

namespace vela {
namespace {

// Skin coordinates of the value control face (170 x 33, caption band on rows 0..14).
constexpr int kFaceWidth = 170;
constexpr int kFaceHeight = 33;
constexpr int kPlainRows = 19;  // rows 14..33: the track band
constexpr int kPlainTopRow = 14;
constexpr int kTrackStart = 10;
constexpr int kTrackEnd = 159;
constexpr int kTrackEndToggle = 144;
constexpr int kThumbWidth = 18;
constexpr int kThumbHeight = 16;
constexpr int kThumbRow = 24;
constexpr int kMeterRows = 4;
constexpr int kToggleLeft = 153;
constexpr int kToggleTop = 16;
constexpr int kToggleSize = 15;
constexpr int kCaptionRows = 19;      // caption box height is H + 1 - H * 19 / 33
constexpr int kCaptionFontRows = 20;  // caption font height is H - H * 20 / 33 - 1

}  // namespace

double ClampValue(const ValueRange& range, double v) {
    // Not std::clamp: a range set upside down must not be undefined behaviour.
    if (v > range.upper)
        v = range.upper;
    if (v < range.lower)
        v = range.lower;
    return v;
}

double QuantiseValue(const ValueRange& range, double v) {
    // Rounded to nearest (floor of v + half a unit): truncating toward zero would leave a decrement from 0
    // stuck at 0 and move negative values by the wrong amount; for values >= 0 both agree.
    if (v >= range.fine_threshold) {
        v = std::floor(v + 0.5);
    } else {
        v = std::floor((v + 0.05) / 0.1) * range.fine_step;
    }
    return ClampValue(range, v);
}

double StepUp(const ValueRange& range, double v) {
    return QuantiseValue(range, v >= range.fine_threshold ? v + 1.0 : v + 0.1);
}

double StepDown(const ValueRange& range, double v) {
    return QuantiseValue(range, v > range.fine_threshold ? v - 1.0 : v - 0.1);
}

ValueGeometry ComputeValueGeometry(int width, int height, bool captioned, bool toggle_mode) {
    const int w = std::max(width, 0);
    const int h = std::max(height, 0);
    ValueGeometry g;
    g.track_start = w * kTrackStart / kFaceWidth;
    g.track_end = w * (toggle_mode ? kTrackEndToggle : kTrackEnd) / kFaceWidth;
    g.thumb_width = w * kThumbWidth / kFaceWidth;
    const int toggle_left = w * kToggleLeft / kFaceWidth;
    const int toggle_width = w * kToggleSize / kFaceWidth;
    if (captioned) {
        g.thumb_centre_y = h * kThumbRow / kFaceHeight;
        g.thumb_height = h * kThumbHeight / kFaceHeight;
        g.meter_height = kMeterRows * h / kFaceHeight;
        const int top = h * kToggleTop / kFaceHeight;
        g.toggle_box = {toggle_left, top, toggle_left + toggle_width, top + h * kToggleSize / kFaceHeight};
        g.caption_box = {1, 0, w - 1, h + 1 - h * kCaptionRows / kFaceHeight};
        g.caption_font_height = h - h * kCaptionFontRows / kFaceHeight - 1;
    } else {
        g.thumb_centre_y = h * (kThumbRow - kPlainTopRow) / kPlainRows;
        g.thumb_height = h * kThumbHeight / kPlainRows;
        g.meter_height = kMeterRows * h / kPlainRows;
        const int top = h * (kToggleTop - kPlainTopRow) / kPlainRows;
        g.toggle_box = {toggle_left, top, toggle_left + toggle_width, top + h * kToggleSize / kPlainRows};
    }
    return g;
}

int ThumbCentreX(const ValueGeometry& g, const ValueRange& range, double value) {
    const double span = range.upper - range.lower;
    if (!(span > 0.0))
        return g.track_start;
    const double fraction = (ClampValue(range, value) - range.lower) / span;
    return g.track_start + static_cast<int>((g.track_end - g.track_start) * fraction);
}

double ValueAtX(const ValueGeometry& g, const ValueRange& range, int x) {
    const int track = g.track_end - g.track_start;
    if (track <= 0)
        return ClampValue(range, range.lower);
    const double v = range.lower + (range.upper - range.lower) * (x - g.track_start) / track;
    return QuantiseValue(range, v);
}

Rect ThumbRect(const ValueGeometry& g, const ValueRange& range, double value) {
    const int cx = ThumbCentreX(g, range, value);
    const int left = cx - g.thumb_width / 2;
    const int top = g.thumb_centre_y - g.thumb_height / 2;
    return {left, top, left + g.thumb_width, top + g.thumb_height};
}

ToggleSplit SplitToggle(double v, int toggle_amount) {
    if (v >= toggle_amount)
        return {v - toggle_amount, toggle_amount};
    return {v, 0};
}

int MeterAlpha(const ValueRange& range, double value) {
    const double span = range.upper - range.lower;
    if (!(span > 0.0))
        return 0;
    const int alpha = static_cast<int>(230.0 * (ClampValue(range, value) - range.lower) / span);
    return std::clamp(alpha, 0, 230);
}

PressAction ClassifyPress(const ValueGeometry& g, const ValueRange& range, double value, bool toggle_mode,
                          int x, int y) {
    const Rect thumb = ThumbRect(g, range, value);
    if (thumb.Contains(x, y))
        return PressAction::kGrabThumb;
    if (toggle_mode && g.toggle_box.Contains(x, y))
        return PressAction::kFlipToggle;
    if (y >= thumb.top && y < thumb.bottom) {
        if (x >= thumb.right && x < g.toggle_box.left)
            return PressAction::kStepUp;
        if (x < thumb.left)
            return PressAction::kStepDown;
    }
    return PressAction::kNone;
}

}  // namespace vela
