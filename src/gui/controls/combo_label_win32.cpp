#include "gui/controls/combo_label_win32.h"

#include <algorithm>

#include "core/ui/text_layout.h"
#include "gui/win/mem_dc_win32.h"

namespace vela {
namespace {

// Face geometry per style in skin pixels: reference size and text rectangle. The strip holds the normal
// frame at x 0 and the focused one at x = reference width.
struct ComboStyle {
    int width;
    int height;
    RECT text;
};
constexpr ComboStyle kComboStyles[] = {
    {70, 15, {0, 0, 60, 15}},
    {169, 19, {4, 1, 151, 18}},
    {100, 19, {6, 1, 80, 18}},
};
constexpr float kFaceFontGrowth = 1.2f;

const ComboStyle& StyleRow(int style) {
    return kComboStyles[style >= 0 && style < static_cast<int>(std::size(kComboStyles)) ? style : 0];
}

// GDI finds "Arial Bold" where a font registers that face; elsewhere it is Arial with a bold weight.
UniqueFont MakeGdiFont(const std::wstring& face, int pixel_height) {
    std::wstring name = face;
    int weight = FW_NORMAL;
    constexpr std::wstring_view kBold = L" Bold";
    if (name.size() > kBold.size() && std::wstring_view(name).ends_with(kBold)) {
        weight = FW_BOLD;
    }
    LOGFONTW lf{};
    lf.lfHeight = -std::max(pixel_height, 1);
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;  // the family GDI falls back to
    name.copy(lf.lfFaceName, std::min<std::size_t>(name.size(), LF_FACESIZE - 1));
    return UniqueFont(CreateFontIndirectW(&lf));
}

}  // namespace

// ---- CLum_ComboBox ----

const MessageRow<CLum_ComboBox> CLum_ComboBox::kMessageMap[] = {
    {WM_NCPAINT, 0, &CLum_ComboBox::OnNcPaint},
    {CB_SETCURSEL, 0, &CLum_ComboBox::OnSetCurSel},
    {WM_CTLCOLORLISTBOX, 0, &CLum_ComboBox::OnCtlColor},
    {WM_CTLCOLOREDIT, 0, &CLum_ComboBox::OnCtlColor},
    {kReflectBase + WM_CTLCOLORLISTBOX, 0, &CLum_ComboBox::OnCtlColor},
    {kReflectBase + WM_CTLCOLOREDIT, 0, &CLum_ComboBox::OnCtlColor},
    {kReflectedCommand, 0, &CLum_ComboBox::OnReflectedCommand},
    {kReflectedDrawItem, 0, &CLum_ComboBox::OnDrawItem},
};

bool CLum_ComboBox::Create(HWND parent, int id, const RECT& rect, DWORD style) {
    return CreateControl(L"COMBOBOX", L"", style | CBS_DROPDOWNLIST | CBS_HASSTRINGS, rect, parent, id);
}

LRESULT CLum_ComboBox::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    return RouteFirst(this, kMessageMap, message, wparam, lparam);
}

void CLum_ComboBox::SetSkin(HDC parent_background, int image_id, int style) {
    style_ = style;
    list_font_.Reset();
    LoadSkin(parent_background, image_id, skin_);
    ResizeLater();
}

int CLum_ComboBox::AddItem(const std::wstring& text) {
    return hwnd_ ? static_cast<int>(
                       SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())))
                 : -1;
}

void CLum_ComboBox::ResetItems() {
    if (hwnd_)
        SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
    Redraw();
}

int CLum_ComboBox::ItemCount() const {
    if (!hwnd_)
        return 0;
    const LRESULT n = SendMessageW(hwnd_, CB_GETCOUNT, 0, 0);
    return n == CB_ERR ? 0 : static_cast<int>(n);
}

std::wstring CLum_ComboBox::ItemText(int n) const {
    if (!hwnd_ || n < 0 || n >= ItemCount())
        return {};
    const LRESULT length = SendMessageW(hwnd_, CB_GETLBTEXTLEN, static_cast<WPARAM>(n), 0);
    if (length == CB_ERR || length < 0)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendMessageW(hwnd_, CB_GETLBTEXT, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == CB_ERR ? 0 : static_cast<std::size_t>(got));
    return text;
}

