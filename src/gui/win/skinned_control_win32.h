// The skeleton every skinned control shares: the parent's background cached under it, the face rendered
// off-screen only when something changed, painting without erasing, PaintTo for the owner's own off-screen
// pictures, the caption behind WM_SETTEXT / WM_GETTEXT, and the shown / enabled / focused states. A control
// keeps only what is its own: its skin, its geometry, its input and DrawFace.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "gui/win/control_canvas_win32.h"
#include "gui/win/gdi_win32.h"
#include "gui/win/tooltip_win32.h"
#include "gui/win/window_win32.h"

namespace vela {

// Greys a page (every skinned control on it) or one control and repaints it: values that are not yet the
// device's must not look like its values.
void SetVeiled(HWND window, bool veiled);
// The control itself or its parent is greyed.
bool IsVeiled(HWND control);

class CSkinnedControl : public CWindow {
  public:
    // Renders the face if it is out of date and copies it into the DC at the control's position in its
    // top-level window (level > 0) or in its parent (level <= 0).
    void PaintTo(HDC dc, int level = 1);

    // Every change through the interface repaints; a hidden face shows only the background.
    void SetShown(bool shown);
    void SetEnabled(bool enabled);
    // Repaints at once: pages change captions while the user watches.
    void SetCaption(const std::wstring& caption);
    const std::wstring& Caption() const { return caption_; }
    // The control's tooltip: what it is for, then (on a line of its own) why it shows what it shows now.
    void SetHelp(const std::wstring& help);
    const std::wstring& Help() const { return help_; }
    // The tip as the tooltip control holds it, for tests.
    std::wstring TipText() const { return tip_.Text(hwnd_); }

    // The index the control reports to its parent with every notification.
    void SetIndex(int index) { index_ = index; }
    int Index() const { return index_; }

    bool Shown() const { return shown_; }
    bool Enabled() const { return enabled_; }
    bool Focused() const { return focused_; }

  protected:
    // kOwnCaption: the control answers WM_SETTEXT / WM_GETTEXT from its caption; kSystemText leaves the text
    // to the system control underneath (a combo box's edit field).
    enum class TextMode { kOwnCaption, kSystemText };
    explicit CSkinnedControl(TextMode text_mode = TextMode::kOwnCaption) : text_mode_(text_mode) {}

    // A child STATIC that notifies, so that the mouse reaches it (Create), and the same for one subclassed
    // after it was made (PreSubclassWindow); its caption starts empty.
    bool CreateNotifyingStatic(HWND parent, int id, const RECT& rect, DWORD style);
    void MakeNotifyingStatic();
    // The control's own message map first, then the skeleton's.
    template <class T, std::size_t N>
    LRESULT RouteFirst(T* self, const MessageRow<T> (&rows)[N], UINT message, WPARAM wparam, LPARAM lparam) {
        if (auto r = RouteMessage(self, rows, message, wparam, lparam))
            return *r;
        return CSkinnedControl::WindowProc(message, wparam, lparam);
    }
    // The PNG resource `image_id` as the control's skin (none when there is no such image), over the
    // parent's background.
    void LoadSkin(HDC parent_background, int image_id, std::unique_ptr<Gdiplus::Bitmap>& skin);
    // Lays the face out again at the present size once the queue gets to it, or at once.
    void ResizeLater();
    void LayOutNow();

    // Draws the face of width x height over the background already in `face`. Not called while hidden.
    virtual void DrawFace(HDC face, int width, int height) = 0;
    // After a size change, before the next face: recompute geometry, drop size-dependent fonts.
    virtual void OnResized(int /*width*/, int /*height*/) {}
    // The shown or enabled state changed: end drags and hovers the control keeps.
    virtual void OnStateChanged() {}
    // The caption changed (through SetCaption or WM_SETTEXT).
    virtual void OnCaptionChanged() {}

    // Pointer and key input, decoded once here. A hook answers true when it took the message; false leaves
    // the message to the system control underneath.
    virtual bool OnPress(POINT /*p*/, bool /*double_click*/) { return false; }
    virtual bool OnRelease(POINT /*p*/) { return false; }
    virtual bool OnPointerMove(POINT /*p*/) { return false; }
    virtual bool OnWheel(int /*delta*/) { return false; }
    virtual bool OnKey(WPARAM /*key*/) { return false; }
    // `lost`: another window took the mouse.
    virtual bool OnCaptureChanged(bool /*lost*/) { return false; }
    // A control that steps its value with the arrow keys keeps them from the dialog manager's navigation.
    virtual bool WantsArrowKeys() const { return false; }
    virtual void OnFocusLost() {}

    // The face is out of date: repaint it at the next WM_PAINT or PaintTo.
    void Redraw();
    // The background under the control changed too (new parent picture, moved, resized).
    void RedrawWithBackground();
    void SetParentBackground(HDC parent_background);
    // Brings the face up to date and copies it to (0, 0) of a DC of the control (WM_PAINT, owner draw).
    void PaintFace(HDC dc);
    // The face as last rendered, for a control that redraws a small part of it in place (then ShowPart);
    // null while the whole face is due to be rendered again or the control is hidden.
    HDC CurrentFace() const;
    // A part of the face redrawn in place goes to the screen at once, and nothing else.
    void ShowPart(const RECT& part);
    // While held, ShowPart draws through one screen DC kept for it: under Wine every GetDC makes a DC and
    // selects its font into the X11 driver, several times the cost of a small part's copy. For an
    // animation; released when it stops and with the control.
    void HoldScreenDc(bool hold);
    void SetFocused(bool focused) { focused_ = focused; }
    // Releases the mouse if this control holds it.
    void ReleaseOwnCapture();
    // The second part of the tooltip; empty leaves the help alone.
    void SetTipNote(const std::wstring& note);
    const std::wstring& TipNote() const { return tip_note_; }

    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    // The held screen DC goes back while its window still exists.
    void OnDetached() override { held_screen_.reset(); }

    GdiplusSession gdiplus_;  // first member: outlives every GDI+ object of the derived control
    std::wstring caption_;
    bool shown_ = true;
    bool enabled_ = true;
    bool focused_ = false;
    int index_ = 0;

  private:
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM);
    LRESULT OnSize(WPARAM, LPARAM);
    LRESULT OnMove(WPARAM, LPARAM);
    LRESULT OnKillFocus(WPARAM, LPARAM);
    LRESULT OnSetText(WPARAM, LPARAM);
    LRESULT OnGetText(WPARAM, LPARAM);
    LRESULT OnGetTextLength(WPARAM, LPARAM);
    std::optional<LRESULT> RouteInput(UINT message, WPARAM wparam, LPARAM lparam);

    static const MessageRow<CSkinnedControl> kMessageMap[];
    static const MessageRow<CSkinnedControl> kTextMessageMap[];

    void RenderFace();
    void UpdateTip();

    TextMode text_mode_;
    HDC parent_background_ = nullptr;
    ControlCanvas canvas_;
    std::unique_ptr<WindowDc> held_screen_;
    bool face_valid_ = false;
    bool face_veiled_ = false;
    std::wstring help_;
    std::wstring tip_note_;
    ToolTip tip_;
};

}  // namespace vela
