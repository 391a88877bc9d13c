#include <gtest/gtest.h>

#include "gui/win/message_box_win32.h"

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

}  // namespace
}  // namespace vela
