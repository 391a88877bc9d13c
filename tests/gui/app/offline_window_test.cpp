// The main window on a processor it does not reach by USB: a scene file opened as the processor (its name in
// the title, edits written into the file, a read-only file said once, the device's scenes off), and a
// virtual processor served by velactl with a token.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/diag/version.h"
#include "core/files/file_data.h"
#include "core/model/parameter_layout.h"
#include "core/protocol/factory_defaults.h"
#include "core/protocol/protocol.h"
#include "core/text/closing_texts.h"
#include "core/text/strings.h"
#include "core/text/utf8.h"
#include "core/ui/response_graph_ui.h"
#include "gui/app/main_dialog_win32.h"
#include "gui/pages/strip_page_win32.h"
#include "gui/pages/system_page_win32.h"
#include "gui/support/win_test_support.h"
#include "gui/win/message_box_win32.h"

namespace vela {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::Point;
using testing::PumpUntil;

constexpr std::uint16_t kMusicLevel = 28;

std::vector<std::uint8_t> ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const fs::path& p) {
    const auto bytes = ReadBytes(p);
    return {bytes.begin(), bytes.end()};
}

std::vector<std::uint32_t> ValuesIn(const fs::path& p) {
    CZB_FileData scene;
    const FileResult r = scene.LoadScene(p);
    EXPECT_TRUE(r.Ok()) << r.Describe();
    return scene.Values();
}

// A folder of its own under the temporary folder, with a Chinese name, gone afterwards.
class Folder {
  public:
    explicit Folder(const wchar_t* name) : path_(fs::temp_directory_path() / name) {
        RemoveAll();
        fs::create_directories(path_);
    }
    ~Folder() { RemoveAll(); }
    const fs::path& Path() const { return path_; }
    fs::path operator/(const wchar_t* name) const { return path_ / name; }

  private:
    void RemoveAll() {
        std::error_code ec;
        for (const auto& e : fs::recursive_directory_iterator(path_, ec))
            fs::permissions(e.path(), fs::perms::owner_write, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    fs::path path_;
};

void WriteScene(const fs::path& p) {
    CZB_FileData scene;
    scene.device_id = kDeviceId;
    const std::vector<std::uint32_t> values(FactoryDefaults().begin(), FactoryDefaults().end());
    ASSERT_TRUE(scene.SaveScene(p, values).Ok());
}

// Answers every box with OK or Yes (No where its text holds `refuse`) and keeps their texts and languages.
struct Boxes {
    std::vector<std::wstring> texts;
    std::vector<LANGID> languages;
    std::wstring refuse;
    Boxes() {
        SetMessageBoxResponder([this](const MessageBoxRequest& box) {
            texts.push_back(box.text);
            languages.push_back(box.language);
            if ((box.type & MB_TYPEMASK) != MB_YESNO)
                return IDOK;
            return !refuse.empty() && box.text.find(refuse) != std::wstring::npos ? IDNO : IDYES;
        });
    }
    ~Boxes() { SetMessageBoxResponder(nullptr); }
    int Containing(std::wstring_view part) const {
        int n = 0;
        for (const auto& t : texts)
            n += t.find(part) != std::wstring::npos ? 1 : 0;
        return n;
    }
};

class OfflineWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_language_ = LanguageIndex();
        SetLanguageIndex(kLanguageEnglish);
        SetCursorPos(1200, 780);
    }
    void TearDown() override {
        dlg.reset();
        SetLanguageIndex(saved_language_);
    }
    bool Open(const DeviceSpec& device) {
        VelaOptions options;
        options.device = device;
        dlg = std::make_unique<CZR305M2Dlg>(options);
        if (!dlg->CreateModeless(nullptr))
            return false;
        ShowWindow(dlg->Hwnd(), SW_SHOW);
        return true;
    }
    bool Connected() const {
        return dlg->TitleButton(kLinkStateButton).GetCaption() == Text(str::kSuccessful);
    }
    bool Loaded() {
        return PumpUntil([&] { return Connected() && dlg->DisplayLoaded(); }, 30s);
    }
    std::wstring Title() const {
        wchar_t title[256]{};
        GetWindowTextW(dlg->Hwnd(), title, 256);
        return title;
    }
    void MoveMusicFader(int level) {
        dlg->MasterFader(kMusicFader).SetValue(level);
        SendMessageW(dlg->Hwnd(), IDC_MASTER_FADER + kMusicFader, kMusicFader, level);
    }
    // Closed as the user closes it: the question answered Yes, the link stopped, the file written.
    void Close() {
        SendMessageW(dlg->Hwnd(), WM_CLOSE, 0, 0);
        dlg.reset();
    }

    Boxes boxes;
    std::unique_ptr<CZR305M2Dlg> dlg;

  private:
    int saved_language_ = kLanguageEnglish;
};

