// CWinSystem in the main window against the in-process virtual processor: passwords with their messages,
// a device scene stored under a name and recalled, a local scene file saved, listed, loaded and deleted,
// an external file imported then stored, the language chosen here, and the Wi-Fi dialog it opens.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "core/protocol/protocol.h"
#include "core/text/strings.h"
#include "core/ui/main_layout.h"
#include "gui/app/main_dialog_win32.h"
#include "gui/pages/wifi_dialog_win32.h"
#include "gui/support/win_test_support.h"
#include "gui/win/message_box_win32.h"
#include "sim/sim_device.h"
#include "support/temp_dir.h"

namespace vela {
namespace {

using namespace std::chrono_literals;
using testing::PumpUntil;
namespace ids = system_ids;
namespace button = system_button;

struct Boxes {
    std::vector<MessageBoxRequest> asked;
    int ok_cancel_answer = IDOK;
    Boxes() {
        SetMessageBoxResponder([this](const MessageBoxRequest& box) {
            asked.push_back(box);
            switch (box.type & MB_TYPEMASK) {
                case MB_YESNO:
                    return IDYES;
                case MB_OKCANCEL:
                    return ok_cancel_answer;
                default:
                    return IDOK;
            }
        });
    }
    ~Boxes() { SetMessageBoxResponder(nullptr); }
    int Count(std::wstring_view text) const {
        int n = 0;
        for (const auto& b : asked)
            n += b.text == text ? 1 : 0;
        return n;
    }
    bool Asked(std::wstring_view text) const { return Count(text) > 0; }
};

// The program keeps its settings and scene files in the current folder: each test gets its own, and the
// settings' mirror copy of the language is put back as it was.
class ScopedFolder {
  public:
    ScopedFolder() {
        wchar_t before[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, before);
        before_ = before;
        SetCurrentDirectoryW(dir_.Path().wstring().c_str());
        mirror_ = FileLocations::System().MirrorDirectory() / "Language.ini";
        if (std::ifstream in{mirror_, std::ios::binary}) {
            std::stringstream s;
            s << in.rdbuf();
            saved_ = s.str();
        }
    }
    ~ScopedFolder() {
        SetCurrentDirectoryW(before_.c_str());
        std::error_code ec;
        if (saved_) {
            std::ofstream(mirror_, std::ios::binary) << *saved_;
        } else {
            std::filesystem::remove(mirror_, ec);
        }
    }
    const std::filesystem::path& Path() const { return dir_.Path(); }