void CLum_ComboBox::SetItem(int n) {
    current_ = (n < 0 || n >= ItemCount()) ? 0 : n;
    Redraw();
}

void CLum_ComboBox::SetTextColour(COLORREF face, COLORREF list) {
    text_colour_ = face;
    list_text_colour_ = list;
    Redraw();
}

void CLum_ComboBox::SetFont(const std::wstring& face, int size) {
    font_face_ = face;
    font_size_ = size;
    list_font_.Reset();
    Redraw();
}

void CLum_ComboBox::MakeFonts() {
    const float size = static_cast<float>(font_size_) * face_scale_;
    list_font_ = MakeGdiFont(font_face_, static_cast<int>(size));
    face_font_ = MakeGdiFont(font_face_, static_cast<int>(size * kFaceFontGrowth));
    // The list and the selection field use the control's font.
    if (list_font_)
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(list_font_.Get()), FALSE);
    // Closed, the box is as high as its face: the font alone makes it higher, over whatever lies below it.
    const int face_height = static_cast<int>(static_cast<float>(StyleRow(style_).height) * face_scale_);
    const LRESULT field = SendMessageW(hwnd_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    RECT closed{};
    if (field == CB_ERR || face_height <= 0 || !GetWindowRect(hwnd_, &closed))
        return;
    const LRESULT frame = (closed.bottom - closed.top) - field;
    if (field + frame != face_height && face_height > frame)
        SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), face_height - frame);
}

void CLum_ComboBox::OnResized(int width, int) {
    // Only the width sets the face's scale; a change of height alone (the one above) keeps the fonts. The
    // fonts are made at once, so that a box on a page not yet shown already has its closed height.
    if (width == fonts_width_ || width <= 0)
        return;
    fonts_width_ = width;
    face_scale_ = static_cast<float>(width) / static_cast<float>(StyleRow(style_).width);
    list_font_.Reset();
    MakeFonts();
}

void CLum_ComboBox::DrawFace(HDC face, int width, int) {
    const ComboStyle& row = StyleRow(style_);
    face_scale_ = static_cast<float>(width) / static_cast<float>(row.width);
    if (!list_font_)
        MakeFonts();
    if (skin_) {
        Gdiplus::Graphics g(face);
        g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        const Rect frame = Rect::Sized(focused_ ? row.width : 0, 0, row.width, row.height);
        DrawSprite(g, skin_.get(), Gdiplus::RectF(0, 0, row.width * face_scale_, row.height * face_scale_),
                   frame);
    }
    const int count = ItemCount();
    if (count <= 0)
        return;
    // An item the list no longer has (its items were replaced since) shows as the first one.
    const std::wstring text = ItemText(current_ >= 0 && current_ < count ? current_ : 0);
    RECT box{static_cast<LONG>(row.text.left * face_scale_), static_cast<LONG>(row.text.top * face_scale_),
             static_cast<LONG>(row.text.right * face_scale_),
             static_cast<LONG>(row.text.bottom * face_scale_)};
    ScopedSelect font(face, face_font_.Get());
    SetBkMode(face, TRANSPARENT);
    SetTextColor(face, text_colour_);
    DrawTextW(face, text.c_str(), static_cast<int>(text.size()), &box,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
}

LRESULT CLum_ComboBox::OnNcPaint(WPARAM, LPARAM) {
    return 0;
}

bool CLum_ComboBox::OnPress(POINT, bool) {
    // Hidden or disabled faces swallow the press, so the list never opens.
    return !shown_ || !enabled_;
}

LRESULT CLum_ComboBox::OnSetCurSel(WPARAM wparam, LPARAM) {
    // Only the face changes; the list keeps its own selection. As documented for the message, an index
    // beyond the list answers CB_ERR; the face then shows the first item.
    const auto n = static_cast<int>(wparam);
    const bool valid = n >= 0 && n < ItemCount();
    current_ = valid ? n : 0;
    Redraw();
    return valid ? static_cast<LRESULT>(n) : CB_ERR;
}

LRESULT CLum_ComboBox::OnCtlColor(WPARAM wparam, LPARAM) {
    HDC dc = reinterpret_cast<HDC>(wparam);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, list_text_colour_);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

LRESULT CLum_ComboBox::OnReflectedCommand(WPARAM wparam, LPARAM) {
    switch (HIWORD(wparam)) {
        case CBN_SELCHANGE: {
            const LRESULT selection = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
            current_ = selection == CB_ERR ? 0 : static_cast<int>(selection);
            Redraw();
            if (HWND parent = GetParent(hwnd_)) {
                PostMessageW(parent, static_cast<UINT>(ControlId()), static_cast<WPARAM>(index_),
                             static_cast<LPARAM>(index_));
            }
            return 1;
        }
        case CBN_SETFOCUS:
            focused_ = true;
            Redraw();
            return 1;
        case CBN_KILLFOCUS:
            focused_ = false;
            Redraw();
            return 1;
        default:
            return 0;
    }
}

LRESULT CLum_ComboBox::OnDrawItem(WPARAM, LPARAM lparam) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
    PaintFace(item->hDC);
    return TRUE;
}

