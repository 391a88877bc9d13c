// The System page's rules against a fake window: what each code shows, what each control writes into the
// table, which request it raises and which message it shows, and that refusals change nothing.
#include "core/pages/system_page.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>

#include "core/files/recent_files.h"
#include "core/model/history_actions.h"
#include "core/model/value_scales.h"
#include "core/text/strings.h"
#include "support/link_fakes.h"
#include "support/temp_dir.h"

namespace vela {
namespace {

namespace ids = system_ids;
namespace button = system_button;
namespace value = system_value;
namespace label = system_label;

class FakeSystemControls final : public ISystemControls {
  public:
    std::map<int, int> positions;
    std::map<int, std::wstring> captions, label_captions, button_captions, texts;
    std::map<int, bool> checked, item_enabled, label_enabled, button_enabled;
    std::map<int, int> selections;
    std::map<int, std::vector<std::wstring>> lists;
    std::vector<std::wstring> shown;
    MessageAnswer answer = MessageAnswer::kOk;
    std::vector<int> languages;
    int maximum_notices = 0;
    std::optional<std::wstring> chosen_file;
    std::optional<std::wstring> chosen_scene;
    std::vector<SceneFileDialog> dialogs;
    int wifi_opened = 0;

    void SetPosition(int c, int p) override { positions[c] = p; }
    void SetValueCaption(int c, const std::wstring& t) override { captions[c] = t; }
    void SetLabelCaption(int l, const std::wstring& t) override { label_captions[l] = t; }
    void EnableLabel(int l, bool e) override { label_enabled[l] = e; }
    void SetButtonCaption(int b, const std::wstring& t) override { button_captions[b] = t; }
    void EnableButton(int b, bool e) override { button_enabled[b] = e; }
    std::wstring ItemText(int id) override {
        if (lists.count(id) && !texts.count(id)) {
            const int s = selections[id];
            return s >= 0 && s < static_cast<int>(lists[id].size()) ? lists[id][static_cast<std::size_t>(s)]
                                                                    : L"";
        }
        return texts[id];
    }
    void SetItemText(int id, const std::wstring& t) override { texts[id] = t; }
    void EnableItem(int id, bool e) override { item_enabled[id] = e; }
    bool Checked(int id) override { return checked[id]; }
    void SetChecked(int id, bool c) override { checked[id] = c; }
    int Selection(int id) override { return selections.count(id) ? selections[id] : -1; }
    void Select(int id, int item) override {
        selections[id] = item;
        texts.erase(id);
    }
    void FillList(int id, const std::vector<std::wstring>& items) override {
        lists[id] = items;
        selections[id] = -1;
    }
    MessageAnswer Show(std::wstring_view text, std::wstring_view, MessageButtons) override {
        shown.emplace_back(text);
        return answer;
    }
    void LanguageChanged(int language) override { languages.push_back(language); }
    void MaximumChanged() override { ++maximum_notices; }
    std::optional<std::wstring> ChooseParameterFile() override { return chosen_file; }
    std::optional<std::wstring> ChooseSceneFile(SceneFileDialog dialog) override {
        dialogs.push_back(dialog);
        return chosen_scene;
    }
    void OpenWifiDialog() override { ++wifi_opened; }
    std::map<int, std::wstring> button_notes, item_notes;
    void SetButtonOffNote(int b, const std::wstring& n) override { button_notes[b] = n; }
    void SetItemOffNote(int id, const std::wstring& n) override { item_notes[id] = n; }
    std::map<int, std::wstring> value_notes;
    void SetValueNote(int c, const std::wstring& n) override { value_notes[c] = n; }

    bool Said(str::Id id) const { return std::find(shown.begin(), shown.end(), Text(id)) != shown.end(); }
};

class RecordingRequests final : public ISceneRequests {
  public:
    std::filesystem::path path;
    std::vector<std::uint16_t> selection;
    std::string name;
    void SetScenePath(const std::filesystem::path& p) override { path = p; }
    void SetSelection(std::vector<std::uint16_t> s) override { selection = std::move(s); }
    void SetSceneNameBuffer(const std::string& n) override { name = n; }
};

class SystemPageTest : public ::testing::Test {
  protected:
    SystemPageTest() {
        SetLanguageIndex(kLanguageEnglish);
        page.Initialise();
        controls.shown.clear();
    }
    ~SystemPageTest() override { SetLanguageIndex(kLanguageEnglish); }

    void Type(int id, const std::wstring& text) { controls.texts[id] = text; }
    bool Dirty(std::size_t i) const { return link.Table().IsDirty(i); }
    std::uint16_t Value(std::size_t i) const { return link.Table().Value(i); }
    bool Raised(int r) { return link.State().RequestRaised(r); }
    void WriteSceneFile(const std::filesystem::path& path) {
        CZB_FileData file(files);
        std::vector<std::uint32_t> values(kParameterCount, 7);
        ASSERT_TRUE(file.SaveScene(path, values).Ok());
    }