  private:
    testing::TempDir dir_;
    std::wstring before_;
    std::filesystem::path mirror_;
    std::optional<std::string> saved_;
};

class SystemPageWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        language_ = LanguageIndex();
        SetLanguageIndex(kLanguageEnglish);
        Open();
    }
    void TearDown() override {
        main_.reset();
        SetLanguageIndex(language_);
    }
    void Open() {
        VelaOptions options;
        options.device.kind = DeviceSpec::Kind::kSim;
        main_ = std::make_unique<CZR305M2Dlg>(options);
        ASSERT_TRUE(main_->CreateModeless(nullptr));
        ShowWindow(main_->Hwnd(), SW_SHOW);
        ASSERT_TRUE(PumpUntil([&] { return main_->DisplayLoaded(); }, 30s));
        SendMessageW(main_->Hwnd(), IDC_TAB, 0, 7);
        testing::Pump();
        ASSERT_TRUE(Page().ControlsCreated());
    }
    CWinSystem& Page() { return main_->SystemWindow(); }
    HWND P() { return Page().Hwnd(); }
    sim::SimulatedDevice& Sim() { return static_cast<sim::SimHidDevice&>(main_->Device()).Device(); }
    void Click(int b) {
        SendMessageW(P(), CWinSystem::kButtonId + b, static_cast<WPARAM>(b), 0);
        testing::Pump();
    }
    void Type(int id, const wchar_t* text) { SetDlgItemTextW(P(), id, text); }
    // The messages shown so far, for a failure's report.
    std::string Said() const {
        std::string all;
        for (const auto& b : boxes.asked) {
            all += '[';
            for (const wchar_t c : b.text)
                all += c < 0x80 ? static_cast<char>(c) : '?';
            all += ']';
        }
        return all;
    }
    std::wstring ItemText(int id) {
        wchar_t text[256] = {};
        GetDlgItemTextW(P(), id, text, 256);
        return text;
    }
    void Choose(int id, int item) {
        SendDlgItemMessageW(P(), id, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        SendMessageW(P(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(P(), id)));
        testing::Pump();
    }
    std::vector<std::wstring> ListItems(int id) {
        std::vector<std::wstring> items;
        const auto n = SendDlgItemMessageW(P(), id, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            wchar_t text[256] = {};
            SendDlgItemMessageW(P(), id, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                reinterpret_cast<LPARAM>(text));
            items.emplace_back(text);
        }
        return items;
    }
    // Writes through the window's table, as any edit does, and waits for the device to hold it.
    bool DeviceHolds(std::size_t index, std::uint16_t value) {
        main_->Link().WriteParameter(index, value);
        return PumpUntil([&] { return Sim().Value(index) == value; }, 20s);
    }
    bool SavedSettings(std::uint64_t before) {
        return Sim().WithProcessor(
                   [](sim::VirtualProcessor& p) { return p.FramesReceived(cmd::kSaveSettings); }) > before;
    }

    Boxes boxes;
    ScopedFolder folder;
    std::unique_ptr<CZR305M2Dlg> main_;
    int language_ = kLanguageEnglish;
};

TEST_F(SystemPageWindowTest, PasswordsAreCheckedThenChangedOnTheDevice) {
    ASSERT_TRUE(DeviceHolds(928, 0x1234));
    ASSERT_TRUE(DeviceHolds(930, 0x12));
    ASSERT_TRUE(DeviceHolds(931, 0x3456));

    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(P(), ids::kNewKeyPassword)));
    Type(ids::kKeyPassword, L"12345");
    Click(button::kCheckKeyPassword);
    EXPECT_TRUE(boxes.Asked(L"Password only for four figures!"));
    Type(ids::kKeyPassword, L"1243");
    Click(button::kCheckKeyPassword);
    EXPECT_TRUE(boxes.Asked(L"Wrong password!"));
    Type(ids::kKeyPassword, L"1234");
    Click(button::kCheckKeyPassword);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(P(), ids::kNewKeyPassword)));
    Type(ids::kNewKeyPassword, L"987");
    Click(button::kChangeKeyPassword);
    EXPECT_TRUE(boxes.Asked(L"New_T(Password only for four figures!"));
    Type(ids::kNewKeyPassword, L"9876");
    Click(button::kChangeKeyPassword);
    EXPECT_EQ(boxes.Count(L"Password is changed!"), 1);
    EXPECT_TRUE(PumpUntil([&] { return Sim().Value(928) == 0x9876; }, 20s));

    // The keypad password switch.
    SendMessageW(P(), WM_COMMAND, MAKEWPARAM(ids::kKeyDisable, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(P(), ids::kKeyDisable)));
    EXPECT_TRUE(PumpUntil([&] { return Sim().Value(929) == 0; }, 20s));

    Type(ids::kSystemPassword, L"12345");
    Click(button::kCheckSystemPassword);
    EXPECT_TRUE(boxes.Asked(L"Password only for six figures!"));
    EXPECT_EQ(ItemText(ids::kSystemPassword), L"");
    Type(ids::kSystemPassword, L"123456");
    Click(button::kCheckSystemPassword);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(P(), ids::kConfirmPassword)));
    Type(ids::kOldPassword, L"123456");
    Type(ids::kNewPassword, L"987654");
    Type(ids::kConfirmPassword, L"987600");
    Click(button::kChangeSystemPassword);
    EXPECT_TRUE(boxes.Asked(L"The new passwords don't match!"));
    Type(ids::kConfirmPassword, L"987654");
    Click(button::kChangeSystemPassword);
    EXPECT_EQ(boxes.Count(L"Password is changed!"), 2);
    EXPECT_TRUE(PumpUntil([&] { return Sim().Value(930) == 0x98 && Sim().Value(931) == 0x7654; }, 20s));
    Click(button::kResetPasswords);
    EXPECT_EQ(ItemText(ids::kOldPassword), L"");

    // Without a device the checks say so and change nothing.
    main_->Link().State().paused = true;
    Sim().Unplug();
    ASSERT_TRUE(PumpUntil([&] { return !main_->Link().State().link_up.load(); }, 20s));
    Type(ids::kKeyPassword, L"9876");
    Click(button::kCheckKeyPassword);
    Click(button::kCheckSystemPassword);
    EXPECT_EQ(boxes.Count(L"No Device!"), 2);
    Sim().Replug();
    main_->Link().State().paused = false;
}

