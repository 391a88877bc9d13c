// The value control's pixel and value arithmetic, apart from any window so that it can be tested anywhere.
#pragma once

#include "core/ui/rect.h"

namespace vela {

// The value range and quantising rule of one value control.
struct ValueRange {
    double lower = 0.0;
    double upper = 100.0;
    double fine_threshold = 0.0;  // below it the fine step, at or above it whole units
    double fine_step = 0.1;
};

// Coarse above the threshold, fine below it, then clamped to the limits.
double QuantiseValue(const ValueRange& range, double v);
double ClampValue(const ValueRange& range, double v);
// At the threshold itself the increment is coarse and the decrement fine.
double StepUp(const ValueRange& range, double v);
double StepDown(const ValueRange& range, double v);

// Control-pixel layout of a value control of client size width x height.
struct ValueGeometry {
    int track_start = 0;
    int track_end = 0;
    int thumb_centre_y = 0;
    int thumb_width = 0;
    int thumb_height = 0;
    int meter_height = 0;
    Rect toggle_box;
    Rect caption_box;  // empty in the plain layout
    int caption_font_height = 0;
};

ValueGeometry ComputeValueGeometry(int width, int height, bool captioned, bool toggle_mode);

// Thumb centre x for a value (clamped first); the track start when the range is empty.
int ThumbCentreX(const ValueGeometry& g, const ValueRange& range, double value);
// The value under pointer x during a drag, quantised and clamped.
double ValueAtX(const ValueGeometry& g, const ValueRange& range, int x);
Rect ThumbRect(const ValueGeometry& g, const ValueRange& range, double value);

// A toggle control carries its switch inside the value: v at or above the amount means "on".
struct ToggleSplit {
    double level = 0.0;
    int offset = 0;
};
ToggleSplit SplitToggle(double v, int toggle_amount);

// Opacity of the meter colours: 0 at the lower limit, 230 at the upper one.
int MeterAlpha(const ValueRange& range, double value);

// What a press at (x, y) does, given the current value.
enum class PressAction { kGrabThumb, kFlipToggle, kStepUp, kStepDown, kNone };
PressAction ClassifyPress(const ValueGeometry& g, const ValueRange& range, double value, bool toggle_mode,
                          int x, int y);

}  // namespace vela
