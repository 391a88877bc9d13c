#include "gui/win/screenshot_win32.h"

#include <filesystem>
#include <fstream>
#include <vector>

#include "core/text/utf8.h"
#include "gui/win/gdi_win32.h"

namespace vela {
namespace {

bool PngEncoder(CLSID& clsid) {
    UINT count = 0;
    UINT size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    if (size == 0)
        return false;
    std::vector<std::uint8_t> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(encoders[i].MimeType) == L"image/png") {
            clsid = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

void WriteLine(const std::wstring& folder, const wchar_t* name, const std::wstring& line, bool append) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    std::ofstream out(std::filesystem::path(folder) / name,
                      append ? std::ios::binary | std::ios::app : std::ios::binary | std::ios::trunc);
    out << ToUtf8(line) << "\n";
}

}  // namespace

bool SavePng(HDC dc, int x, int y, int width, int height, const std::wstring& path) {
    if (!dc || width <= 0 || height <= 0)
        return false;
    GdiplusSession session;
    if (!session.Ok())
        return false;
    UniqueDc mem(CreateCompatibleDC(dc));
    UniqueBitmap bitmap(CreateCompatibleBitmap(dc, width, height));
    if (!mem || !bitmap)
        return false;
    {
        ScopedSelect select(mem.Get(), bitmap.Get());
        BitBlt(mem.Get(), 0, 0, width, height, dc, x, y, SRCCOPY);
    }
    CLSID png{};
    if (!PngEncoder(png))
        return false;
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    Gdiplus::Bitmap image(bitmap.Get(), nullptr);
    return image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

bool CaptureWindowPng(HWND window, const std::wstring& path) {
    RECT r{};
    if (!GetWindowRect(window, &r))
        return false;
    WindowDc screen(nullptr);
    return SavePng(screen.Get(), r.left, r.top, r.right - r.left, r.bottom - r.top, path);
}

void WriteRunReport(const std::wstring& folder, const std::wstring& line) {
    WriteLine(folder, L"result.txt", line, false);
}

void AppendRunMessage(const std::wstring& folder, const std::wstring& line) {
    WriteLine(folder, L"messages.txt", line, true);
}

}  // namespace vela