TEST_F(SystemPageWindowTest, MaximumBelowThePowerOnVolumeMovesItAndHoldsTheMasterFader) {
    main_->MasterFader(0).SetValue(50);
    Page().ValueControl(1).SetValue(20);  // Music Max
    SendMessageW(P(), CWinSystem::kValueId + 1, 1, 20);
    testing::Pump();
    EXPECT_EQ(Page().ValueControl(0).GetValue(), 20);
    EXPECT_TRUE(PumpUntil([&] { return Sim().Value(920) == 20 && Sim().Value(921) == 20; }, 20s));
    EXPECT_TRUE(PumpUntil([&] { return main_->MasterFader(0).GetValue() <= 20; }, 5s));
}

TEST_F(SystemPageWindowTest, ASceneStoredUnderANameIsRecalledByName) {
    Choose(ids::kSceneList, 2);
    Type(ids::kSceneName, L"Lounge");
    Click(button::kSaveScene);
    ASSERT_TRUE(PumpUntil(
        [&] {
            return Sim()
                       .WithProcessor([](sim::VirtualProcessor& p) { return p.SceneName(3); })
                       .rfind("Lounge", 0) == 0;
        },
        20s))
        << Said() << " 934=" << main_->Link().Table().Value(934) << " name=\""
        << Sim().WithProcessor([](sim::VirtualProcessor& p) { return p.SceneName(3); }) << "\"";
    ASSERT_TRUE(PumpUntil([&] { return boxes.Asked(Text(str::kSaveSuccessful)); }, 20s));

    Choose(ids::kSceneList, 0);
    Type(ids::kSceneName, L"");
    Choose(ids::kSceneList, 2);
    EXPECT_TRUE(PumpUntil([&] { return ItemText(ids::kSceneName) == L"Lounge"; }, 20s));

    const std::uint16_t stored =
        Sim().WithProcessor([](sim::VirtualProcessor& p) { return p.SceneValues(3)[300]; });
    ASSERT_TRUE(DeviceHolds(300, static_cast<std::uint16_t>(stored + 1)));
    Click(button::kUseScene);
    EXPECT_TRUE(PumpUntil(
        [&] { return Sim().Value(300) == stored && main_->Link().Table().Value(300) == stored; }, 30s));
}

TEST_F(SystemPageWindowTest, ALocalFileIsSavedListedLoadedIntoTheDeviceAndDeleted) {
    ASSERT_TRUE(DeviceHolds(300, 111));
    Type(ids::kLocalFile, L"club");
    Click(button::kSaveLocal);
    const auto file = folder.Path() / "club.lub";
    ASSERT_TRUE(PumpUntil([&] { return std::filesystem::exists(file) && !boxes.asked.empty(); }, 30s));
    EXPECT_EQ(ListItems(ids::kLocalFile), std::vector<std::wstring>{L"club.lub"});

    // Saving again asks first; Cancel leaves the file as it is.
    ASSERT_TRUE(DeviceHolds(300, 222));
    boxes.ok_cancel_answer = IDCANCEL;
    Type(ids::kLocalFile, L"club.lub");
    Click(button::kSaveLocal);
    EXPECT_NE(boxes.asked.back().text.find(L"club.lubFile already exists!\n Whether or not covered!"),
              std::wstring::npos);
    EXPECT_EQ(boxes.asked.back().caption, L"Warning!");

    Click(button::kUpdateToDevice);
    EXPECT_TRUE(PumpUntil([&] { return Sim().Value(300) == 111; }, 30s));
    // Said when the whole file is in.
    EXPECT_TRUE(PumpUntil([&] { return boxes.asked.back().caption == Text(extra::kSceneFileLoaded); }, 30s))
        << Said();
    EXPECT_NE(boxes.asked.back().text.find(L"club.lub"), std::wstring::npos);

    // Deleting asks first, naming the file.
    Click(button::kDeleteLocal);
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_NE(boxes.asked.back().text.find(L"club.lub" + std::wstring(Text(extra::kConfirmDeleteFile))),
              std::wstring::npos);
    boxes.ok_cancel_answer = IDOK;
    Click(button::kDeleteLocal);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(ListItems(ids::kLocalFile).empty());

    // Names that would leave the folder are refused and nothing is written.
    Type(ids::kLocalFile, L"..\\outside");
    Click(button::kSaveLocal);
    EXPECT_TRUE(boxes.Asked(Text(extra::kNotAFileName)));
    EXPECT_FALSE(std::filesystem::exists(folder.Path().parent_path() / "outside.lub"));
}

