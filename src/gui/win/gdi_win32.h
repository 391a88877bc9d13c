// RAII for the GDI and GDI+ objects every window and control owns.
#pragma once

// clang-format off
#include <windows.h>
#include <objidl.h>
#include <propidl.h>
// GDI+ needs the min/max that NOMINMAX removes, and what its headers use must come first.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>
// clang-format on

#include <memory>
#include <string_view>
#include <utility>

#include "platform/handle_win32.h"

namespace vela {

// DeleteObject for one kind of GDI object.
template <class H>
BOOL WINAPI FreeGdi(H h) {
    return DeleteObject(h);
}

using UniqueDc = UniqueHandle<HDC, DeleteDC>;
using UniqueBitmap = UniqueHandle<HBITMAP, FreeGdi<HBITMAP>>;
using UniqueFont = UniqueHandle<HFONT, FreeGdi<HFONT>>;
using UniqueBrush = UniqueHandle<HBRUSH, FreeGdi<HBRUSH>>;
using UniquePen = UniqueHandle<HPEN, FreeGdi<HPEN>>;
using UniqueRegion = UniqueHandle<HRGN, FreeGdi<HRGN>>;
using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;

// Selects an object into a DC for the scope and puts the previous one back.
class ScopedSelect {
  public:
    ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    ~ScopedSelect() {
        if (old_)
            SelectObject(dc_, old_);
    }

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// A bitmap selected into its own memory DC (not copyable, as its handles are not). The DC's first bitmap
// goes back in before either is deleted: a bitmap still selected into a DC cannot be deleted.
class SelectedBitmap {
  public:
    ~SelectedBitmap() { Reset(); }

    // Takes both and selects the bitmap; false, and empty, when either is missing.
    bool Take(UniqueDc dc, UniqueBitmap bitmap);
    // Another bitmap into the same DC, which others may be holding; the old bitmap is deleted.
    void Replace(UniqueBitmap bitmap);
    void Reset();
    HDC Dc() const { return dc_.Get(); }
    HBITMAP Bitmap() const { return bitmap_.Get(); }
    explicit operator bool() const { return static_cast<bool>(dc_); }

  private:
    UniqueDc dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
};

// Narrows a DC's clipping to a rectangle for the scope and puts the previous clip region back. Not SaveDC
// and RestoreDC: restoring selects the DC's font again, which under Wine asks the X server's defaults.
class ScopedClip {
  public:
    ScopedClip(HDC dc, const RECT& r) : dc_(dc), saved_(CreateRectRgn(0, 0, 0, 0)) {
        had_clip_ = saved_ && GetClipRgn(dc_, saved_.Get()) == 1;
        IntersectClipRect(dc_, r.left, r.top, r.right, r.bottom);
    }
    ScopedClip(const ScopedClip&) = delete;
    ScopedClip& operator=(const ScopedClip&) = delete;
    ~ScopedClip() { SelectClipRgn(dc_, had_clip_ ? saved_.Get() : nullptr); }

  private:
    HDC dc_;
    UniqueRegion saved_;
    bool had_clip_ = false;
};

// GetDC / ReleaseDC.
class WindowDc {
  public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_)
            ReleaseDC(hwnd_, dc_);
    }
    HDC Get() const { return dc_; }

  private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDc {
  public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { EndPaint(hwnd_, &ps_); }
    HDC Get() const { return dc_; }
    const RECT& Area() const { return ps_.rcPaint; }

  private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_ = nullptr;
};

// GDI+ is started by the first holder and shut down when the last one goes; every control holds one so that
// its images and fonts never outlive the library.
class GdiplusSession {
  public:
    GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    ~GdiplusSession();
    bool Ok() const { return ok_; }
    static int Holders();

  private:
    bool ok_ = false;
};

// A GDI+ font of the face when it exists, else a generic sans-serif family, else the first installed family,
// so that text is always drawn. Size in pixels.
std::unique_ptr<Gdiplus::Font> MakeGdiplusFont(const wchar_t* face, float pixels, int style = 0);
// The family MakeGdiplusFont would use for the face (the face itself when installed).
bool FontFaceInstalled(const wchar_t* face);
// True when the font MakeGdiplusFont picks for the face has a glyph for every character of the sample; Wine's
// GDI+ draws boxes, without falling back to another font, where it has none.
bool FontDrawsText(const wchar_t* face, std::wstring_view sample);

// ARGB as the design writes it (0xAARRGGBB).
inline Gdiplus::Color Argb(unsigned argb) {
    return Gdiplus::Color(static_cast<Gdiplus::ARGB>(argb));
}

}  // namespace vela
