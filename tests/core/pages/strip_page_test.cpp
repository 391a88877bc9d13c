#include "core/pages/strip_page.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "core/link/device_link.h"
#include "core/model/parameter_layout.h"
#include "core/model/value_scales.h"
#include "core/text/strings.h"
#include "support/link_fakes.h"
#include "support/page_fakes.h"

namespace vela {
namespace {

using testing::FakeStripControls;

class LanguageScope {
  public:
    explicit LanguageScope(int language) : saved_(LanguageIndex()) { SetLanguageIndex(language); }
    ~LanguageScope() { SetLanguageIndex(saved_); }

  private:
    int saved_;
};

struct Landmark {
    int code;
    int raw;
};

void ExpectRoundTrips(int page_id, const std::vector<Landmark>& landmarks) {
    FakeStripControls controls;
    StripPage page(page_id, controls);
    page.Initialise();
    for (const Landmark& l : landmarks) {
        page.SetCodeValue(l.code, l.raw);
        EXPECT_EQ(page.GetCodeValue(l.code), l.raw) << "page " << page_id << " code " << l.code;
    }
}

TEST(StripPage, EveryInputCodeRoundTripsAtItsLandmarks) {
    const std::vector<Landmark> landmarks{
        {0, 5},    {14, 7},     {15, 33169}, {29, 16000}, {19, 33758}, {30, 40},    {44, 12800},
        {45, 500}, {59, 620},   {50, 260},   {60, 0},     {60, 1},     {73, 80},    {73, 114},
        {74, 5},   {74, 900},   {75, 2},     {75, 32},    {76, 10},    {76, 1000},  {78, 32768},
        {78, 303}, {78, 32965}, {79, 8},     {79, 24},    {80, 5990},  {80, 20600}, {81, 13},
        {83, 500}, {83, 584},   {84, 520},   {86, 0},     {86, 20},
    };
    ExpectRoundTrips(layout::kMusicPage, landmarks);
    std::vector<Landmark> mic = landmarks;
    mic.push_back({82, 3});
    mic.push_back({82, 0});
    ExpectRoundTrips(layout::kMicPage, mic);
}

TEST(StripPage, EveryOutputCodeRoundTripsAtItsLandmarks) {
    const std::vector<Landmark> landmarks{
        {0, 7},    {6, 5},    {10, 101},   {16, 33758}, {20, 40},  {26, 12800}, {30, 380},
        {36, 620}, {40, 0},   {40, 1},     {41, 1},     {42, 1},   {43, 0},     {44, 0},
        {44, 560}, {45, 100}, {46, 600},   {47, 37},    {51, 0},   {51, 123},   {52, 200},
        {57, 55},  {53, 94},  {54, 640},   {55, 24},    {56, 300}, {58, 32768}, {58, 20600},
        {58, 101}, {59, 22},  {60, 32965}, {60, 20600}, {61, 25},
    };
    for (int page : {layout::kMainPage, layout::kCenterPage, layout::kSubPage, layout::kRearPage}) {
        ExpectRoundTrips(page, landmarks);
    }
}

TEST(StripPage, EveryEffectCodeRoundTripsAtItsLandmarks) {
    const std::vector<Landmark> landmarks{
        {0, 7},   {4, 6},   {10, 125},  {14, 8000}, {20, 300},   {24, 40},   {30, 500},   {34, 620},
        {40, 0},  {40, 1},  {41, 550},  {42, 100},  {43, 32768}, {43, 1000}, {44, 20600}, {44, 32965},
        {45, 12}, {46, 23}, {47, 0},    {47, 2000}, {48, 5000},  {49, 1230}, {50, 125},   {50, 2500},
        {51, 90}, {55, 45}, {56, 4990}, {52, 2000}, {53, 0},     {53, 125},  {53, 5000},
    };
    ExpectRoundTrips(layout::kEchoPage, landmarks);
    ExpectRoundTrips(layout::kReverbPage, landmarks);
}

TEST(StripPage, ValuesOutsideARangeAreHeldAtItsEnds) {
    FakeStripControls controls;
    StripPage out(layout::kMainPage, controls);
    out.Initialise();
    out.SetCodeValue(51, 900);  // 90 ms on a 20 ms control
    EXPECT_EQ(out.GetCodeValue(51), 200);
    out.SetCodeValue(44, 400);  // level 400 without the toggle
    EXPECT_EQ(out.GetCodeValue(44), 100);
    out.SetCodeValue(44, 999);
    EXPECT_EQ(out.GetCodeValue(44), 600);
    out.SetCodeValue(53, 300);
    EXPECT_EQ(out.GetCodeValue(53), 114);
    out.SetCodeValue(40, 7);
    EXPECT_EQ(out.GetCodeValue(40), 1);
    out.SetCodeValue(60, 32768);  // the low-pass is never off on an output page
    EXPECT_EQ(out.GetCodeValue(60), FreqCodeFor(FreqAt(1)));

    FakeStripControls in_controls;
    StripPage music(layout::kMusicPage, in_controls);
    music.Initialise();
    music.SetCodeValue(78, 1000);  // above the input high-pass range
    EXPECT_EQ(music.GetCodeValue(78), 303);
    music.SetCodeValue(80, 1000);  // below the short low-pass scale
    EXPECT_EQ(music.GetCodeValue(80), 5990);
    music.SetCodeValue(83, 999);
    EXPECT_EQ(music.GetCodeValue(83), 584);

    FakeStripControls fx_controls;
    StripPage reverb(layout::kReverbPage, fx_controls);
    reverb.Initialise();
    reverb.SetCodeValue(53, 100);
    EXPECT_EQ(fx_controls.value[12], 2);
    reverb.SetCodeValue(53, 6000);  // no table entry: unchanged
    EXPECT_EQ(fx_controls.value[12], 2);
    reverb.SetCodeValue(53, 5000);
    EXPECT_EQ(fx_controls.value[12], 80);
}

TEST(StripPage, UnknownCodesAndBandsBeyondTheCountChangeNothing) {
    FakeStripControls controls;
    StripPage out(layout::kMainPage, controls);
    out.Initialise();
    const auto before = controls.value;
    const auto bands = controls.bands;
    for (int code : {7, 8, 9, 17, 27, 37, 48, 49, 50, 62, 63, 64, 99, -1, 40000}) {
        EXPECT_EQ(out.GetCodeValue(code), 0) << code;
        out.SetCodeValue(code, 12345);
        out.UpdateCodeText(code);
    }
    EXPECT_EQ(controls.value, before);
    for (std::size_t b = 0; b < bands.size(); ++b) {
        EXPECT_EQ(controls.bands[b].freq, bands[b].freq);
        EXPECT_EQ(controls.bands[b].gain, bands[b].gain);
    }

    FakeStripControls fx;
    StripPage echo(layout::kEchoPage, fx);
    echo.Initialise();
    EXPECT_EQ(echo.GetCodeValue(54), 0);
    echo.SetCodeValue(5, 7);  // band 5 does not exist on a 5-band page
    EXPECT_EQ(fx.bands[5].type, 0.0);
    testing::RecordingEdits edits;
    echo.SendEditsTo(edits);
    echo.OnGraphBand(5, {});
    echo.OnGraphBand(-1, {});
    echo.OnBandEditor(5, 0, 1.0);
    echo.OnBandEditor(0, 4, 1.0);  // no field 4
    EXPECT_TRUE(edits.edits.empty());

    // Code 20 on an input page is band 5's frequency, not a band 20.
    FakeStripControls in;
    StripPage mic(layout::kMicPage, in);
    mic.Initialise();
    mic.SetCodeValue(20, 2500);
    EXPECT_EQ(in.bands[5].freq, 2500);
    EXPECT_EQ(in.graph[5].freq, 2500);
}

TEST(StripPage, CaptionsFollowTheLanguageAtTheirLandmarks) {
    FakeStripControls controls;
    StripPage out(layout::kMainPage, controls);
    {
        LanguageScope english(kLanguageEnglish);
        out.Initialise();
        out.SetCodeValue(51, 123);
        EXPECT_EQ(controls.value_caption[7], L"Left-Delay:   12.3ms");
        EXPECT_EQ(controls.label_caption[0], L"Delay distance:  4.26M");
        out.SetCodeValue(58, 32768);
        EXPECT_EQ(controls.value_caption[14], L"HPF Freq:   OFF");
        out.SetCodeValue(60, 20600);
        EXPECT_EQ(controls.value_caption[15], L"LPF Freq:   OFF") << "as the graph says";
        out.SetCodeValue(60, 20200);
        EXPECT_EQ(controls.value_caption[15], L"LPF Freq:   20200Hz");
        out.SetCodeValue(44, 560);
        EXPECT_EQ(controls.value_caption[0], L"Music Vol:    60%");
        EXPECT_EQ(controls.button_caption[0], L"Left Mute");
        EXPECT_EQ(controls.row_caption[0], L"Gain:\n(db)");
    }
    {
        LanguageScope simplified(kLanguageSimplified);
        out.UpdateCodeText(65);
        EXPECT_EQ(controls.row_caption[0], TextIn(str::kRowGain, kLanguageSimplified));
        EXPECT_EQ(controls.label_caption[3], TextIn(str::kHpfSlope, kLanguageSimplified));
        EXPECT_EQ(controls.button_caption[2], TextIn(str::kRightMute, kLanguageSimplified));
        EXPECT_EQ(controls.button_caption[3], L"RESET");
        EXPECT_EQ(controls.button_caption[4], L"EQ PASS");
        for (int code = 0; code <= 67; ++code)
            out.UpdateCodeText(code);
        EXPECT_EQ(controls.value_caption[0], LevelText(str::kMusicVol, 560));
        EXPECT_NE(controls.value_caption[0], L"Music Vol:    60%");
    }

    LanguageScope english(kLanguageEnglish);
    FakeStripControls fx;
    StripPage reverb(layout::kReverbPage, fx);
    reverb.Initialise();
    reverb.SetCodeValue(42, 30);
    EXPECT_EQ(fx.value_caption[0], L"Reverb Vol:    30%");
    FakeStripControls fx2;
    StripPage echo(layout::kEchoPage, fx2);
    echo.Initialise();
    echo.SetCodeValue(42, 30);
    EXPECT_EQ(fx2.value_caption[0], L"Echo Vol:    30%");
    echo.SetCodeValue(50, 125);
    EXPECT_EQ(fx2.value_caption[8], EchoRightDelayText(12.5));
    echo.SetCodeValue(48, 1230);
    EXPECT_EQ(fx2.value_caption[5], EchoTapDelayText(L'A', 123));
    echo.SetCodeValue(56, 1509);
    EXPECT_EQ(fx2.value_caption[9], L"Echo B Delay:  150ms");

    FakeStripControls in;
    StripPage music(layout::kMusicPage, in);
    music.Initialise();
    // Before anything was read the low-pass stands where it filters nothing, as on the other pages.
    EXPECT_EQ(in.value_caption[15], L"LPF Freq:   OFF");
    EXPECT_EQ(in.value_caption[14], L"HPF Freq:   OFF");
    music.SetCodeValue(80, 5990);
    EXPECT_EQ(in.value_caption[15], L"LPF Freq:   5990Hz");
    music.SetCodeValue(80, 20600);
    EXPECT_EQ(in.value_caption[15], L"LPF Freq:   OFF");
    music.SetCodeValue(74, 15);
    EXPECT_EQ(in.value[10], 4);
    EXPECT_EQ(in.value_caption[10], AttackText(20));
}

std::vector<int> ResetSends(int page_id, FakeStripControls& controls) {
    StripPage page(page_id, controls);
    page.Initialise();
    testing::RecordingEdits edits;
    page.SendEditsTo(edits);
    for (int b = 0; b < page.Descriptor().band_count; ++b) {
        page.SetCodeValue(layout::EqCode(page.Descriptor().band_codes, b, layout::EqField::kType), 5);
        page.SetCodeValue(layout::EqCode(page.Descriptor().band_codes, b, layout::EqField::kQ), 200);
        page.SetCodeValue(layout::EqCode(page.Descriptor().band_codes, b, layout::EqField::kGain), 600);
        page.SetCodeValue(layout::EqCode(page.Descriptor().band_codes, b, layout::EqField::kFrequency), 777);
    }
    page.OnButton(kResetButton, kCheckPush);
    for (const testing::RecordingEdits::Edit& e : edits.edits)
        EXPECT_EQ(e.raw, page.GetCodeValue(e.code)) << e.code;
    return edits.Codes();
}

TEST(StripPage, ResetSendsFrequencyThenGainPerBandWithThePagesDefaults) {
    FakeStripControls music;
    const std::vector<int> music_sent = ResetSends(layout::kMusicPage, music);
    ASSERT_EQ(music_sent.size(), 30u);
    EXPECT_EQ(music_sent[0], 15);
    EXPECT_EQ(music_sent[1], 45);
    EXPECT_EQ(music_sent[29], 59);
    EXPECT_EQ(music.bands[14].freq, 16000);
    EXPECT_EQ(music.bands[0].gain, 0.0);
    EXPECT_EQ(music.bands[0].q, QFromCode(200));  // Q untouched
    EXPECT_EQ(music.bands[0].type, 5.0);          // type untouched
    EXPECT_EQ(music.graph[7].freq, 1000);

    FakeStripControls sub;
    const std::vector<int> sub_sent = ResetSends(layout::kSubPage, sub);
    ASSERT_EQ(sub_sent.size(), 14u);
    std::vector<double> sub_freqs;
    for (std::size_t b = 0; b < 7; ++b)
        sub_freqs.push_back(sub.bands[b].freq);
    // The defaults as the editor's table holds them.
    EXPECT_EQ(sub_freqs, (std::vector<double>{25.3, 50.6, 101, 202, 405, 606, 1000}));

    FakeStripControls main;
    ResetSends(layout::kMainPage, main);
    EXPECT_EQ(main.bands[6].freq, 10100);

    FakeStripControls echo;
    const std::vector<int> echo_sent = ResetSends(layout::kEchoPage, echo);
    EXPECT_EQ(echo_sent, (std::vector<int>{10, 30, 11, 31, 12, 32, 13, 33, 14, 34}));
    EXPECT_EQ(echo.bands[4].freq, 8000);
}

// Before any value arrived the graph shows what the editors show, so a handle pressed where it stands sends
// nothing; a handle moved sends only what it changed.
TEST(StripPage, BandsStartAsTheEditorsShowThemAndAHandleSendsOnlyWhatItChanged) {
    for (int page_id : {layout::kMusicPage, layout::kMainPage, layout::kEchoPage}) {
        SCOPED_TRACE(page_id);
        FakeStripControls c;
        c.graph.fill({0.0, 19.0, 1.5, 7.0});  // where a graph's handles stand before they are placed
        StripPage page(page_id, c);
        testing::RecordingEdits edits;
        page.SendEditsTo(edits);
        page.Initialise();
        const int bands = page.Descriptor().band_count;
        for (int b = 0; b < bands; ++b) {
            const auto i = static_cast<std::size_t>(b);
            // The default on the editor's table, in the editor and on the graph alike.
            EXPECT_EQ(c.bands[i].freq, EditorFreqFor(page.DefaultFrequencies()[i])) << "band " << b;
            EXPECT_EQ(c.graph[i].freq, c.bands[i].freq) << "band " << b;
            EXPECT_EQ(c.graph[i].q, kEditorInitial[kFieldQ]) << "band " << b;
            EXPECT_EQ(c.graph[i].gain, kEditorInitial[kFieldGain]) << "band " << b;
            EXPECT_EQ(c.graph[i].type, kEditorInitialType) << "band " << b;
        }
        const auto graph_band = [&c](int b) {
            const FakeStripControls::Band& g = c.graph[static_cast<std::size_t>(b)];
            return BandValues{g.gain, g.freq, g.q, static_cast<int>(g.type)};
        };
        for (int b = 0; b < bands; ++b)
            page.OnGraphBand(b, graph_band(b));
        EXPECT_TRUE(edits.edits.empty());

        c.graph[1].gain = -4.0;  // dragged straight down
        page.OnGraphBand(1, graph_band(1));
        EXPECT_EQ(edits.Codes(),
                  std::vector<int>{layout::EqCode(page.Descriptor().band_codes, 1, layout::EqField::kGain)});
        EXPECT_EQ(edits.edits[0].raw, GainCodeFor(-4.0));
    }
}

// A band the processor holds between two table entries is shown and kept as held: the editor shows 400,
// a press on the graph's handle (which stands at 405) changes nothing, and only a move writes.
TEST(StripPage, ABandOffTheTableStaysAsTheDeviceHoldsItUntilMoved) {
    FakeStripControls c;
    StripPage music(layout::kMusicPage, c);
    testing::RecordingEdits edits;
    music.SendEditsTo(edits);
    music.Initialise();
    const int freq = layout::EqCode(music.Descriptor().band_codes, 0, layout::EqField::kFrequency);
    const int q = layout::EqCode(music.Descriptor().band_codes, 0, layout::EqField::kQ);
    for (const auto& [code, raw] : {std::pair{freq, 400}, std::pair{freq, 32768 + 630}, std::pair{q, 123}}) {
        SCOPED_TRACE(raw);
        edits.edits.clear();
        music.SetCodeValue(code, raw);
        const bool is_freq = code == freq;
        const double held = is_freq ? CodeToFreq(raw) : QFromCode(raw);
        EXPECT_EQ(is_freq ? c.bands[0].freq : c.bands[0].q, held);
        EXPECT_EQ(music.GetCodeValue(code), raw);
        BandValues pressed{c.graph[0].gain, EditorFreqFor(c.graph[0].freq), EditorQFor(c.graph[0].q),
                           static_cast<int>(c.graph[0].type)};
        music.OnGraphBand(0, pressed);
        EXPECT_TRUE(edits.edits.empty());
        EXPECT_EQ(music.GetCodeValue(code), raw);
        music.OnBandEditor(0, is_freq ? kFieldFreq : kFieldQ, held);
        EXPECT_EQ(music.GetCodeValue(code), raw);
        (is_freq ? pressed.freq : pressed.q) = is_freq ? 2000.0 : 2.0;
        (is_freq ? c.graph[0].freq : c.graph[0].q) = is_freq ? 2000.0 : 2.0;  // the handle was dragged
        music.OnGraphBand(0, pressed);
        ASSERT_FALSE(edits.edits.empty());
        EXPECT_EQ(edits.edits.back().raw, is_freq ? FreqToCode(2000.0) : QCodeFor(2.0));
    }
}

// A combo box or band field showing something other than the device's raw value says so; one showing it
// says nothing (the editors hold their fields inside their ranges themselves).
void ExpectComboAndBandNotes(StripPage& page, const FakeStripControls& c, int code, int raw) {
    SCOPED_TRACE(::testing::Message() << "code " << code << " raw " << raw);
    const StripDescriptor& d = page.Descriptor();
    const bool shown_as_held = page.GetCodeValue(code) == raw;
    const auto note = [](const auto& notes, const auto& key) {
        const auto it = notes.find(key);
        return it == notes.end() ? std::wstring() : it->second;
    };
    if (code == d.high_pass_slope_code || code == d.low_pass_slope_code ||
        (d.kind == StripKind::kInput && code == 82)) {
        const int combo = code == d.high_pass_slope_code  ? kHighPassCombo
                          : code == d.low_pass_slope_code ? kLowPassCombo
                                                          : kFbxCombo;
        EXPECT_EQ(note(c.combo_note, combo).empty(), shown_as_held);
        EXPECT_EQ(note(c.combo_note, combo).find(std::to_wstring(raw)) != std::wstring::npos, !shown_as_held);
    }
    const auto bf = layout::EqFieldForCode(d.band_codes, d.band_count, code);
    if (!bf)
        return;
    const int field = bf->field == layout::EqField::kType        ? kFieldType
                      : bf->field == layout::EqField::kFrequency ? kFieldFreq
                      : bf->field == layout::EqField::kQ         ? kFieldQ
                                                                 : kFieldGain;
    const bool known_type = raw == 5 || raw == 6 || raw == 7 || raw == 0x8000;
    EXPECT_EQ(note(c.band_note, std::pair{bf->band, field}).empty(),
              field == kFieldType ? known_type : shown_as_held);
}

// Whatever 16-bit values the processor holds, every control stays inside its scale, its caption is the one
// its position gives, and a control that cannot show the device's value says so.
TEST(StripPage, RandomDeviceValuesKeepEveryControlAndCaptionInsideItsScale) {
    LanguageScope english(kLanguageEnglish);
    std::mt19937 random(22);
    std::uniform_int_distribution<int> word(0, 65535);
    for (int page_id : {layout::kMainPage, layout::kSubPage, layout::kMusicPage, layout::kMicPage,
                        layout::kEchoPage, layout::kReverbPage}) {
        SCOPED_TRACE(page_id);
        FakeStripControls c;
        StripPage page(page_id, c);
        page.Initialise();
        FakeStripControls fresh;  // the same page, moved by the user to each position
        StripPage reference(page_id, fresh);
        reference.Initialise();
        for (int round = 0; round < 20; ++round) {
            for (int code = 0; code < 100; ++code) {
                const int raw = word(random);
                page.SetCodeValue(code, raw);
                ExpectComboAndBandNotes(page, c, code, raw);
                const ValueSlot* slot = nullptr;
                for (const ValueSlot& s : page.Slots()) {
                    if (s.code == code && page.SlotShown(s.slot))
                        slot = &s;
                }
                if (slot == nullptr)
                    continue;
                SCOPED_TRACE(::testing::Message() << "code " << code << " raw " << raw);
                double v = c.value[slot->slot];
                if (slot->kind == SlotKind::kLevel)
                    v = LevelFromCode(static_cast<int>(v)).level;
                EXPECT_GE(v, slot->lower);
                EXPECT_LE(v, slot->upper);
                reference.OnValueControl(slot->slot, c.value[slot->slot]);
                EXPECT_EQ(c.value_caption[slot->slot], fresh.value_caption[slot->slot]);
                EXPECT_EQ(c.value_note[slot->slot].empty(), page.GetCodeValue(code) == raw);
            }
        }
    }
}

TEST(StripPage, NotificationsMoveTheGraphAndSendTheirCodes) {
    FakeStripControls c;
    StripPage out(layout::kCenterPage, c);
    out.Initialise();
    testing::RecordingEdits edits;
    out.SendEditsTo(edits);

    out.OnBandEditor(2, kFieldGain, -3.5);
    EXPECT_EQ(c.graph[2].gain, -3.5);
    out.OnGraphBand(4, {2.0, 2000.0, 3.0, 5});
    EXPECT_EQ(c.bands[4].freq, 2000.0);
    EXPECT_EQ(c.bands[4].type, 5.0);
    out.OnGraphBand(7, {});  // no band 7
    out.OnValueControl(14, 0);
    EXPECT_LT(c.pass_freq[0], kFreqLowestReal);
    EXPECT_EQ(out.GetCodeValue(58), 32768);
    out.OnGraphPass(1, 20600);
    EXPECT_EQ(c.value[15], 362);
    out.OnCombo(kLowPassCombo, 5);
    EXPECT_EQ(c.pass_type[1], 25);
    out.OnButton(1, kCheckPressed);  // Mute
    out.OnButton(0, kCheckPressed);  // Left Mute is not on a mono page
    out.OnButton(kEqPassButton, kCheckPush);
    EXPECT_EQ(c.eq_active, 0);
    out.OnGraphMenu(kGraphCopy);
    out.OnGraphMenu(kGraphPaste);
    EXPECT_EQ(edits.Codes(), (std::vector<int>{32, 4, 34, 14, 24, 58, 60, 61, 42, 40, 62, 63}));
    // Each edit carries what the page now holds for its code.
    for (const testing::RecordingEdits::Edit& e : edits.edits) {
        EXPECT_EQ(e.page_id, layout::kCenterPage);
        if (e.code != kCopyEqCode && e.code != kPasteEqCode) {
            EXPECT_EQ(e.raw, out.GetCodeValue(e.code)) << e.code;
        }
    }
    EXPECT_EQ(edits.edits[0].raw, GainCodeFor(-3.5));
    EXPECT_EQ(edits.edits[8].raw, 1);  // muted

    // The input page's high-pass handle stops at 303 Hz: fully right is position 143.
    FakeStripControls in;
    StripPage music(layout::kMusicPage, in);
    music.Initialise();
    testing::RecordingEdits music_edits;
    music.SendEditsTo(music_edits);
    music.OnGraphPass(0, 303);
    EXPECT_EQ(in.value[14], 143);
    EXPECT_EQ(music.GetCodeValue(78), 303);
    music.OnValueControl(15, 64);
    EXPECT_EQ(in.pass_freq[1], 20600);
    EXPECT_EQ(music_edits.Codes().back(), 80);
    music.OnGraphMenu(kGraphCopy);  // no menu on the input pages
    EXPECT_EQ(music_edits.Codes().back(), 80);
}

TEST(StripPage, MicButtonsLoadTheChosenMicrophoneWithoutSending) {
    FakeStripControls c;
    StripPage mic(layout::kMicPage, c);
    mic.Initialise();
    testing::RecordingEdits edits;
    mic.SendEditsTo(edits);
    EXPECT_TRUE(mic.MicAPressed());
    EXPECT_FALSE(mic.MicBPressed());
    for (int b = 0; b < 15; ++b) {
        edits.table[static_cast<std::size_t>(113 + 4 * b)] = 5;  // type
        edits.table[static_cast<std::size_t>(114 + 4 * b)] =
            static_cast<std::uint16_t>(200 + b);                   // frequency
        edits.table[static_cast<std::size_t>(115 + 4 * b)] = 560;  // gain
        edits.table[static_cast<std::size_t>(116 + 4 * b)] = 250;  // Q
    }
    edits.table[36] = 0;
    edits.table[46] = 152;
    edits.table[45] = 24;
    edits.table[50] = 8000;
    edits.table[49] = 13;
    mic.OnButton(kMicBButton, kCheckPressed);
    EXPECT_TRUE(edits.edits.empty());
    EXPECT_TRUE(mic.MicBPressed());
    EXPECT_FALSE(mic.MicAPressed());
    EXPECT_EQ(c.posted, std::vector<int>{kMicSelectedB});
    EXPECT_EQ(mic.GetCodeValue(29), 214);
    EXPECT_EQ(mic.GetCodeValue(59), 560);
    EXPECT_EQ(mic.GetCodeValue(44), 250);
    EXPECT_EQ(mic.GetCodeValue(60), 0);
    EXPECT_EQ(mic.GetCodeValue(78), 152);
    EXPECT_EQ(mic.GetCodeValue(79), 24);
    EXPECT_EQ(mic.GetCodeValue(80), 8000);
    EXPECT_EQ(mic.GetCodeValue(81), 13);

    edits.table[54 + 4 * 14] = 16000;
    mic.OnButton(kMicAButton, kCheckPressed);
    EXPECT_TRUE(mic.MicAPressed());
    EXPECT_EQ(mic.GetCodeValue(29), 16000);
    EXPECT_EQ(c.posted.back(), kMicSelectedA);

    // The Music page has no microphone buttons.
    FakeStripControls m;
    StripPage music(layout::kMusicPage, m);
    music.Initialise();
    music.OnButton(kMicBButton, kCheckPressed);
    EXPECT_TRUE(m.posted.empty());
    EXPECT_FALSE(music.MicAPressed());
}

// A drag in a band editor travels one way: the page takes the editor's value from its notification and
// hands the device's value to the write; the controls are only ever told.
TEST(StripPage, ABandEditorDragReachesTheWriteWithItsValue) {
    FakeStripControls c;
    StripPage music(layout::kMusicPage, c);
    music.Initialise();
    testing::RecordingEdits edits;
    music.SendEditsTo(edits);
    const int code = layout::EqCode(music.Descriptor().band_codes, 2, layout::EqField::kGain);
    int held = -1;
    edits.then = [&](int, int edited, int) { held = music.GetCodeValue(edited); };
    for (double gain : {-6.3, 0.0, 11.9}) {
        edits.edits.clear();
        music.OnBandEditor(2, kFieldGain, gain);
        ASSERT_EQ(edits.edits.size(), 1u);
        EXPECT_EQ(edits.edits[0],
                  (testing::RecordingEdits::Edit{layout::kMusicPage, code, GainCodeFor(gain)}));
        EXPECT_EQ(held, GainCodeFor(gain));  // the page answers from what it was told, during the write too
        EXPECT_EQ(c.graph[2].gain, gain);
    }
}

// The pages and the parameter map together: edits reach the right parameter of the active bank.
class StripPagesWithMap : public ::testing::Test {
  protected:
    static constexpr std::array<int, layout::kStripCount> kOutputIds{layout::kMainPage, layout::kCenterPage,
                                                                     layout::kSubPage, layout::kRearPage};
    StripPagesWithMap() {
        for (std::size_t i = 0; i < outputs_.size(); ++i) {
            outputs_[i] = std::make_unique<StripPage>(kOutputIds[i], out_controls_[i]);
            outputs_[i]->Initialise();
            mapped_.outputs[i] = outputs_[i].get();
        }
        mic_.Initialise();
        map_ = std::make_unique<ParameterMap>(link_, mapped_);
        for (auto& page : outputs_)
            page->SendEditsTo(*map_);
        mic_.SendEditsTo(*map_);
    }
    static MappedControls Mapped(std::array<std::unique_ptr<StripPage>, layout::kStripCount>&, StripPage& mic,
                                 testing::RecordingMessages& messages) {
        MappedControls c;
        c.mic = &mic;
        c.messages = &messages;
        return c;
    }
    void SetBank(bool dance) { link_.Table().WriteParameter(param::kModeWord, dance ? 2 : 0, false); }
    std::uint16_t Entry(std::size_t i) { return link_.Table().Value(i); }
    bool Dirty(std::size_t i) { return link_.Table().IsDirty(i); }

