// CLum_NewScope: the frequency-response graph of a strip page: the sum of a channel's filters on a log
// axis, the selected filter's own curve, draggable handles with Q handles, a value label, a right-click
// menu (Copy, Paste, Import EQ..., Export EQ...) and the "EQ PASS" overlay. The model and every rule live in
// the core; this class paints them and turns window messages into the rules' calls.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/model/response_graph.h"
#include "core/ui/response_graph_ui.h"
#include "gui/win/control_canvas_win32.h"
#include "gui/win/gdi_win32.h"
#include "gui/win/skinned_control_win32.h"

namespace vela {

// A premultiplied 32-bit picture that GDI+ draws into once and GDI's AlphaBlend copies from on every
// paint: blending sprites with GDI+'s DrawImage cost a quarter of a millisecond each under Wine.
class SpriteSheet {
  public:
    SpriteSheet() = default;
    SpriteSheet(const SpriteSheet&) = delete;
    SpriteSheet& operator=(const SpriteSheet&) = delete;
    ~SpriteSheet() { Reset(); }

    // A transparent sheet; false when it cannot be made.
    bool Create(int width, int height);
    void Reset();
    // GDI+'s view of the pixels, for drawing the sheet.
    Gdiplus::Bitmap* Canvas() const { return canvas_.get(); }
    // Blends the cell (x, y, width, height) of the sheet onto a DC at (dx, dy).
    void Blend(HDC dc, int dx, int dy, int x, int y, int width, int height) const;

  private:
    SelectedBitmap sheet_;
    std::unique_ptr<Gdiplus::Bitmap> canvas_;
};

class CLum_NewScope : public CSkinnedControl {
  public:
    static constexpr UINT kAnimationTimer = 1;
    static constexpr UINT kAnimationMs = 100;

    CLum_NewScope() = default;
    ~CLum_NewScope() override;

    // A child STATIC with a blank caption, subclassed.
    bool Create(HWND parent, int id, const RECT& rect, DWORD style = WS_CHILD | WS_VISIBLE);
    // The page's background under the plot; without one the plot is black.
    void SetBackground(HDC parent_background);

    // Ranges and flags first, then InitBands.
    void SetRanges(FreqRange high_pass, FreqRange low_pass, FreqRange bands);
    void SetFreeFrequencies(bool on);
    void SetShelvesMayBoost(bool on) { model_.shelves_may_boost = on; }
    void SetLockBandFrequency(bool on) { model_.lock_band_frequency = on; }
    void SetHighPassBelowLowPass(bool on) { model_.high_pass_below_low_pass = on; }
    void SetMenuEnabled(bool on);
    // The right-click menu's items, top to bottom; none turns the menu off.
    void SetMenuItems(std::vector<GraphMenu> items);
    void SetShowQHandles(bool on);
    void SetShowSelectedCurve(bool on);
    void SetActive(bool on) { model_.active = on; }
    void SetLabelScale(double scale);
    void SetHandleEnabled(int handle, bool enabled);
    void SetHandleHasQ(int handle, bool has_q);

    void InitBands(int band_count);

    void SetBandType(int band, int type);
    void SetBandFreq(int band, double hz);
    void SetBandQ(int band, double q);
    void SetBandGain(int band, double db);
    void SetPassFreq(int which, double hz);
    void SetPassType(int code);
    void SetPassQ(int kind, double x);
    void SetEqActive(int flag);
    int IsEqActive() const { return model_.IsEqActive(); }

    int GetBandType(int band) const { return model_.GetBandType(band); }
    double GetBandFreq(int band) const { return model_.GetBandFreq(band); }
    double GetBandQ(int band) const { return model_.GetBandQ(band); }
    double GetBandGain(int band) const { return model_.GetBandGain(band); }
    double GetPassFreq(int which) const { return model_.GetPassFreq(which); }

    // 0 stops the 100 ms animation; 1 starts it and selects band 0; 2 starts it only.
    void SetAnimation(int mode);
    bool Animating() const { return animating_; }

    const ResponseGraph& Model() const { return model_; }

  protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    void DrawFace(HDC face, int width, int height) override;
    void OnResized(int width, int height) override;
    // The pointer goes to the core's rules as it comes.
    bool OnPress(POINT p, bool double_click) override;
    bool OnRelease(POINT p) override { return Apply(GraphRelease(model_, p.x, p.y)); }
    bool OnPointerMove(POINT p) override { return Apply(GraphMove(model_, p.x, p.y)); }
    bool OnWheel(int delta) override { return Apply(GraphWheel(model_, delta)); }
    bool OnKey(WPARAM key) override;
    bool OnCaptureChanged(bool lost) override;
    bool WantsArrowKeys() const override { return true; }

  private:
    LRESULT OnRightButtonUp(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);

    static const MessageRow<CLum_NewScope> kMessageMap[];

    // Carries out what a rule decided; true, as the message was the graph's.
    bool Apply(const GraphEffects& e);
    void Changed();
    void MakeSprites();
    void MakeGrid(HDC face, int width, int height);
    void DrawCurves(Gdiplus::Graphics& g);
    // Every handle and Q handle, or only those whose square meets `only`.
    void DrawHandles(HDC face, const RECT* only = nullptr);
    // An animation frame: the selected handle's square again from the picture under the handles, with what
    // lies over it; false when the whole face has to be painted instead.
    bool RedrawSelectedHandle();
    void DrawLabel(Gdiplus::Graphics& g);
    void DrawMenu(Gdiplus::Graphics& g);

    ResponseGraph model_;
    bool initialised_ = false;
    bool has_background_ = false;
    bool animating_ = false;
    SpriteSheet handle_sprites_;
    SpriteSheet q_sprites_;
    SpriteSheet eq_pass_image_;
    std::unique_ptr<Gdiplus::Font> label_font_;
    double label_font_scale_ = 0.0;
    std::unique_ptr<Gdiplus::Font> menu_font_;
    std::wstring label_text_;
    int label_width_ = 0;
    int label_height_ = 0;
    OffscreenBuffer grid_;
    bool grid_valid_ = false;
    // The face up to the handles (grid, curves, overlay) as the last full paint left it.
    OffscreenBuffer under_handles_;
    bool under_handles_valid_ = false;
};

}  // namespace vela
