#include "gui/win/tooltip_win32.h"

#include <commctrl.h>

#include <vector>

namespace vela {

namespace {

// Wide enough for two short sentences a line; longer texts wrap.
constexpr int kTipWidth = 360;
// The longest tip a control carries, with room to spare.
constexpr std::size_t kTipCapacity = 1024;

TTTOOLINFOW ToolFor(HWND tool) {
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V1_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = tool;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    return info;
}

}  // namespace

ToolTip::~ToolTip() {
    // The tooltip is owned by the tool's top-level window and may have gone with it already.
    if (window_ && IsWindow(window_))
        DestroyWindow(window_);
}

void ToolTip::Set(HWND tool, const std::wstring& text) {
    if (!tool || (!window_ && text.empty()))
        return;
    if (!window_) {
        // A tool window that never activates: a message box must never take a tip for the window in front.
        window_ =
            CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, tool, nullptr, nullptr, nullptr);
        if (!window_)
            return;
        SendMessageW(window_, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
    }
    TTTOOLINFOW info = ToolFor(tool);
    SendMessageW(window_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    if (text.empty())
        return;
    std::wstring copy = text;  // the control copies the text while adding the tool
    info.lpszText = copy.data();
    SendMessageW(window_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

std::wstring ToolTip::Text(HWND tool) const {
    if (!window_ || !tool)
        return {};
    std::vector<wchar_t> buffer(kTipCapacity, L'\0');
    TTTOOLINFOW info = ToolFor(tool);
    info.lpszText = buffer.data();
    SendMessageW(window_, TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&info));
    return buffer.data();
}

}  // namespace vela