    testing::TempDir dir;
    FileLocations files{dir.Path(), (dir.Path() / "u" / "Temp").string() + "/"};
    testing::ManualClock clock;
    testing::Latin1CodePage code_page;
    DeviceLink link{clock, code_page};
    RecordingRequests requests;
    FakeSystemControls controls;
    SystemPage page{link, requests, files, controls};
};

TEST_F(SystemPageTest, StartsWithThePasswordChangesLockedAndEveryTextWritten) {
    EXPECT_FALSE(controls.item_enabled[ids::kNewKeyPassword]);
    EXPECT_FALSE(controls.button_enabled[button::kChangeKeyPassword]);
    EXPECT_FALSE(controls.item_enabled[ids::kConfirmPassword]);
    EXPECT_FALSE(controls.button_enabled[button::kChangeSystemPassword]);
    EXPECT_EQ(controls.lists[ids::kSceneList].size(), 8u);
    EXPECT_EQ(controls.lists[ids::kSceneList][2], L"3-SYSTEM");
    EXPECT_EQ(controls.selections[ids::kLanguageList], kLanguageEnglish);
    EXPECT_EQ(controls.label_captions[label::kPowerOn], L"Power-on input:");
    EXPECT_EQ(controls.label_captions[label::kMicGate], L"Mic Noise Gate:");
    EXPECT_EQ(controls.button_captions[button::kImport], L"External data import");
    EXPECT_EQ(controls.captions[0], L"Music Start:                             30%");
    EXPECT_EQ(controls.captions[value::kMicVolB], L"MIC VOL B: 84%");
    EXPECT_EQ(controls.texts[ids::kMicGate], L"");
}

TEST_F(SystemPageTest, CodesPlaceTheControls) {
    page.SetCodeValue(0, 200);
    EXPECT_EQ(controls.positions[0], 84);
    page.SetCodeValue(9, 103);
    EXPECT_EQ(controls.positions[value::kMusicThreshold], 20);
    page.SetCodeValue(9, 12);
    EXPECT_EQ(controls.positions[value::kMusicThreshold], 12);
    EXPECT_EQ(controls.captions[value::kMusicThreshold], L"Music Threshold:   12");
    page.SetCodeValue(9, 200);  // above the last used entry: unchanged
    EXPECT_EQ(controls.positions[value::kMusicThreshold], 12);
    page.SetCodeValue(8, 0);
    EXPECT_EQ(controls.positions[value::kMicThreshold], 0);

    page.SetCodeValue(11, 0x800A);
    EXPECT_EQ(controls.selections[ids::kPowerOnList], 6);  // ARC
    page.SetCodeValue(11, 0x0007);
    EXPECT_EQ(controls.selections[ids::kPowerOnList], 6);
    page.SetCodeValue(13, 560);
    EXPECT_EQ(controls.positions[value::kMicVolA], 60);
    EXPECT_EQ(controls.captions[value::kMicVolA], L"MIC VOL A: 60%");
    page.SetCodeValue(15, 1);
    EXPECT_TRUE(controls.checked[ids::kMicGate]);
    EXPECT_FALSE(controls.checked[ids::kMusicGate]);
    page.SetCodeValue(19, 2);
    EXPECT_TRUE(controls.checked[ids::kKeyDisable]);
    EXPECT_FALSE(controls.checked[ids::kKeyEnable]);
    page.SetCodeValue(22, 5);
    EXPECT_EQ(controls.selections[ids::kSceneList], 4);

    link.SceneNames().Store(4, L"Party");
    page.SetCodeValue(23, 0x0505);
    EXPECT_EQ(controls.selections[ids::kSceneList], 4);
    EXPECT_EQ(controls.texts[ids::kSceneName], L"Party");
}

// A device value a control cannot show stays in the table unwritten; the control stays in its scale and its
// tip says what the device holds, until a value it can show arrives or the user moves it.
TEST_F(SystemPageTest, DeviceValuesOutsideAScaleAreNotedInTheTipAndNeverWrittenBack) {
    const struct {
        int code;
        int control;
        int raw;
        int shown;
    } cases[] = {
        {0, 0, 200, 84},
        {9, value::kMusicThreshold, 200, -1},  // off the gate table: the control stays where it was
        {12, value::kKeyShift, 999, 20},
        {13, value::kMicVolA, 9000, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const int before = controls.positions[c.control];
        page.SetCodeValue(c.code, c.raw);
        EXPECT_EQ(controls.positions[c.control], c.shown < 0 ? before : c.shown);
        EXPECT_EQ(controls.value_notes[c.control], DeviceValueNote(c.raw));
        const int shown = page.GetCodeValue(c.code);
        page.SetCodeValue(c.code, shown);
        EXPECT_EQ(controls.value_notes[c.control], L"");
        page.SetCodeValue(c.code, c.raw);
    }
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        EXPECT_FALSE(Dirty(i)) << "nothing the device holds is written back: " << i;
    }
    for (const auto& c : cases) {
        page.OnValueControl(c.control, controls.positions[c.control]);
        EXPECT_EQ(controls.value_notes[c.control], L"") << "a user's move takes the note away: " << c.code;
    }
}

// The list names the scenes as the device does, and only a change of the device's current scene moves it:
// the report that follows a save must not take the selection away from the scene just saved.
TEST_F(SystemPageTest, SceneListShowsTheDevicesNamesAndKeepsTheUsersChoice) {
    link.SceneNames().Store(2, L"Karaoke");
    link.SceneNames().Store(4, L"Party");
    page.SetCodeValue(23, 0x0501);
    const std::vector<std::wstring> names = controls.lists[ids::kSceneList];
    ASSERT_EQ(names.size(), 8u);
    EXPECT_EQ(names[0], L"1-SYSTEM");
    EXPECT_EQ(names[2], L"3-Karaoke");
    EXPECT_EQ(names[4], L"5-Party");

    page.SetCodeValue(22, 5);
    EXPECT_EQ(controls.selections[ids::kSceneList], 4);
    controls.selections[ids::kSceneList] = 2;
    page.OnItem(ids::kSceneList);
    page.SetCodeValue(22, 5);
    EXPECT_EQ(controls.selections[ids::kSceneList], 2);
    page.SetCodeValue(22, 7);
    EXPECT_EQ(controls.selections[ids::kSceneList], 6);
}

// A device may report any bytes as a name: control characters and direction overrides never reach the list
// or the name box as they are, printable text (Chinese too) does.
TEST_F(SystemPageTest, SceneNamesFromTheDeviceReachTheControlsPrintable) {
    const struct {
        std::wstring stored;
        std::wstring shown;
    } cases[] = {
        {L"Bar\x1b[2Jone", L"Bar\uFFFD[2Jone"},       {L"a\r\nb\tc", L"a\uFFFD\uFFFDb\uFFFDc"},
        {L"x\x7F\x85y", L"x\uFFFD\uFFFDy"},           {L"\u202Eevil", L"\uFFFDevil"},
        {L"\u5927\u5385 Hall", L"\u5927\u5385 Hall"},
    };
    page.SetCodeValue(22, 5);
    for (const auto& c : cases) {
        link.SceneNames().Store(4, c.stored);
        page.SetCodeValue(23, 0x0505);
        EXPECT_EQ(controls.lists[ids::kSceneList][4], L"5-" + c.shown);
        EXPECT_EQ(controls.texts[ids::kSceneName], c.shown);
    }
}

TEST_F(SystemPageTest, LoweringAMaximumMovesThePowerOnVolumeAndTellsTheMainWindow) {
    page.OnValueControl(1, 20);
    EXPECT_EQ(controls.positions[0], 20);
    EXPECT_EQ(Value(921), 20);
    EXPECT_EQ(Value(920), 20);
    EXPECT_TRUE(Dirty(921));
    EXPECT_TRUE(Dirty(920));
    EXPECT_EQ(controls.maximum_notices, 1);
    EXPECT_EQ(controls.captions[0], L"Music Start:                             20%");

    // A power-on volume dragged above its maximum stops there, and tells nobody.
    page.OnValueControl(0, 50);
    EXPECT_EQ(controls.positions[0], 20);
    EXPECT_EQ(Value(921), 20);
    EXPECT_EQ(controls.maximum_notices, 1);
}

TEST_F(SystemPageTest, GatesKeyShiftMicVolumesAndPowerOnInputWriteTheirParameters) {
    page.OnValueControl(value::kMusicThreshold, 20);
    EXPECT_EQ(Value(943), 103);
    page.OnValueControl(value::kMicThreshold, 12);
    EXPECT_EQ(Value(941), 13);
    page.OnValueControl(value::kKeyShift, 13);
    EXPECT_EQ(Value(244), 13);
    page.OnValueControl(value::kMicVolB, 40);
    EXPECT_EQ(Value(27), 540);
    controls.checked[ids::kMusicGate] = true;
    page.OnItem(ids::kMusicGate);
    EXPECT_EQ(Value(944), 1);
    controls.selections[ids::kPowerOnList] = 6;
    page.OnItem(ids::kPowerOnList);
    EXPECT_EQ(Value(940), 0x800A);
    EXPECT_TRUE(Dirty(940));
    page.OnItem(ids::kKeyDisable);
    EXPECT_EQ(Value(929), 0);
    EXPECT_TRUE(Dirty(929));
}

// Each user edit of the page is one undo step, written back like an edit with the control following;
// a choice is a step of its own even when it comes right after another.
TEST_F(SystemPageTest, UserEditsAreUndoneAndRedoneOneStepEach) {
    MappedControls mapped;
    mapped.system = &page;
    ParameterMap map{link, mapped};
    HistoryActions actions{link, map};
    page.RecordInto(&actions.History());
    struct Case {
        const char* name;
        std::function<void()> act;
        int code;  // a control the step moved
        std::size_t steps = 1;
    };
    const std::vector<Case> cases{
        {"threshold drag",
         [&] {
             actions.History().PressStarted();
             for (int p : {5, 9, 14})
                 page.OnValueControl(value::kMusicThreshold, p);
             actions.History().PressEnded();
         },
         9},
        {"key shift wheel burst",
         [&] {
             for (int p : {1, 2, 3}) {
                 page.OnValueControl(value::kKeyShift, p);
                 clock.Advance(300);
             }
         },
         12},
        {"maximum lowered under its power-on volume", [&] { page.OnValueControl(1, 20); }, 0},
        {"gate switched on",
         [&] {
             controls.checked[ids::kMicGate] = true;
             page.OnItem(ids::kMicGate);
         },
         15},
        {"keypad lock, then the power-on input at once",
         [&] {
             page.OnItem(ids::kKeyEnable);
             controls.selections[ids::kPowerOnList] = 6;
             page.OnItem(ids::kPowerOnList);
         },
         19, 2},
    };
    for (const auto& c : cases) {
        link.Table().Reset();
        for (std::uint16_t i = 0; i < kParameterCount; ++i)
            map.RefreshFromParameter(i, Value(i));
        actions.History().Clear();
        const TableValues before = link.Table().Values();
        const int shown = page.GetCodeValue(c.code);
        c.act();
        const TableValues after = link.Table().Values();
        ASSERT_NE(before, after) << c.name;
        EXPECT_EQ(actions.History().Size(), c.steps) << c.name;

        link.Table().ClearReceivedAndDirty();
        for (std::size_t s = 0; s < c.steps; ++s)
            ASSERT_TRUE(actions.Undo()) << c.name;
        EXPECT_EQ(link.Table().Values(), before) << c.name;
        EXPECT_EQ(page.GetCodeValue(c.code), shown) << c.name;
        for (std::size_t i = 0; i < kParameterCount; ++i) {
            if (before[i] != after[i]) {
                EXPECT_TRUE(Dirty(i)) << c.name << " " << i;
            }
        }
        while (actions.Redo()) {
        }
        EXPECT_EQ(link.Table().Values(), after) << c.name;
    }

    // Passwords and the scene selection are no steps.
    actions.History().Clear();
    link.State().link_up = true;
    Type(ids::kKeyPassword, L"0000");
    page.OnButton(button::kCheckKeyPassword);
    Type(ids::kNewKeyPassword, L"9876");
    page.OnButton(button::kChangeKeyPassword);
    ASSERT_EQ(Value(928), 0x9876);
    controls.selections[ids::kSceneList] = 3;
    page.OnItem(ids::kSceneList);
    EXPECT_EQ(actions.History().Size(), 0u);
}

TEST_F(SystemPageTest, KeypadPasswordIsCheckedBeforeItCanBeChanged) {
    page.OnButton(button::kCheckKeyPassword);
    EXPECT_TRUE(controls.Said(str::kNoDevice));

    link.State().link_up = true;
    link.Table().WriteParameter(928, 0x1234, false);
    Type(ids::kKeyPassword, L"12345");  // five digits, the first four matching
    page.OnButton(button::kCheckKeyPassword);
    EXPECT_TRUE(controls.Said(str::kPasswordFourDigits));
    Type(ids::kKeyPassword, L"4321");
    page.OnButton(button::kCheckKeyPassword);
    EXPECT_TRUE(controls.Said(str::kWrongPassword));
    EXPECT_FALSE(controls.item_enabled[ids::kNewKeyPassword]);
    Type(ids::kKeyPassword, L"1234");
    page.OnButton(button::kCheckKeyPassword);
    EXPECT_TRUE(controls.item_enabled[ids::kNewKeyPassword]);
    EXPECT_TRUE(controls.button_enabled[button::kChangeKeyPassword]);

    Type(ids::kNewKeyPassword, L"98");
    page.OnButton(button::kChangeKeyPassword);
    EXPECT_EQ(controls.shown.back(), L"New_T(Password only for four figures!");
    EXPECT_EQ(Value(928), 0x1234);
    EXPECT_FALSE(Dirty(928));
    Type(ids::kNewKeyPassword, L"9876");
    page.OnButton(button::kChangeKeyPassword);
    EXPECT_EQ(Value(928), 0x9876);
    EXPECT_TRUE(Dirty(928));
    EXPECT_TRUE(controls.Said(str::kPasswordChanged));
}

TEST_F(SystemPageTest, SystemPasswordChangeSplitsTheDigitsAndRefusesMismatches) {
    link.State().link_up = true;
    link.Table().WriteParameter(930, 0x12, false);
    link.Table().WriteParameter(931, 0x3456, false);
    Type(ids::kSystemPassword, L"12345");
    page.OnButton(button::kCheckSystemPassword);
    EXPECT_TRUE(controls.Said(str::kPasswordSixDigits));
    EXPECT_EQ(controls.texts[ids::kSystemPassword], L"");
    Type(ids::kSystemPassword, L"123456");
    page.OnButton(button::kCheckSystemPassword);
    EXPECT_TRUE(controls.item_enabled[ids::kOldPassword]);
    EXPECT_TRUE(controls.button_enabled[button::kChangeSystemPassword]);
    EXPECT_FALSE(controls.button_enabled[button::kChangeKeyPassword]);

    Type(ids::kOldPassword, L"123457");
    page.OnButton(button::kChangeSystemPassword);
    EXPECT_TRUE(controls.Said(str::kWrongPassword));
    Type(ids::kOldPassword, L"123456");
    Type(ids::kNewPassword, L"98765");
    page.OnButton(button::kChangeSystemPassword);
    EXPECT_EQ(controls.shown.back(), L"New_T(Password only for six figures!");
    Type(ids::kNewPassword, L"987654");
    Type(ids::kConfirmPassword, L"987655");
    page.OnButton(button::kChangeSystemPassword);
    EXPECT_TRUE(controls.Said(str::kPasswordsDontMatch));
    EXPECT_FALSE(Dirty(930));
    EXPECT_FALSE(Dirty(931));

    Type(ids::kConfirmPassword, L"987654");
    page.OnButton(button::kChangeSystemPassword);
    EXPECT_EQ(Value(930), 0x98);
    EXPECT_EQ(Value(931), 0x7654);
    EXPECT_TRUE(controls.Said(str::kPasswordChanged));

    page.OnButton(button::kResetPasswords);
    EXPECT_EQ(controls.texts[ids::kConfirmPassword], L"");
}

TEST_F(SystemPageTest, DeviceScenesSelectUseAndSaveWithRequests) {
    controls.selections[ids::kSceneList] = 2;
    page.OnItem(ids::kSceneList);
    EXPECT_EQ(Value(934), 0x0503);
    EXPECT_FALSE(Dirty(934));
    EXPECT_TRUE(Raised(request::kSceneName));

    page.OnButton(button::kUseScene);
    EXPECT_EQ(Value(934), 0x0603);
    EXPECT_TRUE(Dirty(934));
    EXPECT_TRUE(Raised(request::kCallScene));

    // 26 bytes typed: the name is cut at 25, never inside a character.
    Type(ids::kSceneName, L"Karaoke room number twelve");
    page.OnButton(button::kSaveScene);
    EXPECT_EQ(Value(934), 0x0703);
    EXPECT_EQ(requests.name, "Karaoke room number twelv");
    EXPECT_TRUE(Raised(request::kSaveScene));
}

// Names arrive during a load and after every choice: what the user is typing must survive them.
TEST_F(SystemPageTest, ANameBeingTypedSurvivesArrivingNamesUntilAnotherSceneIsChosenOrItIsSaved) {
    link.SceneNames().Store(0, L"Party");
    link.SceneNames().Store(1, L"Quiet");
    page.SetCodeValue(23, 0x0001);
    EXPECT_EQ(controls.texts[ids::kSceneName], L"Party");

    Type(ids::kSceneName, L"Birthd");
    page.SetCodeValue(23, 0x0002);
    EXPECT_EQ(controls.texts[ids::kSceneName], L"Birthd");
    EXPECT_EQ(controls.selections[ids::kSceneList], 0);

    controls.selections[ids::kSceneList] = 1;
    page.OnItem(ids::kSceneList);
    page.SetCodeValue(23, 0x0002);
    EXPECT_EQ(controls.texts[ids::kSceneName], L"Quiet");

    // The device keeps what fits: after a save its own name is shown.
    Type(ids::kSceneName, L"Karaoke room number twelve");
    page.OnButton(button::kSaveScene);
    link.SceneNames().Store(1, L"Karaoke room number twelv");
    page.SetCodeValue(23, 0x0002);
    EXPECT_EQ(controls.texts[ids::kSceneName], L"Karaoke room number twelv");
}

TEST_F(SystemPageTest, LocalFilesAreSavedAfterTheQuestionListedLoadedAndDeleted) {
    Type(ids::kLocalFile, L"club");
    page.OnButton(button::kSaveLocal);
    EXPECT_TRUE(controls.Said(str::kNoDevice));
    EXPECT_FALSE(Raised(request::kSaveToFile));

    link.State().link_up = true;
    page.OnButton(button::kSaveLocal);
    EXPECT_EQ(requests.path, dir.Path() / "club.lub");
    EXPECT_TRUE(Raised(request::kSaveToFile));
    EXPECT_EQ(controls.lists[ids::kLocalFile], std::vector<std::wstring>{L"club.lub"});
    link.State().requests[request::kSaveToFile] = 0;

    // An existing file is replaced only after OK.
    WriteSceneFile(dir.Path() / "club.lub");
    Type(ids::kLocalFile, L"club.lub");
    controls.answer = MessageAnswer::kCancel;
    page.OnButton(button::kSaveLocal);
    EXPECT_FALSE(Raised(request::kSaveToFile));
    controls.answer = MessageAnswer::kOk;
    page.OnButton(button::kSaveLocal);
    EXPECT_TRUE(Raised(request::kSaveToFile));

    requests.path.clear();
    Type(ids::kLocalFile, L"club");
    page.OnButton(button::kUpdateToDevice);
    EXPECT_EQ(requests.path, dir.Path() / "club.lub");
    EXPECT_TRUE(Raised(request::kLoadFile));

    page.OnButton(button::kDeleteLocal);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "club.lub"));
    EXPECT_TRUE(controls.lists[ids::kLocalFile].empty());
    page.OnButton(button::kDeleteLocal);
    EXPECT_TRUE(controls.Said(str::kDeleteFailed));
}

