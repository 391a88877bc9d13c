// The gallery: every control of the page vocabulary in its states on one window, saved as a PNG so that a
// person can judge the whole look in one picture.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/ui/text_layout.h"
#include "gui/controls/band_editor_win32.h"
#include "gui/controls/combo_label_win32.h"
#include "gui/controls/image_button_win32.h"
#include "gui/controls/progress_dialog_win32.h"
#include "gui/controls/response_graph_win32.h"
#include "gui/controls/value_control_win32.h"
#include "gui/support/win_test_support.h"
#include "gui/win/mem_dc_win32.h"
#include "res/resource.h"

namespace vela {
namespace {

constexpr unsigned kWhite = 0xFFFFFFFF;
constexpr unsigned kCaptionGrey = 0xC8FFFFFF;
constexpr int kLabelFlags = kTextCentre | kTextMiddle | kTextSingleLine;

class Gallery {
  public:
    Gallery() : host_(1066, 704, L"VELA3.1") {}

    HWND Hwnd() const { return host_.Hwnd(); }
    HDC Background() const { return host_.Background(); }

    CEA_Lum2& Fader(int x, int y, const wchar_t* caption, double value, int w = 170, int h = 33) {
        auto& c = *faders_.emplace_back(std::make_unique<CEA_Lum2>());
        c.Create(Hwnd(), 3024 + static_cast<int>(faders_.size()), RECT{x, y, x + w, y + h});
        c.SetCaptioned(true);
        c.SetTextColour(kWhite);
        return Finish(c, caption, value);
    }
    CEA_Lum2& Finish(CEA_Lum2& c, const wchar_t* caption, double value) {
        c.SetSkin(Background(), IDP_VALUE_CONTROL, 0);
        c.SetCaption(caption);
        c.SetValue(value);
        return c;
    }
    CGDI_Button& Button(int x, int y, int w, int h, int image, const wchar_t* caption, int state,
                        float font = 13) {
        auto& b = *buttons_.emplace_back(std::make_unique<CGDI_Button>());
        b.Create(Hwnd(), 6024, RECT{x, y, x + w, y + h}, caption);
        b.SetSkin(Background(), image);
        b.SetTextStyle(font, L"微软雅黑", 0xFFD8DDE2, kLabelFlags, kWhite);
        b.SetCheck(state);
        return b;
    }
    Clum_CStatic& Label(int x, int y, int w, int h, const wchar_t* text, unsigned fill = 0, int image = 0,
                        float font = 12, unsigned colour = kCaptionGrey) {
        auto& l = *labels_.emplace_back(std::make_unique<Clum_CStatic>());
        l.Create(Hwnd(), 4024, RECT{x, y, x + w, y + h}, text);
        l.SetSkin(Background(), fill, image);
        l.SetTextStyle(font, L"微软雅黑", colour, kLabelFlags);
        l.SetCaption(text);
        return l;
    }
    CLum_ComboBox& Combo(int x, int y, int w, int image, int style, int item) {
        auto& c = *combos_.emplace_back(std::make_unique<CLum_ComboBox>());
        c.Create(Hwnd(), 5024, RECT{x, y, x + w, y + 160});
        for (const wchar_t* s : {L"VOD", L"DVD", L"OPT", L"MP3", L"BT", L"ARC", L"12dB/Oct Butterworth"}) {
            c.AddItem(s);
        }
        c.SetSkin(Background(), image, style);
        c.SetItem(item);
        return c;
    }