TEST_F(SystemPageWindowTest, SaveAsAndOpenReachAChineseFolderAndListTheFile) {
    const auto stick = folder.Path() / std::filesystem::path(L"客户的U盘");
    std::filesystem::create_directories(stick);
    const auto file = stick / std::filesystem::path(L"房间 1.lub");
    std::vector<SceneFileDialog> dialogs;
    Page().SetSceneFileChooser([&](SceneFileDialog d) -> std::optional<std::wstring> {
        dialogs.push_back(d);
        return (stick / std::filesystem::path(L"房间 1")).wstring();
    });
    ASSERT_TRUE(DeviceHolds(300, 123));
    Click(button::kSaveAs);
    ASSERT_TRUE(PumpUntil([&] { return std::filesystem::exists(file) && !boxes.asked.empty(); }, 30s))
        << Said();
    EXPECT_EQ(boxes.asked.back().caption, Text(str::kSaveSuccessful));
    const auto listed = ListItems(ids::kLocalFile);
    EXPECT_NE(std::find(listed.begin(), listed.end(), file.wstring()), listed.end());

    // Opened again, the file goes into the processor, which says so when it is all in.
    ASSERT_TRUE(DeviceHolds(300, 124));
    Page().SetSceneFileChooser([&](SceneFileDialog d) -> std::optional<std::wstring> {
        dialogs.push_back(d);
        return file.wstring();
    });
    Click(button::kOpen);
    EXPECT_TRUE(PumpUntil([&] { return Sim().Value(300) == 123; }, 30s));
    ASSERT_TRUE(PumpUntil(
        [&] {
            return boxes.Asked(file.wstring()) && boxes.asked.back().caption == Text(extra::kSceneFileLoaded);
        },
        30s))
        << Said();
    EXPECT_EQ(boxes.asked.back().owner, main_->Hwnd());
    EXPECT_EQ(dialogs, (std::vector<SceneFileDialog>{SceneFileDialog::kSave, SceneFileDialog::kOpen}));
}

TEST_F(SystemPageWindowTest, AnExternalFileLoadsOnlyItsPresetRangeAndIsStored) {
    std::vector<std::uint32_t> values(kParameterCount);
    for (std::size_t i = 0; i < kParameterCount; ++i)
        values[i] = static_cast<std::uint32_t>(Sim().Value(i) + 3);
    CZB_FileData file(FileLocations{folder.Path(), ""});
    file.device_id = main_->Link().State().device_id.load();
    ASSERT_TRUE(file.SaveScene(folder.Path() / "venue.PCE", values).Ok());
    const std::uint16_t outside = Sim().Value(300);
    const auto saves =
        Sim().WithProcessor([](sim::VirtualProcessor& p) { return p.FramesReceived(cmd::kSaveSettings); });

    Page().SetFileChooser([&] { return std::optional<std::wstring>((folder.Path() / "venue").wstring()); });
    Click(button::kImport);
    EXPECT_TRUE(
        PumpUntil([&] { return Sim().Value(730) == values[730] && Sim().Value(914) == values[914]; }, 30s));
    EXPECT_TRUE(PumpUntil([&] { return SavedSettings(saves); }, 30s));
    EXPECT_EQ(Sim().Value(300), outside);

    // A file that is not a scene file is refused before anything is sent.
    std::ofstream(folder.Path() / "broken.PCE") << "not a scene file";
    Page().SetFileChooser(
        [&] { return std::optional<std::wstring>((folder.Path() / "broken.PCE").wstring()); });
    const auto saved_now =
        Sim().WithProcessor([](sim::VirtualProcessor& p) { return p.FramesReceived(cmd::kSaveSettings); });
    Click(button::kImport);
    EXPECT_TRUE(boxes.Asked((folder.Path() / "broken.PCE").wstring() + L"\nRead Data Failed!"));
    EXPECT_FALSE(main_->Link().State().RequestRaised(request::kLoadSelection));
    EXPECT_FALSE(SavedSettings(saved_now));
}

