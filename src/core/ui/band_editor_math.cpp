#include "core/ui/band_editor_math.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <limits>
#include <string>

#include "core/model/value_scales.h"
#include "core/ui/typed_value.h"

namespace vela {
namespace {

// Skin coordinates (the editor's face is 47 x 194).
constexpr int kSkinWidth = 47;
constexpr int kSkinHeight = 194;
constexpr Rect kNumberBox{6, 0, 40, 16};
constexpr Rect kBoxes[kTextFields] = {{4, 18, 42, 31}, {4, 39, 42, 52}, {4, 60, 42, 73}};
constexpr Rect kTypeButtons[3] = {{0, 114, 11, 128}, {0, 133, 11, 147}, {0, 152, 11, 166}};
constexpr Rect kTypeImage{0, 114, 11, 166};
constexpr int kTrackX = 22;
constexpr int kTrackTop = 90;
constexpr int kTrackBottom = 187;
constexpr int kThumbSize = 14;
constexpr int kNumberFont = 12;
constexpr int kFreqChars = 5;
constexpr int kQChars = 4;

Rect Scale(const Rect& r, int w, int h) {
    return {r.left * w / kSkinWidth, r.top * h / kSkinHeight, r.right * w / kSkinWidth,
            r.bottom * h / kSkinHeight};
}

// Cut to the kept characters; a cut that ends on the point drops every point.
std::wstring Cut(std::wstring text, std::size_t keep) {
    if (text.size() > keep)
        text.resize(keep);
    if (!text.empty() && text.back() == L'.')
        text.erase(std::remove(text.begin(), text.end(), L'.'), text.end());
    return text;
}

std::wstring Print(const wchar_t* format, double value) {
    wchar_t buffer[64];
    const int n = std::swprintf(buffer, std::size(buffer), format, value);
    return n > 0 ? std::wstring(buffer, static_cast<std::size_t>(n)) : std::wstring();
}

}  // namespace

double ClampGain(const GainLimits& limits, double gain) {
    if (!(gain == gain))
        return limits.lower;
    return std::max(limits.lower, std::min(gain, limits.upper));
}

namespace {

// A field's value x moved `step` steps: the gain by the gain step within the limits, frequency and Q by
// one table position within their tables. A value between two entries is first put on the one above it,
// which is already one step up.
double Stepped(int field, double x, int step, const GainLimits& limits) {
    switch (field) {
        case kFieldGain:
            return ClampGain(limits, x + step * limits.step);
        case kFieldFreq: {
            const int at = EqFreqPosition(x, kEditorFreqFirst);
            const int up = step > 0 && EqFreqEntry(at, kEditorFreqFirst) > x ? 1 : 0;
            return EqFreqEntry(std::clamp(at + step - up, 0, kFreqScaleLast), kEditorFreqFirst);
        }
        case kFieldQ: {
            const int at = QPosition(x);
            const int up = step > 0 && kQTable[static_cast<std::size_t>(at)] > x ? 1 : 0;
            return kQTable[static_cast<std::size_t>(std::clamp(at + step - up, 0, kQTableLast))];
        }
        default:
            return x;
    }
}

struct FieldRange {
    double lower;
    double upper;
};

FieldRange RangeOf(int field, const GainLimits& limits) {
    switch (field) {
        case kFieldFreq:
            return {EqFreqEntry(0, kEditorFreqFirst), EqFreqEntry(kFreqScaleLast, kEditorFreqFirst)};
        case kFieldQ:
            return {kQLowest, kQHighest};
        default:
            return {limits.lower, limits.upper};
    }
}

TypedUnit UnitOf(int field) {
    switch (field) {
        case kFieldFreq:
            return TypedUnit::kHertz;
        case kFieldQ:
            return TypedUnit::kPlain;
        default:
            return TypedUnit::kDecibel;
    }
}

std::wstring ShownGain(double v) {
    return ShowFieldText(kFieldGain, v);
}
std::wstring ShownFreq(double v) {
    return ShowFieldText(kFieldFreq, v);
}
std::wstring ShownQ(double v) {
    return ShowFieldText(kFieldQ, v);
}

}  // namespace

FieldEntry ReadEnteredField(int field, double shown, std::wstring_view shown_text, std::wstring_view box_text,
                            int step, const GainLimits& limits) {
    FieldEntry entry;
    if (box_text == shown_text) {
        entry.value = step == 0 ? shown : Stepped(field, shown, step, limits);
        return entry;
    }
    const FieldRange range = RangeOf(field, limits);
    const TypedValue typed = ReadTypedValue(box_text, UnitOf(field), range.lower, range.upper, shown);
    entry.refused = typed.verdict == TypedValue::Verdict::kRefused;
    entry.value = entry.refused ? shown : Stepped(field, typed.value, step, limits);
    auto* show = field == kFieldFreq ? &ShownFreq : field == kFieldQ ? &ShownQ : &ShownGain;
    entry.note = TypedValueNote(typed, box_text, range.lower, range.upper, show);
    return entry;
}

double ReadShownField(int field, double shown, std::wstring_view shown_text, std::wstring_view box_text,
                      int step, const GainLimits& limits) {
    return ReadEnteredField(field, shown, shown_text, box_text, step, limits).value;
}

std::wstring ShowFieldText(int field, double value) {
    if (value == 0.0)
        value = 0.0;  // never "-0.0"
    switch (field) {
        case kFieldGain:
            return Print(L"%0.1f", value);
        case kFieldFreq:
            return Cut(Print(value < 100.0 ? L"%0.1f" : L"%0.0f", value), kFreqChars);
        case kFieldQ:
            return Cut(Print(L"%f", value), kQChars);
        default:
            return Print(L"%0.0f", value);
    }
}

double EditorFreqFor(double hz) {
    return EqFreqEntry(EqFreqPosition(hz, kEditorFreqFirst), kEditorFreqFirst);
}

double EditorQFor(double q) {
    return kQTable[static_cast<std::size_t>(QPosition(q))];
}

double EditorShownValue(int field, double x, const GainLimits& limits) {
    switch (field) {
        case kFieldGain:
            return ClampGain(limits, x);
        case kFieldFreq:
        case kFieldQ: {
            const FieldRange range = RangeOf(field, limits);
            return x == x ? std::clamp(x, range.lower, range.upper) : range.lower;
        }
        default:
            return std::isfinite(x) ? std::trunc(std::clamp(x, -1e9, 1e9)) : 0.0;
    }
}

BandEditorGeometry ComputeBandEditorGeometry(int width, int height) {
    const int w = std::max(width, 0);
    const int h = std::max(height, 0);
    BandEditorGeometry g;
    g.number_box = Scale(kNumberBox, w, h);
    for (int i = 0; i < kTextFields; ++i)
        g.boxes[i] = Scale(kBoxes[i], w, h);
    for (int i = 0; i < 3; ++i)
        g.type_buttons[i] = Scale(kTypeButtons[i], w, h);
    g.type_image = Scale(kTypeImage, w, h);
    g.track_x = kTrackX * w / kSkinWidth;
    g.track_top = kTrackTop * h / kSkinHeight;
    g.track_bottom = kTrackBottom * h / kSkinHeight;
    g.thumb_width = kThumbSize * w / kSkinWidth;
    g.thumb_height = kThumbSize * h / kSkinHeight;
    g.box_font_height = kBoxes[0].Height() * h / kSkinHeight;
    g.number_font_height = kNumberFont * w / kSkinWidth;
    return g;
}

int FaderThumbY(const BandEditorGeometry& g, const GainLimits& limits, double gain) {
    const double span = limits.upper - limits.lower;
    if (!(span > 0.0))
        return g.track_bottom;
    const double held = ClampGain(limits, gain);
    return static_cast<int>(
        std::trunc(g.track_bottom - (held - limits.lower) * (g.track_bottom - g.track_top) / span));
}

double FaderGainAt(const BandEditorGeometry& g, const GainLimits& limits, int y) {
    const int rows = g.track_bottom - g.track_top;
    if (rows <= 0)
        return limits.lower;
    const double gain =
        limits.lower + (limits.upper - limits.lower) * static_cast<double>(g.track_bottom - y) / rows;
    // A hair toward the outside first: 2.3 x 10 is 22.999... in binary and must stay 2.3.
    const double tenths = std::trunc(gain * 10.0 + (gain < 0 ? -1e-9 : 1e-9));
    return ClampGain(limits, tenths / 10.0);
}

Rect FaderThumbRect(const BandEditorGeometry& g, const GainLimits& limits, double gain) {
    const int y = FaderThumbY(g, limits, gain);
    const int left = g.track_x - g.thumb_width / 2;
    const int top = y - g.thumb_height / 2;
    return {left, top, left + g.thumb_width, top + g.thumb_height};
}

EditorPress ClassifyEditorPress(const BandEditorGeometry& g, const GainLimits& limits, double gain,
                                bool type_buttons_shown, int x, int y) {
    EditorPress press;
    const int thumb_y = FaderThumbY(g, limits, gain);
    const int half_w = g.thumb_width / 2;
    const int half_h = g.thumb_height / 2;
    const bool in_column = std::abs(x - g.track_x) <= half_w;
    if (in_column && std::abs(y - thumb_y) <= half_h) {
        press.grab = true;
        return press;
    }
    if (type_buttons_shown) {
        for (int i = 0; i < 3; ++i) {
            if (g.type_buttons[i].Contains(x, y))
                press.type = kTypeButtonTypes[i];
        }
    }
    if (in_column) {
        if (y >= g.track_top - half_h && y < thumb_y)
            press.gain_step = 1;
        else if (y > thumb_y && y <= g.track_bottom + half_h)
            press.gain_step = -1;
    }
    for (int i = 0; i < kTextFields; ++i) {
        if (g.boxes[i].Contains(x, y))
            press.field = i;
    }
    return press;
}

}  // namespace vela
