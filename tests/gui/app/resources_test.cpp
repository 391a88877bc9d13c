// The linked resources match what the code draws from them: sizes, strips and the version the update
// check reads.
#include <gtest/gtest.h>

#include <vector>

#include "gui/support/win_test_support.h"
#include "gui/win/mem_dc_win32.h"
#include "res/resource.h"

namespace vela {
namespace {

struct PngSize {
    int id;
    unsigned min_width;
    unsigned height;
    unsigned frames;  // the width must divide into this many frames
};

TEST(ResourcesTest, SkinsHaveTheSizesTheControlsCutThemAt) {
    GdiplusSession session;
    const PngSize skins[] = {
        {IDP_TITLE_CLOSE, 80, 20, 4},  {IDP_TITLE_MAXIMISE, 80, 20, 4}, {IDP_TITLE_TRAY, 80, 20, 4},
        {IDP_TAB, 360, 36, 4},         {IDP_VALUE_CONTROL, 322, 33, 1}, {IDP_COMBO, 338, 19, 2},
        {IDP_BUTTON_ACCENT, 80, 0, 4}, {IDP_BUTTON, 80, 0, 4},          {IDP_LINK_STATE, 360, 26, 4},
        {IDP_COMBO_MAIN, 200, 19, 2},  {IDP_BUTTON_WIDE, 80, 0, 4},     {IDP_BAND_EDITOR, 99, 0, 1},
    };
    for (const PngSize& skin : skins) {
        std::unique_ptr<Gdiplus::Bitmap> image;
        ASSERT_TRUE(LoadImageResource(skin.id, L"PNG", image)) << skin.id;
        EXPECT_GE(image->GetWidth(), skin.min_width) << skin.id;
        if (skin.height) {
            EXPECT_EQ(image->GetHeight(), skin.height) << skin.id;
        }
        EXPECT_EQ(image->GetWidth() % skin.frames, 0u) << skin.id;
    }
    // The band editor's sprites reach down to row 254.
    std::unique_ptr<Gdiplus::Bitmap> band;
    ASSERT_TRUE(LoadImageResource(IDP_BAND_EDITOR, L"PNG", band));
    EXPECT_GE(band->GetHeight(), 254u);
    // The value control's sprites are opaque where the control cuts them out, transparent around the face's
    // caption band so that the page shows through.
    std::unique_ptr<Gdiplus::Bitmap> fader;
    ASSERT_TRUE(LoadImageResource(IDP_VALUE_CONTROL, L"PNG", fader));
    Gdiplus::Color c;
    fader->GetPixel(268, 24, &c);  // normal thumb centre
    EXPECT_EQ(c.GetAlpha(), 255);
    fader->GetPixel(60, 5, &c);  // caption band
    EXPECT_EQ(c.GetAlpha(), 0);
}

TEST(ResourcesTest, BitmapsAndIconLoad) {
    testing::HostWindow host(100, 60);
    for (int id : {IDB_BACKGROUND_MAIN, IDB_BACKGROUND_MIC, IDB_BACKGROUND_SYSTEM}) {
        CMemDcClass store(id, host.Hwnd());
        ASSERT_TRUE(store.Loaded()) << id;
        EXPECT_EQ(store.Size().right, 1066);
        EXPECT_EQ(store.Size().bottom, 704);
    }
    for (int id : {IDB_PROGRESS_EMPTY, IDB_PROGRESS_FULL}) {
        CMemDcClass store(id, host.Hwnd());
        ASSERT_TRUE(store.Loaded()) << id;
        EXPECT_EQ(store.Size().right, 541);
        EXPECT_EQ(store.Size().bottom, 161);
    }
    HICON icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VELA), IMAGE_ICON, 32, 32, 0));
    EXPECT_NE(icon, nullptr);
    if (icon)
        DestroyIcon(icon);
}

TEST(ResourcesTest, FileVersionIsThreePointOne) {
    wchar_t path[MAX_PATH]{};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<std::uint8_t> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length));
    EXPECT_EQ(HIWORD(info->dwFileVersionMS), 3);
    EXPECT_EQ(LOWORD(info->dwFileVersionMS), 1);
}

}  // namespace
}  // namespace vela
