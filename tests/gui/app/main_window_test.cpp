// The main window against the in-process virtual processor: start-up, the link state, the master faders,
// the mode buttons, language, layout, tabs, tray, closing, and a second start of the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/model/value_scales.h"
#include "core/protocol/protocol.h"
#include "core/text/strings.h"
#include "core/text/utf8.h"
#include "core/ui/main_layout.h"
#include "gui/app/diag_log_win32.h"
#include "gui/app/main_dialog_win32.h"
#include "gui/app/vela_app_win32.h"
#include "gui/pages/strip_page_win32.h"
#include "gui/support/win_test_support.h"
#include "gui/win/message_box_win32.h"
#include "gui/win/screenshot_win32.h"
#include "sim/sim_device.h"

namespace vela {
namespace {

using namespace std::chrono_literals;
using testing::PumpUntil;

constexpr std::uint16_t kMusicLevel = 28;
constexpr std::uint16_t kModeWord = 942;
constexpr std::uint16_t kMusicMax = 920;

// Answers every box with `answer` (or OK) and keeps what was asked.
struct BoxRecorder {
    std::vector<MessageBoxRequest> boxes;
    int yes_no_answer = IDYES;
    BoxRecorder() {
        SetMessageBoxResponder([this](const MessageBoxRequest& box) {
            boxes.push_back(box);
            return (box.type & MB_TYPEMASK) == MB_YESNO ? yes_no_answer : IDOK;
        });
    }
    ~BoxRecorder() { SetMessageBoxResponder(nullptr); }
    bool Asked(std::wstring_view text) const { return Find(text) != nullptr; }
    const MessageBoxRequest* Find(std::wstring_view text) const {
        for (const auto& b : boxes)
            if (b.text == text)
                return &b;
        return nullptr;
    }
};

class MainWindow {
  public:
    MainWindow() {
        VelaOptions options;
        options.device.kind = DeviceSpec::Kind::kSim;
        dlg = std::make_unique<CZR305M2Dlg>(options);
        created = dlg->CreateModeless(nullptr);
        if (created)
            ShowWindow(dlg->Hwnd(), SW_SHOW);
    }
    ~MainWindow() {
        boxes.yes_no_answer = IDYES;
        dlg.reset();
    }
    HWND Hwnd() const { return dlg->Hwnd(); }
    sim::SimulatedDevice& Sim() { return static_cast<sim::SimHidDevice&>(dlg->Device()).Device(); }
    std::wstring LinkCaption() { return dlg->TitleButton(kLinkStateButton).GetCaption(); }
    bool Connected() { return LinkCaption() == Text(str::kSuccessful); }
    bool TableEqualsDevice() {
        const ParameterTable& table = dlg->Link().Table();
        for (std::size_t i = 0; i < kParameterCount; ++i) {
            // The heartbeat writes 935 := 1 without reading it back, so only the device knows it; the scene
            // name replies move 934 in the table only.
            if (i != param::kOccupancy && i != param::kSceneSelector && table.Value(i) != Sim().Value(i))
                return false;
        }
        return true;
    }
    // Up, loaded and settled.
    bool WaitLoaded() {
        if (PumpUntil([&] { return Connected() && dlg->DisplayLoaded() && TableEqualsDevice(); }, 30s))
            return true;
        std::printf("not loaded: connected %d, display loaded %d\n", Connected(), dlg->DisplayLoaded());
        for (std::size_t i = 0; i < kParameterCount; ++i) {
            if (i != param::kOccupancy && i != param::kSceneSelector &&
                dlg->Link().Table().Value(i) != Sim().Value(i))
                std::printf("  parameter %zu: table %u, device %u\n", i, dlg->Link().Table().Value(i),
                            Sim().Value(i));
        }
        return false;
    }
    void Click(CWindow& control) {
        const RECT r = control.ClientRect();
        const LPARAM centre = testing::Point(r.right / 2, r.bottom / 2);
        SendMessageW(control.Hwnd(), WM_MOUSEMOVE, 0, centre);
        SendMessageW(control.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, centre);
        SendMessageW(control.Hwnd(), WM_LBUTTONUP, 0, centre);
        testing::Pump();
    }
    RECT ChildRect(HWND child) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    BoxRecorder boxes;
    std::unique_ptr<CZR305M2Dlg> dlg;
    bool created = false;
};

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_language_ = LanguageIndex();
        SetLanguageIndex(kLanguageEnglish);
        SetCursorPos(1200, 780);
    }
    void TearDown() override { SetLanguageIndex(saved_language_); }

  private:
    int saved_language_ = kLanguageEnglish;
};

