// Off-screen drawing: every window composes its picture in a CMemDcClass and copies it to the screen in one
// block transfer; LoadImageResource turns a PNG resource into a GDI+ image.
#pragma once

#include <windows.h>

#include <memory>

#include "gui/win/gdi_win32.h"

namespace vela {

class CMemDcClass {
  public:
    CMemDcClass() = default;
    CMemDcClass(int bitmap_id, HWND window) { Load(bitmap_id, window); }
    CMemDcClass(HWND window, const RECT& rect);
    CMemDcClass(const CMemDcClass&) = delete;
    CMemDcClass& operator=(const CMemDcClass&) = delete;
    ~CMemDcClass() { Release(); }

    // Loads a bitmap resource; its size becomes the store's. False (and an empty store) when it is missing.
    bool Load(int bitmap_id, HWND window);
    void Release();
    // A blank light-grey store of the rectangle's size; nothing happens for an empty rectangle.
    void Resize(int left, int top, int right, int bottom, HDC reference);
    // Copies (right - x) x (bottom - y) pixels from the source to (x, y), growing the store first if needed.
    void Blit(int x, int y, int right, int bottom, HDC source, int source_x, int source_y);
    // Stretches the source rectangle onto (x, y) - (right, bottom), growing the store first if needed.
    void Stretch(int x, int y, int right, int bottom, HDC source, int source_left, int source_top,
                 int source_right, int source_bottom);

    HDC Dc() const { return store_.Dc(); }
    HBITMAP Bitmap() const { return store_.Bitmap(); }
    const RECT& Size() const { return size_; }
    bool Loaded() const { return static_cast<bool>(store_); }

  private:
    bool MakeBlank(int width, int height, HDC reference);

    SelectedBitmap store_;
    RECT size_{};
};

// Loads the resource of that id and type (L"PNG") into an image. The image keeps its own copy of the
// pixels, so no memory block has to outlive it. On failure `image` is left as it was and false returned.
bool LoadImageResource(int resource_id, const wchar_t* type, std::unique_ptr<Gdiplus::Bitmap>& image);

}  // namespace vela
