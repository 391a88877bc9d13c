#include "gui/pages/strip_page_win32.h"

#include <algorithm>
#include <cmath>

#include "core/model/parameter_map.h"
#include "core/model/value_scales.h"
#include "core/ui/band_editor_math.h"
#include "core/ui/main_layout.h"
#include "core/ui/text_layout.h"
#include "gui/pages/page_tips_win32.h"
#include "gui/win/gdi_win32.h"
#include "gui/win/window_messages_win32.h"
#include "res/resource.h"

namespace vela {

namespace {

constexpr int kEditorId = 2024;
constexpr int kRowCaptionId = 2124;
constexpr int kGraphId = 2245;
constexpr int kValueId = 3024;
constexpr int kLabelId = 4024;
constexpr int kComboId = 5024;
constexpr int kButtonId = 6024;

constexpr int kBandRowTop = 574;
constexpr int kBandPitch = 55;
constexpr int kBandLeft = 51;
constexpr int kBandWidth = 54;
constexpr int kGraphBottom = kBandRowTop;
// The upper area is a grid of columns 117 design units apart in two rows whose cells are as high as a value
// control's face (33), so that every caption is drawn at the page font's size. Cells may span part of a
// column more where a caption needs it. The same group stands in the same place on every page: levels at
// the left of the first row, the compressor from column 4, RESET and EQ PASS at its right end; the filters
// in the second row from column 3.6, the mutes below RESET.
constexpr int kGridLeft = 6;
constexpr int kColumnPitch = 117;
constexpr int kCellGap = 6;
constexpr int kRowTops[] = {kPageTop + 5, kPageTop + 40};
constexpr int kCellHeight = 33;
constexpr int kCaptionBand = 14;  // a value control's caption band: labels above combo boxes match it
constexpr int kHalfCell = 16;
constexpr int kComboStyle = 1;
constexpr int kComboFontSize = 13;

constexpr unsigned kWhite = 0xFFFFFFFF;
constexpr unsigned kCaptionGrey = 0xC8FFFFFF;
constexpr COLORREF kComboText = RGB(0x20, 0x24, 0x28);
constexpr unsigned kButtonText = 0xFFD8DDE2;
constexpr int kCentred = kTextCentre | kTextMiddle | kTextSingleLine;
constexpr int kCaptionText = kTextMiddle | kTextSingleLine;
constexpr int kWrapped = kTextCentre | kTextMiddle;
constexpr wchar_t kFace[] = L"微软雅黑";
constexpr float kFontSize = 12.0f;
constexpr float kRowFontSize = 9.0f;

enum class Cell { kValue, kLabel, kCombo, kButton };
// How a cell is filled: whole, a caption above a combo box, or one of two stacked buttons.
enum class Fill { kWhole, kCaption, kUnderCaption, kUpper, kLower };
struct Place {
    Cell cell;
    int index;
    int row;
    int column_tenths;  // left edge, in tenths of a column
    int span_tenths;
    Fill fill;
};

// The buttons' column is narrower than the others; the compressor's Release gets what it gives up (its
// caption is the longest in Chinese).
constexpr Place kResetPlace{Cell::kButton, kResetButton, 0, 82, 8, Fill::kUpper};
constexpr Place kEqPassPlace{Cell::kButton, kEqPassButton, 0, 82, 8, Fill::kLower};
// Upper-area cells per page; a control missing from its page's list, or hidden on it, stays off-screen.
// clang-format off
constexpr Place kMusicCells[] = {
    kResetPlace, kEqPassPlace,
    // Filters: frequency, then its slope under its caption.
    {Cell::kValue, 14, 1, 36, 10, Fill::kWhole},
    {Cell::kLabel, 3, 1, 46, 12, Fill::kCaption}, {Cell::kCombo, 0, 1, 46, 12, Fill::kUnderCaption},
    {Cell::kValue, 15, 1, 58, 10, Fill::kWhole},
    {Cell::kLabel, 4, 1, 68, 12, Fill::kCaption}, {Cell::kCombo, 1, 1, 68, 12, Fill::kUnderCaption},
};
constexpr Place kMicCells[] = {
    {Cell::kButton, kMicAButton, 0, 0, 10, Fill::kUpper}, {Cell::kButton, kMicBButton, 0, 0, 10, Fill::kLower},
    {Cell::kLabel, kFbxLabel, 0, 10, 12, Fill::kCaption}, {Cell::kCombo, kFbxCombo, 0, 10, 12, Fill::kUnderCaption},
    {Cell::kValue, 9, 0, 40, 10, Fill::kWhole}, {Cell::kValue, 10, 0, 50, 10, Fill::kWhole},
    {Cell::kValue, 11, 0, 60, 12, Fill::kWhole}, {Cell::kValue, 12, 0, 72, 10, Fill::kWhole},
    kResetPlace, kEqPassPlace,
    // Filters: frequency, then its slope under its caption.
    {Cell::kValue, 14, 1, 36, 10, Fill::kWhole},
    {Cell::kLabel, 3, 1, 46, 12, Fill::kCaption}, {Cell::kCombo, 0, 1, 46, 12, Fill::kUnderCaption},
    {Cell::kValue, 15, 1, 58, 10, Fill::kWhole},
    {Cell::kLabel, 4, 1, 68, 12, Fill::kCaption}, {Cell::kCombo, 1, 1, 68, 12, Fill::kUnderCaption},
};
constexpr Place kOutputCells[] = {
    {Cell::kValue, 0, 0, 0, 10, Fill::kWhole}, {Cell::kValue, 1, 0, 10, 10, Fill::kWhole},
    {Cell::kValue, 2, 0, 20, 10, Fill::kWhole}, {Cell::kValue, 3, 0, 30, 10, Fill::kWhole},
    {Cell::kValue, 9, 0, 40, 10, Fill::kWhole}, {Cell::kValue, 10, 0, 50, 10, Fill::kWhole},
    {Cell::kValue, 11, 0, 60, 12, Fill::kWhole}, {Cell::kValue, 12, 0, 72, 10, Fill::kWhole},
    kResetPlace, kEqPassPlace,
    // Left (or the only) delay and its distance, then the right delay and its distance.
    {Cell::kValue, 7, 1, 0, 10, Fill::kWhole}, {Cell::kValue, 8, 1, 0, 10, Fill::kWhole},
    {Cell::kLabel, 0, 1, 10, 8, Fill::kWhole}, {Cell::kLabel, 1, 1, 10, 8, Fill::kWhole},
    {Cell::kValue, 13, 1, 18, 10, Fill::kWhole}, {Cell::kLabel, 2, 1, 28, 8, Fill::kWhole},
    // Filters: frequency, then its slope under its caption.
    {Cell::kValue, 14, 1, 36, 10, Fill::kWhole},
    {Cell::kLabel, 3, 1, 46, 12, Fill::kCaption}, {Cell::kCombo, 0, 1, 46, 12, Fill::kUnderCaption},
    {Cell::kValue, 15, 1, 58, 10, Fill::kWhole},
    {Cell::kLabel, 4, 1, 68, 12, Fill::kCaption}, {Cell::kCombo, 1, 1, 68, 12, Fill::kUnderCaption},
    {Cell::kButton, 0, 1, 82, 8, Fill::kUpper}, {Cell::kButton, 1, 1, 82, 8, Fill::kUpper},
    {Cell::kButton, 2, 1, 82, 8, Fill::kLower},
};
constexpr Place kEffectCells[] = {
    {Cell::kValue, 0, 0, 0, 10, Fill::kWhole}, {Cell::kValue, 1, 0, 10, 10, Fill::kWhole},
    // Echo taps A and B.
    {Cell::kValue, 5, 0, 20, 12, Fill::kWhole}, {Cell::kValue, 6, 0, 32, 12, Fill::kWhole},
    {Cell::kValue, 9, 0, 44, 12, Fill::kWhole}, {Cell::kValue, 10, 0, 56, 12, Fill::kWhole},
    kResetPlace, kEqPassPlace,
    // Pre-delays (echo left, right and its right delay; the reverb's pre-delay and time).
    {Cell::kValue, 4, 1, 0, 12, Fill::kWhole}, {Cell::kValue, 7, 1, 12, 12, Fill::kWhole},
    {Cell::kValue, 8, 1, 24, 12, Fill::kWhole},
    {Cell::kValue, 11, 1, 0, 12, Fill::kWhole}, {Cell::kValue, 12, 1, 12, 12, Fill::kWhole},
    // Filters: frequency, then its slope under its caption.
    {Cell::kValue, 2, 1, 36, 10, Fill::kWhole},
    {Cell::kLabel, 0, 1, 46, 12, Fill::kCaption}, {Cell::kCombo, 0, 1, 46, 12, Fill::kUnderCaption},
    {Cell::kValue, 3, 1, 58, 10, Fill::kWhole},
    {Cell::kLabel, 1, 1, 68, 12, Fill::kCaption}, {Cell::kCombo, 1, 1, 68, 12, Fill::kUnderCaption},
};
// clang-format on

std::span<const Place> CellsFor(int page_id) {
    switch (StripKindFor(page_id)) {
        case StripKind::kInput:
            return page_id == layout::kMicPage ? std::span<const Place>(kMicCells) : kMusicCells;
        case StripKind::kOutput:
            return kOutputCells;
        case StripKind::kEffect:
            break;
    }
    return kEffectCells;
}

int GraphTop(int page_id) {
    if (page_id == layout::kMicPage)
        return 237;
    return StripKindFor(page_id) == StripKind::kOutput ? 210 : 204;
}

int ImageForButton(int button) {
    // A passed EQ must stand out as a mute does.
    return button == 1 || button == kEqPassButton ? IDP_BUTTON_ACCENT
           : button == 7                          ? IDP_BUTTON_WIDE
                                                  : IDP_BUTTON;
}

void MoveControl(HWND w, int x, int y, int cx, int cy) {
    if (w)
        MoveWindow(w, x, y, std::max(cx, 1), std::max(cy, 1), TRUE);
}

// The pixels of an upper-area cell, or of its part that its fill names.
Rect CellRect(const Place& p, const PageScale& page) {
    const int x = page.X(kGridLeft + kColumnPitch * p.column_tenths / 10.0);
    const int w = page.X(kGridLeft + kColumnPitch * (p.column_tenths + p.span_tenths) / 10.0 - kCellGap) - x;
    int top = kRowTops[p.row];
    int bottom = top + kCellHeight;
    switch (p.fill) {
        case Fill::kWhole:
            break;
        case Fill::kCaption:
            bottom = top + kCaptionBand;
            break;
        case Fill::kUnderCaption:
            top += kCaptionBand;
            break;
        case Fill::kUpper:
            bottom = top + kHalfCell;
            break;
        case Fill::kLower:
            top = bottom - kHalfCell;
            break;
    }
    const int y = page.Y(top);
    return Rect::Sized(x, y, w, page.Y(bottom) - y);
}

}  // namespace

CStripPageWindow::CStripPageWindow(int template_id, int page_id)
    : CPageWindow(template_id, page_id), model_(page_id, *this) {}

LRESULT CStripPageWindow::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    const StripDescriptor& d = model_.Descriptor();
    switch (message) {
        case WM_SIZE:
            if (Background() != nullptr && Background()->Dc() != nullptr) {
                const bool first = !created_;
                if (first)
                    CreateControls();
                Layout(LOWORD(lparam), HIWORD(lparam));
                if (first)
                    StartControls();
            }
            break;
        case WM_SHOWWINDOW:
            // The graph's animation runs only while its page is on screen.
            if (created_)
                graph_.SetAnimation(wparam ? 1 : 0);
            break;
        case WM_COMMAND:
            // Enter inside a page must not close it.
            if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)
                return 0;
            break;
        default:
            break;
    }
    const bool notice = (message >= kEditorId && message < static_cast<UINT>(kEditorId + d.band_count)) ||
                        message == kValueId || message == kGraphId ||
                        (message >= kComboId && message < static_cast<UINT>(kComboId + d.combo_slots)) ||
                        (message >= kButtonId && message < static_cast<UINT>(kButtonId + d.button_slots));
    if (notice) {
        Notified(message, static_cast<int>(wparam), lparam);
        return 0;
    }
    return CPageWindow::WindowProc(message, wparam, lparam);
}

