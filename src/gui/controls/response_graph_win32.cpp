#include "gui/controls/response_graph_win32.h"

#include <windowsx.h>

#include <cstring>
#include <vector>

namespace vela {
namespace {

constexpr int kSprite = kGraphHandleSize;
constexpr int kFrames = 6;
constexpr int kRingInset[kFrames] = {4, 6, 8, 6, 4, 4};  // the selected handle breathes through frames 1..5
constexpr int kTickHalf = 3;
constexpr float kRingPen = 2.0f;
constexpr unsigned kDiscColour = 0x0A000000;
constexpr unsigned kPassColour = 0xFFFF0000;
constexpr unsigned kBandColour = 0xFFC8C8C8;
constexpr unsigned kWhite = 0xFFFFFFFF;
constexpr unsigned kBlack = 0xFF000000;
constexpr unsigned kQColour = 0xC8FFFF00;
constexpr unsigned kQPressedColour = 0xFAB00E1A;
constexpr int kQSheet = 96;
constexpr unsigned kEqPassColour = 0x80FFFFFF;
constexpr int kEqPassWidth = 512;
constexpr int kEqPassHeight = 64;
constexpr int kEqPassShown = 448;
constexpr float kEqPassFont = 48.0f;
constexpr unsigned kGridColour = 0xFF3C3C3C;
constexpr unsigned kAxisTextColour = 0xF0F0F0F0;
constexpr float kAxisFont = 12.0f;
constexpr int kAxisLabelGap = 5;
constexpr int kAxisLabelDrop = 2;
constexpr unsigned kSumColour = 0xC8FF00FF;
constexpr unsigned kOutlineColour = 0x19FFFFFF;
constexpr unsigned kFillColour = 0x32FFFFFF;
constexpr float kCurvePen = 2.0f;
constexpr float kCardinalTension = 0.5f;
constexpr float kLabelFont = 12.0f;
constexpr unsigned kMenuHighlight = 0xFFFFFF32;
constexpr wchar_t kHandleFace[] = L"Arial";
constexpr wchar_t kAxisFace[] = L"Times New Roman";
// The menu's items are in the user's language: a face with Chinese glyphs, as the pages use.
constexpr wchar_t kMenuFace[] = L"微软雅黑";

// The Q handles' arrows, in one 24-pixel cell each.
struct ArrowPoint {
    int x;
    int y;
};
constexpr ArrowPoint kLeftArrow[] = {{2, 12}, {11, 2}, {11, 7}, {21, 7}, {21, 16}, {11, 16}, {11, 21}};
constexpr ArrowPoint kRightArrow[] = {{2, 7}, {12, 7}, {12, 2}, {21, 12}, {12, 21}, {12, 16}, {2, 16}};

std::vector<Gdiplus::Point> Points(const std::vector<GraphPoint>& path) {
    std::vector<Gdiplus::Point> points;
    points.reserve(path.size());
    for (const GraphPoint& p : path)
        points.emplace_back(p.x, p.y);
    return points;
}

void DrawCell(HDC dc, const SpriteSheet& sheet, int x, int y, int column, int row) {
    sheet.Blend(dc, x, y, column * kSprite, row * kSprite, kSprite, kSprite);
}

void CentredText(Gdiplus::Graphics& g, const std::wstring& text, Gdiplus::Font* font,
                 const Gdiplus::RectF& box, unsigned colour) {
    if (!font)
        return;
    Gdiplus::StringFormat format;
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap | Gdiplus::StringFormatFlagsNoClip);
    Gdiplus::SolidBrush brush(Argb(colour));
    g.DrawString(text.c_str(), static_cast<INT>(text.size()), font, box, &format, &brush);
}

}  // namespace

bool SpriteSheet::Create(int width, int height) {
    Reset();
    if (width <= 0 || height <= 0)
        return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, as GDI+ lays rows out
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bits || !sheet_.Take(UniqueDc(CreateCompatibleDC(nullptr)), std::move(bitmap))) {
        Reset();
        return false;
    }
    std::memset(bits, 0, static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    canvas_ = std::make_unique<Gdiplus::Bitmap>(width, height, width * 4, PixelFormat32bppPARGB,
                                                static_cast<BYTE*>(bits));
    return true;
}

