#include "core/ui/band_editor_math.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <limits>
#include <string>

#include "core/model/value_scales.h"

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

double ParseFieldText(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    // The number's own characters, narrowed for from_chars, which rounds correctly: a hand-made sum of
    // digit times scale lands a hair above 0.71 and snaps to the next table entry.
    std::string number;
    bool point = false;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c >= L'0' && c <= L'9')
            number.push_back(static_cast<char>(c));
        else if (c == L'.' && !point)
            point = true, number.push_back('.');
        else
            break;
    }
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::fixed);
    if (error == std::errc::result_out_of_range) {
        // Too large when a whole part has digits other than zeros; otherwise too small to matter.
        const std::string whole = number.substr(0, number.find('.'));
        if (whole.find_first_not_of('0') == std::string::npos)
            return 0.0;
        return negative ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max();
    }
    if (error != std::errc() || end == number.data())
        return 0.0;
    return negative ? -value : value;
}

double ClampGain(const GainLimits& limits, double gain) {
    if (!(gain == gain))
        return limits.lower;
    return std::max(limits.lower, std::min(gain, limits.upper));
}

namespace {

// A field's value x moved `step` steps: the gain by the gain step within the limits, frequency and Q by
// one table position within their tables.
double Stepped(int field, double x, int step, const GainLimits& limits) {
    switch (field) {
        case kFieldGain:
            return ClampGain(limits, x + step * limits.step);
        case kFieldFreq: {
            const int i = std::clamp(EqFreqPosition(x, kEditorFreqFirst) + step, 0, kFreqScaleLast);
            return EqFreqEntry(i, kEditorFreqFirst);
        }
        case kFieldQ: {
            const int i = std::clamp(QPosition(x) + step, 0, kQTableLast);
            return kQTable[static_cast<std::size_t>(i)];
        }
        default:
            return x;
    }
}

}  // namespace

double ReadField(int field, std::wstring_view text, int step, const GainLimits& limits) {
    return Stepped(field, ParseFieldText(text), step, limits);
}

double ReadShownField(int field, double shown, std::wstring_view shown_text, std::wstring_view box_text,
                      int step, const GainLimits& limits) {
    if (box_text != shown_text)
        return ReadField(field, box_text, step, limits);
    return Stepped(field, shown, step, limits);
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
            return EditorFreqFor(x);
        case kFieldQ:
            return EditorQFor(x);
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
