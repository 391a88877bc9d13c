#include "core/ui/response_graph_ui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "core/model/value_scales.h"

namespace vela {
namespace {

// An input page's graph: 15 bands, high-pass 19 .. 303 Hz, low-pass 5990 .. 20600 Hz.
class GraphInteraction : public ::testing::Test {
  protected:
    void SetUp() override {
        g.high_pass_range = {19, 303};
        g.low_pass_range = {5990, 20600};
        g.InitBands(15, 1066, 364);
        g.RecomputeAll();
    }
    GraphPoint At(int h) const { return HandleCentre(g, h); }
    static int Band(int b) { return kFirstBandHandle + b; }
    // Grabs a handle, moves it to (x, y) and lets go; the notices of the whole gesture.
    std::vector<GraphNotice> Drag(int h, int x, int y) {
        std::vector<GraphNotice> all;
        auto take = [&](const GraphEffects& e) { all.insert(all.end(), e.notices.begin(), e.notices.end()); };
        take(GraphPress(g, At(h).x, At(h).y));
        take(GraphMove(g, x, y));
        take(GraphRelease(g, x, y));
        return all;
    }

    ResponseGraph g;
};

TEST_F(GraphInteraction, HandlesAreHitInside24PixelBoxesFirstInOrder) {
    const GraphPoint c = At(Band(3));
    EXPECT_EQ(HandleAt(g, c.x, c.y), Band(3));
    EXPECT_EQ(HandleAt(g, c.x - 12, c.y - 12), Band(3));
    EXPECT_EQ(HandleAt(g, c.x + 11, c.y + 11), Band(3));
    EXPECT_EQ(HandleAt(g, c.x + 12, c.y), -1);
    EXPECT_EQ(HandleAt(g, c.x, c.y - 13), -1);
    // Two handles on one spot: the lower index wins; a disabled handle is not there at all.
    g.SetBandFreq(4, g.GetBandFreq(3));
    EXPECT_EQ(HandleAt(g, c.x, c.y), Band(3));
    g.SetHandleEnabled(Band(3), false);
    EXPECT_EQ(HandleAt(g, c.x, c.y), Band(4));
    g.SetHandleEnabled(Band(4), false);
    EXPECT_EQ(HandleAt(g, c.x, c.y), -1);
}

// A drag cut off by another window ends as a release would, without a notice and keeping its capture
// untouched (it is gone already); with nothing dragged it has nothing to draw.
TEST_F(GraphInteraction, ALostCaptureEndsADragWhereItStands) {
    const int h = Band(5);
    GraphPress(g, At(h).x, At(h).y);
    const int x = At(h).x + 77;
    GraphMove(g, x, g.ZeroY() - 40);
    const double freq = g.GetBandFreq(5);
    const GraphEffects lost = GraphCaptureLost(g);
    EXPECT_TRUE(lost.notices.empty());
    EXPECT_TRUE(lost.redraw);
    EXPECT_FALSE(lost.release_capture);
    EXPECT_FALSE(g.Dragging());
    EXPECT_EQ(g.GetBandFreq(5), freq);
    EXPECT_EQ(g.Handle(h).x, g.ColumnOf(freq));
    EXPECT_FALSE(g.left_q_pressed || g.right_q_pressed);
    EXPECT_FALSE(GraphCaptureLost(g).redraw);
}

TEST_F(GraphInteraction, DraggingABandMovesFrequencyAndGainAndReleaseIsSilent) {
    const int h = Band(5);
    const GraphPoint c = At(h);
    const GraphEffects press = GraphPress(g, c.x, c.y);
    EXPECT_EQ(press.notices, (std::vector<GraphNotice>{GraphNotice{0, 5}}));
    EXPECT_TRUE(press.capture);
    EXPECT_EQ(press.cursor, GraphCursor::kHand);
    EXPECT_EQ(g.selected, h);
    const int x = c.x + 100;
    const GraphEffects move = GraphMove(g, x, g.ZeroY() - 50);
    EXPECT_EQ(move.notices, (std::vector<GraphNotice>{GraphNotice{0, 5}}));
    EXPECT_TRUE(move.paint_now);
    EXPECT_DOUBLE_EQ(g.GetBandFreq(5), g.SnapFreq(g.ColumnFreq(x - g.Plot().left)));
    // 50 of the plot's 335 row steps of 36 dB: 5.37 dB, to the nearest tenth.
    EXPECT_DOUBLE_EQ(g.GetBandGain(5), 5.4);
    EXPECT_EQ(g.Handle(h).y, -50);
    GraphMove(g, x, -1000);
    EXPECT_DOUBLE_EQ(g.GetBandGain(5), 12.0);
    GraphMove(g, x, 5000);
    EXPECT_DOUBLE_EQ(g.GetBandGain(5), -24.0);
    EXPECT_EQ(g.ZeroY() + g.Handle(h).y, g.Plot().bottom);
    const GraphEffects release = GraphRelease(g, x, 5000);
    EXPECT_TRUE(release.notices.empty());
    EXPECT_TRUE(release.release_capture);
    EXPECT_FALSE(g.Dragging());
    EXPECT_EQ(g.Handle(h).x, g.ColumnOf(g.GetBandFreq(5)));
    // Past either end of the axis the band stops at its range.
    Drag(h, -500, g.ZeroY());
    EXPECT_DOUBLE_EQ(g.GetBandFreq(5), 19.7);
    Drag(h, 5000, g.ZeroY());
    EXPECT_DOUBLE_EQ(g.GetBandFreq(5), 20600);
}

TEST_F(GraphInteraction, PassHandlesStayInTheirRangesAndCannotCrossWhenAsked) {
    Drag(kHighPassHandle, 5000, 0);
    EXPECT_DOUBLE_EQ(g.GetPassFreq(0), 303);
    EXPECT_EQ(ValueLabelText(g, kHighPassHandle), L"F:303");
    EXPECT_EQ(g.Handle(kHighPassHandle).y, 80) << "pass handles keep their height";
    Drag(kHighPassHandle, -5000, 0);
    EXPECT_DOUBLE_EQ(g.GetPassFreq(0), 19);
    EXPECT_EQ(ValueLabelText(g, kHighPassHandle), L"F:OFF");
    Drag(kLowPassHandle, 0, 0);
    EXPECT_DOUBLE_EQ(g.GetPassFreq(1), 5990);
    const auto notices = Drag(kLowPassHandle, 5000, 0);
    EXPECT_EQ(notices, (std::vector<GraphNotice>{{2, 0}, {2, 0}}));

    ResponseGraph out;
    out.high_pass_below_low_pass = true;
    out.InitBands(7, 1066, 364);
    out.SetPassFreq(1, 1000);
    out.SetPassFreq(0, 500);
    auto drag = [&](int h, int x) {
        const GraphPoint c = HandleCentre(out, h);
        GraphPress(out, c.x, c.y);
        GraphMove(out, x, c.y);
        GraphRelease(out, x, c.y);
    };
    drag(kHighPassHandle, 5000);
    EXPECT_LE(out.GetPassFreq(0), 1000);
    EXPECT_LE(out.Handle(kHighPassHandle).x, out.Handle(kLowPassHandle).x);
    drag(kLowPassHandle, 0);
    EXPECT_GE(out.GetPassFreq(1), out.GetPassFreq(0));
    EXPECT_GE(out.Handle(kLowPassHandle).x, out.Handle(kHighPassHandle).x);
}

TEST_F(GraphInteraction, ShelvesMayBeKeptFromBoostingAndFrequenciesLocked) {
    g.shelves_may_boost = false;
    g.SetBandType(1, filter::kHighShelf);
    Drag(Band(1), At(Band(1)).x, g.Plot().top);
    EXPECT_DOUBLE_EQ(g.GetBandGain(1), 0.0);
    EXPECT_EQ(g.Handle(Band(1)).y, 0);
    Drag(Band(1), At(Band(1)).x, g.ZeroY() + 40);
    EXPECT_LT(g.GetBandGain(1), 0.0) << "cutting is allowed";
    Drag(Band(2), At(Band(2)).x, g.Plot().top);
    EXPECT_DOUBLE_EQ(g.GetBandGain(2), 12.0) << "a peaking band may boost";

    g.lock_band_frequency = true;
    const double hz = g.GetBandFreq(3);
    const int x = g.Handle(Band(3)).x;
    Drag(Band(3), At(Band(3)).x + 200, g.ZeroY() - 30);
    EXPECT_DOUBLE_EQ(g.GetBandFreq(3), hz);
    EXPECT_EQ(g.Handle(Band(3)).x, x);
    EXPECT_GT(g.GetBandGain(3), 0.0);
    Drag(kHighPassHandle, g.Plot().left + g.ColumnOf(100), 0);
    EXPECT_DOUBLE_EQ(g.GetPassFreq(0), g.SnapFreq(100)) << "pass filters are never locked";
}

TEST_F(GraphInteraction, QHandlesWidenAndNarrowTheBandAndAClickKeepsTheQ) {
    const int h = Band(6);
    // Neighbours away from the Q handles: a handle drawn over a Q handle takes the press (below).
    for (int b : {3, 4, 5, 7, 8, 9})
        g.SetBandFreq(b, 20600);
    Drag(h, At(h).x, At(h).y);
    ASSERT_EQ(g.selected, h);
    ASSERT_TRUE(QHandlesShown(g));
    for (double q : {0.4, 0.94, 1.5, 2.0, 12.7, 128.0}) {
        g.SetBandQ(6, q);
        for (bool left : {true, false}) {
            const GraphPoint c = left ? LeftQCentre(g) : RightQCentre(g);
            EXPECT_TRUE(GraphPress(g, c.x, c.y).notices.empty());
            EXPECT_TRUE(left ? g.left_q_pressed : g.right_q_pressed);
            const GraphEffects release = GraphRelease(g, c.x, c.y);
            EXPECT_EQ(release.notices, (std::vector<GraphNotice>{GraphNotice{0, 6}}));
            EXPECT_DOUBLE_EQ(g.GetBandQ(6), q) << (left ? "left" : "right") << " Q handle clicked at Q " << q;
            EXPECT_FALSE(g.left_q_pressed || g.right_q_pressed);
        }
    }
    // Out widens (lower Q), in narrows; both handles alike.
    g.SetBandQ(6, 2.0);
    const GraphPoint left = LeftQCentre(g);
    GraphPress(g, left.x, left.y);
    EXPECT_EQ(GraphMove(g, left.x - 20, left.y).notices.size(), 1u);
    const double wider = g.GetBandQ(6);
    EXPECT_LT(wider, 2.0);
    GraphRelease(g, left.x - 20, left.y);
    g.SetBandQ(6, 2.0);
    const GraphPoint right = RightQCentre(g);
    GraphPress(g, right.x, right.y);
    GraphMove(g, right.x + 20, right.y);
    EXPECT_DOUBLE_EQ(g.GetBandQ(6), wider);
    GraphMove(g, right.x - 15, right.y);
    EXPECT_GT(g.GetBandQ(6), 2.0);
    GraphMove(g, At(h).x - 5000, right.y);
    EXPECT_DOUBLE_EQ(g.GetBandQ(6), 128);
    GraphMove(g, At(h).x + 5000, right.y);
    EXPECT_DOUBLE_EQ(g.GetBandQ(6), 0.4);
    GraphRelease(g, At(h).x + 5000, right.y);
    // Handles only where they are drawn: not for a band without Q, nor for a pass filter.
    g.SetHandleHasQ(h, false);
    EXPECT_FALSE(QHandlesShown(g));
    g.SetHandleHasQ(h, true);
    g.show_q_handles = false;
    EXPECT_FALSE(QHandlesShown(g));
    g.show_q_handles = true;
    g.selected = kLowPassHandle;
    EXPECT_FALSE(QHandlesShown(g));
}

TEST_F(GraphInteraction, AHandleOverAQHandleTakesThePressAndNoQChanges) {
    // With 15 bands 56 pixels apart, the widest Q handles sit on a neighbour two bands away.
    const int h = Band(6);
    Drag(h, At(h).x, At(h).y);
    g.SetBandQ(6, 0.4);
    g.selected = h;
    const GraphPoint left = LeftQCentre(g);
    const int under = HandleAt(g, left.x, left.y);
    ASSERT_TRUE(g.IsBand(under) && under != h);
    const double under_q = g.Handle(under).q;
    EXPECT_EQ(GraphPress(g, left.x, left.y).notices, (std::vector<GraphNotice>{NoticeFor(under)}));
    EXPECT_EQ(g.selected, under);
    EXPECT_FALSE(g.left_q_pressed);
    GraphRelease(g, left.x, left.y);
    EXPECT_DOUBLE_EQ(g.Handle(under).q, under_q);
    EXPECT_DOUBLE_EQ(g.GetBandQ(6), 0.4);
}

TEST(QHandleDistance, RunsFrom124To24AndEveryStepRoundTrips) {
    EXPECT_EQ(QHandleDistance(0.4), 124);
    EXPECT_EQ(QHandleDistance(128), 24);
    for (int i = 0; i < kQTableSize; ++i) {
        const double q = kQTable[static_cast<std::size_t>(i)];
        EXPECT_EQ(QIndexForDistance(QHandleDistance(q) - 24), i) << q;
        if (i > 0) {
            EXPECT_LT(QHandleDistance(q), QHandleDistance(kQTable[static_cast<std::size_t>(i - 1)]));
        }
    }
    EXPECT_EQ(QIndexForDistance(-50), kQTableLast);
    EXPECT_EQ(QIndexForDistance(1000), 0);
}

TEST_F(GraphInteraction, WheelAndKeysStepTheSelectedHandle) {
    g.SetBandGain(2, 12);
    EXPECT_EQ(GraphWheel(g, 120).notices, (std::vector<GraphNotice>{GraphNotice{0, 2}}));
    EXPECT_DOUBLE_EQ(g.GetBandGain(2), 12.0);
    g.SetBandGain(2, 0);
    GraphWheel(g, 120);
    EXPECT_DOUBLE_EQ(g.GetBandGain(2), 0.1);
    GraphWheel(g, 0);
    GraphKeyDown(g, GraphKey::kDown);
    EXPECT_DOUBLE_EQ(g.GetBandGain(2), -0.1);
    GraphKeyDown(g, GraphKey::kUp);
    EXPECT_DOUBLE_EQ(g.GetBandGain(2), 0.0);
    // Pass filters move one table entry, down in frequency for a positive delta; the ranges do not apply.
    g.SetPassFreq(1, 20600);
    g.selected = kLowPassHandle;
    EXPECT_EQ(GraphWheel(g, -120).notices, (std::vector<GraphNotice>{GraphNotice{2, 0}}));
    EXPECT_DOUBLE_EQ(g.GetPassFreq(1), 20600);
    GraphWheel(g, 120);
    EXPECT_DOUBLE_EQ(g.GetPassFreq(1), 20200);
    EXPECT_EQ(g.Handle(kLowPassHandle).x, g.ColumnOf(20200));
    g.SetPassFreq(0, 19);
    g.selected = kHighPassHandle;
    GraphKeyDown(g, GraphKey::kUp);
    EXPECT_DOUBLE_EQ(g.GetPassFreq(0), 19);
    GraphWheel(g, -120);
    EXPECT_DOUBLE_EQ(g.GetPassFreq(0), 19.7);
    g.SetPassFreq(0, 303);
    g.selected = kHighPassHandle;
    GraphWheel(g, -120);
    EXPECT_DOUBLE_EQ(g.GetPassFreq(0), 309);
    EXPECT_EQ(g.label, kHighPassHandle);
}

TEST_F(GraphInteraction, RightClickMenuOpensFollowsThePointerAndNotifies) {
    EXPECT_FALSE(GraphRightButtonUp(g, 300, 200).redraw);
    EXPECT_EQ(g.menu, GraphMenu::kClosed);
    g.menu_enabled = true;
    GraphRightButtonUp(g, 300, 200);
    EXPECT_EQ(g.menu, GraphMenu::kCopy);
    GraphMove(g, 310, 225);
    EXPECT_EQ(g.menu, GraphMenu::kPaste);
    GraphMove(g, 353, 243);  // inside the five-pixel margin
    EXPECT_EQ(g.menu, GraphMenu::kPaste);
    // A left click outside leaves it open until the pointer moves away.
    EXPECT_TRUE(GraphPress(g, 420, 300).notices.empty());
    EXPECT_EQ(g.menu, GraphMenu::kPaste);
    GraphMove(g, 420, 300);
    EXPECT_EQ(g.menu, GraphMenu::kClosed);
    GraphRightButtonUp(g, 300, 200);
    EXPECT_EQ(GraphPress(g, 320, 210).notices, (std::vector<GraphNotice>{kCopyNotice}));
    EXPECT_EQ(g.menu, GraphMenu::kClosed);
    GraphRightButtonUp(g, 300, 200);
    EXPECT_EQ(GraphPress(g, 320, 230).notices, (std::vector<GraphNotice>{kPasteNotice}));
    EXPECT_EQ(g.menu, GraphMenu::kClosed);
}

// Every item of a strip page's menu, pressed where it is drawn, gives its own notice and nothing else, even
// where the menu lies over a band handle; opened at the plot's edge the menu stays inside it.
TEST_F(GraphInteraction, MenuItemsStackAndAPressOnOneIsThatItemsAlone) {
    struct Menu {
        std::vector<GraphMenu> items;
        std::vector<GraphNotice> notices;
        int width;
    };
    const Menu menus[] = {
        {{GraphMenu::kImport, GraphMenu::kExport}, {kImportNotice, kExportNotice}, kGraphWideMenuItemWidth},
        {{GraphMenu::kCopy, GraphMenu::kPaste, GraphMenu::kImport, GraphMenu::kExport},
         {kCopyNotice, kPasteNotice, kImportNotice, kExportNotice},
         kGraphWideMenuItemWidth},
        {{GraphMenu::kCopy, GraphMenu::kPaste}, {kCopyNotice, kPasteNotice}, kGraphMenuItemWidth},
    };
    const GraphPoint handle = At(Band(7));
    for (const Menu& m : menus) {
        SCOPED_TRACE(m.items.size());
        g.menu_enabled = true;
        g.menu_items = m.items;
        EXPECT_EQ(MenuItemWidth(g), m.width);
        for (std::size_t i = 0; i < m.items.size(); ++i) {
            // Opened so that item i lies over band 7's handle.
            GraphRightButtonUp(g, handle.x - 5, handle.y - kGraphMenuItemHeight * static_cast<int>(i) - 5);
            EXPECT_EQ(g.menu, m.items.front());
            const Rect r = MenuItemRect(g, m.items[i]);
            EXPECT_EQ(r.Height(), kGraphMenuItemHeight);
            EXPECT_EQ(MenuItemAt(g, r.left + 1, r.top + 1), m.items[i]);
            GraphMove(g, handle.x, handle.y);
            EXPECT_EQ(g.menu, m.items[i]) << "the item under the pointer is lit";
            const int selected = g.selected;
            const GraphEffects e = GraphPress(g, handle.x, handle.y);
            EXPECT_EQ(e.notices, (std::vector<GraphNotice>{m.notices[i]}));
            EXPECT_FALSE(e.capture) << "the handle under the item was not grabbed";
            EXPECT_EQ(g.selected, selected);
            EXPECT_EQ(g.menu, GraphMenu::kClosed);
        }
        EXPECT_EQ(MenuItemRect(g, GraphMenu::kClosed).Width(), 0);
    }
    // At the bottom right corner the menu opens up and to the left, whole inside the plot.
    GraphRightButtonUp(g, 1065, 363);
    const Rect last = MenuItemRect(g, g.menu_items.back());
    EXPECT_LE(last.right, g.Plot().right);
    EXPECT_LE(last.bottom, g.Plot().bottom);
    EXPECT_EQ(MenuItemAt(g, last.left + 1, last.bottom - 1), g.menu_items.back());
    // A menu without items does not open.
    g.menu_items.clear();
    g.menu = GraphMenu::kClosed;
    EXPECT_FALSE(GraphRightButtonUp(g, 300, 200).redraw);
    EXPECT_EQ(g.menu, GraphMenu::kClosed);
}

TEST_F(GraphInteraction, NothingHappensWhileInactiveAndHoverPicksTheLabel) {
    g.active = false;
    g.menu_enabled = true;
    const GraphPoint c = At(Band(4));
    EXPECT_TRUE(GraphPress(g, c.x, c.y).notices.empty());
    EXPECT_FALSE(g.Dragging());
    EXPECT_TRUE(GraphWheel(g, 120).notices.empty());
    GraphRightButtonUp(g, 10, 10);
    EXPECT_EQ(g.menu, GraphMenu::kClosed);
    g.active = true;
    EXPECT_EQ(GraphMove(g, c.x, c.y).cursor, GraphCursor::kHand);
    EXPECT_EQ(g.label, Band(4));
    EXPECT_EQ(GraphMove(g, c.x, c.y + 100).cursor, GraphCursor::kArrow);
    EXPECT_EQ(g.label, Band(4));
}

TEST_F(GraphInteraction, ValueLabelsReadTheHandleAndStayInsideThePlot) {
    g.SetBandFreq(0, 1000);
    g.SetBandQ(0, 1.5);
    g.SetBandGain(0, -3);
    EXPECT_EQ(ValueLabelText(g, Band(0)), L"F:1000 Q:1.50 G:-3.0");
    g.SetBandFreq(0, 50);
    EXPECT_EQ(ValueLabelText(g, Band(0)), L"F:50.0 Q:1.50 G:-3.0");
    g.SetHandleHasQ(Band(0), false);
    EXPECT_EQ(ValueLabelText(g, Band(0)), L"F:50.0 G:-3.0");
    g.free_frequencies = true;
    EXPECT_EQ(ValueLabelText(g, Band(0)), L"F:50 G:-3.0");
    g.free_frequencies = false;
    g.SetPassFreq(0, 50);
    EXPECT_EQ(ValueLabelText(g, kHighPassHandle), L"F:50.0");
    g.SetPassFreq(1, 20600);
    EXPECT_EQ(ValueLabelText(g, kLowPassHandle), L"F:OFF");
    g.SetPassFreq(1, 19800);
    EXPECT_EQ(ValueLabelText(g, kLowPassHandle), L"F:19800");

    const GraphPlot& plot = g.Plot();
    g.SetBandFreq(1, 19.7);  // x 0: the box would start left of the plot
    EXPECT_EQ(PlaceValueLabel(g, Band(1), 120, 16).x, plot.left + 12);
    g.SetBandFreq(1, 20600);
    const GraphPoint right = PlaceValueLabel(g, Band(1), 120, 16);
    EXPECT_EQ(right.x, plot.right - 120 - 12);
    EXPECT_EQ(right.y, g.ZeroY() + 12);
    g.SetBandGain(1, -24);  // at the bottom: the label goes above the handle
    EXPECT_EQ(PlaceValueLabel(g, Band(1), 120, 16).y, plot.bottom - 16 - 12);
    const GraphPoint wide = PlaceValueLabel(g, Band(1), plot.Width() + 40, 16);
    EXPECT_EQ(wide.x, plot.left - 20);
}

TEST_F(GraphInteraction, CurvePathsAndGridLines) {
    // A flat sum is one segment along the 0 dB line, to the last column.
    const auto flat = SumCurvePath(g);
    ASSERT_EQ(flat.size(), 2u);
    EXPECT_EQ(flat.front(), (GraphPoint{g.Plot().left, g.ZeroY()}));
    EXPECT_EQ(flat.back(), (GraphPoint{g.Plot().left + g.Columns() - 1, g.ZeroY()}));
    g.SetBandGain(3, 6);
    const auto bump = SumCurvePath(g);
    for (std::size_t i = 1; i + 1 < bump.size(); ++i)
        ASSERT_NE(bump[i].y, bump[i - 1].y);
    EXPECT_EQ(bump.back().x, g.Plot().left + g.Columns() - 1);
    // A band's outline closes along the 0 dB line; a high-pass one runs down past the plot's bottom.
    const auto band = SelectedCurveOutline(g);
    EXPECT_EQ(band.front(), (GraphPoint{g.Plot().left, g.ZeroY()}));
    EXPECT_EQ(band.back(), (GraphPoint{g.Plot().right, g.ZeroY()}));
    g.SetPassFreq(0, 200);
    const auto high = SelectedCurveOutline(g);
    EXPECT_EQ(high.front(), (GraphPoint{g.Plot().left, 2 * g.Plot().bottom}));
    EXPECT_EQ(high.back(), (GraphPoint{g.Plot().right, 2 * g.Plot().bottom}));

    const auto rows = GainGridLines(g);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows.front().position, g.Plot().top);
    EXPECT_EQ(rows.front().text, L"+12");
    EXPECT_EQ(rows[2].text, L"0");
    EXPECT_EQ(rows[2].position, g.ZeroY());
    EXPECT_EQ(rows.back().position, g.Plot().bottom);
    EXPECT_EQ(rows.back().text, L"-24");
    const auto columns = FrequencyGridLines(g);
    EXPECT_EQ(columns.front().position, g.Plot().left);
    EXPECT_EQ(columns.front().text, L"20");
    EXPECT_EQ(columns.back().position, g.Plot().right);
}

// The outline is filled as a closed cardinal spline (tension 0.5): each segment a Bezier curve whose
// control points lean along the neighbours' chord. The highest point of that fill inside the plot.
int HighestFilledY(const std::vector<GraphPoint>& outline, const GraphPlot& plot) {
    constexpr double kTension = 0.5;
    const std::size_t n = outline.size();
    double top = 1e9;
    for (std::size_t i = 0; i < n; ++i) {
        const GraphPoint& p0 = outline[(i + n - 1) % n];
        const GraphPoint& p1 = outline[i];
        const GraphPoint& p2 = outline[(i + 1) % n];
        const GraphPoint& p3 = outline[(i + 2) % n];
        const double c1x = p1.x + kTension / 3 * (p2.x - p0.x), c1y = p1.y + kTension / 3 * (p2.y - p0.y);
        const double c2x = p2.x - kTension / 3 * (p3.x - p1.x), c2y = p2.y - kTension / 3 * (p3.y - p1.y);
        for (int k = 0; k <= 64; ++k) {
            const double t = k / 64.0, u = 1 - t;
            const double x = u * u * u * p1.x + 3 * u * u * t * c1x + 3 * u * t * t * c2x + t * t * t * p2.x;
            const double y = u * u * u * p1.y + 3 * u * u * t * c1y + 3 * u * t * t * c2y + t * t * t * p2.y;
            if (x >= plot.left && x < plot.right)
                top = std::min(top, y);
        }
    }
    return static_cast<int>(std::floor(top));
}

TEST_F(GraphInteraction, AFlatSelectedCurveShadesNothingAboveTheZeroLine) {
    struct Case {
        const char* what;
        int handle;
        double hz;
    };
    const Case cases[] = {
        {"low-pass at OFF", kLowPassHandle, 20600},
        {"high-pass at OFF", kHighPassHandle, 19},
        {"a band at 0 dB", Band(7), 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.handle == kLowPassHandle || c.handle == kHighPassHandle)
            g.SetPassFreq(c.handle, c.hz);
        else
            g.SetBandFreq(c.handle - kFirstBandHandle, c.hz);
        ASSERT_EQ(g.LastRecomputed(), c.handle);
        EXPECT_GE(HighestFilledY(SelectedCurveOutline(g), g.Plot()), g.ZeroY() - 1);
    }
}

TEST(GraphAnimation, FramesCycleOneToFive) {
    ResponseGraph g;
    std::vector<int> frames;
    for (int i = 0; i < 7; ++i) {
        GraphTick(g);
        frames.push_back(g.frame);
    }
    EXPECT_EQ(frames, (std::vector<int>{2, 3, 4, 5, 1, 2, 3}));
}

}  // namespace
}  // namespace vela