TEST_F(SystemPageWindowTest, LanguageChosenHereRecaptionsTheWindowAndSurvivesARestart) {
    Choose(ids::kLanguageList, kLanguageTraditional);
    EXPECT_EQ(LanguageIndex(), kLanguageTraditional);
    EXPECT_EQ(main_->Tab(7).GetCaption(), TextIn(str::kSystem, kLanguageTraditional));
    EXPECT_EQ(main_->Tab(0).GetCaption(), TextIn(str::kMain, kLanguageTraditional));
    EXPECT_EQ(Page().Button(button::kWifi).GetCaption(), L"WiFi設置");
    EXPECT_EQ(Page().Label(system_label::kSceneName).Caption(), L"名稱:");
    EXPECT_EQ(main_->TitleButton(kLinkStateButton).GetCaption(),
              TextIn(str::kSuccessful, kLanguageTraditional));

    // A new start reads the choice as the program does before it opens its window.
    main_.reset();
    SetLanguageIndex(kLanguageEnglish);
    const CZB_FileData settings;
    SetLanguageIndex(ChooseLanguage(settings.ReadInt(kLanguageFile, kLanguageKey), 0x0409));
    Open();
    EXPECT_EQ(main_->Tab(7).GetCaption(), TextIn(str::kSystem, kLanguageTraditional));
    EXPECT_EQ(static_cast<int>(SendDlgItemMessageW(P(), ids::kLanguageList, CB_GETCURSEL, 0, 0)),
              kLanguageTraditional);
}