// ---- Clum_CStatic ----

bool Clum_CStatic::Create(HWND parent, int id, const RECT& rect, const wchar_t* text, DWORD style) {
    if (!CreateControl(L"STATIC", text, style, rect, parent, id))
        return false;
    caption_ = text ? text : L"";
    return true;
}

void Clum_CStatic::SetSkin(HDC parent_background, unsigned fill_colour, int image_id) {
    fill_colour_ = fill_colour;
    if (image_id > 0) {
        image_.reset();
        LoadImageResource(image_id, L"PNG", image_);
    }
    SetParentBackground(parent_background);
}

void Clum_CStatic::SetFontStyle(int style) {
    font_style_ = style;
    Redraw();
}

void Clum_CStatic::SetTextStyle(float font_size, const std::wstring& font_face, unsigned text_colour,
                                int text_flags) {
    font_size_ = font_size;
    font_face_ = font_face;
    text_colour_ = text_colour;
    text_flags_ = text_flags;
    Redraw();
}

void Clum_CStatic::DrawFace(HDC face, int w, int h) {
    Gdiplus::Graphics g(face);
    UseSmoothDrawing(g);
    if ((fill_colour_ >> 24) != 0) {
        Gdiplus::SolidBrush fill(Argb(fill_colour_));
        g.FillRectangle(&fill, 0, 0, w, h);
    }
    if (image_) {
        DrawSprite(g, image_.get(), RectF(0, 0, w, h),
                   {0, 0, static_cast<int>(image_->GetWidth()), static_cast<int>(image_->GetHeight())});
    }
    if (caption_.empty())
        return;
    auto font = MakeGdiplusFont(font_face_.c_str(), font_size_, font_style_);
    if (!font)
        return;
    Gdiplus::StringFormat format;
    ApplyTextFlags(format, text_flags_);
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
    Gdiplus::RectF measured;
    if (text_flags_ & kTextSingleLine) {
        g.MeasureString(caption_.c_str(), static_cast<INT>(caption_.size()), font.get(),
                        Gdiplus::PointF(0, 0), &format, &measured);
    } else {
        // A label that may wrap is measured at its own width, so that it breaks into lines instead of
        // spilling over both sides.
        const Gdiplus::RectF layout(0, 0, static_cast<Gdiplus::REAL>(std::max(w - 1, 1)),
                                    static_cast<Gdiplus::REAL>(std::max(h, 1) * 4));
        g.MeasureString(caption_.c_str(), static_cast<INT>(caption_.size()), font.get(), layout, &format,
                        &measured);
    }
    const TextBox box =
        LabelTextBox(static_cast<float>(w), static_cast<float>(h), measured.Width, measured.Height);
    const Gdiplus::RectF rect(box.x, box.y, box.width, box.height);
    Gdiplus::SolidBrush brush(Argb(text_colour_));
    for (int pass = 0; pass < 2; ++pass) {
        g.DrawString(caption_.c_str(), static_cast<INT>(caption_.size()), font.get(), rect, &format, &brush);
    }
}

}  // namespace vela
