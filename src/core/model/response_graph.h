// The frequency-response graph's model: a high-pass handle, a low-pass handle and N EQ band handles on a
// logarithmic axis with one response point per plot column; each handle's curve is cached in pixels and
// only a changed handle is recomputed, the sum being rebuilt from the cached curves. No window here: the
// control paints what this holds.
#pragma once

#include <vector>

#include "core/model/filter_response.h"

namespace vela {

enum GraphHandleIndex : int { kHighPassHandle, kLowPassHandle, kFirstBandHandle };
inline constexpr int kMaxGraphBands = 64;

struct FreqRange {
    double low;
    double high;
};

struct GraphPlot {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct GraphHandle {
    int x = 0;  // pixels from the plot's left edge
    int y = 0;  // pixels below the 0 dB line (negative above)
    double freq = 1000.0;
    double q = 1.5;  // handles 0 and 1: the pass filters' variable Q
    int gain = 0;    // tenths of a dB
    int type = filter::kPeaking;
    bool enabled = true;
    bool has_q = true;
    std::vector<double> curve;  // this handle's response in pixels per column, boost negative
};

enum class GraphMenu { kClosed = 0, kCopy = 1, kPaste = 2, kImport = 3, kExport = 4 };

class ResponseGraph {
  public:
    // ---- Written by the page (the ranges before InitBands) ----
    FreqRange high_pass_range{19.0, 20600.0};
    FreqRange low_pass_range{19.0, 20600.0};
    FreqRange band_range{19.7, 20600.0};
    bool free_frequencies = false;  // no snapping to the table; labels in whole hertz
    bool shelves_may_boost = true;
    bool lock_band_frequency = false;
    bool high_pass_below_low_pass = false;
    bool menu_enabled = false;
    // The menu's items, top to bottom, while it is enabled.
    std::vector<GraphMenu> menu_items{GraphMenu::kCopy, GraphMenu::kPaste};
    bool show_q_handles = true;
    bool show_selected_curve = true;
    bool active = true;  // every mouse, wheel and key handler does nothing while off
    double label_scale = 1.0;
    int gain_top = 120;      // tenths of a dB at the plot's top edge
    int gain_bottom = -240;  // and at its bottom edge
    int pass_handle_height = 80;

    // ---- Selection state, kept by the interaction rules ----
    int selected = 0;  // the handle keys, wheel and Q handles act on
    int label = -1;    // the handle whose value label is drawn; -1 none
    int drag = 0;      // 0, or the dragged handle + 1
    bool left_q_pressed = false;
    bool right_q_pressed = false;
    int frame = 1;                        // animation frame of the selected handle, 1..5
    GraphMenu menu = GraphMenu::kClosed;  // the lit item of the open menu
    int menu_x = 0;                       // top-left of the open menu
    int menu_y = 0;
    bool dirty = true;  // every handle is recomputed before the next paint

    // Places every handle for a client area of width x height.
    void InitBands(int band_count, int width, int height);
    // A new client size: the axis follows, handles keep their frequencies and scale their heights.
    void Resize(int width, int height);

    int BandCount() const { return static_cast<int>(handles_.size()) - kFirstBandHandle; }
    int LastHandle() const { return static_cast<int>(handles_.size()) - 1; }
    bool IsHandle(int h) const { return h >= 0 && h <= LastHandle(); }
    bool IsBand(int h) const { return h >= kFirstBandHandle && h <= LastHandle(); }
    const GraphHandle& Handle(int h) const { return handles_[static_cast<std::size_t>(h)]; }
    bool Dragging() const { return drag > 0; }

    // Setters recompute the handle and make it the selected and the label handle, except during a drag
    // (the drag recomputes; the graph is then marked dirty). Out-of-range bands are ignored.
    void SetBandType(int band, int type);
    void SetBandFreq(int band, double hz);
    void SetBandQ(int band, double q);
    void SetBandGain(int band, double db);
    void SetPassFreq(int which, double hz);
    void SetPassType(int code);
    void SetPassQ(int kind, double x);
    // While the EQ is passed the processor bypasses the bands: the sum then holds the pass filters only.
    void SetEqActive(int flag) {
        dirty = dirty || flag != eq_active_;
        eq_active_ = flag;
    }
    int IsEqActive() const { return eq_active_; }
    void SetHandleEnabled(int h, bool enabled);
    void SetHandleHasQ(int h, bool has_q);

    int GetBandType(int band) const;
    double GetBandFreq(int band) const;
    double GetBandQ(int band) const;
    double GetBandGain(int band) const;  // dB
    double GetPassFreq(int which) const;
    int HighPassCode() const { return high_pass_code_; }
    int LowPassCode() const { return low_pass_code_; }

    // Raw moves for the interaction rules: nothing is recomputed and the selection stays.
    void MoveHandle(int h, int x, int y, double hz, int gain_tenths);
    void SetHandleQ(int h, double q);

    // Selects band 0 (handle 2) and labels it, and recomputes it, unless a drag is in progress.
    void SelectFirstBand();

    // ---- Axis and plot ----
    const GraphPlot& Plot() const { return plot_; }
    int Columns() const { return static_cast<int>(points_.size()); }
    // The 0 dB line: one third down the plot with the default gains.
    int ZeroY() const;
    // Axis frequency at a column (fractional columns allowed) and the column of a frequency.
    double ColumnFreq(double x) const;
    int ColumnOf(double hz) const;
    // The graph's table frequency at or above hz (19.0 Hz first; 19 below it), or hz itself when
    // frequencies are free.
    double SnapFreq(double hz) const;
    // Pixels for a response in dB: a boost is negative (above the 0 dB line).
    double DbToPixels(double db) const;
    // The band gain in tenths rebuilt from a handle's height, as the curve uses it.
    int GainFromY(int y) const;
    // The height of a band gain (SetBandGain's rule).
    int YFromGain(double db) const;
    int GainSpan() const { return gain_top - gain_bottom > 0 ? gain_top - gain_bottom : 1; }

    // ---- Curves ----
    void RecomputeHandle(int h);
    void RecomputeAll();
    void RecomputeIfDirty() {
        if (dirty)
            RecomputeAll();
    }
    int LastRecomputed() const { return last_recomputed_; }
    // Per column, whole pixels: the sum of the enabled handles and the curve recomputed last.
    const std::vector<int>& SumPixels() const { return sum_pixels_; }
    const std::vector<int>& LastCurvePixels() const { return last_pixels_; }
    // The response of one handle in dB at a frequency, as its curve is built (bands from their height).
    double HandleDb(int h, double hz) const;

  private:
    void Changed(int h);
    void ComputeCurve(int h);
    void RebuildSum(int h);
    void Layout(int width, int height);
    filter::Cascade PassCascade(int h) const;
    filter::Biquad BandBiquad(int h) const;

    std::vector<GraphHandle> handles_;
    std::vector<filter::Point> points_;
    std::vector<double> sum_;
    std::vector<int> sum_pixels_;
    std::vector<int> last_pixels_;
    GraphPlot plot_;
    double lowest_ = 19.0;
    double highest_ = 20600.0;
    int high_pass_code_ = 8;
    int low_pass_code_ = 9;
    int eq_active_ = 1;
    int last_recomputed_ = -1;
};

}  // namespace vela
