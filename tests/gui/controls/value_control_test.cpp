#include <gtest/gtest.h>

#include <cmath>

#include "gui/controls/value_control_win32.h"
#include "gui/support/win_test_support.h"
#include "res/resource.h"

namespace vela {
namespace {

using testing::HostWindow;
using testing::Point;
using testing::Pump;

constexpr int kId = 3024;

class ValueControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetCursorPos(1200, 780);
        ASSERT_TRUE(control.Create(host.Hwnd(), kId, RECT{20, 20, 20 + 340, 20 + 66}));
        control.SetIndex(4);
        control.SetCaptioned(true);
    }
    void Skin() {
        control.SetSkin(host.Background(), IDP_VALUE_CONTROL, 0);
        Pump();  // the posted size message computes the geometry
    }
    HWND Hwnd() const { return control.Hwnd(); }
    LRESULT Send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
        return SendMessageW(Hwnd(), message, wparam, lparam);
    }
    void Wheel(int notches) {
        Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(notches * WHEEL_DELTA)), 0);
    }
    POINT ThumbCentre() const {
        const Rect r = ThumbRect(control.Geometry(), control.Range(), control.ShownValue());
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    HostWindow host;
    CEA_Lum2 control;
};

TEST_F(ValueControlTest, WheelQuantisesAroundTheFineThresholdAndNotifies) {
    control.SetRange(-60, 12);
    Skin();
    control.SetValue(-0.3);
    host.Taken();
    Wheel(1);
    EXPECT_NEAR(control.GetValue(), -0.2, 1e-9);
    control.SetValue(0);
    Wheel(1);
    EXPECT_DOUBLE_EQ(control.GetValue(), 1.0);
    control.SetValue(0);
    Wheel(-1);
    EXPECT_NEAR(control.GetValue(), -0.1, 1e-9);
    const auto sent = host.TakenFor(kId);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].wparam, 4u);
    EXPECT_EQ(sent[1].lparam, 1);
    EXPECT_EQ(sent[2].lparam, 0);  // -0.1 truncated toward zero
}

TEST_F(ValueControlTest, DragFollowsThePointerAndClampsPastTheEnds) {
    control.SetRange(-60, 12);
    Skin();
    control.SetValue(-20);
    host.Taken();
    const POINT thumb = ThumbCentre();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(thumb.x, thumb.y));
    EXPECT_TRUE(control.Dragging());
    EXPECT_EQ(GetCapture(), Hwnd());
    Send(WM_MOUSEMOVE, MK_LBUTTON, Point(thumb.x + 40, thumb.y));
    const double moved = control.GetValue();
    EXPECT_GT(moved, -20.0);
    EXPECT_NEAR(moved * 10, std::round(moved * 10), 1e-6);  // quantised to tenths below the threshold
    Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(-400), thumb.y));
    EXPECT_DOUBLE_EQ(control.GetValue(), -60.0);
    Send(WM_MOUSEMOVE, MK_LBUTTON, Point(5000, thumb.y));
    EXPECT_DOUBLE_EQ(control.GetValue(), 12.0);
    Send(WM_LBUTTONUP, 0, Point(5000, thumb.y));
    EXPECT_FALSE(control.Dragging());
    EXPECT_NE(GetCapture(), Hwnd());
    const auto sent = host.TakenFor(kId);
    ASSERT_EQ(sent.size(), 5u);  // grab, three moves, release
    EXPECT_EQ(sent[2].lparam, -60);
    EXPECT_EQ(sent[4].lparam, 12);
    // Moves after the release change nothing.
    Send(WM_MOUSEMOVE, 0, Point(thumb.x, thumb.y));
    EXPECT_DOUBLE_EQ(control.GetValue(), 12.0);
}

TEST_F(ValueControlTest, ToggleCarriesItsSwitchInsideTheValue) {
    control.SetToggleMode(true);
    control.SetRange(0, 300);
    Skin();
    EXPECT_TRUE(control.ToggleOn());  // a freshly skinned toggle control starts on
    control.SetValue(700);
    EXPECT_TRUE(control.ToggleOn());
    EXPECT_DOUBLE_EQ(control.ShownValue(), 200);
    EXPECT_DOUBLE_EQ(control.GetValue(), 700);
    host.Taken();
    const POINT thumb = ThumbCentre();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(thumb.x, thumb.y));
    Send(WM_MOUSEMOVE, MK_LBUTTON, Point(thumb.x + 30, thumb.y));
    Send(WM_LBUTTONUP, 0, Point(thumb.x + 30, thumb.y));
    for (const auto& n : host.TakenFor(kId))
        EXPECT_LT(n.lparam, 500) << "the level only";
    const double level = control.ShownValue();
    EXPECT_DOUBLE_EQ(control.GetValue(), level + 500);
    // A click on the toggle box switches it off and tells the page.
    const Rect box = control.Geometry().toggle_box;
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point((box.left + box.right) / 2, (box.top + box.bottom) / 2));
    Send(WM_LBUTTONUP, 0, Point((box.left + box.right) / 2, (box.top + box.bottom) / 2));
    EXPECT_FALSE(control.ToggleOn());
    EXPECT_DOUBLE_EQ(control.GetValue(), level);
    EXPECT_EQ(host.TakenFor(kId).size(), 1u);
    control.SetValue(499);
    EXPECT_FALSE(control.ToggleOn());
    EXPECT_DOUBLE_EQ(control.GetValue(), 499);
}