TEST_F(SystemPageTest, LocalNamesThatAreNotPlainNamesAndDamagedFilesAreRefused) {
    link.State().link_up = true;
    std::ofstream(dir.Path() / "keep.lub") << "not a scene";
    for (const std::wstring name : {L"../keep", L"sub\\keep", L"a/b", L"x..lub"}) {
        controls.shown.clear();
        Type(ids::kLocalFile, name);
        page.OnButton(button::kSaveLocal);
        page.OnButton(button::kDeleteLocal);
        page.OnButton(button::kUpdateToDevice);
        EXPECT_EQ(controls.shown, std::vector<std::wstring>(3, std::wstring(Text(extra::kNotAFileName))))
            << std::string(name.begin(), name.end());
    }
    Type(ids::kLocalFile, L"");
    page.OnButton(button::kDeleteLocal);
    EXPECT_TRUE(controls.Said(str::kDeleteFailed));
    page.OnButton(button::kUpdateToDevice);
    EXPECT_TRUE(controls.Said(str::kNoFiles));

    // A file that is not a scene file is refused before anything is raised.
    Type(ids::kLocalFile, L"keep");
    page.OnButton(button::kUpdateToDevice);
    EXPECT_EQ(controls.shown.back(), (dir.Path() / "keep.lub").wstring() + L"\nRead Data Failed!");
    EXPECT_FALSE(Raised(request::kLoadFile));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "keep.lub"));
}

