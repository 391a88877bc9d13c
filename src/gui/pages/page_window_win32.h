// The pages of the main window: child dialogs below the tab row that paint their part of the main window's
// background. Each page class adds its own controls on top.
#pragma once

#include <windows.h>

#include "gui/win/control_canvas_win32.h"
#include "gui/win/mem_dc_win32.h"
#include "gui/win/window_win32.h"

namespace vela {

// Design units (the main window's client at its design size) to a page's client pixels.
struct PageScale {
    double sx = 1.0;
    double sy = 1.0;
    int origin_y = 0;  // the page's top in the main window's client
    int X(double design_x) const { return static_cast<int>(design_x * sx); }
    int Y(double design_y) const { return static_cast<int>(design_y * sy) - origin_y; }
};

class CPageWindow : public CDialogWindow {
  public:
    CPageWindow(int template_id, int page_id) : CDialogWindow(template_id), page_id_(page_id) {}
    ~CPageWindow() override { Destroy(); }

    int PageId() const { return page_id_; }
    // The store holds the background at the main window's client size; the page shows the part behind it.
    void SetBackground(const CMemDcClass* background) { background_ = background; }
    const CMemDcClass* Background() const { return background_; }
    bool Create(HWND parent) { return CreateModeless(parent); }
    // The scale for a page of this client size, placed where it is in the main window.
    PageScale ScaleFor(int width, int height) const;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    // Draws the page's controls, each at its place, over the background in an off-screen picture of the page.
    virtual void PaintControls(HDC /*picture*/) {}

  private:
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM);
    static const MessageRow<CPageWindow> kMessageMap[];

    int page_id_;
    const CMemDcClass* background_ = nullptr;
    OffscreenBuffer picture_;
};

}  // namespace vela
