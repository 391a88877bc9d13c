// The strip pages inside the main window against the in-process virtual processor: real mouse and key
// messages on a page's controls reach the device's parameters, and device changes come back to the page.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/files/file_data.h"
#include "core/model/eq_text.h"
#include "core/model/parameter_layout.h"
#include "core/model/value_scales.h"
#include "core/pages/strip_eq_file.h"
#include "core/protocol/protocol.h"
#include "core/text/strings.h"
#include "core/text/utf8.h"
#include "core/ui/eq_import.h"
#include "core/ui/response_graph_ui.h"
#include "gui/app/main_dialog_win32.h"
#include "gui/app/vela_app_win32.h"
#include "gui/pages/eq_report_dialog_win32.h"
#include "gui/pages/strip_page_win32.h"
#include "gui/pages/system_page_win32.h"
#include "gui/support/sim_window_test.h"
#include "gui/support/win_test_support.h"
#include "gui/win/message_box_win32.h"
#include "gui/win/screenshot_win32.h"
#include "sim/sim_device.h"
#include "support/temp_dir.h"

namespace vela {
namespace {

using namespace std::chrono_literals;
using testing::Point;
using testing::PumpUntil;

class StripPageWindowTest : public testing::SimWindowTest {
  protected:
    bool DeviceHolds(std::uint16_t index, std::uint16_t value) {
        return PumpUntil([&] { return Sim().Value(index) == value; }, 2s);
    }
};

TEST_F(StripPageWindowTest, OutputPageControlsReachTheDeviceAndDeviceChangesComeBack) {
    CStripPageWindow& main = *dynamic_cast<CStripPageWindow*>(dlg_->PageForTab(0));
    ASSERT_TRUE(main.ControlsCreated());
    const bool dance = dlg_->Link().Table().Value(param::kModeWord) & 2;
    const auto index = [&](int code) {
        return *layout::StripIndexForCode(layout::Strip::kMain, dance, code);
    };

    // Value control: a key moves the Music level one step.
    CEA_Lum2& music = main.ValueControl(0);
    const int before = main.Model().GetCodeValue(44);
    SetFocus(music.Hwnd());
    SendMessageW(music.Hwnd(), WM_KEYDOWN, before % 500 < 100 ? VK_RIGHT : VK_LEFT, 0);
    const int after = main.Model().GetCodeValue(44);
    EXPECT_NE(after, before);
    EXPECT_TRUE(DeviceHolds(index(44), static_cast<std::uint16_t>(after)));

    // Band editor: the wheel moves band 2's gain.
    CEQ_Lum0& editor = main.Editor(2);
    SendMessageW(editor.Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    const auto gain_index = layout::StripEqIndex(layout::Strip::kMain, dance, 2, layout::EqField::kGain);
    EXPECT_TRUE(DeviceHolds(gain_index, static_cast<std::uint16_t>(main.Model().GetCodeValue(32))));
    EXPECT_NEAR(main.Graph().GetBandGain(2), editor.Gain(), 0.05);

    // Graph: dragging band 4's handle up moves the editor and the device.
    const GraphPoint c = HandleCentre(main.Graph().Model(), kFirstBandHandle + 4);
    SendMessageW(main.Graph().Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(c.x, c.y));
    SendMessageW(main.Graph().Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, Point(c.x + 20, c.y - 30));
    SendMessageW(main.Graph().Hwnd(), WM_LBUTTONUP, 0, Point(c.x + 20, c.y - 30));
    const auto freq_index = layout::StripEqIndex(layout::Strip::kMain, dance, 4, layout::EqField::kFrequency);
    EXPECT_NEAR(main.Editor(4).GetField(1), main.Graph().GetBandFreq(4), 1.0);
    EXPECT_TRUE(DeviceHolds(freq_index, static_cast<std::uint16_t>(main.Model().GetCodeValue(14))));

    // Combo box: the keyboard picks the next low-pass slope.
    CLum_ComboBox& slope = main.Combo(kLowPassCombo);
    SetFocus(slope.Hwnd());
    SendMessageW(slope.Hwnd(), WM_KEYDOWN, VK_DOWN, 0);
    testing::Pump();
    EXPECT_TRUE(DeviceHolds(index(61),
                            static_cast<std::uint16_t>(SlopeCodeFor(slope.GetItem(), FilterSide::kLowPass))));

    // Buttons: Left Mute latches, EQ PASS toggles.
    Click(main.Button(0));
    EXPECT_TRUE(DeviceHolds(index(41), static_cast<std::uint16_t>(main.Model().GetCodeValue(41))));
    const int eq = main.Model().GetCodeValue(40);
    Click(main.Button(kEqPassButton));
    EXPECT_NE(main.Model().GetCodeValue(40), eq);
    EXPECT_TRUE(DeviceHolds(index(40), static_cast<std::uint16_t>(main.Model().GetCodeValue(40))));

    // RESET: the seven default frequencies reach the device.
    Click(main.Button(kResetButton));
    EXPECT_TRUE(DeviceHolds(layout::StripEqIndex(layout::Strip::kMain, dance, 6, layout::EqField::kFrequency),
                            10100));
    EXPECT_TRUE(
        DeviceHolds(layout::StripEqIndex(layout::Strip::kMain, dance, 0, layout::EqField::kGain), 500));

    // Changed on the device: shown after the refresh.
    Sim().WithProcessor([&](auto& p) { p.SetValue(index(51), 123); });
    dlg_->Link().State().RaiseRequest(request::kRefresh);
    EXPECT_TRUE(PumpUntil([&] { return main.Model().GetCodeValue(51) == 123; }, 20s));
    EXPECT_EQ(main.ValueControl(7).Caption(), L"Left-Delay:   12.3ms");
}

TEST_F(StripPageWindowTest, MicAndEchoPagesWriteTheirParametersAndALanguageSwitchRecaptions) {
    CStripPageWindow& mic = *dynamic_cast<CStripPageWindow*>(dlg_->PageForTab(4));
    ASSERT_TRUE(mic.ControlsCreated());
    // Choosing MIC B asks the main window to show MIC VOL B again from the table (message 1025, index 27).
    const std::uint16_t mic_vol_b = dlg_->Link().Table().Value(27) == 540 ? 541 : 540;
    dlg_->Link().Table().WriteParameter(27, mic_vol_b, false);
    Click(mic.Button(kMicBButton));
    EXPECT_TRUE(mic.Model().MicBPressed());
    EXPECT_FALSE(mic.Model().MicAPressed());
    EXPECT_TRUE(PumpUntil([&] { return mic.Model().GetCodeValue(84) == mic_vol_b; }, 2s));
    SendMessageW(mic.Editor(0).Hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA)), 0);
    EXPECT_TRUE(DeviceHolds(115, static_cast<std::uint16_t>(mic.Model().GetCodeValue(45))));
    CEA_Lum2& threshold = mic.ValueControl(9);
    SendMessageW(threshold.Hwnd(), WM_KEYDOWN, mic.Model().GetCodeValue(73) < 114 ? VK_RIGHT : VK_LEFT, 0);
    EXPECT_TRUE(DeviceHolds(34, static_cast<std::uint16_t>(mic.Model().GetCodeValue(73))));

