#include "core/model/parameter_map.h"

#include <gtest/gtest.h>

#include <set>

#include "core/model/value_scales.h"
#include "core/text/strings.h"
#include "support/mapped_fakes.h"

namespace vela {
namespace {

using testing::FakeCodePage;

class ParameterMapTest : public ::testing::Test, public testing::MappedFakes {
  protected:
    void SetUp() override {
        saved_language_ = LanguageIndex();
        SetLanguageIndex(kLanguageEnglish);
        SetBank(false);
    }
    void TearDown() override { SetLanguageIndex(saved_language_); }

    FakeCodePage& Output(layout::Strip s) { return outputs[static_cast<std::size_t>(s)]; }

    // The mode word as the device would have it; the bank comes from its bit 1.
    void SetBank(bool dance) { link.Table().WriteParameter(param::kModeWord, dance ? 2 : 0, false); }
    void ClearMarks() { link.Table().ClearReceivedAndDirty(); }
    std::uint16_t Value(std::size_t i) const { return link.Table().Value(i); }

    // Sends one edit with a distinctive value and returns the indexes it marked.
    std::vector<std::size_t> Send(int page_id, FakeCodePage& page, int code, int value = 4321) {
        ClearMarks();
        page.values[code] = value;
        map.Edited(page_id, code, value);
        return Dirty();
    }

