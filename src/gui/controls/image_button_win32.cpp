#include "gui/controls/image_button_win32.h"

#include <algorithm>

#include "core/ui/text_layout.h"
#include "gui/win/mem_dc_win32.h"

namespace vela {
namespace {

constexpr int kFrameNormal = 0;
constexpr int kFrameLatched = 1;
constexpr int kFrameHover = 2;
constexpr int kFrameDisabled = 3;

}  // namespace

const MessageRow<CGDI_Button> CGDI_Button::kMessageMap[] = {
    {kReflectedDrawItem, 0, &CGDI_Button::OnDrawItem},
    {kReflectedCommand, 0, &CGDI_Button::OnReflectedCommand},
};

bool CGDI_Button::Create(HWND parent, int id, const RECT& rect, const wchar_t* caption, DWORD style) {
    if (!CreateControl(L"BUTTON", caption, style | BS_OWNERDRAW, rect, parent, id))
        return false;
    caption_ = caption ? caption : L"";
    return true;
}

void CGDI_Button::PreSubclassWindow() {
    // Owner-draw: the system button never paints its own face.
    const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    SendMessageW(hwnd_, BM_SETSTYLE, static_cast<WPARAM>((style & 0xFFF0) | BS_OWNERDRAW), FALSE);
}

LRESULT CGDI_Button::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    return RouteFirst(this, kMessageMap, message, wparam, lparam);
}

void CGDI_Button::SetSkin(HDC parent_background, int image_id) {
    active_ = ClientRect();
    skin_client_ = {active_.right, active_.bottom};
    skin_loaded_ = true;
    LoadSkin(parent_background, image_id, skin_);
}

void CGDI_Button::SetTextStyle(float font_size, const std::wstring& font_face, unsigned colour_off,
                               int text_flags, unsigned colour_on) {
    font_size_ = font_size;
    font_face_ = font_face;
    colour_off_ = colour_off;
    text_flags_ = text_flags;
    colour_on_ = colour_on;
    font_.reset();
    Redraw();
}

void CGDI_Button::SetFontStyle(int style) {
    font_style_ = style;
    font_.reset();
    Redraw();
}

void CGDI_Button::SetFrameCount(int frames) {
    frame_count_ = frames > 0 ? frames : 1;
    Redraw();
}

void CGDI_Button::SetCheck(int state) {
    check_ = std::clamp(state, kPush, kLatchOn);
    pressed_ = false;
    Redraw();
}

// Hidden or disabled, a button can be neither hovered nor held down.
void CGDI_Button::OnStateChanged() {
    hovering_ = false;
    pressed_ = false;
}

void CGDI_Button::OnResized(int, int) {
    font_.reset();
}

bool CGDI_Button::InActiveArea(POINT p) const {
    RECT r = ClientRect();
    InflateRect(&r, -1, -1);
    return PtInRect(&r, p) != FALSE;
}

void CGDI_Button::UpdateHover(POINT p) {
    if (InActiveArea(p)) {
        if (!hovering_) {
            hovering_ = true;
            Redraw();
        }
        if (GetCapture() != hwnd_)
            SetCapture(hwnd_);  // so that leaving is seen
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
    } else {
        const bool changed = hovering_ || pressed_;
        hovering_ = false;
        pressed_ = false;
        if (GetCapture() == hwnd_)
            ReleaseCapture();
        if (changed)
            Redraw();
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
}

bool CGDI_Button::OnPointerMove(POINT p) {
    if (shown_ && enabled_ && !pressed_)
        UpdateHover(p);
    return true;
}

bool CGDI_Button::OnPress(POINT p, bool) {
    if (!shown_ || !enabled_ || !clickable_)
        return true;
    if (InActiveArea(p)) {
        pressed_ = true;
        // The release counts wherever it happens, so it must reach this button.
        if (GetCapture() != hwnd_)
            SetCapture(hwnd_);
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
    }
    Redraw();
    return true;
}

bool CGDI_Button::OnRelease(POINT p) {
    if (!shown_ || !enabled_ || !clickable_)
        return true;
    if (pressed_) {
        if (check_ == kLatchOff) {
            check_ = kLatchOn;
        } else if (check_ == kLatchOn) {
            check_ = kLatchOff;
        }
        hovering_ = false;
        pressed_ = false;
        if (HWND parent = GetParent(hwnd_)) {
            PostMessageW(parent, static_cast<UINT>(ControlId()), static_cast<WPARAM>(index_),
                         static_cast<LPARAM>(index_));
        }
    }
    pressed_ = false;
    UpdateHover(p);
    Redraw();
    return true;
}

bool CGDI_Button::OnCaptureChanged(bool lost) {
    if (lost && (hovering_ || pressed_)) {
        hovering_ = false;
        pressed_ = false;
        Redraw();
    }
    return true;
}

void CGDI_Button::OnFocusLost() {
    hovering_ = false;
}

LRESULT CGDI_Button::OnDrawItem(WPARAM, LPARAM lparam) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
    PaintFace(item->hDC);
    return TRUE;
}

