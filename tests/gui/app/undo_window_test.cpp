// Undo, redo and A/B compare in the main window against the in-process virtual processor: the keys and
// buttons of the title area put the device back and forward.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>

#include "core/model/parameter_layout.h"
#include "core/model/response_graph.h"
#include "core/model/value_scales.h"
#include "core/protocol/protocol.h"
#include "core/text/strings.h"
#include "core/ui/response_graph_ui.h"
#include "gui/app/main_dialog_win32.h"
#include "gui/pages/strip_page_win32.h"
#include "gui/pages/system_page_win32.h"
#include "gui/support/sim_window_test.h"
#include "gui/support/win_test_support.h"
#include "gui/win/message_box_win32.h"
#include "gui/win/screenshot_win32.h"
#include "sim/sim_device.h"

namespace vela {
namespace {

using namespace std::chrono_literals;
using testing::Point;
using testing::PumpUntil;

constexpr int kMusicTab = 3;
const std::uint16_t kMusicBand8Gain = layout::EqBlockIndex(layout::kMusicEq, 7, layout::EqField::kGain);
const std::uint16_t kMusicBand1Gain = layout::EqBlockIndex(layout::kMusicEq, 0, layout::EqField::kGain);

class UndoWindowTest : public testing::SimWindowTest {
  protected:
    void SetUp() override {
        SimWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        SendMessageW(dlg_->Hwnd(), IDC_TAB, 0, kMusicTab);
        testing::Pump();
    }
    int Answer(const MessageBoxRequest&) override { return IDOK; }

    bool DeviceHolds(std::uint16_t index, std::uint16_t value) {
        return PumpUntil([&] { return Sim().Value(index) == value && !dlg_->Link().Table().IsDirty(index); },
                         5s);
    }
    CStripPageWindow& Music() { return *dynamic_cast<CStripPageWindow*>(dlg_->PageForTab(kMusicTab)); }
    CUndoBar& Bar() { return dlg_->UndoBar(); }
    // A key with Ctrl (and Shift) held, posted to a control of a page as the keyboard would.
    void Press(HWND target, unsigned vk, bool shift = false) {
        std::array<BYTE, 256> keys{};
        GetKeyboardState(keys.data());
        const auto saved = keys;
        keys[VK_CONTROL] = 0x80;
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys.data());
        PostMessageW(target, WM_KEYDOWN, vk, 1);
        testing::Pump();
        auto restore = saved;
        SetKeyboardState(restore.data());
        testing::Pump();
    }
    void DragBand(int band, int dy) {
        CLum_NewScope& graph = Music().Graph();
        const GraphPoint c = HandleCentre(graph.Model(), kFirstBandHandle + band);
        SendMessageW(graph.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(c.x, c.y));
        SendMessageW(graph.Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, Point(c.x, c.y + dy / 2));
        SendMessageW(graph.Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, Point(c.x, c.y + dy));
        SendMessageW(graph.Hwnd(), WM_LBUTTONUP, 0, Point(c.x, c.y + dy));
        testing::Pump();
    }
};

TEST_F(UndoWindowTest, ADragOnTheMusicGraphIsUndoneAndRedoneWithTheKeys) {
    EXPECT_FALSE(Bar().Button(kUndoBarUndo).Enabled());
    EXPECT_FALSE(Bar().Button(kUndoBarRedo).Enabled());
    const std::uint16_t before = Sim().Value(kMusicBand8Gain);
    DragBand(7, -40);
    ASSERT_TRUE(PumpUntil([&] { return Sim().Value(kMusicBand8Gain) != before; }, 5s));
    const std::uint16_t after = dlg_->Link().Table().Value(kMusicBand8Gain);
    ASSERT_TRUE(DeviceHolds(kMusicBand8Gain, after));
    EXPECT_EQ(dlg_->Map().Stored(kMusicBand8Gain), after);
    testing::Pump();
    EXPECT_TRUE(Bar().Button(kUndoBarUndo).Enabled());
    EXPECT_EQ(Bar().Tip(kUndoBarUndo), L"Undo: Music EQ band 8 gain (Ctrl+Z)");

    HWND graph = Music().Graph().Hwnd();
    Press(graph, 'Z');
    EXPECT_TRUE(DeviceHolds(kMusicBand8Gain, before)) << Sim().Value(kMusicBand8Gain);
    EXPECT_NEAR(Music().Graph().GetBandGain(7), GainFromCode(before), 0.05);
    EXPECT_FALSE(Bar().Button(kUndoBarUndo).Enabled());
    EXPECT_TRUE(Bar().Button(kUndoBarRedo).Enabled());
    Press(graph, 'Y');
    EXPECT_TRUE(DeviceHolds(kMusicBand8Gain, after));
    Press(graph, 'Z');
    EXPECT_TRUE(DeviceHolds(kMusicBand8Gain, before));
    Press(graph, 'Z', true);
    EXPECT_TRUE(DeviceHolds(kMusicBand8Gain, after));
}

TEST_F(UndoWindowTest, RESETIsUndoneByTheUndoButton) {
    SendMessageW(Music().Editor(0).Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA)), 0);
    ASSERT_TRUE(PumpUntil([&] { return Sim().Value(kMusicBand1Gain) != 500; }, 5s));
    const std::uint16_t wheeled = Sim().Value(kMusicBand1Gain);
    Click(Music().Button(kResetButton));
    ASSERT_TRUE(DeviceHolds(kMusicBand1Gain, 500));
    testing::Pump();
    EXPECT_EQ(Bar().Tip(kUndoBarUndo), L"Undo: RESET Music (Ctrl+Z)");
    Click(Bar().Button(kUndoBarUndo));
    EXPECT_TRUE(DeviceHolds(kMusicBand1Gain, wheeled));
}