  private:
    testing::HostWindow host_;
    std::vector<std::unique_ptr<CEA_Lum2>> faders_;
    std::vector<std::unique_ptr<CGDI_Button>> buttons_;
    std::vector<std::unique_ptr<Clum_CStatic>> labels_;
    std::vector<std::unique_ptr<CLum_ComboBox>> combos_;
};

TEST(GalleryTest, EveryControlInItsStatesSavedAsPng) {
    SetCursorPos(1270, 790);
    Gallery g;
    HWND hwnd = g.Hwnd();
    ASSERT_NE(hwnd, nullptr);

    // Title area: the window's own buttons at their places, and the link state.
    g.Button(955, 12, 20, 20, IDP_TITLE_TRAY, L"", 0);
    g.Button(988, 12, 20, 20, IDP_TITLE_MAXIMISE, L"", 0);
    g.Button(1021, 12, 20, 20, IDP_TITLE_CLOSE, L"", 0);
    g.Label(40, 8, 220, 22, L"VELA3.1", 0, 0, 16, kWhite);
    g.Button(954, 50, 90, 26, IDP_LINK_STATE, L"Successful", 2, 12);
    g.Button(860, 50, 90, 26, IDP_LINK_STATE, L"Search..", 1, 12);
    // Tabs: Main selected, Music hovered.
    const wchar_t* tabs[] = {L"Main", L"Center", L"Sub", L"Music", L"Mic", L"Echo", L"Reverb", L"System"};
    std::vector<CGDI_Button*> tab_buttons;
    for (int i = 0; i < 8; ++i) {
        tab_buttons.push_back(&g.Button(20 + 90 * i, 40, 90, 36, IDP_TAB, tabs[i], i == 0 ? 2 : 1, 15));
    }
    SendMessageW(tab_buttons[3]->Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(40, 18));
    // Master faders, mode buttons, music source.
    g.Fader(26, 90, L"Music: 75%", 75);
    g.Fader(197, 90, L"Mic: 60%", 60);
    g.Fader(368, 90, L"音效: 40%", 40);
    g.Button(800, 85, 77, 18, IDP_BUTTON, L"Hand", 1, 12);
    g.Button(880, 85, 77, 18, IDP_BUTTON, L"Sing", 2, 12);
    g.Button(960, 85, 77, 18, IDP_BUTTON, L"Dance", 1, 12);
    g.Label(800, 106, 90, 19, L"Music Input:", 0, 0, 12);
    g.Combo(890, 106, 100, IDP_COMBO_MAIN, 2, 3);

    // Value controls.
    const int c1 = 24, c2 = 224, c3 = 424, c4 = 624, c5 = 824;
    g.Label(c1, 140, 980, 18,
            L"Value controls: normal · focused · disabled · meter · toggle on/off · plain · 中文", 0, 0, 12);
    g.Fader(c1, 162, L"Threshold:   -20dBu", -20).SetRange(-60, 100);
    auto& focused = g.Fader(c2, 162, L"Attack:   5.0ms", 35);
    auto& disabled = g.Fader(c3, 162, L"Ratio:   1.0", 10);
    disabled.SetEnabled(false);
    auto& meter = g.Fader(c4, 162, L"MIC VOL A: 80%", 80);
    meter.SetMeterMode(true);
    auto& meter_low = g.Fader(c5, 162, L"MIC VOL B: 30%", 30);
    meter_low.SetMeterMode(true);
    auto& toggle_on = *new CEA_Lum2;  // owned below
    std::unique_ptr<CEA_Lum2> toggle_on_owner(&toggle_on);
    toggle_on.Create(hwnd, 3100, RECT{c1, 206, c1 + 170, 239});
    toggle_on.SetCaptioned(true);
    toggle_on.SetToggleMode(true);
    toggle_on.SetTextColour(kWhite);
    g.Finish(toggle_on, L"Delay:   12.5ms", 512.5);
    CEA_Lum2 toggle_off;
    toggle_off.Create(hwnd, 3101, RECT{c2, 206, c2 + 170, 239});
    toggle_off.SetCaptioned(true);
    toggle_off.SetToggleMode(true);
    toggle_off.SetTextColour(kWhite);
    g.Finish(toggle_off, L"Left-Delay:   3.0ms", 3);
    CEA_Lum2 plain;
    plain.Create(hwnd, 3102, RECT{c3, 216, c3 + 170, 235});
    plain.SetSkin(g.Background(), IDP_VALUE_CONTROL, 0);  // no caption
    plain.SetValue(64);
    g.Fader(c4, 206, L"混响音量:   70%", 70);
    g.Fader(c5, 206, L"Echo Vol:   100%", 100, 200, 39);

    // Image buttons.
    g.Label(c1, 452, 980, 18,
            L"Image buttons: push · latched off · latched on · hover · disabled · amber · red · no skin", 0,
            0, 12);
    const int by = 474;
    g.Button(24, by, 100, 26, IDP_BUTTON, L"RESET", 0);
    g.Button(134, by, 100, 26, IDP_BUTTON, L"EQ PASS", 1);
    g.Button(244, by, 100, 26, IDP_BUTTON, L"EQ PASS", 2);
    auto& hover = g.Button(354, by, 100, 26, IDP_BUTTON, L"Hover", 1);
    g.Button(464, by, 100, 26, IDP_BUTTON, L"Disabled", 2).SetEnabled(false);
    g.Button(574, by, 100, 26, IDP_BUTTON_ACCENT, L"MIC A", 2);
    g.Button(684, by, 100, 26, IDP_BUTTON_WIDE, L"Mute", 2);
    g.Button(794, by, 100, 26, 4242, L"(no skin)", 0);
    g.Button(904, by, 60, 26, IDP_BUTTON, L"", 0).SetShown(false);

    // Combo boxes and labels.
    g.Label(c1, 512, 980, 18,
            L"Combo boxes: normal · focused · main-window style · disabled     Labels: plain · fill · image "
            L"· overflow",
            0, 0, 12);
    g.Combo(24, 534, 169, IDP_COMBO, 1, 0);
    auto& focused_combo = g.Combo(204, 534, 169, IDP_COMBO, 1, 6);
    g.Combo(384, 534, 100, IDP_COMBO_MAIN, 2, 4);
    g.Combo(494, 534, 169, IDP_COMBO, 1, 2).SetEnabled(false);
    g.Label(24, 566, 120, 22, L"HPF Slope:", 0, 0, 13, kWhite);
    g.Label(154, 566, 120, 22, L"Fill", 0xFF2B6F8A, 0, 13, kWhite);
    g.Label(284, 566, 88, 22, L"", 0, IDP_TITLE_CLOSE);
    g.Label(414, 566, 80, 22, L"A caption wider than its label", 0x40FFFFFF, 0, 13, kWhite);
    g.Label(24, 596, 300, 22, L"发送 · 讀取 · Read Device Data", 0, 0, 14, kWhite);

    // Band editors: a low shelf, a peaking band, a high shelf.
    CEQ_Lum0 editors[3];
    struct EditorValues {
        int type;
        double gain, hz, q;
    };
    const EditorValues editor_values[] = {{6, 6.0, 80, 0.7}, {7, -4.0, 250, 2.0}, {5, 3.0, 8000, 0.7}};
    for (int i = 0; i < 3; ++i) {
        CEQ_Lum0& e = editors[i];
        ASSERT_TRUE(e.Create(hwnd, 2024 + i, RECT{900 + 54 * i, 250, 947 + 54 * i, 444}));
        e.SetIndex(i);
        e.SetSkin(g.Background(), IDP_BAND_EDITOR, 2);
    }
    testing::Pump();  // the editors lay out their boxes
    for (int i = 0; i < 3; ++i) {
        editors[i].SetField(kFieldType, editor_values[i].type);
        editors[i].SetField(kFieldGain, editor_values[i].gain);
        editors[i].SetField(kFieldFreq, editor_values[i].hz);
        editors[i].SetField(kFieldQ, editor_values[i].q);
    }

    // Response graphs. The first: shelves, peaks, both pass filters, band 3 selected with its Q handles and
    // its value label, the Copy / Paste menu open.
    g.Label(676, 506, 380, 16, L"Response graph: selected band, Q handles, menu", 0, 0, 12);
    CLum_NewScope graph;
    ASSERT_TRUE(graph.Create(hwnd, 2245, RECT{676, 522, 1058, 700}));
    graph.InitBands(7);
    graph.SetPassType(20);
    graph.SetPassFreq(0, 40);
    graph.SetPassType(25);
    graph.SetPassFreq(1, 12000);
    struct Band {
        int type;
        double hz, q, gain;
    };
    const Band bands[] = {{6, 80, 0.7, 6},   {7, 250, 2.0, -4},  {7, 1000, 1.5, 5},      {7, 3000, 4.0, -8},
                          {5, 8000, 0.7, 3}, {7, 12000, 1.0, 0}, {0x8000, 16000, 1.0, 0}};
    for (int b = 0; b < 7; ++b) {
        graph.SetBandType(b, bands[b].type);
        graph.SetBandFreq(b, bands[b].hz);
        graph.SetBandQ(b, bands[b].q);
        graph.SetBandGain(b, bands[b].gain);
    }
    graph.SetMenuEnabled(true);
    const GraphPoint selected = HandleCentre(graph.Model(), kFirstBandHandle + 2);
    SendMessageW(graph.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(selected.x, selected.y));
    SendMessageW(graph.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(selected.x, selected.y));
    SendMessageW(graph.Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(selected.x, selected.y));  // its value label
    SendMessageW(graph.Hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(40, 20));
    EXPECT_TRUE(QHandlesShown(graph.Model()));
    // The second: the EQ passed, over the page's background.
    g.Label(10, 250, 248, 16, L"Response graph: EQ PASS", 0, 0, 12);
    CLum_NewScope passed;
    ASSERT_TRUE(passed.Create(hwnd, 2245, RECT{10, 266, 258, 444}));
    passed.SetBackground(g.Background());
    passed.InitBands(5);
    passed.SetBandGain(1, 6);
    passed.SetBandFreq(3, 4000);
    passed.SetBandGain(3, -9);
    passed.SetEqActive(0);

    // The progress window, centred on its owner.
    CJinDuTiao progress;
    ASSERT_TRUE(progress.Create(hwnd));
    progress.total = 947;
    progress.SetTexts(L"Read Device Data:%5.0f %%", 600, L"VELA3.1");
    ShowWindow(progress.Hwnd(), SW_SHOWNOACTIVATE);

    // States that need focus or the pointer come last.
    focused.SetValue(35);
    SendMessageW(hover.Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(30, 12));
    SendMessageW(focused_combo.Hwnd(), WM_COMMAND, MAKEWPARAM(5024, CBN_SETFOCUS),
                 reinterpret_cast<LPARAM>(focused_combo.Hwnd()));
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(5024, CBN_SETFOCUS),
                 reinterpret_cast<LPARAM>(focused_combo.Hwnd()));
    testing::Pump();
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RedrawWindow(progress.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    testing::PumpUntil([] { return false; }, std::chrono::milliseconds(400));
    GdiFlush();

    // The picture: the window as on screen, with the progress window's picture laid over it where the
    // window stands (a layered window reads back washed out; its translucency is not shown here).
    EXPECT_TRUE(IsWindowVisible(progress.Hwnd()));
    RECT r{};
    GetWindowRect(hwnd, &r);
    RECT p{};
    GetWindowRect(progress.Hwnd(), &p);
    HDC window_dc = GetDC(hwnd);
    CMemDcClass shot_store(hwnd, RECT{0, 0, r.right - r.left, r.bottom - r.top});
    BitBlt(shot_store.Dc(), 0, 0, r.right - r.left, r.bottom - r.top, window_dc, 0, 0, SRCCOPY);
    BitBlt(shot_store.Dc(), p.left - r.left, p.top - r.top, p.right - p.left, p.bottom - p.top,
           progress.PictureDc(), 0, 0, SRCCOPY);
    ReleaseDC(hwnd, window_dc);
    const std::wstring path = testing::ArtifactsFolder() + L"\\gallery.png";
    const bool saved = testing::SavePng(shot_store.Dc(), 0, 0, r.right - r.left, r.bottom - r.top, path);
    EXPECT_TRUE(saved) << "could not write the gallery screenshot";
    EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    // The picture is not blank: the skinned window differs from the plain background somewhere.
    const auto shot = testing::ReadPixels(shot_store.Dc(), 0, 0, 1066, 704);
    const auto background = testing::ReadPixels(g.Background(), 0, 0, 1066, 704);
    EXPECT_NE(shot.data, background.data);
}

}  // namespace
}  // namespace vela
