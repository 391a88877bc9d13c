#include "gui/pages/system_page_win32.h"

#include <algorithm>
#include <cmath>

#include "core/model/parameter_layout.h"
#include "core/model/value_scales.h"
#include "core/pages/page_tips.h"
#include "core/text/strings.h"
#include "core/ui/main_layout.h"
#include "core/ui/text_layout.h"
#include "gui/pages/wifi_dialog_win32.h"
#include "gui/win/file_dialog_win32.h"
#include "gui/win/message_box_win32.h"
#include "gui/win/window_messages_win32.h"
#include "res/resource.h"

namespace vela {

namespace {

namespace ids = system_ids;
namespace button = system_button;
namespace label = system_label;
namespace value = system_value;

constexpr COLORREF kDarkBackground = RGB(0x27, 0x28, 0x27);
constexpr COLORREF kStaticText = RGB(0xC8, 0xC8, 0xC8);
constexpr COLORREF kFrameShadow = RGB(0xA0, 0xA0, 0xA0);
constexpr COLORREF kFrameLight = RGB(0xFF, 0xFF, 0xFF);
constexpr unsigned kWhite = 0xFFFFFFFF;
constexpr unsigned kLabelText = 0xC8FFFFFF;
constexpr unsigned kLabelDisabled = 0x50FFFFFF;
constexpr unsigned kButtonText = 0xFFD8DDE2;
constexpr wchar_t kFace[] = L"微软雅黑";
constexpr float kFontSize = 12.0f;
constexpr int kLeftMiddle = kTextMiddle | kTextSingleLine;
constexpr int kCentred = kTextCentre | kTextMiddle | kTextSingleLine;
constexpr int kComboListHeight = 200;

// The design grid (main-window design units): the background's three panels, each a column of groups
// below its heading line; every group is a run of rows of one pitch, framed.
constexpr int kColumnLeft[] = {22, 376, 730};
constexpr int kColumnWidth = 314;
constexpr int kHalfWidth = (kColumnWidth - 8) / 2;
constexpr int kCaptionWidth = 120;
constexpr int kFieldLeft = kCaptionWidth + 4;
constexpr int kFieldWidth = kColumnWidth - kFieldLeft;
constexpr int kTop = 176;
constexpr int kPitch = 36;
constexpr int kRowHeight = 28;
constexpr int kGroupGap = 14;
constexpr int kEditHeight = 24;
constexpr int kBoxSize = 16;
constexpr int kFrameMargin = 6;
constexpr int kColumns = 3;
constexpr int kGroupsPerColumn = 4;

enum class Cell { kValue, kLabel, kButton, kEdit, kCombo, kBox };
struct Place {
    Cell kind;
    int index;  // value, label or button index, or dialog id
    int column;
    int group;  // within the column, top down
    int row;    // within the group
    int x;      // from the column's left
    int w;
};

constexpr int kHalfRight = kColumnWidth - kHalfWidth;

// clang-format off
constexpr Place kPlaces[] = {
    // Left panel: volume limits; microphone volumes and key shift; noise gates.
    {Cell::kValue, 0, 0, 0, 0, 0, kColumnWidth}, {Cell::kValue, 1, 0, 0, 1, 0, kColumnWidth},
    {Cell::kValue, 2, 0, 0, 2, 0, kColumnWidth}, {Cell::kValue, 3, 0, 0, 3, 0, kColumnWidth},
    {Cell::kValue, 6, 0, 0, 4, 0, kColumnWidth}, {Cell::kValue, 7, 0, 0, 5, 0, kColumnWidth},
    {Cell::kValue, value::kMicVolA, 0, 1, 0, 0, kColumnWidth},
    {Cell::kValue, value::kMicVolB, 0, 1, 1, 0, kColumnWidth},
    {Cell::kValue, value::kKeyShift, 0, 1, 2, 0, kColumnWidth},
    {Cell::kLabel, label::kMusicGate, 0, 2, 0, 0, 180}, {Cell::kBox, ids::kMusicGate, 0, 2, 0, 190, kBoxSize},
    {Cell::kLabel, label::kMusicGateEnable, 0, 2, 0, 212, 100},
    {Cell::kValue, value::kMusicThreshold, 0, 2, 1, 0, kColumnWidth},
    {Cell::kLabel, label::kMicGate, 0, 2, 2, 0, 180}, {Cell::kBox, ids::kMicGate, 0, 2, 2, 190, kBoxSize},
    {Cell::kLabel, label::kMicGateEnable, 0, 2, 2, 212, 100},
    {Cell::kValue, value::kMicThreshold, 0, 2, 3, 0, kColumnWidth},
    // Middle panel: keypad password; system password.
    {Cell::kLabel, label::kKeyPassword, 1, 0, 0, 0, kCaptionWidth},
    {Cell::kEdit, ids::kKeyPassword, 1, 0, 0, kFieldLeft, kFieldWidth},
    {Cell::kBox, ids::kKeyEnable, 1, 0, 1, 0, kBoxSize}, {Cell::kLabel, label::kKeyEnable, 1, 0, 1, 22, 120},
    {Cell::kBox, ids::kKeyDisable, 1, 0, 1, kHalfRight, kBoxSize},
    {Cell::kLabel, label::kKeyDisable, 1, 0, 1, kHalfRight + 22, 120},
    {Cell::kButton, button::kCheckKeyPassword, 1, 0, 2, 0, kColumnWidth},
    {Cell::kLabel, label::kNewKeyPassword, 1, 0, 3, 0, kCaptionWidth},
    {Cell::kEdit, ids::kNewKeyPassword, 1, 0, 3, kFieldLeft, kFieldWidth},
    {Cell::kButton, button::kChangeKeyPassword, 1, 0, 4, 0, kColumnWidth},
    {Cell::kLabel, label::kSystemPassword, 1, 1, 0, 0, kCaptionWidth},
    {Cell::kEdit, ids::kSystemPassword, 1, 1, 0, kFieldLeft, kFieldWidth},
    {Cell::kButton, button::kCheckSystemPassword, 1, 1, 1, 0, kColumnWidth},
    {Cell::kLabel, label::kOldPassword, 1, 1, 2, 0, kCaptionWidth},
    {Cell::kEdit, ids::kOldPassword, 1, 1, 2, kFieldLeft, kFieldWidth},
    {Cell::kLabel, label::kNewPassword, 1, 1, 3, 0, kCaptionWidth},
    {Cell::kEdit, ids::kNewPassword, 1, 1, 3, kFieldLeft, kFieldWidth},
    {Cell::kLabel, label::kConfirmPassword, 1, 1, 4, 0, kCaptionWidth},
    {Cell::kEdit, ids::kConfirmPassword, 1, 1, 4, kFieldLeft, kFieldWidth},
    {Cell::kButton, button::kResetPasswords, 1, 1, 5, 0, kHalfWidth},
    {Cell::kButton, button::kChangeSystemPassword, 1, 1, 5, kHalfRight, kHalfWidth},
    // Right panel: device scenes; local scene files; power-on input and language; Wi-Fi and import.
    {Cell::kLabel, label::kSceneNumber, 2, 0, 0, 0, kCaptionWidth},
    {Cell::kCombo, ids::kSceneList, 2, 0, 0, kFieldLeft, kFieldWidth},
    {Cell::kLabel, label::kSceneName, 2, 0, 1, 0, kCaptionWidth},
    {Cell::kEdit, ids::kSceneName, 2, 0, 1, kFieldLeft, kFieldWidth},
    {Cell::kButton, button::kUseScene, 2, 0, 2, 0, kHalfWidth},
    {Cell::kButton, button::kSaveScene, 2, 0, 2, kHalfRight, kHalfWidth},
    {Cell::kLabel, label::kLocalFile, 2, 1, 0, 0, kColumnWidth},
    {Cell::kCombo, ids::kLocalFile, 2, 1, 1, 0, kColumnWidth},
    {Cell::kButton, button::kSaveLocal, 2, 1, 2, 0, kColumnWidth},
    {Cell::kButton, button::kDeleteLocal, 2, 1, 3, 0, kColumnWidth},
    {Cell::kButton, button::kUpdateToDevice, 2, 1, 4, 0, kColumnWidth},
    {Cell::kButton, button::kSaveAs, 2, 1, 5, 0, kHalfWidth},
    {Cell::kButton, button::kOpen, 2, 1, 5, kHalfRight, kHalfWidth},
    {Cell::kLabel, label::kPowerOn, 2, 2, 0, 0, kCaptionWidth},
    {Cell::kCombo, ids::kPowerOnList, 2, 2, 0, kFieldLeft, kFieldWidth},
    {Cell::kLabel, label::kLanguage, 2, 2, 1, 0, kCaptionWidth},
    {Cell::kCombo, ids::kLanguageList, 2, 2, 1, kFieldLeft, kFieldWidth},
    {Cell::kButton, button::kWifi, 2, 3, 0, 0, kColumnWidth},
    {Cell::kButton, button::kImport, 2, 3, 1, 0, kColumnWidth},
};
// clang-format on

// Rows of each group, from the table.
struct Grid {
    int rows[kColumns][kGroupsPerColumn] = {};
    constexpr Grid() {
        for (const Place& p : kPlaces)
            rows[p.column][p.group] = std::max(rows[p.column][p.group], p.row + 1);
    }
    // The design y of a row's top.
    constexpr int RowTop(int column, int group, int row) const {
        int y = kTop;
        for (int g = 0; g < group; ++g)
            y += rows[column][g] * kPitch + kGroupGap;
        return y + row * kPitch;
    }
};
constexpr Grid kGrid;
static_assert(kGrid.RowTop(0, 2, 3) + kRowHeight + kFrameMargin < kDesignHeight - 8,
              "the left panel's groups fit above its bottom edge");
static_assert(kGrid.RowTop(2, 3, 1) + kRowHeight + kFrameMargin < kDesignHeight - 8,
              "the right panel's groups fit above its bottom edge");

constexpr bool IsCheck(int id) {
    return id == ids::kKeyEnable || id == ids::kKeyDisable || id == ids::kMusicGate || id == ids::kMicGate;
}

constexpr int RangeTop(int control) {
    return control == value::kMusicThreshold || control == value::kMicThreshold
               ? system_page::kGatePositions - 1
           : control == value::kKeyShift ? kKeyShiftMax
                                         : system_page::kVolumeTop;
}

constexpr bool ValueShown(int control) {
    return control != 4 && control != 5;
}

}  // namespace

CWinSystem::CWinSystem(DeviceLink& link, std::function<LinkController*()> controller, WifiSlots& wifi,
                       FileLocations files)
    : CPageWindow(IDD_PAGE_SYSTEM, layout::kSystemPage),
      link_(link),
      controller_(std::move(controller)),
      wifi_(wifi),
      files_(std::move(files)),
      model_(link_, *this, files_, *this),
      dark_brush_(CreateSolidBrush(kDarkBackground)) {
    label_enabled_.fill(true);
}

LRESULT CWinSystem::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_SIZE:
            if (Background() != nullptr && Background()->Dc() != nullptr) {
                if (!created_)
                    CreateControls();
                Layout(LOWORD(lparam), HIWORD(lparam));
                off_notes_.Follow();
            }
            break;
        case WM_COMMAND: {
            const int id = LOWORD(wparam);
            const int code = HIWORD(wparam);
            // Enter in an edit clicks the hidden default button; neither it nor Escape closes the page.
            if (id == IDOK || id == IDCANCEL || id == ids::kEnterSink)
                return 0;
            if ((IsCheck(id) && code == BN_CLICKED) ||
                ((id == ids::kSceneList || id == ids::kLanguageList || id == ids::kPowerOnList) &&
                 code == CBN_SELCHANGE)) {
                model_.OnItem(id);
                return 0;
            }
            break;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return OnCtlColor(wparam);
        default:
            break;
    }
    if (message >= kValueId && message < static_cast<UINT>(kValueId + value::kCount)) {
        model_.OnValueControl(static_cast<int>(message) - kValueId,
                              Position(static_cast<int>(message) - kValueId));
        return 0;
    }
    if (message >= kButtonId && message < static_cast<UINT>(kButtonId + button::kCount)) {
        model_.OnButton(static_cast<int>(message) - kButtonId);
        return 0;
    }
    return CPageWindow::WindowProc(message, wparam, lparam);
}

