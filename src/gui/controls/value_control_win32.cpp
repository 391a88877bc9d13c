#include "gui/controls/value_control_win32.h"

// Tooltips; needs <windows.h> first.
#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "core/text/text_format.h"
#include "gui/win/mem_dc_win32.h"

namespace vela {
namespace {

// Skin image coordinates (see the value control's skin geometry).
constexpr int kFaceWidth = 170;
constexpr int kFaceHeight = 33;
constexpr int kCaptionBandRows = 14;
constexpr int kLeftPartWidth = 112;
constexpr int kRightEndWidth = 58;
constexpr int kRightEndPlain = 112;
constexpr int kRightEndToggle = 172;
constexpr Rect kThumbNormal = Rect::Sized(260, 16, 18, 16);
constexpr Rect kThumbFocused = Rect::Sized(235, 16, 18, 16);
constexpr Rect kToggleOn = Rect::Sized(286, 15, 16, 17);
constexpr Rect kToggleOff = Rect::Sized(306, 15, 16, 17);
constexpr wchar_t kCaptionFace[] = L"微软雅黑";
constexpr COLORREF kMeterGreen = 0x00FF00;
constexpr COLORREF kMeterYellow = 0xFFFF00;
constexpr COLORREF kMeterRed = 0xFF0000;

Gdiplus::Color WithAlpha(COLORREF rgb, int alpha) {
    return Gdiplus::Color(static_cast<BYTE>(alpha), static_cast<BYTE>((rgb >> 16) & 0xFF),
                          static_cast<BYTE>((rgb >> 8) & 0xFF), static_cast<BYTE>(rgb & 0xFF));
}

}  // namespace

const MessageRow<CEA_Lum2> CEA_Lum2::kMessageMap[] = {
    {WM_SHOWWINDOW, 0, &CEA_Lum2::OnShowWindow},
};

bool CEA_Lum2::Create(HWND parent, int id, const RECT& rect, DWORD style) {
    return CreateNotifyingStatic(parent, id, rect, style);
}

void CEA_Lum2::PreSubclassWindow() {
    MakeNotifyingStatic();
}

LRESULT CEA_Lum2::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    return RouteFirst(this, kMessageMap, message, wparam, lparam);
}

void CEA_Lum2::SetSkin(HDC parent_background, int image_id, int style) {
    style_ = style;
    skin_loaded_ = true;
    if (toggle_mode_)
        toggle_offset_ = toggle_amount_;
    LoadSkin(parent_background, image_id, skin_);
    ResizeLater();
}

CEA_Lum2::~CEA_Lum2() {
    Destroy();
}

void CEA_Lum2::SetValue(double v) {
    if (toggle_mode_) {
        const ToggleSplit split = SplitToggle(v, toggle_amount_);
        v = split.level;
        toggle_offset_ = split.offset;
    }
    value_ = v;
    if (hwnd_ && IsWindowVisible(hwnd_)) {
        focused_ = true;
        SetFocus(hwnd_);
    }
    Redraw();
}

void CEA_Lum2::SetRange(double lower, double upper) {
    lower_limit_ = lower;
    upper_limit_ = upper;
    Redraw();
}

void CEA_Lum2::SetUpperLimit(double upper) {
    upper_limit_ = upper;
    Redraw();
}

void CEA_Lum2::SetFineThreshold(double threshold) {
    fine_threshold_ = threshold;
    Redraw();
}

void CEA_Lum2::SetFineStep(double step) {
    fine_step_ = step;
    Redraw();
}

void CEA_Lum2::SetCaptioned(bool captioned) {
    captioned_ = captioned;
    LayOutNow();
    Redraw();
}

void CEA_Lum2::SetToggleMode(bool toggle_mode, int toggle_amount) {
    toggle_mode_ = toggle_mode;
    toggle_amount_ = toggle_amount;
    LayOutNow();
    Redraw();
}

void CEA_Lum2::SetMeterMode(bool meter_mode) {
    meter_mode_ = meter_mode;
    Redraw();
}

// Hidden or disabled, the control can neither keep a drag nor show the focus thumb.
void CEA_Lum2::OnStateChanged() {
    dragging_ = false;
    if (!enabled_)
        focused_ = false;
}

