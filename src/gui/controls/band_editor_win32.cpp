#include "gui/controls/band_editor_win32.h"

// Balloon notes; needs <windows.h> first.
#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "gui/win/mem_dc_win32.h"

namespace vela {
namespace {

// Skin image coordinates (the editor's skin geometry).
constexpr Rect kFace = Rect::Sized(0, 0, 47, 194);
constexpr Rect kTypeImages[3] = {Rect::Sized(48, 0, 11, 52), Rect::Sized(68, 0, 11, 52),
                                 Rect::Sized(88, 0, 11, 52)};  // 7, 5, 6
constexpr Rect kThumbNormal = Rect::Sized(16, 240, 14, 14);
constexpr Rect kThumbFocused = Rect::Sized(16, 210, 14, 14);
constexpr wchar_t kNumberFace[] = L"Arial";
constexpr unsigned kNumberColour = 0xFFFFFFFF;
constexpr unsigned kNumberFocusedColour = 0xFFFF0000;
constexpr wchar_t kBoxFace[] = L"黑体";
constexpr COLORREF kBoxText = 0xFAFAFA;
constexpr COLORREF kBoxTextVeiled = 0x707070;
constexpr COLORREF kBoxBack = 0x2C2D2D;
constexpr int kBoxSkinHeight = 13;
constexpr int kSkinHeight = 194;
constexpr DWORD kBoxStyle = WS_CHILD | WS_VISIBLE | ES_CENTER | ES_UPPERCASE | ES_AUTOHSCROLL | ES_NOHIDESEL;
constexpr UINT_PTR kNoteTimer = 1;
constexpr UINT kNoteShownMs = 5000;
constexpr int kNoteWidth = 260;

const Rect& TypeImageFor(int type) {
    if (type == 5)
        return kTypeImages[1];
    if (type == 6)
        return kTypeImages[2];
    return kTypeImages[0];
}

}  // namespace

LRESULT BandFieldBox::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_KEYDOWN:
            if (owner_.OnKey(wparam))
                return 0;
            break;
        case WM_CHAR:
            if (wparam == VK_RETURN)
                return 0;  // a single-line box would only beep
            break;
        case WM_GETDLGCODE:
            // The arrows and Enter are the editor's, not the dialog manager's.
            return DefaultProc(message, wparam, lparam) | DLGC_WANTARROWS | DLGC_WANTALLKEYS;
        default:
            break;
    }
    return CWindow::WindowProc(message, wparam, lparam);
}

const MessageRow<CEQ_Lum0> CEQ_Lum0::kMessageMap[] = {
    {WM_COMMAND, 0, &CEQ_Lum0::OnCommand},
    {WM_CTLCOLOREDIT, 0, &CEQ_Lum0::OnCtlColorEdit},
    {WM_TIMER, 0, &CEQ_Lum0::OnTimer},
};

CEQ_Lum0::~CEQ_Lum0() {
    if (balloon_ && ::IsWindow(balloon_))
        DestroyWindow(balloon_);
    Destroy();
}

bool CEQ_Lum0::Create(HWND parent, int id, const RECT& rect, DWORD style) {
    if (!CreateNotifyingStatic(parent, id, rect, style))
        return false;
    LayOutNow();
    return true;
}

void CEQ_Lum0::PreSubclassWindow() {
    MakeNotifyingStatic();
    for (int i = 0; i < kTextFields; ++i) {
        held_[i] = kEditorInitial[i];
        texts_[i] = ShowFieldText(i, kEditorInitial[i]);
    }
}

LRESULT CEQ_Lum0::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    return RouteFirst(this, kMessageMap, message, wparam, lparam);
}

void CEQ_Lum0::SetSkin(HDC parent_background, int image_id, int style) {
    style_ = style;
    LoadSkin(parent_background, image_id, skin_);
    ResizeLater();
}

void CEQ_Lum0::SetIndex(int index) {
    index_ = index;
    Redraw();
}

