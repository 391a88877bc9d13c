#include "gui/pages/strip_page_win32.h"

#include <algorithm>
#include <cmath>

#include "core/model/parameter_map.h"
#include "core/model/value_scales.h"
#include "core/ui/main_layout.h"
#include "core/ui/text_layout.h"
#include "gui/win/gdi_win32.h"
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

constexpr double kDesignW = kDesignWidth;
constexpr double kDesignH = kDesignHeight;
constexpr int kBandRowTop = 574;
constexpr int kBandPitch = 55;
constexpr int kBandLeft = 51;
constexpr int kBandWidth = 54;
constexpr int kGraphBottom = kBandRowTop;
// The upper area: eight columns, and as many rows as the page needs between the tabs and its graph.
constexpr int kColumnPitch = 133;
constexpr int kCellWidth = 129;
constexpr int kUpperTop = kPageTop + 3;
constexpr int kMaxCellHeight = 30;
constexpr int kComboStyle = 1;
constexpr int kComboFontSize = 13;

constexpr unsigned kWhite = 0xFFFFFFFF;
constexpr unsigned kCaptionGrey = 0xC8FFFFFF;
constexpr int kCentred = kTextCentre | kTextMiddle | kTextSingleLine;
constexpr wchar_t kFace[] = L"微软雅黑";
constexpr float kFontSize = 12.0f;
constexpr float kRowFontSize = 9.0f;

enum class Cell { kValue, kLabel, kCombo, kButton };
struct Place {
    Cell cell;
    int index;
    int column;
    int row;
};

// Upper-area cells per page; a control missing from its page's list stays off-screen.
// clang-format off
constexpr Place kMusicCells[] = {
    {Cell::kValue, 14, 0, 0}, {Cell::kValue, 15, 1, 0},
    {Cell::kLabel, 3, 2, 0}, {Cell::kCombo, 0, 3, 0}, {Cell::kLabel, 4, 4, 0}, {Cell::kCombo, 1, 5, 0},
    {Cell::kButton, kResetButton, 6, 0}, {Cell::kButton, kEqPassButton, 7, 0},
};
constexpr Place kMicCells[] = {
    {Cell::kValue, 9, 0, 0}, {Cell::kValue, 10, 1, 0}, {Cell::kValue, 11, 2, 0}, {Cell::kValue, 12, 3, 0},
    {Cell::kValue, 14, 4, 0}, {Cell::kValue, 15, 5, 0},
    {Cell::kButton, kResetButton, 6, 0}, {Cell::kButton, kEqPassButton, 7, 0},
    {Cell::kLabel, 3, 0, 1}, {Cell::kCombo, 0, 1, 1}, {Cell::kLabel, 4, 2, 1}, {Cell::kCombo, 1, 3, 1},
    {Cell::kLabel, kFbxLabel, 4, 1}, {Cell::kCombo, kFbxCombo, 5, 1},
    {Cell::kButton, kMicAButton, 6, 1}, {Cell::kButton, kMicBButton, 7, 1},
};
constexpr Place kOutputCells[] = {
    {Cell::kValue, 0, 0, 0}, {Cell::kValue, 1, 1, 0}, {Cell::kValue, 2, 2, 0}, {Cell::kValue, 3, 3, 0},
    {Cell::kValue, 9, 4, 0}, {Cell::kValue, 10, 5, 0}, {Cell::kValue, 11, 6, 0}, {Cell::kValue, 12, 7, 0},
    {Cell::kValue, 7, 0, 1}, {Cell::kValue, 8, 0, 1}, {Cell::kValue, 13, 1, 1},
    {Cell::kValue, 14, 2, 1}, {Cell::kValue, 15, 3, 1},
    {Cell::kLabel, 3, 4, 1}, {Cell::kCombo, 0, 5, 1}, {Cell::kLabel, 4, 6, 1}, {Cell::kCombo, 1, 7, 1},
    {Cell::kLabel, 0, 0, 2}, {Cell::kLabel, 1, 0, 2}, {Cell::kLabel, 2, 1, 2},
    {Cell::kButton, 0, 2, 2}, {Cell::kButton, 1, 2, 2}, {Cell::kButton, 2, 3, 2},
    {Cell::kButton, kResetButton, 6, 2}, {Cell::kButton, kEqPassButton, 7, 2},
};
constexpr Place kEffectCells[] = {
    {Cell::kValue, 0, 0, 0}, {Cell::kValue, 1, 1, 0}, {Cell::kValue, 2, 2, 0}, {Cell::kValue, 3, 3, 0},
    {Cell::kLabel, 0, 4, 0}, {Cell::kCombo, 0, 5, 0}, {Cell::kLabel, 1, 6, 0}, {Cell::kCombo, 1, 7, 0},
    {Cell::kValue, 4, 0, 1}, {Cell::kValue, 5, 1, 1}, {Cell::kValue, 6, 2, 1}, {Cell::kValue, 7, 3, 1},
    {Cell::kValue, 8, 4, 1}, {Cell::kValue, 9, 5, 1}, {Cell::kValue, 10, 6, 1},
    {Cell::kValue, 11, 0, 1}, {Cell::kValue, 12, 1, 1},
    {Cell::kButton, kResetButton, 6, 2}, {Cell::kButton, kEqPassButton, 7, 2},
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

int RowsFor(int page_id) {
    if (page_id == layout::kMusicPage)
        return 1;
    return page_id == layout::kMicPage ? 2 : 3;
}

int ImageForButton(int button) {
    return button == 1 ? IDP_BUTTON_ACCENT : button == 7 ? IDP_BUTTON_WIDE : IDP_BUTTON;
}

}  // namespace

