#include "gui/win/control_notes_win32.h"

#include <commctrl.h>

namespace vela {
namespace {

constexpr int kNoteWidth = 320;

TTTOOLINFOW ToolOf(HWND control, const std::wstring& note) {
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V1_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(note.c_str());
    return tool;
}

}  // namespace

ControlNotes::~ControlNotes() {
    // The tooltip belongs to its owner and may be gone with it.
    if (tooltip_ && IsWindow(tooltip_))
        DestroyWindow(tooltip_);
}

void ControlNotes::Set(HWND owner, HWND control, const std::wstring& note) {
    if (!control)
        return;
    const auto it = notes_.find(control);
    const bool had = it != notes_.end();
    if (had ? it->second == note : note.empty())
        return;
    // The note is kept even where no tooltip can be made: it is still what the control stands for.
    const std::wstring before = had ? it->second : std::wstring();
    if (note.empty())
        notes_.erase(it);
    else
        notes_[control] = note;
    if (!tooltip_ || !IsWindow(tooltip_)) {
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, nullptr, nullptr);
        if (!tooltip_)
            return;
        SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, kNoteWidth);
    }
    TTTOOLINFOW tool = ToolOf(control, note.empty() ? before : notes_[control]);
    const UINT message = note.empty() ? TTM_DELTOOLW : had ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW;
    SendMessageW(tooltip_, message, 0, reinterpret_cast<LPARAM>(&tool));
}

const std::wstring& ControlNotes::Of(HWND control) const {
    static const std::wstring kNone;
    const auto it = notes_.find(control);
    return it == notes_.end() ? kNone : it->second;
}

}  // namespace vela
