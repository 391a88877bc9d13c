#include "gui/win/mem_dc_win32.h"

#include <cstring>

#include "gui/win/window_win32.h"

namespace vela {
namespace {

constexpr COLORREF kBlankColour = RGB(240, 240, 240);

// Frees a movable global memory block on scope exit.
class GlobalBlock {
  public:
    explicit GlobalBlock(SIZE_T size) : h_(GlobalAlloc(GMEM_MOVEABLE, size)) {}
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    ~GlobalBlock() {
        if (h_)
            GlobalFree(h_);
    }
    HGLOBAL Get() const { return h_; }

  private:
    HGLOBAL h_;
};

}  // namespace

CMemDcClass::CMemDcClass(HWND window, const RECT& rect) {
    WindowDc screen(window);
    if (MakeBlank(rect.right - rect.left, rect.bottom - rect.top, screen.Get())) {
        size_ = {0, 0, rect.right - rect.left, rect.bottom - rect.top};
    }
}

bool CMemDcClass::Load(int bitmap_id, HWND window) {
    Release();
    // In the screen's format: composing into the 8-bit skins themselves would reduce every colour drawn on
    // them to their palettes.
    UniqueBitmap bitmap(static_cast<HBITMAP>(
        LoadImageW(ResourceModule(), MAKEINTRESOURCEW(bitmap_id), IMAGE_BITMAP, 0, 0, 0)));
    if (!bitmap)
        return false;
    BITMAP info{};
    GetObjectW(bitmap.Get(), sizeof(info), &info);
    WindowDc screen(window);
    if (!store_.Take(UniqueDc(CreateCompatibleDC(screen.Get())), std::move(bitmap)))
        return false;
    size_ = {0, 0, info.bmWidth, info.bmHeight};
    return true;
}

void CMemDcClass::Release() {
    store_.Reset();
}

bool CMemDcClass::MakeBlank(int width, int height, HDC reference) {
    if (width <= 0 || height <= 0)
        return false;
    UniqueDc dc(CreateCompatibleDC(reference));
    if (!dc)
        return false;
    UniqueBitmap bitmap(CreateCompatibleBitmap(reference, width, height));
    if (!bitmap)
        return false;
    // A store that grows keeps its DC: controls hold it as their parent's background, and a new one would
    // leave them copying from a deleted DC (black faces) after a maximise.
    if (store_) {
        store_.Replace(std::move(bitmap));
        return true;
    }
    return store_.Take(std::move(dc), std::move(bitmap));
}

void CMemDcClass::Resize(int left, int top, int right, int bottom, HDC reference) {
    const int width = right - left;
    const int height = bottom - top;
    if (width <= 0 || height <= 0)
        return;
    // A memory DC as reference would give a monochrome bitmap; the screen's format is what is meant.
    HDC screen = GetDC(nullptr);
    const bool ok =
        MakeBlank(width, height, reference && GetObjectType(reference) != OBJ_MEMDC ? reference : screen);
    ReleaseDC(nullptr, screen);
    if (!ok)
        return;
    size_ = {left, top, right, bottom};
    UniqueBrush brush(CreateSolidBrush(kBlankColour));
    ScopedSelect select_brush(store_.Dc(), brush.Get());
    Rectangle(store_.Dc(), left, top, right, bottom);
}

void CMemDcClass::Blit(int x, int y, int right, int bottom, HDC source, int source_x, int source_y) {
    if (!Loaded() || size_.right < right || size_.bottom < bottom) {
        // Grown from the origin: a store of (right - x) pixels could not hold a copy placed at x.
        Resize(0, 0, right, bottom, source);
        if (!Loaded())
            return;
    }
    size_.right = std::max<LONG>(size_.right, right);
    size_.bottom = std::max<LONG>(size_.bottom, bottom);
    BitBlt(store_.Dc(), x, y, right - x, bottom - y, source, source_x, source_y, SRCCOPY);
}

void CMemDcClass::Stretch(int x, int y, int right, int bottom, HDC source, int source_left, int source_top,
                          int source_right, int source_bottom) {
    if (!Loaded() || size_.right < right || size_.bottom < bottom) {
        Resize(0, 0, right, bottom, source);
        if (!Loaded())
            return;
    }
    size_.right = right;
    size_.bottom = bottom;
    SetStretchBltMode(store_.Dc(), HALFTONE);
    SetBrushOrgEx(store_.Dc(), 0, 0, nullptr);
    StretchBlt(store_.Dc(), x, y, right - x, bottom - y, source, source_left, source_top,
               source_right - source_left, source_bottom - source_top, SRCCOPY);
}

bool LoadImageResource(int resource_id, const wchar_t* type, std::unique_ptr<Gdiplus::Bitmap>& image) {
    HMODULE module = ResourceModule();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resource_id), type);
    if (!found)
        return false;
    const DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0)
        return false;

    GlobalBlock block(size);
    if (!block.Get())
        return false;
    void* dest = GlobalLock(block.Get());
    if (!dest)
        return false;
    std::memcpy(dest, bytes, size);
    GlobalUnlock(block.Get());

    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block.Get(), FALSE, &stream)) || !stream)
        return false;
    std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromStream(stream));
    bool ok = false;
    std::unique_ptr<Gdiplus::Bitmap> copy;
    if (decoded && decoded->GetLastStatus() == Gdiplus::Ok) {
        // GDI+ may decode lazily from the stream; a copy of its own pixels frees it of the memory block.
        const INT w = static_cast<INT>(decoded->GetWidth());
        const INT h = static_cast<INT>(decoded->GetHeight());
        copy = std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat32bppPARGB);
        if (copy->GetLastStatus() == Gdiplus::Ok) {
            Gdiplus::Graphics g(copy.get());
            g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
            ok = g.DrawImage(decoded.get(), 0, 0, w, h) == Gdiplus::Ok;
        }
    }
    decoded.reset();
    stream->Release();
    if (!ok)
        return false;
    image = std::move(copy);
    return true;
}

}  // namespace vela
