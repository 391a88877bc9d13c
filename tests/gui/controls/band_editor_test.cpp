#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/model/value_scales.h"
#include "gui/controls/band_editor_win32.h"
#include "gui/support/win_test_support.h"
#include "res/resource.h"

namespace vela {
namespace {

using testing::HostWindow;
using testing::Point;
using testing::Pump;

constexpr int kId = 2024;

// An editor at twice the skin's size, as band 4 of its page.
class BandEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetCursorPos(1200, 780);
        ASSERT_TRUE(editor.Create(host.Hwnd(), kId, RECT{20, 20, 20 + 94, 20 + 388}));
        editor.SetIndex(3);
        editor.SetSkin(host.Background(), IDP_BAND_EDITOR, 2);
        Pump();  // the posted size message lays the boxes out
        // Each box stands where the skin puts it, with its font.
        const BandEditorGeometry g = ComputeBandEditorGeometry(94, 388);
        for (int field = 0; field < kTextFields; ++field) {
            RECT r{};
            GetWindowRect(editor.Box(field), &r);
            MapWindowPoints(nullptr, editor.Hwnd(), reinterpret_cast<POINT*>(&r), 2);
            ASSERT_EQ(r.left, g.boxes[field].left) << field;
            ASSERT_EQ(r.top, g.boxes[field].top) << field;
            ASSERT_EQ(r.right, g.boxes[field].right) << field;
            ASSERT_EQ(r.bottom, g.boxes[field].bottom) << field;
            ASSERT_NE(SendMessageW(editor.Box(field), WM_GETFONT, 0, 0), 0) << field;
        }
        host.Taken();
    }
    LRESULT Send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
        return SendMessageW(editor.Hwnd(), message, wparam, lparam);
    }
    std::wstring BoxText(int field) const {
        wchar_t text[64] = {};
        GetWindowTextW(editor.Box(field), text, 64);
        return text;
    }
    // Types into a box and leaves it, as a user would.
    void Type(int field, const wchar_t* text) {
        SetFocus(editor.Box(field));
        SetWindowTextW(editor.Box(field), text);
        SetFocus(host.Hwnd());
    }
    std::vector<int> Fields() {
        std::vector<int> fields;
        for (const auto& n : host.TakenFor(kId)) {
            EXPECT_EQ(n.wparam, 3u) << "the band index";
            fields.push_back(static_cast<int>(n.lparam));
        }
        return fields;
    }
    void Wheel(int notches) {
        Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(notches * WHEEL_DELTA)), 0);
    }

    HostWindow host;
    CEQ_Lum0 editor;
};

TEST_F(BandEditorTest, TypedTextIsSnappedWhenTheBoxIsLeft) {
    EXPECT_EQ(BoxText(kFieldGain), L"0.0");
    EXPECT_EQ(BoxText(kFieldFreq), L"1000");
    EXPECT_EQ(BoxText(kFieldQ), L"0.40");
    Type(kFieldFreq, L"5");
    EXPECT_EQ(BoxText(kFieldFreq), L"10.5");
    EXPECT_NE(editor.Note().find(L"10.5"), std::wstring::npos) << "a clamp says so";
    EXPECT_EQ(Fields(), std::vector<int>{kFieldFreq});
    Type(kFieldFreq, L"1010");
    EXPECT_EQ(BoxText(kFieldFreq), L"1020");
    EXPECT_DOUBLE_EQ(editor.GetField(kFieldFreq), 1020);
    Type(kFieldFreq, L"99.9");
    EXPECT_EQ(BoxText(kFieldFreq), L"101");
    Type(kFieldQ, L"0.43");
    EXPECT_EQ(BoxText(kFieldQ), L"0.45");
    EXPECT_EQ(Fields(), (std::vector<int>{kFieldFreq, kFieldFreq, kFieldQ}));
    EXPECT_EQ(editor.CurrentField(), kFieldGain) << "leaving a box gives the wheel back to the gain";
    Wheel(1);
    EXPECT_DOUBLE_EQ(editor.GetField(kFieldGain), 0.1);
    EXPECT_EQ(Fields(), std::vector<int>{kFieldGain});
}