    CStripPageWindow& echo = *dynamic_cast<CStripPageWindow*>(dlg_->PageForTab(5));
    SendMessageW(echo.ValueControl(4).Hwnd(), WM_KEYDOWN,
                 echo.Model().GetCodeValue(47) < 2000 ? VK_RIGHT : VK_LEFT, 0);
    const auto pre = static_cast<std::uint16_t>(echo.Model().GetCodeValue(47));
    EXPECT_TRUE(DeviceHolds(177, pre));
    EXPECT_TRUE(DeviceHolds(178, pre));

    SetLanguageIndex(kLanguageSimplified);
    SendMessageW(dlg_->Hwnd(), UM_APPLY_LANGUAGE, 0, 0);
    // Beside the editors a row caption is one line.
    std::wstring gain(TextIn(str::kRowGain, kLanguageSimplified));
    std::replace(gain.begin(), gain.end(), L'\n', L' ');
    EXPECT_EQ(echo.RowCaption(0).Caption(), gain);
    CStripPageWindow& main = *dynamic_cast<CStripPageWindow*>(dlg_->PageForTab(0));
    EXPECT_EQ(main.Button(0).GetCaption(), TextIn(str::kLeftMute, kLanguageSimplified));
    EXPECT_EQ(mic.Button(kMicAButton).GetCaption(), TextIn(str::kMicA, kLanguageSimplified));
}

TEST_F(StripPageWindowTest, MusicAndReverbPagesGraphSlopeResetAndEqPassReachTheDevice) {
    struct Case {
        int tab;
        const layout::EqBlock& eq;
        std::uint16_t eq_pass;
        std::uint16_t high_pass_slope;
    };
    const auto index_of = [](int page_id, int code) {
        for (const layout::IndexRow& row : layout::IndexRows()) {
            if (row.writer == layout::CodeRef{page_id, code})
                return row.index;
        }
        ADD_FAILURE() << "no parameter for code " << code << " of page " << page_id;
        return std::uint16_t{0};
    };
    for (const Case& c :
         {Case{3, layout::kMusicEq, index_of(layout::kMusicPage, 60), index_of(layout::kMusicPage, 79)},
          Case{6, layout::kReverbEq, index_of(layout::kReverbPage, 40), index_of(layout::kReverbPage, 45)}}) {
        SCOPED_TRACE(c.eq.name);
        CStripPageWindow& page = *dynamic_cast<CStripPageWindow*>(dlg_->PageForTab(c.tab));
        ASSERT_TRUE(page.ControlsCreated());
        const int last = c.eq.bands - 1;
        const auto gain = [&](int band) { return layout::EqBlockIndex(c.eq, band, layout::EqField::kGain); };
        const auto freq = [&](int band) {
            return layout::EqBlockIndex(c.eq, band, layout::EqField::kFrequency);
        };
        // Move the first and last bands away from what RESET gives them.
        for (int band : {0, last}) {
            SendMessageW(page.Editor(band).Hwnd(), WM_MOUSEWHEEL,
                         MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA)), 0);
            ASSERT_TRUE(PumpUntil([&] { return Sim().Value(gain(band)) != 500; }, 2s));
        }
        Sim().WithProcessor(
            [&](auto& p) { p.SetValue(freq(last), static_cast<std::uint16_t>(FreqCodeFor(1000))); });
        Click(page.Button(kResetButton));
        const std::span<const double> defaults = page.Model().DefaultFrequencies();
        for (int band : {0, last}) {
            EXPECT_TRUE(DeviceHolds(gain(band), 500)) << "band " << band;
            EXPECT_TRUE(DeviceHolds(freq(band), static_cast<std::uint16_t>(FreqCodeFor(defaults[band]))));
        }

