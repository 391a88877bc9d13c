// What every skinned control keeps off-screen: the parent's background under it and its finished face.
#pragma once

#include <windows.h>

#include <string>

#include "core/ui/rect.h"
#include "gui/win/gdi_win32.h"

namespace vela {

// The control's client origin in its top-level window's client coordinates (level > 0) or in its parent's
// (level <= 0).
POINT ControlOrigin(HWND control, int level = 1);

// Draws a part of a skin image (in image pixels) into a destination rectangle (nothing without an image).
void DrawSprite(Gdiplus::Graphics& g, Gdiplus::Image* image, const Gdiplus::RectF& dest, const Rect& src);

inline Gdiplus::RectF RectF(int x, int y, int width, int height) {
    return Gdiplus::RectF(static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(y),
                          static_cast<Gdiplus::REAL>(width), static_cast<Gdiplus::REAL>(height));
}

// The drawing quality every control face uses: anti-aliased shapes, smooth scaled skins.
inline void UseSmoothDrawing(Gdiplus::Graphics& g) {
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
}

// Sets wrapping and alignment from the kText* flags of a caption (no trimming: captions are laid out to fit).
void ApplyTextFlags(Gdiplus::StringFormat& format, int text_flags);

// Answers WM_GETTEXT (capacity in wParam, buffer in lParam) from a string, cut and terminated.
LRESULT CopyTextOut(const std::wstring& text, WPARAM capacity, LPARAM buffer);

// A bitmap selected into its own memory DC, sized to a control's client area.
class OffscreenBuffer {
  public:
    OffscreenBuffer() = default;
    OffscreenBuffer(const OffscreenBuffer&) = delete;
    OffscreenBuffer& operator=(const OffscreenBuffer&) = delete;
    ~OffscreenBuffer() { Reset(); }

    // Makes sure the buffer has this size; false when it cannot (or the size is empty).
    bool Ensure(int width, int height);
    void Reset();
    HDC Dc() const { return memory_.Dc(); }
    int Width() const { return width_; }
    int Height() const { return height_; }

  private:
    SelectedBitmap memory_;
    int width_ = 0;
    int height_ = 0;
};

class ControlCanvas {
  public:
    // Copies the parent's background under the control once (0xF0F0F0 without one) and then reuses it until
    // Invalidate; false when the control has no size.
    bool EnsureBackground(HWND control, HDC parent_background);
    // Forgets both pictures (after a size change or a new skin).
    void Invalidate() { background_valid_ = false; }
    // The face buffer, primed with the background.
    HDC BeginFace();
    HDC Face() const { return face_.Dc(); }
    int Width() const { return face_.Width(); }
    int Height() const { return face_.Height(); }
    // Copies the finished face to a DC at (x, y).
    void CopyTo(HDC dc, int x, int y) const;
    // Copies a part of the face to the same place of a DC of the control.
    void CopyPartTo(HDC dc, const RECT& part) const;

  private:
    OffscreenBuffer background_;
    OffscreenBuffer face_;
    bool background_valid_ = false;
};

}  // namespace vela
