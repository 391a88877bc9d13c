#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "gui/controls/response_graph_win32.h"
#include "gui/support/win_test_support.h"
#include "gui/win/mem_dc_win32.h"

namespace vela {
namespace {

using testing::HostWindow;
using testing::Point;
using testing::Pump;

constexpr int kId = 2245;
constexpr int kLeft = 10;
constexpr int kTop = 10;

// The Music page's graph: 15 bands, high-pass 19 .. 303 Hz, low-pass 5990 .. 20600 Hz, 1066 x 364.
class ResponseGraphTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetCursorPos(1200, 780);
        ASSERT_TRUE(graph.Create(host.Hwnd(), kId, RECT{kLeft, kTop, kLeft + 1066, kTop + 364}));
        graph.SetRanges({19, 303}, {5990, 20600}, {19.7, 20600});
        graph.InitBands(15);
        Pump();
        host.Taken();
    }
    LRESULT Send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
        return SendMessageW(graph.Hwnd(), message, wparam, lparam);
    }
    GraphPoint At(int h) const { return HandleCentre(graph.Model(), h); }
    std::vector<GraphNotice> Notices() {
        std::vector<GraphNotice> out;
        for (const auto& n : host.TakenFor(kId))
            out.push_back({static_cast<int>(n.wparam), static_cast<int>(n.lparam)});
        return out;
    }
    // The graph as a page would paint it into its own picture.
    testing::Pixels Picture() {
        CMemDcClass page(host.Hwnd(), RECT{0, 0, kLeft + 1066, kTop + 364});
        graph.PaintTo(page.Dc(), 0);
        return testing::ReadPixels(page.Dc(), kLeft, kTop, 1066, 364);
    }

    HostWindow host{1100, 400};
    CLum_NewScope graph;
};

bool Magenta(std::uint32_t p) {
    return ((p >> 16) & 0xFF) > 140 && (p & 0xFF) > 140 && ((p >> 8) & 0xFF) < 100;
}

TEST_F(ResponseGraphTest, DraggingABandTellsThePageOnEveryMoveButNotOnRelease) {
    const int h = kFirstBandHandle + 4;
    const GraphPoint c = At(h);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(c.x, c.y));
    EXPECT_EQ(GetCapture(), graph.Hwnd());
    EXPECT_EQ(GetFocus(), graph.Hwnd());
    Send(WM_MOUSEMOVE, MK_LBUTTON, Point(c.x + 60, c.y - 40));
    Send(WM_MOUSEMOVE, MK_LBUTTON, Point(c.x + 80, 0));
    Send(WM_LBUTTONUP, 0, Point(c.x + 80, 0));
    EXPECT_NE(GetCapture(), graph.Hwnd());
    EXPECT_EQ(Notices(), (std::vector<GraphNotice>{{0, 4}, {0, 4}, {0, 4}}));
    EXPECT_DOUBLE_EQ(graph.GetBandGain(4), 12.0);
    EXPECT_GT(graph.GetBandFreq(4), graph.Model().ColumnFreq(c.x - 30));
    // The high-pass handle stops at its range and reports as handle 1.
    const GraphPoint hp = At(kHighPassHandle);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(hp.x, hp.y));
    Send(WM_MOUSEMOVE, MK_LBUTTON, Point(1000, hp.y));
    Send(WM_LBUTTONUP, 0, Point(1000, hp.y));
    EXPECT_DOUBLE_EQ(graph.GetPassFreq(0), 303);
    EXPECT_EQ(Notices(), (std::vector<GraphNotice>{{1, 0}, {1, 0}}));
}