        // A handle dragged on the graph and a slope picked with the keyboard reach the device too.
        const int band = 3;
        const int freq_code = layout::EqCode(c.eq.codes, band, layout::EqField::kFrequency);
        const GraphPoint centre = HandleCentre(page.Graph().Model(), kFirstBandHandle + band);
        SendMessageW(page.Graph().Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(centre.x, centre.y));
        SendMessageW(page.Graph().Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, Point(centre.x + 25, centre.y - 20));
        SendMessageW(page.Graph().Hwnd(), WM_LBUTTONUP, 0, Point(centre.x + 25, centre.y - 20));
        EXPECT_NE(page.Model().GetCodeValue(freq_code), FreqCodeFor(defaults[band]));
        EXPECT_TRUE(
            DeviceHolds(freq(band), static_cast<std::uint16_t>(page.Model().GetCodeValue(freq_code))));
        CLum_ComboBox& slope = page.Combo(0);
        SetFocus(slope.Hwnd());
        SendMessageW(slope.Hwnd(), WM_KEYDOWN, slope.GetItem() + 1 < kSlopeItemCount ? VK_DOWN : VK_UP, 0);
        testing::Pump();
        EXPECT_TRUE(DeviceHolds(c.high_pass_slope, static_cast<std::uint16_t>(SlopeCodeFor(
                                                       slope.GetItem(), FilterSide::kHighPass))));

        const std::uint16_t before = Sim().Value(c.eq_pass);
        Click(page.Button(kEqPassButton));
        EXPECT_TRUE(DeviceHolds(c.eq_pass, before == 0 ? 1 : 0));
        EXPECT_EQ(page.Graph().IsEqActive(), before == 0 ? 1 : 0);
    }
}

// For every Q the processor can hold: a band handle pressed and let go where it stands leaves the band as
// the device holds it, and a handle dragged straight up changes its gain only.
TEST_F(StripPageWindowTest, AHandlePressedInPlaceKeepsEveryQAndAVerticalDragChangesOnlyTheGain) {
    CStripPageWindow& music = *dynamic_cast<CStripPageWindow*>(dlg_->PageForTab(3));
    Click(dlg_->Tab(3));
    const layout::EqBlock& eq = layout::kMusicEq;
    const std::span<const double> defaults = music.Model().DefaultFrequencies();
    using layout::EqField;
    constexpr EqField kFields[] = {EqField::kType, EqField::kFrequency, EqField::kQ, EqField::kGain};
    const auto index = [&](int band, EqField f) { return layout::EqBlockIndex(eq, band, f); };
    const auto q_code = [&](int entry) {
        return static_cast<std::uint16_t>(
            QCodeFor(kQTable[static_cast<std::size_t>(std::min(entry, kQTableLast))]));
    };
    for (int first = 0; first < kQTableSize; first += eq.bands) {
        Sim().WithProcessor([&](auto& p) {
            for (int b = 0; b < eq.bands; ++b) {
                p.SetValue(index(b, EqField::kType), 7);
                p.SetValue(index(b, EqField::kFrequency),
                           static_cast<std::uint16_t>(FreqCodeFor(defaults[b])));
                p.SetValue(index(b, EqField::kQ), q_code(first + b));
                p.SetValue(index(b, EqField::kGain), 500);
            }
        });
        dlg_->Link().State().RaiseRequest(request::kRefresh);
        ASSERT_TRUE(PumpUntil(
            [&] {
                for (int b = 0; b < eq.bands; ++b) {
                    if (music.Model().GetCodeValue(layout::EqCode(eq.codes, b, EqField::kQ)) !=
                        q_code(first + b))
                        return false;
                }
                return Settled();
            },
            20s));
        for (int b = 0; b < eq.bands; ++b) {
            SCOPED_TRACE(::testing::Message() << "band " << b << ", Q " << q_code(first + b));
            const ParameterTable& table = dlg_->Link().Table();
            std::vector<std::uint16_t> held;
            for (EqField f : kFields)
                held.push_back(table.Value(index(b, f)));
            const GraphPoint c = HandleCentre(music.Graph().Model(), kFirstBandHandle + b);
            SendMessageW(music.Graph().Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(c.x, c.y));
            SendMessageW(music.Graph().Hwnd(), WM_LBUTTONUP, 0, Point(c.x, c.y));
            for (std::size_t f = 0; f < std::size(kFields); ++f)
                EXPECT_EQ(table.Value(index(b, kFields[f])), held[f]) << "field " << f << " after a press";

            SendMessageW(music.Graph().Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(c.x, c.y));
            SendMessageW(music.Graph().Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, Point(c.x, c.y - 30));
            SendMessageW(music.Graph().Hwnd(), WM_LBUTTONUP, 0, Point(c.x, c.y - 30));
            for (std::size_t f = 0; f + 1 < std::size(kFields); ++f)
                EXPECT_EQ(table.Value(index(b, kFields[f])), held[f]) << "field " << f << " after a drag";
            EXPECT_GT(table.Value(index(b, EqField::kGain)), 500) << "the gain follows the drag up";
        }
        EXPECT_TRUE(PumpUntil([&] { return Settled(); }, 5s));
    }
}