CStripPageWindow::CStripPageWindow(int template_id, int page_id)
    : CPageWindow(template_id, page_id), model_(page_id, *this) {}

LRESULT CStripPageWindow::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    const int index = static_cast<int>(wparam);
    const StripDescriptor& d = model_.Descriptor();
    switch (message) {
        case WM_SIZE:
            if (Background() != nullptr && Background()->Dc() != nullptr) {
                if (!created_)
                    CreateControls();
                Layout(LOWORD(lparam), HIWORD(lparam));
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
    if (message >= kEditorId && message < static_cast<UINT>(kEditorId + d.band_count)) {
        model_.OnBandEditor(index, static_cast<int>(lparam));
        return 0;
    }
    if (message == kValueId) {
        model_.OnValueControl(index);
        return 0;
    }
    if (message == kGraphId) {
        model_.OnGraph(index, static_cast<int>(lparam));
        return 0;
    }
    if (message >= kComboId && message < static_cast<UINT>(kComboId + d.combo_slots)) {
        model_.OnCombo(static_cast<int>(message) - kComboId);
        return 0;
    }
    if (message >= kButtonId && message < static_cast<UINT>(kButtonId + d.button_slots)) {
        model_.OnButton(static_cast<int>(message) - kButtonId);
        return 0;
    }
    return CPageWindow::WindowProc(message, wparam, lparam);
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
    graph_.SetMenuEnabled(d.copy_paste);
    graph_.InitBands(d.band_count);

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
    for (int i = 0; i < d.label_slots; ++i) {
        auto& l = *labels_.emplace_back(std::make_unique<Clum_CStatic>());
        l.Create(hwnd_, kLabelId + i, none, L" ");
        l.SetSkin(bg, 0, 0);
        l.SetTextStyle(kFontSize, kFace, kCaptionGrey, kCentred);
    }
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
        c.SetSkin(bg, IDP_COMBO, kComboStyle);
    }
    for (int i = 0; i < d.button_slots; ++i) {
        auto& b = *buttons_.emplace_back(std::make_unique<CGDI_Button>());
        b.Create(hwnd_, kButtonId + i, none, L" ");
        b.SetIndex(i);
        b.SetSkin(bg, ImageForButton(i));
        b.SetTextStyle(kFontSize, kFace, 0xFFD8DDE2, kCentred, kWhite);
        const bool latching = (d.kind == StripKind::kOutput && i < 3) || i == kMicAButton || i == kMicBButton;
        b.SetCheck(latching ? CGDI_Button::kLatchOff : CGDI_Button::kPush);
    }
    model_.Initialise();
    if (IsWindowVisible(hwnd_))
        graph_.SetAnimation(1);
}

