// Every control of the main window and its pages carries a tip in the current language, through the
// tooltip control the system shows; a language change rewrites them all.
#include "core/pages/page_tips.h"

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <memory>
#include <set>
#include <string>

#include "core/text/strings.h"
#include "core/text/utf8.h"
#include "gui/app/main_dialog_win32.h"
#include "gui/pages/strip_page_win32.h"
#include "gui/support/win_test_support.h"
#include "gui/win/message_box_win32.h"
#include "gui/win/screenshot_win32.h"

namespace vela {
namespace {

using namespace std::chrono_literals;
using testing::PumpUntil;

class PageTipsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        language_ = LanguageIndex();
        SetLanguageIndex(kLanguageEnglish);
        SetMessageBoxResponder([](const MessageBoxRequest&) { return IDOK; });
        VelaOptions options;
        options.device.kind = DeviceSpec::Kind::kSim;
        main_ = std::make_unique<CZR305M2Dlg>(options);
        ASSERT_TRUE(main_->CreateModeless(nullptr));
        ShowWindow(main_->Hwnd(), SW_SHOW);
        ASSERT_TRUE(PumpUntil([&] { return main_->DisplayLoaded(); }, 30s));
    }
    void TearDown() override {
        main_.reset();
        SetMessageBoxResponder(nullptr);
        SetLanguageIndex(language_);
    }
    void Language(int language) {
        SetLanguageIndex(language);
        SendMessageW(main_->Hwnd(), UM_APPLY_LANGUAGE, 0, 0);
        testing::Pump();
    }
    // A skinned control's tip: what the tooltip holds is what the control was given, and not empty.
    void ExpectTip(CSkinnedControl& c, const std::string& what) {
        EXPECT_FALSE(c.Help().empty()) << what;
        EXPECT_EQ(c.TipText().substr(0, c.Help().size()), c.Help()) << what;
        tips_.insert(c.Help());
    }
    void ExpectStripTips(int tab) {
        SendMessageW(main_->Hwnd(), IDC_TAB, 0, tab);
        testing::Pump();
        auto* page = dynamic_cast<CStripPageWindow*>(main_->PageForTab(tab));
        ASSERT_NE(page, nullptr);
        ASSERT_TRUE(page->ControlsCreated());
        const StripPage& m = page->Model();
        const StripDescriptor& d = m.Descriptor();
        const std::string on = " on tab " + std::to_string(tab);
        for (int i = 0; i < d.value_slots; ++i)
            if (m.SlotShown(i))
                ExpectTip(page->ValueControl(i), "value " + std::to_string(i) + on);
        for (int i = 0; i < d.combo_slots; ++i)
            if (m.ComboShown(i))
                ExpectTip(page->Combo(i), "combo " + std::to_string(i) + on);
        for (int i = 0; i < d.button_slots; ++i)
            if (m.ButtonShown(i))
                ExpectTip(page->Button(i), "button " + std::to_string(i) + on);
        for (int band = 0; band < d.band_count; ++band)
            ExpectTip(page->Editor(band), "band " + std::to_string(band) + on);
        ExpectTip(page->Graph(), "graph" + on);
    }
    void ExpectSystemTips() {
        SendMessageW(main_->Hwnd(), IDC_TAB, 0, 7);
        testing::Pump();
        CWinSystem& s = main_->SystemWindow();
        for (int i = 0; i < system_value::kCount; ++i)
            if (i != 4 && i != 5)  // MIC B's pair is never shown
                ExpectTip(s.ValueControl(i), "system value " + std::to_string(i));
        for (int i = 0; i < system_button::kCount; ++i)
            ExpectTip(s.Button(i), "system button " + std::to_string(i));
        for (const int id : {system_ids::kKeyPassword, system_ids::kNewKeyPassword, system_ids::kKeyEnable,
                             system_ids::kKeyDisable, system_ids::kSystemPassword, system_ids::kOldPassword,
                             system_ids::kNewPassword, system_ids::kConfirmPassword, system_ids::kSceneList,
                             system_ids::kSceneName, system_ids::kLanguageList, system_ids::kPowerOnList,
                             system_ids::kLocalFile, system_ids::kMusicGate, system_ids::kMicGate}) {
            EXPECT_EQ(s.ItemTip(id), tips::SystemItem(id)) << "system item " << id;
            EXPECT_FALSE(s.ItemTip(id).empty()) << "system item " << id;
        }
    }