void CStripPageWindow::Notified(UINT message, int index, LPARAM lparam) {
    // Each control is read once here, while its notification is handled.
    const int detail = static_cast<int>(lparam);
    if (message == kValueId) {
        if (index >= 0 && index < static_cast<int>(values_.size()))
            model_.OnValueControl(index, values_[static_cast<std::size_t>(index)]->GetValue());
    } else if (message == kGraphId) {
        if (index == kGraphBand) {
            model_.OnGraphBand(detail, {graph_.GetBandGain(detail), graph_.GetBandFreq(detail),
                                        graph_.GetBandQ(detail), graph_.GetBandType(detail)});
        } else if (index == kGraphHighPass || index == kGraphLowPass) {
            const int which = index == kGraphHighPass ? 0 : 1;
            model_.OnGraphPass(which, graph_.GetPassFreq(which));
        } else if (index == kGraphImport) {
            ImportEqFile(GetAncestor(hwnd_, GA_ROOT), model_, *eq_dialogs_);
        } else if (index == kGraphExport) {
            ExportEqFile(GetAncestor(hwnd_, GA_ROOT), model_, *eq_dialogs_);
        } else {
            model_.OnGraphMenu(index);
        }
    } else if (message >= kComboId && message < static_cast<UINT>(kButtonId)) {
        const int combo = static_cast<int>(message) - kComboId;
        if (combo < static_cast<int>(combos_.size()))
            model_.OnCombo(combo, combos_[static_cast<std::size_t>(combo)]->GetItem());
    } else if (message >= kButtonId) {
        const int button = static_cast<int>(message) - kButtonId;
        if (button < static_cast<int>(buttons_.size()))
            model_.OnButton(button, buttons_[static_cast<std::size_t>(button)]->GetCheck());
    } else if (index >= 0 && index < static_cast<int>(editors_.size())) {
        const CEQ_Lum0& editor = *editors_[static_cast<std::size_t>(index)];
        model_.OnBandEditor(index, detail, editor.GetField(detail), editor.LastTyped());
    }
}

