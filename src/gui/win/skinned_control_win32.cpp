#include "gui/win/skinned_control_win32.h"

#include <windowsx.h>

#include "gui/win/mem_dc_win32.h"

namespace vela {
namespace {
constexpr wchar_t kVeilProperty[] = L"vela.veiled";
constexpr BYTE kVeilAlpha = 160;  // dims the dark skin by about half
}  // namespace

void SetVeiled(HWND window, bool veiled) {
    if (!window)
        return;
    if (veiled)
        SetPropW(window, kVeilProperty, reinterpret_cast<HANDLE>(1));
    else
        RemovePropW(window, kVeilProperty);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

bool IsVeiled(HWND control) {
    return control && (GetPropW(control, kVeilProperty) || GetPropW(GetParent(control), kVeilProperty));
}

const MessageRow<CSkinnedControl> CSkinnedControl::kMessageMap[] = {
    {WM_PAINT, 0, &CSkinnedControl::OnPaint},         {WM_ERASEBKGND, 0, &CSkinnedControl::OnEraseBackground},
    {WM_SIZE, 0, &CSkinnedControl::OnSize},           {WM_MOVE, 0, &CSkinnedControl::OnMove},
    {WM_KILLFOCUS, 0, &CSkinnedControl::OnKillFocus},
};

const MessageRow<CSkinnedControl> CSkinnedControl::kTextMessageMap[] = {
    {WM_SETTEXT, 0, &CSkinnedControl::OnSetText},
    {WM_GETTEXT, 0, &CSkinnedControl::OnGetText},
    {WM_GETTEXTLENGTH, 0, &CSkinnedControl::OnGetTextLength},
};

LRESULT CSkinnedControl::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (auto r = RouteMessage(this, kMessageMap, message, wparam, lparam))
        return *r;
    if (text_mode_ == TextMode::kOwnCaption) {
        if (auto r = RouteMessage(this, kTextMessageMap, message, wparam, lparam))
            return *r;
    }
    if (auto r = RouteInput(message, wparam, lparam))
        return *r;
    return CWindow::WindowProc(message, wparam, lparam);
}

std::optional<LRESULT> CSkinnedControl::RouteInput(UINT message, WPARAM wparam, LPARAM lparam) {
    const POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    bool taken = false;
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            taken = OnPress(p, message == WM_LBUTTONDBLCLK);
            break;
        case WM_LBUTTONUP:
            taken = OnRelease(p);
            break;
        case WM_MOUSEMOVE:
            taken = OnPointerMove(p);
            break;
        case WM_MOUSEWHEEL:
            taken = OnWheel(GET_WHEEL_DELTA_WPARAM(wparam));
            break;
        case WM_KEYDOWN:
            taken = OnKey(wparam);
            break;
        case WM_CAPTURECHANGED:
            taken = OnCaptureChanged(reinterpret_cast<HWND>(lparam) != hwnd_);
            break;
        case WM_GETDLGCODE:
            if (WantsArrowKeys())
                return DefaultProc(message, wparam, lparam) | DLGC_WANTARROWS;
            break;
        default:
            break;
    }
    if (taken)
        return 0;
    return std::nullopt;
}

void CSkinnedControl::Redraw() {
    face_valid_ = false;
    Invalidate();
}

void CSkinnedControl::RedrawWithBackground() {
    canvas_.Invalidate();
    Redraw();
}

void CSkinnedControl::SetParentBackground(HDC parent_background) {
    parent_background_ = parent_background;
    RedrawWithBackground();
}

void CSkinnedControl::ReleaseOwnCapture() {
    if (hwnd_ && GetCapture() == hwnd_)
        ReleaseCapture();
}

void CSkinnedControl::SetShown(bool shown) {
    shown_ = shown;
    ReleaseOwnCapture();
    OnStateChanged();
    Redraw();
}

void CSkinnedControl::SetEnabled(bool enabled) {
    enabled_ = enabled;
    ReleaseOwnCapture();
    OnStateChanged();
    Redraw();
}

void CSkinnedControl::SetCaption(const std::wstring& caption) {
    caption_ = caption;
    OnCaptionChanged();
    Redraw();
    if (hwnd_)
        UpdateWindow(hwnd_);
}

bool CSkinnedControl::CreateNotifyingStatic(HWND parent, int id, const RECT& rect, DWORD style) {
    return CreateControl(L"STATIC", L" ", style | SS_NOTIFY, rect, parent, id);
}

void CSkinnedControl::MakeNotifyingStatic() {
    // A static control lets the mouse through unless it notifies.
    const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    SetWindowLongPtrW(hwnd_, GWL_STYLE, style | SS_NOTIFY);
    caption_.clear();
}

void CSkinnedControl::LoadSkin(HDC parent_background, int image_id, std::unique_ptr<Gdiplus::Bitmap>& skin) {
    skin.reset();
    LoadImageResource(image_id, L"PNG", skin);
    SetParentBackground(parent_background);
}