    std::unique_ptr<CZR305M2Dlg> main_;
    std::set<std::wstring> tips_;  // every tip seen in the current language
    int language_ = kLanguageEnglish;
};

TEST_F(PageTipsTest, EveryControlHasATipInEachLanguage) {
    std::set<std::wstring> before;
    for (int language : {kLanguageSimplified, kLanguageTraditional, kLanguageEnglish}) {
        SCOPED_TRACE(language);
        Language(language);
        tips_.clear();
        for (int i = 0; i < kTitleButtonCount; ++i)
            ExpectTip(main_->TitleButton(i), "title button " + std::to_string(i));
        for (int i = 0; i <= kLastSwitchableTab; ++i)
            ExpectTip(main_->Tab(i), "tab " + std::to_string(i));
        for (int i = 0; i < kMasterFaderCount; ++i)
            ExpectTip(main_->MasterFader(i), "master fader " + std::to_string(i));
        ExpectTip(main_->MusicSource(), "music source");
        for (int tab = 0; tab < 7; ++tab)
            ExpectStripTips(tab);
        ExpectSystemTips();
        // The tips are this language's: none of them was shown in the language before.
        for (const std::wstring& tip : tips_)
            EXPECT_EQ(before.count(tip), 0u);
        before = tips_;
    }
    // What the installer asks about: why a master stops short, and what FBX's steps mean.
    EXPECT_NE(main_->MasterFader(0).Help().find(L"84"), std::wstring::npos);
    EXPECT_NE(tips::StripCombo(kFbxCombo).find(L"1, 2, 3"), std::wstring::npos);
}

// A tip the system shows now, among this thread's windows.
HWND ShownTip() {
    return testing::ShownThreadWindow(TOOLTIPS_CLASSW);
}

// Rests the mouse on `control` until its tip shows; the tip, or nothing.
HWND RestOn(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    SetCursorPos(at.x, at.y);
    ScreenToClient(control, &at);
    SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    HWND tip = nullptr;
    PumpUntil(
        [&] {
            tip = ShownTip();
            return tip != nullptr;
        },
        3s);
    return tip;
}

// The tips as the system draws them, for the artifacts: what FBX means, why a master stops short, the
// System page's Max, and a level the processor holds out of range; in each language, without a box for a
// character and with the control's whole text.
TEST_F(PageTipsTest, TipsAreDrawnInEachLanguage) {
    const wchar_t* names[] = {L"zh-Hans", L"zh-Hant", L"en"};
    for (int language : {kLanguageSimplified, kLanguageTraditional, kLanguageEnglish}) {
        SCOPED_TRACE(language);
        Language(language);
        auto& mic = dynamic_cast<CStripPageWindow&>(*main_->PageForTab(layout::kMicPage));
        auto& out = dynamic_cast<CStripPageWindow&>(*main_->PageForTab(layout::kMainPage));
        const struct {
            int tab;
            CSkinnedControl* control;
            const wchar_t* name;
        } shots[] = {
            {layout::kMicPage, &mic.Combo(kFbxCombo), L"fbx"},
            {layout::kMainPage, &out.ValueControl(0), L"out-of-range"},
            {layout::kMainPage, &main_->MasterFader(0), L"master"},
            {7, &main_->SystemWindow().ValueControl(0), L"system"},
        };
        for (const auto& shot : shots) {
            SCOPED_TRACE(ToUtf8(shot.name));
            SendMessageW(main_->Hwnd(), IDC_TAB, 0, shot.tab);
            testing::Pump();
            if (shot.control == &out.ValueControl(0))
                out.Model().SetCodeValue(44, 777);  // the Main strip's music level, beyond 100 %
            const HWND tip = RestOn(shot.control->Hwnd());
            ASSERT_NE(tip, nullptr) << "the tip shows";
            std::wstring shown(1024, L'\0');
            shown.resize(static_cast<std::size_t>(GetWindowTextW(tip, shown.data(), 1024)));
            EXPECT_EQ(shown, shot.control->TipText());
            CaptureWindowPng(
                tip, testing::ArtifactsFolder() + L"\\tip-" + shot.name + L"-" + names[language] + L".png");
            ShowWindow(tip, SW_HIDE);
        }
        EXPECT_NE(out.ValueControl(0).TipText().find(FormatText(Text(extra::kDeviceValueOutOfRange), 777)),
                  std::wstring::npos);
    }
}

}  // namespace
}  // namespace vela
