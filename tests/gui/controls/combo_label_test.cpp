#include <gtest/gtest.h>

#include "core/ui/text_layout.h"
#include "gui/controls/combo_label_win32.h"
#include "gui/support/win_test_support.h"
#include "res/resource.h"

namespace vela {
namespace {

using testing::HostWindow;
using testing::Point;
using testing::Pump;

constexpr int kComboId = 5024;
constexpr int kLabelId = 4024;

class ComboTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetCursorPos(1200, 780);
        ASSERT_TRUE(combo.Create(host.Hwnd(), kComboId, RECT{20, 20, 20 + 169, 20 + 200}));
        combo.SetIndex(1);
        combo.SetSkin(host.Background(), IDP_COMBO, 1);
        for (const wchar_t* item : {L"VOD", L"DVD", L"OPT", L"MP3", L"BT", L"ARC"})
            combo.AddItem(item);
        Pump();
        host.Taken();
    }
    LRESULT Send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
        return SendMessageW(combo.Hwnd(), message, wparam, lparam);
    }
    bool Dropped() { return Send(CB_GETDROPPEDSTATE) != 0; }
    testing::Pixels Face() {
        WindowDc screen(host.Hwnd());
        UniqueDc dc(CreateCompatibleDC(screen.Get()));
        UniqueBitmap target(CreateCompatibleBitmap(screen.Get(), 300, 100));
        ScopedSelect select(dc.Get(), target.Get());
        const RECT client = combo.ClientRect();
        combo.PaintTo(dc.Get(), 0);
        return testing::ReadPixels(dc.Get(), 20, 20, client.right, client.bottom);
    }
    void CloseList() {
        Send(CB_SHOWDROPDOWN, FALSE);
        Pump();
    }

    HostWindow host;
    CLum_ComboBox combo;
};

TEST_F(ComboTest, SetItemBeyondTheCountShowsTheFirstItem) {
    combo.SetItem(4);
    EXPECT_EQ(combo.GetItem(), 4);
    combo.SetItem(7);
    EXPECT_EQ(combo.GetItem(), 0);
    combo.SetItem(6);
    EXPECT_EQ(combo.GetItem(), 0);
    combo.SetItem(-2);
    EXPECT_EQ(combo.GetItem(), 0);
}

TEST_F(ComboTest, SetCurSelChangesOnlyTheFace) {
    const LRESULT list_before = Send(CB_GETCURSEL);
    EXPECT_EQ(Send(CB_SETCURSEL, 3), 3);
    EXPECT_EQ(combo.GetItem(), 3);
    EXPECT_EQ(Send(CB_GETCURSEL), list_before);
    Pump();
    EXPECT_TRUE(host.Taken().empty());
}

TEST_F(ComboTest, AnItemBeyondTheListShowsTheFirstOne) {
    EXPECT_EQ(Send(CB_SETCURSEL, 9), CB_ERR);
    EXPECT_EQ(combo.GetItem(), 0);
    // Chosen from a longer list, then the items are replaced by a shorter one.
    combo.SetItem(4);
    combo.ResetItems();
    combo.AddItem(L"VOD");
    combo.AddItem(L"DVD");
    const testing::Pixels past_end = Face();
    combo.SetItem(0);
    const testing::Pixels first = Face();
    EXPECT_EQ(past_end.data, first.data);
    combo.ResetItems();
    EXPECT_NE(Face().data, first.data) << "the first item's text is drawn";
}

TEST_F(ComboTest, PickingAnItemPostsTheIndexAndTheFaceFollowsTheList) {
    SetFocus(combo.Hwnd());
    Pump();
    EXPECT_TRUE(combo.Focused());
    Send(WM_KEYDOWN, VK_DOWN);  // the list moves to its next item and reports CBN_SELCHANGE
    Pump();
    const LRESULT selected = Send(CB_GETCURSEL);
    ASSERT_NE(selected, CB_ERR);
    EXPECT_EQ(combo.GetItem(), static_cast<int>(selected));
    const auto posted = host.TakenFor(kComboId);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wparam, 1u);
    EXPECT_EQ(posted[0].lparam, 1);
    SetFocus(host.Hwnd());
    Pump();
    EXPECT_FALSE(combo.Focused());
}

TEST_F(ComboTest, HiddenOrDisabledFacesSwallowPresses) {
    combo.SetShown(false);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(30, 8));
    Send(WM_LBUTTONUP, 0, Point(30, 8));
    Pump();
    EXPECT_FALSE(Dropped());
    combo.SetShown(true);
    combo.SetEnabled(false);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(30, 8));
    Send(WM_LBUTTONUP, 0, Point(30, 8));
    Pump();
    EXPECT_FALSE(Dropped());
    combo.SetEnabled(true);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(30, 8));
    Send(WM_LBUTTONUP, 0, Point(30, 8));
    Pump();
    EXPECT_TRUE(Dropped());
    CloseList();
}