TEST_F(MainWindowTest, StartsOnTheMainPageReachesSuccessfulAndHoldsTheDevicesTable) {
    MainWindow w;
    ASSERT_TRUE(w.created);
    wchar_t title[64]{};
    GetWindowTextW(w.Hwnd(), title, 64);
    EXPECT_STREQ(title, kWindowTitle);
    // Nothing read yet: the pages' and faders' placeholders are greyed and take no input.
    for (int tab : {0, 3, 7, kRearTab}) {
        ASSERT_NE(w.dlg->PageForTab(tab), nullptr) << tab;
        EXPECT_TRUE(IsVeiled(w.dlg->PageForTab(tab)->Hwnd())) << tab;
        EXPECT_FALSE(IsWindowEnabled(w.dlg->PageForTab(tab)->Hwnd())) << tab;
    }
    EXPECT_FALSE(w.dlg->MasterFader(0).Enabled());
    EXPECT_TRUE(IsVeiled(w.dlg->MasterFader(0).Hwnd()));
    // Every low-pass stands at OFF, its slider and the graph alike, not at the foot of its scale.
    for (int tab : {layout::kMusicPage, layout::kMicPage, layout::kMainPage, layout::kEchoPage}) {
        auto& page = dynamic_cast<CStripPageWindow&>(*w.dlg->PageForTab(tab));
        for (const ValueSlot& s : page.Model().Slots()) {
            if (s.kind == SlotKind::kLowPass || s.kind == SlotKind::kLowPassShort) {
                const std::wstring& caption = page.ValueControl(s.slot).Caption();
                EXPECT_TRUE(caption.ends_with(L"OFF")) << tab << ": " << ToUtf8(caption);
                EXPECT_GE(page.Graph().GetPassFreq(1), kFreqTop) << tab;
            }
        }
    }
    ASSERT_TRUE(w.WaitLoaded()) << "link state: "
                                << std::string(w.LinkCaption().begin(), w.LinkCaption().end());
    EXPECT_EQ(w.dlg->TitleButton(kLinkStateButton).GetCheck(), CGDI_Button::kLatchOn);
    // The grey of the placeholders is lifted once the table has loaded.
    for (int tab = 0; tab <= kRearTab; ++tab) {
        if (CPageWindow* page = w.dlg->PageForTab(tab)) {
            EXPECT_FALSE(IsVeiled(page->Hwnd())) << tab;
        }
    }
    for (int tab : {3, 4, 5, 6, 7})
        EXPECT_TRUE(IsWindowEnabled(w.dlg->PageForTab(tab)->Hwnd())) << tab;
    EXPECT_TRUE(w.dlg->MasterFader(0).Enabled());
    EXPECT_FALSE(IsVeiled(w.dlg->MasterFader(0).Hwnd()));
    EXPECT_EQ(w.dlg->ModelLabel().Caption(), kWindowTitle);
    EXPECT_EQ(w.dlg->CurrentTab(), 0);
    EXPECT_TRUE(IsWindowVisible(w.dlg->PageForTab(0)->Hwnd()));
    EXPECT_EQ(w.dlg->Tab(0).GetCaption(), Text(str::kMain));
    // The faders show what the device holds (500 + level).
    EXPECT_DOUBLE_EQ(w.dlg->MasterFader(0).GetValue(), w.Sim().Value(kMusicLevel) % 500);
    // Nothing went wrong on the way up.
    EXPECT_TRUE(w.boxes.boxes.empty())
        << std::string(w.boxes.boxes[0].text.begin(), w.boxes.boxes[0].text.end());
}

TEST_F(MainWindowTest, MasterFaderIsWrittenAndDeviceChangesComeBack) {
    MainWindow w;
    ASSERT_TRUE(w.created);
    ASSERT_TRUE(w.WaitLoaded());

    // The fader moves as a drag leaves it and tells its parent, as the control does.
    CEA_Lum2& music = w.dlg->MasterFader(kMusicFader);
    music.SetValue(42);
    SendMessageW(w.Hwnd(), IDC_MASTER_FADER + kMusicFader, kMusicFader, 42);
    EXPECT_TRUE(PumpUntil([&] { return w.Sim().Value(kMusicLevel) == 542; }, 2s))
        << "device holds " << w.Sim().Value(kMusicLevel);
    EXPECT_NE(music.Caption().find(L"42"), std::wstring::npos);

    // Changed on the device, read back with a refresh: the fader follows and is relabelled.
    w.Sim().WithProcessor([](auto& p) { p.SetValue(kMusicLevel, 517); });
    w.dlg->Link().State().RaiseRequest(request::kRefresh);
    EXPECT_TRUE(PumpUntil([&] { return music.GetValue() == 17.0; }, 20s)) << music.GetValue();
    EXPECT_NE(music.Caption().find(L"17"), std::wstring::npos);

    // A lower Music Max read from the device: after the refresh the table-changed notice holds the fader
    // there, and so does the clamp message; the device keeps its level until the fader moves again.
    w.Sim().WithProcessor([](auto& p) {
        p.SetValue(kMusicLevel, 560);
        p.SetValue(kMusicMax, 30);
    });
    w.dlg->Link().State().RaiseRequest(request::kRefresh);
    EXPECT_TRUE(PumpUntil([&] { return music.GetValue() == 30.0 && w.dlg->DisplayLoaded(); }, 20s))
        << music.GetValue();
    EXPECT_NE(music.Caption().find(L"30"), std::wstring::npos);
    music.SetValue(50);
    SendMessageW(w.Hwnd(), UM_CLAMP_MASTER_LEVELS, 0, 0);
    EXPECT_EQ(music.GetValue(), 30.0);
    testing::PumpUntil([] { return false; }, 300ms);  // a few poll cycles: nothing may be written
    EXPECT_EQ(w.Sim().Value(kMusicLevel), 560);

    // The music source selector writes 927 and then 925.
    w.dlg->MusicSource().SetItem(3);
    SendMessageW(w.Hwnd(), IDC_MUSIC_SOURCE, 0, 3);
    const std::uint16_t mp3 = w.dlg->Link().Table().Value(param::kMusicSource);
    EXPECT_TRUE(PumpUntil([&] { return w.Sim().Value(param::kMusicSource) == mp3; }, 2s));
}