TEST_F(SystemPageWindowTest, GroupsAreFramedEtchedAndEnterLeavesThePageAsItIs) {
    RedrawWindow(P(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ASSERT_GE(Page().Frames().size(), 9u);
    HDC dc = GetDC(P());
    for (const RECT& f : Page().Frames()) {
        // Grey on the frame's line, white one pixel below it.
        const auto px = testing::ReadPixels(dc, f.left + 3, f.top, 1, 2);
        EXPECT_EQ(px.At(0, 0) & 0xFFFFFF, 0xA0A0A0u) << f.left << "," << f.top;
        EXPECT_EQ(px.At(0, 1) & 0xFFFFFF, 0xFFFFFFu) << f.left << "," << f.top;
    }
    ReleaseDC(P(), dc);

    Type(ids::kSceneName, L"typed");
    for (const int id : {IDOK, IDCANCEL, ids::kEnterSink}) {
        SendMessageW(P(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        testing::Pump();
    }
    EXPECT_TRUE(IsWindow(P()));
    EXPECT_TRUE(IsWindowVisible(P()));
    EXPECT_EQ(ItemText(ids::kSceneName), L"typed");
    EXPECT_TRUE(boxes.asked.empty());
}

// The open Wi-Fi dialog of this thread, found by one of its buttons: its title follows the language.
HWND OpenWifiDialog() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) {
            if (!GetDlgItem(w, CWin_Wifi::kSetHotspot))
                return TRUE;
            *reinterpret_cast<HWND*>(p) = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST_F(SystemPageWindowTest, WifiSetOpensTheDialogThatReadsTheModule) {
    Sim().WithProcessor([](sim::VirtualProcessor& p) { p.Wifi().hot_ssid = "Room-9"; });
    // The dialog is modal: a timer of this thread looks at it and closes it.
    static std::wstring seen;
    static int ticks;
    seen.clear();
    ticks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
        HWND dialog = OpenWifiDialog();
        if (!dialog)
            return;
        wchar_t text[64] = {};
        GetDlgItemTextW(dialog, CWin_Wifi::kHotSsid, text, 64);
        seen = text;
        // Closed once it shows the module's name, or after 20 s without it.
        if (seen == L"Room-9" || ++ticks > 200)
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    Click(button::kWifi);
    KillTimer(nullptr, timer);
    EXPECT_EQ(seen, L"Room-9");
    EXPECT_EQ(OpenWifiDialog(), nullptr);
}

// The Wi-Fi dialogs open over the main window, found by one of their buttons (their caption follows the
// language).
std::vector<HWND> WifiDialogs(HWND main) {
    struct Found {
        HWND main;
        std::vector<HWND> dialogs;
    } found{main, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) {
            auto& f = *reinterpret_cast<Found*>(p);
            if (GetWindow(w, GW_OWNER) == f.main && GetDlgItem(w, CWin_Wifi::kSetHotspot))
                f.dialogs.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.dialogs;
}

bool Masked(HWND dialog, int id) {
    return SendDlgItemMessageW(dialog, id, EM_GETPASSWORDCHAR, 0, 0) != 0;
}

TEST_F(SystemPageWindowTest, WifiDialogOwnsItsBoxesKeepsTheMainWindowOutAndOpensOnce) {
    // Looked at from a timer of this thread while the modal dialog runs.
    using Self = std::remove_pointer_t<decltype(this)>;
    struct Seen {
        Self* test = nullptr;
        HWND first = nullptr;
        bool busy = false;
        bool done = false;
        std::size_t most_open = 0;
        int ticks = 0;
        BOOL main_enabled = TRUE;
        HWND set_done_owner = nullptr;
        bool masked = false;
        bool shown = false;
    };
    static Seen seen;
    seen = Seen{this};
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
        Self& t = *seen.test;
        const std::vector<HWND> open = WifiDialogs(t.main_->Hwnd());
        seen.most_open = std::max(seen.most_open, open.size());
        for (HWND extra : open) {
            if (extra != seen.first && seen.first)
                PostMessageW(extra, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        if (open.empty() || seen.busy)
            return;
        if (seen.done || ++seen.ticks > 300) {
            PostMessageW(open.front(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return;
        }
        seen.busy = true;
        const HWND d = seen.first = open.front();
        seen.main_enabled = IsWindowEnabled(t.main_->Hwnd());
        seen.masked = Masked(d, CWin_Wifi::kHotPassword) && Masked(d, CWin_Wifi::kRoutePassword);
        CheckDlgButton(d, CWin_Wifi::kShowPasswords, BST_CHECKED);
        SendMessageW(d, WM_COMMAND, MAKEWPARAM(CWin_Wifi::kShowPasswords, BN_CLICKED), 0);
        seen.shown = !Masked(d, CWin_Wifi::kHotPassword) && !Masked(d, CWin_Wifi::kRoutePassword);

        // The module's answer comes back through the link worker as a box.
        SetDlgItemTextW(d, CWin_Wifi::kHotSsid, L"Hall 2");
        SetDlgItemTextW(d, CWin_Wifi::kHotPassword, L"abcdefgh");
        SendMessageW(d, WM_COMMAND, MAKEWPARAM(CWin_Wifi::kSetHotspot, BN_CLICKED), 0);
        PumpUntil([&] { return t.boxes.Asked(L"Set Hot:OK"); }, 20s);
        for (const auto& b : t.boxes.asked)
            if (b.text == L"Set Hot:OK")
                seen.set_done_owner = b.owner;
        // Asking for the dialog again while it is open.
        t.Click(button::kWifi);
        PumpUntil([] { return false; }, 500ms);
        seen.done = true;
        seen.busy = false;
    });
    Click(button::kWifi);
    KillTimer(nullptr, timer);
    ASSERT_NE(seen.first, nullptr);
    EXPECT_TRUE(seen.done);
    EXPECT_FALSE(seen.main_enabled);
    EXPECT_EQ(seen.set_done_owner, seen.first);
    EXPECT_EQ(seen.most_open, 1u);
    EXPECT_TRUE(seen.masked);
    EXPECT_TRUE(seen.shown);
    EXPECT_TRUE(WifiDialogs(main_->Hwnd()).empty());
    EXPECT_TRUE(IsWindowEnabled(main_->Hwnd()));
}

}  // namespace
}  // namespace vela
