// A small window layer: one C++ object per window, message maps of (message, control id, handler) rows,
// dialogs from resource templates, subclassed standard controls, and notifications reflected back to the
// control that sent them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>

#include "gui/win/window_messages_win32.h"

namespace vela {

// One row of a message map. The id filters WM_COMMAND (LOWORD of wParam) and WM_NOTIFY (idFrom); 0 matches
// every id and is what rows of other messages use.
template <class T>
struct MessageRow {
    UINT message;
    UINT id;
    LRESULT (T::*handler)(WPARAM, LPARAM);
};

template <class T, std::size_t N>
std::optional<LRESULT> RouteMessage(T* self, const MessageRow<T> (&rows)[N], UINT message, WPARAM wparam,
                                    LPARAM lparam) {
    for (const MessageRow<T>& row : rows) {
        if (row.message != message)
            continue;
        if (row.id != 0) {
            UINT id = 0;
            if (message == WM_COMMAND || message == kReflectedCommand) {
                id = LOWORD(wparam);
            } else if (message == WM_NOTIFY) {
                id = static_cast<UINT>(reinterpret_cast<const NMHDR*>(lparam)->idFrom);
            }
            if (id != row.id)
                continue;
        }
        return (self->*row.handler)(wparam, lparam);
    }
    return std::nullopt;
}

class CWindow {
  public:
    CWindow() = default;
    CWindow(const CWindow&) = delete;
    CWindow& operator=(const CWindow&) = delete;
    // Destroys the window if it still exists.
    virtual ~CWindow();

    HWND Hwnd() const { return hwnd_; }
    int ControlId() const { return hwnd_ ? GetDlgCtrlID(hwnd_) : 0; }
    static CWindow* FromHandle(HWND hwnd);

    // Creates a window of a system class (STATIC, BUTTON, COMBOBOX, ...) and subclasses it.
    bool CreateControl(const wchar_t* class_name, const wchar_t* text, DWORD style, const RECT& rect,
                       HWND parent, int id, DWORD ex_style = 0);
    // Subclasses an existing window (for example a control of a dialog template).
    bool Subclass(HWND hwnd);
    bool SubclassDlgItem(int id, HWND parent) { return Subclass(GetDlgItem(parent, id)); }
    // Creates a window of the layer's own class, for top-level windows and plain hosts.
    bool CreateOwn(const wchar_t* title, DWORD style, DWORD ex_style, const RECT& rect, HWND parent,
                   int id = 0);
    void Destroy();

    bool IsWindow() const { return hwnd_ != nullptr && ::IsWindow(hwnd_); }
    void Invalidate() const {
        if (hwnd_)
            InvalidateRect(hwnd_, nullptr, FALSE);
    }
    RECT ClientRect() const;

  protected:
    // Called once the window is attached, before it handles any message of its own.
    virtual void PreSubclassWindow() {}
    // Every message of the window; overrides route their map and end with the base class.
    virtual LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam);
    // The behaviour the window would have without this object.
    LRESULT DefaultProc(UINT message, WPARAM wparam, LPARAM lparam);
    // After WM_NCDESTROY: the window is gone.
    virtual void OnDetached() {}

    // Gives WM_COMMAND, WM_DRAWITEM and WM_CTLCOLOR* to the child that sent them. True with result when the
    // child answered.
    static bool ReflectToChild(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

    HWND hwnd_ = nullptr;

  private:
    friend class CDialogWindow;
    enum class Kind { kNone, kSubclassed, kOwn, kDialog };

    void Attach(HWND hwnd, Kind kind);
    void Detach();
    LRESULT Dispatch(UINT message, WPARAM wparam, LPARAM lparam);

    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK OwnProc(HWND, UINT, WPARAM, LPARAM);

    Kind kind_ = Kind::kNone;
    // Dialogs answer "not handled" to their dialog manager; set by DefaultProc for the current message.
    bool* unhandled_ = nullptr;
};

// A dialog from a resource template, modal or modeless.
class CDialogWindow : public CWindow {
  public:
    explicit CDialogWindow(int template_id) : template_id_(template_id) {}

    INT_PTR DoModal(HWND parent);
    bool CreateModeless(HWND parent);
    void EndDialog(INT_PTR result);
    int TemplateId() const { return template_id_; }

  protected:
    // Return TRUE to let the system set the focus.
    virtual BOOL OnInitDialog() { return TRUE; }
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

  private:
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
    int template_id_;
    bool modal_ = false;
};

// The module that holds the resources (the executable).
HINSTANCE ResourceModule();

// The DPI the window is shown at (its monitor's with per-monitor awareness; 96 at 100 %).
int WindowDpi(HWND window);
// The work area (the screen without task bars) of the monitor that shows most of the window.
RECT MonitorWorkArea(HWND window);

}  // namespace vela
