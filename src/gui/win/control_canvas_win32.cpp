#include "gui/win/control_canvas_win32.h"

#include <algorithm>
#include <memory>

#include "core/ui/text_layout.h"

namespace vela {
namespace {

constexpr COLORREF kNoBackground = RGB(0xF0, 0xF0, 0xF0);

}  // namespace

void DrawSprite(Gdiplus::Graphics& g, Gdiplus::Image* image, const Gdiplus::RectF& dest, const Rect& src) {
    if (!image || dest.Width <= 0 || dest.Height <= 0 || src.Width() <= 0 || src.Height() <= 0)
        return;
    // Skins hold several sprites side by side, and stretching samples beyond the source rectangle: the
    // neighbouring sprite would show as a coloured seam. The sprite is cloned out first, and its own edges
    // are mirrored.
    std::unique_ptr<Gdiplus::Bitmap> sprite;
    if (image->GetType() == Gdiplus::ImageTypeBitmap) {
        sprite.reset(static_cast<Gdiplus::Bitmap*>(image)->Clone(src.left, src.top, src.Width(), src.Height(),
                                                                 PixelFormat32bppARGB));
    }
    if (!sprite || sprite->GetLastStatus() != Gdiplus::Ok) {
        g.DrawImage(image, dest, static_cast<Gdiplus::REAL>(src.left), static_cast<Gdiplus::REAL>(src.top),
                    static_cast<Gdiplus::REAL>(src.Width()), static_cast<Gdiplus::REAL>(src.Height()),
                    Gdiplus::UnitPixel);
        return;
    }
    Gdiplus::ImageAttributes edges;
    edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    g.DrawImage(sprite.get(), dest, 0, 0, static_cast<Gdiplus::REAL>(src.Width()),
                static_cast<Gdiplus::REAL>(src.Height()), Gdiplus::UnitPixel, &edges);
}

void ApplyTextFlags(Gdiplus::StringFormat& format, int text_flags) {
    format.SetFormatFlags((text_flags & kTextSingleLine)
                              ? Gdiplus::StringFormatFlagsNoWrap | Gdiplus::StringFormatFlagsNoClip
                              : Gdiplus::StringFormatFlagsNoClip);
    format.SetAlignment((text_flags & kTextCentre)  ? Gdiplus::StringAlignmentCenter
                        : (text_flags & kTextRight) ? Gdiplus::StringAlignmentFar
                                                    : Gdiplus::StringAlignmentNear);
    format.SetLineAlignment((text_flags & kTextMiddle)   ? Gdiplus::StringAlignmentCenter
                            : (text_flags & kTextBottom) ? Gdiplus::StringAlignmentFar
                                                         : Gdiplus::StringAlignmentNear);
    format.SetTrimming(Gdiplus::StringTrimmingNone);
}

LRESULT CopyTextOut(const std::wstring& text, WPARAM capacity, LPARAM buffer) {
    auto* out = reinterpret_cast<wchar_t*>(buffer);
    const std::size_t size = static_cast<std::size_t>(capacity);
    if (!out || size == 0)
        return 0;
    const std::size_t n = std::min(text.size(), size - 1);
    text.copy(out, n);
    out[n] = L'\0';
    return static_cast<LRESULT>(n);
}

POINT ControlOrigin(HWND control, int level) {
    POINT origin{0, 0};
    HWND reference = level > 0 ? GetAncestor(control, GA_ROOT) : GetParent(control);
    if (reference && reference != control)
        MapWindowPoints(control, reference, &origin, 1);
    return origin;
}

bool OffscreenBuffer::Ensure(int width, int height) {
    if (width <= 0 || height <= 0)
        return false;
    if (memory_ && width == width_ && height == height_)
        return true;
    Reset();
    HDC screen = GetDC(nullptr);
    UniqueDc dc(CreateCompatibleDC(screen));
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen, width, height));
    ReleaseDC(nullptr, screen);
    if (!memory_.Take(std::move(dc), std::move(bitmap)))
        return false;
    width_ = width;
    height_ = height;
    return true;
}

void OffscreenBuffer::Reset() {
    memory_.Reset();
    width_ = height_ = 0;
}

bool ControlCanvas::EnsureBackground(HWND control, HDC parent_background) {
    RECT client{};
    GetClientRect(control, &client);
    const int w = client.right;
    const int h = client.bottom;
    if (w != background_.Width() || h != background_.Height())
        background_valid_ = false;
    if (background_valid_)
        return true;
    if (!background_.Ensure(w, h) || !face_.Ensure(w, h))
        return false;
    if (parent_background) {
        const POINT origin = ControlOrigin(control);
        BitBlt(background_.Dc(), 0, 0, w, h, parent_background, origin.x, origin.y, SRCCOPY);
    } else {
        UniqueBrush brush(CreateSolidBrush(kNoBackground));
        FillRect(background_.Dc(), &client, brush.Get());
    }
    background_valid_ = true;
    return true;
}

HDC ControlCanvas::BeginFace() {
    if (!face_.Dc())
        return nullptr;
    BitBlt(face_.Dc(), 0, 0, face_.Width(), face_.Height(), background_.Dc(), 0, 0, SRCCOPY);
    return face_.Dc();
}

void ControlCanvas::CopyTo(HDC dc, int x, int y) const {
    if (face_.Dc())
        BitBlt(dc, x, y, face_.Width(), face_.Height(), face_.Dc(), 0, 0, SRCCOPY);
}

void ControlCanvas::CopyPartTo(HDC dc, const RECT& part) const {
    if (face_.Dc())
        BitBlt(dc, part.left, part.top, part.right - part.left, part.bottom - part.top, face_.Dc(), part.left,
               part.top, SRCCOPY);
}

}  // namespace vela