TEST_F(UndoWindowTest, ASceneRecallIsUndoneParameterByParameter) {
    const auto scene = Sim().WithProcessor([](sim::VirtualProcessor& p) { return p.SceneValues(3); });
    // The device away from scene 3 in ten places, through the link (not the user's edits).
    for (std::uint16_t i = 300; i < 310; ++i)
        dlg_->Link().WriteParameter(i, static_cast<std::uint16_t>(scene[i] + 1));
    for (std::uint16_t i = 300; i < 310; ++i)
        ASSERT_TRUE(DeviceHolds(i, static_cast<std::uint16_t>(scene[i] + 1)));
    ASSERT_FALSE(Bar().Actions().History().CanUndo());

    HWND system = dlg_->SystemWindow().Hwnd();
    SendDlgItemMessageW(system, system_ids::kSceneList, CB_SETCURSEL, 2, 0);
    SendMessageW(system, WM_COMMAND, MAKEWPARAM(system_ids::kSceneList, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(system, system_ids::kSceneList)));
    SendMessageW(system, CWinSystem::kButtonId + system_button::kUseScene, system_button::kUseScene, 0);
    ASSERT_TRUE(PumpUntil(
        [&] { return Sim().Value(300) == scene[300] && Bar().Actions().History().CanUndo(); }, 30s));
    EXPECT_EQ(Bar().Tip(kUndoBarUndo), L"Undo: Scene recall (Ctrl+Z)");

    Press(Music().Graph().Hwnd(), 'Z');
    for (std::uint16_t i = 300; i < 310; ++i)
        EXPECT_TRUE(DeviceHolds(i, static_cast<std::uint16_t>(scene[i] + 1))) << i;
}

// The undo of a recall that needs several write batches shows the progress display until the processor has
// taken them all (here held back by a silent processor).
TEST_F(UndoWindowTest, ALongUndoShowsItsProgressWhileItGoesOut) {
    constexpr std::uint16_t kFirst = 300;
    constexpr std::uint16_t kCount = 60;  // three write batches
    const auto scene = Sim().WithProcessor([](sim::VirtualProcessor& p) { return p.SceneValues(3); });
    for (std::uint16_t i = kFirst; i < kFirst + kCount; ++i)
        dlg_->Link().WriteParameter(i, static_cast<std::uint16_t>(scene[i] + 1));
    for (std::uint16_t i = kFirst; i < kFirst + kCount; ++i)
        ASSERT_TRUE(DeviceHolds(i, static_cast<std::uint16_t>(scene[i] + 1)));
    HWND system = dlg_->SystemWindow().Hwnd();
    SendDlgItemMessageW(system, system_ids::kSceneList, CB_SETCURSEL, 2, 0);
    SendMessageW(system, WM_COMMAND, MAKEWPARAM(system_ids::kSceneList, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(system, system_ids::kSceneList)));
    SendMessageW(system, CWinSystem::kButtonId + system_button::kUseScene, system_button::kUseScene, 0);
    ASSERT_TRUE(
        PumpUntil([&] { return Bar().Actions().History().CanUndo() && !Bar().ShowingProgress(); }, 30s));
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(dlg_->ProgressDialog().Hwnd()); }, 10s));

    sim::Faults silent;
    silent.silent = true;
    Sim().SetFaults(silent);
    Press(Music().Graph().Hwnd(), 'Z');
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(dlg_->ProgressDialog().Hwnd()); }, 5s));
    EXPECT_TRUE(Bar().ShowingProgress());
    EXPECT_NE(dlg_->ProgressDialog().ShownText().find(L"Write Device Data"), std::wstring::npos)
        << dlg_->ProgressDialog().ShownText();
    EXPECT_TRUE(CaptureWindowPng(dlg_->ProgressDialog().Hwnd(),
                                 testing::ArtifactsFolder() + L"\\undo-progress-en.png"));

    Sim().SetFaults({});
    ASSERT_TRUE(PumpUntil([&] { return !Bar().ShowingProgress(); }, 30s));
    for (std::uint16_t i = kFirst; i < kFirst + kCount; ++i)
        EXPECT_TRUE(DeviceHolds(i, static_cast<std::uint16_t>(scene[i] + 1))) << i;
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(dlg_->ProgressDialog().Hwnd()); }, 5s));
}