// The notification is our own posted message; the system's BN_CLICKED is not used.
LRESULT CGDI_Button::OnReflectedCommand(WPARAM, LPARAM) {
    return 0;
}

void CGDI_Button::DrawFace(HDC face, int w, int h) {
    Gdiplus::Graphics g(face);
    UseSmoothDrawing(g);
    if (skin_) {
        const int frame_width = static_cast<int>(skin_->GetWidth()) / frame_count_;
        const int frame_height = static_cast<int>(skin_->GetHeight());
        auto frame = [&](int n) {
            if (n < frame_count_)
                DrawSprite(g, skin_.get(), RectF(0, 0, w, h),
                           Rect::Sized(n * frame_width, 0, frame_width, frame_height));
        };
        // A button switched off shows no latch: Sing and Dance in Auto mode do nothing, whatever they hold.
        frame(check_ == kLatchOn && enabled_ ? kFrameLatched : kFrameNormal);
        if (!enabled_) {
            frame(kFrameDisabled);
        } else if (hovering_) {
            frame(kFrameHover);
        }
    }
    if (caption_.empty())
        return;
    if (!font_)
        font_ = MakeGdiplusFont(font_face_.c_str(), font_size_, font_style_);
    if (!font_)
        return;
    Gdiplus::StringFormat format;
    ApplyTextFlags(format, text_flags_);
    // The active rectangle was taken in control pixels when the skin was set; it follows later resizing.
    const float sx = skin_client_.cx > 0 ? static_cast<float>(w) / static_cast<float>(skin_client_.cx) : 1.0f;
    const float sy = skin_client_.cy > 0 ? static_cast<float>(h) / static_cast<float>(skin_client_.cy) : 1.0f;
    const RECT active = skin_loaded_ ? active_ : RECT{0, 0, w, h};
    TextBox box{active.left * sx, active.top * sy, (active.right - active.left) * sx - 1,
                (active.bottom - active.top) * sy - 1};
    Gdiplus::RectF measured;
    g.SetTextRenderingHint(static_cast<Gdiplus::TextRenderingHint>(rendering_hint_));
    g.MeasureString(caption_.c_str(), static_cast<INT>(caption_.size()), font_.get(), Gdiplus::PointF(0, 0),
                    &format, &measured);
    // Some renderers drop the last glyph of a box exactly as wide as the measured text; a little slack on
    // both sides keeps the centring and the whole caption.
    const float slack = font_size_ * 0.5f;
    box = ButtonTextBox(box, text_flags_, measured.Width + slack, measured.Height);
    unsigned colour = check_ == kLatchOn && enabled_ ? colour_on_ : colour_off_;
    if (!enabled_)
        colour = (colour & 0x00FFFFFFu) | (((colour >> 24) / 2) << 24);  // a faded caption
    Gdiplus::SolidBrush brush(Argb(colour));
    const Gdiplus::RectF rect(box.x, box.y, box.width, box.height);
    // Drawn twice: the second pass thickens the anti-aliased strokes.
    for (int pass = 0; pass < 2; ++pass) {
        g.DrawString(caption_.c_str(), static_cast<INT>(caption_.size()), font_.get(), rect, &format, &brush);
    }
}

}  // namespace vela