    testing::ManualClock clock_;
    testing::Latin1CodePage code_page_;
    DeviceLink link_{clock_, code_page_};
    std::array<FakeStripControls, layout::kStripCount> out_controls_;
    std::array<std::unique_ptr<StripPage>, layout::kStripCount> outputs_;
    FakeStripControls mic_controls_;
    StripPage mic_{layout::kMicPage, mic_controls_};
    testing::RecordingMessages messages_;
    MappedControls mapped_ = Mapped(outputs_, mic_, messages_);
    std::unique_ptr<ParameterMap> map_;
};

TEST_F(StripPagesWithMap, CopyOnCenterPasteOnRearInTheDanceBank) {
    SetBank(true);
    StripPage& center = *outputs_[1];
    StripPage& rear = *outputs_[3];
    FakeStripControls& rear_controls = out_controls_[3];

    rear.OnGraphMenu(kGraphPaste);  // nothing copied yet
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, Text(str::kNoDuplicateContent));
    EXPECT_FALSE(Dirty(698));

    for (int b = 0; b < 7; ++b) {
        center.SetCodeValue(b, 5);
        center.SetCodeValue(10 + b, 300 + b);
        center.SetCodeValue(20 + b, 250);
        center.SetCodeValue(30 + b, 440 + b);
    }
    center.OnGraphMenu(kGraphCopy);
    rear.OnGraphMenu(kGraphPaste);
    EXPECT_EQ(messages_.shown.size(), 1u);
    for (int b = 0; b < 7; ++b) {
        const std::size_t first = 698 + 4 * static_cast<std::size_t>(b);
        EXPECT_EQ(Entry(first), 5) << b;
        // Each frequency as the Center page holds it, between table entries too.
        const int shown = 300 + b;
        EXPECT_EQ(Entry(first + 1), shown) << b;
        EXPECT_EQ(Entry(first + 2), 440 + b) << b;
        EXPECT_EQ(Entry(first + 3), 250) << b;
        EXPECT_TRUE(Dirty(first) && Dirty(first + 3)) << b;
        EXPECT_EQ(rear_controls.graph[static_cast<std::size_t>(b)].freq, CodeToFreq(shown));
    }
    // The Sing bank's Rear EQ is untouched.
    EXPECT_FALSE(Dirty(490));
}

TEST_F(StripPagesWithMap, EditsReachTheActiveBankAndTheChosenMicrophone) {
    SetBank(false);
    outputs_[0]->OnBandEditor(3, kFieldType, 6);
    EXPECT_EQ(Entry(347), 6);
    SetBank(true);
    outputs_[0]->OnBandEditor(3, kFieldType, 7);
    EXPECT_EQ(Entry(555), 7);
    EXPECT_EQ(Entry(347), 6);

    // MIC A by default: band 0's gain goes to 55, then after MIC B to 115.
    mic_.OnBandEditor(0, kFieldGain, 3.0);
    EXPECT_EQ(Entry(55), 530);
    EXPECT_FALSE(Dirty(115));
    link_.Table().WriteParameter(36, 0, false);
    mic_.OnButton(kMicBButton, kCheckPressed);
    mic_.OnBandEditor(0, kFieldGain, -2.0);
    EXPECT_EQ(Entry(115), 480);
    EXPECT_EQ(Entry(55), 530);
    mic_.OnButton(kEqPassButton, kCheckPush);  // MIC B's EQ PASS entry was 0 (passed): now in effect
    EXPECT_EQ(Entry(36), 1);
    EXPECT_TRUE(Dirty(36));
    EXPECT_FALSE(Dirty(35));

    // A received MIC B value is shown while MIC B is chosen.
    link_.Table().WriteParameter(114, 2500, false);
    map_->RefreshFromParameter(114, 2500);
    EXPECT_EQ(mic_controls_.bands[0].freq, 2500);
}

}  // namespace
}  // namespace vela