LRESULT CWinSystem::OnCtlColor(WPARAM wparam) {
    HDC dc = reinterpret_cast<HDC>(wparam);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kStaticText);
    SetBkColor(dc, kDarkBackground);
    return reinterpret_cast<LRESULT>(dark_brush_.Get());
}

void CWinSystem::CreateControls() {
    created_ = true;
    HDC bg = Background()->Dc();
    const RECT none{0, 0, 1, 1};
    for (int i = 0; i < value::kCount; ++i) {
        CEA_Lum2& v = values_[static_cast<std::size_t>(i)];
        v.Create(hwnd_, kValueId + i, none);
        v.SetIndex(i);
        v.SetCaptioned(true);
        v.SetTextColour(kWhite);
        v.SetRange(0, RangeTop(i));
        v.SetSkin(bg, IDP_VALUE_CONTROL, 0);
    }
    for (int i = 0; i < label::kCount; ++i) {
        Clum_CStatic& l = labels_[static_cast<std::size_t>(i)];
        l.Create(hwnd_, kLabelId + i, none, L" ");
        l.SetSkin(bg, 0, 0);
        l.SetTextStyle(kFontSize, kFace,
                       label_enabled_[static_cast<std::size_t>(i)] ? kLabelText : kLabelDisabled,
                       kLeftMiddle);
    }
    for (int i = 0; i < button::kCount; ++i) {
        CGDI_Button& b = buttons_[static_cast<std::size_t>(i)];
        b.Create(hwnd_, kButtonId + i, none, L" ");
        b.SetIndex(i);
        b.SetSkin(bg, IDP_BUTTON_WIDE);
        b.SetTextStyle(kFontSize, kFace, kButtonText, kCentred, kWhite);
        b.SetCheck(CGDI_Button::kPush);
    }
    model_.Initialise();
}

