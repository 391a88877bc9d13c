#include "core/pages/strip_eq_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "core/model/filter_response.h"
#include "core/model/parameter_layout.h"
#include "core/model/value_scales.h"
#include "core/protocol/protocol.h"
#include "core/text/strings.h"
#include "core/text/utf8.h"
#include "core/ui/eq_import.h"
#include "support/page_fakes.h"

namespace vela {
namespace {

using testing::FakeStripControls;
using testing::RecordingEdits;

constexpr int kStripPages[] = {layout::kMainPage, layout::kCenterPage, layout::kSubPage,
                               layout::kRearPage, layout::kMusicPage,  layout::kMicPage,
                               layout::kEchoPage, layout::kReverbPage};

// Random bands the processor can hold, in order of frequency as an import fills them: a type, a frequency
// and Q from their tables, a gain in range.
std::vector<StripPage::BandRaws> RandomBands(int count, std::mt19937& random) {
    std::uniform_int_distribution<int> type(0, 2), freq(1, kFreqScaleSize - 1),
        q(0, static_cast<int>(kQTable.size()) - 1), gain(-240, 120);
    std::vector<int> positions(static_cast<std::size_t>(count));
    for (int& p : positions)
        p = freq(random);
    std::sort(positions.begin(), positions.end());
    constexpr int kTypes[] = {filter::kPeaking, filter::kLowShelf, filter::kHighShelf};
    std::vector<StripPage::BandRaws> bands;
    for (int p : positions)
        bands.push_back({kTypes[type(random)], FreqCodeFor(FreqScale()[static_cast<std::size_t>(p)]),
                         GainCodeFor(gain(random) / 10.0),
                         QCodeFor(kQTable[static_cast<std::size_t>(q(random))])});
    return bands;
}

// What one strip page exports, another of the same kind imports to the same raw values, as one edit of the
// whole EQ; on every page, the Mic page's second microphone too.
TEST(StripEqFile, ExportThenImportGivesTheSameBandsAsOneEdit) {
    std::mt19937 random(24);
    for (int page_id : kStripPages) {
        for (bool mic_b : {false, true}) {
            if (mic_b && page_id != layout::kMicPage)
                continue;
            SCOPED_TRACE(::testing::Message() << "page " << page_id << (mic_b ? " MIC B" : ""));
            FakeStripControls from_controls, to_controls;
            StripPage from(page_id, from_controls), to(page_id, to_controls);
            from.Initialise();
            to.Initialise();
            if (mic_b)
                to.OnButton(kMicBButton, kCheckPressed);
            const auto bands = RandomBands(from.Descriptor().band_count, random);
            from.ImportBands(bands);
            ASSERT_EQ(from.BandRawValues(), bands);

            RecordingEdits edits;
            to.SendEditsTo(edits);
            const EqFit fit = FitEqText(to, EqExportText(from));
            ASSERT_TRUE(fit.Ok()) << fit.error;
            EXPECT_EQ(fit.bands.size(), bands.size());
            if (page_id == layout::kMicPage) {
                EXPECT_EQ(StripChannel(to), mic_b ? Channel::kMicB : Channel::kMicA);
            }
            ASSERT_TRUE(ApplyEqFit(to, fit));
            EXPECT_EQ(to.BandRawValues(), bands);
            EXPECT_EQ(edits.edits, (std::vector<RecordingEdits::Edit>{{page_id, kImportEqCode, 0}}));
            // The editors and the graph show it.
            const int last = to.Descriptor().band_count - 1;
            EXPECT_DOUBLE_EQ(to_controls.bands[static_cast<std::size_t>(last)].freq,
                             CodeToFreq(bands[static_cast<std::size_t>(last)][1]));
            EXPECT_DOUBLE_EQ(to_controls.graph[static_cast<std::size_t>(last)].gain,
                             GainFromCode(bands[static_cast<std::size_t>(last)][2]));
        }
    }
}

// The window's export is velactl's for the same bands: an output page names the bank the mode word
// selects, which is the bank it shows, and what it writes imports back.
TEST(StripEqFile, TheWindowExportsAsVelactlDoesWithTheActiveBank) {
    std::mt19937 random(7);
    const struct {
        int page_id;
        bool dance;
        const char* title;
    } cases[] = {
        {layout::kMainPage, false, "EQ of the main strip (sing bank)"},
        {layout::kMainPage, true, "EQ of the main strip (dance bank)"},
        {layout::kSubPage, true, "EQ of the sub strip (dance bank)"},
        {layout::kRearPage, false, "EQ of the rear strip (sing bank)"},
        {layout::kMusicPage, true, "EQ of the music strip"},
        {layout::kReverbPage, false, "EQ of the reverb strip"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        FakeStripControls controls;
        StripPage page(c.page_id, controls);
        page.Initialise();
        RecordingEdits edits;
        edits.table[param::kModeWord] = c.dance ? 0x2 : 0x0;
        page.SendEditsTo(edits);
        const auto bands = RandomBands(page.Descriptor().band_count, random);
        page.ImportBands(bands);

        // The table velactl would read for the same bands.
        const Channel channel = StripChannel(page);
        const std::vector<std::uint16_t> indexes = EqBandIndexes(channel, c.dance);
        std::vector<std::uint32_t> table(kParameterCount, 0);
        for (std::size_t i = 0; i < indexes.size(); ++i)
            table[indexes[i]] = static_cast<std::uint32_t>(bands[i / 4][i % 4]);
        const std::string text = EqExportText(page);
        EXPECT_EQ(text, EqExportList(EqFiltersInTable(table, channel, c.dance), channel, c.dance));
        EXPECT_EQ(text.substr(0, text.find('\n')), c.title);
        const EqFit fit = FitEqText(page, text);
        ASSERT_TRUE(fit.Ok()) << fit.error;
        const auto writes = EqWrites(fit, channel, c.dance);
        ASSERT_EQ(writes.size(), indexes.size());
        for (std::uint16_t index : indexes)
            EXPECT_EQ(writes.at(index), table[index]) << index;
    }
}

// A refused file changes and sends nothing, and says its line and reason in the user's language, the
// English as velactl says it.
TEST(StripEqFile, ARefusedTextAppliesNothingAndSaysWhereAndWhy) {
    FakeStripControls controls;
    StripPage echo(layout::kEchoPage, controls);
    echo.Initialise();
    RecordingEdits edits;
    echo.SendEditsTo(edits);
    const auto before = echo.BandRawValues();
    const struct {
        const char* text;
        std::array<const wchar_t*, kLanguageCount> reason;  // in each language
    } refused[] = {
        {"Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\nFilter 2: ON LP Fc 80 Hz\n",
         {L"第 2 行：不支持滤波器类型 LP", L"第 2 行：不支援濾波器類型 LP", L"line 2: filter type LP"}},
        {"Filter 1: ON PK Fc 100 Hz Gain x dB Q 1\n",
         {L"第 1 行：Gain 的值 “x” 不是数值", L"第 1 行：Gain 的值「x」不是數值",
          L"line 1: Gain 'x' is not a number"}},
        {"no filters here\n", {L"不是滤波器列表", L"不是濾波器列表", L"not a filter list"}},
        {"Filter 1: ON PK Fc 1 kHz Gain 0 dB Q 1\nFilter 2: ON PK Fc 1 kHz Gain 0 dB Q 1\n"
         "Filter 3: ON PK Fc 1 kHz Gain 0 dB Q 1\nFilter 4: ON PK Fc 1 kHz Gain 0 dB Q 1\n"
         "Filter 5: ON PK Fc 1 kHz Gain 0 dB Q 1\nFilter 6: ON PK Fc 1 kHz Gain 0 dB Q 1\n",
         {L"文件中有 6 个滤波器，而本通道只有 5 个频段", L"檔案中有 6 個濾波器，而本通道只有 5 個頻段",
          L"6 filters; the echo strip has 5 bands"}},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.text);
        const EqFit fit = FitEqText(echo, r.text);
        EXPECT_FALSE(ApplyEqFit(echo, fit));
        for (int language = 0; language < kLanguageCount; ++language) {
            SetLanguageIndex(language);
            const std::wstring said = EqRefusalText(fit, L"房间.txt");
            EXPECT_NE(said.find(L"房间.txt"), std::wstring::npos) << language;
            EXPECT_NE(said.find(r.reason[static_cast<std::size_t>(language)]), std::wstring::npos)
                << language << ": " << ToUtf8(said);
        }
    }
    SetLanguageIndex(kLanguageEnglish);
    EXPECT_TRUE(edits.edits.empty());
    EXPECT_EQ(echo.BandRawValues(), before);
    // A reason too long for the box is cut, not lost.
    std::string long_line = "Filter 1: ON ";
    long_line.append(5000, 'Z').append("\n");
    const EqFit long_word = FitEqText(echo, long_line);
    ASSERT_FALSE(long_word.Ok());
    const std::wstring said = EqRefusalText(long_word, std::wstring(400, L'n'));
    EXPECT_NE(said.find(L"line 1"), std::wstring::npos);
    EXPECT_LT(said.size(), 512u);
}

// Out-of-range values are held to the strip's range in the window (the report says so, the user decides).
TEST(StripEqFile, TheWindowHoldsValuesToTheRangeAndTheReportNamesTheFile) {
    FakeStripControls controls;
    StripPage music(layout::kMusicPage, controls);
    const EqFit fit = FitEqText(music, "Filter 1: ON PK Fc 25 kHz Gain -30 dB Q 2\n");
    ASSERT_TRUE(fit.Ok()) << fit.error;
    EXPECT_TRUE(fit.bands[0].freq_clamped && fit.bands[0].gain_clamped);
    const std::vector<std::wstring> report = EqImportReport(fit, L"测量.txt");
    ASSERT_EQ(report.size(), 1u + 15u + 1u);
    EXPECT_NE(report[0].find(L"测量.txt"), std::wstring::npos);
    EXPECT_NE(report[1].find(L"(Fc clamped) (gain clamped)"), std::wstring::npos) << report[1];
}

}  // namespace
}  // namespace vela