void CEQ_Lum0::SetGainLimits(double lower, double upper, double step) {
    limits_ = {lower, upper, step};
    Redraw();
}

void CEQ_Lum0::SetTypeButtonsShown(bool shown) {
    type_buttons_shown_ = shown;
    Redraw();
}

HWND CEQ_Lum0::Box(int field) const {
    return field >= 0 && field < kTextFields && boxes_[field] ? boxes_[field]->Hwnd() : nullptr;
}

void CEQ_Lum0::CreateBoxes() {
    for (int i = 0; i < kTextFields; ++i) {
        boxes_[i] = std::make_unique<BandFieldBox>(*this, i);
        const Rect& r = geometry_.boxes[i];
        boxes_[i]->CreateControl(L"EDIT", texts_[i].c_str(), kBoxStyle,
                                 RECT{r.left, r.top, r.right, r.bottom}, hwnd_, kBoxIds[i]);
    }
    box_brush_.Reset(CreateSolidBrush(kBoxBack));
}

void CEQ_Lum0::LayoutBoxes() {
    const RECT client = ClientRect();
    const int font_height = std::max(static_cast<int>(client.bottom) * kBoxSkinHeight / kSkinHeight, 1);
    box_font_.Reset(CreateFontW(-font_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                                kBoxFace));
    for (int i = 0; i < kTextFields; ++i) {
        HWND box = Box(i);
        if (!box)
            continue;
        const Rect& r = geometry_.boxes[i];
        MoveWindow(box, r.left, r.top, r.Width(), r.Height(), TRUE);
        SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(box_font_.Get()), TRUE);
    }
}

void CEQ_Lum0::OnResized(int width, int height) {
    geometry_ = ComputeBandEditorGeometry(width, height);
    if (!hwnd_)
        return;
    if (!laid_out_) {
        // The type is reset on the first layout only: a later resize must not show a shelf as a peak.
        CreateBoxes();
        type_ = kEditorInitialType;
        laid_out_ = true;
    }
    LayoutBoxes();
    number_font_.reset();
}

void CEQ_Lum0::OnStateChanged() {
    dragging_ = false;
}

std::wstring CEQ_Lum0::BoxText(int field) const {
    HWND box = Box(field);
    if (!box)
        return texts_[field];
    const int length = GetWindowTextLengthW(box);
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    const int got = GetWindowTextW(box, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(got, 0)));
    return text;
}

void CEQ_Lum0::ShowField(int field, double x) {
    if (field < 0 || field >= kTextFields)
        return;
    if (field == kFieldGain)
        gain_ = x;
    held_[field] = x;
    texts_[field] = ShowFieldText(field, x);
    if (HWND box = Box(field))
        SetWindowTextW(box, texts_[field].c_str());
    Redraw();
}

void CEQ_Lum0::SetField(int field, double x) {
    if (field < 0 || field > kFieldType)
        return;
    const double shown = EditorShownValue(field, x, limits_);
    if (field == kFieldType)
        type_ = static_cast<int>(shown);
    else
        ShowField(field, shown);
    Redraw();
    if (hwnd_ && IsWindowVisible(hwnd_)) {
        focused_ = true;
        SetFocus(hwnd_);
    }
}

double CEQ_Lum0::GetField(int field) const {
    if (field == kFieldType)
        return type_;
    if (field < 0 || field >= kTextFields)
        return 0.0;
    return ReadShownField(field, held_[field], texts_[field], BoxText(field), 0, limits_);
}

void CEQ_Lum0::StepField(int field, int step) {
    const FieldEntry entry =
        ReadEnteredField(field, held_[field], texts_[field], BoxText(field), step, limits_);
    const bool changed = !entry.refused && entry.value != held_[field];
    // A refusal puts the previous text back; nothing is told to the page, so nothing is written.
    ShowField(field, entry.value);
    ShowNote(field, entry.note);
    if (changed)
        Notify(field, step == 0);
}

