#include "gui/pages/off_notes_win32.h"

#include <algorithm>
#include <cwchar>

namespace vela {

namespace {

constexpr int kNoteWidth = 320;

}  // namespace

COffNotes::~COffNotes() {
    if (tooltip_ && IsWindow(tooltip_))
        DestroyWindow(tooltip_);
}

RECT COffNotes::Over(const Tool& tool) const {
    RECT r{};
    GetWindowRect(tool.control, &r);
    MapWindowPoints(nullptr, tool.parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TTTOOLINFOW COffNotes::Info(Tool& tool) const {
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V1_SIZE;
    info.uFlags = TTF_SUBCLASS | (tool.by_rectangle ? 0 : TTF_IDISHWND);
    info.hwnd = tool.by_rectangle ? tool.parent : tool.control;
    info.uId = reinterpret_cast<UINT_PTR>(tool.control);
    info.lpszText = tool.note.data();
    if (tool.by_rectangle)
        info.rect = Over(tool);
    return info;
}

void COffNotes::Set(HWND parent, HWND control, const std::wstring& note) {
    if (!parent || !control)
        return;
    auto known =
        std::find_if(tools_.begin(), tools_.end(), [control](const Tool& t) { return t.control == control; });
    if (known != tools_.end()) {
        TTTOOLINFOW info = Info(*known);
        SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        tools_.erase(known);
    }
    if (note.empty())
        return;
    if (!tooltip_) {
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, nullptr, nullptr);
        if (!tooltip_)
            return;
        SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, kNoteWidth);
    }
    tools_.push_back(Tool{parent, control, !IsWindowEnabled(control), note});
    TTTOOLINFOW info = Info(tools_.back());
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void COffNotes::Follow() {
    for (Tool& tool : tools_) {
        if (!tool.by_rectangle)
            continue;
        TTTOOLINFOW info = Info(tool);
        SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

std::wstring COffNotes::Note(HWND control) const {
    const auto known =
        std::find_if(tools_.begin(), tools_.end(), [control](const Tool& t) { return t.control == control; });
    if (!tooltip_ || known == tools_.end())
        return {};
    Tool copy = *known;
    std::wstring text(1024, L'\0');
    TTTOOLINFOW info = Info(copy);
    info.lpszText = text.data();
    SendMessageW(tooltip_, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&info));
    text.resize(std::wcslen(text.c_str()));
    return text;
}

}  // namespace vela
