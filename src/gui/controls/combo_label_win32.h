// CLum_ComboBox, the skinned face over a standard drop-down list, and Clum_CStatic, the GDI+ label.
#pragma once

#include <memory>
#include <string>

#include "gui/win/control_canvas_win32.h"
#include "gui/win/gdi_win32.h"
#include "gui/win/window_win32.h"

namespace vela {

class CLum_ComboBox : public CWindow {
  public:
    CLum_ComboBox() = default;
    ~CLum_ComboBox() override { Destroy(); }

    // A drop-down list; the rectangle's height includes the open list.
    bool Create(HWND parent, int id, const RECT& rect, DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL);

    void SetSkin(HDC parent_background, int image_id, int style);
    void SetItem(int n);
    int GetItem() const { return current_; }
    int AddItem(const std::wstring& text);
    void ResetItems();
    int ItemCount() const;
    void SetIndex(int index) { index_ = index; }
    void SetShown(bool shown);
    void SetEnabled(bool enabled);
    void SetTextColour(COLORREF face, COLORREF list);
    void SetFont(const std::wstring& face, int size);
    void PaintTo(HDC dc, int level = 1);

    bool Focused() const { return focused_; }
    bool HasImage() const { return skin_ != nullptr; }
    std::wstring ItemText(int n) const;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

  private:
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM);
    LRESULT OnNcPaint(WPARAM, LPARAM);
    LRESULT OnSize(WPARAM, LPARAM);
    LRESULT OnMove(WPARAM, LPARAM);
    LRESULT OnButtonDown(WPARAM, LPARAM);
    LRESULT OnSetCurSel(WPARAM, LPARAM);
    LRESULT OnCtlColor(WPARAM, LPARAM);
    LRESULT OnReflectedCommand(WPARAM, LPARAM);
    LRESULT OnDrawItem(WPARAM, LPARAM);

    static const MessageRow<CLum_ComboBox> kMessageMap[];

    void Redraw();
    void RenderFace();
    void MakeFonts();

    GdiplusSession gdiplus_;
    std::unique_ptr<Gdiplus::Bitmap> skin_;
    int index_ = 0;
    int current_ = 0;
    bool focused_ = false;
    bool shown_ = true;
    bool enabled_ = true;
    COLORREF text_colour_ = 0x525252;
    COLORREF list_text_colour_ = 0x525252;
    std::wstring font_face_ = L"Arial Bold";
    int font_size_ = 14;
    float face_scale_ = 1.0f;
    int style_ = 0;
    HDC parent_background_ = nullptr;
    UniqueFont list_font_;
    UniqueFont face_font_;
    UniqueBrush list_brush_;
    ControlCanvas canvas_;
    bool face_valid_ = false;
};

class Clum_CStatic : public CWindow {
  public:
    Clum_CStatic() = default;
    ~Clum_CStatic() override { Destroy(); }

    bool Create(HWND parent, int id, const RECT& rect, const wchar_t* text = L"",
                DWORD style = WS_CHILD | WS_VISIBLE);

    // An image id above 0 loads that PNG, stretched over the label.
    void SetSkin(HDC parent_background, unsigned fill_colour, int image_id);
    void SetTextStyle(float font_size, const std::wstring& font_face, unsigned text_colour, int text_flags);
    void SetCaption(const std::wstring& text);
    const std::wstring& Caption() const { return text_; }
    void SetShown(bool shown);
    void SetFontStyle(int style) { font_style_ = style; }
    void PaintTo(HDC dc, int level = 1);

    bool HasImage() const { return image_ != nullptr; }

  protected:
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

  private:
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM);
    LRESULT OnMoveOrSize(WPARAM, LPARAM);
    LRESULT OnKillFocus(WPARAM, LPARAM);
    LRESULT OnSetText(WPARAM, LPARAM);
    LRESULT OnGetText(WPARAM, LPARAM);
    LRESULT OnGetTextLength(WPARAM, LPARAM);

    static const MessageRow<Clum_CStatic> kMessageMap[];

    void Redraw();
    void RenderFace();

    GdiplusSession gdiplus_;
    std::unique_ptr<Gdiplus::Bitmap> image_;
    std::wstring text_;
    std::wstring font_face_ = L"宋体";
    float font_size_ = 12.0f;
    int font_style_ = 0;
    unsigned text_colour_ = 0xFF000000;
    int text_flags_ = 0;
    unsigned fill_colour_ = 0;
    bool shown_ = true;
    HDC parent_background_ = nullptr;
    ControlCanvas canvas_;
    bool face_valid_ = false;
};

}  // namespace vela