  private:
    int saved_language_ = kLanguageEnglish;
};

using Indexes = std::vector<std::size_t>;

TEST_F(ParameterMapTest, OutputPagesWriteTheActiveBank) {
    EXPECT_EQ(Send(layout::kMainPage, Output(layout::Strip::kMain), 3), Indexes{347});
    EXPECT_EQ(Value(347), 4321);
    EXPECT_EQ(Send(layout::kCenterPage, Output(layout::Strip::kCenter), 52), Indexes{375});
    EXPECT_EQ(Send(layout::kMainPage, Output(layout::Strip::kMain), 52), Indexes{});
    EXPECT_EQ(Send(layout::kSubPage, Output(layout::Strip::kSub), 48), Indexes{432});
    EXPECT_EQ(Send(layout::kSubPage, Output(layout::Strip::kSub), 49), Indexes{436});
    EXPECT_EQ(Send(layout::kCenterPage, Output(layout::Strip::kCenter), 48), Indexes{});
    EXPECT_EQ(Send(layout::kRearPage, Output(layout::Strip::kRear), 49), Indexes{});
    EXPECT_EQ(Send(layout::kMainPage, Output(layout::Strip::kMain), 44), Indexes{314});
    EXPECT_EQ(Send(layout::kRearPage, Output(layout::Strip::kRear), 60), Indexes{469 + 18});
    EXPECT_EQ(Send(layout::kMainPage, Output(layout::Strip::kMain), 36),
              Indexes{314 + 21 + 24 + 2});  // band 6 gain
    EXPECT_EQ(Send(layout::kCenterPage, Output(layout::Strip::kCenter), 20),
              Indexes{367 + 19 + 3});  // band 0 Q
    SetBank(true);
    EXPECT_EQ(Send(layout::kMainPage, Output(layout::Strip::kMain), 3), Indexes{555});
    EXPECT_EQ(Send(layout::kCenterPage, Output(layout::Strip::kCenter), 52), Indexes{583});
    // Codes an output page does not map: band codes past its seven bands and unused codes.
    EXPECT_EQ(Send(layout::kMainPage, Output(layout::Strip::kMain), 7), Indexes{});
    EXPECT_EQ(Send(layout::kMainPage, Output(layout::Strip::kMain), 50), Indexes{});
    EXPECT_EQ(Send(layout::kMainPage, Output(layout::Strip::kMain), 99), Indexes{});
}

// Every code of every strip in both banks: the index it writes comes back to the same page and code,
// and nothing else on any strip page is touched.
TEST_F(ParameterMapTest, EveryOutputCodeRoundTripsThroughItsIndex) {
    std::set<std::size_t> seen;
    for (int bank = 0; bank < 2; ++bank) {
        SetBank(bank == 1);
        for (int s = 0; s < layout::kStripCount; ++s) {
            const auto strip = static_cast<layout::Strip>(s);
            const int page_id = layout::Strips()[static_cast<std::size_t>(s)].page_id;
            for (int code = 0; code < 62; ++code) {
                const auto written = Send(page_id, Output(strip), code, 1000 + code);
                if (written.empty())
                    continue;
                ASSERT_EQ(written.size(), 1u) << "strip " << s << " code " << code;
                const std::size_t index = written[0];
                ASSERT_TRUE(seen.insert(index).second) << "index " << index << " written twice";
                ASSERT_GE(index, layout::StripBase(strip, bank == 1));
                for (auto& page : outputs)
                    page.sets.clear();
                map.RefreshFromParameter(index, Value(index));
                ASSERT_EQ(Output(strip).sets.size(), 1u) << index;
                EXPECT_EQ(Output(strip).sets[0], std::make_pair(code, 1000 + code)) << index;
                for (auto& page : outputs) {
                    if (&page != &Output(strip)) {
                        EXPECT_TRUE(page.sets.empty());
                    }
                }
            }
        }
    }
    // Per strip and bank: 28 EQ entries plus 17 other controls (Sub), 15 (Center), 17 (Main, Rear).
    EXPECT_EQ(seen.size(), 2u * (4 * 28 + 17 + 15 + 17 + 17));
}

TEST_F(ParameterMapTest, InactiveBankValuesChangeNothingOnScreen) {
    map.RefreshFromParameter(555, 7);
    EXPECT_TRUE(Output(layout::Strip::kMain).sets.empty());
    map.RefreshFromParameter(347, 7);
    ASSERT_EQ(Output(layout::Strip::kMain).sets.size(), 1u);
    EXPECT_EQ(Output(layout::Strip::kMain).sets[0], std::make_pair(3, 7));
    map.RefreshFromParameter(329, 7);  // a spare offset of the Main strip
    map.RefreshFromParameter(381, 7);  // Center's offset 14 exists on Sub only
    EXPECT_EQ(Output(layout::Strip::kMain).sets.size(), 1u);
    EXPECT_TRUE(Output(layout::Strip::kCenter).sets.empty());
}

TEST_F(ParameterMapTest, MicPageWritesTheEditToEveryPressedMicrophone) {
    mic.mic_a = true;
    mic.mic_b = true;
    EXPECT_EQ(Send(layout::kMicPage, mic, 0, 17), (Indexes{53, 113}));
    EXPECT_EQ(Value(113), 17);  // the edit's one value, without asking the page again
    EXPECT_EQ(Value(53), 17);
    EXPECT_TRUE(mic.gets.empty());

    mic.mic_b = false;
    const std::pair<int, std::size_t> mic_a[] = {{60, 35}, {79, 37}, {78, 38}, {81, 41}, {80, 42}, {59, 111}};
    for (const auto& [code, index] : mic_a)
        EXPECT_EQ(Send(layout::kMicPage, mic, code), Indexes{index}) << code;

    mic.mic_a = false;
    mic.mic_b = true;
    const std::pair<int, std::size_t> mic_b[] = {{60, 36}, {79, 45}, {78, 46},
                                                 {81, 49}, {80, 50}, {20, 113 + 21}};
    for (const auto& [code, index] : mic_b)
        EXPECT_EQ(Send(layout::kMicPage, mic, code), Indexes{index}) << code;

    mic.mic_b = false;
    EXPECT_EQ(Send(layout::kMicPage, mic, 0), Indexes{});
    EXPECT_EQ(Send(layout::kMicPage, mic, 60), Indexes{});
    // The compressor, FBX and volumes do not depend on the buttons.
    const std::pair<int, std::size_t> fixed[] = {{73, 34}, {74, 32}, {75, 33}, {76, 31},
                                                 {82, 30}, {83, 26}, {84, 27}};
    for (const auto& [code, index] : fixed)
        EXPECT_EQ(Send(layout::kMicPage, mic, code), Indexes{index}) << code;
    EXPECT_EQ(Send(layout::kMicPage, mic, 86), Indexes{});
}

TEST_F(ParameterMapTest, MicPageShowsTheMicrophoneOfTheMicBButton) {
    mic.mic_b = true;
    map.RefreshFromParameter(53, 1);
    map.RefreshFromParameter(35, 1);
    EXPECT_TRUE(mic.sets.empty());
    map.RefreshFromParameter(113 + 4 * 2 + 2, 520);  // band 2 gain
    map.RefreshFromParameter(46, 33758);
    map.RefreshFromParameter(36, 0);
    EXPECT_EQ(mic.sets, (std::vector<std::pair<int, int>>{{45 + 2, 520}, {78, 33758}, {60, 0}}));

    mic.sets.clear();
    mic.mic_a = false;
    mic.mic_b = false;                               // neither pressed: the page shows MIC A
    map.RefreshFromParameter(53 + 4 * 14 + 3, 141);  // band 14 Q
    map.RefreshFromParameter(41, 9);
    map.RefreshFromParameter(113, 1);
    EXPECT_EQ(mic.sets, (std::vector<std::pair<int, int>>{{30 + 14, 141}, {81, 9}}));
}

TEST_F(ParameterMapTest, MusicAndEffectPages) {
    EXPECT_EQ(Send(layout::kMusicPage, music, 20), Indexes{254 + 5 * 4 + 1});   // band 5 frequency
    EXPECT_EQ(Send(layout::kMusicPage, music, 59), Indexes{254 + 14 * 4 + 2});  // band 14 gain
    EXPECT_EQ(Send(layout::kMusicPage, music, 86), Indexes{244});
    EXPECT_EQ(Send(layout::kMusicPage, music, 78), Indexes{247});
    EXPECT_EQ(Send(layout::kMusicPage, music, 73), Indexes{});
    EXPECT_EQ(Send(layout::kEchoPage, echo, 34), Indexes{204 + 4 * 4 + 2});
    EXPECT_EQ(Send(layout::kReverbPage, reverb, 24), Indexes{224 + 4 * 4 + 3});
    EXPECT_EQ(Send(layout::kEchoPage, echo, 41), Indexes{173});
    EXPECT_EQ(Send(layout::kReverbPage, reverb, 41), Indexes{175});
    EXPECT_EQ(Send(layout::kReverbPage, reverb, 53), Indexes{185});
    EXPECT_EQ(Send(layout::kReverbPage, reverb, 47), Indexes{});
    EXPECT_EQ(Send(layout::kEchoPage, echo, 5), Indexes{});  // an effect page has five bands
    EXPECT_EQ(Send(layout::kEchoPage, echo, 54), Indexes{});

    map.RefreshFromParameter(254 + 5 * 4 + 1, 1000);
    map.RefreshFromParameter(224 + 3, 141);
    map.RefreshFromParameter(201, 20600);
    EXPECT_EQ(music.sets, (std::vector<std::pair<int, int>>{{20, 1000}}));
    EXPECT_EQ(reverb.sets, (std::vector<std::pair<int, int>>{{20, 141}, {44, 20600}}));
}

TEST_F(ParameterMapTest, EchoLeftPreDelayAlsoSetsTheRightOne) {
    EXPECT_EQ(Send(layout::kEchoPage, echo, 47, 120), (Indexes{177, 178}));
    EXPECT_EQ(Value(177), 120);
    EXPECT_EQ(Value(178), 120);
    EXPECT_EQ(Send(layout::kEchoPage, echo, 49, 80), Indexes{178});
    EXPECT_EQ(Value(177), 120);
    // The copy is the value as stored (its low 16 bits), not the page's raw number.
    EXPECT_EQ(Send(layout::kEchoPage, echo, 47, 0x10000 + 5), (Indexes{177, 178}));
    EXPECT_EQ(Value(178), 5);
}

TEST_F(ParameterMapTest, PagesWithoutAMappingWriteNothing) {
    for (int page_id : {7, 8, 10, -1, 1000}) {
        EXPECT_EQ(Send(page_id, system, 3), Indexes{}) << page_id;
    }
    EXPECT_TRUE(system.gets.empty());
}

TEST_F(ParameterMapTest, CopyOnCenterPasteOnRearInTheDanceBank) {
    auto& center = Output(layout::Strip::kCenter);
    auto& rear = Output(layout::Strip::kRear);
    for (int code = 0; code < 40; ++code)
        center.values[code] = 2000 + code;
    EXPECT_EQ(Send(layout::kCenterPage, center, 62), Indexes{});
    EXPECT_TRUE(map.ClipboardFilled());

    SetBank(true);
    const auto written = Send(layout::kRearPage, rear, 63);
    Indexes expected;
    for (std::size_t i = 698; i <= 725; ++i)
        expected.push_back(i);
    EXPECT_EQ(written, expected);
    ASSERT_EQ(rear.sets.size(), 28u);
    for (int band = 0; band < 7; ++band) {
        EXPECT_EQ(Value(698 + 4 * band + 0), 2000 + band);       // type
        EXPECT_EQ(Value(698 + 4 * band + 1), 2000 + 10 + band);  // frequency
        EXPECT_EQ(Value(698 + 4 * band + 2), 2000 + 30 + band);  // gain
        EXPECT_EQ(Value(698 + 4 * band + 3), 2000 + 20 + band);  // Q
    }
    EXPECT_TRUE(messages.shown.empty());
}

// An imported EQ is one edit: every band field of the page goes where an edit of it goes, in the active
// bank for an output page and to the pressed microphone for the Mic page.
TEST_F(ParameterMapTest, AnImportWritesEveryBandFieldOfThePage) {
    struct Case {
        int page_id;
        FakeCodePage* page;
        layout::EqCodes codes;
        int bands;
        std::size_t first;  // index of band 0's type
    };
    SetBank(true);
    mic.mic_a = false;
    mic.mic_b = true;
    const Case cases[] = {
        {layout::kRearPage, &Output(layout::Strip::kRear), layout::EqCodes::kOutput, 7, 698},
        {layout::kMusicPage, &music, layout::EqCodes::kInput, 15, 254},
        {layout::kMicPage, &mic, layout::EqCodes::kInput, 15, 113},
        {layout::kReverbPage, &reverb, layout::EqCodes::kOutput, 5, 224},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page_id);
        for (int band = 0; band < c.bands; ++band) {
            for (int field = 0; field < layout::kEqFields; ++field)
                c.page->values[layout::EqCode(c.codes, band, static_cast<layout::EqField>(field))] =
                    3000 + 10 * band + field;
        }
        const auto written = Send(c.page_id, *c.page, kImportEqCode, 0);
        ASSERT_EQ(written.size(), static_cast<std::size_t>(layout::kEqFields * c.bands));
        EXPECT_EQ(written.front(), c.first);
        for (int band = 0; band < c.bands; ++band) {
            for (int field = 0; field < layout::kEqFields; ++field)
                EXPECT_EQ(Value(c.first + 4 * band + field), 3000 + 10 * band + field)
                    << band << " " << field;
        }
    }
    EXPECT_EQ(Send(layout::kSystemPage, system, kImportEqCode, 0), Indexes{});
}

TEST_F(ParameterMapTest, PasteStoresWhatThePageAcceptedAndNothingBeforeACopy) {
    auto& main = Output(layout::Strip::kMain);
    EXPECT_EQ(Send(layout::kMainPage, main, 63), Indexes{});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, L"No duplicate content!");
    EXPECT_TRUE(messages.shown[0].caption.empty());
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::kOk);
    EXPECT_TRUE(main.sets.empty());

    Send(layout::kMainPage, main, 62);
    main.count_reads = true;  // the page reports its own reading after each SetCodeValue
    Send(layout::kMainPage, main, 63);
    EXPECT_EQ(Value(335), 1);        // band 0 type, first in the clipboard order
    EXPECT_EQ(Value(335 + 27), 21);  // band 6 Q, code 26
    EXPECT_EQ(Value(335 + 26), 28);  // band 6 gain, code 36, last
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(ParameterMapTest, SharedIndexesFeedEveryPageThatShowsThem) {
    map.RefreshFromParameter(26, 584);
    map.RefreshFromParameter(244, 12);
    map.RefreshFromParameter(941, 13);
    map.RefreshFromParameter(933, 3);
    map.RefreshFromParameter(934, 0x0503);
    map.RefreshFromParameter(927, 0);
    map.RefreshFromParameter(935, 1);
    map.RefreshFromParameter(800, 1);
    EXPECT_EQ(mic.sets, (std::vector<std::pair<int, int>>{{83, 584}}));
    EXPECT_EQ(music.sets, (std::vector<std::pair<int, int>>{{86, 12}}));
    EXPECT_EQ(system.sets,
              (std::vector<std::pair<int, int>>{{13, 584}, {12, 12}, {8, 13}, {22, 3}, {23, 0x0503}}));
}