TEST_F(MainWindowTest, ModeButtonsWriteTheModeWordAndRefresh) {
    MainWindow w;
    ASSERT_TRUE(w.created);
    ASSERT_TRUE(w.WaitLoaded());
    ASSERT_EQ(w.Sim().Value(kModeWord) & 0x3, 0) << "the virtual processor starts in Sing, Hand";
    const int refreshes = w.dlg->Controller()->Served(request::kRefresh);

    w.Click(w.dlg->TitleButton(kDanceButton));
    EXPECT_TRUE(PumpUntil([&] { return (w.Sim().Value(kModeWord) & 0x2) != 0; }, 2s));
    EXPECT_TRUE(PumpUntil([&] { return w.dlg->Controller()->Served(request::kRefresh) > refreshes; }, 20s));
    EXPECT_EQ(w.dlg->TitleButton(kDanceButton).GetCheck(), CGDI_Button::kLatchOn);
    EXPECT_EQ(w.dlg->TitleButton(kSingButton).GetCheck(), CGDI_Button::kLatchOff);

    // Auto: the output pages are given up to the device, and a click on the window says so.
    w.Click(w.dlg->TitleButton(kAutoHandButton));
    EXPECT_TRUE(PumpUntil([&] { return (w.Sim().Value(kModeWord) & 0x1) != 0; }, 2s));
    EXPECT_TRUE(PumpUntil([&] { return !w.dlg->OutputPagesEnabled(); }, 20s));
    EXPECT_EQ(w.dlg->TitleButton(kAutoHandButton).GetCaption(), Text(str::kAuto));
    EXPECT_FALSE(IsWindowEnabled(w.dlg->PageForTab(0)->Hwnd()));
    SendMessageW(w.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, testing::Point(600, 300));
    SendMessageW(w.Hwnd(), WM_LBUTTONUP, 0, testing::Point(600, 300));
    const MessageBoxRequest* locked = w.boxes.Find(Text(str::kAutoModeLocked));
    ASSERT_NE(locked, nullptr);
    // The system's default caption, not the window's title.
    EXPECT_TRUE(locked->default_caption);
    EXPECT_EQ(locked->caption, L"");
}

TEST_F(MainWindowTest, MasterFadersAreHeldToTheDevicesMaxFromTheLoadOnAndWhileSearching) {
    MainWindow w;
    ASSERT_TRUE(w.created);
    // A device whose music level is above its Music Max, plugged in afresh so that the connect reads it.
    w.Sim().Unplug();
    w.Sim().WithProcessor([](auto& p) {
        p.SetValue(kMusicLevel, 560);
        p.SetValue(kMusicMax, 30);
    });
    w.Sim().Replug();
    ASSERT_TRUE(w.WaitLoaded());
    CEA_Lum2& music = w.dlg->MasterFader(kMusicFader);
    EXPECT_EQ(music.GetValue(), 30.0);

    // Unplugged: a level dragged while searching is held to the Max last read, and so is what goes out
    // once the device is back.
    w.Sim().Unplug();
    ASSERT_TRUE(PumpUntil([&] { return w.LinkCaption() == Text(str::kSearching); }, 20s));
    music.SetValue(50);
    SendMessageW(w.Hwnd(), IDC_MASTER_FADER + kMusicFader, kMusicFader, 50);
    EXPECT_EQ(music.GetValue(), 30.0);
    w.Sim().Replug();
    ASSERT_TRUE(w.WaitLoaded());
    // The edit kept across the reconnect goes out after the reload.
    EXPECT_TRUE(PumpUntil(
        [&] { return w.Sim().Value(kMusicLevel) == 530 && !w.dlg->Link().Table().IsDirty(kMusicLevel); },
        20s))
        << w.Sim().Value(kMusicLevel);
    EXPECT_EQ(music.GetValue(), 30.0);
}

TEST_F(MainWindowTest, ASecondStartRestoringTheWindowFromTheTrayTakesTheIconAway) {
    MainWindow w;
    ASSERT_TRUE(w.created);
    testing::Pump();
    w.Click(w.dlg->TitleButton(kTrayButton));
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(w.Hwnd()); }, 2s));
    ASSERT_TRUE(w.dlg->TrayIconShown());
    EXPECT_TRUE(RaiseRunningInstance());  // what a second start does to the running window
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(w.Hwnd()) != FALSE; }, 2s));
    EXPECT_FALSE(w.dlg->TrayIconShown());
}

