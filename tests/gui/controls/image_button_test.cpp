#include <gtest/gtest.h>

#include "core/ui/text_layout.h"
#include "gui/controls/image_button_win32.h"
#include "gui/support/win_test_support.h"
#include "res/resource.h"

namespace vela {
namespace {

using testing::HostWindow;
using testing::Point;
using testing::Pump;

constexpr int kId = 6024;

class ButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetCursorPos(1200, 780);
        ASSERT_TRUE(button.Create(host.Hwnd(), kId, RECT{30, 30, 30 + 120, 30 + 34}, L"EQ PASS"));
        button.SetIndex(3);
        button.SetSkin(host.Background(), IDP_BUTTON);
        button.SetTextStyle(14, L"微软雅黑", 0xFFE0E4E8, kTextCentre | kTextMiddle | kTextSingleLine,
                            0xFFFFFFFF);
        host.Taken();
    }
    void Send(UINT message, WPARAM wparam, LPARAM lparam) {
        SendMessageW(button.Hwnd(), message, wparam, lparam);
    }
    void Click(int x = 40, int y = 15) {
        Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y));
        Send(WM_LBUTTONUP, 0, Point(x, y));
        Pump();
    }
    // Mean brightness of the face, rendered off-screen at the button's place in the host.
    double FaceBrightness() {
        WindowDc screen(host.Hwnd());
        UniqueDc dc(CreateCompatibleDC(screen.Get()));
        UniqueBitmap target(CreateCompatibleBitmap(screen.Get(), 200, 100));
        ScopedSelect select(dc.Get(), target.Get());
        button.PaintTo(dc.Get(), 0);
        return testing::ReadPixels(dc.Get(), 30, 30, 120, 34).Brightness(4, 4, 116, 30);
    }

    HostWindow host;
    CGDI_Button button;
};

TEST_F(ButtonTest, PushButtonPostsOnReleaseAndKeepsItsState) {
    Click();
    Click();
    EXPECT_EQ(button.GetCheck(), CGDI_Button::kPush);
    const auto posted = host.TakenFor(kId);
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].wparam, 3u);
    EXPECT_EQ(posted[0].lparam, 3);
}

TEST_F(ButtonTest, LatchingButtonAlternatesAndThePageReadsTheNewState) {
    button.SetCheck(CGDI_Button::kLatchOff);
    Click();
    EXPECT_EQ(button.GetCheck(), CGDI_Button::kLatchOn);
    Click();
    EXPECT_EQ(button.GetCheck(), CGDI_Button::kLatchOff);
    Click();
    EXPECT_EQ(button.GetCheck(), CGDI_Button::kLatchOn);
    EXPECT_EQ(host.TakenFor(kId).size(), 3u);
}

TEST_F(ButtonTest, ReleaseAnywhereAfterAPressStillCounts) {
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(40, 15));
    EXPECT_TRUE(button.Pressed());
    EXPECT_EQ(GetCapture(), button.Hwnd());
    Send(WM_MOUSEMOVE, MK_LBUTTON, Point(400, 300));  // no hover change while pressed
    EXPECT_TRUE(button.Pressed());
    Send(WM_LBUTTONUP, 0, Point(400, 300));
    Pump();
    EXPECT_EQ(host.TakenFor(kId).size(), 1u);
    EXPECT_FALSE(button.Pressed());
    EXPECT_FALSE(button.Hovering());
    EXPECT_NE(GetCapture(), button.Hwnd());
    // A release without a press is nothing.
    Send(WM_LBUTTONUP, 0, Point(40, 15));
    Pump();
    EXPECT_TRUE(host.Taken().empty());
}

TEST_F(ButtonTest, HoverCapturesUntilThePointerLeaves) {
    const double plain = FaceBrightness();
    Send(WM_MOUSEMOVE, 0, Point(40, 15));
    EXPECT_TRUE(button.Hovering());
    EXPECT_EQ(GetCapture(), button.Hwnd());
    EXPECT_GT(FaceBrightness(), plain + 3);  // the hover frame lightens the face
    Send(WM_MOUSEMOVE, 0, Point(0, 0));      // the one-pixel rim is outside the active area
    EXPECT_FALSE(button.Hovering());
    EXPECT_NE(GetCapture(), button.Hwnd());
}