void CEQ_Lum0::ShowNote(int field, const std::wstring& note) {
    note_ = note;
    HWND box = Box(field);
    if (!hwnd_ || !box || (!balloon_ && note_.empty()))
        return;
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V1_SIZE;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = hwnd_;
    tool.uId = 1;
    tool.lpszText = note_.data();
    if (!balloon_) {
        balloon_ = CreateWindowExW(
            WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, nullptr, nullptr);
        if (!balloon_)
            return;
        SendMessageW(balloon_, TTM_SETMAXTIPWIDTH, 0, kNoteWidth);
        SendMessageW(balloon_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SendMessageW(balloon_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    KillTimer(hwnd_, kNoteTimer);
    if (note_.empty())
        return;
    SendMessageW(balloon_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    RECT r{};
    GetWindowRect(box, &r);
    SendMessageW(balloon_, TTM_TRACKPOSITION, 0, MAKELPARAM((r.left + r.right) / 2, r.bottom));
    SendMessageW(balloon_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    SetTimer(hwnd_, kNoteTimer, kNoteShownMs, nullptr);
}

LRESULT CEQ_Lum0::OnTimer(WPARAM wparam, LPARAM lparam) {
    if (wparam != kNoteTimer)
        return DefaultProc(WM_TIMER, wparam, lparam);
    ShowNote(kFieldGain, {});
    return 0;
}

void CEQ_Lum0::Notify(int field, bool typed) {
    if (!hwnd_)
        return;
    typed_ = typed;
    if (HWND parent = GetParent(hwnd_))
        SendMessageW(parent, static_cast<UINT>(ControlId()), static_cast<WPARAM>(index_), field);
}

void CEQ_Lum0::DrawFace(HDC face, int width, int height) {
    {
        Gdiplus::Graphics g(face);
        UseSmoothDrawing(g);
        Gdiplus::Bitmap* image = skin_.get();
        DrawSprite(g, image, RectF(0, 0, width, height), kFace);
        if (!number_font_ || number_font_height_ != geometry_.number_font_height) {
            number_font_height_ = geometry_.number_font_height;
            number_font_ =
                MakeGdiplusFont(kNumberFace, static_cast<float>(number_font_height_), Gdiplus::FontStyleBold);
        }
        if (number_font_) {
            const Rect& box = geometry_.number_box;
            const std::wstring number = std::to_wstring(index_ + 1);
            Gdiplus::StringFormat format;
            format.SetAlignment(Gdiplus::StringAlignmentCenter);
            format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
            format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap | Gdiplus::StringFormatFlagsNoClip);
            Gdiplus::SolidBrush brush(Argb(focused_ ? kNumberFocusedColour : kNumberColour));
            g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
            g.DrawString(number.c_str(), static_cast<INT>(number.size()), number_font_.get(),
                         RectF(box.left, box.top, box.Width(), box.Height()), &format, &brush);
        }
        if (type_buttons_shown_) {
            const Rect& r = geometry_.type_image;
            DrawSprite(g, image, RectF(r.left, r.top, r.Width(), r.Height()), TypeImageFor(type_));
        }
        const Rect thumb = FaderThumbRect(geometry_, limits_, gain_);
        DrawSprite(g, image, RectF(thumb.left, thumb.top, thumb.Width(), thumb.Height()),
                   focused_ ? kThumbFocused : kThumbNormal);
    }
    // The values on the face too, where the boxes stand: a picture of the page (PaintTo) shows them.
    ScopedSelect font(face, box_font_.Get());
    SetBkMode(face, TRANSPARENT);
    SetTextColor(face, kBoxText);
    for (int i = 0; i < kTextFields; ++i) {
        RECT r{geometry_.boxes[i].left, geometry_.boxes[i].top, geometry_.boxes[i].right,
               geometry_.boxes[i].bottom};
        if (box_brush_)
            FillRect(face, &r, box_brush_.Get());
        DrawTextW(face, texts_[i].c_str(), static_cast<int>(texts_[i].size()), &r,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

bool CEQ_Lum0::OnPress(POINT p, bool) {
    if (!shown_ || !enabled_)
        return true;
    SetFocus(hwnd_);
    const EditorPress press = ClassifyEditorPress(geometry_, limits_, gain_, type_buttons_shown_, p.x, p.y);
    if (press.grab) {
        SetCapture(hwnd_);
        dragging_ = true;
        ShowField(kFieldGain, gain_);
        UpdateWindow(hwnd_);
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
    } else {
        if (press.type != 0 && press.type != type_) {
            type_ = press.type;
            Notify(kFieldType);
        }
        if (press.gain_step != 0)
            StepField(kFieldGain, press.gain_step);
        if (press.field >= 0)
            current_field_ = press.field;
    }
    focused_ = true;
    Redraw();
    return true;
}

bool CEQ_Lum0::OnPointerMove(POINT p) {
    if (!dragging_)
        return true;
    const double gain = FaderGainAt(geometry_, limits_, p.y);
    if (gain == gain_)
        return true;
    ShowField(kFieldGain, gain);
    UpdateWindow(hwnd_);
    Notify(kFieldGain);
    return true;
}

bool CEQ_Lum0::OnRelease(POINT) {
    if (!dragging_)
        return true;
    dragging_ = false;  // before ReleaseCapture, whose WM_CAPTURECHANGED would end the drag a second time
    ReleaseCapture();
    // Every move was told as it happened: letting go tells nothing new.
    ShowField(kFieldGain, gain_);
    return true;
}

bool CEQ_Lum0::OnCaptureChanged(bool lost) {
    if (dragging_ && lost) {
        dragging_ = false;
        Redraw();
    }
    return true;
}

bool CEQ_Lum0::OnWheel(int delta) {
    if (!shown_ || !enabled_)
        return true;
    if (current_field_ >= 0 && current_field_ < kTextFields)
        StepField(current_field_, delta > 0 ? 1 : -1);
    return true;
}

bool CEQ_Lum0::OnKey(WPARAM key) {
    switch (key) {
        case VK_LEFT:
            StepField(kFieldFreq, -1);
            return true;
        case VK_RIGHT:
            StepField(kFieldFreq, 1);
            return true;
        case VK_UP:
            StepField(kFieldGain, 1);
            return true;
        case VK_DOWN:
            StepField(kFieldGain, -1);
            return true;
        case VK_RETURN: {
            HWND focus = GetFocus();
            int field = focus ? -1 : kFieldGain;
            for (int i = 0; i < kTextFields; ++i) {
                if (focus && focus == Box(i))
                    field = i;
            }
            if (field >= 0)
                StepField(field, 0);
            return false;  // Enter goes on as usual
        }
        default:
            return false;
    }
}

LRESULT CEQ_Lum0::OnCommand(WPARAM wparam, LPARAM lparam) {
    const int id = LOWORD(wparam);
    const int code = HIWORD(wparam);
    for (int i = 0; i < kTextFields; ++i) {
        if (id != kBoxIds[i] || reinterpret_cast<HWND>(lparam) != Box(i))
            continue;
        if (code == EN_SETFOCUS) {
            current_field_ = i;
            // Posted, so that it comes after the click that placed the caret: typing replaces the value.
            PostMessageW(Box(i), EM_SETSEL, 0, -1);
        } else if (code == EN_KILLFOCUS) {
            // Leaving a box normalises what was typed and tells the page; the wheel goes back to the gain.
            current_field_ = kFieldGain;
            StepField(i, 0);
        }
        return 0;
    }
    return DefaultProc(WM_COMMAND, wparam, lparam);
}

LRESULT CEQ_Lum0::OnCtlColorEdit(WPARAM wparam, LPARAM) {
    HDC dc = reinterpret_cast<HDC>(wparam);
    SetTextColor(dc, IsVeiled(hwnd_) ? kBoxTextVeiled : kBoxText);
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, kBoxBack);
    return reinterpret_cast<LRESULT>(box_brush_.Get());
}

}  // namespace vela