void CStripPageWindow::Layout(int width, int height) {
    if (width <= 0 || height <= 0)
        return;
    POINT origin{0, 0};
    MapWindowPoints(hwnd_, GetParent(hwnd_), &origin, 1);
    const double sx = width / kDesignW;
    const double sy = (height + origin.y) / kDesignH;
    const auto px = [&](double design_x) { return static_cast<int>(design_x * sx); };
    const auto py = [&](double design_y) { return static_cast<int>(design_y * sy) - origin.y; };
    const auto move = [](HWND w, int x, int y, int cx, int cy) {
        if (w)
            MoveWindow(w, x, y, std::max(cx, 1), std::max(cy, 1), TRUE);
    };
    const StripDescriptor& d = model_.Descriptor();

    move(graph_.Hwnd(), 0, py(GraphTop(PageId())), width, py(kGraphBottom) - py(GraphTop(PageId())));
    for (int b = 0; b < static_cast<int>(editors_.size()); ++b) {
        const int x = px(kBandLeft + kBandPitch * b);
        move(editors_[static_cast<std::size_t>(b)]->Hwnd(), x, py(kBandRowTop), px(kBandWidth),
             height - py(kBandRowTop));
    }
    // The four captions stand left of the editors' gain, type, frequency and Q rows.
    const int band_height = height - py(kBandRowTop);
    for (int r = 0; r < kRowCaptions; ++r) {
        move(rows_[static_cast<std::size_t>(r)].Hwnd(), 0, py(kBandRowTop) + band_height * r / kRowCaptions,
             px(kBandLeft), band_height / kRowCaptions);
    }

    const auto hide = [](CSkinnedControl& c) {
        MoveWindow(c.Hwnd(), -1000, -1000, 1, 1, FALSE);
        c.SetEnabled(false);
    };
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
    const int pitch = (GraphTop(PageId()) - kUpperTop) / RowsFor(PageId());
    const int cell_height = std::min(pitch - 2, kMaxCellHeight);
    for (const Place& p : CellsFor(PageId())) {
        const int x = px(4 + kColumnPitch * p.column);
        const int y = py(kUpperTop + pitch * p.row);
        const int w = px(kCellWidth);
        const int h = py(kUpperTop + pitch * p.row + cell_height) - y;
        const auto i = static_cast<std::size_t>(p.index);
        switch (p.cell) {
            case Cell::kValue:
                if (model_.SlotShown(p.index))
                    move(values_[i]->Hwnd(), x, y, w, h);
                break;
            case Cell::kLabel:
                if (model_.LabelShown(p.index))
                    move(labels_[i]->Hwnd(), x, y, w, h);
                break;
            case Cell::kCombo:
                // A combo box's height includes its drop-down list.
                if (model_.ComboShown(p.index))
                    move(combos_[i]->Hwnd(), x, y, w, h * 8);
                break;
            case Cell::kButton:
                if (model_.ButtonShown(p.index))
                    move(buttons_[i]->Hwnd(), x, y, w, h);
                break;
        }
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
}

double CStripPageWindow::BandField(int band, int field) {
    if (band < 0 || band >= static_cast<int>(editors_.size()))
        return 0.0;
    return editors_[static_cast<std::size_t>(band)]->GetField(field);
}

void CStripPageWindow::SetBandField(int band, int field, double x) {
    if (band >= 0 && band < static_cast<int>(editors_.size()))
        editors_[static_cast<std::size_t>(band)]->SetField(field, x);
}

double CStripPageWindow::Value(int slot) {
    if (slot < 0 || slot >= static_cast<int>(values_.size()))
        return 0.0;
    return values_[static_cast<std::size_t>(slot)]->GetValue();
}

void CStripPageWindow::SetValue(int slot, double v) {
    if (slot >= 0 && slot < static_cast<int>(values_.size()))
        values_[static_cast<std::size_t>(slot)]->SetValue(v);
}

void CStripPageWindow::SetValueCaption(int slot, const std::wstring& caption) {
    if (slot >= 0 && slot < static_cast<int>(values_.size()))
        values_[static_cast<std::size_t>(slot)]->SetCaption(caption);
}

int CStripPageWindow::ComboItem(int combo) {
    if (combo < 0 || combo >= static_cast<int>(combos_.size()))
        return 0;
    return combos_[static_cast<std::size_t>(combo)]->GetItem();
}

void CStripPageWindow::SetComboItem(int combo, int item) {
    if (combo >= 0 && combo < static_cast<int>(combos_.size()))
        combos_[static_cast<std::size_t>(combo)]->SetItem(item);
}

void CStripPageWindow::SetLabelCaption(int label, const std::wstring& caption) {
    if (label >= 0 && label < static_cast<int>(labels_.size()))
        labels_[static_cast<std::size_t>(label)]->SetCaption(caption);
}

void CStripPageWindow::SetRowCaption(int row, const std::wstring& caption) {
    if (row >= 0 && row < kRowCaptions)
        rows_[static_cast<std::size_t>(row)].SetCaption(caption);
}

int CStripPageWindow::ButtonCheck(int button) {
    if (button < 0 || button >= static_cast<int>(buttons_.size()))
        return 0;
    return buttons_[static_cast<std::size_t>(button)]->GetCheck();
}

void CStripPageWindow::SetButtonCheck(int button, int state) {
    if (button >= 0 && button < static_cast<int>(buttons_.size()))
        buttons_[static_cast<std::size_t>(button)]->SetCheck(state);
}

void CStripPageWindow::SetButtonCaption(int button, const std::wstring& caption) {
    if (button >= 0 && button < static_cast<int>(buttons_.size()))
        buttons_[static_cast<std::size_t>(button)]->SetCaption(caption);
}

void CStripPageWindow::SendCode(int code) {
    if (HWND parent = GetParent(hwnd_))
        SendMessageW(parent, UM_PAGE_CONTROL, static_cast<WPARAM>(PageId()), code);
}

std::uint16_t CStripPageWindow::ReadParameter(std::size_t index) {
    return reader_ ? reader_(index) : 0;
}

void CStripPageWindow::PostMicSelected(int which) {
    if (HWND parent = GetParent(hwnd_))
        PostMessageW(parent, kMicSelectedMessage, 0, which);
}

CWinOut::CWinOut(int page_id) : CStripPageWindow(IDD_PAGE_OUT, page_id) {}
CWinIn::CWinIn(int page_id) : CStripPageWindow(IDD_PAGE_IN, page_id) {}
CWinEffect::CWinEffect(int page_id) : CStripPageWindow(IDD_PAGE_EFFECT, page_id) {}

}  // namespace vela