void CEA_Lum2::SetValueFormat(const std::wstring& format) {
    value_format_ = format;
    Redraw();
}

void CEA_Lum2::SetTextColour(unsigned argb) {
    text_colour_ = argb;
    Redraw();
}

void CEA_Lum2::Notify() {
    if (!hwnd_)
        return;
    HWND parent = GetParent(hwnd_);
    if (!parent)
        return;
    const double v = std::trunc(value_);
    const LPARAM level = std::isfinite(v) ? static_cast<LPARAM>(static_cast<long>(v)) : 0;
    SendMessageW(parent, static_cast<UINT>(ControlId()), static_cast<WPARAM>(index_), level);
}

void CEA_Lum2::OnResized(int width, int height) {
    geometry_ = ComputeValueGeometry(width, height, captioned_, toggle_mode_);
}

void CEA_Lum2::DrawFace(HDC face, int w, int h) {
    value_ = ClampValue(Range(), value_);
    Gdiplus::Graphics g(face);
    UseSmoothDrawing(g);
    DrawSkin(g, w, h);
    if (captioned_)
        DrawCaption(g);
}

void CEA_Lum2::DrawSkin(Gdiplus::Graphics& g, int w, int h) {
    const ValueRange range = Range();
    Gdiplus::Bitmap* image = skin_.get();
    if (image) {
        const int src_top = captioned_ ? 0 : kCaptionBandRows;
        const int src_height = kFaceHeight - src_top;
        const int split = w * kLeftPartWidth / kFaceWidth;
        DrawSprite(g, image, RectF(0, 0, split, h), Rect::Sized(0, src_top, kLeftPartWidth, src_height));
        DrawSprite(g, image, RectF(split, 0, w - split, h),
                   Rect::Sized(toggle_mode_ ? kRightEndToggle : kRightEndPlain, src_top, kRightEndWidth,
                               src_height));
    }
    if (meter_mode_) {
        const int alpha = MeterAlpha(range, value_);
        const Gdiplus::REAL height = static_cast<Gdiplus::REAL>(geometry_.meter_height) + 0.5f;
        const Gdiplus::RectF bar(static_cast<Gdiplus::REAL>(geometry_.track_start),
                                 static_cast<Gdiplus::REAL>(geometry_.thumb_centre_y) - height / 2,
                                 static_cast<Gdiplus::REAL>(geometry_.track_end - geometry_.track_start),
                                 height);
        if (bar.Width > 0 && bar.Height > 0) {
            Gdiplus::LinearGradientBrush brush(bar, Gdiplus::Color(0, 0, 0, 0), Gdiplus::Color(0, 0, 0, 0),
                                               Gdiplus::LinearGradientModeHorizontal);
            const Gdiplus::Color colours[] = {Gdiplus::Color(0, 0, 0, 0), WithAlpha(kMeterGreen, alpha),
                                              WithAlpha(kMeterYellow, alpha), WithAlpha(kMeterRed, alpha),
                                              Gdiplus::Color(0, 0, 0, 0)};
            const Gdiplus::REAL positions[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
            brush.SetInterpolationColors(colours, positions, 5);
            g.FillRectangle(&brush, bar);
        }
    }
    if (!image)
        return;
    if (toggle_mode_) {
        const Rect& box = geometry_.toggle_box;
        DrawSprite(g, image, RectF(box.left, box.top, box.Width(), box.Height()),
                   toggle_offset_ ? kToggleOn : kToggleOff);
    }
    if (enabled_) {
        const Rect thumb = ThumbRect(geometry_, range, value_);
        DrawSprite(g, image, RectF(thumb.left, thumb.top, thumb.Width(), thumb.Height()),
                   focused_ ? kThumbFocused : kThumbNormal);
    }
}

void CEA_Lum2::DrawCaption(Gdiplus::Graphics& g) {
    if (!value_format_.empty())
        caption_ = FormatWithValue(value_format_, value_);
    if (caption_.empty())
        return;
    const Rect& box = geometry_.caption_box;
    if (box.Width() <= 0 || box.Height() <= 0)
        return;
    // Looking the face up is the slowest part of a paint; the font is kept until the height changes.
    if (!caption_font_ || caption_font_height_ != geometry_.caption_font_height) {
        caption_font_ = MakeGdiplusFont(kCaptionFace, static_cast<float>(geometry_.caption_font_height));
        caption_font_height_ = geometry_.caption_font_height;
    }
    Gdiplus::Font* font = caption_font_.get();
    if (!font)
        return;
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
    Gdiplus::SolidBrush brush(Argb(text_colour_));
    Gdiplus::StringFormat format;
    format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    const Gdiplus::RectF rect(static_cast<Gdiplus::REAL>(box.left), static_cast<Gdiplus::REAL>(box.top),
                              static_cast<Gdiplus::REAL>(box.Width()),
                              static_cast<Gdiplus::REAL>(box.Height()));
    // "Label: value" reads as a label on the left and its value on the right.
    std::size_t colon = caption_.find_first_of(L":\uFF1A");
    if (colon == std::wstring::npos) {
        format.SetAlignment(Gdiplus::StringAlignmentNear);
        g.DrawString(caption_.c_str(), static_cast<INT>(caption_.size()), font, rect, &format, &brush);
        return;
    }
    const std::wstring head = caption_.substr(0, colon + 1);
    const std::wstring tail = caption_.substr(colon + 1);
    format.SetAlignment(Gdiplus::StringAlignmentNear);
    g.DrawString(head.c_str(), static_cast<INT>(head.size()), font, rect, &format, &brush);
    format.SetAlignment(Gdiplus::StringAlignmentFar);
    g.DrawString(tail.c_str(), static_cast<INT>(tail.size()), font, rect, &format, &brush);
}

bool CEA_Lum2::OnPress(POINT p, bool) {
    if (!shown_ || !enabled_)
        return true;
    SetFocus(hwnd_);
    const ValueRange range = Range();
    switch (ClassifyPress(geometry_, range, value_, toggle_mode_, p.x, p.y)) {
        case PressAction::kGrabThumb:
            SetCapture(hwnd_);
            dragging_ = true;
            Notify();
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            break;
        case PressAction::kFlipToggle:
            toggle_offset_ = toggle_offset_ ? 0 : toggle_amount_;
            Notify();
            break;
        case PressAction::kStepUp:
            value_ = StepUp(range, value_);
            Notify();
            break;
        case PressAction::kStepDown:
            value_ = StepDown(range, value_);
            Notify();
            break;
        case PressAction::kNone: {
            // Within the thumb's band but beside both: the page still hears of the click.
            const Rect thumb = ThumbRect(geometry_, range, value_);
            if (p.y >= thumb.top && p.y < thumb.bottom)
                Notify();
            break;
        }
    }
    focused_ = true;
    Redraw();
    return true;
}

bool CEA_Lum2::OnPointerMove(POINT p) {
    if (!dragging_)
        return true;
    value_ = ValueAtX(geometry_, Range(), p.x);
    Redraw();
    UpdateWindow(hwnd_);
    Notify();
    return true;
}

bool CEA_Lum2::OnRelease(POINT) {
    if (!dragging_)
        return true;
    dragging_ = false;  // before ReleaseCapture, whose WM_CAPTURECHANGED would end the drag a second time
    ReleaseCapture();
    Notify();
    Redraw();
    return true;
}

bool CEA_Lum2::OnCaptureChanged(bool lost) {
    if (dragging_ && lost) {
        dragging_ = false;
        Redraw();
    }
    return true;
}

void CEA_Lum2::Step(int direction) {
    if (!shown_ || !enabled_)
        return;
    if (direction > 0) {
        value_ = StepUp(Range(), value_);
    } else if (direction < 0) {
        value_ = StepDown(Range(), value_);
    }
    Notify();
    Redraw();
}

bool CEA_Lum2::OnWheel(int delta) {
    Step(delta);
    return true;
}

bool CEA_Lum2::OnKey(WPARAM key) {
    switch (key) {
        case VK_LEFT:
            Step(-1);
            return true;
        case VK_RIGHT:
            Step(1);
            return true;
        case VK_UP:
        case VK_DOWN:
            return true;  // swallowed: they neither move the value nor reach the page
        default:
            return false;
    }
}

LRESULT CEA_Lum2::OnShowWindow(WPARAM wparam, LPARAM lparam) {
    Redraw();
    return DefaultProc(WM_SHOWWINDOW, wparam, lparam);
}

}  // namespace vela
