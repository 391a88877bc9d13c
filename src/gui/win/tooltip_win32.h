// A standard tooltip control holding the tips of one or more windows: what a control is for, or a note on
// what it shows now, shown when the pointer rests on it. Made at the first tip; destroyed with its holder (or
// with its owner, first).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vela {

class ToolTip {
  public:
    // Wide enough for two short sentences a line; longer texts wrap.
    static constexpr int kTipWidth = 360;
    // A note is a sentence or two on what a control shows now, narrower than the tip beside it.
    static constexpr int kNoteWidth = 320;

    // A disabled window gets no mouse input (its parent does), so a tip that must still be seen over one
    // (why it is off) is a rectangle of the parent kept over the control.
    enum class WhenDisabled { kHidden, kOverParent };

    explicit ToolTip(int width = kTipWidth) : width_(width) {}
    ~ToolTip();
    ToolTip(const ToolTip&) = delete;
    ToolTip& operator=(const ToolTip&) = delete;

    // `text` over `tool` (a child window); an empty text takes its tip away. An unchanged tip costs nothing.
    // With kOverParent, a tool disabled now gets its tip through its parent.
    void Set(HWND tool, const std::wstring& text, WhenDisabled when_disabled = WhenDisabled::kHidden);
    // Moves every parent rectangle over its control again, after a layout.
    void Follow();
    // The text the tooltip holds for `tool`, as the system would show it; empty when none. Where no tooltip
    // could be made, the text it was given: it is still what the control stands for.
    std::wstring Text(HWND tool) const;
    HWND Hwnd() const { return window_; }

  private:
    struct Tip {
        HWND tool;
        HWND parent;  // set when the tip is a rectangle of the parent
        std::wstring text;
    };
    std::vector<Tip>::iterator Find(HWND tool);
    std::vector<Tip>::const_iterator Find(HWND tool) const;
    bool Live() const;
    void Add(Tip& tip);
    void MakeWindow(HWND owner);

    int width_;
    HWND window_ = nullptr;
    std::vector<Tip> tips_;
};

}  // namespace vela
