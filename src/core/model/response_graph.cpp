#include "core/model/response_graph.h"

#include <algorithm>
#include <cmath>

#include "core/model/value_scales.h"

namespace vela {
namespace {

// The plot inside the client area.
constexpr int kPlotInsetLeft = 30;
constexpr int kPlotInsetTop = 10;
constexpr int kPlotInsetRight = 18;
constexpr int kPlotInsetBottom = 18;
// InitBands spreads the handles from here.
constexpr int kFirstHandleX = 50;
constexpr double kInitialQ = 1.5;
constexpr double kPassQLowest = 0.4;
constexpr double kPassQHighest = 1.5;
// SetPassQ: kind 0..3 selects the filter and its code (one or two variable-Q sections).
constexpr int kPassQCodes[] = {32, 33, 36, 37};
// Pixel values are held far inside int: a -300 dB null is a few thousand pixels.
constexpr double kPixelLimit = 1.0e6;

int ToPixel(double v) {
    if (!(v == v))
        return 0;
    return static_cast<int>(std::trunc(std::clamp(v, -kPixelLimit, kPixelLimit)));
}

double Clamp(double v, const FreqRange& r) {
    if (!(v == v))
        return r.low;
    return std::max(r.low, std::min(v, r.high));
}

}  // namespace

void ResponseGraph::Layout(int width, int height) {
    const int w = std::max(width, 0);
    const int h = std::max(height, 0);
    plot_.left = kPlotInsetLeft;
    plot_.top = kPlotInsetTop;
    plot_.right = std::max(w - kPlotInsetRight, plot_.left);
    plot_.bottom = std::max(h - kPlotInsetBottom, plot_.top);
    const int columns = plot_.Width();
    points_.resize(static_cast<std::size_t>(columns));
    for (int i = 0; i < columns; ++i)
        points_[static_cast<std::size_t>(i)] = filter::PointAt(ColumnFreq(i));
    sum_.assign(points_.size(), 0.0);
    sum_pixels_.assign(points_.size(), 0);
    last_pixels_.assign(points_.size(), 0);
    for (auto& handle : handles_)
        handle.curve.assign(points_.size(), 0.0);
    dirty = true;
}

void ResponseGraph::InitBands(int band_count, int width, int height) {
    const int bands = std::clamp(band_count, 0, kMaxGraphBands);
    handles_.assign(static_cast<std::size_t>(bands + kFirstBandHandle), GraphHandle{});
    Layout(width, height);
    const int pitch = std::max(width, 0) / (bands + 4);
    for (int i = 0; i <= LastHandle(); ++i) {
        GraphHandle& handle = handles_[static_cast<std::size_t>(i)];
        handle.x = kFirstHandleX + i * pitch;
        handle.freq = SnapFreq(ColumnFreq(handle.x));
        handle.q = kInitialQ;
    }
    handles_[kHighPassHandle].freq = kGraphFreqFirst;
    handles_[kLowPassHandle].freq = kFreqTop;
    for (int h : {kHighPassHandle, kLowPassHandle}) {
        GraphHandle& handle = handles_[static_cast<std::size_t>(h)];
        handle.y = pass_handle_height;
        handle.x = ColumnOf(handle.freq);
    }
    selected = 0;
    label = -1;
    drag = 0;
    left_q_pressed = right_q_pressed = false;
    frame = 1;
    menu = GraphMenu::kClosed;
    last_recomputed_ = -1;
    dirty = true;
}

void ResponseGraph::Resize(int width, int height) {
    const int old_height = plot_.Height();
    Layout(width, height);
    const int new_height = plot_.Height();
    for (int h = 0; h <= LastHandle(); ++h) {
        GraphHandle& handle = handles_[static_cast<std::size_t>(h)];
        if (old_height > 0) {
            handle.y = static_cast<int>(std::trunc(static_cast<double>(handle.y) * new_height / old_height));
        } else {
            // Nothing to scale from: heights come back from what they stand for.
            handle.y = IsBand(h) ? YFromGain(handle.gain / 10.0) : pass_handle_height;
        }
        handle.x = ColumnOf(handle.freq);
    }
}

int ResponseGraph::ZeroY() const {
    return plot_.top + std::abs(gain_top) * plot_.Height() / GainSpan();
}

double ResponseGraph::ColumnFreq(double x) const {
    const int columns = Columns();
    if (columns <= 0)
        return lowest_;
    const double decades = std::log10(highest_ / lowest_);
    return lowest_ * std::pow(10.0, x * decades / columns);
}

int ResponseGraph::ColumnOf(double hz) const {
    const double decades = std::log10(highest_ / lowest_);
    if (!(hz > 0.0))
        return ToPixel(-kPixelLimit);
    return ToPixel(std::log10(hz / lowest_) / decades * Columns());
}

double ResponseGraph::SnapFreq(double hz) const {
    if (free_frequencies)
        return hz == hz ? hz : kGraphFreqFirst;
    if (!(hz >= kGraphFreqFirst))
        return kGraphFreqFirst;
    return EqFreqEntry(EqFreqPosition(hz, kGraphFreqFirst), kGraphFreqFirst);
}

double ResponseGraph::DbToPixels(double db) const {
    return -(db * 10.0 * plot_.Height() / GainSpan());
}

int ResponseGraph::GainFromY(int y) const {
    const int rows = std::max(plot_.Height() - 1, 1);
    return -static_cast<int>(std::trunc(static_cast<double>(y) * GainSpan() / rows));
}

int ResponseGraph::YFromGain(double db) const {
    return -ToPixel(static_cast<double>(plot_.Height()) / GainSpan() * db * 10.0);
}

void ResponseGraph::Changed(int h) {
    if (Dragging()) {
        dirty = true;
        return;
    }
    RecomputeHandle(h);
    selected = h;
    label = h;
}

void ResponseGraph::SetBandType(int band, int type) {
    const int h = band + kFirstBandHandle;
    if (band < 0 || !IsBand(h))
        return;
    handles_[static_cast<std::size_t>(h)].type = type;
    Changed(h);
}

void ResponseGraph::SetBandFreq(int band, double hz) {
    const int h = band + kFirstBandHandle;
    if (band < 0 || !IsBand(h))
        return;
    GraphHandle& handle = handles_[static_cast<std::size_t>(h)];
    // As the device holds it, between table entries too, like the band's editor; a drag snaps.
    handle.freq = Clamp(hz, band_range);
    handle.x = ColumnOf(handle.freq);
    Changed(h);
}

void ResponseGraph::SetBandQ(int band, double q) {
    const int h = band + kFirstBandHandle;
    if (band < 0 || !IsBand(h))
        return;
    handles_[static_cast<std::size_t>(h)].q = vela::SnapQ(q);
    Changed(h);
}

void ResponseGraph::SetBandGain(int band, double db) {
    const int h = band + kFirstBandHandle;
    if (band < 0 || !IsBand(h))
        return;
    const double held = db == db ? std::clamp(db, gain_bottom / 10.0, gain_top / 10.0) : 0.0;
    GraphHandle& handle = handles_[static_cast<std::size_t>(h)];
    handle.gain = static_cast<int>(std::trunc(held * 10.0));
    handle.y = YFromGain(held);
    Changed(h);
}

void ResponseGraph::SetPassFreq(int which, double hz) {
    if (which != kHighPassHandle && which != kLowPassHandle)
        return;
    if (!IsHandle(which))
        return;
    GraphHandle& handle = handles_[static_cast<std::size_t>(which)];
    handle.freq = Clamp(hz, which == kHighPassHandle ? high_pass_range : low_pass_range);
    handle.x = ColumnOf(handle.freq);
    Changed(which);
}

void ResponseGraph::SetPassType(int code) {
    // 32..39 are the variable-Q slopes, chosen through SetPassQ only.
    if (code < 8 || code > 69 || (code >= 32 && code <= 39))
        return;
    const int h = (code & 1) ? kLowPassHandle : kHighPassHandle;
    (h == kLowPassHandle ? low_pass_code_ : high_pass_code_) = code;
    if (IsHandle(h))
        Changed(h);
}

void ResponseGraph::SetPassQ(int kind, double x) {
    if (kind < 0 || kind > 3)
        return;
    double q = x / 10.0;
    if (!(q >= kPassQLowest && q <= kPassQHighest))
        q = kPassQLowest;
    const int h = (kind & 1) ? kLowPassHandle : kHighPassHandle;
    (h == kLowPassHandle ? low_pass_code_ : high_pass_code_) = kPassQCodes[kind];
    if (!IsHandle(h))
        return;
    handles_[static_cast<std::size_t>(h)].q = q;
    Changed(h);
}

void ResponseGraph::SetHandleEnabled(int h, bool enabled) {
    if (!IsHandle(h))
        return;
    handles_[static_cast<std::size_t>(h)].enabled = enabled;
    dirty = true;
}

void ResponseGraph::SetHandleHasQ(int h, bool has_q) {
    if (IsHandle(h))
        handles_[static_cast<std::size_t>(h)].has_q = has_q;
}

int ResponseGraph::GetBandType(int band) const {
    const int h = band + kFirstBandHandle;
    return band >= 0 && IsBand(h) ? Handle(h).type : 0;
}
double ResponseGraph::GetBandFreq(int band) const {
    const int h = band + kFirstBandHandle;
    return band >= 0 && IsBand(h) ? Handle(h).freq : 0.0;
}
double ResponseGraph::GetBandQ(int band) const {
    const int h = band + kFirstBandHandle;
    return band >= 0 && IsBand(h) ? Handle(h).q : 0.0;
}
double ResponseGraph::GetBandGain(int band) const {
    const int h = band + kFirstBandHandle;
    return band >= 0 && IsBand(h) ? Handle(h).gain / 10.0 : 0.0;
}
double ResponseGraph::GetPassFreq(int which) const {
    return (which == kHighPassHandle || which == kLowPassHandle) && IsHandle(which) ? Handle(which).freq
                                                                                    : 0.0;
}

void ResponseGraph::MoveHandle(int h, int x, int y, double hz, int gain_tenths) {
    if (!IsHandle(h))
        return;
    GraphHandle& handle = handles_[static_cast<std::size_t>(h)];
    handle.x = x;
    handle.y = y;
    handle.freq = hz;
    handle.gain = gain_tenths;
}

void ResponseGraph::SetHandleQ(int h, double q) {
    if (IsHandle(h))
        handles_[static_cast<std::size_t>(h)].q = q;
}

void ResponseGraph::SelectFirstBand() {
    if (Dragging() || !IsBand(kFirstBandHandle))
        return;
    selected = kFirstBandHandle;
    // The label describes the band whose Q arrows are drawn, not the one the page set last.
    label = kFirstBandHandle;
    RecomputeHandle(kFirstBandHandle);
}

filter::Cascade ResponseGraph::PassCascade(int h) const {
    const GraphHandle& handle = Handle(h);
    return filter::PassFilter(h == kHighPassHandle ? high_pass_code_ : low_pass_code_, handle.freq, handle.q);
}

filter::Biquad ResponseGraph::BandBiquad(int h) const {
    const GraphHandle& handle = Handle(h);
    return filter::Band(handle.type, handle.freq, handle.q, GainFromY(handle.y));
}

double ResponseGraph::HandleDb(int h, double hz) const {
    if (!IsHandle(h))
        return 0.0;
    const filter::Point p = filter::PointAt(hz);
    return IsBand(h) ? filter::SectionDb(BandBiquad(h), p) : filter::CascadeDb(PassCascade(h), p);
}

void ResponseGraph::ComputeCurve(int h) {
    GraphHandle& handle = handles_[static_cast<std::size_t>(h)];
    const std::size_t columns = points_.size();
    handle.curve.resize(columns);
    if (IsBand(h)) {
        const filter::Biquad b = BandBiquad(h);
        for (std::size_t i = 0; i < columns; ++i)
            handle.curve[i] = DbToPixels(filter::SectionDb(b, points_[i]));
    } else {
        const filter::Cascade c = PassCascade(h);
        for (std::size_t i = 0; i < columns; ++i)
            handle.curve[i] = DbToPixels(filter::CascadeDb(c, points_[i]));
    }
}

void ResponseGraph::RebuildSum(int h) {
    const std::size_t columns = points_.size();
    std::fill(sum_.begin(), sum_.end(), 0.0);
    // With the EQ passed only the pass filters shape what the processor puts out.
    const int last = eq_active_ == 0 ? std::min(LastHandle(), kFirstBandHandle - 1) : LastHandle();
    for (int k = 0; k <= last; ++k) {
        const GraphHandle& other = Handle(k);
        if (!other.enabled || other.curve.size() != columns)
            continue;
        for (std::size_t i = 0; i < columns; ++i)
            sum_[i] += other.curve[i];
    }
    const std::vector<double>& own = Handle(h).curve;
    for (std::size_t i = 0; i < columns; ++i) {
        sum_pixels_[i] = ToPixel(sum_[i]);
        last_pixels_[i] = ToPixel(own[i]);
    }
    last_recomputed_ = h;
}

void ResponseGraph::RecomputeHandle(int h) {
    if (!IsHandle(h))
        return;
    ComputeCurve(h);
    RebuildSum(h);
}

void ResponseGraph::RecomputeAll() {
    if (handles_.empty()) {
        dirty = false;
        return;
    }
    for (int h = 0; h <= LastHandle(); ++h)
        ComputeCurve(h);
    // The selected handle's curve is the one kept for the outline, whose shape follows the selection.
    RebuildSum(IsHandle(selected) ? selected : 0);
    dirty = false;
}

}  // namespace vela