// The skin strip holds the normal face beside a red latched one; stretched wide, the normal face must not
// pick up a red seam from its neighbour.
TEST_F(ButtonTest, AStretchedFaceShowsNothingOfTheNeighbouringSprite) {
    CGDI_Button wide;
    ASSERT_TRUE(wide.Create(host.Hwnd(), kId + 1, RECT{0, 0, 310, 36}, L" "));
    wide.SetSkin(host.Background(), IDP_BUTTON_WIDE);
    WindowDc screen(host.Hwnd());
    UniqueDc dc(CreateCompatibleDC(screen.Get()));
    UniqueBitmap target(CreateCompatibleBitmap(screen.Get(), 310, 36));
    ScopedSelect select(dc.Get(), target.Get());
    wide.PaintTo(dc.Get(), 0);
    const testing::Pixels face = testing::ReadPixels(dc.Get(), 0, 0, 310, 36);
    int reddish = 0;
    for (int y = 0; y < face.height; ++y) {
        for (int x = face.width - 8; x < face.width; ++x) {
            const std::uint32_t p = face.At(x, y);
            const int red = (p >> 16) & 0xFF, green = (p >> 8) & 0xFF;
            reddish += red > green + 40 ? 1 : 0;
        }
    }
    EXPECT_EQ(reddish, 0);
}

TEST_F(ButtonTest, DisabledShowsItsOverlayAndIgnoresTheMouseHiddenShowsOnlyBackground) {
    const double plain = FaceBrightness();
    button.SetCheck(CGDI_Button::kLatchOff);
    button.SetEnabled(false);
    EXPECT_LT(FaceBrightness(), plain - 5);
    Click();
    EXPECT_EQ(button.GetCheck(), CGDI_Button::kLatchOff);
    EXPECT_TRUE(host.Taken().empty());
    button.SetEnabled(true);
    button.SetClickable(false);
    Click();
    EXPECT_TRUE(host.Taken().empty());
    button.SetClickable(true);

    button.SetShown(false);
    WindowDc screen(host.Hwnd());
    UniqueDc dc(CreateCompatibleDC(screen.Get()));
    UniqueBitmap target(CreateCompatibleBitmap(screen.Get(), 200, 100));
    ScopedSelect select(dc.Get(), target.Get());
    button.PaintTo(dc.Get(), 0);
    const auto face = testing::ReadPixels(dc.Get(), 30, 30, 120, 34);
    const auto background = testing::ReadPixels(host.Background(), 30, 30, 120, 34);
    EXPECT_EQ(face.data, background.data);
    Click();
    EXPECT_TRUE(host.Taken().empty());
}

// A latched button that is switched off (Sing or Dance in Auto mode) looks switched off, not latched.
TEST_F(ButtonTest, ADisabledLatchedButtonLooksDisabledNotLatched) {
    // How much bluer than red the face is: the latched face is blue, the others grey.
    const auto blueness = [&] {
        WindowDc screen(host.Hwnd());
        UniqueDc dc(CreateCompatibleDC(screen.Get()));
        UniqueBitmap target(CreateCompatibleBitmap(screen.Get(), 200, 100));
        ScopedSelect select(dc.Get(), target.Get());
        button.PaintTo(dc.Get(), 0);
        const auto face = testing::ReadPixels(dc.Get(), 34, 34, 112, 26);
        double sum = 0;
        for (const std::uint32_t p : face.data)
            sum += static_cast<double>(p & 0xFF) - static_cast<double>((p >> 16) & 0xFF);
        return sum / static_cast<double>(face.data.size());
    };
    button.SetCheck(CGDI_Button::kLatchOn);
    const double latched = blueness();
    button.SetEnabled(false);
    const double disabled_latched = blueness();
    button.SetCheck(CGDI_Button::kLatchOff);
    const double disabled = blueness();
    EXPECT_GT(latched, disabled + 20);
    EXPECT_NEAR(disabled_latched, disabled, 4);
}

TEST_F(ButtonTest, CaptionTextMessagesAndMissingSkin) {
    SetWindowTextW(button.Hwnd(), L"RESET");
    EXPECT_EQ(button.GetCaption(), L"RESET");
    wchar_t text[16]{};
    GetWindowTextW(button.Hwnd(), text, 16);
    EXPECT_STREQ(text, L"RESET");
    CGDI_Button bare;
    ASSERT_TRUE(bare.Create(host.Hwnd(), kId + 1, RECT{200, 30, 280, 60}, L"x"));
    bare.SetSkin(host.Background(), 4242);
    EXPECT_FALSE(bare.HasImage());
    RedrawWindow(bare.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    SendMessageW(bare.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(10, 10));
    SendMessageW(bare.Hwnd(), WM_LBUTTONUP, 0, Point(10, 10));
    Pump();
    EXPECT_EQ(host.TakenFor(kId + 1).size(), 1u);
}

}  // namespace
}  // namespace vela