TEST_F(MainWindowTest, LanguageChangeRecaptionsEverythingIncludingTheLinkState) {
    MainWindow w;
    ASSERT_TRUE(w.created);
    ASSERT_TRUE(w.WaitLoaded());
    for (int language : {kLanguageSimplified, kLanguageTraditional, kLanguageEnglish}) {
        SetLanguageIndex(language);
        SendMessageW(w.Hwnd(), UM_APPLY_LANGUAGE, 0, 0);
        EXPECT_EQ(w.LinkCaption(), TextIn(str::kSuccessful, language));
        EXPECT_EQ(w.dlg->Tab(0).GetCaption(), TextIn(str::kMain, language));
        EXPECT_EQ(w.dlg->Tab(7).GetCaption(), TextIn(str::kSystem, language));
        EXPECT_EQ(w.dlg->Tab(kRearTab).GetCaption(), TextIn(str::kRear, language));
        EXPECT_EQ(w.dlg->MusicInputCaption().Caption(), TextIn(str::kMusicInput, language));
        EXPECT_EQ(w.dlg->TitleButton(kSingButton).GetCaption(), TextIn(str::kSing, language));
        EXPECT_EQ(w.dlg->TitleButton(kDanceButton).GetCaption(), TextIn(str::kDance, language));
        EXPECT_EQ(w.dlg->TitleButton(kAutoHandButton).GetCaption(), TextIn(str::kHand, language));
        const std::wstring music = w.dlg->MasterFader(kMusicFader).Caption();
        const std::wstring_view format = TextIn(str::kMusicFader, language);
        EXPECT_EQ(music.substr(0, 2), format.substr(0, 2));
        EXPECT_EQ(w.dlg->MusicSource().ItemCount(), 6);
    }

    // Paused, then the language changes: the pause caption follows.
    SendMessageW(w.Hwnd(), IDC_TITLE_BUTTON, kLinkStateButton, kLinkStateButton);
    EXPECT_TRUE(w.dlg->Link().State().paused.load());
    EXPECT_EQ(w.LinkCaption(), TextIn(str::kSuspended, kLanguageEnglish));
    SetLanguageIndex(kLanguageTraditional);
    SendMessageW(w.Hwnd(), UM_APPLY_LANGUAGE, 0, 0);
    EXPECT_EQ(w.LinkCaption(), TextIn(str::kSuspended, kLanguageTraditional));
    // Resuming reconnects and the link reports its state again.
    SendMessageW(w.Hwnd(), IDC_TITLE_BUTTON, kLinkStateButton, kLinkStateButton);
    EXPECT_FALSE(w.dlg->Link().State().paused.load());
    EXPECT_TRUE(
        PumpUntil([&] { return w.LinkCaption() == TextIn(str::kSuccessful, kLanguageTraditional); }, 20s))
        << std::string(w.LinkCaption().size(), '?') << " link_up " << w.dlg->Link().State().link_up.load()
        << " paused " << w.dlg->Link().State().paused.load();
}