TEST_F(ParameterMapTest, MasterFadersWriteTheirLevelsWithinTheSystemMaximum) {
    ClearMarks();
    faders.value = {60.7, 40, 50, 70};
    map.OnMasterFader(kMusicFader);
    EXPECT_EQ(Dirty(), Indexes{28});
    EXPECT_EQ(Value(28), 560);
    EXPECT_EQ(faders.caption_of[kMusicFader], L"Music: 61%");
    map.OnMasterFader(kMicFader);
    map.OnMasterFader(kEffectFader);
    EXPECT_EQ(Value(25), 540);
    EXPECT_EQ(Value(29), 570);
    ClearMarks();
    map.OnMasterFader(kMicVolBFader);  // hidden, writes nothing
    map.OnMasterFader(7);
    EXPECT_EQ(Dirty(), Indexes{});

    faders.max[kEffectFader] = 50;
    faders.max[kMicFader] = 20;
    map.OnMasterFader(kEffectFader);
    EXPECT_EQ(faders.value[kEffectFader], 50);
    EXPECT_EQ(faders.value[kMicFader], 20);  // every fader is held, not only the one that moved
    EXPECT_EQ(faders.caption_of[kMicFader], L"Mic: 20%");
    EXPECT_EQ(Value(29), 550);
    EXPECT_EQ(Value(25), 540);  // written the next time it moves
}

