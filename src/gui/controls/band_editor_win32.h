// CEQ_Lum0: one column of a parametric EQ: band number, three edit boxes (gain, frequency, Q), a vertical
// gain fader and three filter-type buttons, skinned from image 161.
#pragma once

#include <memory>
#include <string>

#include "core/ui/band_editor_math.h"
#include "gui/win/gdi_win32.h"
#include "gui/win/skinned_control_win32.h"

namespace vela {

class CEQ_Lum0;

// One of the editor's edit boxes: its arrow keys and Enter go to the editor before the edit control.
class BandFieldBox : public CWindow {
  public:
    BandFieldBox(CEQ_Lum0& owner, int field) : owner_(owner), field_(field) {}
    ~BandFieldBox() override { Destroy(); }
    int Field() const { return field_; }

  protected:
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

  private:
    CEQ_Lum0& owner_;
    int field_;
};

class CEQ_Lum0 : public CSkinnedControl {
  public:
    // Edit box identifiers: gain, frequency, Q.
    static constexpr int kBoxIds[kTextFields] = {1124, 1125, 1126};

    CEQ_Lum0() = default;
    ~CEQ_Lum0() override;

    // A child STATIC with a blank caption, subclassed.
    bool Create(HWND parent, int id, const RECT& rect, DWORD style = WS_CHILD | WS_VISIBLE);

    void SetSkin(HDC parent_background, int image_id, int style);
    // 0 gain (clamped), 1 frequency and 2 Q (the table entries for x), 3 type (x truncated). Takes the
    // keyboard focus when visible.
    void SetField(int field, double x);
    // 0..2: the box's text read, normalised and snapped; 3: the type.
    double GetField(int field) const;
    // Whether the change last told to the page was typed into a box (Enter or leaving it).
    bool LastTyped() const { return typed_; }

    void SetIndex(int index);
    int Index() const { return index_; }
    void SetGainLimits(double lower, double upper, double step = 0.1);
    void SetTypeButtonsShown(bool shown);

    int Type() const { return type_; }
    double Gain() const { return gain_; }
    int CurrentField() const { return current_field_; }
    bool Dragging() const { return dragging_; }
    const BandEditorGeometry& Geometry() const { return geometry_; }
    const GainLimits& Limits() const { return limits_; }
    HWND Box(int field) const;
    const std::wstring& FieldText(int field) const { return texts_[field]; }
    // Why the last text typed was refused or clamped (shown in a balloon under its box); empty when it
    // was taken as typed.
    const std::wstring& Note() const { return note_; }

    // Keys of the editor and of its boxes, before the edit control sees them; true when consumed.
    bool OnKey(WPARAM key) override;

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
    bool OnCaptureChanged(bool lost) override;
    bool WantsArrowKeys() const override { return true; }

  private:
    LRESULT OnCommand(WPARAM, LPARAM);
    LRESULT OnCtlColorEdit(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);

    static const MessageRow<CEQ_Lum0> kMessageMap[];

    void CreateBoxes();
    void LayoutBoxes();
    std::wstring BoxText(int field) const;
    // Reads a field with a step, shows the result and tells the page.
    void StepField(int field, int step);
    void ShowField(int field, double x);
    void ShowNote(int field, const std::wstring& note);
    void Notify(int field, bool typed = false);

    std::unique_ptr<Gdiplus::Bitmap> skin_;
    std::unique_ptr<Gdiplus::Font> number_font_;
    int number_font_height_ = 0;
    std::unique_ptr<BandFieldBox> boxes_[kTextFields];
    UniqueFont box_font_;
    UniqueBrush box_brush_;
    std::wstring texts_[kTextFields];
    std::wstring note_;
    HWND balloon_ = nullptr;         // destroyed with the editor
    double held_[kTextFields] = {};  // the value behind each box's text
    bool typed_ = false;
    BandEditorGeometry geometry_{};
    GainLimits limits_{};
    double gain_ = 0.0;
    int type_ = 7;
    int current_field_ = kFieldGain;
    int index_ = 0;
    int style_ = 0;
    bool type_buttons_shown_ = true;
    bool dragging_ = false;
    bool laid_out_ = false;
};

}  // namespace vela