DeviceSpec FileDevice(const fs::path& p) {
    DeviceSpec spec;
    spec.kind = DeviceSpec::Kind::kFile;
    spec.path = ToUtf8(p.wstring());
    return spec;
}

TEST_F(OfflineWindowTest, AFileConnectsShowsItsNameAndADragOnTheMusicGraphLandsInIt) {
    Folder folder(L"vela-离线");
    const fs::path file = folder / L"大厅.lub";
    WriteScene(file);
    ASSERT_TRUE(Open(FileDevice(file)));
    ASSERT_TRUE(Loaded()) << ToUtf8(dlg->TitleButton(kLinkStateButton).GetCaption());
    const std::wstring title = std::wstring(L"大厅.lub - ") + kProductTitle;
    EXPECT_TRUE(PumpUntil([&] { return Title() == title; }, 2s)) << ToUtf8(Title());
    EXPECT_EQ(dlg->ModelLabel().Caption(), title);

    // The device's scenes and Wi-Fi are off on the System page, and say why.
    CWinSystem& system = dlg->SystemWindow();
    for (const int b : {system_button::kUseScene, system_button::kSaveScene, system_button::kWifi}) {
        EXPECT_FALSE(system.Button(b).Enabled()) << b;
        EXPECT_FALSE(system.OffNote(system.Button(b).Hwnd()).empty()) << b;
    }
    HWND scene_list = GetDlgItem(system.Hwnd(), system_ids::kSceneList);
    EXPECT_FALSE(IsWindowEnabled(scene_list));
    EXPECT_EQ(system.OffNote(scene_list), Text(extra::kNotForSceneFile));
    EXPECT_TRUE(system.Button(system_button::kSaveLocal).Enabled());
    EXPECT_EQ(dlg->Update(), nullptr) << "a file has nothing to update";

    // A band handle of the Music graph dragged up: its gain goes up in the window, then into the file.
    auto& music = *dynamic_cast<CStripPageWindow*>(dlg->PageForTab(layout::kMusicPage));
    SendMessageW(dlg->Hwnd(), IDC_TAB, 0, layout::kMusicPage);
    testing::Pump();
    const std::uint16_t gain = layout::EqBlockIndex(layout::kMusicEq, 2, layout::EqField::kGain);
    const std::uint16_t before = dlg->Link().Table().Value(gain);
    const GraphPoint c = HandleCentre(music.Graph().Model(), kFirstBandHandle + 2);
    SendMessageW(music.Graph().Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(c.x, c.y));
    SendMessageW(music.Graph().Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, Point(c.x, c.y - 30));
    SendMessageW(music.Graph().Hwnd(), WM_LBUTTONUP, 0, Point(c.x, c.y - 30));
    const std::uint16_t after = dlg->Link().Table().Value(gain);
    EXPECT_GT(after, before);
    MoveMusicFader(42);
    // Closed at once: the close sends what the window still holds for the file before the link stops.
    Close();
    const auto values = ValuesIn(file);
    EXPECT_EQ(values[gain], after);
    EXPECT_EQ(values[kMusicLevel], 542u);
    EXPECT_EQ(boxes.texts.size(), 1u) << "only the exit question";
}

TEST_F(OfflineWindowTest, AReadOnlyFileIsSaidOnceAndItsEditsStayInTheWindow) {
    Folder folder(L"vela-只读");
    const fs::path file = folder / L"room.lub";
    WriteScene(file);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const auto original = ReadBytes(file);
    // "Save Mode Local" writes into the current folder, as the page was made there.
    wchar_t cwd[MAX_PATH]{};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.Path().c_str()));
    const bool opened = Open(FileDevice(file));
    SetCurrentDirectoryW(cwd);
    ASSERT_TRUE(opened);
    ASSERT_TRUE(Loaded());
    const std::wstring read_only = std::wstring(L"room.lub [read-only] - ") + kProductTitle;
    EXPECT_TRUE(PumpUntil([&] { return Title() == read_only; }, 2s)) << ToUtf8(Title());
    EXPECT_EQ(boxes.Containing(L"Save Mode Local"), 1);

    MoveMusicFader(17);
    EXPECT_TRUE(PumpUntil([&] { return Title().find(L"room.lub* [read-only]") == 0; }, 5s))
        << ToUtf8(Title());
    PumpUntil([] { return false; }, 600ms);  // a few more looks: nothing is said again
    EXPECT_EQ(boxes.Containing(L"Save Mode Local"), 1);
    EXPECT_EQ(dlg->Link().Table().Value(kMusicLevel), 517u) << "the edit stays in the window";

    // ... and goes into another file with "Save Mode Local".
    CWinSystem& system = dlg->SystemWindow();
    SetWindowTextW(GetDlgItem(system.Hwnd(), system_ids::kLocalFile), L"copy");
    system.Model().OnButton(system_button::kSaveLocal);
    const fs::path copy = folder / L"copy.lub";
    EXPECT_TRUE(PumpUntil(
        [&] {
            CZB_FileData scene;
            return scene.LoadScene(copy).Ok() && scene.Values()[kMusicLevel] == 517u;
        },
        20s));
    Close();
    EXPECT_EQ(ReadBytes(file), original);
}