void SpriteSheet::Reset() {
    canvas_.reset();  // before the pixels it points into
    sheet_.Reset();
}

void SpriteSheet::Blend(HDC dc, int dx, int dy, int x, int y, int width, int height) const {
    if (!sheet_)
        return;
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, dx, dy, width, height, sheet_.Dc(), x, y, width, height, blend);
}

const MessageRow<CLum_NewScope> CLum_NewScope::kMessageMap[] = {
    {WM_RBUTTONUP, 0, &CLum_NewScope::OnRightButtonUp},
    {WM_TIMER, 0, &CLum_NewScope::OnTimer},
};

CLum_NewScope::~CLum_NewScope() {
    Destroy();
}

bool CLum_NewScope::Create(HWND parent, int id, const RECT& rect, DWORD style) {
    return CreateNotifyingStatic(parent, id, rect, style);
}

void CLum_NewScope::PreSubclassWindow() {
    MakeNotifyingStatic();
}

LRESULT CLum_NewScope::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (auto r = RouteMessage(this, kMessageMap, message, wparam, lparam))
        return *r;
    return CSkinnedControl::WindowProc(message, wparam, lparam);
}

void CLum_NewScope::SetBackground(HDC parent_background) {
    has_background_ = parent_background != nullptr;
    grid_valid_ = false;
    SetParentBackground(parent_background);
}

void CLum_NewScope::Changed() {
    Redraw();
}

void CLum_NewScope::SetRanges(FreqRange high_pass, FreqRange low_pass, FreqRange bands) {
    model_.high_pass_range = high_pass;
    model_.low_pass_range = low_pass;
    model_.band_range = bands;
}
void CLum_NewScope::SetFreeFrequencies(bool on) {
    model_.free_frequencies = on;
    Changed();
}
void CLum_NewScope::SetMenuEnabled(bool on) {
    model_.menu_enabled = on;
    if (!on)
        model_.menu = GraphMenu::kClosed;
    Changed();
}
void CLum_NewScope::SetMenuItems(std::vector<GraphMenu> items) {
    model_.menu_items = std::move(items);
    model_.menu = GraphMenu::kClosed;
    SetMenuEnabled(!model_.menu_items.empty());
}
void CLum_NewScope::SetShowQHandles(bool on) {
    model_.show_q_handles = on;
    Changed();
}
void CLum_NewScope::SetShowSelectedCurve(bool on) {
    model_.show_selected_curve = on;
    Changed();
}
void CLum_NewScope::SetLabelScale(double scale) {
    model_.label_scale = scale;
    Changed();
}
void CLum_NewScope::SetHandleEnabled(int handle, bool enabled) {
    model_.SetHandleEnabled(handle, enabled);
    Changed();
}
void CLum_NewScope::SetHandleHasQ(int handle, bool has_q) {
    model_.SetHandleHasQ(handle, has_q);
    Changed();
}

void CLum_NewScope::InitBands(int band_count) {
    const RECT r = ClientRect();
    model_.InitBands(band_count, r.right, r.bottom);
    MakeSprites();
    grid_valid_ = false;
    initialised_ = true;
    Changed();
}

void CLum_NewScope::SetBandType(int band, int type) {
    model_.SetBandType(band, type);
    Changed();
}
void CLum_NewScope::SetBandFreq(int band, double hz) {
    model_.SetBandFreq(band, hz);
    Changed();
}
void CLum_NewScope::SetBandQ(int band, double q) {
    model_.SetBandQ(band, q);
    Changed();
}
void CLum_NewScope::SetBandGain(int band, double db) {
    model_.SetBandGain(band, db);
    Changed();
}
void CLum_NewScope::SetPassFreq(int which, double hz) {
    model_.SetPassFreq(which, hz);
    Changed();
}
void CLum_NewScope::SetPassType(int code) {
    model_.SetPassType(code);
    Changed();
}
void CLum_NewScope::SetPassQ(int kind, double x) {
    model_.SetPassQ(kind, x);
    Changed();
}
void CLum_NewScope::SetEqActive(int flag) {
    model_.SetEqActive(flag);
    Changed();
}