// A processor holding random 16-bit values: every fader, slider and band field is shown inside its scale,
// and a value control whose caption cannot be the device's value says so in its tooltip.
TEST_F(StripPageWindowTest, RandomDeviceValuesAreShownInsideEveryScale) {
    std::mt19937 random(22);
    std::uniform_int_distribution<int> word(0, 65535);
    Sim().WithProcessor([&](auto& p) {
        // The identity, and the link's own entries from the music source on, stay as they are.
        for (std::size_t i = 1; i < param::kMusicSource; ++i)
            p.SetValue(i, static_cast<std::uint16_t>(word(random)));
    });
    dlg_->Link().State().RaiseRequest(request::kRefresh);
    ASSERT_TRUE(PumpUntil([&] { return Settled(); }, 30s));
    // The table holds the device's values now; one more refresh puts all of them on the pages.
    const auto notes_follow_the_table = [&] {
        for (const auto& [f, index] :
             {std::pair{kMusicFader, 28}, std::pair{kMicFader, 25}, std::pair{kEffectFader, 29}}) {
            CEA_Lum2& fader = dlg_->MasterFader(f);
            const int raw = dlg_->Link().Table().Value(static_cast<std::size_t>(index));
            if (fader.Note().empty() != (raw % 500 <= fader.UpperLimit()))
                return false;
        }
        return true;
    };
    dlg_->Link().State().RaiseRequest(request::kRefresh);
    EXPECT_TRUE(PumpUntil(notes_follow_the_table, 20s))
        << "a fader beyond its end says so, one within it not";
    const auto inside = [](CEA_Lum2& v, const char* what, int i) {
        EXPECT_GE(v.ShownValue(), v.LowerLimit()) << what << " " << i << ": " << v.Caption();
        EXPECT_LE(v.ShownValue(), v.UpperLimit()) << what << " " << i << ": " << v.Caption();
    };
    int noted = 0;
    int combos_noted = 0;
    int fields_noted = 0;
    for (int tab = 0; tab < 7; ++tab) {
        SCOPED_TRACE(::testing::Message() << "tab " << tab);
        CStripPageWindow& page = *dynamic_cast<CStripPageWindow*>(dlg_->PageForTab(tab));
        for (int i = 0; i < page.Model().Descriptor().combo_slots; ++i)
            combos_noted += page.Model().ComboShown(i) && !page.ComboNote(i).empty() ? 1 : 0;
        for (int b = 0; b < page.Model().Descriptor().band_count; ++b) {
            for (int field : {kFieldGain, kFieldFreq, kFieldQ, kFieldType})
                fields_noted += page.BandNote(b, field).empty() ? 0 : 1;
        }
        for (int i = 0; i < page.Model().Descriptor().value_slots; ++i) {
            if (!page.Model().SlotShown(i))
                continue;
            inside(page.ValueControl(i), "slot", i);
            noted += page.ValueControl(i).Note().empty() ? 0 : 1;
        }
        for (int b = 0; b < page.Model().Descriptor().band_count; ++b) {
            CEQ_Lum0& e = page.Editor(b);
            EXPECT_TRUE(e.Gain() >= e.Limits().lower && e.Gain() <= e.Limits().upper)
                << e.FieldText(kFieldGain);
            const double hz = e.GetField(kFieldFreq);
            EXPECT_TRUE(hz >= kEditorFreqFirst && hz <= kFreqTop) << e.FieldText(kFieldFreq);
            const double q = e.GetField(kFieldQ);
            EXPECT_TRUE(q >= kQLowest && q <= kQHighest) << e.FieldText(kFieldQ);
        }
        if (tab == 0) {
            Click(dlg_->Tab(tab));
            CaptureWindowPng(dlg_->Hwnd(), testing::ArtifactsFolder() + L"\\random-values-main.png");
        }
    }
    EXPECT_GT(noted, 0) << "random values out of some control's range, and none said so";
    EXPECT_GT(combos_noted, 0) << "random slope codes the combo boxes have no item for, and none said so";
    EXPECT_GT(fields_noted, 0) << "random band values off the editors' tables, and none said so";
    // A music source the selector has no item for: the selector says so, and the table keeps the value.
    for (const auto& [source, noted_source] : {std::pair{77, true}, std::pair{2, false}}) {
        Sim().WithProcessor(
            [&](auto& p) { p.SetValue(param::kMusicSource, static_cast<std::uint16_t>(source)); });
        dlg_->Link().State().RaiseRequest(request::kRefresh);
        EXPECT_TRUE(PumpUntil([&] { return dlg_->MusicSourceNote().empty() != noted_source; }, 20s))
            << source;
        EXPECT_EQ(Sim().Value(param::kMusicSource), source);
    }
    for (int f : {kMusicFader, kMicFader, kEffectFader})
        inside(dlg_->MasterFader(f), "fader", f);
    CWinSystem& system = *dynamic_cast<CWinSystem*>(dlg_->PageForTab(7));
    int system_noted = 0;
    for (int i = 0; i < system_value::kCount; ++i) {
        inside(system.ValueControl(i), "system slider", i);
        system_noted += system.ValueControl(i).Note().empty() ? 0 : 1;
    }
    EXPECT_GT(system_noted, 0) << "random System page values out of some scale, and none said so";
}

