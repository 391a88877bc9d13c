// CGDI_Button: the skinned push or latching button drawn from a strip of four frames.
#pragma once

#include <memory>
#include <string>

#include "gui/win/gdi_win32.h"
#include "gui/win/skinned_control_win32.h"

namespace vela {

class CGDI_Button : public CSkinnedControl {
  public:
    // Check states.
    static constexpr int kPush = 0;
    static constexpr int kLatchOff = 1;
    static constexpr int kLatchOn = 2;

    CGDI_Button() = default;
    ~CGDI_Button() override { Destroy(); }

    bool Create(HWND parent, int id, const RECT& rect, const wchar_t* caption = L"",
                DWORD style = WS_CHILD | WS_VISIBLE);

    void SetSkin(HDC parent_background, int image_id);
    void SetTextStyle(float font_size, const std::wstring& font_face, unsigned colour_off, int text_flags,
                      unsigned colour_on);
    const std::wstring& GetCaption() const { return caption_; }
    void SetCheck(int state);
    int GetCheck() const { return check_; }
    void SetClickable(bool clickable) { clickable_ = clickable; }
    void SetFontStyle(int style);
    void SetFrameCount(int frames);

    bool Hovering() const { return hovering_; }
    bool Pressed() const { return pressed_; }
    bool HasImage() const { return skin_ != nullptr; }

  protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    void DrawFace(HDC face, int width, int height) override;
    void OnResized(int width, int height) override;
    void OnStateChanged() override;
    bool OnPress(POINT p, bool double_click) override;
    bool OnRelease(POINT p) override;
    bool OnPointerMove(POINT p) override;
    bool OnCaptureChanged(bool lost) override;
    void OnFocusLost() override;

  private:
    LRESULT OnDrawItem(WPARAM, LPARAM);
    LRESULT OnReflectedCommand(WPARAM, LPARAM);

    static const MessageRow<CGDI_Button> kMessageMap[];

    bool InActiveArea(POINT p) const;
    void UpdateHover(POINT p);

    std::unique_ptr<Gdiplus::Bitmap> skin_;
    std::unique_ptr<Gdiplus::Font> font_;
    int check_ = kPush;
    int frame_count_ = 4;
    RECT active_{};
    SIZE skin_client_{};  // client size when the skin was set: the active rectangle's reference
    std::wstring font_face_ = L"宋体";
    float font_size_ = 12.0f;
    int font_style_ = 0;
    int text_flags_ = 0;
    int rendering_hint_ = Gdiplus::TextRenderingHintAntiAliasGridFit;  // 3, as the program uses throughout
    unsigned colour_off_ = 0xFF000000;
    unsigned colour_on_ = 0xFF000000;
    bool clickable_ = true;
    bool hovering_ = false;
    bool pressed_ = false;
    bool skin_loaded_ = false;
};

}  // namespace vela