TEST_F(MainWindowTest, SmallWindowIsNotLaidOutAndALargerOneScales) {
    MainWindow w;
    ASSERT_TRUE(w.created);
    ASSERT_TRUE(w.dlg->Layout());
    const MainLayout before = *w.dlg->Layout();
    const RECT tab_before = w.ChildRect(w.dlg->Tab(1).Hwnd());
    EXPECT_EQ(tab_before.left, 110);

    // Asked for less, the window stops at its smallest legible size and is laid out there.
    SetWindowPos(w.Hwnd(), nullptr, 0, 0, 600, 300, SWP_NOZORDER | SWP_NOMOVE);
    testing::Pump();
    const RECT held = w.dlg->ClientRect();
    EXPECT_EQ(held.right, MinimumClientRect().Width());
    EXPECT_EQ(held.bottom, MinimumClientRect().Height());
    ASSERT_TRUE(w.dlg->Layout());
    EXPECT_LT(w.dlg->Layout()->s, before.s);
    EXPECT_GE(w.dlg->Layout()->title_font, kSmallestCaptionPx);
    EXPECT_GE(w.dlg->MasterFader(kMusicFader).Geometry().caption_font_height, kSmallestCaptionPx);

    SetWindowPos(w.Hwnd(), nullptr, 0, 0, 1599, 1056, SWP_NOZORDER | SWP_NOMOVE);
    testing::Pump();
    ASSERT_DOUBLE_EQ(w.dlg->Layout()->sx, 1.5);
    const RECT tab_large = w.ChildRect(w.dlg->Tab(1).Hwnd());
    EXPECT_EQ(tab_large.left, 165);
    EXPECT_EQ(tab_large.top, 60);
    const RECT page = w.ChildRect(w.dlg->PageForTab(0)->Hwnd());
    EXPECT_EQ(page.top, 195);
    EXPECT_EQ(page.bottom, 1056);
    // Maximising fills the screen and lays out again; restoring brings the previous size back.
    SetWindowPos(w.Hwnd(), nullptr, 0, 0, kDesignWidth, kDesignHeight, SWP_NOZORDER | SWP_NOMOVE);
    w.Click(w.dlg->TitleButton(kMaximiseButton));
    EXPECT_TRUE(IsZoomed(w.Hwnd()));
    const RECT zoomed = w.dlg->ClientRect();
    EXPECT_DOUBLE_EQ(w.dlg->Layout()->sx, zoomed.right / double(kDesignWidth));
    EXPECT_EQ(w.ChildRect(w.dlg->PageForTab(0)->Hwnd()).bottom, zoomed.bottom);
    RedrawWindow(w.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_TRUE(CaptureWindowPng(w.Hwnd(), testing::ArtifactsFolder() + L"\\main-window-maximised.png"));
    w.Click(w.dlg->TitleButton(kMaximiseButton));
    EXPECT_FALSE(IsZoomed(w.Hwnd()));
    EXPECT_DOUBLE_EQ(w.dlg->Layout()->s, 1.0);
    SetWindowPos(w.Hwnd(), nullptr, 0, 0, 1599, 1056, SWP_NOZORDER | SWP_NOMOVE);
    testing::Pump();

    // Tabs 8 and 9 are never on screen, yet the Rear page is laid out with the others.
    EXPECT_LT(w.ChildRect(w.dlg->Tab(kRearTab).Hwnd()).right, 0);
    EXPECT_EQ(w.ChildRect(w.dlg->PageForTab(kRearTab)->Hwnd()).bottom, 1056);
}

// What the screen shows of the window's client area.
testing::Pixels ClientPixels(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    testing::Pump();
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    HDC screen = GetDC(nullptr);
    testing::Pixels pixels = testing::ReadPixels(screen, origin.x, origin.y, client.right, client.bottom);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Maximised, every control of the page stays inside the client area; restored, the page looks as before.
TEST_F(MainWindowTest, MaximiseFitsThePageAndRestoreGivesBackTheSameLook) {
    MainWindow w;
    ASSERT_TRUE(w.created);
    ASSERT_TRUE(w.WaitLoaded());
    CPageWindow* page = w.dlg->PageForTab(0);
    ASSERT_NE(page, nullptr);
    // The selected handle's animation is the only thing that may change between the two pictures.
    const testing::Pixels before = ClientPixels(w.Hwnd());

    w.Click(w.dlg->TitleButton(kMaximiseButton));
    ASSERT_TRUE(IsZoomed(w.Hwnd()));
    testing::Pump();
    const RECT zoomed = w.dlg->ClientRect();
    for (HWND child = GetWindow(page->Hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT r = w.ChildRect(child);
        if (r.right <= 0 || !IsWindowVisible(child))
            continue;  // parked out of sight
        EXPECT_LE(r.bottom, zoomed.bottom) << GetDlgCtrlID(child);
        EXPECT_LE(r.right, zoomed.right) << GetDlgCtrlID(child);
    }

    w.Click(w.dlg->TitleButton(kMaximiseButton));
    ASSERT_FALSE(IsZoomed(w.Hwnd()));
    testing::Pump();
    const testing::Pixels after = ClientPixels(w.Hwnd());
    ASSERT_EQ(after.width, before.width);
    ASSERT_EQ(after.height, before.height);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < before.data.size(); ++i) {
        const auto channel = [](std::uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); };
        int most = 0;
        for (const int shift : {0, 8, 16})
            most = std::max(most, std::abs(channel(before.data[i], shift) - channel(after.data[i], shift)));
        differing += most > 24 ? 1 : 0;
    }
    EXPECT_LT(differing, before.data.size() / 200) << differing << " of " << before.data.size();
    EXPECT_TRUE(CaptureWindowPng(w.Hwnd(), testing::ArtifactsFolder() + L"\\main-window-restored.png"));
}

TEST_F(MainWindowTest, TabsShowOnePageAtATimeAndNeverTheRearPage) {
    MainWindow w;
    ASSERT_TRUE(w.created);
    testing::Pump();
    for (int tab : {3, 7, 1, 9, 0}) {
        w.Click(w.dlg->Tab(tab));
        for (int i : {0, 1, 2, 3, 4, 5, 6, 7, kRearTab}) {
            const bool shown = IsWindowVisible(w.dlg->PageForTab(i)->Hwnd()) != FALSE;
            EXPECT_EQ(shown, i == tab && tab != kRearTab) << "tab " << tab << " page " << i;
            if (i <= 7) {
                EXPECT_EQ(w.dlg->Tab(i).GetCheck(),
                          i == tab ? CGDI_Button::kLatchOn : CGDI_Button::kLatchOff);
            }
        }
    }
}

TEST_F(MainWindowTest, EnterAndEscapeDoNotCloseTheWindow) {
    MainWindow w;
    ASSERT_TRUE(w.created);
    testing::Pump();
    SetFocus(w.Hwnd());
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        MSG msg{w.Hwnd(), WM_KEYDOWN, key, 0, 0, {}};
        if (!IsDialogMessageW(w.Hwnd(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    SendMessageW(w.Hwnd(), WM_COMMAND, IDOK, 0);
    SendMessageW(w.Hwnd(), WM_COMMAND, IDCANCEL, 0);
    testing::Pump();
    EXPECT_TRUE(IsWindow(w.Hwnd()));
    EXPECT_TRUE(IsWindowVisible(w.Hwnd()));
    EXPECT_TRUE(w.boxes.boxes.empty());
}

TEST_F(MainWindowTest, TrayHidesAndAClickOnTheIconBringsTheWindowBack) {
    MainWindow w;
    ASSERT_TRUE(w.created);
    testing::Pump();
    w.Click(w.dlg->TitleButton(kTrayButton));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(w.Hwnd()); }, 2s));
    EXPECT_TRUE(w.dlg->TrayIconShown());
    SendMessageW(w.Hwnd(), UM_TRAY_NOTIFY, 128, WM_MOUSEMOVE);
    EXPECT_FALSE(IsWindowVisible(w.Hwnd()));
    SendMessageW(w.Hwnd(), UM_TRAY_NOTIFY, 128, WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(w.Hwnd()));
    EXPECT_FALSE(w.dlg->TrayIconShown());
}

TEST_F(MainWindowTest, AboutBoxFromTheTopLeftCornerOffersTheLogFolder) {
    std::vector<std::filesystem::path> opened;
    SetFolderOpener([&](const std::filesystem::path& folder) {
        opened.push_back(folder);
        return true;
    });
    MainWindow w;
    ASSERT_TRUE(w.created);
    w.boxes.yes_no_answer = IDNO;
    SendMessageW(w.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, testing::Point(5, 5));
    ASSERT_EQ(w.boxes.boxes.size(), 1u);
    EXPECT_EQ(w.boxes.boxes[0].caption, L"About");
    EXPECT_EQ(w.boxes.boxes[0].text.rfind(L"Software version VELA3.1-V7.25089\n\r", 0), 0u);
    EXPECT_NE(w.boxes.boxes[0].text.find(L"Open the log folder?"), std::wstring::npos);
    EXPECT_TRUE(opened.empty());

    w.boxes.yes_no_answer = IDYES;
    SendMessageW(w.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, testing::Point(5, 5));
    SetFolderOpener(nullptr);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], LogFolder());
    EXPECT_EQ(opened[0].filename(), L"logs");
    // The log of this window's start is there.
    EXPECT_TRUE(std::filesystem::exists(opened[0] / L"vela.log"));
}