TEST_F(ParameterMapTest, ReceivedMasterLevelsMoveTheFaders) {
    map.RefreshFromParameter(28, 560);
    EXPECT_EQ(faders.value[kMusicFader], 60);
    EXPECT_EQ(faders.caption_of[kMusicFader], L"Music: 60%");
    const int sets = faders.set_calls;
    map.RefreshFromParameter(28, 60);
    EXPECT_EQ(faders.value[kMusicFader], 60);
    EXPECT_EQ(faders.set_calls, sets);  // already there: not moved again
    map.RefreshFromParameter(25, 512);
    map.RefreshFromParameter(29, 84);
    EXPECT_EQ(faders.value[kMicFader], 12);
    EXPECT_EQ(faders.value[kEffectFader], 84);
    EXPECT_EQ(faders.caption_of[kEffectFader], L"Effect: 84%");
}

// A level beyond the fader's end (777 is 277 %) is shown at the end, with a caption to match and a note;
// nothing is written back, and moving the fader clears the note.
TEST_F(ParameterMapTest, ALevelBeyondTheFadersEndIsShownAtTheEndWithANote) {
    map.RefreshFromParameter(28, 777);
    EXPECT_EQ(faders.value[kMusicFader], 100);
    EXPECT_EQ(faders.caption_of[kMusicFader], FaderText(str::kMusicFader, 100));
    EXPECT_NE(faders.note[kMusicFader].find(L"777"), std::wstring::npos) << faders.note[kMusicFader];
    EXPECT_TRUE(Dirty().empty());
    map.RefreshFromParameter(28, 540);
    EXPECT_EQ(faders.value[kMusicFader], 40);
    EXPECT_TRUE(faders.note[kMusicFader].empty());
    map.RefreshFromParameter(28, 999);
    EXPECT_FALSE(faders.note[kMusicFader].empty());
    faders.max[kMusicFader] = 100;
    map.OnMasterFader(kMusicFader);
    EXPECT_TRUE(faders.note[kMusicFader].empty());
}