TEST_F(ValueControlTest, ArrowKeysStepAndUpDownAreSwallowed) {
    control.SetUpperLimit(100);
    Skin();
    control.SetValue(50);
    EXPECT_EQ(GetFocus(), Hwnd());  // SetValue on a visible control takes the focus
    EXPECT_TRUE(Send(WM_GETDLGCODE) & DLGC_WANTARROWS);
    host.Taken();
    Send(WM_KEYDOWN, VK_RIGHT);
    EXPECT_DOUBLE_EQ(control.GetValue(), 51);
    Send(WM_KEYDOWN, VK_LEFT);
    Send(WM_KEYDOWN, VK_LEFT);
    EXPECT_DOUBLE_EQ(control.GetValue(), 49);
    Send(WM_KEYDOWN, VK_UP);
    Send(WM_KEYDOWN, VK_DOWN);
    EXPECT_DOUBLE_EQ(control.GetValue(), 49);
    EXPECT_EQ(host.TakenFor(kId).size(), 3u);
}

TEST_F(ValueControlTest, ClicksBesideTheThumbStepTowardsThem) {
    control.SetUpperLimit(100);
    control.SetFineThreshold(250);  // fine steps everywhere in this range
    Skin();
    control.SetValue(50);
    const POINT thumb = ThumbCentre();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(thumb.x + 60, thumb.y));
    EXPECT_NEAR(control.GetValue(), 50.1, 1e-9);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(thumb.x - 60, thumb.y));
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(thumb.x - 60, thumb.y));
    EXPECT_NEAR(control.GetValue(), 49.9, 1e-9);
    EXPECT_TRUE(control.Focused());
}

TEST_F(ValueControlTest, DisabledOrHiddenIgnoresTheMouseButStillPaints) {
    Skin();
    control.SetValue(30);
    control.SetEnabled(false);
    host.Taken();
    const POINT thumb = ThumbCentre();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(thumb.x, thumb.y));
    Wheel(2);
    EXPECT_FALSE(control.Dragging());
    EXPECT_DOUBLE_EQ(control.GetValue(), 30);
    EXPECT_TRUE(host.Taken().empty());
    // The thumb is not drawn: the face differs from the enabled one around it.
    UniqueDc dc(CreateCompatibleDC(nullptr));
    WindowDc screen(Hwnd());
    UniqueBitmap target(CreateCompatibleBitmap(screen.Get(), 640, 400));
    ScopedSelect select(dc.Get(), target.Get());
    control.PaintTo(dc.Get(), 0);
    const auto disabled = testing::ReadPixels(dc.Get(), 20 + thumb.x - 6, 20 + thumb.y - 4, 12, 8);
    control.SetEnabled(true);
    control.PaintTo(dc.Get(), 0);
    const auto enabled = testing::ReadPixels(dc.Get(), 20 + thumb.x - 6, 20 + thumb.y - 4, 12, 8);
    EXPECT_GT(enabled.Brightness(0, 0, 12, 8), disabled.Brightness(0, 0, 12, 8) + 40);
    control.SetShown(false);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(thumb.x, thumb.y));
    EXPECT_FALSE(control.Dragging());
}

TEST_F(ValueControlTest, TextMessagesAnswerFromTheCaption) {
    Skin();
    SetWindowTextW(Hwnd(), L"Music:  42%");
    EXPECT_EQ(control.Caption(), L"Music:  42%");
    wchar_t buffer[64]{};
    EXPECT_EQ(GetWindowTextW(Hwnd(), buffer, 64), 11);
    EXPECT_STREQ(buffer, L"Music:  42%");
    EXPECT_EQ(GetWindowTextW(Hwnd(), buffer, 6), 5);  // cut to the buffer, terminated
    EXPECT_STREQ(buffer, L"Music");
    control.SetValueFormat(L"Mic:%3.0f%%");
    control.SetValue(57.4);
    UpdateWindow(Hwnd());
    EXPECT_EQ(control.Caption(), L"Mic: 57%");
}

TEST_F(ValueControlTest, MissingSkinLeavesTheControlWithoutImageButWorking) {
    control.SetSkin(host.Background(), 9999, 0);
    Pump();
    EXPECT_TRUE(control.SkinLoaded());
    EXPECT_FALSE(control.HasImage());
    control.SetValue(1e9);
    RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_DOUBLE_EQ(control.GetValue(), 100);  // clamped by the paint
    Wheel(1);
    EXPECT_DOUBLE_EQ(control.GetValue(), 100);
}

}  // namespace
}  // namespace vela