TEST_F(MainWindowTest, ClosingAsksThenStopsTheLink) {
    MainWindow w;
    ASSERT_TRUE(w.created);
    ASSERT_TRUE(PumpUntil([&] { return w.Connected(); }, 20s));

    w.boxes.yes_no_answer = IDNO;
    w.Click(w.dlg->TitleButton(kCloseButton));
    testing::Pump();
    EXPECT_TRUE(w.boxes.Asked(Text(str::kExitProgram)));
    EXPECT_TRUE(IsWindow(w.Hwnd()));
    EXPECT_TRUE(w.dlg->Controller()->Running());

    w.boxes.yes_no_answer = IDYES;
    const HWND hwnd = w.Hwnd();
    const auto start = std::chrono::steady_clock::now();
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_TRUE(w.dlg->Closed());
    EXPECT_FALSE(w.dlg->Controller()->Running());
    EXPECT_FALSE(w.dlg->Link().State().running.load());
    std::printf("close took %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
}

// Idle, the link's heartbeat reads the music source again and again. A value that did not change repaints
// nothing, and a strip page's animated handle goes to the screen without a paint message: idle, no window
// paints at all, while the handle still moves.
TEST_F(MainWindowTest, IdleHeartbeatsRepaintNothingWhileTheHandleAnimates) {
    MainWindow w;
    ASSERT_TRUE(w.created);
    ASSERT_TRUE(w.WaitLoaded());
    // Counted on the link's threads, which may outlive this test's locals.
    const auto heartbeat_count = std::make_shared<std::atomic<int>>(0);
    std::atomic<int>& heartbeats = *heartbeat_count;
    w.Sim().SetLog([heartbeat_count](const std::string& line) {
        if (line.find("host> 80 05 06 03 9D") == 0)  // a read of the music source
            ++*heartbeat_count;
    });
    struct Idle {
        std::vector<HWND> painted;
        int looks = 0;  // distinct pictures of the graph seen on the screen
    };
    // Between the first and the second heartbeat after switching to the tab.
    const auto idle_on = [&](int tab) {
        w.Click(w.dlg->Tab(tab));
        RedrawWindow(w.Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        const HWND graph = GetDlgItem(w.dlg->PageForTab(tab)->Hwnd(), 2245);
        const int start = heartbeats.load();
        Idle idle;
        std::vector<std::vector<std::uint32_t>> looks;
        // Pumped here rather than through PumpUntil, to see each paint before it is dispatched.
        const auto end = std::chrono::steady_clock::now() + 15s;
        while (heartbeats.load() < start + 2 && std::chrono::steady_clock::now() < end) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 30, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_PAINT && heartbeats.load() > start)
                    idle.painted.push_back(msg.hwnd);
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (graph && IsWindowVisible(graph)) {
                const RECT r = w.ChildRect(graph);
                WindowDc dc(graph);
                auto look = testing::ReadPixels(dc.Get(), 0, 0, r.right - r.left, r.bottom - r.top).data;
                for (auto& v : look)
                    v &= 0xFFFFFF;
                if (std::find(looks.begin(), looks.end(), look) == looks.end())
                    looks.push_back(std::move(look));
            }
        }
        EXPECT_GE(heartbeats.load(), start + 2) << "tab " << tab;
        idle.looks = static_cast<int>(looks.size());
        return idle;
    };
    for (int tab : {7, 3}) {
        const Idle idle = idle_on(tab);
        for (HWND painted : idle.painted) {
            wchar_t name[64]{};
            GetClassNameW(painted, name, 64);
            ADD_FAILURE() << "tab " << tab << " repainted a " << std::string(name, name + wcslen(name));
        }
        if (tab == 3) {
            EXPECT_GE(idle.looks, 2) << "the selected handle animates";
        }
    }
    w.Sim().SetLog(nullptr);
}