TEST_F(ResponseGraphTest, WheelKeysAndQHandlesNotify) {
    const GraphPoint c = At(kFirstBandHandle + 7);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(c.x, c.y));
    Send(WM_LBUTTONUP, 0, Point(c.x, c.y));
    host.Taken();
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_DOUBLE_EQ(graph.GetBandGain(7), 0.1);
    Send(WM_KEYDOWN, VK_DOWN, 0);
    Send(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_DOUBLE_EQ(graph.GetBandGain(7), -0.1);
    EXPECT_EQ(Notices(), (std::vector<GraphNotice>{{0, 7}, {0, 7}, {0, 7}}));
    // Up and Down belong to the graph, not to the dialog manager.
    EXPECT_TRUE(Send(WM_GETDLGCODE, VK_UP, 0) & DLGC_WANTARROWS);
    // The right Q handle: a click keeps the Q and tells the page once; dragging out widens the band.
    graph.SetBandQ(7, 2.0);
    const GraphPoint q = RightQCentre(graph.Model());
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(q.x, q.y));
    Send(WM_LBUTTONUP, 0, Point(q.x, q.y));
    EXPECT_DOUBLE_EQ(graph.GetBandQ(7), 2.0);
    EXPECT_EQ(Notices(), (std::vector<GraphNotice>{{0, 7}}));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(q.x, q.y));
    Send(WM_MOUSEMOVE, MK_LBUTTON, Point(q.x + 25, q.y));
    Send(WM_LBUTTONUP, 0, Point(q.x + 25, q.y));
    EXPECT_LT(graph.GetBandQ(7), 2.0);
    EXPECT_EQ(Notices().size(), 2u);
}

TEST_F(ResponseGraphTest, RightClickMenuCopiesAndPastesOnlyWhenEnabled) {
    Send(WM_RBUTTONUP, 0, Point(300, 60));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(310, 70));
    EXPECT_TRUE(Notices().empty());
    graph.SetMenuEnabled(true);
    Send(WM_RBUTTONUP, 0, Point(300, 60));
    EXPECT_EQ(graph.Model().menu, GraphMenu::kCopy);
    const auto open = Picture();
    EXPECT_GT(open.Brightness(300, 60, 350, 100), 200) << "two light items";
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(310, 70));
    EXPECT_EQ(Notices(), (std::vector<GraphNotice>{kCopyNotice}));
    Send(WM_RBUTTONUP, 0, Point(300, 60));
    Send(WM_MOUSEMOVE, 0, Point(310, 90));
    EXPECT_EQ(graph.Model().menu, GraphMenu::kPaste);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(310, 90));
    EXPECT_EQ(Notices(), (std::vector<GraphNotice>{kPasteNotice}));
    EXPECT_EQ(graph.Model().menu, GraphMenu::kClosed);
    const auto closed = Picture();
    EXPECT_LT(closed.Brightness(300, 60, 350, 100), 100);
}

TEST_F(ResponseGraphTest, TheZeroLineIsOneThirdDownAndTheOverlayShowsOnlyWhenPassed) {
    const GraphPlot& plot = graph.Model().Plot();
    const int third = plot.top + plot.Height() / 3;
    // A column between two handles: the flat sum curve crosses it on the 0 dB line.
    const int x = plot.left + 302;
    const auto flat = Picture();
    int first = -1, last = -1;
    for (int y = 0; y < 364; ++y) {
        if (Magenta(flat.At(x, y))) {
            first = first < 0 ? y : first;
            last = y;
        }
    }
    ASSERT_GE(first, 0) << "no sum curve in column " << x;
    EXPECT_LE(std::abs(first - third), 1);
    EXPECT_LE(last - first, 2);
    // A boost lifts the curve.
    graph.SetBandFreq(5, graph.Model().ColumnFreq(302));
    graph.SetBandGain(5, 12);
    const auto lifted = Picture();
    // Left of the handle and its label: the curve's flank, far above the 0 dB line.
    int top = 364;
    for (int column = x - 45; column < x - 31; ++column) {
        for (int y = 0; y < 364; ++y) {
            if (Magenta(lifted.At(column, y))) {
                top = std::min(top, y);
                break;
            }
        }
    }
    EXPECT_LT(top, third - 60);
    EXPECT_GE(top, plot.top - 1);

    const GraphPoint at = EqPassOrigin(graph.Model());
    const double active = Picture().Brightness(at.x, at.y, at.x + 300, at.y + 60);
    graph.SetEqActive(0);
    EXPECT_EQ(graph.IsEqActive(), 0);
    const double passed = Picture().Brightness(at.x, at.y, at.x + 300, at.y + 60);
    EXPECT_GT(passed, active + 5) << "EQ PASS written over the plot";
    graph.SetEqActive(1);
    EXPECT_DOUBLE_EQ(Picture().Brightness(at.x, at.y, at.x + 300, at.y + 60), active);
}

