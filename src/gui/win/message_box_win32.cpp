#include "gui/win/message_box_win32.h"

#include <mutex>

namespace vela {
namespace {

std::mutex g_responder_mutex;
MessageBoxResponder g_responder;

std::wstring WindowTitle(HWND hwnd) {
    if (!hwnd)
        return {};
    HWND root = GetAncestor(hwnd, GA_ROOT);
    if (!root)
        root = hwnd;
    const int length = GetWindowTextLengthW(root);
    if (length <= 0)
        return {};
    std::wstring title(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(root, title.data(), length + 1);
    title.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return title;
}

bool OwnedBy(HWND window, HWND owner) {
    for (HWND w = GetWindow(window, GW_OWNER); w; w = GetWindow(w, GW_OWNER)) {
        if (w == owner)
            return true;
    }
    return false;
}

int Show(MessageBoxRequest request) {
    request.owner = FrontWindowOf(request.owner);
    MessageBoxResponder responder;
    {
        std::lock_guard lock(g_responder_mutex);
        responder = g_responder;
    }
    if (responder)
        return responder(request);
    // A null caption is what gives the system's default one.
    return MessageBoxExW(request.owner, request.text.c_str(),
                         request.default_caption ? nullptr : request.caption.c_str(), request.type,
                         request.language);
}

}  // namespace

HWND FrontWindowOf(HWND window) {
    if (!window)
        return nullptr;
    HWND root = GetAncestor(window, GA_ROOT);
    if (!root)
        root = window;
    const DWORD thread = GetWindowThreadProcessId(root, nullptr);
    // Top-level windows in z-order: the first one of ours that the root owns and that takes input.
    for (HWND w = GetWindow(root, GW_HWNDFIRST); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == root)
            break;
        if (GetWindowThreadProcessId(w, nullptr) != thread || !IsWindowVisible(w) || !IsWindowEnabled(w))
            continue;
        // Tooltips and drop-down lists never hold the user's attention.
        if ((GetWindowLongPtrW(w, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE)) != 0)
            continue;
        if (OwnedBy(w, root))
            return w;
    }
    return root;
}

void SetMessageBoxResponder(MessageBoxResponder responder) {
    std::lock_guard lock(g_responder_mutex);
    g_responder = std::move(responder);
}

int LocalizedMessageBox(HWND owner, std::wstring_view text, std::wstring_view caption, UINT type,
                        int language_index) {
    return Show({owner, std::wstring(text), std::wstring(caption), type, LanguageIdForIndex(language_index)});
}

int LocalizedMessageBoxDefaultCaption(HWND owner, std::wstring_view text, UINT type, int language_index) {
    return Show({owner, std::wstring(text), {}, type, LanguageIdForIndex(language_index), true});
}

UINT MessageBoxButtons(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::kOkCancel:
            return MB_OKCANCEL;
        case MessageButtons::kYesNo:
            return MB_YESNO;
        case MessageButtons::kOk:
            break;
    }
    return MB_OK;
}

MessageAnswer SafeAnswer(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::kOkCancel:
            return MessageAnswer::kCancel;
        case MessageButtons::kYesNo:
            return MessageAnswer::kNo;
        case MessageButtons::kOk:
            break;
    }
    return MessageAnswer::kOk;
}

MessageAnswer AnswerFrom(int pressed, MessageButtons buttons) {
    switch (pressed) {
        case IDOK:
            return MessageAnswer::kOk;
        case IDCANCEL:
            return MessageAnswer::kCancel;
        case IDYES:
            return MessageAnswer::kYes;
        case IDNO:
            return MessageAnswer::kNo;
        default:
            return SafeAnswer(buttons);
    }
}

MessageAnswer ShowMessageFor(HWND owner, std::wstring_view text, std::wstring_view caption,
                             MessageButtons buttons, int language_index) {
    const UINT type = MessageBoxButtons(buttons);
    const int pressed = caption.empty() ? LocalizedMessageBoxDefaultCaption(owner, text, type, language_index)
                                        : LocalizedMessageBox(owner, text, caption, type, language_index);
    return AnswerFrom(pressed, buttons);
}

int LocalizedMessageBoxTitled(HWND owner, std::wstring_view text, std::wstring_view caption, UINT type,
                              int language_index) {
    if (!caption.empty())
        return LocalizedMessageBox(owner, text, caption, type, language_index);
    return LocalizedMessageBox(owner, text, WindowTitle(owner), type, language_index);
}

}  // namespace vela
