// CLum_ComboBox, the skinned face over a standard drop-down list, and Clum_CStatic, the GDI+ label.
#pragma once

#include <memory>
#include <string>

#include "gui/win/gdi_win32.h"
#include "gui/win/skinned_control_win32.h"

namespace vela {

class CLum_ComboBox : public CSkinnedControl {
  public:
    CLum_ComboBox() : CSkinnedControl(TextMode::kSystemText) {}
    ~CLum_ComboBox() override { Destroy(); }

    // A drop-down list; the rectangle's height includes the open list.
    bool Create(HWND parent, int id, const RECT& rect, DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL);

    void SetSkin(HDC parent_background, int image_id, int style);
    void SetItem(int n);
    int GetItem() const { return current_; }
    int AddItem(const std::wstring& text);
    void ResetItems();
    int ItemCount() const;
    void SetTextColour(COLORREF face, COLORREF list);
    void SetFont(const std::wstring& face, int size);

    bool HasImage() const { return skin_ != nullptr; }
    std::wstring ItemText(int n) const;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

    void DrawFace(HDC face, int width, int height) override;
    void OnResized(int width, int height) override;
    bool OnPress(POINT p, bool double_click) override;

  private:
    LRESULT OnNcPaint(WPARAM, LPARAM);
    LRESULT OnSetCurSel(WPARAM, LPARAM);
    LRESULT OnCtlColor(WPARAM, LPARAM);
    LRESULT OnReflectedCommand(WPARAM, LPARAM);
    LRESULT OnDrawItem(WPARAM, LPARAM);

    static const MessageRow<CLum_ComboBox> kMessageMap[];

    void MakeFonts();

    std::unique_ptr<Gdiplus::Bitmap> skin_;
    int current_ = 0;
    COLORREF text_colour_ = 0x525252;
    COLORREF list_text_colour_ = 0x525252;
    std::wstring font_face_ = L"Arial Bold";
    int font_size_ = 14;
    float face_scale_ = 1.0f;
    int fonts_width_ = 0;
    int style_ = 0;
    UniqueFont list_font_;
    UniqueFont face_font_;
    UniqueBrush list_brush_;
};

class Clum_CStatic : public CSkinnedControl {
  public:
    Clum_CStatic() = default;
    ~Clum_CStatic() override { Destroy(); }

    bool Create(HWND parent, int id, const RECT& rect, const wchar_t* text = L"",
                DWORD style = WS_CHILD | WS_VISIBLE);

    // An image id above 0 loads that PNG, stretched over the label.
    void SetSkin(HDC parent_background, unsigned fill_colour, int image_id);
    void SetTextStyle(float font_size, const std::wstring& font_face, unsigned text_colour, int text_flags);
    void SetFontStyle(int style);

    bool HasImage() const { return image_ != nullptr; }

  protected:
    void DrawFace(HDC face, int width, int height) override;

  private:
    std::unique_ptr<Gdiplus::Bitmap> image_;
    std::wstring font_face_ = L"宋体";
    float font_size_ = 12.0f;
    int font_style_ = 0;
    unsigned text_colour_ = 0xFF000000;
    int text_flags_ = 0;
    unsigned fill_colour_ = 0;
};

}  // namespace vela