TEST_F(ResponseGraphTest, AnimationRunsOnlyWhenAskedAndSelectsTheFirstBand) {
    graph.SetAnimation(1);
    EXPECT_TRUE(graph.Animating());
    EXPECT_EQ(graph.Model().selected, kFirstBandHandle);
    const int frame = graph.Model().frame;
    EXPECT_TRUE(testing::PumpUntil([&] { return graph.Model().frame != frame; }, std::chrono::seconds(2)));
    graph.SetAnimation(0);
    EXPECT_FALSE(graph.Animating());
    Pump();
    const int stopped = graph.Model().frame;
    testing::PumpUntil([] { return false; }, std::chrono::milliseconds(250));
    EXPECT_EQ(graph.Model().frame, stopped);
    // While hidden the timer does nothing.
    graph.SetAnimation(2);
    ShowWindow(graph.Hwnd(), SW_HIDE);
    const int hidden = graph.Model().frame;
    testing::PumpUntil([] { return false; }, std::chrono::milliseconds(250));
    EXPECT_EQ(graph.Model().frame, hidden);
    graph.SetAnimation(0);
}

// An animation frame changes the selected handle's square on the screen and nothing else, without a paint
// message, and leaves on the screen what a full paint of the same frame draws, pixel for pixel: a handle
// alone, one under a neighbour and its value label, and one under the open menu.
TEST_F(ResponseGraphTest, AnimationFramesChangeOnlyTheSelectedHandleOnScreenAsAFullPaintWould) {
    const auto tick = [&] { Send(WM_TIMER, CLum_NewScope::kAnimationTimer, 0); };
    const auto hover = [&](int h) { Send(WM_MOUSEMOVE, 0, Point(At(h).x, At(h).y - 6)); };
    const struct {
        const char* name;
        std::function<void()> arrange;
    } cases[] = {
        {"alone", [&] { graph.SetBandGain(4, 3.0); }},
        {"under a neighbour and its label",
         [&] {
             graph.SetBandFreq(1, graph.GetBandFreq(0));
             graph.SetBandGain(0, 0.0);
             graph.SetBandGain(1, -2.0);  // selected, about 19 pixels below band 0
             hover(kFirstBandHandle);     // band 0's label now lies over band 1
         }},
        {"under the menu",
         [&] {
             graph.SetMenuEnabled(true);
             graph.SetBandGain(6, -6.0);
             Send(WM_RBUTTONUP, 0, Point(At(kFirstBandHandle + 6).x - 10, At(kFirstBandHandle + 6).y - 10));
         }},
    };
    // What the screen shows of the graph (colour only: the window's alpha byte is not the picture's).
    const auto screen = [&] {
        WindowDc dc(graph.Hwnd());
        auto p = testing::ReadPixels(dc.Get(), 0, 0, 1066, 364);
        for (auto& v : p.data)
            v &= 0xFFFFFF;
        return p;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        UpdateWindow(graph.Hwnd());
        const GraphPoint origin = HandleSpriteOrigin(graph.Model(), graph.Model().selected);
        const RECT square{origin.x, origin.y, origin.x + kGraphHandleSize, origin.y + kGraphHandleSize};
        // Three frames that change the look (a frame drawn as the one before it changes nothing).
        auto shown = screen();
        int changed_frames = 0;
        for (int ticks = 0; ticks < 6 && changed_frames < 3; ++ticks) {
            tick();
            EXPECT_FALSE(GetUpdateRect(graph.Hwnd(), nullptr, FALSE)) << "no paint message";
            const auto now = screen();
            int changed = 0, outside = 0;
            for (int y = 0; y < now.height; ++y) {
                for (int x = 0; x < now.width; ++x) {
                    if (now.At(x, y) == shown.At(x, y))
                        continue;
                    ++changed;
                    const POINT at{x, y};
                    outside += PtInRect(&square, at) ? 0 : 1;
                }
            }
            EXPECT_EQ(outside, 0);
            changed_frames += changed > 0 ? 1 : 0;
            shown = now;
        }
        EXPECT_EQ(changed_frames, 3);
        graph.SetShowSelectedCurve(true);  // the whole face again, at the same frame
        auto full = Picture();
        for (auto& v : full.data)
            v &= 0xFFFFFF;
        int differing = 0;
        for (std::size_t i = 0; i < full.data.size(); ++i)
            differing += full.data[i] != shown.data[i] ? 1 : 0;
        EXPECT_EQ(differing, 0);
        graph.SetMenuEnabled(false);
        UpdateWindow(graph.Hwnd());
    }
}