// The program's own way of running the window (modal), closed while a box nobody answers is open over it:
// a second close asks nothing more, "Yes" ends the window's loop, and the window is never brought back.
TEST_F(MainWindowTest, YesToExitEndsTheWindowThoughABoxIsLeftOpen) {
    struct Seen {
        CZR305M2Dlg* dlg = nullptr;
        int exit_questions = 0;
        bool box_opened = false;
        bool answered_yes = false;
        bool revived = false;
        bool box_ended_by_test = false;
        int ticks = 0;
        int ticks_after_yes = 0;
    };
    static Seen seen;
    VelaOptions options;
    options.device.kind = DeviceSpec::Kind::kSim;
    CZR305M2Dlg dlg(options);
    seen = Seen{&dlg};
    SetMessageBoxResponder([](const MessageBoxRequest& box) {
        if (box.text != Text(str::kExitProgram))
            return IDOK;
        // The user closes again while the question is still open, then answers it.
        if (++seen.exit_questions == 1)
            SendMessageW(seen.dlg->Hwnd(), WM_CLOSE, 0, 0);
        seen.answered_yes = true;
        return IDYES;
    });
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
        CZR305M2Dlg& d = *seen.dlg;
        if (seen.answered_yes) {
            // Between "Yes" and the end of the window's loop, a second start finds nothing to raise.
            seen.revived = seen.revived || RaiseRunningInstance();
            if (++seen.ticks_after_yes == 100) {
                if (HWND left = FrontWindowOf(d.Hwnd()); left != d.Hwnd()) {
                    seen.box_ended_by_test = true;
                    EndDialog(left, IDOK);
                }
            }
            return;
        }
        if (seen.box_opened || !d.Hwnd())
            return;
        const bool up = d.TitleButton(kLinkStateButton).GetCaption() == Text(str::kSuccessful);
        if (!up && ++seen.ticks < 300)
            return;
        seen.box_opened = true;
        // A real box, as one the link or a page shows, which the user leaves open.
        PostMessageW(d.Hwnd(), WM_CLOSE, 0, 0);
        MessageBoxW(d.Hwnd(), L"left open", L"vela test", MB_OK);
    });
    const INT_PTR result = dlg.DoModal(nullptr);
    KillTimer(nullptr, timer);
    SetMessageBoxResponder(nullptr);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(seen.box_opened);
    EXPECT_EQ(seen.exit_questions, 1);
    EXPECT_FALSE(seen.box_ended_by_test);
    EXPECT_FALSE(seen.revived);
    EXPECT_TRUE(dlg.Closed());
    EXPECT_FALSE(dlg.Link().State().running.load());
}