void CStripPageWindow::CreateControls() {
    created_ = true;
    HDC bg = Background()->Dc();
    const StripDescriptor& d = model_.Descriptor();
    const RECT none{0, 0, 1, 1};

    graph_.Create(hwnd_, kGraphId, none);
    graph_.SetBackground(bg);
    graph_.SetRanges({d.high_pass_low, d.high_pass_high}, {d.low_pass_low, d.low_pass_high},
                     {kFreqLowestReal, kFreqTop});
    if (d.copy_paste)
        graph_.SetMenuItems({GraphMenu::kCopy, GraphMenu::kPaste, GraphMenu::kImport, GraphMenu::kExport});
    else
        graph_.SetMenuItems({GraphMenu::kImport, GraphMenu::kExport});

    for (int b = 0; b < d.band_count; ++b) {
        auto& e = *editors_.emplace_back(std::make_unique<CEQ_Lum0>());
        e.Create(hwnd_, kEditorId + b, none);
        e.SetIndex(b);
        e.SetSkin(bg, IDP_BAND_EDITOR, 0);
    }
    for (int r = 0; r < kRowCaptions; ++r) {
        rows_[static_cast<std::size_t>(r)].Create(hwnd_, kRowCaptionId + r, none, L" ");
        rows_[static_cast<std::size_t>(r)].SetSkin(bg, 0, 0);
        // Narrower than the Chinese captions at the page font: a smaller one keeps them whole.
        rows_[static_cast<std::size_t>(r)].SetTextStyle(kRowFontSize, kFace, kCaptionGrey, kTextMiddle);
    }
    CreateValueControls(bg);
    for (int i = 0; i < d.label_slots; ++i) {
        auto& l = *labels_.emplace_back(std::make_unique<Clum_CStatic>());
        l.Create(hwnd_, kLabelId + i, none, L" ");
        l.SetSkin(bg, 0, 0);
        l.SetTextStyle(kFontSize, kFace, kCaptionGrey, kCentred);
    }
    CreateCombos(bg);
    for (int i = 0; i < d.button_slots; ++i) {
        auto& b = *buttons_.emplace_back(std::make_unique<CGDI_Button>());
        b.Create(hwnd_, kButtonId + i, none, L" ");
        b.SetIndex(i);
        b.SetSkin(bg, ImageForButton(i));
        b.SetTextStyle(kFontSize, kFace, 0xFFD8DDE2, kCentred, kWhite);
        const bool latching = (d.kind == StripKind::kOutput && i < 3) || i == kMicAButton || i == kMicBButton;
        b.SetCheck(latching ? CGDI_Button::kLatchOff : CGDI_Button::kPush);
    }
}

