// The localized message box: the system draws its buttons in the language of the given index.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "core/link/seams.h"
#include "core/text/strings.h"

namespace vela {

// 0 Simplified Chinese, 1 Traditional Chinese, 2 English; anything else is taken as English.
inline LANGID LanguageIdForIndex(int language_index) {
    return LanguageIdFor(language_index);
}

struct MessageBoxRequest {
    HWND owner = nullptr;
    std::wstring text;
    std::wstring caption;
    UINT type = MB_OK;
    LANGID language = 1033;
    bool default_caption = false;  // the system's own caption (caption is then empty)
};

// The window a box for `window` belongs to: the frontmost visible, enabled window that `window`'s top-level
// window owns (a dialog open over it), else that top-level window. A box owned by a window behind a modal
// dialog would enable that window again when it closes and let it cover the dialog.
HWND FrontWindowOf(HWND window);

// Shows the box (owner, text, caption, MB_* buttons) and returns the IDOK / IDCANCEL / IDYES / IDNO pressed.
int LocalizedMessageBox(HWND owner, std::wstring_view text, std::wstring_view caption, UINT type,
                        int language_index);
// As above with the system's default caption.
int LocalizedMessageBoxDefaultCaption(HWND owner, std::wstring_view text, UINT type, int language_index);
// As above; an empty caption takes the title of the owner's top-level window.
int LocalizedMessageBoxTitled(HWND owner, std::wstring_view text, std::wstring_view caption, UINT type,
                              int language_index);

// The MB_* buttons of a box of the link or the pages.
UINT MessageBoxButtons(MessageButtons buttons);
// What a box that was not answered counts as: the choice that changes nothing (Cancel, No; OK when there is
// nothing to choose).
MessageAnswer SafeAnswer(MessageButtons buttons);
// The button pressed (IDOK, IDCANCEL, IDYES, IDNO); anything else, a box that failed to show among them, is
// the safe answer: a failure must not pass for consent.
MessageAnswer AnswerFrom(int pressed, MessageButtons buttons);

// The link's and the pages' message seam: an empty caption takes the system's default one.
MessageAnswer ShowMessageFor(HWND owner, std::wstring_view text, std::wstring_view caption,
                             MessageButtons buttons, int language_index);

// Every box is owned by FrontWindowOf(owner), the responder sees that owner too.
// Test switch: while set, boxes are answered by the responder instead of being shown.
using MessageBoxResponder = std::function<int(const MessageBoxRequest&)>;
void SetMessageBoxResponder(MessageBoxResponder responder);

}  // namespace vela