TEST_F(ResponseGraphTest, TinyAndResizedGraphsKeepWorking) {
    CLum_NewScope tiny;
    ASSERT_TRUE(tiny.Create(host.Hwnd(), kId, RECT{0, 0, 6, 4}));
    tiny.InitBands(7);
    tiny.SetBandGain(2, 6);
    SendMessageW(tiny.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(1, 1));
    SendMessageW(tiny.Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, Point(3, 3));
    SendMessageW(tiny.Hwnd(), WM_LBUTTONUP, 0, Point(3, 3));
    SendMessageW(tiny.Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    UpdateWindow(tiny.Hwnd());
    MoveWindow(tiny.Hwnd(), 0, 0, 0, 0, TRUE);
    UpdateWindow(tiny.Hwnd());
    MoveWindow(tiny.Hwnd(), 0, 0, 400, 200, TRUE);
    EXPECT_EQ(tiny.Model().Columns(), 400 - 48);
    EXPECT_DOUBLE_EQ(tiny.GetBandGain(2), 6.1) << "the wheel reached the selected band";
    // A resize keeps every frequency and rebuilds the picture at the new size.
    graph.SetBandFreq(3, 1000);
    MoveWindow(graph.Hwnd(), kLeft, kTop, 700, 300, TRUE);
    Pump();
    EXPECT_EQ(graph.Model().Columns(), 652);
    EXPECT_DOUBLE_EQ(graph.GetBandFreq(3), 1000);
    EXPECT_EQ(graph.Model().Handle(kFirstBandHandle + 3).x, graph.Model().ColumnOf(1000));
}

// A timed run, not a timed assertion: the mean drag step (recompute, notify, paint into the frame buffer and
// onto the screen) of a full-width graph and its mean animation frame are printed for the record.
TEST(ResponseGraphTiming, DragStepsOfAFullWidthGraph) {
    SetCursorPos(1200, 780);
    HostWindow host(1140, 420);
    CLum_NewScope graph;
    ASSERT_TRUE(graph.Create(host.Hwnd(), kId, RECT{0, 0, 1066 + 48, 380}));
    graph.InitBands(15);
    graph.SetPassType(24);
    graph.SetPassFreq(0, 80);
    graph.SetPassType(21);
    graph.SetPassFreq(1, 16000);
    for (int b = 0; b < 15; ++b)
        graph.SetBandGain(b, (b % 5) - 2.0);
    UpdateWindow(graph.Hwnd());
    Pump();
    const GraphPoint c = HandleCentre(graph.Model(), kFirstBandHandle + 7);
    SendMessageW(graph.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(c.x, c.y));
    constexpr int kSteps = 200;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kSteps; ++i)
        SendMessageW(graph.Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, Point(c.x - 100 + i, c.y - 60 + (i % 120)));
    const auto took = std::chrono::steady_clock::now() - start;
    SendMessageW(graph.Hwnd(), WM_LBUTTONUP, 0, Point(c.x + 100, c.y));
    EXPECT_EQ(host.TakenFor(kId).size(), static_cast<std::size_t>(kSteps + 1));
    const double ms = std::chrono::duration<double, std::milli>(took).count() / kSteps;
    std::printf("[ timing ] drag step of a 1066-column graph, 15 bands: %.2f ms\n", ms);
    RecordProperty("drag_step_us", static_cast<int>(ms * 1000));

    // An animation frame, painted to the screen.
    UpdateWindow(graph.Hwnd());
    constexpr int kTicks = 200;
    const auto ticking = std::chrono::steady_clock::now();
    for (int i = 0; i < kTicks; ++i) {
        SendMessageW(graph.Hwnd(), WM_TIMER, CLum_NewScope::kAnimationTimer, 0);
        UpdateWindow(graph.Hwnd());
    }
    const double tick_ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - ticking).count() /
        kTicks;
    std::printf("[ timing ] animation frame of the same graph: %.3f ms\n", tick_ms);
    RecordProperty("animation_frame_us", static_cast<int>(tick_ms * 1000));
}

}  // namespace
}  // namespace vela