TEST_F(OfflineWindowTest, TheProgramOpensAScenePathGivenAlone) {
    Folder folder(L"vela-双击");
    const fs::path file = folder / L"包厢 1.lub";
    WriteScene(file);
    const fs::path shots = folder / L"shots";
    bool finished = false;
    const int code = testing::RunProcess(
        testing::BuiltProgram(L"vela.exe"),
        L"\"" + file.wstring() + L"\" --screenshots \"" + shots.wstring() + L"\" --screenshot-timeout 60",
        90000, finished);
    ASSERT_TRUE(finished);
    EXPECT_EQ(code, 0) << ReadText(shots / L"result.txt");
    EXPECT_EQ(ReadText(shots / L"result.txt"), "ok\n");
    // A damaged file is refused before any window, with the reason.
    std::ofstream(folder / L"坏.lub") << "not a scene";
    const fs::path refused = folder / L"refused";
    const int damaged = testing::RunProcess(
        testing::BuiltProgram(L"vela.exe"),
        L"\"" + (folder / L"坏.lub").wstring() + L"\" --screenshots \"" + refused.wstring() + L"\"", 30000,
        finished);
    ASSERT_TRUE(finished);
    EXPECT_EQ(damaged, 5);
    EXPECT_NE(ReadText(refused / L"messages.txt").find("damaged"), std::string::npos)
        << ReadText(refused / L"messages.txt");
}

// velactl serves a virtual processor on loopback with a token, as it serves one across a room.
class ServedProcessor {
  public:
    explicit ServedProcessor(const Folder& folder) : folder_(folder) {
        bool finished = false;
        for (const wchar_t* name : {L"room.token", L"other.token"}) {
            const int made = testing::RunProcess(
                Velactl(), L"serve --new-token \"" + (folder / name).wstring() + L"\"", 30000, finished);
            EXPECT_EQ(made, 0);
        }
        for (int attempt = 0; attempt < 5 && port_ == 0; ++attempt) {
            const int port = 20000 + static_cast<int>(GetTickCount() % 30000) + attempt * 97;
            std::wstring command = L"\"" + Velactl() + L"\" serve --listen 127.0.0.1:" +
                                   std::to_wstring(port) + L" --device sim --token-file \"" +
                                   (folder / L"room.token").wstring() + L"\"";
            const fs::path log = folder / L"serve.log";
            SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
            HANDLE out = CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            STARTUPINFOW si{};
            si.cb = sizeof(si);
            si.dwFlags = STARTF_USESTDHANDLES;
            si.hStdOutput = out;
            si.hStdError = out;
            const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                                nullptr, &si, &process_);
            CloseHandle(out);
            if (!started)
                continue;
            if (PumpUntil([&] { return ReadText(log).find("serving") != std::string::npos; }, 20s)) {
                port_ = port;
            } else {
                Stop();
            }
        }
    }
    ~ServedProcessor() { Stop(); }
    int Port() const { return port_; }
    DeviceSpec Device(const wchar_t* token) const {
        DeviceSpec spec;
        spec.kind = DeviceSpec::Kind::kTcp;
        spec.host = "127.0.0.1";
        spec.port = static_cast<std::uint16_t>(port_);
        spec.token_file = ToUtf8((folder_ / token).wstring());
        return spec;
    }
    // What `velactl get` says of one parameter through the server, with the room's token.
    std::string Get(int index) const {
        const fs::path out = folder_ / L"get.txt";
        bool finished = false;
        const int code = testing::RunProcess(Velactl(),
                                             L"--device tcp:127.0.0.1:" + std::to_wstring(port_) +
                                                 L" --token-file \"" + (folder_ / L"room.token").wstring() +
                                                 L"\" --timeout 10 --raw get " + std::to_wstring(index),
                                             60000, finished, out.wstring());
        return std::to_string(code) + ": " + ReadText(out);
    }
    static std::wstring Velactl() { return testing::BuiltProgram(L"velactl.exe"); }

  private:
    void Stop() {
        if (process_.hProcess) {
            TerminateProcess(process_.hProcess, 0);
            WaitForSingleObject(process_.hProcess, 5000);
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
            process_ = {};
        }
    }
    const Folder& folder_;
    PROCESS_INFORMATION process_{};
    int port_ = 0;
};