void CStripPageWindow::CreateValueControls(HDC bg) {
    const RECT none{0, 0, 1, 1};
    const StripDescriptor& d = model_.Descriptor();
    for (int i = 0; i < d.value_slots; ++i) {
        auto& v = *values_.emplace_back(std::make_unique<CEA_Lum2>());
        v.Create(hwnd_, kValueId, none);
        v.SetIndex(i);
        v.SetCaptioned(true);
        v.SetTextColour(kWhite);
        for (const ValueSlot& s : model_.Slots()) {
            if (s.slot != i)
                continue;
            v.SetRange(s.lower, s.upper);
            v.SetFineThreshold(s.fine_threshold);
            v.SetFineStep(0.1);
            v.SetToggleMode(s.kind == SlotKind::kLevel, kLevelToggle);
        }
        v.SetSkin(bg, IDP_VALUE_CONTROL, 0);
    }
}

void CStripPageWindow::CreateCombos(HDC bg) {
    const RECT none{0, 0, 1, 1};
    const StripDescriptor& d = model_.Descriptor();
    for (int i = 0; i < d.combo_slots; ++i) {
        auto& c = *combos_.emplace_back(std::make_unique<CLum_ComboBox>());
        c.Create(hwnd_, kComboId + i, none);
        c.SetIndex(i);
        if (i == kFbxCombo) {
            for (const wchar_t* item : {L"OFF", L"1", L"2", L"3"})
                c.AddItem(item);
        } else {
            for (int item = 0; item < kSlopeItemCount; ++item)
                c.AddItem(std::wstring(SlopeItemText(item)));
        }
        c.SetFont(kFace, kComboFontSize);
        // The skin's grey face needs dark text: the default grey reads as a disabled box.
        c.SetTextColour(kComboText, kComboText);
        c.SetSkin(bg, IDP_COMBO, kComboStyle);
    }
}