TEST_F(SystemPageTest, LocalFilesInTheLocalSceneFolderAreListedAndLoadedFromThere) {
    const auto mirror = files.MirrorDirectory();
    std::filesystem::create_directories(mirror);
    WriteSceneFile(mirror / "hall.lub");
    page.Initialise();
    EXPECT_EQ(controls.ItemText(ids::kLocalFile), L"hall.lub");
    page.OnButton(button::kUpdateToDevice);
    EXPECT_EQ(requests.path, mirror / "hall.lub");
    EXPECT_TRUE(Raised(request::kLoadFile));
}

TEST_F(SystemPageTest, ImportLoadsTheParameterRangeThenSavesSettings) {
    controls.chosen_file.reset();
    page.OnButton(button::kImport);
    EXPECT_FALSE(Raised(request::kLoadSelection));
    controls.chosen_file = L"";
    page.OnButton(button::kImport);
    EXPECT_TRUE(controls.Said(str::kNoFiles));

    controls.chosen_file = (dir.Path() / "broken").wstring();
    std::ofstream(dir.Path() / "broken.PCE") << "short";
    page.OnButton(button::kImport);
    EXPECT_FALSE(Raised(request::kLoadSelection));
    EXPECT_FALSE(Raised(request::kSaveSettings));

    WriteSceneFile(dir.Path() / "room.PCE");
    controls.chosen_file = (dir.Path() / "room").wstring();
    page.OnButton(button::kImport);
    EXPECT_EQ(requests.path, dir.Path() / "room.PCE");
    ASSERT_EQ(requests.selection.size(), 185u);
    EXPECT_EQ(requests.selection.front(), 730);
    EXPECT_EQ(requests.selection.back(), 914);
    EXPECT_TRUE(Raised(request::kLoadSelection));
    EXPECT_TRUE(Raised(request::kSaveSettings));
}