void CLum_NewScope::SetAnimation(int mode) {
    if (!hwnd_)
        return;
    if (mode == 0) {
        KillTimer(hwnd_, kAnimationTimer);
        animating_ = false;
        HoldScreenDc(false);
        return;
    }
    animating_ = SetTimer(hwnd_, kAnimationTimer, kAnimationMs, nullptr) != 0;
    HoldScreenDc(animating_);
    if (mode == 1) {
        model_.SelectFirstBand();
        Changed();
    }
}

void CLum_NewScope::OnResized(int width, int height) {
    if (initialised_)
        model_.Resize(width, height);
    grid_valid_ = false;
    under_handles_valid_ = false;
}

void CLum_NewScope::MakeSprites() {
    const int handles = model_.LastHandle() + 1;
    const auto font = MakeGdiplusFont(kHandleFace, kLabelFont, Gdiplus::FontStyleBold);
    if (handle_sprites_.Create(kFrames * kSprite, std::max(handles, 1) * kSprite)) {
        Gdiplus::Graphics g(handle_sprites_.Canvas());
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
        Gdiplus::SolidBrush disc(Argb(kDiscColour));
        for (int h = 0; h < handles; ++h) {
            const unsigned colour = h < kFirstBandHandle ? kPassColour : kBandColour;
            Gdiplus::Pen ring(Argb(colour), kRingPen);
            const std::wstring text = h == kHighPassHandle  ? L"H"
                                      : h == kLowPassHandle ? L"L"
                                                            : std::to_wstring(h - kFirstBandHandle + 1);
            for (int f = 0; f < kFrames; ++f) {
                const float x = static_cast<float>(f * kSprite);
                const float y = static_cast<float>(h * kSprite);
                const float d = static_cast<float>(kSprite - kRingInset[f]);
                const float c = kSprite / 2.0f;
                g.FillEllipse(&disc, x, y, static_cast<float>(kSprite), static_cast<float>(kSprite));
                g.DrawEllipse(&ring, x + c - d / 2, y + c - d / 2, d, d);
                g.DrawLine(&ring, x + c - kTickHalf, y + c - d / 2, x + c + kTickHalf, y + c - d / 2);
                g.DrawLine(&ring, x + c - kTickHalf, y + c + d / 2, x + c + kTickHalf, y + c + d / 2);
                CentredText(g, text, font.get(), Gdiplus::RectF(x, y, kSprite, kSprite), kWhite);
            }
        }
    }
    if (q_sprites_.Create(kQSheet, kQSheet)) {
        Gdiplus::Graphics g(q_sprites_.Canvas());
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        for (int row = 0; row < 2; ++row) {
            Gdiplus::SolidBrush fill(Argb(row == 0 ? kQColour : kQPressedColour));
            for (int column = 0; column < 2; ++column) {
                const ArrowPoint* arrow = column == 0 ? kLeftArrow : kRightArrow;
                Gdiplus::Point cell[7];
                for (int i = 0; i < 7; ++i)
                    cell[i] = Gdiplus::Point(arrow[i].x + column * kSprite, arrow[i].y + row * kSprite);
                g.FillPolygon(&fill, cell, 7);
            }
        }
    }
    if (eq_pass_image_.Create(kEqPassWidth, kEqPassHeight)) {
        Gdiplus::Graphics g(eq_pass_image_.Canvas());
        g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
        const auto big = MakeGdiplusFont(kHandleFace, kEqPassFont, Gdiplus::FontStyleBold);
        if (big) {
            Gdiplus::SolidBrush brush(Argb(kEqPassColour));
            g.DrawString(L"EQ PASS", -1, big.get(), Gdiplus::PointF(0, 0), &brush);
        }
    }
}