TEST_F(ParameterMapTest, MusicSourceSelectorInBothDirections) {
    ClearMarks();
    link.Table().WriteParameter(927, 9, false);
    source.selection = 4;  // BT
    map.OnMusicSource();
    EXPECT_EQ(Dirty(), (Indexes{925, 927}));
    EXPECT_EQ(Value(927), 0);
    EXPECT_EQ(Value(925), 1);
    ClearMarks();
    source.selection = -1;
    map.OnMusicSource();
    source.selection = 6;
    map.OnMusicSource();
    EXPECT_EQ(Dirty(), Indexes{});

    const int positions[] = {4, 0, 1, 3, 2};  // codes 1..5: BT, VOD, DVD, MP3, OPT
    for (int code = 1; code <= 5; ++code) {
        map.RefreshFromParameter(925, static_cast<std::uint16_t>(code));
        EXPECT_EQ(source.selection, positions[code - 1]) << code;
    }
    map.RefreshFromParameter(925, 10);
    EXPECT_EQ(source.selection, 5);
    EXPECT_TRUE(source.note.empty());
    // A source the selector has no item for keeps what it shows, says so, and writes nothing.
    ClearMarks();
    map.RefreshFromParameter(925, 7);
    EXPECT_EQ(source.selection, 5);
    EXPECT_NE(source.note.find(L"holds 7"), std::wstring::npos) << source.note;
    EXPECT_EQ(Dirty(), Indexes{});
    map.RefreshFromParameter(925, 10);
    EXPECT_TRUE(source.note.empty());
    // The idle heartbeat reads the source again and again: an unchanged value leaves the selector alone.
    const int selects = source.select_calls;
    map.RefreshFromParameter(925, 10);
    EXPECT_EQ(source.select_calls, selects);
    map.RefreshFromParameter(925, 7);
    source.selection = 0;
    map.OnMusicSource();
    EXPECT_TRUE(source.note.empty()) << "the user's choice is what the selector stands for";
}