TEST_F(SystemPageTest, LanguageChoiceIsAppliedAnnouncedAndStored) {
    controls.selections[ids::kLanguageList] = kLanguageTraditional;
    page.OnItem(ids::kLanguageList);
    EXPECT_EQ(LanguageIndex(), kLanguageTraditional);
    EXPECT_EQ(controls.languages, std::vector<int>{kLanguageTraditional});
    EXPECT_EQ(CZB_FileData(files).ReadInt(kLanguageFile, kLanguageKey), kLanguageTraditional);
    page.UpdateCodeText(kSystemFixedTextCode);
    EXPECT_EQ(controls.button_captions[button::kWifi], L"WiFi設置");
    EXPECT_EQ(controls.label_captions[label::kMicGate], L"話筒噪聲門:");

    // A language set elsewhere is shown by the list once the texts are rewritten.
    SetLanguageIndex(kLanguageSimplified);
    page.UpdateCodeText(kSystemFixedTextCode);
    EXPECT_EQ(controls.selections[ids::kLanguageList], kLanguageSimplified);

    page.OnButton(button::kWifi);
    EXPECT_EQ(controls.wifi_opened, 1);
}

// A scene file opened as the processor has no scenes of a device and no Wi-Fi module: their controls are off,
// say why in the current language, and a click that reaches them anyway asks nothing of the link.
TEST_F(SystemPageTest, OnAFileTheDevicesScenesAndWifiAreOffAndSayWhy) {
    EXPECT_TRUE(controls.button_notes.empty()) << "a processor's page has no such notes";
    EXPECT_FALSE(controls.button_enabled.count(button::kUseScene));
    page.SetFileDevice(true);
    for (int language = 0; language < kLanguageCount; ++language) {
        SetLanguageIndex(language);
        page.UpdateCodeText(kSystemFixedTextCode);
        for (const int b : {button::kUseScene, button::kSaveScene, button::kWifi}) {
            EXPECT_FALSE(controls.button_enabled[b]) << b;
            EXPECT_EQ(controls.button_notes[b],
                      Text(b == button::kWifi ? extra::kWifiNotForSceneFile : extra::kNotForSceneFile))
                << b << " in " << language;
        }
        for (const int id : {ids::kSceneList, ids::kSceneName}) {
            EXPECT_FALSE(controls.item_enabled[id]) << id;
            EXPECT_EQ(controls.item_notes[id], Text(extra::kNotForSceneFile)) << id;
        }
        EXPECT_FALSE(controls.label_enabled[label::kSceneNumber]);
    }
    SetLanguageIndex(kLanguageEnglish);
    // The local file controls stay: "Save Mode Local" is how edits reach another file.
    for (const int b : {button::kSaveLocal, button::kUpdateToDevice, button::kImport})
        EXPECT_FALSE(controls.button_enabled.count(b) && !controls.button_enabled[b]) << b;

    controls.selections[ids::kSceneList] = 2;
    page.OnItem(ids::kSceneList);
    page.OnButton(button::kUseScene);
    Type(ids::kSceneName, L"Hall");
    page.OnButton(button::kSaveScene);
    page.OnButton(button::kWifi);
    EXPECT_FALSE(Raised(request::kSceneName));
    EXPECT_FALSE(Raised(request::kCallScene));
    EXPECT_FALSE(Raised(request::kSaveScene));
    EXPECT_FALSE(Dirty(934));
    EXPECT_EQ(Value(934), 0);
    EXPECT_EQ(controls.wifi_opened, 0);
    EXPECT_EQ(controls.shown.size(), 3u);
    EXPECT_EQ(controls.shown.back(), Text(extra::kWifiNotForSceneFile));
}

