#include "gui/win/tooltip_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

namespace vela {

namespace {

// The longest tip a control carries, with room to spare.
constexpr std::size_t kTipCapacity = 1024;

RECT OverControl(HWND control, HWND parent) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TTTOOLINFOW InfoOf(HWND tool, HWND parent, wchar_t* text) {
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V1_SIZE;
    info.uFlags = TTF_SUBCLASS | (parent ? 0 : TTF_IDISHWND);
    info.hwnd = parent ? parent : tool;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = text;
    if (parent)
        info.rect = OverControl(tool, parent);
    return info;
}

void Send(HWND window, UINT message, TTTOOLINFOW& info, WPARAM wparam = 0) {
    SendMessageW(window, message, wparam, reinterpret_cast<LPARAM>(&info));
}

}  // namespace

ToolTip::~ToolTip() {
    // The tooltip is owned by the tool's top-level window and may have gone with it already.
    if (Live())
        DestroyWindow(window_);
}

std::vector<ToolTip::Tip>::iterator ToolTip::Find(HWND tool) {
    return std::find_if(tips_.begin(), tips_.end(), [tool](const Tip& t) { return t.tool == tool; });
}

std::vector<ToolTip::Tip>::const_iterator ToolTip::Find(HWND tool) const {
    return std::find_if(tips_.begin(), tips_.end(), [tool](const Tip& t) { return t.tool == tool; });
}

bool ToolTip::Live() const {
    return window_ && IsWindow(window_);
}

void ToolTip::Add(Tip& tip) {
    TTTOOLINFOW info = InfoOf(tip.tool, tip.parent, tip.text.data());
    Send(window_, TTM_ADDTOOLW, info);
}

void ToolTip::MakeWindow(HWND owner) {
    // A tooltip gone with its owner took its tools along: the tips of the controls still there are added to
    // the new one.
    tips_.erase(std::remove_if(tips_.begin(), tips_.end(), [](const Tip& t) { return !IsWindow(t.tool); }),
                tips_.end());
    // A tool window that never activates: a message box must never take a tip for the window in front.
    window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, TOOLTIPS_CLASSW, nullptr,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, nullptr, nullptr);
    if (!window_)
        return;
    SendMessageW(window_, TTM_SETMAXTIPWIDTH, 0, width_);
    for (Tip& tip : tips_)
        Add(tip);
}

void ToolTip::Set(HWND tool, const std::wstring& text, WhenDisabled when_disabled) {
    if (!tool)
        return;
    HWND parent =
        when_disabled == WhenDisabled::kOverParent && !IsWindowEnabled(tool) ? GetParent(tool) : nullptr;
    const auto known = Find(tool);
    if (known != tips_.end()) {
        if (known->text == text && known->parent == parent && Live())
            return;
        if (Live()) {
            TTTOOLINFOW info = InfoOf(known->tool, known->parent, known->text.data());
            Send(window_, TTM_DELTOOLW, info);
        }
        tips_.erase(known);
    }
    if (text.empty())
        return;
    // The tip is kept even where no tooltip can be made.
    tips_.push_back(Tip{tool, parent, text});
    if (Live())
        Add(tips_.back());
    else
        MakeWindow(tool);
}

void ToolTip::Follow() {
    if (!Live())
        return;
    for (Tip& tip : tips_) {
        if (!tip.parent)
            continue;
        TTTOOLINFOW info = InfoOf(tip.tool, tip.parent, tip.text.data());
        Send(window_, TTM_NEWTOOLRECTW, info);
    }
}

std::wstring ToolTip::Text(HWND tool) const {
    const auto known = Find(tool);
    if (!tool || known == tips_.end())
        return {};
    if (!Live())
        return known->text;
    std::wstring text(kTipCapacity, L'\0');
    TTTOOLINFOW info = InfoOf(known->tool, known->parent, text.data());
    Send(window_, TTM_GETTEXTW, info, text.size());
    text.resize(std::wcslen(text.c_str()));
    return text;
}

}  // namespace vela