void CStripPageWindow::StartControls() {
    // The graph places its handles on its axis, which needs the graph's size; at 1 x 1 every handle
    // would stand at the axis's first frequency.
    graph_.InitBands(model_.Descriptor().band_count);
    model_.Initialise();
    if (IsWindowVisible(hwnd_))
        graph_.SetAnimation(1);
}

void CStripPageWindow::Layout(int width, int height) {
    if (width <= 0 || height <= 0)
        return;
    const PageScale page = ScaleFor(width, height);
    LayoutBands(width, height, page);
    HideUnshown();
    LayoutCells(page);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void CStripPageWindow::LayoutBands(int width, int height, const PageScale& page) {
    const auto px = [&](double design_x) { return page.X(design_x); };
    const auto py = [&](double design_y) { return page.Y(design_y); };
    const double scale = std::min(page.sx, page.sy);
    MoveControl(graph_.Hwnd(), 0, py(GraphTop(PageId())), width, py(kGraphBottom) - py(GraphTop(PageId())));
    for (int b = 0; b < static_cast<int>(editors_.size()); ++b) {
        const int x = px(kBandLeft + kBandPitch * b);
        MoveControl(editors_[static_cast<std::size_t>(b)]->Hwnd(), x, py(kBandRowTop), px(kBandWidth),
                    height - py(kBandRowTop));
    }
    // Each row caption stands level with what it names in the band editors: gain, type buttons, frequency, Q.
    const int band_top = py(kBandRowTop);
    const BandEditorGeometry g = ComputeBandEditorGeometry(px(kBandWidth), height - band_top);
    const Rect named[kRowCaptions] = {g.boxes[kFieldGain], g.type_image, g.boxes[kFieldFreq],
                                      g.boxes[kFieldQ]};
    const int row_height = std::max(g.boxes[kFieldFreq].top - g.boxes[kFieldGain].top, 1);
    for (int r = 0; r < kRowCaptions; ++r) {
        const Rect& box = named[r];
        const int centre = band_top + (box.top + box.bottom) / 2;
        auto& caption = rows_[static_cast<std::size_t>(r)];
        // Never below the legible size; where that is wider than the column, the start of the caption shows.
        const double scaled = kRowFontSize * scale;
        const double row_font = std::max(scaled, static_cast<double>(kSmallestCaptionPx));
        caption.SetTextStyle(static_cast<float>(row_font), kFace, kCaptionGrey,
                             row_font > scaled ? kCaptionText : kCentred);
        MoveControl(caption.Hwnd(), 0, centre - row_height / 2, px(kBandLeft), row_height);
    }
}

void CStripPageWindow::HideUnshown() {
    const auto hide = [](CSkinnedControl& c) {
        MoveWindow(c.Hwnd(), -1000, -1000, 1, 1, FALSE);
        c.SetEnabled(false);
    };
    const StripDescriptor& d = model_.Descriptor();
    for (int i = 0; i < d.value_slots; ++i) {
        if (!model_.SlotShown(i))
            hide(*values_[static_cast<std::size_t>(i)]);
    }
    for (int i = 0; i < d.label_slots; ++i) {
        if (!model_.LabelShown(i))
            hide(*labels_[static_cast<std::size_t>(i)]);
    }
    for (int i = 0; i < d.combo_slots; ++i) {
        if (!model_.ComboShown(i))
            hide(*combos_[static_cast<std::size_t>(i)]);
    }
    for (int i = 0; i < d.button_slots; ++i) {
        if (!model_.ButtonShown(i))
            hide(*buttons_[static_cast<std::size_t>(i)]);
    }
}

void CStripPageWindow::LayoutCells(const PageScale& page) {
    const auto font = static_cast<float>(kFontSize * std::min(page.sx, page.sy));
    for (const Place& p : CellsFor(PageId())) {
        const Rect cell = CellRect(p, page);
        const auto i = static_cast<std::size_t>(p.index);
        switch (p.cell) {
            case Cell::kValue:
                if (model_.SlotShown(p.index))
                    MoveControl(values_[i]->Hwnd(), cell.left, cell.top, cell.Width(), cell.Height());
                break;
            case Cell::kLabel:
                if (model_.LabelShown(p.index)) {
                    labels_[i]->SetTextStyle(font, kFace, kCaptionGrey,
                                             p.fill == Fill::kCaption ? kCaptionText : kWrapped);
                    MoveControl(labels_[i]->Hwnd(), cell.left, cell.top, cell.Width(), cell.Height());
                }
                break;
            case Cell::kCombo:
                if (model_.ComboShown(p.index))
                    PlaceCombo(p.index, p.row, p.column_tenths, cell, page);
                break;
            case Cell::kButton:
                if (model_.ButtonShown(p.index)) {
                    buttons_[i]->SetTextStyle(font, kFace, kButtonText, kCentred, kWhite);
                    MoveControl(buttons_[i]->Hwnd(), cell.left, cell.top, cell.Width(), cell.Height());
                }
                break;
        }
    }
}

void CStripPageWindow::PlaceCombo(int index, int row, int column_tenths, const Rect& cell,
                                  const PageScale& page) {
    const int x = cell.left;
    const int y = cell.top;
    const int w = cell.Width();
    const int h = cell.Height();
    HWND combo = combos_[static_cast<std::size_t>(index)]->Hwnd();
    // A combo box's height includes its drop-down list.
    MoveControl(combo, x, y, w, h * 8);
    // At small sizes the closed box cannot be as low as its band: it rises into its caption's band rather
    // than over the graph, and the caption gives way.
    RECT closed{};
    GetWindowRect(combo, &closed);
    const int rise = std::max(0, y + static_cast<int>(closed.bottom - closed.top) - (y + h));
    if (rise <= 0)
        return;
    MoveControl(combo, x, y - rise, w, h * 8);
    const int row_top = page.Y(kRowTops[row]);
    for (const Place& q : CellsFor(PageId())) {
        if (q.cell == Cell::kLabel && q.fill == Fill::kCaption && q.row == row &&
            q.column_tenths == column_tenths && model_.LabelShown(q.index)) {
            MoveControl(labels_[static_cast<std::size_t>(q.index)]->Hwnd(), x, row_top, w,
                        y - rise - row_top);
        }
    }
}

void CStripPageWindow::PaintControls(HDC picture) {
    if (!created_)
        return;
    const auto paint = [&](CSkinnedControl& c) {
        if (IsWindowVisible(c.Hwnd()))
            c.PaintTo(picture, 0);
    };
    paint(graph_);
    for (auto& e : editors_)
        paint(*e);
    for (auto& r : rows_)
        paint(r);
    for (auto& v : values_)
        paint(*v);
    for (auto& l : labels_)
        paint(*l);
    for (auto& b : buttons_)
        paint(*b);
    for (auto& c : combos_)
        paint(*c);
}

void CStripPageWindow::SetBandField(int band, int field, double x) {
    if (band >= 0 && band < static_cast<int>(editors_.size()))
        editors_[static_cast<std::size_t>(band)]->SetField(field, x);
}

void CStripPageWindow::SetGraphBand(int band, int field, double x) {
    switch (field) {
        case kFieldGain:
            graph_.SetBandGain(band, x);
            return;
        case kFieldFreq:
            graph_.SetBandFreq(band, x);
            return;
        case kFieldQ:
            graph_.SetBandQ(band, x);
            return;
        default:
            graph_.SetBandType(band, static_cast<int>(x));
            return;
    }
}

void CStripPageWindow::SetValue(int slot, double v) {
    if (slot >= 0 && slot < static_cast<int>(values_.size()))
        values_[static_cast<std::size_t>(slot)]->SetValue(v);
}

void CStripPageWindow::SetValueCaption(int slot, const std::wstring& caption) {
    if (slot >= 0 && slot < static_cast<int>(values_.size()))
        values_[static_cast<std::size_t>(slot)]->SetCaption(caption);
}

void CStripPageWindow::SetValueNote(int slot, const std::wstring& note) {
    if (slot >= 0 && slot < static_cast<int>(values_.size()))
        values_[static_cast<std::size_t>(slot)]->SetNote(note);
}

void CStripPageWindow::SetComboItem(int combo, int item) {
    if (combo >= 0 && combo < static_cast<int>(combos_.size()))
        combos_[static_cast<std::size_t>(combo)]->SetItem(item);
}

void CStripPageWindow::SetComboNote(int combo, const std::wstring& note) {
    if (combo >= 0 && combo < static_cast<int>(combos_.size()))
        notes_.Set(combos_[static_cast<std::size_t>(combo)]->Hwnd(), note);
}

HWND CStripPageWindow::BandNoteWindow(int band, int field) const {
    if (band < 0 || band >= static_cast<int>(editors_.size()))
        return nullptr;
    const CEQ_Lum0& editor = *editors_[static_cast<std::size_t>(band)];
    return field == kFieldType ? editor.Hwnd() : editor.Box(field);
}

void CStripPageWindow::SetBandNote(int band, int field, const std::wstring& note) {
    notes_.Set(BandNoteWindow(band, field), note);
}

void CStripPageWindow::SetLabelCaption(int label, const std::wstring& caption) {
    if (label >= 0 && label < static_cast<int>(labels_.size()))
        labels_[static_cast<std::size_t>(label)]->SetCaption(caption);
}

void CStripPageWindow::SetRowCaption(int row, const std::wstring& caption) {
    // A row is one line high beside the editors: "Gain:\n(db)" shows as "Gain: (db)".
    if (row >= 0 && row < kRowCaptions) {
        std::wstring line = caption;
        std::replace(line.begin(), line.end(), L'\n', L' ');
        rows_[static_cast<std::size_t>(row)].SetCaption(line);
    }
    // The rows are rewritten with every fixed text, for a new language too: the tips follow the last one.
    if (row == kRowCaptions - 1)
        ApplyStripTips(*this);
}

void CStripPageWindow::SetButtonCheck(int button, int state) {
    if (button >= 0 && button < static_cast<int>(buttons_.size()))
        buttons_[static_cast<std::size_t>(button)]->SetCheck(state);
}

void CStripPageWindow::SetButtonCaption(int button, const std::wstring& caption) {
    if (button >= 0 && button < static_cast<int>(buttons_.size()))
        buttons_[static_cast<std::size_t>(button)]->SetCaption(caption);
}

void CStripPageWindow::PostMicSelected(int which) {
    if (HWND parent = GetParent(hwnd_))
        PostMessageW(parent, UM_LINK_NOTIFY, static_cast<WPARAM>(LinkNotify::kParameter), which);
}

CWinOut::CWinOut(int page_id) : CStripPageWindow(IDD_PAGE_OUT, page_id) {}
CWinIn::CWinIn(int page_id) : CStripPageWindow(IDD_PAGE_IN, page_id) {}
CWinEffect::CWinEffect(int page_id) : CStripPageWindow(IDD_PAGE_EFFECT, page_id) {}

}  // namespace vela