// Scene files away from the current folder, chosen through the system's dialogs.
class SystemPageFilesTest : public SystemPageTest {
  protected:
    SystemPageFilesTest() {
        link.State().link_up = true;
        std::filesystem::create_directories(elsewhere);
    }
    void Lower(int r) { link.State().requests[static_cast<std::size_t>(r)] = 0; }
    std::vector<std::wstring>& List() { return controls.lists[ids::kLocalFile]; }
    bool Listed(const std::filesystem::path& path) {
        return std::find(List().begin(), List().end(), path.wstring()) != List().end();
    }

    // A customer's folder away from the current one (a Chinese one is tried in the window test: here the
    // wide names go through the C locale).
    std::filesystem::path elsewhere = dir.Path() / "customer files";
};

TEST_F(SystemPageFilesTest, SaveAsSavesWhereTheDialogSaysAndListsTheFile) {
    struct Case {
        const char* what;
        std::optional<std::wstring> chosen;
        std::optional<std::wstring> saved;  // the file name the request carries, nothing when none
    };
    const Case cases[] = {
        {"cancelled", std::nullopt, std::nullopt},
        {"typed without extension", L"room one", L"room one.lub"},
        {"with extension", L"Room.lub", L"Room.lub"},
        {"with extension in capitals", L"Hall.LUB", L"Hall.LUB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Lower(request::kSaveToFile);
        requests.path.clear();
        controls.chosen_scene = c.chosen ? std::optional((elsewhere / *c.chosen).wstring()) : std::nullopt;
        page.OnButton(button::kSaveAs);
        EXPECT_EQ(controls.dialogs.back(), SceneFileDialog::kSave);
        EXPECT_EQ(Raised(request::kSaveToFile), c.saved.has_value());
        if (c.saved) {
            EXPECT_EQ(requests.path, elsewhere / *c.saved);
            EXPECT_EQ(controls.ItemText(ids::kLocalFile), (elsewhere / *c.saved).wstring());
            EXPECT_TRUE(RecentFiles::Load(CZB_FileData(files)).Contains(elsewhere / *c.saved));
        }
    }
    EXPECT_TRUE(controls.shown.empty());
}

TEST_F(SystemPageFilesTest, SaveAsWithoutADeviceAsksNothingAndSavesNothing) {
    link.State().link_up = false;
    controls.chosen_scene = (elsewhere / L"x.lub").wstring();
    page.OnButton(button::kSaveAs);
    EXPECT_TRUE(controls.Said(str::kNoDevice));
    EXPECT_TRUE(controls.dialogs.empty());
    EXPECT_FALSE(Raised(request::kSaveToFile));
}

TEST_F(SystemPageFilesTest, OpenLoadsAReadableFileAndRefusesOthers) {
    const std::filesystem::path good = elsewhere / L"show.lub";
    WriteSceneFile(good);
    std::ofstream(elsewhere / "damaged.lub") << "not a scene";
    struct Case {
        const char* what;
        std::optional<std::filesystem::path> chosen;
        bool loaded;
        std::wstring said;  // the start of the message shown, empty when none
    };
    const Case cases[] = {
        {"cancelled", std::nullopt, false, L""},
        {"damaged", elsewhere / "damaged.lub", false, (elsewhere / "damaged.lub").wstring()},
        {"missing", elsewhere / "gone.lub", false, (elsewhere / "gone.lub").wstring()},
        {"a scene file", good, true, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        controls.shown.clear();
        controls.chosen_scene = c.chosen ? std::optional(c.chosen->wstring()) : std::nullopt;
        page.OnButton(button::kOpen);
        EXPECT_EQ(controls.dialogs.back(), SceneFileDialog::kOpen);
        EXPECT_EQ(Raised(request::kLoadFile), c.loaded);
        EXPECT_EQ(controls.shown.empty(), c.said.empty());
        if (!c.said.empty() && !controls.shown.empty()) {
            EXPECT_EQ(controls.shown.back().rfind(c.said, 0), 0u);
        }
        if (c.chosen) {
            EXPECT_EQ(Listed(*c.chosen), c.loaded);
        }
    }
    EXPECT_EQ(requests.path, good);
}

TEST_F(SystemPageFilesTest, RecentFilesAreChosenFromTheListAndMissingOnesAreHidden) {
    const std::filesystem::path first = elsewhere / "first.lub";
    const std::filesystem::path second = elsewhere / "second.lub";
    WriteSceneFile(first);
    WriteSceneFile(second);
    WriteSceneFile(dir.Path() / "local.lub");
    for (const std::filesystem::path& p : {first, second}) {
        controls.chosen_scene = p.wstring();
        page.OnButton(button::kOpen);
        Lower(request::kLoadFile);
    }
    // Local names first, then the recent files newest first.
    EXPECT_EQ(List(), (std::vector<std::wstring>{L"local.lub", second.wstring(), first.wstring()}));

    // Chosen in the list, a recent file is what Update To Equip loads and Save Mode Local replaces.
    controls.Select(ids::kLocalFile, 2);
    page.OnButton(button::kUpdateToDevice);
    EXPECT_EQ(requests.path, first);
    EXPECT_TRUE(Raised(request::kLoadFile));
    controls.Select(ids::kLocalFile, 2);
    page.OnButton(button::kSaveLocal);
    EXPECT_EQ(requests.path, first);
    EXPECT_TRUE(Raised(request::kSaveToFile));
    EXPECT_EQ(controls.ItemText(ids::kLocalFile), first.wstring());
    EXPECT_EQ(List().size(), 3u);

    // A file that went away (a stick pulled out) is not offered, yet not forgotten.
    std::filesystem::rename(second, elsewhere / "moved.lub");
    page.Initialise();
    EXPECT_EQ(List(), (std::vector<std::wstring>{L"local.lub", first.wstring()}));
    EXPECT_TRUE(RecentFiles::Load(CZB_FileData(files)).Contains(second));
}

TEST_F(SystemPageFilesTest, DeletingAFileAsksFirst) {
    const std::filesystem::path recent = elsewhere / "recent.lub";
    WriteSceneFile(dir.Path() / "club.lub");
    WriteSceneFile(recent);
    controls.chosen_scene = recent.wstring();
    page.OnButton(button::kOpen);
    struct Case {
        const char* what;
        std::wstring typed;
        std::filesystem::path file;
        MessageAnswer answer;
        bool deleted;
    };
    const Case cases[] = {
        {"local, cancelled", L"club", dir.Path() / "club.lub", MessageAnswer::kCancel, false},
        {"local, agreed", L"club", dir.Path() / "club.lub", MessageAnswer::kOk, true},
        {"recent, cancelled", recent.wstring(), recent, MessageAnswer::kCancel, false},
        {"recent, agreed", recent.wstring(), recent, MessageAnswer::kOk, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        controls.shown.clear();
        controls.answer = c.answer;
        controls.texts[ids::kLocalFile] = c.typed;
        page.OnButton(button::kDeleteLocal);
        ASSERT_EQ(controls.shown.size(), 1u);
        EXPECT_EQ(controls.shown[0], c.file.wstring() + std::wstring(Text(extra::kConfirmDeleteFile)));
        EXPECT_EQ(std::filesystem::exists(c.file), !c.deleted);
    }
    EXPECT_FALSE(RecentFiles::Load(CZB_FileData(files)).Contains(recent));
}

TEST_F(SystemPageFilesTest, ANamedDeviceSceneIsReplacedOnlyAfterTheQuestion) {
    struct Case {
        const char* what;
        std::wstring held;
        MessageAnswer answer;
        bool asked;
        bool saved;
    };
    const Case cases[] = {
        {"unnamed", L"", MessageAnswer::kCancel, false, true},
        {"named, cancelled", L"周五 派对", MessageAnswer::kCancel, true, false},
        {"named, agreed", L"Friday", MessageAnswer::kOk, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Lower(request::kSaveScene);
        controls.shown.clear();
        controls.answer = c.answer;
        link.SceneNames().Store(2, c.held);
        controls.selections[ids::kSceneList] = 2;
        controls.texts[ids::kSceneName] = L"new";
        page.OnButton(button::kSaveScene);
        EXPECT_EQ(Raised(request::kSaveScene), c.saved);
        ASSERT_EQ(controls.shown.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(controls.shown[0], FormatText(Text(extra::kConfirmOverwriteScene), 3, c.held.c_str()));
        }
    }
}

}  // namespace
}  // namespace vela