// A Q shown is the Q read back and notified, whether the box is clicked into and left or the wheel turns.
TEST_F(BandEditorTest, EveryQReadsBackAsItselfAndTheWheelMovesOneEntry) {
    for (std::size_t i = 0; i < kQTable.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "Q " << kQTable[i]);
        editor.SetField(kFieldQ, kQTable[i]);
        const std::wstring shown = BoxText(kFieldQ);
        SetFocus(editor.Box(kFieldQ));
        SetFocus(host.Hwnd());
        EXPECT_EQ(BoxText(kFieldQ), shown);
        EXPECT_EQ(QCodeFor(editor.GetField(kFieldQ)), QCodeFor(kQTable[i]));
        SetFocus(editor.Box(kFieldQ));
        Wheel(1);
        EXPECT_EQ(QCodeFor(editor.GetField(kFieldQ)), QCodeFor(kQTable[std::min(i + 1, kQTable.size() - 1)]));
        Wheel(-1);
        if (i + 1 < kQTable.size()) {
            EXPECT_EQ(QCodeFor(editor.GetField(kFieldQ)), QCodeFor(kQTable[i]));
        }
    }
}

TEST_F(BandEditorTest, EnterReadsTheFocusedBox) {
    SetFocus(editor.Box(kFieldGain));
    SetWindowTextW(editor.Box(kFieldGain), L"-3dB");
    SendMessageW(editor.Box(kFieldGain), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(BoxText(kFieldGain), L"-3.0");
    EXPECT_TRUE(editor.Note().empty());
    SetWindowTextW(editor.Box(kFieldGain), L"30");
    SendMessageW(editor.Box(kFieldGain), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(BoxText(kFieldGain), L"12.0");
    EXPECT_DOUBLE_EQ(editor.Gain(), 12.0);
    EXPECT_NE(editor.Note().find(L"30"), std::wstring::npos);
    EXPECT_EQ(Fields(), (std::vector<int>{kFieldGain, kFieldGain}));
}

// Text that is no number of the box's unit puts the previous value back with a note and tells the page
// nothing, so nothing reaches the processor.
TEST_F(BandEditorTest, NonsenseIsRefusedWithANoteAndNothingIsTold) {
    struct Case {
        int field;
        const wchar_t* typed;
        const wchar_t* kept;
    };
    for (const Case& c :
         {Case{kFieldFreq, L"abc", L"1000"}, Case{kFieldFreq, L"1k5", L"1000"}, Case{kFieldGain, L"", L"0.0"},
          Case{kFieldGain, L"03.5.0", L"0.0"}, Case{kFieldQ, L"Q2", L"0.40"}}) {
        SCOPED_TRACE(c.typed);
        Type(c.field, c.typed);
        EXPECT_EQ(BoxText(c.field), c.kept);
        EXPECT_FALSE(editor.Note().empty());
        EXPECT_TRUE(Fields().empty());
    }
    Type(kFieldFreq, L"1.2kHz");
    EXPECT_TRUE(editor.Note().empty());
    EXPECT_DOUBLE_EQ(editor.GetField(kFieldFreq), EditorFreqFor(1200));
    EXPECT_EQ(Fields(), std::vector<int>{kFieldFreq});
}

// Only a change is told: a box left as it was, the thumb pressed and let go, the wheel at the gain's
// top, the type button already chosen. A frequency between table entries stays until it is stepped.
TEST_F(BandEditorTest, ACallThatChangesNothingTellsNothing) {
    editor.SetField(kFieldFreq, 400);
    EXPECT_EQ(BoxText(kFieldFreq), L"400");
    editor.SetField(kFieldGain, 12);
    host.Taken();
    for (int field = 0; field < kTextFields; ++field) {
        SetFocus(editor.Box(field));
        Pump();
        DWORD from = 1, to = 0;
        SendMessageW(editor.Box(field), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                     reinterpret_cast<LPARAM>(&to));
        EXPECT_EQ(from, 0u) << "a box entered has its text selected";
        EXPECT_EQ(to, BoxText(field).size());
        SetFocus(host.Hwnd());
    }
    const Rect thumb = FaderThumbRect(editor.Geometry(), editor.Limits(), editor.Gain());
    const LPARAM centre = Point((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, centre);
    Send(WM_MOUSEMOVE, MK_LBUTTON, centre);
    Send(WM_LBUTTONUP, 0, centre);
    Wheel(1);
    const Rect& peaking = editor.Geometry().type_buttons[0];
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(peaking.left + 4, peaking.top + 4));
    Send(WM_LBUTTONUP, 0, Point(peaking.left + 4, peaking.top + 4));
    EXPECT_TRUE(Fields().empty());
    EXPECT_DOUBLE_EQ(editor.GetField(kFieldFreq), 400);
    SetFocus(editor.Box(kFieldFreq));
    Wheel(1);
    EXPECT_EQ(BoxText(kFieldFreq), L"405");
    EXPECT_EQ(Fields(), std::vector<int>{kFieldFreq});
}

TEST_F(BandEditorTest, ArrowKeysStepFrequencyAndGainEvenFromABox) {
    editor.SetField(kFieldFreq, 20600);
    Send(WM_KEYDOWN, VK_RIGHT);
    EXPECT_EQ(BoxText(kFieldFreq), L"20600");
    Send(WM_KEYDOWN, VK_LEFT);
    EXPECT_EQ(BoxText(kFieldFreq), L"20200");
    Send(WM_KEYDOWN, VK_UP);
    EXPECT_EQ(BoxText(kFieldGain), L"0.1");
    EXPECT_EQ(Fields(), (std::vector<int>{kFieldFreq, kFieldGain})) << "the step at the top changed nothing";
    // In the Q box the arrows still step the frequency and the gain.
    SetFocus(editor.Box(kFieldQ));
    SendMessageW(editor.Box(kFieldQ), WM_KEYDOWN, VK_LEFT, 0);
    SendMessageW(editor.Box(kFieldQ), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(BoxText(kFieldFreq), L"19800");
    EXPECT_EQ(BoxText(kFieldGain), L"0.0");
    EXPECT_EQ(BoxText(kFieldQ), L"0.40");
}

TEST_F(BandEditorTest, TheWheelStepsTheFieldLastEnteredAndStopsAtTheTableEnds) {
    editor.SetField(kFieldQ, 128);
    SetFocus(editor.Box(kFieldQ));
    EXPECT_EQ(editor.CurrentField(), kFieldQ);
    host.Taken();
    Wheel(1);
    EXPECT_EQ(BoxText(kFieldQ), L"128");
    Wheel(-1);
    EXPECT_EQ(BoxText(kFieldQ), L"121");
    EXPECT_EQ(Fields(), std::vector<int>{kFieldQ}) << "the notch at the top changed nothing";
    editor.SetField(kFieldQ, 0.4);
    SetFocus(editor.Box(kFieldQ));
    Wheel(-1);
    EXPECT_EQ(BoxText(kFieldQ), L"0.40");
}

TEST_F(BandEditorTest, TypeButtonsAndTheFader) {
    const BandEditorGeometry& g = editor.Geometry();
    editor.SetField(kFieldGain, -6);
    host.Taken();
    const Rect& high_shelf = g.type_buttons[1];
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(high_shelf.left + 4, high_shelf.top + 4));
    Send(WM_LBUTTONUP, 0, Point(high_shelf.left + 4, high_shelf.top + 4));
    EXPECT_EQ(editor.Type(), 5);
    EXPECT_DOUBLE_EQ(editor.GetField(kFieldType), 5);
    EXPECT_DOUBLE_EQ(editor.Gain(), -6.0) << "a type button leaves the gain alone";
    EXPECT_EQ(Fields(), std::vector<int>{kFieldType});

    const Rect thumb = FaderThumbRect(g, editor.Limits(), editor.Gain());
    const int x = (thumb.left + thumb.right) / 2;
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(x, (thumb.top + thumb.bottom) / 2));
    EXPECT_TRUE(editor.Dragging());
    EXPECT_EQ(GetCapture(), editor.Hwnd());
    Send(WM_MOUSEMOVE, MK_LBUTTON, Point(x, 0));
    EXPECT_EQ(BoxText(kFieldGain), L"12.0");
    Send(WM_MOUSEMOVE, MK_LBUTTON, Point(x, 1000));
    EXPECT_EQ(BoxText(kFieldGain), L"-24.0");
    Send(WM_LBUTTONUP, 0, Point(x, 1000));
    EXPECT_FALSE(editor.Dragging());
    EXPECT_NE(GetCapture(), editor.Hwnd());
    EXPECT_EQ(Fields(), (std::vector<int>{kFieldGain, kFieldGain})) << "each move, not the press or release";
    // A click above the thumb steps up by one tenth.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Point(x, g.track_top));
    EXPECT_EQ(BoxText(kFieldGain), L"-23.9");
}

TEST_F(BandEditorTest, SetFieldClampsAndAResizeKeepsTheType) {
    editor.SetField(kFieldGain, 20);
    EXPECT_EQ(BoxText(kFieldGain), L"12.0");
    editor.SetField(kFieldType, 6.7);
    EXPECT_EQ(editor.Type(), 6);
    editor.SetField(kFieldFreq, 1010);
    EXPECT_EQ(BoxText(kFieldFreq), L"1010") << "as the device holds it";
    EXPECT_TRUE(host.TakenFor(kId).empty()) << "the page's own changes are not echoed";
    MoveWindow(editor.Hwnd(), 20, 20, 47, 194, TRUE);
    Pump();
    EXPECT_EQ(editor.Type(), 6);
    EXPECT_EQ(editor.Geometry().track_x, 22);
    EXPECT_EQ(BoxText(kFieldFreq), L"1010");
}

TEST_F(BandEditorTest, TheFaceShowsTheValuesAndTheFocus) {
    editor.SetField(kFieldGain, 12);
    const RECT r = editor.ClientRect();
    CMemDcClass page(host.Hwnd(), RECT{0, 0, 200, 450});
    editor.PaintTo(page.Dc(), 0);
    const auto focused = testing::ReadPixels(page.Dc(), 20, 20, r.right, r.bottom);
    // The band number is red while the editor has the focus.
    const Rect& number = editor.Geometry().number_box;
    int red = 0;
    for (int y = number.top; y < number.bottom; ++y) {
        for (int x = number.left; x < number.right; ++x) {
            const std::uint32_t p = focused.At(x, y);
            if (((p >> 16) & 0xFF) > 180 && ((p >> 8) & 0xFF) < 90)
                ++red;
        }
    }
    EXPECT_GT(red, 4);
    // The thumb stands at the top of its track for +12 dB: the face there differs from -24 dB's.
    editor.SetField(kFieldGain, -24);
    editor.PaintTo(page.Dc(), 0);
    const auto low = testing::ReadPixels(page.Dc(), 20, 20, r.right, r.bottom);
    const BandEditorGeometry& g = editor.Geometry();
    EXPECT_NE(focused.Brightness(g.track_x - 5, g.track_top - 5, g.track_x + 5, g.track_top + 5),
              low.Brightness(g.track_x - 5, g.track_top - 5, g.track_x + 5, g.track_top + 5));
}

// Before the device's table has loaded a page is veiled: its editors' faces are darker until it is lifted.
TEST_F(BandEditorTest, AVeiledPageGreysTheEditorUntilLifted) {
    const RECT r = editor.ClientRect();
    CMemDcClass page(host.Hwnd(), RECT{0, 0, 200, 450});
    const auto brightness = [&] {
        editor.PaintTo(page.Dc(), 0);
        return testing::ReadPixels(page.Dc(), 20, 20, r.right, r.bottom).Brightness(0, 0, r.right, r.bottom);
    };
    const auto clear = brightness();
    SetVeiled(host.Hwnd(), true);
    EXPECT_TRUE(IsVeiled(editor.Hwnd()));
    EXPECT_LT(brightness(), clear * 0.8);
    SetVeiled(host.Hwnd(), false);
    EXPECT_FALSE(IsVeiled(editor.Hwnd()));
    EXPECT_EQ(brightness(), clear);
}

}  // namespace
}  // namespace vela
