// The EQ band editor's arithmetic apart from any window: reading and showing its three fields (typed text
// normalised and snapped to the tables), the gain fader's mapping, and where its parts stand.
#pragma once

#include <string>
#include <string_view>

#include "core/ui/value_control_math.h"

namespace vela {

// Field numbers: also the lParam of the editor's notifications. The text fields come before the type.
enum BandField : int { kFieldGain, kFieldFreq, kFieldQ, kFieldType };
inline constexpr int kTextFields = kFieldType;

struct GainLimits {
    double lower = -24.0;
    double upper = 12.0;
    double step = 0.1;
};

// What a new editor shows: gain, frequency and Q, and the type (7 peaking).
inline constexpr double kEditorInitial[kTextFields] = {0.0, 1000.0, 0.4};
inline constexpr int kEditorInitialType = 7;

// What reading a box comes to: the value it stands for now, whether its text was refused (the value is
// then the one shown before), and what to tell the person (empty when the text was taken as typed).
struct FieldEntry {
    double value = 0.0;
    bool refused = false;
    std::wstring note;
};
// A box that still shows `shown_text` stands for `shown`, the value the editor put there, moved `step`
// steps (-1, 0, +1): the gain by the gain step within the limits, frequency and Q by one table position.
// Text the user typed is read strictly (a number with an optional unit or multiplier), held to the
// field's range and put on its table; anything else is refused and `shown` stays.
FieldEntry ReadEnteredField(int field, double shown, std::wstring_view shown_text, std::wstring_view box_text,
                            int step, const GainLimits& limits);
// ReadEnteredField's value.
double ReadShownField(int field, double shown, std::wstring_view shown_text, std::wstring_view box_text,
                      int step, const GainLimits& limits);
// The text a field shows for a value: the gain with one decimal; frequency and Q cut to 5 and 4
// characters (a trailing point and every other point dropped: 128, not "128.").
std::wstring ShowFieldText(int field, double value);
// The editor's table entries for a value: its frequency table starts at 10.5 Hz.
double EditorFreqFor(double hz);
double EditorQFor(double q);
double ClampGain(const GainLimits& limits, double gain);
// What an editor shows once it is given x for a field: the gain, frequency and Q held to their ranges
// (a device value between two table entries is shown as the device holds it), the type cut to a whole
// number (0 for no number).
double EditorShownValue(int field, double x, const GainLimits& limits);

// Control-pixel layout of an editor of client size width x height (the skin is 47 x 194).
struct BandEditorGeometry {
    Rect number_box;
    Rect boxes[kTextFields];  // gain, frequency, Q
    Rect type_buttons[3];     // peaking, high shelf, low shelf
    Rect type_image;          // where the type-button picture is drawn
    int track_x = 0;
    int track_top = 0;     // the upper limit
    int track_bottom = 0;  // the lower limit
    int thumb_width = 0;
    int thumb_height = 0;
    int box_font_height = 0;
    int number_font_height = 0;
};
BandEditorGeometry ComputeBandEditorGeometry(int width, int height);

// The type each type button stands for: 7 peaking, 5 high shelf, 6 low shelf.
inline constexpr int kTypeButtonTypes[3] = {7, 5, 6};

int FaderThumbY(const BandEditorGeometry& g, const GainLimits& limits, double gain);
// The gain under a pointer during a drag: truncated to whole tenths toward zero, within the limits.
double FaderGainAt(const BandEditorGeometry& g, const GainLimits& limits, int y);
Rect FaderThumbRect(const BandEditorGeometry& g, const GainLimits& limits, double gain);

// What a press at (x, y) does: grab the thumb, or else any of: pick a type, step the gain, choose the
// field the wheel acts on.
struct EditorPress {
    bool grab = false;
    int type = 0;  // 0, or the type of the button pressed
    int gain_step = 0;
    int field = -1;  // the box pressed
};
EditorPress ClassifyEditorPress(const BandEditorGeometry& g, const GainLimits& limits, double gain,
                                bool type_buttons_shown, int x, int y);

}  // namespace vela
