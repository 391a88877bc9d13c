#include <gtest/gtest.h>

#include "gui/support/win_test_support.h"
#include "gui/win/mem_dc_win32.h"
#include "res/resource.h"

namespace vela {
namespace {

class MemDcTest : public ::testing::Test {
  protected:
    testing::HostWindow host{200, 120};
};

TEST_F(MemDcTest, LoadTakesTheBitmapSizeAndMissingBitmapsLeaveItEmpty) {
    CMemDcClass store(IDB_BACKGROUND_MAIN, host.Hwnd());
    EXPECT_TRUE(store.Loaded());
    EXPECT_EQ(store.Size().right, 1066);
    EXPECT_EQ(store.Size().bottom, 704);
    EXPECT_FALSE(store.Load(31000, host.Hwnd()));
    EXPECT_FALSE(store.Loaded());
    store.Release();  // releasing an empty store is harmless
    store.Release();
    EXPECT_FALSE(store.Loaded());
    EXPECT_EQ(store.Dc(), nullptr);
}

TEST_F(MemDcTest, ResizeIgnoresEmptyRectanglesAndBlitGrowsWithLightGrey) {
    WindowDc screen(host.Hwnd());
    CMemDcClass store(host.Hwnd(), RECT{0, 0, 10, 10});
    ASSERT_TRUE(store.Loaded());
    HDC before = store.Dc();
    store.Resize(5, 5, 5, 40, screen.Get());
    store.Resize(0, 9, 20, 3, screen.Get());
    EXPECT_EQ(store.Dc(), before);
    EXPECT_EQ(store.Size().right, 10);

    CMemDcClass source(host.Hwnd(), RECT{0, 0, 8, 8});
    PatBlt(source.Dc(), 0, 0, 8, 8, BLACKNESS);
    store.Blit(0, 0, 8, 8, source.Dc(), 0, 0);  // fits: no growth
    EXPECT_EQ(store.Size().right, 10);
    store.Blit(0, 0, 40, 30, source.Dc(), 0, 0);  // larger than the store: it grows first
    EXPECT_GE(store.Size().right, 40);
    EXPECT_GE(store.Size().bottom, 30);
    const auto pixels = testing::ReadPixels(store.Dc(), 0, 0, 40, 30);
    EXPECT_EQ(pixels.At(3, 3) & 0xFFFFFF, 0u);           // copied from the source
    EXPECT_EQ(pixels.At(30, 20) & 0xFFFFFF, 0xF0F0F0u);  // the new area outside the copy
}

TEST_F(MemDcTest, StretchScalesTheWholeSource) {
    CMemDcClass background(IDB_BACKGROUND_MAIN, host.Hwnd());
    CMemDcClass store;
    store.Stretch(0, 0, 533, 352, background.Dc(), 0, 0, 1066, 704);
    ASSERT_TRUE(store.Loaded());
    EXPECT_EQ(store.Size().right, 533);
    EXPECT_EQ(store.Size().bottom, 352);
}

TEST(LoadImageResourceTest, LoadsPngsAndLeavesTheImageAloneOnFailure) {
    GdiplusSession session;
    std::unique_ptr<Gdiplus::Bitmap> image;
    ASSERT_TRUE(LoadImageResource(IDP_VALUE_CONTROL, L"PNG", image));
    ASSERT_NE(image, nullptr);
    EXPECT_GE(image->GetWidth(), 322u);
    EXPECT_EQ(image->GetHeight(), 33u);
    Gdiplus::Bitmap* kept = image.get();
    EXPECT_FALSE(LoadImageResource(777, L"PNG", image));
    EXPECT_FALSE(LoadImageResource(IDP_VALUE_CONTROL, L"GIF", image));
    EXPECT_EQ(image.get(), kept);
}

}  // namespace
}  // namespace vela
