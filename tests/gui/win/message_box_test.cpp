#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/model/eq_text.h"
#include "core/text/strings.h"
#include "core/text/utf8.h"
#include "gui/support/win_test_support.h"
#include "gui/win/message_box_win32.h"
#include "gui/win/screenshot_win32.h"

namespace vela {
namespace {

// Every box of the link and the pages goes through ShowMessageFor: the buttons asked for are the buttons
// shown, the button pressed is the answer, and a box that did not show (0) never counts as consent.
TEST(MessageBoxMappingTest, ButtonsShownAndAnswersTakenForEverySet) {
    struct Case {
        MessageButtons buttons;
        UINT shown;
        int pressed;
        MessageAnswer answer;
    };
    const Case cases[] = {
        {MessageButtons::kOk, MB_OK, IDOK, MessageAnswer::kOk},
        {MessageButtons::kOk, MB_OK, 0, MessageAnswer::kOk},
        {MessageButtons::kOkCancel, MB_OKCANCEL, IDOK, MessageAnswer::kOk},
        {MessageButtons::kOkCancel, MB_OKCANCEL, IDCANCEL, MessageAnswer::kCancel},
        {MessageButtons::kOkCancel, MB_OKCANCEL, 0, MessageAnswer::kCancel},
        {MessageButtons::kOkCancel, MB_OKCANCEL, IDABORT, MessageAnswer::kCancel},
        {MessageButtons::kYesNo, MB_YESNO, IDYES, MessageAnswer::kYes},
        {MessageButtons::kYesNo, MB_YESNO, IDNO, MessageAnswer::kNo},
        {MessageButtons::kYesNo, MB_YESNO, 0, MessageAnswer::kNo},
    };
    for (const Case& c : cases) {
        UINT type = 0xFFFF;
        SetMessageBoxResponder([&](const MessageBoxRequest& box) {
            type = box.type & MB_TYPEMASK;
            return c.pressed;
        });
        const MessageAnswer answer = ShowMessageFor(nullptr, L"text", L"caption", c.buttons, 2);
        EXPECT_EQ(type, c.shown) << "pressed " << c.pressed;
        EXPECT_EQ(answer, c.answer) << "pressed " << c.pressed << " of " << c.shown;
        EXPECT_EQ(AnswerFrom(c.pressed, c.buttons), c.answer);
    }
    SetMessageBoxResponder(nullptr);
}

// What the timer below does to the box that waits: picture it under `file`, note its text, answer it.
struct BoxShot {
    std::wstring file;
    int answer = IDOK;
    std::wstring text;
    bool pictured = false;
    int ticks = 0;
};
BoxShot* g_shot = nullptr;

HWND ShownBox() {
    return testing::ShownThreadWindow(L"#32770");
}

// Runs inside the box's own message loop: a real modal box cannot be pictured from outside it.
void CALLBACK PictureTheBox(HWND, UINT, UINT_PTR, DWORD) {
    const HWND box = ShownBox();
    if (!g_shot || !box || g_shot->pictured || ++g_shot->ticks < 2)
        return;
    g_shot->pictured = true;
    constexpr int kBoxTextId = 0xFFFF;  // the static that holds a message box's text
    wchar_t text[1024]{};
    GetDlgItemTextW(box, kBoxTextId, text, 1024);
    g_shot->text = text;
    CaptureWindowPng(box, g_shot->file);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(g_shot->answer, BN_CLICKED), 0);
}

// The questions about scene files and the answer to a refused EQ file, as the system draws them in each
// language, for the artifacts: each box shows its whole text and is answered.
TEST(MessageBoxShots, TheNewQuestionsAreDrawnInEachLanguage) {
    const int saved = LanguageIndex();
    const wchar_t* names[] = {L"zh-Hans", L"zh-Hant", L"en"};
    eqtext::Refusal refusal{eqtext::Reason::kTypeNotSupported, 2, {"LP"}};
    for (int language = 0; language < kLanguageCount; ++language) {
        SCOPED_TRACE(language);
        SetLanguageIndex(language);
        const struct {
            const wchar_t* name;
            std::wstring text;
            UINT type;
            int answer;
        } boxes[] = {
            {L"delete", L"KTV 大厅.lub" + std::wstring(Text(extra::kConfirmDeleteFile)),
             MB_YESNO | MB_ICONQUESTION, IDNO},
            {L"overwrite", FormatText(Text(extra::kConfirmOverwriteScene), 3, L"KTV 大厅"),
             MB_YESNO | MB_ICONQUESTION, IDNO},
            {L"loaded", std::wstring(Text(extra::kSceneFileLoaded)), MB_OK, IDOK},
            {L"eq-refused",
             FormatText(Text(extra::kEqImportRefused), L"房间.txt",
                        FromUtf8(eqtext::RefusalText(refusal, language, true)).c_str()),
             MB_OK | MB_ICONWARNING, IDOK},
        };
        for (const auto& b : boxes) {
            SCOPED_TRACE(ToUtf8(b.name));
            BoxShot shot;
            shot.file = testing::ArtifactsFolder() + L"\\box-" + b.name + L"-" + names[language] + L".png";
            shot.answer = b.answer;
            g_shot = &shot;
            const UINT_PTR timer = SetTimer(nullptr, 0, 100, PictureTheBox);
            const int pressed = LocalizedMessageBox(nullptr, b.text, L"vela", b.type, language);
            KillTimer(nullptr, timer);
            g_shot = nullptr;
            EXPECT_EQ(pressed, b.answer);
            EXPECT_TRUE(shot.pictured);
            EXPECT_EQ(shot.text, b.text);
        }
    }
    SetLanguageIndex(saved);
}

}  // namespace
}  // namespace vela