void CLum_NewScope::MakeGrid(HDC face, int width, int height) {
    if (!grid_.Ensure(width, height))
        return;
    if (has_background_) {
        BitBlt(grid_.Dc(), 0, 0, width, height, face, 0, 0, SRCCOPY);
    } else {
        const RECT all{0, 0, width, height};
        FillRect(grid_.Dc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    Gdiplus::Graphics g(grid_.Dc());
    UseSmoothDrawing(g);
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    const GraphPlot& plot = model_.Plot();
    Gdiplus::Pen pen(Argb(kGridColour), 1.0f);
    const auto font = MakeGdiplusFont(kAxisFace, kAxisFont);
    Gdiplus::SolidBrush text(Argb(kAxisTextColour));
    Gdiplus::StringFormat right;
    right.SetAlignment(Gdiplus::StringAlignmentFar);
    right.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    right.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap | Gdiplus::StringFormatFlagsNoClip);
    for (const GridLine& row : GainGridLines(model_)) {
        g.DrawLine(&pen, plot.left, row.position, plot.right, row.position);
        if (font) {
            const Gdiplus::RectF box(0, static_cast<float>(row.position) - kAxisFont,
                                     static_cast<float>(plot.left - kAxisLabelGap), 2 * kAxisFont);
            g.DrawString(row.text.c_str(), -1, font.get(), box, &right, &text);
        }
    }
    Gdiplus::StringFormat centred;
    centred.SetAlignment(Gdiplus::StringAlignmentCenter);
    centred.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap | Gdiplus::StringFormatFlagsNoClip);
    for (const GridLine& column : FrequencyGridLines(model_)) {
        g.DrawLine(&pen, column.position, plot.top, column.position, plot.bottom);
        if (font && !column.text.empty()) {
            g.DrawString(column.text.c_str(), -1, font.get(),
                         Gdiplus::PointF(static_cast<float>(column.position),
                                         static_cast<float>(plot.bottom + kAxisLabelDrop)),
                         &centred, &text);
        }
    }
    grid_valid_ = true;
}

void CLum_NewScope::DrawFace(HDC face, int width, int height) {
    if (!initialised_)
        return;
    if (!grid_valid_ || grid_.Width() != width || grid_.Height() != height)
        MakeGrid(face, width, height);
    if (grid_valid_)
        BitBlt(face, 0, 0, width, height, grid_.Dc(), 0, 0, SRCCOPY);
    model_.RecomputeIfDirty();
    {
        Gdiplus::Graphics g(face);
        UseSmoothDrawing(g);
        DrawCurves(g);
    }
    // GDI from here: every GDI+ drawing on the DC is finished once its Graphics has gone.
    if (model_.IsEqActive() == 0) {
        const GraphPoint at = EqPassOrigin(model_);
        eq_pass_image_.Blend(face, at.x, at.y, 0, 0, kEqPassShown, kEqPassHeight);
    }
    under_handles_valid_ = under_handles_.Ensure(width, height);
    if (under_handles_valid_)
        BitBlt(under_handles_.Dc(), 0, 0, width, height, face, 0, 0, SRCCOPY);
    DrawHandles(face);
    Gdiplus::Graphics g(face);
    UseSmoothDrawing(g);
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    DrawLabel(g);
    DrawMenu(g);
}

void CLum_NewScope::DrawCurves(Gdiplus::Graphics& g) {
    const GraphPlot& plot = model_.Plot();
    if (plot.Width() <= 0 || plot.Height() <= 0)
        return;
    g.SetClip(Gdiplus::Rect(plot.left, plot.top, plot.Width(), plot.Height()));
    if (model_.show_selected_curve && model_.IsHandle(model_.LastRecomputed())) {
        const auto outline = Points(SelectedCurveOutline(model_));
        if (outline.size() >= 3) {
            Gdiplus::Pen pen(Argb(kOutlineColour), kCurvePen);
            g.DrawLines(&pen, outline.data(), static_cast<INT>(outline.size()));
            Gdiplus::SolidBrush fill(Argb(kFillColour));
            g.FillClosedCurve(&fill, outline.data(), static_cast<INT>(outline.size()),
                              Gdiplus::FillModeWinding, kCardinalTension);
        }
    }
    const auto sum = Points(SumCurvePath(model_));
    if (sum.size() >= 2) {
        Gdiplus::Pen pen(Argb(kSumColour), kCurvePen);
        g.DrawLines(&pen, sum.data(), static_cast<INT>(sum.size()));
    }
    g.ResetClip();
}

