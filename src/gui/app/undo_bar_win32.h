// The title area's Undo, Redo, A/B and Keep buttons with their tooltips, and the shortcuts that work from
// any page of the main window (Ctrl+Z, Ctrl+Y, Ctrl+Shift+Z, Ctrl+B, Ctrl+Shift+B). Holds the history and
// the compare; the main window gives it the link's notifications and its layout.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "core/model/history_actions.h"
#include "core/ui/main_layout.h"
#include "core/ui/undo_bar_layout.h"
#include "gui/controls/image_button_win32.h"
#include "gui/win/window_messages_win32.h"

namespace vela {

class CUndoBar {
  public:
    // identity: which processor is connected (device and where it sits), read when the link connects.
    CUndoBar(DeviceLink& link, ParameterMap& map, IUserMessages& messages,
             std::function<std::string()> identity = {});
    ~CUndoBar();
    CUndoBar(const CUndoBar&) = delete;
    CUndoBar& operator=(const CUndoBar&) = delete;

    HistoryActions& Actions() { return actions_; }
    CGDI_Button& Button(int i) { return buttons_[static_cast<std::size_t>(i)]; }
    // The tooltip a button shows now.
    const std::wstring& Tip(int i) const { return buttons_[static_cast<std::size_t>(i)].Help(); }

    // Creates the buttons on the main window and starts watching its keys and presses.
    void Create(HWND main_window, HDC background);
    void Reskin(HDC background);
    void Place(const MainLayout& layout, const wchar_t* face, unsigned text_colour, int text_flags);
    // UM_UNDO_BAR: a button was clicked or its shortcut pressed.
    void Command(int button);
    // A notification of the link, after the main window has handled it.
    void OnLinkNotify(LinkNotify code, LPARAM value);
    // Captions, tooltips and enabled states from the history and the compare (also after a language change).
    void Refresh();
    // Where a long undo, redo or switch shows its progress (the link's progress display); none shows none.
    void SetProgressHost(ILinkHost* host) { progress_host_ = host; }
    // Whether the progress of a long write-back is being shown.
    bool ShowingProgress() const { return progress_shown_; }

  private:
    static LRESULT CALLBACK WatchMessages(int code, WPARAM wparam, LPARAM lparam);
    static void CALLBACK ProgressTick(HWND window, UINT message, UINT_PTR timer, DWORD time);
    // Shows or moves the progress of a long write-back, and hides it once it has gone out.
    void FollowProgress();
    bool Watch(MSG& msg);

    HistoryActions actions_;
    DeviceLink& link_;
    IUserMessages& messages_;
    std::function<std::string()> identity_;
    HWND main_ = nullptr;
    std::array<CGDI_Button, kUndoBarButtons> buttons_;
    HHOOK hook_ = nullptr;
    bool refresh_posted_ = false;
    ILinkHost* progress_host_ = nullptr;
    bool progress_shown_ = false;
};

}  // namespace vela
