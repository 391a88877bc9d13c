// A standard tooltip control holding the tips of one or more windows: what a control is for, shown when
// the mouse rests on it. Made at the first tip; destroyed with its holder (or with its owner, first).
#pragma once

#include <windows.h>

#include <string>

namespace vela {

class ToolTip {
  public:
    ToolTip() = default;
    ~ToolTip();
    ToolTip(const ToolTip&) = delete;
    ToolTip& operator=(const ToolTip&) = delete;

    // `text` over `tool` (a child window); an empty text takes its tip away.
    void Set(HWND tool, const std::wstring& text);
    // The text the tooltip holds for `tool`, as the system would show it; empty when none.
    std::wstring Text(HWND tool) const;
    HWND Hwnd() const { return window_; }

  private:
    HWND window_ = nullptr;
};

}  // namespace vela