void CSkinnedControl::ResizeLater() {
    if (!hwnd_)
        return;
    const RECT r = ClientRect();
    PostMessageW(hwnd_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.right, r.bottom));
}

void CSkinnedControl::LayOutNow() {
    const RECT r = ClientRect();
    OnResized(r.right, r.bottom);
}

void CSkinnedControl::SetHelp(const std::wstring& help) {
    if (help == help_)
        return;
    help_ = help;
    UpdateTip();
}

void CSkinnedControl::SetTipNote(const std::wstring& note) {
    if (note == tip_note_)
        return;
    tip_note_ = note;
    UpdateTip();
}

void CSkinnedControl::UpdateTip() {
    std::wstring text = help_;
    if (!help_.empty() && !tip_note_.empty())
        text += L"\n";
    tip_.Set(hwnd_, text + tip_note_);
}

void CSkinnedControl::RenderFace() {
    if (!hwnd_ || !canvas_.EnsureBackground(hwnd_, parent_background_))
        return;
    HDC face = canvas_.BeginFace();
    face_valid_ = true;
    face_veiled_ = IsVeiled(hwnd_);
    if (face && shown_) {
        DrawFace(face, canvas_.Width(), canvas_.Height());
        if (face_veiled_) {
            Gdiplus::Graphics g(face);
            Gdiplus::SolidBrush veil(Gdiplus::Color(kVeilAlpha, 16, 16, 16));
            g.FillRectangle(&veil, 0, 0, canvas_.Width(), canvas_.Height());
        }
    }
}

void CSkinnedControl::PaintTo(HDC dc, int level) {
    if (!hwnd_ || !dc)
        return;
    if (!face_valid_ || face_veiled_ != IsVeiled(hwnd_))
        RenderFace();
    const POINT origin = ControlOrigin(hwnd_, level);
    canvas_.CopyTo(dc, origin.x, origin.y);
}

void CSkinnedControl::PaintFace(HDC dc) {
    if (!face_valid_ || face_veiled_ != IsVeiled(hwnd_))
        RenderFace();
    canvas_.CopyTo(dc, 0, 0);
}

HDC CSkinnedControl::CurrentFace() const {
    return hwnd_ && face_valid_ && shown_ ? canvas_.Face() : nullptr;
}

void CSkinnedControl::ShowPart(const RECT& part) {
    if (!hwnd_)
        return;
    // Straight to the screen: going through an invalidation and WM_PAINT costs Wine many times the copy, and
    // an animation does this ten times a second.
    if (held_screen_ && held_screen_->Get()) {
        canvas_.CopyPartTo(held_screen_->Get(), part);
        return;
    }
    WindowDc screen(hwnd_);
    if (screen.Get())
        canvas_.CopyPartTo(screen.Get(), part);
    else
        InvalidateRect(hwnd_, &part, FALSE);
}

void CSkinnedControl::HoldScreenDc(bool hold) {
    if (!hold || !hwnd_)
        held_screen_.reset();
    else if (!held_screen_)
        held_screen_ = std::make_unique<WindowDc>(hwnd_);
}

// Only what needs painting goes to the screen: copying the whole face for a small part costs Wine as much as
// drawing it.
LRESULT CSkinnedControl::OnPaint(WPARAM, LPARAM) {
    PaintDc paint(hwnd_);
    if (!face_valid_ || face_veiled_ != IsVeiled(hwnd_))
        RenderFace();
    canvas_.CopyPartTo(paint.Get(), paint.Area());
    return 0;
}

// The face covers the whole control; erasing first would only flicker.
LRESULT CSkinnedControl::OnEraseBackground(WPARAM, LPARAM) {
    return TRUE;
}

LRESULT CSkinnedControl::OnSize(WPARAM wparam, LPARAM lparam) {
    LayOutNow();
    RedrawWithBackground();
    return DefaultProc(WM_SIZE, wparam, lparam);
}

// A moved control stands on another part of the parent's background.
LRESULT CSkinnedControl::OnMove(WPARAM wparam, LPARAM lparam) {
    RedrawWithBackground();
    return DefaultProc(WM_MOVE, wparam, lparam);
}

LRESULT CSkinnedControl::OnKillFocus(WPARAM wparam, LPARAM lparam) {
    focused_ = false;
    OnFocusLost();
    Redraw();
    return DefaultProc(WM_KILLFOCUS, wparam, lparam);
}

LRESULT CSkinnedControl::OnSetText(WPARAM, LPARAM lparam) {
    const auto* text = reinterpret_cast<const wchar_t*>(lparam);
    SetCaption(text ? text : L"");
    return TRUE;
}

LRESULT CSkinnedControl::OnGetText(WPARAM wparam, LPARAM lparam) {
    return CopyTextOut(caption_, wparam, lparam);
}

LRESULT CSkinnedControl::OnGetTextLength(WPARAM, LPARAM) {
    return static_cast<LRESULT>(caption_.size());
}

}  // namespace vela