// Every control a page shows in its upper area lies inside the page, above the graph, and clear of every
// other one, at the design size and at half of it, in the language whose captions are widest.
TEST_F(StripPageWindowTest, UpperAreaControlsNeitherOverlapNorLeaveThePage) {
    SetLanguageIndex(kLanguageSimplified);
    SendMessageW(dlg_->Hwnd(), UM_APPLY_LANGUAGE, 0, 0);
    const auto resize_client = [&](int width, int height) {
        RECT window{}, client{};
        GetWindowRect(dlg_->Hwnd(), &window);
        GetClientRect(dlg_->Hwnd(), &client);
        SetWindowPos(dlg_->Hwnd(), nullptr, 0, 0, width + (window.right - window.left) - client.right,
                     height + (window.bottom - window.top) - client.bottom, SWP_NOZORDER | SWP_NOMOVE);
        testing::Pump();
    };
    const Rect least = MinimumClientRect();
    for (const auto& [width, height] : {std::pair{1066, 704}, std::pair{least.Width(), least.Height()}}) {
        resize_client(width, height);
        for (int tab = 0; tab < 7; ++tab) {
            SCOPED_TRACE(::testing::Message() << "tab " << tab << " at " << width << " x " << height);
            CStripPageWindow& page = *dynamic_cast<CStripPageWindow*>(dlg_->PageForTab(tab));
            const StripPage& model = page.Model();
            const StripDescriptor& d = model.Descriptor();
            std::vector<std::pair<RECT, int>> shown;  // in page coordinates, with a name for messages
            const auto add = [&](CSkinnedControl& control, bool visible, int name) {
                RECT r{};
                GetWindowRect(control.Hwnd(), &r);
                MapWindowPoints(nullptr, page.Hwnd(), reinterpret_cast<POINT*>(&r), 2);
                if (!visible) {
                    // A slot the page does not have is out of sight and takes no input.
                    EXPECT_TRUE(r.right <= 0 || r.bottom <= 0)
                        << "hidden control " << name << " at " << r.left << "," << r.top;
                    EXPECT_FALSE(control.Enabled()) << "hidden control " << name;
                    return;
                }
                shown.emplace_back(r, name);
            };
            for (int i = 0; i < d.value_slots; ++i) {
                if (model.SlotShown(i)) {
                    EXPECT_GE(page.ValueControl(i).Geometry().caption_font_height, kSmallestCaptionPx) << i;
                }
            }
            for (int i = 0; i < d.value_slots; ++i)
                add(page.ValueControl(i), model.SlotShown(i), 100 + i);
            for (int i = 0; i < d.label_slots; ++i)
                add(page.Label(i), model.LabelShown(i), 200 + i);
            for (int i = 0; i < d.combo_slots; ++i)
                add(page.Combo(i), model.ComboShown(i), 300 + i);
            for (int i = 0; i < d.button_slots; ++i)
                add(page.Button(i), model.ButtonShown(i), 400 + i);
            ASSERT_FALSE(shown.empty());
            if (width < 1066) {
                // For a person to look at: build/artifacts/strip-half-<tab>.png.
                Click(dlg_->Tab(tab));
                CaptureWindowPng(dlg_->Hwnd(), testing::ArtifactsFolder() + L"\\strip-half-" +
                                                   std::to_wstring(tab) + L".png");
            }
            RECT graph{};
            GetWindowRect(page.Graph().Hwnd(), &graph);
            MapWindowPoints(nullptr, page.Hwnd(), reinterpret_cast<POINT*>(&graph), 2);
            const RECT client = page.ClientRect();
            for (std::size_t a = 0; a < shown.size(); ++a) {
                const RECT& r = shown[a].first;
                EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= graph.top)
                    << "control " << shown[a].second << " at " << r.left << "," << r.top << "-" << r.right
                    << "," << r.bottom;
                for (std::size_t b = a + 1; b < shown.size(); ++b) {
                    RECT overlap{};
                    EXPECT_FALSE(IntersectRect(&overlap, &r, &shown[b].first))
                        << "controls " << shown[a].second << " and " << shown[b].second;
                }
            }
        }
    }
    resize_client(1066, 704);
}

}  // namespace
}  // namespace vela