// Screenshots of the main window in every language, for a person to look at.
TEST_F(MainWindowTest, ScreenshotsInEveryLanguage) {
    MainWindow w;
    ASSERT_TRUE(w.created);
    ASSERT_TRUE(w.WaitLoaded());
    SetWindowPos(w.Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    static constexpr const wchar_t* kNames[] = {L"zh-Hans", L"zh-Hant", L"en"};
    for (int language : {kLanguageSimplified, kLanguageTraditional, kLanguageEnglish}) {
        SetLanguageIndex(language);
        SendMessageW(w.Hwnd(), UM_APPLY_LANGUAGE, 0, 0);
        SendMessageW(w.Hwnd(), IDC_TAB, 0, language == kLanguageEnglish ? 4 : 0);
        RedrawWindow(w.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        testing::Pump();
        const std::wstring path = testing::ArtifactsFolder() + L"\\main-window-" + kNames[language] + L".png";
        EXPECT_TRUE(CaptureWindowPng(w.Hwnd(), path));
        // The title strip is drawn (not left black) and the link state shows.
        WindowDc dc(w.Hwnd());
        const testing::Pixels top = testing::ReadPixels(dc.Get(), 0, 0, 1066, 130);
        EXPECT_GT(top.Brightness(0, 0, 1066, 130), 10.0);
    }
}

// vela.exe next to this test executable's build: build/windows/src/vela.exe.
std::wstring VelaExe() {
    return testing::BuiltProgram(L"vela.exe");
}

int RunVela(const std::wstring& arguments, DWORD timeout_ms, bool& finished) {
    return testing::RunProcess(VelaExe(), arguments, timeout_ms, finished);
}

// The program's language follows the machine's settings: a text counts in any of the three.
bool HasTextInAnyLanguage(const std::string& haystack, int entry) {
    for (int language = 0; language < kLanguageCount; ++language)
        if (haystack.find(ToUtf8(TextIn(entry, language))) != std::string::npos)
            return true;
    return false;
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(VelaProgramTest, SecondStartHandsOverToTheRunningOneAndEndsWithZero) {
    ASSERT_TRUE(std::filesystem::exists(VelaExe())) << "build the vela target first";
    // This process plays the running instance: it holds the mutex and a minimised main window.
    HANDLE mutex = CreateMutexW(nullptr, TRUE, kInstanceMutexName);
    ASSERT_NE(mutex, nullptr);
    testing::HostWindow running(300, 200, L"running vela");
    SetPropW(running.Hwnd(), kMainWindowProperty, reinterpret_cast<HANDLE>(1));
    ShowWindow(running.Hwnd(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(running.Hwnd()));

    const std::filesystem::path folder = std::filesystem::temp_directory_path() / L"vela-second-start";
    std::filesystem::remove_all(folder);
    bool finished = false;
    const int code = RunVela(L"--device sim --screenshots \"" + folder.wstring() + L"\"", 30000, finished);
    // The other process sends its restore to this thread's window.
    testing::PumpUntil([&] { return !IsIconic(running.Hwnd()); }, 2s);
    CloseHandle(mutex);
    ASSERT_TRUE(finished);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(IsIconic(running.Hwnd()));
    const std::string messages = ReadText(folder / L"messages.txt");
    EXPECT_TRUE(HasTextInAnyLanguage(messages, str::kProgramRunning)) << messages;
    EXPECT_NE(ReadText(folder / L"result.txt").find("second instance"), std::string::npos);
    std::filesystem::remove_all(folder);
}

// The program as a user starts it, without a person: up against the virtual processor, a picture of every
// tab in every language, then closed through the exit question with exit code 0.
TEST(VelaProgramTest, UnattendedRunReachesSuccessfulAndPicturesEveryTab) {
    ASSERT_TRUE(std::filesystem::exists(VelaExe()));
    const std::filesystem::path folder = std::filesystem::path(testing::ArtifactsFolder()) / L"program";
    std::filesystem::remove_all(folder);
    bool finished = false;
    const int code = RunVela(
        L"--device sim --screenshots \"" + folder.wstring() + L"\" --screenshot-timeout 60", 90000, finished);
    ASSERT_TRUE(finished);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadText(folder / L"result.txt"), "ok\n");
    int pictures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        pictures += entry.path().extension() == L".png" ? 1 : 0;
    EXPECT_EQ(pictures, 9 * kLanguageCount);  // eight tabs and the Wi-Fi dialog
    // Only the exit question was asked.
    const std::string messages = ReadText(folder / L"messages.txt");
    EXPECT_TRUE(HasTextInAnyLanguage(messages, str::kExitProgram)) << messages;
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 1) << messages;
}

// The PNG's own width and height (IHDR), or 0 x 0 when the file is not a PNG.
SIZE PngSize(const std::filesystem::path& path) {
    const std::string bytes = ReadText(path);
    constexpr std::size_t kHeaderEnd = 24;
    if (bytes.size() < kHeaderEnd || bytes.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    const auto word = [&](std::size_t at) {
        long v = 0;
        for (std::size_t i = 0; i < 4; ++i)
            v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
        return v;
    };
    return {word(16), word(20)};
}

// Wine takes the screen's scaling from this value when a program starts; the guard puts the old one back.
class ScreenScaling {
  public:
    explicit ScreenScaling(DWORD dpi) {
        DWORD size = sizeof(old_);
        had_ = RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &old_, &size) ==
               ERROR_SUCCESS;
        ok_ = RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &dpi, sizeof(dpi)) == ERROR_SUCCESS;
    }
    ~ScreenScaling() {
        if (had_) {
            RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &old_, sizeof(old_));
        } else {
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
        }
    }
    bool Ok() const { return ok_; }

  private:
    static constexpr const wchar_t* kKey = L"Control Panel\\Desktop";
    static constexpr const wchar_t* kValue = L"LogPixels";
    DWORD old_ = 0;
    bool had_ = false;
    bool ok_ = false;
};

// At 150 % the window opens at one and a half times the design size, or as large as the screen allows with
// the same aspect; the picture is the same, larger.
TEST(VelaProgramTest, OpensAtTheScreensScaling) {
    ASSERT_TRUE(std::filesystem::exists(VelaExe()));
    constexpr int kDpi = 144;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / L"vela-dpi";
    std::filesystem::remove_all(folder);
    bool finished = false;
    int code = -1;
    {
        ScreenScaling scaling(kDpi);
        ASSERT_TRUE(scaling.Ok());
        code = RunVela(L"--device sim --screenshots \"" + folder.wstring() + L"\" --screenshot-timeout 60",
                       90000, finished);
    }
    ASSERT_TRUE(finished);
    EXPECT_EQ(code, 0) << ReadText(folder / L"result.txt");
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const Rect expected = InitialWindowRect(kDpi, Rect{work.left, work.top, work.right, work.bottom});
    const SIZE shot = PngSize(folder / L"vela-en-0-main.png");
    EXPECT_EQ(shot.cx, expected.Width());
    EXPECT_EQ(shot.cy, expected.Height());
    EXPECT_GT(shot.cx, kDesignWidth) << "the window must grow with the scaling";
    std::error_code ignored;
    std::filesystem::copy_file(
        folder / L"vela-en-0-main.png",
        std::filesystem::path(testing::ArtifactsFolder()) / L"main-window-150-percent.png",
        std::filesystem::copy_options::overwrite_existing, ignored);
    std::filesystem::remove_all(folder);
}

TEST(VelaProgramTest, BadDeviceSpecEndsNonZero) {
    ASSERT_TRUE(std::filesystem::exists(VelaExe()));
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / L"vela-bad-spec";
    std::filesystem::remove_all(folder);
    bool finished = false;
    const int code = RunVela(L"--screenshots \"" + folder.wstring() + L"\" --device serial", 30000, finished);
    ASSERT_TRUE(finished);
    EXPECT_NE(code, 0);
    EXPECT_NE(ReadText(folder / L"messages.txt").find("Bad device \"serial\""), std::string::npos);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vela
