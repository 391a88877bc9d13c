#include "core/ui/response_graph_ui.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "core/model/value_scales.h"
#include "core/text/strings.h"

namespace vela {
namespace {

constexpr int kHalfHandle = kGraphHandleSize / 2;
// The sprite is drawn two pixels left of the handle's centre, as the skin's ring was laid out.
constexpr int kSpriteLeft = 14;
// Q handles: the closest they come to their band, and the pixels per Q-table step.
constexpr int kQHandleBase = 24;
constexpr double kQPixelsPerStep = 0.9900990099009901;
constexpr double kQStepsPerPixel = 1.01;
constexpr int kLabelGap = 12;
constexpr int kMenuGrow = 5;
constexpr int kEqPassHalfWidth = 64;
constexpr int kEqPassRise = 70;
constexpr int kFrames = 5;
constexpr double kPassOffBelow = 19.7;
constexpr double kLabelWholeHzFrom = 100.0;

std::wstring Format(const wchar_t* format, double a, double b = 0.0, double c = 0.0) {
    wchar_t buffer[64];
    const int n = std::swprintf(buffer, std::size(buffer), format, a, b, c);
    return n > 0 ? std::wstring(buffer, static_cast<std::size_t>(n)) : std::wstring();
}

int Clamp(int v, int low, int high) {
    return std::max(low, std::min(v, high));
}

GraphEffects Nothing() {
    return {};
}

GraphNotice MenuNotice(GraphMenu item) {
    switch (item) {
        case GraphMenu::kPaste:
            return kPasteNotice;
        case GraphMenu::kImport:
            return kImportNotice;
        case GraphMenu::kExport:
            return kExportNotice;
        case GraphMenu::kCopy:
        case GraphMenu::kClosed:
            break;
    }
    return kCopyNotice;
}

// The handle's position in the graph's table: the first entry at or above its frequency, 363 above the
// top entry.
int TablePositionAtOrAbove(double hz) {
    if (hz > kFreqTop)
        return kFreqScaleSize;
    return EqFreqPosition(hz, kGraphFreqFirst);
}

void DragHandle(ResponseGraph& g, int h, int px, int py, GraphEffects& e) {
    const GraphHandle& handle = g.Handle(h);
    const GraphPlot& plot = g.Plot();
    const int y0 = g.ZeroY();
    const bool band = g.IsBand(h);
    const bool locked = band && g.lock_band_frequency;
    int x = locked ? handle.x : px - plot.left;
    int t = Clamp(py, plot.top, plot.bottom) - y0;
    const bool shelf = handle.type == filter::kHighShelf || handle.type == filter::kLowShelf;
    if (band && shelf && !g.shelves_may_boost && t < 0)
        t = 0;
    double hz = locked ? handle.freq : g.SnapFreq(g.ColumnFreq(x));
    auto hold = [&](const FreqRange& r) {
        x = Clamp(x, g.ColumnOf(r.low), g.ColumnOf(r.high));
        hz = std::clamp(hz, r.low, r.high);
    };
    if (h == kHighPassHandle) {
        hold(g.high_pass_range);
        if (g.high_pass_below_low_pass) {
            x = std::min(x, g.Handle(kLowPassHandle).x);
            hz = std::min(hz, g.Handle(kLowPassHandle).freq);
        }
        t = g.pass_handle_height;
    } else if (h == kLowPassHandle) {
        hold(g.low_pass_range);
        if (g.high_pass_below_low_pass) {
            x = std::max(x, g.Handle(kHighPassHandle).x);
            hz = std::max(hz, g.Handle(kHighPassHandle).freq);
        }
        t = g.pass_handle_height;
    } else {
        hold(g.band_range);
    }
    int gain = handle.gain;
    if (band) {
        const int rows = std::max(plot.Height() - 1, 1);
        const double tenths = std::clamp(-static_cast<double>(t) * g.GainSpan() / rows,
                                         static_cast<double>(g.gain_bottom), static_cast<double>(g.gain_top));
        gain = static_cast<int>(std::trunc(tenths + 0.5));
        if (y0 + t <= plot.top)
            gain = g.gain_top;
        else if (y0 + t >= plot.bottom)
            gain = g.gain_bottom;
    }
    g.MoveHandle(h, x, t, hz, gain);
    g.RecomputeHandle(h);
    e.notices.push_back(NoticeFor(h));
    e.redraw = true;
    e.paint_now = true;
    g.left_q_pressed = g.right_q_pressed = false;
}

// Q follows the pressed Q handle: the further out, the lower the Q (the wider the band).
void DragQ(ResponseGraph& g, int px, GraphEffects& e) {
    const int h = g.selected;
    if (!g.IsBand(h))
        return;
    const int handle_x = g.Plot().left + g.Handle(h).x;
    const int distance = g.left_q_pressed ? handle_x - px - kQHandleBase : px - handle_x - kQHandleBase;
    g.SetHandleQ(h, kQTable[static_cast<std::size_t>(QIndexForDistance(distance))]);
    e.redraw = true;
    if (!g.Dragging()) {
        g.label = h;
        g.RecomputeHandle(h);
    }
    e.notices.push_back(NoticeFor(h));
}

void FollowMenu(ResponseGraph& g, int x, int y, GraphEffects& e) {
    if (g.menu == GraphMenu::kClosed || g.menu_items.empty())
        return;
    const Rect first = MenuItemRect(g, g.menu_items.front());
    const Rect last = MenuItemRect(g, g.menu_items.back());
    const Rect around{first.left - kMenuGrow, first.top - kMenuGrow, last.right + kMenuGrow,
                      last.bottom + kMenuGrow};
    GraphMenu next = MenuItemAt(g, x, y);
    if (next == GraphMenu::kClosed)
        next = around.Contains(x, y) ? g.menu : GraphMenu::kClosed;
    if (next != g.menu) {
        g.menu = next;
        e.redraw = true;
    }
}

}  // namespace

GraphPoint HandleCentre(const ResponseGraph& g, int h) {
    const GraphHandle& handle = g.Handle(h);
    return {g.Plot().left + handle.x, g.ZeroY() + handle.y};
}

int HandleAt(const ResponseGraph& g, int x, int y) {
    for (int h = 0; h <= g.LastHandle(); ++h) {
        if (!g.Handle(h).enabled)
            continue;
        const GraphPoint c = HandleCentre(g, h);
        if (Rect{c.x - kHalfHandle, c.y - kHalfHandle, c.x + kHalfHandle, c.y + kHalfHandle}.Contains(x, y))
            return h;
    }
    return -1;
}

GraphPoint HandleSpriteOrigin(const ResponseGraph& g, int h) {
    const GraphPoint c = HandleCentre(g, h);
    return {c.x - kSpriteLeft, c.y - kHalfHandle};
}

bool QHandlesShown(const ResponseGraph& g) {
    if (!g.show_selected_curve || !g.show_q_handles || !g.IsBand(g.selected))
        return false;
    const GraphHandle& handle = g.Handle(g.selected);
    return handle.enabled && handle.has_q;
}

int QHandleDistance(double q) {
    // The band's own table position, so that a Q handle pressed and released where it stands keeps its Q.
    return static_cast<int>(std::trunc(100.0 - QPosition(q) * kQPixelsPerStep + kQHandleBase));
}

GraphPoint LeftQCentre(const ResponseGraph& g) {
    const GraphPoint c = HandleCentre(g, g.selected);
    return {c.x - QHandleDistance(g.Handle(g.selected).q), c.y};
}

GraphPoint RightQCentre(const ResponseGraph& g) {
    const GraphPoint c = HandleCentre(g, g.selected);
    return {c.x + QHandleDistance(g.Handle(g.selected).q), c.y};
}

int QIndexForDistance(int distance) {
    const int index = static_cast<int>(std::trunc(101.0 - distance * kQStepsPerPixel));
    return Clamp(index, 0, kQTableLast);
}

std::wstring ValueLabelText(const ResponseGraph& g, int h) {
    if (!g.IsHandle(h))
        return {};
    const GraphHandle& handle = g.Handle(h);
    const bool decimals = handle.freq < kLabelWholeHzFrom && !g.free_frequencies;
    if (!g.IsBand(h)) {
        if (handle.freq < kPassOffBelow || handle.freq >= kFreqTop)
            return L"F:OFF";
        return Format(decimals ? L"F:%0.1f" : L"F:%0.0f", handle.freq);
    }
    const double gain = handle.gain / 10.0;
    if (handle.has_q)
        return Format(decimals ? L"F:%0.1f Q:%0.2f G:%0.1f" : L"F:%0.0f Q:%0.2f G:%0.1f", handle.freq,
                      handle.q, gain);
    return Format(decimals ? L"F:%0.1f G:%0.1f" : L"F:%0.0f G:%0.1f", handle.freq, gain);
}

GraphPoint PlaceValueLabel(const ResponseGraph& g, int h, int width, int height) {
    const GraphPlot& plot = g.Plot();
    const GraphHandle& handle = g.Handle(h);
    const int y0 = g.ZeroY();
    GraphPoint p{handle.x, y0 + handle.y + kLabelGap};
    if (width > plot.Width() - 2 * kLabelGap) {
        // Wider than the plot: centred on it rather than pushed off one side.
        p.x = plot.left + (plot.Width() - width) / 2;
    } else if (p.x < plot.left) {
        p.x = plot.left + kLabelGap;
    } else if (p.x + width > plot.right) {
        p.x = plot.right - width - kLabelGap;
    }
    if (p.y + height > plot.bottom)
        p.y = y0 + handle.y - height - kLabelGap;
    return p;
}

namespace {
// The columns where the curve changes height. A fill drawn as a spline through them needs more: the last
// column of each level run, and the columns beside both ends where the outline turns sharply. Without them
// the spline swings across a whole run (a flat curve filled as a hump over the mids).
std::vector<GraphPoint> CurvePath(const ResponseGraph& g, const std::vector<int>& pixels,
                                  bool for_spline = false) {
    std::vector<GraphPoint> path;
    const int left = g.Plot().left;
    const int y0 = g.ZeroY();
    const int columns = static_cast<int>(pixels.size());
    const auto y_at = [&](int i) { return y0 + pixels[static_cast<std::size_t>(i)]; };
    for (int i = 0; i < columns; ++i) {
        const int y = y_at(i);
        const bool kept = i == 0 || i == columns - 1 || y != y_at(i - 1) ||
                          (for_spline && (i == 1 || i == columns - 2 || y != y_at(i + 1)));
        if (kept)
            path.push_back({left + i, y});
    }
    return path;
}
}  // namespace

std::vector<GraphPoint> SumCurvePath(const ResponseGraph& g) {
    return CurvePath(g, g.SumPixels());
}

std::vector<GraphPoint> SelectedCurveOutline(const ResponseGraph& g) {
    const GraphPlot& plot = g.Plot();
    const int y0 = g.ZeroY();
    const int below = 2 * plot.bottom;  // past the plot's bottom: the clip cuts the fill off there
    const std::vector<GraphPoint> curve = CurvePath(g, g.LastCurvePixels(), true);
    // The sharp turns down past the bottom stand outside the plot, a level step away from its edge, where
    // the clip hides a spline's swing.
    constexpr int kOutside = 8;
    const int first_y = curve.empty() ? y0 : curve.front().y;
    const int last_y = curve.empty() ? y0 : curve.back().y;
    std::vector<GraphPoint> outline;
    outline.reserve(curve.size() + 8);
    switch (g.LastRecomputed()) {
        case kHighPassHandle:
        case kLowPassHandle:
            outline.push_back({plot.left, below});
            outline.push_back({plot.left - 2 * kOutside, below});
            outline.push_back({plot.left - 2 * kOutside, first_y});
            outline.push_back({plot.left - kOutside, first_y});
            outline.insert(outline.end(), curve.begin(), curve.end());
            outline.push_back({plot.right + kOutside, last_y});
            outline.push_back({plot.right + 2 * kOutside, last_y});
            outline.push_back({plot.right + 2 * kOutside, below});
            // A low-pass fill closes under the last column drawn, a high-pass one under the plot's edge.
            outline.push_back(
                {g.LastRecomputed() == kLowPassHandle ? plot.left + std::max(g.Columns() - 1, 0) : plot.right,
                 below});
            break;
        default:
            outline.push_back({plot.left, y0});
            outline.insert(outline.end(), curve.begin(), curve.end());
            outline.push_back({plot.right, y0});
            break;
    }
    return outline;
}

std::vector<GridLine> GainGridLines(const ResponseGraph& g) {
    constexpr int kRows = 6;
    const GraphPlot& plot = g.Plot();
    std::vector<GridLine> lines;
    for (int k = 0; k <= kRows; ++k) {
        const int tenths = 120 - 60 * k;
        lines.push_back(
            {plot.top + k * plot.Height() / kRows, Format(tenths > 0 ? L"+%.0f" : L"%.0f", tenths / 10.0)});
    }
    return lines;
}

std::vector<GridLine> FrequencyGridLines(const ResponseGraph& g) {
    struct Mark {
        double hz;
        const wchar_t* text;
    };
    static constexpr Mark kMarks[] = {
        {19, L"20"},   {30, L""},   {40, L""},       {50, L"50"},        {60, L""},   {70, L""},
        {80, L""},     {90, L""},   {100, L"100"},   {200, L"200"},      {300, L""},  {400, L""},
        {500, L"500"}, {600, L""},  {700, L""},      {800, L""},         {900, L""},  {1000, L"1K"},
        {2000, L"2K"}, {3000, L""}, {4000, L""},     {5000, L"5K"},      {6000, L""}, {7000, L""},
        {8000, L""},   {9000, L""}, {10000, L"10K"}, {20600, L"20KHz "},
    };
    std::vector<GridLine> lines;
    for (const Mark& m : kMarks)
        lines.push_back({g.Plot().left + g.ColumnOf(m.hz), m.text});
    return lines;
}

GraphPoint EqPassOrigin(const ResponseGraph& g) {
    const GraphPlot& plot = g.Plot();
    return {plot.Width() / 2 - kEqPassHalfWidth, plot.bottom - kEqPassRise};
}

int MenuItemWidth(const ResponseGraph& g) {
    const bool narrow = std::all_of(g.menu_items.begin(), g.menu_items.end(), [](GraphMenu item) {
        return item == GraphMenu::kCopy || item == GraphMenu::kPaste;
    });
    return narrow ? kGraphMenuItemWidth : kGraphWideMenuItemWidth;
}

Rect MenuItemRect(const ResponseGraph& g, GraphMenu item) {
    const auto it = std::find(g.menu_items.begin(), g.menu_items.end(), item);
    if (item == GraphMenu::kClosed || it == g.menu_items.end())
        return {};
    const int top = g.menu_y + kGraphMenuItemHeight * static_cast<int>(it - g.menu_items.begin());
    return {g.menu_x, top, g.menu_x + MenuItemWidth(g), top + kGraphMenuItemHeight};
}

std::wstring_view MenuItemText(GraphMenu item) {
    switch (item) {
        case GraphMenu::kCopy:
            return L"Copy";
        case GraphMenu::kPaste:
            return L"Paste";
        case GraphMenu::kImport:
            return Text(extra::kEqImportMenu);
        case GraphMenu::kExport:
            return Text(extra::kEqExportMenu);
        case GraphMenu::kClosed:
            break;
    }
    return {};
}

GraphMenu MenuItemAt(const ResponseGraph& g, int x, int y) {
    for (GraphMenu item : g.menu_items) {
        if (MenuItemRect(g, item).Contains(x, y))
            return item;
    }
    return GraphMenu::kClosed;
}

GraphNotice NoticeFor(int h) {
    if (h == kHighPassHandle)
        return {1, 0};
    if (h == kLowPassHandle)
        return {2, 0};
    return {0, h - kFirstBandHandle};
}

GraphEffects GraphPress(ResponseGraph& g, int x, int y) {
    if (!g.active)
        return Nothing();
    GraphEffects e;
    // The open menu lies over the handles: a press on an item is the item's alone.
    if (const GraphMenu item =
            g.menu_enabled && g.menu != GraphMenu::kClosed ? MenuItemAt(g, x, y) : GraphMenu::kClosed;
        item != GraphMenu::kClosed) {
        g.menu = GraphMenu::kClosed;
        e.notices.push_back(MenuNotice(item));
        e.redraw = true;
        return e;
    }
    e.take_focus = true;
    if (QHandlesShown(g)) {
        const GraphPoint left = LeftQCentre(g);
        const GraphPoint right = RightQCentre(g);
        auto box = [](GraphPoint c) {
            return Rect{c.x - kHalfHandle, c.y - kHalfHandle, c.x + kHalfHandle, c.y + kHalfHandle};
        };
        if (box(left).Contains(x, y))
            g.left_q_pressed = true;
        else if (box(right).Contains(x, y))
            g.right_q_pressed = true;
        if (g.left_q_pressed || g.right_q_pressed) {
            e.cursor = GraphCursor::kHand;
            e.capture = true;
            e.redraw = true;
        }
    }
    const int h = HandleAt(g, x, y);
    if (h >= 0) {
        // A handle is drawn over the Q handles and wins the press; a Q drag started too would move the Q
        // of the newly grabbed band on release.
        g.left_q_pressed = g.right_q_pressed = false;
        g.selected = h;
        g.drag = h + 1;
        e.cursor = GraphCursor::kHand;
        e.notices.push_back(NoticeFor(h));
        g.RecomputeHandle(h);
        e.redraw = true;
        e.capture = true;
    }
    return e;
}

GraphEffects GraphMove(ResponseGraph& g, int x, int y) {
    if (!g.active)
        return Nothing();
    GraphEffects e;
    if (g.Dragging()) {
        const int h = g.drag - 1;
        if (g.IsHandle(h))
            DragHandle(g, h, x, y, e);
        return e;
    }
    if (g.left_q_pressed || g.right_q_pressed) {
        DragQ(g, x, e);
    } else {
        const int h = HandleAt(g, x, y);
        if (h >= 0) {
            if (g.label != h) {
                g.label = h;
                e.redraw = true;
            }
            e.cursor = GraphCursor::kHand;
        } else {
            e.cursor = GraphCursor::kArrow;
        }
    }
    FollowMenu(g, x, y, e);
    return e;
}

namespace {

// A dragged handle goes back onto the column of the frequency it was given (snapped and held to its
// range); false when nothing was dragged.
bool EndDrag(ResponseGraph& g) {
    if (!g.Dragging())
        return false;
    const int h = g.drag - 1;
    g.drag = 0;
    if (g.IsHandle(h)) {
        const GraphHandle& handle = g.Handle(h);
        g.MoveHandle(h, g.ColumnOf(handle.freq), handle.y, handle.freq, handle.gain);
        g.RecomputeHandle(h);
    }
    return true;
}

}  // namespace

GraphEffects GraphRelease(ResponseGraph& g, int x, int) {
    if (!g.active)
        return Nothing();
    GraphEffects e;
    if (g.left_q_pressed || g.right_q_pressed)
        DragQ(g, x, e);
    g.left_q_pressed = g.right_q_pressed = false;
    e.release_capture = true;
    EndDrag(g);
    e.redraw = true;
    return e;
}

GraphEffects GraphCaptureLost(ResponseGraph& g) {
    GraphEffects e;
    e.redraw = EndDrag(g);
    g.left_q_pressed = g.right_q_pressed = false;
    return e;
}

GraphEffects GraphWheel(ResponseGraph& g, int delta) {
    if (!g.active || !g.IsHandle(g.selected))
        return Nothing();
    GraphEffects e;
    const int h = g.selected;
    const GraphHandle& handle = g.Handle(h);
    if (g.IsBand(h)) {
        g.SetBandGain(h - kFirstBandHandle, (handle.gain + (delta > 0 ? 1 : -1)) / 10.0);
    } else {
        const int position = TablePositionAtOrAbove(handle.freq);
        const int next = delta > 0 ? position - 1 : position + 1;
        if (next >= 0 && next <= kFreqScaleLast) {
            const double hz = EqFreqEntry(next, kGraphFreqFirst);
            g.MoveHandle(h, g.ColumnOf(hz), handle.y, hz, handle.gain);
        }
        if (!g.Dragging()) {
            g.label = h;
            g.RecomputeHandle(h);
        }
    }
    e.notices.push_back(NoticeFor(h));
    e.redraw = true;
    return e;
}

GraphEffects GraphKeyDown(ResponseGraph& g, GraphKey key) {
    return GraphWheel(g, key == GraphKey::kUp ? 1 : -1);
}

GraphEffects GraphRightButtonUp(ResponseGraph& g, int x, int y) {
    if (!g.active || !g.menu_enabled || g.menu_items.empty())
        return Nothing();
    g.menu = g.menu_items.front();
    // Opened near the right or bottom edge it turns back inside the plot, where it can be read whole.
    const GraphPlot& plot = g.Plot();
    const int height = kGraphMenuItemHeight * static_cast<int>(g.menu_items.size());
    g.menu_x = std::max(0, std::min(x, plot.right - MenuItemWidth(g)));
    g.menu_y = std::max(0, std::min(y, plot.bottom - height));
    GraphEffects e;
    e.redraw = true;
    return e;
}

void GraphTick(ResponseGraph& g) {
    g.frame = g.frame % kFrames + 1;
}

}  // namespace vela
