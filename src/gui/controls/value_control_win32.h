// CEA_Lum2: the skinned horizontal fader with caption, optional toggle box and optional level meter.
#pragma once

#include <memory>
#include <string>

#include "core/ui/value_control_math.h"
#include "gui/win/control_canvas_win32.h"
#include "gui/win/gdi_win32.h"
#include "gui/win/window_win32.h"

namespace vela {

class CEA_Lum2 : public CWindow {
  public:
    CEA_Lum2() = default;
    ~CEA_Lum2() override { Destroy(); }

    // A child STATIC with a blank caption, subclassed.
    bool Create(HWND parent, int id, const RECT& rect, DWORD style = WS_CHILD | WS_VISIBLE);

    void SetSkin(HDC parent_background, int image_id, int style);
    void SetValue(double v);
    double GetValue() const { return toggle_mode ? value_ + toggle_offset_ : value_; }
    void SetUpperLimit(double upper);
    void SetFineThreshold(float threshold) { fine_threshold = threshold; }
    void SetShown(bool shown);
    void SetEnabled(bool enabled);
    void SetCaption(const std::wstring& caption);
    const std::wstring& Caption() const { return caption_; }
    void SetValueFormat(const std::wstring& format);
    void SetTextColour(unsigned argb);
    // Renders the face and copies it into the DC at the control's position in its top-level window
    // (level > 0) or in its parent (level <= 0).
    void PaintTo(HDC dc, int level = 1);

    bool ToggleOn() const { return toggle_offset_ != 0; }
    bool Focused() const { return focused_; }
    bool Dragging() const { return dragging_; }
    bool SkinLoaded() const { return skin_loaded_; }
    bool HasImage() const { return skin_ != nullptr; }
    const ValueGeometry& Geometry() const { return geometry_; }
    // The raw value without the toggle offset, as the face shows it.
    double ShownValue() const { return value_; }

    // Plain members the pages write directly (captioned and toggle mode before SetSkin).
    int index = 0;
    double lower_limit = 0.0;
    double upper_limit = 100.0;
    double fine_threshold = 0.0;
    double fine_step = 0.1;
    bool captioned = false;
    bool toggle_mode = false;
    int toggle_amount = 500;
    bool meter_mode = false;

  protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

  private:
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM);
    LRESULT OnSize(WPARAM, LPARAM);
    LRESULT OnMove(WPARAM, LPARAM);
    LRESULT OnButtonDown(WPARAM, LPARAM);
    LRESULT OnButtonUp(WPARAM, LPARAM);
    LRESULT OnMouseMove(WPARAM, LPARAM);
    LRESULT OnMouseWheel(WPARAM, LPARAM);
    LRESULT OnKeyDown(WPARAM, LPARAM);
    LRESULT OnGetDlgCode(WPARAM, LPARAM);
    LRESULT OnKillFocus(WPARAM, LPARAM);
    LRESULT OnCaptureChanged(WPARAM, LPARAM);
    LRESULT OnSetText(WPARAM, LPARAM);
    LRESULT OnGetText(WPARAM, LPARAM);
    LRESULT OnGetTextLength(WPARAM, LPARAM);
    LRESULT OnShowWindow(WPARAM, LPARAM);

    static const MessageRow<CEA_Lum2> kMessageMap[];

    ValueRange Range() const { return {lower_limit, upper_limit, fine_threshold, fine_step}; }
    void Notify();
    void Redraw();
    void RenderFace();
    void DrawSkin(Gdiplus::Graphics& g, int w, int h);
    void DrawCaption(Gdiplus::Graphics& g);

    GdiplusSession gdiplus_;  // first member: outlives the image below
    std::unique_ptr<Gdiplus::Bitmap> skin_;
    std::unique_ptr<Gdiplus::Font> caption_font_;
    int caption_font_height_ = 0;
    double value_ = 0.0;
    int toggle_offset_ = 0;
    std::wstring caption_;
    std::wstring value_format_;
    unsigned text_colour_ = 0xFF9D9D9D;
    bool shown_ = true;
    bool enabled_ = true;
    bool focused_ = false;
    bool dragging_ = false;
    bool skin_loaded_ = false;
    int style_ = 0;
    HDC parent_background_ = nullptr;
    ValueGeometry geometry_{};
    ControlCanvas canvas_;
    bool face_valid_ = false;
};

}  // namespace vela