void CLum_NewScope::DrawHandles(HDC face, const RECT* only) {
    constexpr int kHalf = kSprite / 2;
    const auto wanted = [&](int x, int y) {
        return !only ||
               (x < only->right && x + kSprite > only->left && y < only->bottom && y + kSprite > only->top);
    };
    if (QHandlesShown(model_)) {
        const GraphPoint left = LeftQCentre(model_);
        const GraphPoint right = RightQCentre(model_);
        if (wanted(left.x - kHalf, left.y - kHalf))
            DrawCell(face, q_sprites_, left.x - kHalf, left.y - kHalf, 0, model_.left_q_pressed ? 1 : 0);
        if (wanted(right.x - kHalf, right.y - kHalf))
            DrawCell(face, q_sprites_, right.x - kHalf, right.y - kHalf, 1, model_.right_q_pressed ? 1 : 0);
    }
    for (int h = 0; h <= model_.LastHandle(); ++h) {
        if (!model_.Handle(h).enabled)
            continue;
        const GraphPoint at = HandleSpriteOrigin(model_, h);
        if (wanted(at.x, at.y))
            DrawCell(face, handle_sprites_, at.x, at.y, h == model_.selected ? model_.frame : 0, h);
    }
}

bool CLum_NewScope::RedrawSelectedHandle() {
    HDC face = CurrentFace();
    if (!face || !under_handles_valid_)
        return false;
    const int h = model_.selected;
    // A selected handle that is not drawn shows no frame.
    if (!model_.IsHandle(h) || !model_.Handle(h).enabled)
        return true;
    const GraphPoint at = HandleSpriteOrigin(model_, h);
    const RECT part{at.x, at.y, at.x + kSprite, at.y + kSprite};
    // The value label and the menu lie over the handles. The label's glyphs stay inside the box it was
    // measured with (GDI+ pads it), so a label that only touches the square, as one hanging under its handle
    // does, is not drawn again.
    bool covered = model_.menu != GraphMenu::kClosed;
    const int l = model_.label;
    if (label_font_ && model_.IsHandle(l) && model_.Handle(l).enabled) {
        // A label the last full paint did not measure has changed since: everything is due.
        if (ValueLabelText(model_, l) != label_text_)
            return false;
        const GraphPoint box = PlaceValueLabel(model_, l, label_width_, label_height_);
        covered = covered || (box.x < part.right && box.x + label_width_ > part.left && box.y < part.bottom &&
                              box.y + label_height_ > part.top);
    }
    {
        ScopedClip clip(face, part);
        BitBlt(face, part.left, part.top, kSprite, kSprite, under_handles_.Dc(), part.left, part.top,
               SRCCOPY);
        DrawHandles(face, &part);
        if (covered) {
            Gdiplus::Graphics g(face);
            UseSmoothDrawing(g);
            g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
            g.SetClip(Gdiplus::Rect(part.left, part.top, kSprite, kSprite));
            DrawLabel(g);
            DrawMenu(g);
        }
    }
    ShowPart(part);
    return true;
}