TEST_F(ParameterMapTest, ReceivedModeWordSetsTheButtonsAndOutputPages) {
    map.RefreshFromParameter(942, 3);
    EXPECT_EQ(mode.check[kAutoHandButton], kButtonReleased);
    EXPECT_EQ(mode.caption[kAutoHandButton], L"Auto");
    EXPECT_EQ(mode.check[kSingButton], kButtonReleased);
    EXPECT_EQ(mode.check[kDanceButton], kButtonPressed);
    EXPECT_FALSE(mode.enabled[kSingButton]);
    EXPECT_FALSE(mode.enabled[kDanceButton]);
    EXPECT_FALSE(mode.output_pages_enabled);

    map.RefreshFromParameter(942, 0);
    EXPECT_EQ(mode.check[kAutoHandButton], kButtonPressed);
    EXPECT_EQ(mode.caption[kAutoHandButton], L"Hand");
    EXPECT_EQ(mode.check[kSingButton], kButtonPressed);
    EXPECT_EQ(mode.check[kDanceButton], kButtonReleased);
    EXPECT_TRUE(mode.enabled[kSingButton]);
    EXPECT_TRUE(mode.enabled[kDanceButton]);
    EXPECT_TRUE(mode.output_pages_enabled);
    // A change of bank alone does not push the output pages.
    for (auto& page : outputs)
        EXPECT_TRUE(page.sets.empty());
}

TEST_F(ParameterMapTest, ModeButtonsWriteTheModeWordWaitAndAskForARefresh) {
    link.SetSendSwitch(false);  // the mode word is sent regardless
    ClearMarks();
    const auto before = clock.TickMs();
    mode.check[kDanceButton] = kButtonPressed;  // Dance clicked while Sing was selected
    map.OnModeButton(kDanceButton);
    EXPECT_EQ(mode.check[kSingButton], kButtonReleased);
    EXPECT_EQ(Dirty(), Indexes{942});
    EXPECT_EQ(Value(942), 2);
    EXPECT_GE(clock.TickMs() - before, 100u);
    EXPECT_TRUE(link.State().RequestRaised(request::kRefresh));

    link.State().requests[request::kRefresh] = 0;
    ClearMarks();
    mode.check[kAutoHandButton] = kButtonReleased;  // clicked into Auto
    map.OnModeButton(kAutoHandButton);
    EXPECT_EQ(mode.caption[kAutoHandButton], L"Auto");
    EXPECT_FALSE(mode.enabled[kSingButton]);
    EXPECT_FALSE(mode.enabled[kDanceButton]);
    EXPECT_EQ(Value(942), 3);  // Auto, still the Dance bank
    EXPECT_TRUE(link.State().RequestRaised(request::kRefresh));

    mode.check[kAutoHandButton] = kButtonPressed;  // back to Hand
    map.OnModeButton(kAutoHandButton);
    EXPECT_EQ(mode.caption[kAutoHandButton], L"Hand");
    EXPECT_TRUE(mode.enabled[kSingButton]);
    EXPECT_EQ(Value(942), 2);
}

TEST_F(ParameterMapTest, ClickingTheSelectedBankButtonWritesNothing) {
    ClearMarks();
    mode.check[kSingButton] = kButtonReleased;  // the latching button flipped off on the click
    mode.check[kDanceButton] = kButtonReleased;
    const auto before = clock.TickMs();
    map.OnModeButton(kSingButton);
    EXPECT_EQ(mode.check[kSingButton], kButtonPressed);
    EXPECT_EQ(mode.check[kDanceButton], kButtonReleased);
    EXPECT_EQ(Dirty(), Indexes{});
    EXPECT_EQ(clock.TickMs(), before);
    EXPECT_FALSE(link.State().RequestRaised(request::kRefresh));
    map.OnModeButton(3);  // not a mode button
    EXPECT_EQ(Dirty(), Indexes{});
}

