// CEA_Lum2: the skinned horizontal fader with caption, optional toggle box and optional level meter.
#pragma once

#include <memory>
#include <string>

#include "core/ui/value_control_math.h"
#include "gui/win/gdi_win32.h"
#include "gui/win/skinned_control_win32.h"

namespace vela {

class CEA_Lum2 : public CSkinnedControl {
  public:
    CEA_Lum2() = default;
    ~CEA_Lum2() override;

    // A child STATIC with a blank caption, subclassed.
    bool Create(HWND parent, int id, const RECT& rect, DWORD style = WS_CHILD | WS_VISIBLE);

    void SetSkin(HDC parent_background, int image_id, int style);
    void SetValue(double v);
    double GetValue() const { return toggle_mode_ ? value_ + toggle_offset_ : value_; }
    void SetRange(double lower, double upper);
    void SetUpperLimit(double upper);
    void SetFineThreshold(double threshold);
    void SetFineStep(double step);
    // A caption band above the track; the toggle box beside it (the value then carries the toggle amount
    // when on); a level meter under the track. Set before SetSkin, as the face's geometry depends on them.
    void SetCaptioned(bool captioned);
    void SetToggleMode(bool toggle_mode, int toggle_amount = kDefaultToggleAmount);
    void SetMeterMode(bool meter_mode);
    void SetValueFormat(const std::wstring& format);
    void SetTextColour(unsigned argb);
    // A tooltip on the control (why it shows what it shows); empty removes it.
    void SetNote(const std::wstring& note) { SetTipNote(note); }
    const std::wstring& Note() const { return TipNote(); }

    static constexpr int kDefaultToggleAmount = 500;

    bool ToggleOn() const { return toggle_offset_ != 0; }
    bool ToggleMode() const { return toggle_mode_; }
    bool Captioned() const { return captioned_; }
    double LowerLimit() const { return lower_limit_; }
    double UpperLimit() const { return upper_limit_; }
    ValueRange Range() const { return {lower_limit_, upper_limit_, fine_threshold_, fine_step_}; }
    bool Dragging() const { return dragging_; }
    bool SkinLoaded() const { return skin_loaded_; }
    bool HasImage() const { return skin_ != nullptr; }
    const ValueGeometry& Geometry() const { return geometry_; }
    // The raw value without the toggle offset, as the face shows it.
    double ShownValue() const { return value_; }

  protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    void DrawFace(HDC face, int width, int height) override;
    void OnResized(int width, int height) override;
    void OnStateChanged() override;
    bool OnPress(POINT p, bool double_click) override;
    bool OnRelease(POINT p) override;
    bool OnPointerMove(POINT p) override;
    bool OnWheel(int delta) override;
    bool OnKey(WPARAM key) override;
    bool OnCaptureChanged(bool lost) override;
    // Keeps the dialog manager from using the arrows for navigation.
    bool WantsArrowKeys() const override { return true; }

  private:
    LRESULT OnShowWindow(WPARAM, LPARAM);

    static const MessageRow<CEA_Lum2> kMessageMap[];

    void Notify();
    // One step up (> 0) or down (< 0) of the value, told to the page.
    void Step(int direction);
    void DrawSkin(Gdiplus::Graphics& g, int w, int h);
    void DrawCaption(Gdiplus::Graphics& g);

    std::unique_ptr<Gdiplus::Bitmap> skin_;
    std::unique_ptr<Gdiplus::Font> caption_font_;
    int caption_font_height_ = 0;
    double value_ = 0.0;
    int toggle_offset_ = 0;
    std::wstring value_format_;
    unsigned text_colour_ = 0xFF9D9D9D;
    bool dragging_ = false;
    bool skin_loaded_ = false;
    int style_ = 0;
    ValueGeometry geometry_{};
    double lower_limit_ = 0.0;
    double upper_limit_ = 100.0;
    double fine_threshold_ = 0.0;
    double fine_step_ = 0.1;
    bool captioned_ = false;
    bool toggle_mode_ = false;
    int toggle_amount_ = kDefaultToggleAmount;
    bool meter_mode_ = false;
};

}  // namespace vela
