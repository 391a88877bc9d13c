#include "core/ui/main_layout.h"

#include <gtest/gtest.h>

#include <utility>

#include "core/text/strings.h"
#include "core/text/utf8.h"
#include "core/ui/value_control_math.h"

namespace vela {
namespace {

TEST(MainLayoutTest, DesignSizeKeepsTheDesignPositions) {
    const auto l = ComputeMainLayout(kDesignWidth, kDesignHeight);
    ASSERT_TRUE(l);
    EXPECT_DOUBLE_EQ(l->s, 1.0);
    EXPECT_EQ(l->title_buttons[2], (Rect{1021, 12, 1041, 32}));
    EXPECT_EQ(l->title_buttons[3], (Rect{954, 50, 1044, 76}));
    EXPECT_EQ(l->tabs[0], (Rect{20, 40, 110, 76}));
    EXPECT_EQ(l->tabs[7], (Rect{650, 40, 740, 76}));
    EXPECT_EQ(l->page, (Rect{0, 130, 1066, 704}));
}

TEST(MainLayoutTest, BelowHalfTheDesignSizeNothingIsLaidOut) {
    EXPECT_FALSE(ComputeMainLayout(600, 300));  // s = 0.43 from the height
    EXPECT_FALSE(ComputeMainLayout(500, 704));  // from the width
    EXPECT_FALSE(ComputeMainLayout(0, 0));
    EXPECT_FALSE(ComputeMainLayout(-5, 900));
    EXPECT_TRUE(ComputeMainLayout(533, 352));  // exactly half
}

// At the smallest client the window allows, the captions are still legible; a pixel less and they would
// not be.
TEST(MainLayoutTest, TheSmallestClientKeepsEveryCaptionLegible) {
    const Rect least = MinimumClientRect();
    const auto l = ComputeMainLayout(least.Width(), least.Height());
    ASSERT_TRUE(l);
    for (int font : {l->title_font, l->tab_font, l->model_font, l->caption_font})
        EXPECT_GE(font, kSmallestCaptionPx);
    EXPECT_GE(kSmallestCaptionDesignPx * l->s, kSmallestCaptionPx) << "the pages' captions";
    const Rect fader = l->faders[0];
    EXPECT_GE(ComputeValueGeometry(fader.Width(), fader.Height(), true, false).caption_font_height,
              kSmallestCaptionPx);
    // A page's value control is 33 design pixels high.
    const int page_control = static_cast<int>(33 * l->s);
    EXPECT_GE(ComputeValueGeometry(100, page_control, true, true).caption_font_height, kSmallestCaptionPx);
    for (const auto& [w, h] :
         {std::pair{least.Width() - 1, least.Height()}, std::pair{least.Width(), least.Height() - 1}}) {
        const auto smaller = ComputeMainLayout(w, h);
        ASSERT_TRUE(smaller);
        EXPECT_LT(kSmallestCaptionDesignPx * smaller->s, kSmallestCaptionPx) << w << " x " << h;
    }
}

TEST(MainLayoutTest, ScalesPositionsBySxAndSyAndHeightsOfTitleButtonsAndFadersByS) {
    // A wide window: sx = 2, sy = 1.25, s = 1.25.
    const auto l = ComputeMainLayout(2132, 880);
    ASSERT_TRUE(l);
    EXPECT_DOUBLE_EQ(l->sx, 2.0);
    EXPECT_DOUBLE_EQ(l->sy, 1.25);
    EXPECT_DOUBLE_EQ(l->s, 1.25);
    // Close: left 1021 * 2, width 20 * 2, top 12 * 1.25 = 15, height 20 * 1.25 + 0.5 truncated.
    EXPECT_EQ(l->title_buttons[2], (Rect{2042, 15, 2082, 40}));
    // Tabs scale their height by sy.
    EXPECT_EQ(l->tabs[1], (Rect{220, 50, 400, 95}));
    // Faders: x by sx, y by sy, size by s.
    EXPECT_EQ(l->faders[0], (Rect{52, 112, 52 + 212, 112 + 41}));
    EXPECT_EQ(l->page.top, 162);
    EXPECT_EQ(l->page.right, 2132);
    EXPECT_EQ(l->page.bottom, 880);
    EXPECT_EQ(l->tab_font, 18);
    EXPECT_EQ(l->title_font, 15);
}

TEST(MainLayoutTest, HiddenTabsAndFadersAreOffScreenWithTheirSize) {
    const auto l = ComputeMainLayout(kDesignWidth, kDesignHeight);
    ASSERT_TRUE(l);
    for (int tab : {8, 9}) {
        EXPECT_EQ(l->tabs[tab].left, kOffScreen);
        EXPECT_EQ(l->tabs[tab].Width(), 90);
    }
    // MIC VOL B is hidden: Effect takes the third slot.
    EXPECT_EQ(l->faders[0].left, 26);
    EXPECT_EQ(l->faders[1].left, 197);
    EXPECT_EQ(l->faders[3].left, 368);
    EXPECT_EQ(l->faders[2].top, kOffScreen);
    EXPECT_EQ(l->faders[2].Height(), 33);

    LayoutVisibility all_faders;
    all_faders.faders = {true, true, true, true};
    all_faders.title_buttons[1] = false;
    const auto m = ComputeMainLayout(kDesignWidth, kDesignHeight, all_faders);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->faders[2].left, 368);
    EXPECT_EQ(m->faders[3].left, 539);
    EXPECT_EQ(m->title_buttons[1].left, kOffScreen);
    EXPECT_EQ(m->title_buttons[1].Width(), 20);
}

TEST(MainLayoutTest, OwnControlsStayInsideTheClientAtEveryScale) {
    for (int w : {533, 800, 1066, 1366, 1920, 2560}) {
        for (int h : {352, 600, 704, 768, 1080, 1440}) {
            const auto l = ComputeMainLayout(w, h);
            ASSERT_TRUE(l) << w << "x" << h;
            const auto inside = [&](const Rect& r) {
                return r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h && r.Width() > 0 &&
                       r.Height() > 0;
            };
            for (int i = 0; i < kTitleButtonCount; ++i)
                EXPECT_TRUE(inside(l->title_buttons[i])) << w << "x" << h << " button " << i;
            for (int i = 0; i < 8; ++i)
                EXPECT_TRUE(inside(l->tabs[i])) << w << "x" << h << " tab " << i;
            EXPECT_TRUE(inside(l->music_source));
            EXPECT_TRUE(inside(l->music_input_caption));
            EXPECT_TRUE(inside(l->model_label));
            // Nothing of the window's own rows reaches into the page area.
            EXPECT_LE(l->faders[0].bottom, l->page.top + 1);
            EXPECT_LE(l->music_source.bottom, l->page.top);
            EXPECT_LE(l->music_input_caption.right, l->music_source.left);
        }
    }
}

TEST(VelaOptionsTest, DeviceDefaultsToUsbAndTakesEveryForm) {
    auto p = ParseVelaOptions(L"");
    ASSERT_TRUE(p.options);
    EXPECT_EQ(p.options->device.kind, DeviceSpec::Kind::kUsb);
    EXPECT_TRUE(p.options->screenshots.empty());
    EXPECT_TRUE(p.options->update_host.empty());

    p = ParseVelaOptions(L"--device sim");
    ASSERT_TRUE(p.options);
    EXPECT_EQ(p.options->device.kind, DeviceSpec::Kind::kSim);

    // One processor among several, by the device path velactl list shows.
    p = ParseVelaOptions(
        L"--device "
        L"\"usb:\\\\?\\hid#vid_4084&pid_4357#7&1a2b&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}\"");
    ASSERT_TRUE(p.options) << std::string(p.error.begin(), p.error.end());
    EXPECT_EQ(p.options->device.kind, DeviceSpec::Kind::kUsb);
    EXPECT_EQ(p.options->device.path,
              "\\\\?\\hid#vid_4084&pid_4357#7&1a2b&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}");

    p = ParseVelaOptions(
        L"  --device \"tcp:127.0.0.1:4500\"  --screenshots \"C:\\a b\\shots\" "
        L"--screenshot-timeout 30 --update-host 127.0.0.1:24600");
    ASSERT_TRUE(p.options) << std::string(p.error.begin(), p.error.end());
    EXPECT_EQ(p.options->update_host, "127.0.0.1:24600");
    EXPECT_EQ(p.options->device.kind, DeviceSpec::Kind::kTcp);
    EXPECT_EQ(p.options->device.host, "127.0.0.1");
    EXPECT_EQ(p.options->device.port, 4500);
    EXPECT_EQ(p.options->screenshots, L"C:\\a b\\shots");
    EXPECT_EQ(p.options->screenshot_timeout_s, 30);

    // The token file, before or after the device, in UTF-8 whatever its letters.
    p = ParseVelaOptions(L"--token-file \"D:\\房间\\a.token\" --device tcp:10.0.0.5:4357");
    ASSERT_TRUE(p.options) << std::string(p.error.begin(), p.error.end());
    EXPECT_EQ(p.options->device.host, "10.0.0.5");
    EXPECT_EQ(p.options->device.token_file, "D:\\\xE6\x88\xBF\xE9\x97\xB4\\a.token");
    // A scene file as the processor, in a folder with Chinese letters.
    p = ParseVelaOptions(L"--device \"file:D:\\房间\\a.lub\"");
    ASSERT_TRUE(p.options) << std::string(p.error.begin(), p.error.end());
    EXPECT_EQ(p.options->device.path, "D:\\\xE6\x88\xBF\xE9\x97\xB4\\a.lub");
}

TEST(VelaOptionsTest, RefusesWhatItCannotUseWithAMessage) {
    for (const wchar_t* bad :
         {L"--device", L"--device serial", L"--device tcp:host", L"--devic sim", L"sim", L"--screenshots",
          L"--screenshot-timeout 0", L"--screenshot-timeout x", L"--screenshot-timeout 9999999",
          L"--update-host", L"--update-host \"a b\"", L"--update-host host:0", L"--update-host 更新.example",
          L"--device sim --token-file"}) {
        const auto p = ParseVelaOptions(bad);
        EXPECT_FALSE(p.options) << std::wstring(bad).size();
        EXPECT_FALSE(p.error.empty());
    }
}

// A double-click on a scene file starts the program with the file's path alone.
TEST(VelaOptionsTest, AScenePathAloneOpensTheFileAsTheProcessor) {
    struct Case {
        const wchar_t* line;
        const char* path;  // UTF-8; nullptr: refused
    };
    const Case cases[] = {
        {L"\"D:\\房间 1\\大厅.lub\"", "D:\\\xE6\x88\xBF\xE9\x97\xB4 1\\\xE5\xA4\xA7\xE5\x8E\x85.lub"},
        {L"C:\\rooms\\A.LUB --update-host 127.0.0.1", "C:\\rooms\\A.LUB"},
        {L"--screenshots C:\\shots a.Lub", "a.Lub"},
        {L"file.lub.txt", nullptr},
        {L".lub", nullptr},
        {L"a.lub b.lub", nullptr},
        {L"a.lub --device sim", nullptr},
        {L"--device sim a.lub", nullptr},
        {L"--device usb \"file:x.lub\"", nullptr},
    };
    for (const Case& c : cases) {
        const auto p = ParseVelaOptions(c.line);
        if (c.path == nullptr) {
            EXPECT_FALSE(p.options) << ToUtf8(c.line);
            EXPECT_FALSE(p.error.empty()) << ToUtf8(c.line);
            continue;
        }
        ASSERT_TRUE(p.options) << ToUtf8(c.line) << ": " << ToUtf8(p.error);
        EXPECT_EQ(p.options->device.kind, DeviceSpec::Kind::kFile) << ToUtf8(c.line);
        EXPECT_EQ(p.options->device.path, c.path);
    }
}

TEST(VelaOptionsTest, SplitsLikeTheWindowsCommandLine) {
    using V = std::vector<std::wstring>;
    EXPECT_EQ(SplitCommandLine(L""), V{});
    EXPECT_EQ(SplitCommandLine(L" a\t b "), (V{L"a", L"b"}));
    EXPECT_EQ(SplitCommandLine(L"\"a b\" c"), (V{L"a b", L"c"}));
    EXPECT_EQ(SplitCommandLine(L"a\"b c\"d"), (V{L"ab cd"}));
    EXPECT_EQ(SplitCommandLine(L"C:\\dir\\ \"C:\\x y\\\\\""), (V{L"C:\\dir\\", L"C:\\x y\\"}));
    EXPECT_EQ(SplitCommandLine(L"a\\\"b"), (V{L"a\"b"}));
    EXPECT_EQ(SplitCommandLine(L"\"\""), (V{L""}));
}

TEST(InitialWindowRectTest, DesignSizeAtTheMonitorsScalingHeldInsideItsWorkArea) {
    const Rect big{0, 0, 3840, 2120};
    EXPECT_EQ(InitialWindowRect(96, big), (Rect{0, 0, 1066, 704}));
    EXPECT_EQ(InitialWindowRect(0, big), (Rect{0, 0, 1066, 704}));
    EXPECT_EQ(InitialWindowRect(144, big), (Rect{0, 0, 1599, 1056}));
    EXPECT_EQ(InitialWindowRect(192, big), (Rect{0, 0, 2132, 1408}));
    // A taskbar on the left or at the top moves the work area's corner.
    EXPECT_EQ(InitialWindowRect(120, Rect{48, 30, 1920, 1080}), (Rect{48, 30, 48 + 1333, 30 + 880}));

    // Too large for the screen: smaller, same aspect, never past the work area.
    for (const Rect work :
         {Rect{0, 0, 1280, 770}, Rect{0, 0, 1366, 728}, Rect{0, 0, 800, 570}, Rect{100, 0, 1380, 1024}}) {
        for (const int dpi : {96, 144, 192}) {
            const Rect r = InitialWindowRect(dpi, work);
            EXPECT_LE(r.right, work.right) << dpi;
            EXPECT_LE(r.bottom, work.bottom) << dpi;
            EXPECT_EQ(r.left, work.left);
            const double aspect = static_cast<double>(r.Width()) / r.Height();
            EXPECT_NEAR(aspect, static_cast<double>(kDesignWidth) / kDesignHeight, 0.01) << dpi;
            // One side fills its room, or the whole window fits as designed.
            EXPECT_TRUE(r.Width() >= work.Width() - 1 || r.Height() >= work.Height() - 1 ||
                        (r.Width() == ScaleForDpi(kDesignWidth, dpi)))
                << dpi;
        }
    }
    // A work area the system could not tell leaves the scaled size alone.
    EXPECT_EQ(InitialWindowRect(144, Rect{}), (Rect{0, 0, 1599, 1056}));
}

TEST(InitialWindowRectTest, DpiScalingRounds) {
    EXPECT_EQ(ScaleForDpi(12, 144), 18);
    EXPECT_EQ(ScaleForDpi(15, 120), 19);  // 18.75
    EXPECT_EQ(ScaleForDpi(1, 48), 1);     // a positive size never vanishes
    EXPECT_EQ(ScaleForDpi(0, 144), 0);
    EXPECT_EQ(ScaleForDpi(704, -5), 704);
}

TEST(ChooseLanguageTest, StoredValueWinsOnlyWhenItNamesALanguage) {
    EXPECT_EQ(ChooseLanguage(0, 0x409), kLanguageSimplified);
    EXPECT_EQ(ChooseLanguage(1, 0x804), kLanguageTraditional);
    EXPECT_EQ(ChooseLanguage(2, 0x804), kLanguageEnglish);
    // Missing (-1) or damaged values fall back to the locale.
    EXPECT_EQ(ChooseLanguage(-1, 0xC04), kLanguageTraditional);
    EXPECT_EQ(ChooseLanguage(3, 0x804), kLanguageSimplified);
    EXPECT_EQ(ChooseLanguage(77, 0x409), kLanguageEnglish);
    EXPECT_EQ(ChooseLanguage(-1, 0x404), kLanguageTraditional);
}

}  // namespace
}  // namespace vela