void CWinSystem::Layout(int width, int height) {
    if (width <= 0 || height <= 0)
        return;
    const PageScale scale = ScaleFor(width, height);
    const auto px = [&](double x) { return scale.X(x); };
    const auto py = [&](double y) { return scale.Y(y); };
    const auto move = [](HWND w, int x, int y, int cx, int cy) {
        if (w)
            MoveWindow(w, x, y, std::max(cx, 1), std::max(cy, 1), TRUE);
    };
    for (int i = 0; i < value::kCount; ++i) {
        if (!ValueShown(i)) {
            CEA_Lum2& v = values_[static_cast<std::size_t>(i)];
            MoveWindow(v.Hwnd(), -1000, -1000, 1, 1, FALSE);
            v.SetEnabled(false);
        }
    }
    for (const Place& p : kPlaces) {
        const int left = kColumnLeft[p.column] + p.x;
        const int design_top = kGrid.RowTop(p.column, p.group, p.row);
        const int x = px(left);
        const int w = px(left + p.w) - x;
        const int top = py(design_top);
        const int row = py(design_top + kRowHeight) - top;
        const auto i = static_cast<std::size_t>(p.index);
        switch (p.kind) {
            case Cell::kValue:
                move(values_[i].Hwnd(), x, top, w, row);
                break;
            case Cell::kLabel:
                move(labels_[i].Hwnd(), x, top, w, row);
                break;
            case Cell::kButton:
                move(buttons_[i].Hwnd(), x, top, w, row);
                break;
            case Cell::kEdit: {
                const int h = py(design_top + kEditHeight) - top;
                move(GetDlgItem(hwnd_, p.index), x, top + (row - h) / 2, w, h);
                break;
            }
            case Cell::kCombo: {
                // A combo box's height includes its list; its closed height follows its font.
                HWND combo = GetDlgItem(hwnd_, p.index);
                RECT closed{};
                if (combo)
                    GetWindowRect(combo, &closed);
                const int h = closed.bottom - closed.top;
                move(combo, x, top + std::max(0, (row - h) / 2), w, py(design_top + kComboListHeight) - top);
                break;
            }
            case Cell::kBox: {
                const int box = std::max(w, 1);
                move(GetDlgItem(hwnd_, p.index), x, top + (row - box) / 2, box, box);
                break;
            }
        }
    }
    LayoutFrames(scale);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void CWinSystem::LayoutFrames(const PageScale& scale) {
    frames_.clear();
    for (int c = 0; c < kColumns; ++c) {
        for (int g = 0; g < kGroupsPerColumn; ++g) {
            const int rows = kGrid.rows[c][g];
            if (rows == 0)
                continue;
            const int top = kGrid.RowTop(c, g, 0) - kFrameMargin;
            const int bottom = kGrid.RowTop(c, g, rows - 1) + kRowHeight + kFrameMargin;
            frames_.push_back(RECT{scale.X(kColumnLeft[c] - kFrameMargin), scale.Y(top),
                                   scale.X(kColumnLeft[c] + kColumnWidth + kFrameMargin), scale.Y(bottom)});
        }
    }
}

void CWinSystem::PaintControls(HDC dc) {
    // Etched: a grey frame, and a white one a pixel down and right.
    UniquePen shadow(CreatePen(PS_SOLID, 1, kFrameShadow));
    UniquePen light(CreatePen(PS_SOLID, 1, kFrameLight));
    const HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    const HGDIOBJ old_pen = SelectObject(dc, light.Get());
    for (const RECT& f : frames_)
        Rectangle(dc, f.left + 1, f.top + 1, f.right + 1, f.bottom + 1);
    SelectObject(dc, shadow.Get());
    for (const RECT& f : frames_)
        Rectangle(dc, f.left, f.top, f.right, f.bottom);
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
}

// ---------------------------------------------------------------- the controls as the rules see them

int CWinSystem::Position(int control) {
    if (control < 0 || control >= value::kCount)
        return 0;
    const double v = values_[static_cast<std::size_t>(control)].GetValue();
    return std::isfinite(v) ? static_cast<int>(std::lround(v)) : 0;
}

void CWinSystem::SetPosition(int control, int position) {
    if (control >= 0 && control < value::kCount)
        values_[static_cast<std::size_t>(control)].SetValue(position);
}

void CWinSystem::SetValueCaption(int control, const std::wstring& caption) {
    if (control >= 0 && control < value::kCount)
        values_[static_cast<std::size_t>(control)].SetCaption(caption);
}

void CWinSystem::SetValueNote(int control, const std::wstring& note) {
    if (control >= 0 && control < value::kCount)
        values_[static_cast<std::size_t>(control)].SetNote(note);
}

void CWinSystem::SetLabelCaption(int l, const std::wstring& caption) {
    if (l >= 0 && l < label::kCount)
        labels_[static_cast<std::size_t>(l)].SetCaption(caption);
}

void CWinSystem::EnableLabel(int l, bool enabled) {
    if (l < 0 || l >= label::kCount)
        return;
    label_enabled_[static_cast<std::size_t>(l)] = enabled;
    Clum_CStatic& c = labels_[static_cast<std::size_t>(l)];
    c.SetTextStyle(kFontSize, kFace, enabled ? kLabelText : kLabelDisabled, kLeftMiddle);
    c.SetEnabled(enabled);
}

void CWinSystem::SetButtonCaption(int b, const std::wstring& caption) {
    if (b >= 0 && b < button::kCount)
        buttons_[static_cast<std::size_t>(b)].SetCaption(caption);
    // The buttons are captioned with every fixed text, for a new language too: the tips follow the last.
    if (b == button::kCount - 1)
        ApplyTips();
}

void CWinSystem::ApplyTips() {
    for (int i = 0; i < value::kCount; ++i)
        values_[static_cast<std::size_t>(i)].SetHelp(std::wstring(tips::SystemValue(i)));
    for (int i = 0; i < button::kCount; ++i)
        buttons_[static_cast<std::size_t>(i)].SetHelp(std::wstring(tips::SystemButton(i)));
    for (const Place& p : kPlaces) {
        if (p.kind != Cell::kEdit && p.kind != Cell::kCombo && p.kind != Cell::kBox)
            continue;
        HWND item = GetDlgItem(hwnd_, p.index);
        const std::wstring tip(tips::SystemItem(p.index));
        item_tips_.Set(item, tip);
        // The mouse over an editable list is over its edit field.
        if (HWND field = item ? GetWindow(item, GW_CHILD) : nullptr)
            item_tips_.Set(field, tip);
    }
}

std::wstring CWinSystem::ItemTip(int id) const {
    return item_tips_.Text(GetDlgItem(hwnd_, id));
}

void CWinSystem::EnableButton(int b, bool enabled) {
    if (b >= 0 && b < button::kCount)
        buttons_[static_cast<std::size_t>(b)].SetEnabled(enabled);
}

std::wstring CWinSystem::ItemText(int id) {
    HWND item = GetDlgItem(hwnd_, id);
    if (!item)
        return {};
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
    return text;
}

void CWinSystem::SetItemText(int id, const std::wstring& text) {
    HWND item = GetDlgItem(hwnd_, id);
    if (!item)
        return;
    // Hidden and shown again so that the button repaints its (empty) caption over the skin.
    const bool repaint = IsCheck(id) && IsWindowVisible(item);
    if (repaint)
        ShowWindow(item, SW_HIDE);
    SetWindowTextW(item, text.c_str());
    if (repaint)
        ShowWindow(item, SW_SHOW);
}

void CWinSystem::EnableItem(int id, bool enabled) {
    if (HWND item = GetDlgItem(hwnd_, id))
        EnableWindow(item, enabled);
}

bool CWinSystem::Checked(int id) {
    return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
}

void CWinSystem::SetChecked(int id, bool checked) {
    CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

int CWinSystem::Selection(int id) {
    return static_cast<int>(SendDlgItemMessageW(hwnd_, id, CB_GETCURSEL, 0, 0));
}

void CWinSystem::Select(int id, int item) {
    SendDlgItemMessageW(hwnd_, id, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
}

void CWinSystem::FillList(int id, const std::vector<std::wstring>& items) {
    SendDlgItemMessageW(hwnd_, id, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& item : items)
        SendDlgItemMessageW(hwnd_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

MessageAnswer CWinSystem::Show(std::wstring_view text, std::wstring_view caption, MessageButtons buttons) {
    return ShowMessageFor(GetAncestor(hwnd_, GA_ROOT), text, caption, buttons, LanguageIndex());
}

void CWinSystem::LanguageChanged(int language) {
    if (HWND parent = GetParent(hwnd_))
        SendMessageW(parent, UM_APPLY_LANGUAGE, static_cast<WPARAM>(GetDlgCtrlID(hwnd_)), language);
}

void CWinSystem::MaximumChanged() {
    if (HWND parent = GetParent(hwnd_))
        PostMessageW(parent, UM_CLAMP_MASTER_LEVELS, static_cast<WPARAM>(GetDlgCtrlID(hwnd_)), 0);
}

std::optional<std::wstring> CWinSystem::ChooseParameterFile() {
    if (chooser_)
        return chooser_();
    return ChooseFile(GetAncestor(hwnd_, GA_ROOT), FileDialog::kOpen, Text(extra::kParameterFileFilter),
                      L"PCE");
}

std::optional<std::wstring> CWinSystem::ChooseSceneFile(SceneFileDialog dialog) {
    if (scene_chooser_)
        return scene_chooser_(dialog);
    return ChooseFile(GetAncestor(hwnd_, GA_ROOT),
                      dialog == SceneFileDialog::kSave ? FileDialog::kSave : FileDialog::kOpen,
                      Text(extra::kSceneFileFilter), L"lub");
}

void CWinSystem::OpenWifiDialog() {
    if (wifi_opener_) {
        wifi_opener_();
        return;
    }
    // One dialog at a time: asking again brings the open one to the front.
    if (wifi_dialog_) {
        if (HWND open = wifi_dialog_->Hwnd())
            SetForegroundWindow(open);
        return;
    }
    const CZB_FileData settings(files_);
    CWin_Wifi dialog(wifi_, settings);
    wifi_dialog_ = &dialog;
    dialog.DoModal(GetAncestor(hwnd_, GA_ROOT));
    wifi_dialog_ = nullptr;
}

void CWinSystem::SetButtonOffNote(int b, const std::wstring& note) {
    if (b >= 0 && b < button::kCount)
        off_notes_.Set(buttons_[static_cast<std::size_t>(b)].Hwnd(), note,
                       ToolTip::WhenDisabled::kOverParent);
}

void CWinSystem::SetItemOffNote(int id, const std::wstring& note) {
    off_notes_.Set(GetDlgItem(hwnd_, id), note, ToolTip::WhenDisabled::kOverParent);
}

void CWinSystem::SetScenePath(const std::filesystem::path& path) {
    if (LinkController* c = controller_ ? controller_() : nullptr)
        c->SetScenePath(path);
}

void CWinSystem::SetSelection(std::vector<std::uint16_t> indexes) {
    if (LinkController* c = controller_ ? controller_() : nullptr)
        c->SetSelection(std::move(indexes));
}

void CWinSystem::SetSceneNameBuffer(const std::string& ansi_name) {
    if (LinkController* c = controller_ ? controller_() : nullptr)
        c->SetSceneNameBuffer(ansi_name);
}

}  // namespace vela
