#include "gui/controls/progress_dialog_win32.h"

#include <windowsx.h>

#include "core/text/text_format.h"
#include "core/ui/main_layout.h"
#include "core/ui/progress_math.h"
#include "res/resource.h"

namespace vela {
namespace {

constexpr BYTE kOpacity = 220;
constexpr int kCornerEllipse = 10;
constexpr int kTitleBandBottom = 30;
constexpr int kTextTop = 90;
constexpr int kFontPoints = 25;
constexpr wchar_t kFontFace[] = L"黑体";
constexpr COLORREF kTextColour = 0x0000FF;

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

// Looked up at run time, as the function may be missing on old systems.
void MakeTranslucent(HWND hwnd) {
    HMODULE user32 = GetModuleHandleW(L"User32.DLL");
    if (!user32)
        return;
    auto fn = reinterpret_cast<SetLayeredWindowAttributesFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")));
    if (!fn)
        return;
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    fn(hwnd, 0, kOpacity, LWA_ALPHA);
}

}  // namespace

const MessageRow<CJinDuTiao> CJinDuTiao::kMessageMap[] = {
    {WM_PAINT, 0, &CJinDuTiao::OnPaint},        {WM_ERASEBKGND, 0, &CJinDuTiao::OnEraseBackground},
    {WM_SIZE, 0, &CJinDuTiao::OnSize},          {WM_LBUTTONDOWN, 0, &CJinDuTiao::OnButtonDown},
    {WM_CLOSE, 0, &CJinDuTiao::OnClose},        {WM_COMMAND, IDCANCEL, &CJinDuTiao::OnCommand},
    {WM_COMMAND, IDOK, &CJinDuTiao::OnCommand},
};

CJinDuTiao::CJinDuTiao() : CDialogWindow(IDD_PROGRESS) {}

bool CJinDuTiao::Create(HWND parent) {
    if (IsWindow())
        return true;
    return CreateModeless(parent);
}

LRESULT CJinDuTiao::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (auto r = RouteMessage(this, kMessageMap, message, wparam, lparam))
        return *r;
    return CDialogWindow::WindowProc(message, wparam, lparam);
}

BOOL CJinDuTiao::OnInitDialog() {
    MakeTranslucent(hwnd_);
    progress_text = L"欢迎使用!";
    title_text.clear();
    idle = 1;
    WindowDc screen(hwnd_);
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(kFontPoints, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    wcscpy_s(lf.lfFaceName, kFontFace);
    font_.Reset(CreateFontIndirectW(&lf));
    empty_.Load(IDB_PROGRESS_EMPTY, hwnd_);
    full_.Load(IDB_PROGRESS_FULL, hwnd_);
    if (!picture_.Load(IDB_PROGRESS_EMPTY, hwnd_)) {
        // Without the picture the window is still a readable dark panel.
        picture_.Resize(0, 0, kWidth, kHeight, screen.Get());
    }
    CentreOnOwner();
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return TRUE;
}

void CJinDuTiao::CentreOnOwner() {
    if (!hwnd_)
        return;
    RECT owner{};
    HWND owner_window = GetWindow(hwnd_, GW_OWNER);
    if (owner_window)
        owner_window = GetAncestor(owner_window, GA_ROOT);
    if (!owner_window || !GetWindowRect(owner_window, &owner)) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &owner, 0);
    }
    // The picture is drawn at the design size and stretched to the window, which follows the screen's
    // scaling.
    const int dpi = WindowDpi(owner_window ? owner_window : hwnd_);
    const int width = ScaleForDpi(kWidth, dpi);
    const int height = ScaleForDpi(kHeight, dpi);
    const int x = (owner.left + owner.right - width) / 2;
    const int y = (owner.top + owner.bottom - height) / 2;
    SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void CJinDuTiao::SetProgress(long long value) {
    shown_text_ = FormatWithValue(progress_text, ProgressPercent(value, total));
    fill_right_ = ProgressFillRight(value, total);
    if (!hwnd_ || !picture_.Loaded())
        return;
    WindowDc screen(hwnd_);
    CMemDcClass work(hwnd_, RECT{0, 0, kWidth, kHeight});
    if (!work.Loaded())
        return;
    HDC dc = work.Dc();
    if (empty_.Loaded()) {
        BitBlt(dc, 0, 0, kWidth, kHeight, empty_.Dc(), 0, 0, SRCCOPY);
    } else {
        PatBlt(dc, 0, 0, kWidth, kHeight, BLACKNESS);
    }
    if (full_.Loaded())
        BitBlt(dc, 0, 0, fill_right_, kHeight, full_.Dc(), 0, 0, SRCCOPY);
    ScopedSelect font(dc, font_.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kTextColour);
    RECT text_box{0, kTextTop, kWidth, kHeight};
    DrawTextW(dc, shown_text_.c_str(), static_cast<int>(shown_text_.size()), &text_box,
              DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    RECT title_box{0, 0, kWidth, kTitleBandBottom};
    DrawTextW(dc, title_text.c_str(), static_cast<int>(title_text.size()), &title_box,
              DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    BitBlt(picture_.Dc(), 0, 0, kWidth, kHeight, dc, 0, 0, SRCCOPY);
    CentreOnOwner();
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CJinDuTiao::SetTexts(const std::wstring& text, long long value, const std::wstring& title) {
    progress_text = text;
    title_text = title;
    SetProgress(value);
}

LRESULT CJinDuTiao::OnPaint(WPARAM, LPARAM) {
    PaintDc paint(hwnd_);
    RECT client = ClientRect();
    if (picture_.Loaded()) {
        SetStretchBltMode(paint.Get(), HALFTONE);
        StretchBlt(paint.Get(), 0, 0, client.right, client.bottom, picture_.Dc(), 0, 0, kWidth, kHeight,
                   SRCCOPY);
    }
    return 0;
}

LRESULT CJinDuTiao::OnEraseBackground(WPARAM, LPARAM) {
    return TRUE;
}

LRESULT CJinDuTiao::OnSize(WPARAM, LPARAM lparam) {
    const int w = GET_X_LPARAM(lparam);
    const int h = GET_Y_LPARAM(lparam);
    // The window owns the region once it is set.
    SetWindowRgn(hwnd_, CreateRoundRectRgn(0, 0, w + 1, h + 1, kCornerEllipse, kCornerEllipse), TRUE);
    return 0;
}

LRESULT CJinDuTiao::OnButtonDown(WPARAM, LPARAM lparam) {
    // A press anywhere drags the window, as a press on a caption would.
    PostMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, lparam);
    return 0;
}

LRESULT CJinDuTiao::OnClose(WPARAM, LPARAM) {
    CentreOnOwner();
    SetTexts(L"", 0, L"");
    // The one instance lives as long as the program: closing only hides it.
    ShowWindow(hwnd_, SW_HIDE);
    return 0;
}

// Escape and Enter would end a dialog; this one is only ever hidden.
LRESULT CJinDuTiao::OnCommand(WPARAM, LPARAM) {
    return OnClose(0, 0);
}

}  // namespace vela
