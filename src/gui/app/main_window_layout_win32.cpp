// The main window's controls, their places at every size, and its painting.
#include <algorithm>

#include "core/ui/text_layout.h"
#include "gui/app/main_dialog_win32.h"
#include "res/resource.h"

namespace vela {
namespace {

constexpr std::array<int, kTitleButtonCount> kTitleImages{
    IDP_TITLE_TRAY, IDP_TITLE_MAXIMISE, IDP_TITLE_CLOSE, IDP_LINK_STATE, IDP_BUTTON, IDP_BUTTON, IDP_BUTTON};

constexpr unsigned kWhite = 0xFFFFFFFF;
constexpr unsigned kButtonText = 0xFFD8DDE2;
constexpr unsigned kCaptionText = 0xC8FFFFFF;
constexpr int kCentred = kTextCentre | kTextMiddle | kTextSingleLine;
constexpr int kLeftMiddle = kTextMiddle | kTextSingleLine;
constexpr int kRightMiddle = kTextRight | kTextMiddle | kTextSingleLine;
constexpr wchar_t kUiFace[] = L"微软雅黑";
constexpr wchar_t kCaptionFace[] = L"宋体";
constexpr int kComboListHeight = 160;
constexpr int kMusicSourceStyle = 2;

}  // namespace

// ---------------------------------------------------------------- layout

void CZR305M2Dlg::CreateControls() {
    HDC bg = backgrounds_[kMainBackground].Dc();
    for (int i = 0; i < kTitleButtonCount; ++i) {
        CGDI_Button& b = TitleButton(i);
        b.Create(hwnd_, IDC_TITLE_BUTTON, RECT{0, 0, 1, 1});
        b.SetIndex(i);
        b.SetSkin(bg, kTitleImages[static_cast<std::size_t>(i)]);
    }
    TitleButton(kLinkStateButton).SetCheck(CGDI_Button::kLatchOff);
    TitleButton(kAutoHandButton).SetCheck(CGDI_Button::kLatchOn);
    TitleButton(kSingButton).SetCheck(CGDI_Button::kLatchOn);
    TitleButton(kDanceButton).SetCheck(CGDI_Button::kLatchOff);

    for (int i = 0; i < kTabCount; ++i) {
        CGDI_Button& t = Tab(i);
        const int text = kTabTexts[static_cast<std::size_t>(i)];
        t.Create(hwnd_, IDC_TAB, RECT{0, 0, 1, 1},
                 text >= 0 ? std::wstring(TextIn(text, kLanguageSimplified)).c_str() : L"");
        t.SetIndex(i);
        t.SetSkin(bg, IDP_TAB);
        t.SetCheck(CGDI_Button::kLatchOff);
    }

    for (int i = 0; i < kMasterFaderCount; ++i) {
        CEA_Lum2& f = MasterFader(i);
        f.Create(hwnd_, static_cast<int>(IDC_MASTER_FADER) + i, RECT{0, 0, 1, 1});
        f.SetIndex(i);
        f.SetCaptioned(true);
        f.SetSkin(bg, IDP_VALUE_CONTROL, 0);
        f.SetTextColour(kWhite);
        f.SetShown(visibility_.faders[static_cast<std::size_t>(i)]);
    }

    music_input_caption_.Create(hwnd_, IDC_MUSIC_INPUT_CAPTION, RECT{0, 0, 1, 1});
    music_input_caption_.SetSkin(bg, 0, 0);
    model_label_.Create(hwnd_, IDC_MODEL_LABEL, RECT{0, 0, 1, 1});
    model_label_.SetSkin(bg, 0, 0);
    music_source_.Create(hwnd_, IDC_MUSIC_SOURCE, RECT{0, 0, 1, kComboListHeight});
    for (const std::wstring_view name : kMusicSourceNames) {
        music_source_.AddItem(std::wstring(name));
    }
    music_source_.SetSkin(bg, IDP_COMBO_MAIN, kMusicSourceStyle);
    music_source_.SetItem(0);
    undo_bar_.Create(hwnd_, bg);
    controls_created_ = true;
}

void CZR305M2Dlg::Reskin() {
    HDC bg = backgrounds_[kMainBackground].Dc();
    for (int i = 0; i < kTitleButtonCount; ++i)
        TitleButton(i).SetSkin(bg, kTitleImages[static_cast<std::size_t>(i)]);
    for (int i = 0; i < kTabCount; ++i)
        Tab(i).SetSkin(bg, IDP_TAB);
    for (int i = 0; i < kMasterFaderCount; ++i)
        MasterFader(i).SetSkin(bg, IDP_VALUE_CONTROL, 0);
    music_input_caption_.SetSkin(bg, 0, 0);
    model_label_.SetSkin(bg, 0, 0);
    music_source_.SetSkin(bg, IDP_COMBO_MAIN, kMusicSourceStyle);
    undo_bar_.Reskin(bg);
}

void CZR305M2Dlg::ApplyLayout(int width, int height) {
    if (!originals_[kMainBackground].Loaded()) {
        return;
    }
    if (layout_ && laid_out_for_.cx == width && laid_out_for_.cy == height) {
        return;
    }
    const std::optional<MainLayout> computed = ComputeMainLayout(width, height, visibility_);
    if (!computed) {
        return;
    }
    bool store_moved = false;
    for (std::size_t k = 0; k < originals_.size(); ++k) {
        if (!originals_[k].Loaded()) {
            continue;
        }
        HDC before = backgrounds_[k].Dc();
        backgrounds_[k].Stretch(0, 0, width, height, originals_[k].Dc(), 0, 0, kDesignWidth, kDesignHeight);
        store_moved = store_moved || backgrounds_[k].Dc() != before;
    }
    layout_ = computed;
    laid_out_for_ = SIZE{width, height};
    const MainLayout& l = *layout_;
    if (!controls_created_) {
        CreateControls();
    } else if (store_moved) {
        Reskin();
    }
    const auto place = [](HWND w, const Rect& r) {
        if (w)
            MoveWindow(w, r.left, r.top, r.Width(), r.Height(), TRUE);
    };
    for (int i = 0; i < kTitleButtonCount; ++i) {
        CGDI_Button& b = TitleButton(i);
        place(b.Hwnd(), l.title_buttons[static_cast<std::size_t>(i)]);
        b.SetTextStyle(static_cast<float>(l.title_font), kUiFace, kButtonText, kCentred, kWhite);
    }
    undo_bar_.Place(l, kUiFace, kButtonText, kCentred);
    for (int i = 0; i < kTabCount; ++i) {
        CGDI_Button& t = Tab(i);
        place(t.Hwnd(), l.tabs[static_cast<std::size_t>(i)]);
        t.SetTextStyle(static_cast<float>(l.tab_font), kUiFace, kButtonText, kCentred, kWhite);
    }
    for (int i = 0; i < kMasterFaderCount; ++i) {
        place(MasterFader(i).Hwnd(), l.faders[static_cast<std::size_t>(i)]);
    }
    place(music_input_caption_.Hwnd(), l.music_input_caption);
    music_input_caption_.SetTextStyle(static_cast<float>(l.caption_font), kCaptionFace, kCaptionText,
                                      kRightMiddle);
    place(music_source_.Hwnd(), Rect{l.music_source.left, l.music_source.top, l.music_source.right,
                                     l.music_source.top + static_cast<int>(kComboListHeight * l.s)});
    place(model_label_.Hwnd(), l.model_label);
    model_label_.SetTextStyle(static_cast<float>(l.model_font), kUiFace, kWhite, kLeftMiddle);
    for (int tab = 0; tab < kTabCount; ++tab) {
        if (CPageWindow* page = PageForTab(tab)) {
            place(page->Hwnd(), l.page);
        }
    }
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// Moved to a monitor of other scaling, or the scaling changed: the system's suggestion keeps the window's
// physical size in step; the layout follows through WM_SIZE.
LRESULT CZR305M2Dlg::OnDpiChanged(WPARAM, LPARAM lparam) {
    const auto* suggested = reinterpret_cast<const RECT*>(lparam);
    if (suggested) {
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return 0;
}

LRESULT CZR305M2Dlg::OnSize(WPARAM wparam, LPARAM lparam) {
    if (wparam != SIZE_MINIMIZED) {
        ApplyLayout(LOWORD(lparam), HIWORD(lparam));
    }
    return 0;
}

// Below the minimum client the captions would be too small to read.
LRESULT CZR305M2Dlg::OnGetMinMaxInfo(WPARAM, LPARAM lparam) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
    const Rect least = MinimumClientRect();
    RECT frame{0, 0, least.Width(), least.Height()};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    info->ptMinTrackSize.x = frame.right - frame.left;
    info->ptMinTrackSize.y = frame.bottom - frame.top;
    return 0;
}

// The system holds only windows with a sizing border to their minimum tracking size; this one has none,
// so every resize (a program's, a scaling change, the first placement) is held here.
LRESULT CZR305M2Dlg::OnWindowPosChanging(WPARAM wparam, LPARAM lparam) {
    auto* pos = reinterpret_cast<WINDOWPOS*>(lparam);
    if (pos != nullptr && !(pos->flags & SWP_NOSIZE) && !IsIconic(hwnd_)) {
        MINMAXINFO info{};
        OnGetMinMaxInfo(0, reinterpret_cast<LPARAM>(&info));
        pos->cx = std::max(pos->cx, static_cast<int>(info.ptMinTrackSize.x));
        pos->cy = std::max(pos->cy, static_cast<int>(info.ptMinTrackSize.y));
    }
    return DefaultProc(WM_WINDOWPOSCHANGING, wparam, lparam);
}

// ---------------------------------------------------------------- painting

LRESULT CZR305M2Dlg::OnEraseBackground(WPARAM, LPARAM) {
    return TRUE;
}

LRESULT CZR305M2Dlg::OnQueryDragIcon(WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(icon_);
}

LRESULT CZR305M2Dlg::OnPaint(WPARAM, LPARAM) {
    PaintDc paint(hwnd_);
    const RECT client = ClientRect();
    if (IsIconic(hwnd_)) {
        const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(paint.Get(), x, y, icon_);
        return 0;
    }
    if (client.right <= 0 || client.bottom <= 0 || !backgrounds_[kMainBackground].Loaded()) {
        return 0;
    }
    if (canvas_.Size().right != client.right || canvas_.Size().bottom != client.bottom) {
        canvas_.Resize(0, 0, client.right, client.bottom, paint.Get());
    }
    BitBlt(canvas_.Dc(), 0, 0, client.right, client.bottom, backgrounds_[kMainBackground].Dc(), 0, 0,
           SRCCOPY);
    if (controls_created_) {
        for (CGDI_Button& b : title_buttons_) {
            b.PaintTo(canvas_.Dc());
        }
        for (int i = 0; i < kUndoBarButtons; ++i) {
            undo_bar_.Button(i).PaintTo(canvas_.Dc());
        }
    }
    if (first_paint_done_ && layout_) {
        // The pages paint their own area; the main window must not overdraw it.
        ExcludeClipRect(paint.Get(), 0, layout_->page.top, client.right, client.bottom);
    }
    BitBlt(paint.Get(), 0, 0, client.right, client.bottom, canvas_.Dc(), 0, 0, SRCCOPY);
    first_paint_done_ = true;
    return 0;
}

}  // namespace vela
