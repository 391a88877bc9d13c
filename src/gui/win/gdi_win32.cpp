#include "gui/win/gdi_win32.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vela {

bool SelectedBitmap::Take(UniqueDc dc, UniqueBitmap bitmap) {
    Reset();
    if (!dc || !bitmap)
        return false;
    previous_ = SelectObject(dc.Get(), bitmap.Get());
    dc_ = std::move(dc);
    bitmap_ = std::move(bitmap);
    return true;
}

void SelectedBitmap::Replace(UniqueBitmap bitmap) {
    if (!dc_ || !bitmap)
        return;
    SelectObject(dc_.Get(), bitmap.Get());
    bitmap_ = std::move(bitmap);
}

void SelectedBitmap::Reset() {
    if (dc_ && previous_)
        SelectObject(dc_.Get(), previous_);
    previous_ = nullptr;
    bitmap_.Reset();
    dc_.Reset();
}
namespace {

std::mutex g_session_mutex;
int g_session_holders = 0;
ULONG_PTR g_session_token = 0;

}  // namespace

GdiplusSession::GdiplusSession() {
    std::lock_guard lock(g_session_mutex);
    if (g_session_holders == 0) {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&g_session_token, &input, nullptr) != Gdiplus::Ok)
            return;
    }
    ++g_session_holders;
    ok_ = true;
}

GdiplusSession::~GdiplusSession() {
    if (!ok_)
        return;
    std::lock_guard lock(g_session_mutex);
    if (--g_session_holders == 0)
        Gdiplus::GdiplusShutdown(g_session_token);
}

int GdiplusSession::Holders() {
    std::lock_guard lock(g_session_mutex);
    return g_session_holders;
}

bool FontFaceInstalled(const wchar_t* face) {
    if (!face || !*face)
        return false;
    Gdiplus::FontFamily family(face);
    return family.IsAvailable() && family.GetLastStatus() == Gdiplus::Ok;
}

bool FontDrawsText(const wchar_t* face, std::wstring_view sample) {
    constexpr float kProbePixels = 16.0f;
    const auto font = MakeGdiplusFont(face, kProbePixels);
    if (!font || sample.empty())
        return font != nullptr;
    Gdiplus::FontFamily family;
    wchar_t name[LF_FACESIZE] = {};
    if (font->GetFamily(&family) != Gdiplus::Ok || family.GetFamilyName(name) != Gdiplus::Ok)
        return false;
    UniqueFont gdi_font(CreateFontW(-static_cast<int>(kProbePixels), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH, name));
    UniqueDc dc(CreateCompatibleDC(nullptr));
    if (!gdi_font || !dc)
        return false;
    ScopedSelect select(dc.Get(), gdi_font.Get());
    std::vector<WORD> glyphs(sample.size());
    if (GetGlyphIndicesW(dc.Get(), sample.data(), static_cast<int>(sample.size()), glyphs.data(),
                         GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
        return false;
    constexpr WORD kMissingGlyph = 0xFFFF;
    return std::find(glyphs.begin(), glyphs.end(), kMissingGlyph) == glyphs.end();
}

std::unique_ptr<Gdiplus::Font> MakeGdiplusFont(const wchar_t* face, float pixels, int style) {
    if (pixels < 1.0f)
        pixels = 1.0f;
    if (FontFaceInstalled(face)) {
        auto font = std::make_unique<Gdiplus::Font>(face, pixels, style, Gdiplus::UnitPixel);
        if (font->IsAvailable())
            return font;
    }
    // "Arial Bold" names a face only where a font registers it so; elsewhere it is Arial in bold.
    if (face) {
        const std::wstring_view name(face);
        constexpr std::wstring_view kBold = L" Bold";
        if (name.size() > kBold.size() && name.ends_with(kBold)) {
            const std::wstring base(name.substr(0, name.size() - kBold.size()));
            if (FontFaceInstalled(base.c_str())) {
                auto font = std::make_unique<Gdiplus::Font>(
                    base.c_str(), pixels, style | Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
                if (font->IsAvailable())
                    return font;
            }
        }
    }
    if (const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif();
        generic && generic->IsAvailable()) {
        auto font = std::make_unique<Gdiplus::Font>(generic, pixels, style, Gdiplus::UnitPixel);
        if (font->IsAvailable())
            return font;
    }
    Gdiplus::InstalledFontCollection installed;
    const INT count = installed.GetFamilyCount();
    if (count > 0) {
        std::vector<Gdiplus::FontFamily> families(static_cast<std::size_t>(count));
        INT found = 0;
        installed.GetFamilies(count, families.data(), &found);
        for (INT i = 0; i < found; ++i) {
            auto font = std::make_unique<Gdiplus::Font>(&families[static_cast<std::size_t>(i)], pixels, style,
                                                        Gdiplus::UnitPixel);
            if (font->IsAvailable())
                return font;
        }
    }
    return nullptr;
}

}  // namespace vela