TEST_F(OfflineWindowTest, AServedProcessorIsReachedWithTheTokenAndRefusesAnother) {
    Folder folder(L"vela-serve");
    ServedProcessor served(folder);
    ASSERT_NE(served.Port(), 0) << ReadText(folder / L"serve.log");
    const std::string refusal = "refused by 127.0.0.1:" + std::to_string(served.Port()) + ": wrong token";

    // Another token: the window keeps searching and says the server's reason once.
    ASSERT_TRUE(Open(served.Device(L"other.token")));
    EXPECT_TRUE(PumpUntil([&] { return boxes.Containing(FromUtf8(refusal)) > 0; }, 20s));
    PumpUntil([] { return false; }, 1500ms);  // the link tries again meanwhile
    EXPECT_EQ(boxes.Containing(FromUtf8(refusal)), 1);
    EXPECT_FALSE(Connected());
    Close();
    boxes.texts.clear();

    // The room's token: connected, and an edit lands on the served processor.
    ASSERT_TRUE(Open(served.Device(L"room.token")));
    ASSERT_TRUE(Loaded()) << ReadText(folder / L"serve.log");
    MoveMusicFader(33);
    Close();
    EXPECT_EQ(boxes.texts.size(), 1u) << "only the exit question";
    EXPECT_EQ(served.Get(kMusicLevel), "0: 28 533\n") << ReadText(folder / L"serve.log");
}

// Edits the link cannot send when the window closes (here it is suspended) are counted in a question, in
// the window's language: "No" keeps the window and the edits, which go out once the link runs again.
TEST_F(OfflineWindowTest, EditsNotSentAtCloseAreToldAndTheWindowMayStay) {
    DeviceSpec sim;
    sim.kind = DeviceSpec::Kind::kSim;
    ASSERT_TRUE(Open(sim));
    ASSERT_TRUE(Loaded());
    SendMessageW(dlg->Hwnd(), IDC_TITLE_BUTTON, kLinkStateButton, kLinkStateButton);
    ASSERT_TRUE(dlg->Link().State().paused.load());
    MoveMusicFader(21);
    const std::wstring caption = dlg->TitleButton(kLinkStateButton).GetCaption();
    for (const int language : {kLanguageSimplified, kLanguageTraditional, kLanguageEnglish}) {
        SetLanguageIndex(language);
        const std::wstring question =
            FormatText(extra::kEditsNotSentAtClose.members[static_cast<std::size_t>(language)], 1);
        boxes.refuse = question;
        boxes.texts.clear();
        boxes.languages.clear();
        SendMessageW(dlg->Hwnd(), WM_CLOSE, 0, 0);
        ASSERT_EQ(boxes.texts.size(), 2u) << language;
        EXPECT_EQ(boxes.texts[1], question);
        EXPECT_EQ(boxes.languages[1], LanguageIdFor(language));
        EXPECT_FALSE(dlg->Closed());
        EXPECT_TRUE(IsWindowEnabled(dlg->Hwnd()));
        EXPECT_EQ(dlg->TitleButton(kLinkStateButton).GetCaption(), caption);
        EXPECT_TRUE(dlg->Link().Table().IsDirty(kMusicLevel));
    }
    SetLanguageIndex(kLanguageEnglish);
    SendMessageW(dlg->Hwnd(), IDC_TITLE_BUTTON, kLinkStateButton, kLinkStateButton);
    EXPECT_TRUE(PumpUntil([&] { return dlg->Controller()->PendingEdits() == 0; }, 30s));
    boxes.refuse.clear();
    boxes.texts.clear();
    SendMessageW(dlg->Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(dlg->Closed());
    EXPECT_EQ(boxes.texts.size(), 1u) << "only the exit question";
}

// The file's last write fails at close (the file is read-only): the window says so and stays for
// "Save Mode Local" unless the user closes anyway; the file is left as it was.
TEST_F(OfflineWindowTest, AFileThatCannotTakeTheLastWriteAtCloseKeepsTheWindowOpen) {
    Folder folder(L"vela-关闭");
    const fs::path file = folder / L"room.lub";
    WriteScene(file);
    const auto original = ReadBytes(file);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ASSERT_TRUE(Open(FileDevice(file)));
    ASSERT_TRUE(Loaded());
    MoveMusicFader(23);
    boxes.refuse = L"Save Mode Local";
    boxes.texts.clear();
    SendMessageW(dlg->Hwnd(), WM_CLOSE, 0, 0);
    ASSERT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(boxes.texts[1].find(L"The scene file room.lub cannot be written"), 0u)
        << ToUtf8(boxes.texts[1]);
    EXPECT_FALSE(dlg->Closed());
    EXPECT_EQ(dlg->Link().Table().Value(kMusicLevel), 523u);

    boxes.refuse.clear();
    Close();
    EXPECT_EQ(ReadBytes(file), original);
}

}  // namespace
}  // namespace vela