TEST_F(ComboTest, HiddenFaceShowsOnlyTheBackground) {
    combo.SetItem(2);
    WindowDc screen(host.Hwnd());
    UniqueDc dc(CreateCompatibleDC(screen.Get()));
    UniqueBitmap target(CreateCompatibleBitmap(screen.Get(), 300, 100));
    ScopedSelect select(dc.Get(), target.Get());
    const RECT client = combo.ClientRect();
    combo.PaintTo(dc.Get(), 0);
    const auto shown = testing::ReadPixels(dc.Get(), 20, 20, client.right, client.bottom);
    combo.SetShown(false);
    combo.PaintTo(dc.Get(), 0);
    const auto hidden = testing::ReadPixels(dc.Get(), 20, 20, client.right, client.bottom);
    const auto background = testing::ReadPixels(host.Background(), 20, 20, client.right, client.bottom);
    EXPECT_EQ(hidden.data, background.data);
    EXPECT_NE(shown.data, background.data);
}

class LabelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(label.Create(host.Hwnd(), kLabelId, RECT{40, 40, 40 + 100, 40 + 24}, L""));
    }
    testing::Pixels Render() {
        WindowDc screen(host.Hwnd());
        UniqueDc dc(CreateCompatibleDC(screen.Get()));
        UniqueBitmap target(CreateCompatibleBitmap(screen.Get(), 300, 120));
        ScopedSelect select(dc.Get(), target.Get());
        BitBlt(dc.Get(), 0, 0, 300, 120, host.Background(), 0, 0, SRCCOPY);
        label.PaintTo(dc.Get(), 0);
        return testing::ReadPixels(dc.Get(), 0, 0, 300, 120);
    }
    static bool Reddish(std::uint32_t p) { return ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) < 60; }

    HostWindow host;
    Clum_CStatic label;
};

TEST_F(LabelTest, FillIsDrawnOnlyWhenItsAlphaIsNotZero) {
    label.SetSkin(host.Background(), 0x00FFFFFF, 0);
    const auto clear = Render();
    const auto background = testing::ReadPixels(host.Background(), 0, 0, 300, 120);
    EXPECT_EQ(clear.At(60, 50), background.At(60, 50));
    label.SetSkin(host.Background(), 0xFFFF0000, 0);
    const auto filled = Render();
    EXPECT_TRUE(Reddish(filled.At(60, 50)));
    EXPECT_TRUE(Reddish(filled.At(41, 41)));
    EXPECT_FALSE(Reddish(filled.At(150, 50)));  // nothing outside the label
}

TEST_F(LabelTest, OverflowingTextIsCentredOnTheControl) {
    label.SetSkin(host.Background(), 0, 0);
    label.SetTextStyle(18, L"微软雅黑", 0xFFFF0000, kTextCentre | kTextMiddle | kTextSingleLine);
    label.SetCaption(L"WWWWWWWWWWWWWWWWWW");
    const auto pixels = Render();
    // Count red text pixels left and right of the label, in the label's own DC the text is clipped to it;
    // within it the overflow is symmetric, so both edge columns carry text.
    int left = 0;
    int right = 0;
    for (int y = 40; y < 64; ++y) {
        for (int x = 40; x < 50; ++x)
            left += Reddish(pixels.At(x, y));
        for (int x = 130; x < 140; ++x)
            right += Reddish(pixels.At(x, y));
    }
    EXPECT_GT(left, 5);
    EXPECT_GT(right, 5);
    EXPECT_NEAR(left, right, (left + right) / 3 + 4);
}

TEST_F(LabelTest, TextMessagesImageAndMissingImage) {
    SetWindowTextW(label.Hwnd(), L"HPF Slope:");
    EXPECT_EQ(label.Caption(), L"HPF Slope:");
    wchar_t text[32]{};
    EXPECT_EQ(GetWindowTextLengthW(label.Hwnd()), 10);
    GetWindowTextW(label.Hwnd(), text, 32);
    EXPECT_STREQ(text, L"HPF Slope:");
    label.SetSkin(host.Background(), 0, 12345);
    EXPECT_FALSE(label.HasImage());
    label.SetSkin(host.Background(), 0, IDP_BUTTON);
    EXPECT_TRUE(label.HasImage());
    label.SetShown(false);
    const auto hidden = Render();
    const auto background = testing::ReadPixels(host.Background(), 0, 0, 300, 120);
    EXPECT_EQ(hidden.data, background.data);
}

}  // namespace
}  // namespace vela
