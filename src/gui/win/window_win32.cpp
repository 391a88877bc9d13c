#include "gui/win/window_win32.h"

#include <commctrl.h>

#include <utility>

namespace vela {
namespace {

constexpr UINT_PTR kSubclassId = 0x56454C41;  // "VELA"
constexpr wchar_t kOwnClassName[] = L"VelaWindow";
constexpr wchar_t kObjectProperty[] = L"VelaWindowObject";

}  // namespace

HINSTANCE ResourceModule() {
    return GetModuleHandleW(nullptr);
}

int WindowDpi(HWND window) {
    constexpr int kDefaultDpi = 96;
    const UINT dpi = window ? GetDpiForWindow(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : kDefaultDpi;
}

RECT MonitorWorkArea(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info))
        return info.rcWork;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

CWindow::~CWindow() {
    Destroy();
}

CWindow* CWindow::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<CWindow*>(GetPropW(hwnd, kObjectProperty)) : nullptr;
}

RECT CWindow::ClientRect() const {
    RECT r{};
    if (hwnd_)
        GetClientRect(hwnd_, &r);
    return r;
}

void CWindow::Attach(HWND hwnd, Kind kind) {
    hwnd_ = hwnd;
    kind_ = kind;
    SetPropW(hwnd, kObjectProperty, this);
}

void CWindow::Detach() {
    if (!hwnd_)
        return;
    RemovePropW(hwnd_, kObjectProperty);
    if (kind_ == Kind::kSubclassed)
        RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    hwnd_ = nullptr;
    kind_ = Kind::kNone;
    OnDetached();
}

bool CWindow::Subclass(HWND hwnd) {
    if (!hwnd || hwnd_ || FromHandle(hwnd))
        return false;
    if (!SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    Attach(hwnd, Kind::kSubclassed);
    PreSubclassWindow();
    return true;
}

bool CWindow::CreateControl(const wchar_t* class_name, const wchar_t* text, DWORD style, const RECT& rect,
                            HWND parent, int id, DWORD ex_style) {
    if (hwnd_)
        return false;
    HWND hwnd = CreateWindowExW(ex_style, class_name, text, style, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ResourceModule(), nullptr);
    if (!hwnd)
        return false;
    if (!Subclass(hwnd)) {
        DestroyWindow(hwnd);
        return false;
    }
    return true;
}

bool CWindow::CreateOwn(const wchar_t* title, DWORD style, DWORD ex_style, const RECT& rect, HWND parent,
                        int id) {
    if (hwnd_)
        return false;
    static const ATOM atom = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = OwnProc;
        wc.hInstance = ResourceModule();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kOwnClassName;
        return RegisterClassExW(&wc);
    }();
    if (!atom)
        return false;
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr;
    HWND hwnd =
        CreateWindowExW(ex_style, kOwnClassName, title, style, rect.left, rect.top, rect.right - rect.left,
                        rect.bottom - rect.top, parent, menu, ResourceModule(), this);
    if (!hwnd)
        return false;
    PreSubclassWindow();
    return hwnd_ == hwnd;
}

void CWindow::Destroy() {
    // Windows belong to the UI thread, and so do the objects that own them.
    if (hwnd_ && ::IsWindow(hwnd_))
        DestroyWindow(hwnd_);
    Detach();
}

LRESULT CWindow::DefaultProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (kind_) {
        case Kind::kSubclassed:
            return DefSubclassProc(hwnd_, message, wparam, lparam);
        case Kind::kOwn:
            return DefWindowProcW(hwnd_, message, wparam, lparam);
        case Kind::kDialog:
            if (unhandled_)
                *unhandled_ = true;
            return 0;
        case Kind::kNone:
            break;
    }
    return 0;
}

LRESULT CWindow::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    return DefaultProc(message, wparam, lparam);
}

bool CWindow::ReflectToChild(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    HWND child = nullptr;
    switch (message) {
        case WM_COMMAND:
            child = reinterpret_cast<HWND>(lparam);
            break;
        case WM_DRAWITEM:
            child = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam)->hwndItem;
            break;
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSTATIC:
            child = reinterpret_cast<HWND>(lparam);
            break;
        default:
            return false;
    }
    CWindow* target = FromHandle(child);
    if (!target)
        return false;
    result = target->WindowProc(kReflectBase + message, wparam, lparam);
    return result != 0;
}

LRESULT CWindow::Dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
    LRESULT reflected = 0;
    if (ReflectToChild(message, wparam, lparam, reflected) && message != WM_COMMAND)
        return reflected;
    if (message == WM_NCDESTROY) {
        const LRESULT r = WindowProc(message, wparam, lparam);
        Detach();
        return r;
    }
    return WindowProc(message, wparam, lparam);
}

LRESULT CALLBACK CWindow::SubclassProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                       DWORD_PTR ref) {
    auto* self = reinterpret_cast<CWindow*>(ref);
    if (!self || self->hwnd_ != hwnd)
        return DefSubclassProc(hwnd, message, wparam, lparam);
    return self->Dispatch(message, wparam, lparam);
}

LRESULT CALLBACK CWindow::OwnProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        // The object arrives with the creation parameters and takes the window over from here on.
        auto* self = static_cast<CWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lparam)->lpCreateParams);
        if (self && !self->hwnd_)
            self->Attach(hwnd, Kind::kOwn);
    }
    CWindow* self = FromHandle(hwnd);
    if (!self)
        return DefWindowProcW(hwnd, message, wparam, lparam);
    return self->Dispatch(message, wparam, lparam);
}

}  // namespace vela

namespace vela {

INT_PTR CDialogWindow::DoModal(HWND parent) {
    if (hwnd_)
        return -1;
    modal_ = true;
    const INT_PTR r = DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(template_id_), parent, DialogProc,
                                      reinterpret_cast<LPARAM>(this));
    modal_ = false;
    return r;
}

bool CDialogWindow::CreateModeless(HWND parent) {
    if (hwnd_)
        return false;
    modal_ = false;
    HWND hwnd = CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(template_id_), parent, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr && hwnd == hwnd_;
}

void CDialogWindow::EndDialog(INT_PTR result) {
    if (!hwnd_)
        return;
    if (modal_) {
        ::EndDialog(hwnd_, result);
    } else {
        DestroyWindow(hwnd_);
    }
}

LRESULT CDialogWindow::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG)
        return OnInitDialog();
    return CWindow::WindowProc(message, wparam, lparam);
}

INT_PTR CALLBACK CDialogWindow::DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CDialogWindow*>(lparam);
        if (self && !self->hwnd_)
            self->Attach(hwnd, Kind::kDialog);
    }
    CWindow* self = FromHandle(hwnd);
    if (!self)
        return FALSE;
    bool unhandled = false;
    bool* const outer = std::exchange(self->unhandled_, &unhandled);
    const LRESULT result = self->Dispatch(message, wparam, lparam);
    self->unhandled_ = outer;
    if (unhandled)
        return FALSE;
    switch (message) {
        // These answer through the return value, not DWLP_MSGRESULT.
        case WM_INITDIALOG:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
            return static_cast<INT_PTR>(result);
        default:
            break;
    }
    // After WM_NCDESTROY the dialog's extra bytes are gone.
    if (message != WM_NCDESTROY)
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace vela
