#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/support/win_test_support.h"
#include "gui/win/skinned_control_win32.h"

namespace vela {
namespace {

using testing::HostWindow;
using testing::ReadPixels;

constexpr COLORREF kFaceColour = RGB(0x20, 0xC0, 0x40);

// The smallest skinned control: a solid face, with counters for the hooks the base calls.
class ProbeControl : public CSkinnedControl {
  public:
    ~ProbeControl() override { Destroy(); }
    bool Create(HWND parent, const RECT& rect) {
        return CreateControl(L"STATIC", L"", WS_CHILD | WS_VISIBLE, rect, parent, 4100);
    }
    void UseBackground(HDC background) { SetParentBackground(background); }

    int faces = 0;
    int resized = 0;
    int state_changes = 0;
    int last_width = 0;
    std::vector<std::string> heard;  // the input hooks called, with what they were given
    bool take = true;
    bool arrows = false;

  protected:
    bool Heard(std::string what) {
        heard.push_back(std::move(what));
        return take;
    }
    static std::string At(POINT p) { return std::to_string(p.x) + "," + std::to_string(p.y); }
    bool OnPress(POINT p, bool double_click) override {
        return Heard((double_click ? "double " : "press ") + At(p));
    }
    bool OnRelease(POINT p) override { return Heard("release " + At(p)); }
    bool OnPointerMove(POINT p) override { return Heard("move " + At(p)); }
    bool OnWheel(int delta) override { return Heard("wheel " + std::to_string(delta)); }
    bool OnKey(WPARAM key) override { return Heard("key " + std::to_string(key)); }
    bool OnCaptureChanged(bool lost) override { return Heard(lost ? "capture lost" : "capture kept"); }
    bool WantsArrowKeys() const override { return arrows; }

    void DrawFace(HDC face, int width, int height) override {
        ++faces;
        UniqueBrush brush(CreateSolidBrush(kFaceColour));
        RECT r{0, 0, width, height};
        FillRect(face, &r, brush.Get());
    }
    void OnResized(int width, int) override {
        ++resized;
        last_width = width;
    }
    void OnStateChanged() override { ++state_changes; }
};

class SkinnedControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(control.Create(host.Hwnd(), RECT{10, 10, 90, 40}));
        control.UseBackground(host.Background());
    }
    // The colour of the control's middle after painting it into an off-screen picture.
    std::uint32_t PaintedCentre() {
        control.PaintTo(canvas.Dc(), 0);
        return ReadPixels(canvas.Dc(), 50, 25, 1, 1).At(0, 0) & 0xFFFFFF;
    }
    static std::uint32_t Bgr(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

    HostWindow host;
    ProbeControl control;
    CMemDcClass canvas{host.Hwnd(), RECT{0, 0, 200, 100}};
};

TEST_F(SkinnedControlTest, FaceIsRenderedOnlyWhenSomethingChanged) {
    EXPECT_EQ(PaintedCentre(), Bgr(kFaceColour));
    const int after_first = control.faces;
    EXPECT_EQ(after_first, 1);
    PaintedCentre();
    SendMessageW(control.Hwnd(), WM_PAINT, 0, 0);
    EXPECT_EQ(control.faces, after_first) << "an unchanged face is copied, not drawn again";

    control.SetCaption(L"Level");
    PaintedCentre();
    EXPECT_EQ(control.faces, after_first + 1);
}

TEST_F(SkinnedControlTest, HiddenFaceShowsTheParentBackgroundAndStateChangesAreHeard) {
    control.SetShown(false);
    EXPECT_EQ(control.state_changes, 1);
    const int faces = control.faces;
    EXPECT_NE(PaintedCentre(), Bgr(kFaceColour));
    EXPECT_EQ(control.faces, faces) << "no face is drawn while hidden";
    control.SetShown(true);
    EXPECT_EQ(PaintedCentre(), Bgr(kFaceColour));
    control.SetEnabled(false);
    EXPECT_EQ(control.state_changes, 3);
    EXPECT_FALSE(control.Enabled());
}

TEST_F(SkinnedControlTest, CaptionAnswersTheTextMessages) {
    SetWindowTextW(control.Hwnd(), L"Mic Max");
    EXPECT_EQ(control.Caption(), L"Mic Max");
    EXPECT_EQ(GetWindowTextLengthW(control.Hwnd()), 7);
    wchar_t small[4] = {};
    EXPECT_EQ(GetWindowTextW(control.Hwnd(), small, 4), 3);
    EXPECT_STREQ(small, L"Mic");
}

TEST_F(SkinnedControlTest, ResizingRecomputesAndNeverErases) {
    SetWindowPos(control.Hwnd(), nullptr, 0, 0, 120, 30, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_GE(control.resized, 1);
    EXPECT_EQ(control.last_width, 120);
    EXPECT_EQ(SendMessageW(control.Hwnd(), WM_ERASEBKGND, 0, 0), TRUE);
    const int faces = control.faces;
    PaintedCentre();
    EXPECT_EQ(control.faces, faces + 1) << "a new size draws a new face";
}

TEST_F(SkinnedControlTest, InputReachesItsHookDecodedOnce) {
    // A drag beyond the left or top edge gives negative coordinates: they must stay negative.
    const struct {
        UINT message;
        WPARAM wparam;
        LPARAM lparam;
        std::string heard;
    } cases[] = {
        {WM_LBUTTONDOWN, MK_LBUTTON, testing::Point(12, 7), "press 12,7"},
        {WM_LBUTTONDBLCLK, MK_LBUTTON, testing::Point(3, 4), "double 3,4"},
        {WM_LBUTTONUP, 0, testing::Point(-5, 9), "release -5,9"},
        {WM_MOUSEMOVE, MK_LBUTTON, testing::Point(30, -2), "move 30,-2"},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), testing::Point(500, 500),
         "wheel -120"},
        {WM_KEYDOWN, VK_LEFT, 0, "key 37"},
        {WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(host.Hwnd()), "capture lost"},
        {WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(control.Hwnd()), "capture kept"},
    };
    for (const auto& c : cases) {
        control.heard.clear();
        EXPECT_EQ(SendMessageW(control.Hwnd(), c.message, c.wparam, c.lparam), 0) << c.heard;
        EXPECT_EQ(control.heard, std::vector<std::string>{c.heard});
    }
}

TEST_F(SkinnedControlTest, ArrowKeysAreAskedForOnlyByControlsThatStepWithThem) {
    const LRESULT system = SendMessageW(control.Hwnd(), WM_GETDLGCODE, 0, 0);
    EXPECT_EQ(system & DLGC_WANTARROWS, 0);
    control.arrows = true;
    EXPECT_EQ(SendMessageW(control.Hwnd(), WM_GETDLGCODE, 0, 0), system | DLGC_WANTARROWS);
    EXPECT_TRUE(control.heard.empty());
}

}  // namespace
}  // namespace vela
