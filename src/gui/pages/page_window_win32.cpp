#include "gui/pages/page_window_win32.h"

#include "core/ui/main_layout.h"
#include "gui/win/gdi_win32.h"

namespace vela {

const MessageRow<CPageWindow> CPageWindow::kMessageMap[] = {
    {WM_PAINT, 0, &CPageWindow::OnPaint},
    {WM_ERASEBKGND, 0, &CPageWindow::OnEraseBackground},
};

LRESULT CPageWindow::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (auto handled = RouteMessage(this, kMessageMap, message, wparam, lparam))
        return *handled;
    return CDialogWindow::WindowProc(message, wparam, lparam);
}

LRESULT CPageWindow::OnEraseBackground(WPARAM, LPARAM) {
    return TRUE;
}

LRESULT CPageWindow::OnPaint(WPARAM, LPARAM) {
    PaintDc paint(hwnd_);
    const RECT client = ClientRect();
    if (background_ == nullptr || background_->Dc() == nullptr) {
        FillRect(paint.Get(), &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return 0;
    }
    // The store is in the parent's client coordinates. Background and controls are composed off-screen and
    // reach the screen in one copy, so nothing shows half drawn.
    POINT origin{0, 0};
    MapWindowPoints(hwnd_, GetParent(hwnd_), &origin, 1);
    if (!picture_.Ensure(client.right, client.bottom)) {
        BitBlt(paint.Get(), 0, 0, client.right, client.bottom, background_->Dc(), origin.x, origin.y,
               SRCCOPY);
        return 0;
    }
    BitBlt(picture_.Dc(), 0, 0, client.right, client.bottom, background_->Dc(), origin.x, origin.y, SRCCOPY);
    PaintControls(picture_.Dc());
    BitBlt(paint.Get(), 0, 0, client.right, client.bottom, picture_.Dc(), 0, 0, SRCCOPY);
    return 0;
}

PageScale CPageWindow::ScaleFor(int width, int height) const {
    POINT origin{0, 0};
    MapWindowPoints(hwnd_, GetParent(hwnd_), &origin, 1);
    return PageScale{width / static_cast<double>(kDesignWidth),
                     (height + origin.y) / static_cast<double>(kDesignHeight), origin.y};
}

}  // namespace vela