// A System page value is undone like any edit: Ctrl+Z puts the processor back.
TEST_F(UndoWindowTest, ASystemPageValueIsUndone) {
    constexpr std::uint16_t kMusicGateOn = 944;
    const std::uint16_t before = Sim().Value(kMusicGateOn);
    HWND system = dlg_->SystemWindow().Hwnd();
    CheckDlgButton(system, system_ids::kMusicGate, before != 0 ? BST_UNCHECKED : BST_CHECKED);
    SendMessageW(system, WM_COMMAND, MAKEWPARAM(system_ids::kMusicGate, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(system, system_ids::kMusicGate)));
    ASSERT_TRUE(DeviceHolds(kMusicGateOn, before != 0 ? 0 : 1));
    testing::Pump();
    EXPECT_TRUE(Bar().Button(kUndoBarUndo).Enabled());

    Press(Music().Graph().Hwnd(), 'Z');
    EXPECT_TRUE(DeviceHolds(kMusicGateOn, before));
    EXPECT_EQ(IsDlgButtonChecked(system, system_ids::kMusicGate) == BST_CHECKED, before != 0);
}

TEST_F(UndoWindowTest, ABToggledThreeTimesLeavesTheDeviceAtABA) {
    const std::uint16_t a = Sim().Value(kMusicBand1Gain);
    HWND graph = Music().Graph().Hwnd();
    Press(graph, 'B');
    EXPECT_EQ(Bar().Button(kUndoBarCompare).GetCaption(), L"A [B]");
    SendMessageW(Music().Editor(0).Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA)), 0);
    ASSERT_TRUE(PumpUntil([&] { return Sim().Value(kMusicBand1Gain) != a; }, 5s));
    const std::uint16_t b = Sim().Value(kMusicBand1Gain);
    for (const std::uint16_t expected : {a, b, a}) {
        Press(graph, 'B');
        EXPECT_TRUE(DeviceHolds(kMusicBand1Gain, expected)) << expected;
    }
    EXPECT_EQ(Bar().Button(kUndoBarCompare).GetCaption(), L"[A] B");
    Press(graph, 'Z');  // the last switch undone: B is live again
    EXPECT_TRUE(DeviceHolds(kMusicBand1Gain, b));
    EXPECT_EQ(Bar().Button(kUndoBarCompare).GetCaption(), L"A [B]");
    Press(graph, 'Y');
    EXPECT_TRUE(DeviceHolds(kMusicBand1Gain, a));
    EXPECT_EQ(Bar().Button(kUndoBarCompare).GetCaption(), L"[A] B");
    Press(graph, 'B', true);  // Keep
    EXPECT_FALSE(Bar().Actions().Compare().Active());
    EXPECT_EQ(Bar().Button(kUndoBarCompare).GetCaption(), L"A/B");
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(UndoWindowTest, TitleAreaScreenshotsInEveryLanguage) {
    DragBand(7, -40);
    ASSERT_TRUE(PumpUntil([&] { return Bar().Actions().History().CanUndo(); }, 5s));
    static constexpr const wchar_t* kNames[] = {L"zh-Hans", L"zh-Hant", L"en"};
    for (int language : {kLanguageSimplified, kLanguageTraditional, kLanguageEnglish}) {
        SetLanguageIndex(language);
        SendMessageW(dlg_->Hwnd(), UM_APPLY_LANGUAGE, 0, 0);
        RedrawWindow(dlg_->Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        testing::Pump();
        EXPECT_EQ(Bar().Button(kUndoBarUndo).GetCaption(), Text(extra::kUndoButton));
        EXPECT_NE(Bar().Tip(kUndoBarUndo).find(Text(str::kMusic)), std::wstring::npos);
        const std::wstring path = testing::ArtifactsFolder() + L"\\undo-title-" + kNames[language] + L".png";
        EXPECT_TRUE(CaptureWindowPng(dlg_->Hwnd(), path));
    }
}

}  // namespace
}  // namespace vela