TEST_F(ParameterMapTest, LanguageChangeRecaptionsButtonsFadersAndEveryPageCode) {
    SetLanguageIndex(kLanguageSimplified);
    mode.check[kAutoHandButton] = kButtonReleased;
    faders.value[kEffectFader] = 42;
    map.ApplyLanguage();
    EXPECT_EQ(mode.caption[kAutoHandButton], L"自动");
    EXPECT_EQ(mode.caption[kSingButton], L"唱歌");
    EXPECT_EQ(mode.caption[kDanceButton], L"跳舞");
    EXPECT_EQ(faders.caption_of[kEffectFader], L"效果: 42%");
    EXPECT_EQ(faders.caption_of[kMicVolBFader], L"话筒B音量: 30%");
    EXPECT_EQ(Output(layout::Strip::kRear).relabelled.size(), 68u);
    EXPECT_EQ(mic.relabelled.size(), 93u);
    EXPECT_EQ(echo.relabelled.size(), 61u);
    EXPECT_EQ(system.relabelled.size(), 26u);
    EXPECT_EQ(system.relabelled.back(), 25);
}

TEST_F(ParameterMapTest, WritesFollowTheSendSwitch) {
    link.SetSendSwitch(false);
    EXPECT_EQ(Send(layout::kMusicPage, music, 60, 1), Indexes{});
    EXPECT_EQ(Value(245), 1);
    link.SetSendSwitch(true);
    EXPECT_EQ(Send(layout::kMusicPage, music, 60, 0), Indexes{245});
}

// A press without a move, a box left as it was, a wheel notch at a fader's end: the value the table holds
// already is not written again, on any page or fader; a real change still is.
TEST_F(ParameterMapTest, AnEditThatChangesNothingWritesNothing) {
    EXPECT_EQ(Send(layout::kMainPage, Output(layout::Strip::kMain), 3, 700), Indexes{347});
    EXPECT_EQ(Send(layout::kMainPage, Output(layout::Strip::kMain), 3, 700), Indexes{});
    EXPECT_EQ(Send(layout::kMainPage, Output(layout::Strip::kMain), 3, 0x10000 + 700), Indexes{});
    ClearMarks();
    map.Rewritten(layout::kMainPage, 3, 700);
    EXPECT_EQ(Dirty(), Indexes{347}) << "RESET writes again what the device may have lost";
    ClearMarks();
    map.Edited(layout::kMainPage, 3, 700);
    EXPECT_EQ(Dirty(), Indexes{}) << "and only RESET";
    EXPECT_EQ(Send(layout::kMusicPage, music, 60, 2), Indexes{245});
    EXPECT_EQ(Send(layout::kMusicPage, music, 60, 2), Indexes{});
    EXPECT_EQ(Send(layout::kEchoPage, echo, 47, 120), (Indexes{177, 178}));
    EXPECT_EQ(Send(layout::kEchoPage, echo, 47, 120), Indexes{});
    mic.mic_a = mic.mic_b = true;
    EXPECT_EQ(Send(layout::kMicPage, mic, 0, 900).size(), 2u);
    EXPECT_EQ(Send(layout::kMicPage, mic, 0, 900), Indexes{});
    ClearMarks();
    faders.value = {100, 40, 50, 70};
    map.OnMasterFader(kMusicFader);
    EXPECT_EQ(Dirty(), Indexes{28});
    ClearMarks();
    for (int notch = 0; notch < 3; ++notch)
        map.OnMasterFader(kMusicFader);
    EXPECT_EQ(Dirty(), Indexes{});
    faders.value[kMusicFader] = 80;
    map.OnMasterFader(kMusicFader);
    EXPECT_EQ(Dirty(), Indexes{28});
}

TEST(ParameterMapWithoutControls, IgnoresEverything) {
    testing::ManualClock clock;
    testing::Latin1CodePage code_page;
    DeviceLink link{clock, code_page};
    ParameterMap map{link, MappedControls{}};
    map.Edited(layout::kMainPage, 3, 1);
    map.Edited(layout::kMicPage, 0, 1);
    map.OnMasterFader(0);
    map.OnMusicSource();
    map.OnModeButton(kSingButton);
    for (std::size_t i = 0; i < kParameterCount; ++i)
        map.RefreshFromParameter(i, 1);
    map.RefreshFromParameter(kParameterCount, 1);
    for (std::size_t i = 0; i < kParameterCount; ++i)
        ASSERT_FALSE(link.Table().IsDirty(i));
}

}  // namespace
}  // namespace vela