namespace vela {
namespace {

// Without a processor: every page shows its band handles where its editors say the bands are, and pressing
// them changes nothing that would later be sent.
TEST(StripPageWithoutDevice, HandlesStandAtTheEditorsFrequenciesAndAPressWritesNothing) {
    SetCursorPos(1200, 780);
    SetMessageBoxResponder([](const MessageBoxRequest&) { return IDOK; });
    VelaOptions options;
    options.device.kind = DeviceSpec::Kind::kTcp;
    options.device.host = "127.0.0.1";
    options.device.port = 9;  // nothing listens there
    auto dlg = std::make_unique<CZR305M2Dlg>(options);
    ASSERT_TRUE(dlg->CreateModeless(nullptr));
    ShowWindow(dlg->Hwnd(), SW_SHOW);
    testing::Pump();
    for (int tab = 0; tab < 7; ++tab) {
        SCOPED_TRACE(::testing::Message() << "tab " << tab);
        CStripPageWindow& page = *dynamic_cast<CStripPageWindow*>(dlg->PageForTab(tab));
        ASSERT_TRUE(page.ControlsCreated());
        const ResponseGraph& graph = page.Graph().Model();
        for (int b = 0; b < page.Model().Descriptor().band_count; ++b) {
            const double hz = page.Editor(b).GetField(kFieldFreq);
            EXPECT_DOUBLE_EQ(page.Graph().GetBandFreq(b), hz) << "band " << b;
            EXPECT_EQ(graph.Handle(kFirstBandHandle + b).x, graph.ColumnOf(page.Graph().GetBandFreq(b)));
            EXPECT_DOUBLE_EQ(page.Graph().GetBandQ(b), page.Editor(b).GetField(kFieldQ)) << "band " << b;
        }
        SendMessageW(dlg->Tab(tab).Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
        SendMessageW(dlg->Tab(tab).Hwnd(), WM_LBUTTONUP, 0, Point(5, 5));
        testing::Pump();
        for (int b = 0; b < page.Model().Descriptor().band_count; ++b) {
            const GraphPoint c = HandleCentre(graph, kFirstBandHandle + b);
            SendMessageW(page.Graph().Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(c.x, c.y));
            SendMessageW(page.Graph().Hwnd(), WM_LBUTTONUP, 0, Point(c.x, c.y));
        }
    }
    for (std::size_t i = 0; i < kParameterCount; ++i)
        EXPECT_FALSE(dlg->Link().Table().IsDirty(i)) << "parameter " << i;
    dlg.reset();
    SetMessageBoxResponder(nullptr);
}

// The graph's "Import EQ..." and "Export EQ...": the file dialogs and the report are answered here.
class ScriptedEqDialogs final : public IEqFileDialogs {
  public:
    std::optional<std::wstring> ChooseImportFile(HWND) override { return import_path; }
    std::optional<std::wstring> ChooseExportFile(HWND, std::wstring_view offered) override {
        suggested = std::wstring(offered);
        return export_path;
    }
    bool ConfirmImport(HWND, std::wstring_view, const std::vector<std::wstring>& lines) override {
        report = lines;
        ++reports;
        return confirm;
    }
    std::optional<std::wstring> import_path;
    std::optional<std::wstring> export_path;
    std::wstring suggested;
    std::vector<std::wstring> report;
    int reports = 0;
    bool confirm = true;
};

// Right-clicks the graph and presses a menu item where it is drawn.
void PressGraphMenu(CLum_NewScope& graph, GraphMenu item) {
    SendMessageW(graph.Hwnd(), WM_RBUTTONUP, 0, Point(400, 60));
    const Rect r = MenuItemRect(graph.Model(), item);
    ASSERT_GT(r.Width(), 0) << "the menu has the item";
    SendMessageW(graph.Hwnd(), WM_MOUSEMOVE, 0, Point(r.left + 5, r.top + 5));
    SendMessageW(graph.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(r.left + 5, r.top + 5));
    SendMessageW(graph.Hwnd(), WM_LBUTTONUP, 0, Point(r.left + 5, r.top + 5));
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
    ASSERT_TRUE(
        ReplaceFileWhole(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
}

// The Music strip's bands as filters, whatever their order: an import fills bands in order of frequency.
std::multiset<std::array<std::uint16_t, 4>> MusicFilters(sim::SimulatedDevice& device) {
    const auto indexes = EqBandIndexes(Channel::kMusic, false);
    std::multiset<std::array<std::uint16_t, 4>> filters;
    for (std::size_t b = 0; b + 3 < indexes.size(); b += 4)
        filters.insert({device.Value(indexes[b]), device.Value(indexes[b + 1]), device.Value(indexes[b + 2]),
                        device.Value(indexes[b + 3])});
    return filters;
}

std::map<std::uint16_t, std::uint16_t> MusicBands(sim::SimulatedDevice& device) {
    std::map<std::uint16_t, std::uint16_t> bands;
    for (std::uint16_t i : EqBandIndexes(Channel::kMusic, false))
        bands[i] = device.Value(i);
    return bands;
}

// A measured correction in a file under a Chinese folder name reaches the processor's Music strip as the
// report said; Cancel and a refused file write nothing; what Export writes imports back to the same bands.
TEST_F(StripPageWindowTest, EqFilesFromTheGraphMenuReachTheProcessorAndComeBack) {
    std::vector<std::wstring> boxes;
    SetMessageBoxResponder([&](const MessageBoxRequest& box) {
        boxes.push_back(box.text);
        return IDOK;
    });
    testing::TempDir temp;
    const std::filesystem::path folder = temp.Path() / std::filesystem::path(L"房间 测量");
    std::filesystem::create_directories(folder);
    const std::string text =
        "Preamp: -2.5 dB\r\nFilter 1: ON PK Fc 105 Hz Gain -3.5 dB Q 0.70\r\n"
        "Filter 2: ON LSC Fc 80 Hz Gain 4 dB Q 0.707\r\nFilter 3: ON HS Fc 8 kHz Gain -2.5 dB\r\n";
    WriteText(folder / L"音乐.txt", text);
    WriteText(folder / L"坏.txt", "Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\nFilter 2: ON LP Fc 80 Hz\n");

    CStripPageWindow& music = *dynamic_cast<CStripPageWindow*>(dlg_->PageForTab(layout::kMusicPage));
    ScriptedEqDialogs dialogs;
    music.SetEqFileDialogs(dialogs);
    const auto before = MusicBands(Sim());

    dialogs.import_path = (folder / L"音乐.txt").wstring();
    dialogs.confirm = false;
    PressGraphMenu(music.Graph(), GraphMenu::kImport);
    EXPECT_EQ(dialogs.reports, 1);
    testing::Pump();
    EXPECT_TRUE(PumpUntil([&] { return Settled(); }, 5s));
    EXPECT_EQ(MusicBands(Sim()), before) << "Cancel writes nothing";

    dialogs.confirm = true;
    PressGraphMenu(music.Graph(), GraphMenu::kImport);
    ASSERT_EQ(dialogs.reports, 2);
    EXPECT_NE(dialogs.report.front().find(L"音乐.txt"), std::wstring::npos);
    const EqFit fit = FitEq(eqtext::Parse(text), Channel::kMusic, true);
    const auto expected = EqWrites(fit, Channel::kMusic, false);
    EXPECT_TRUE(PumpUntil([&] { return MusicBands(Sim()) == expected; }, 10s)) << "the device has every band";
    EXPECT_DOUBLE_EQ(music.Editor(0).GetField(kFieldFreq), CodeToFreq(fit.bands[0].freq_code));
    EXPECT_DOUBLE_EQ(music.Graph().GetBandGain(2), -2.5);
    EXPECT_TRUE(boxes.empty());

    // Refused in a Chinese window: the line and the reason are Chinese too.
    dialogs.import_path = (folder / L"坏.txt").wstring();
    SetLanguageIndex(kLanguageSimplified);
    PressGraphMenu(music.Graph(), GraphMenu::kImport);
    SetLanguageIndex(kLanguageEnglish);
    EXPECT_EQ(dialogs.reports, 2) << "a refused file has no report";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find(L"坏.txt 未导入，未写入任何值：\n第 2 行：不支持滤波器类型 LP"),
              std::wstring::npos)
        << ToUtf8(boxes[0]);
    dialogs.import_path = (folder / L"没有.txt").wstring();
    PressGraphMenu(music.Graph(), GraphMenu::kImport);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[1].find(L"没有.txt"), std::wstring::npos) << boxes[1];

    dialogs.export_path = (folder / L"导出.txt").wstring();
    PressGraphMenu(music.Graph(), GraphMenu::kExport);
    EXPECT_EQ(dialogs.suggested, L"EQ music.txt");
    ASSERT_TRUE(std::filesystem::exists(folder / L"导出.txt"));
    const auto exported = MusicFilters(Sim());
    Click(music.Button(kResetButton));
    EXPECT_TRUE(PumpUntil([&] { return MusicBands(Sim()) != expected; }, 10s)) << "RESET moved the bands";
    dialogs.import_path = dialogs.export_path;
    PressGraphMenu(music.Graph(), GraphMenu::kImport);
    EXPECT_TRUE(PumpUntil([&] { return MusicFilters(Sim()) == exported; }, 10s)) << "export, then import";
    EXPECT_EQ(boxes.size(), 2u);

    dialogs.export_path = (folder / L"没有的文件夹" / L"x.txt").wstring();
    PressGraphMenu(music.Graph(), GraphMenu::kExport);
    ASSERT_EQ(boxes.size(), 3u) << "a file that cannot be written is said";
    EXPECT_NE(boxes[2].find(L"x.txt"), std::wstring::npos) << boxes[2];
}

// The report dialog in each language, for the artifacts: its caption, buttons and lines, and OK closes it.
TEST_F(StripPageWindowTest, TheEqReportDialogSpeaksEachLanguage) {
    const EqFit fit = FitEq(eqtext::Parse("Preamp: -6.4 dB\nFilter 1: ON PK Fc 105 Hz Gain -3.5 dB Q 0.70\n"
                                          "Filter 2: ON HS Fc 30 kHz Gain -2.5 dB\n"),
                            Channel::kMusic, true);
    ASSERT_TRUE(fit.Ok());
    const wchar_t* names[] = {L"hans", L"hant", L"en"};
    for (int language = 0; language < kLanguageCount; ++language) {
        SCOPED_TRACE(language);
        SetLanguageIndex(language);
        CEqReportDialog dialog(std::wstring(Text(extra::kEqImportTitle)), EqImportReport(fit, L"房间.txt"));
        ASSERT_TRUE(dialog.CreateModeless(dlg_->Hwnd()));
        ShowWindow(dialog.Hwnd(), SW_SHOW);
        testing::Pump();
        wchar_t caption[64] = {};
        GetWindowTextW(dialog.Hwnd(), caption, 64);
        EXPECT_EQ(std::wstring(caption), Text(extra::kEqImportTitle));
        GetDlgItemTextW(dialog.Hwnd(), IDCANCEL, caption, 64);
        EXPECT_EQ(std::wstring(caption), Text(extra::kEqCancel));
        std::wstring shown(4096, L'\0');
        shown.resize(static_cast<std::size_t>(GetDlgItemTextW(dialog.Hwnd(), CEqReportDialog::kText,
                                                              shown.data(), static_cast<int>(shown.size()))));
        EXPECT_NE(shown.find(L"\r\n"), std::wstring::npos);
        EXPECT_NE(shown.find(L"(line 3)") == std::wstring::npos, language == kLanguageEnglish);
        EXPECT_NE(shown.find(L"20600 Hz"), std::wstring::npos);
        CaptureWindowPng(dialog.Hwnd(),
                         testing::ArtifactsFolder() + L"\\eq-report-" + names[language] + L".png");
        SendMessageW(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_FALSE(dialog.IsWindow());
        // The Main page's graph menu, all four items, in the same language.
        CStripPageWindow& main = *dynamic_cast<CStripPageWindow*>(dlg_->PageForTab(layout::kMainPage));
        Click(dlg_->Tab(layout::kMainPage));
        SendMessageW(main.Graph().Hwnd(), WM_RBUTTONUP, 0, Point(900, 200));
        EXPECT_EQ(main.Graph().Model().menu_items.size(), 4u);
        testing::Pump();
        CaptureWindowPng(main.Graph().Hwnd(),
                         testing::ArtifactsFolder() + L"\\eq-menu-" + names[language] + L".png");
        SendMessageW(main.Graph().Hwnd(), WM_MOUSEMOVE, 0, Point(10, 10));
    }
}

}  // namespace
}  // namespace vela