void CLum_NewScope::DrawLabel(Gdiplus::Graphics& g) {
    if (label_font_scale_ != model_.label_scale || !label_font_) {
        label_font_scale_ = model_.label_scale;
        label_text_.clear();
        label_font_ = MakeGdiplusFont(kHandleFace, static_cast<float>(kLabelFont * model_.label_scale),
                                      Gdiplus::FontStyleBold);
    }
    const int h = model_.label;
    if (!label_font_ || !model_.IsHandle(h) || !model_.Handle(h).enabled)
        return;
    const std::wstring text = ValueLabelText(model_, h);
    // Measured once per text: during a drag most paints repeat the label.
    if (text != label_text_) {
        Gdiplus::RectF size;
        g.MeasureString(text.c_str(), static_cast<INT>(text.size()), label_font_.get(), Gdiplus::PointF(0, 0),
                        &size);
        label_text_ = text;
        label_width_ = static_cast<int>(size.Width + 1);
        label_height_ = static_cast<int>(size.Height + 1);
    }
    const GraphPoint at = PlaceValueLabel(model_, h, label_width_, label_height_);
    CentredText(g, text, label_font_.get(), RectF(at.x, at.y, label_width_, label_height_), kWhite);
}

void CLum_NewScope::DrawMenu(Gdiplus::Graphics& g) {
    if (model_.menu == GraphMenu::kClosed)
        return;
    if (!menu_font_)
        menu_font_ = MakeGdiplusFont(kMenuFace, kLabelFont);
    for (GraphMenu item : model_.menu_items) {
        const Rect r = MenuItemRect(model_, item);
        Gdiplus::SolidBrush fill(Argb(item == model_.menu ? kMenuHighlight : kWhite));
        const Gdiplus::RectF box = RectF(r.left, r.top, r.right - r.left, r.bottom - r.top);
        g.FillRectangle(&fill, box);
        CentredText(g, std::wstring(MenuItemText(item)), menu_font_.get(), box, kBlack);
    }
}

bool CLum_NewScope::Apply(const GraphEffects& e) {
    if (!hwnd_)
        return true;
    if (e.take_focus)
        SetFocus(hwnd_);
    if (e.capture)
        SetCapture(hwnd_);
    if (e.redraw)
        Redraw();
    if (e.paint_now)
        UpdateWindow(hwnd_);
    if (HWND parent = GetParent(hwnd_)) {
        for (const GraphNotice& n : e.notices)
            SendMessageW(parent, static_cast<UINT>(ControlId()), static_cast<WPARAM>(n.wparam), n.lparam);
    }
    if (e.release_capture)
        ReleaseOwnCapture();
    if (e.cursor != GraphCursor::kKeep)
        SetCursor(LoadCursorW(nullptr, e.cursor == GraphCursor::kHand ? IDC_HAND : IDC_ARROW));
    return true;
}

bool CLum_NewScope::OnPress(POINT p, bool double_click) {
    // A double click goes on to the static underneath, which tells the parent.
    if (double_click)
        return false;
    return Apply(GraphPress(model_, p.x, p.y));
}

LRESULT CLum_NewScope::OnRightButtonUp(WPARAM, LPARAM lparam) {
    Apply(GraphRightButtonUp(model_, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)));
    return 0;
}

bool CLum_NewScope::OnKey(WPARAM key) {
    if ((key != VK_UP && key != VK_DOWN) || !model_.active)
        return false;
    return Apply(GraphKeyDown(model_, key == VK_UP ? GraphKey::kUp : GraphKey::kDown));
}

bool CLum_NewScope::OnCaptureChanged(bool lost) {
    if (lost)
        Apply(GraphCaptureLost(model_));
    return true;
}

LRESULT CLum_NewScope::OnTimer(WPARAM wparam, LPARAM lparam) {
    if (wparam != kAnimationTimer)
        return DefaultProc(WM_TIMER, wparam, lparam);
    // A hidden graph does no work for its animation.
    if (IsWindowVisible(hwnd_)) {
        const int shown = model_.frame;
        GraphTick(model_);
        // Frames drawn alike (the breath rests a frame at its widest) need no paint.
        const bool alike = shown >= 0 && shown < kFrames && kRingInset[shown] == kRingInset[model_.frame];
        if (!alike && !RedrawSelectedHandle())
            Redraw();
    }
    return 0;
}

}  // namespace vela
