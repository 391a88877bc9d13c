#include "core/model/parameter_catalogue.h"

#include <gtest/gtest.h>

#include <set>

#include "core/model/parameter_layout.h"
#include "core/pages/strip_page.h"
#include "core/protocol/protocol.h"
#include "support/page_fakes.h"

namespace vela::catalogue {
namespace {

std::uint16_t IndexOf(std::string_view name, Bank bank = Bank::kNone) {
    for (const Parameter* p : Named(name)) {
        if (p->bank == bank || bank == Bank::kNone)
            return p->index;
    }
    ADD_FAILURE() << "no parameter " << name;
    return 0xFFFF;
}

TEST(ParameterCatalogue, NamesLandOnTheIndexesOfTheMap) {
    const std::pair<const char*, int> rows[] = {
        {"master.music", 28},       {"master.mic", 25},         {"master.effect", 29},
        {"mic.vola", 26},           {"mic.volb", 27},           {"music.eq1.type", 254},
        {"music.eq1.gain", 256},    {"music.eq15.q", 313},      {"mica.eq1.type", 53},
        {"micb.eq15.q", 172},       {"mica.hpf.freq", 38},      {"micb.lpf.slope", 49},
        {"echo.eq5.gain", 222},     {"reverb.eq1.type", 224},   {"echo.predelay.left", 177},
        {"echo.delay.b", 180},      {"reverb.time", 185},       {"music.keyshift", 244},
        {"mic.comp.threshold", 34}, {"system.mode", 942},       {"system.source", 925},
        {"system.music.max", 920},  {"system.gate.music", 944}, {"system.poweron", 940},
    };
    for (const auto& [name, index] : rows)
        EXPECT_EQ(IndexOf(name), index) << name;
    // Output strips: both banks under one name; bands count from 1.
    EXPECT_EQ(IndexOf("main.eq4.type", Bank::kSing), 347);
    EXPECT_EQ(IndexOf("main.eq4.type", Bank::kDance), 555);
    EXPECT_EQ(IndexOf("center.delay", Bank::kSing), 375);
    EXPECT_EQ(IndexOf("sub.hpf.q", Bank::kSing), 432);
    EXPECT_EQ(IndexOf("rear.eq7.q", Bank::kDance), 677 + 21 + 27);
    EXPECT_TRUE(Named("main.hpf.q").empty()) << "the filter Qs are the Sub strip's alone";

    // One name per index (two per output name), and every index the map gives a control is named.
    std::set<std::pair<std::string, Bank>> seen;
    for (const Parameter& p : All()) {
        if (p.name.empty()) {
            EXPECT_EQ(layout::ParameterName(p.index), "reserved") << p.index;
            continue;
        }
        EXPECT_TRUE(seen.insert({p.name, p.bank}).second) << p.name;
    }
    EXPECT_FALSE(At(0).writable);
    EXPECT_FALSE(At(935).writable);
    EXPECT_TRUE(At(28).writable);
}

TEST(ParameterCatalogue, ValuesInUnitsGoThroughTheWindowsScales) {
    const struct {
        const char* name;
        const char* text;
        int raw;  // -1: refused
    } rows[] = {
        {"music.eq1.gain", "-3dB", 470},
        {"music.eq1.gain", "-3", 470},
        {"music.eq1.gain", "12 dB", 620},
        {"music.eq1.gain", "13dB", -1},
        {"music.eq1.gain", "-24.5", -1},
        {"music.eq1.gain", "3 Hz", -1},
        {"main.eq3.freq", "1kHz", 1000},
        {"main.eq3.freq", "99hz", 33758},
        {"main.eq3.freq", "1010", 1020},
        {"main.eq3.freq", "21kHz", -1},
        {"main.hpf.freq", "off", 32768},
        {"main.hpf.freq", "19.7Hz", 32965},
        {"music.hpf.freq", "303Hz", 303},
        {"music.hpf.freq", "1kHz", -1},
        {"music.lpf.freq", "off", 20600},
        {"music.lpf.freq", "1kHz", -1},
        {"master.music", "60%", 560},
        {"master.music", "101%", -1},
        {"mic.vola", "84", 584},
        {"mic.vola", "85", -1},
        {"main.musicvol", "70%", 70},
        {"main.musicvol", "70%on", 570},
        {"main.delay.left", "12ms", 120},
        {"main.delay.left", "21ms", -1},
        {"center.delay", "3.46m", 100},
        {"echo.delay.a", "500ms", 5000},
        {"main.comp.threshold", "-20dBu", 80},
        {"main.comp.threshold", "15", -1},
        {"main.comp.attack", "1.5ms", 20},
        {"main.comp.ratio", "4:1", 40},
        {"main.comp.ratio", "31", 1000},
        {"main.comp.release", "x8", 8},
        {"main.comp.release", "5", -1},
        {"main.eq1.q", "1", 100},
        {"main.eq1.q", "200", -1},
        {"main.hpf.slope", "linkriley24", 24},
        {"main.lpf.slope", "bessel12", 11},
        {"main.lpf.slope", "10", -1},
        {"main.eq2.type", "lowshelf", 6},
        {"reverb.time", "5s", 5000},
        {"reverb.time", "100", 125},
        {"music.keyshift", "-2", 8},
        {"system.mode", "auto-dance", 3},
        {"system.mode", "4", -1},
        {"system.poweron", "bt", 0x8001},
        {"system.source", "arc", 10},
        {"main.mute.left", "on", 1},
        {"echo.repeat.a", "91%", -1},
    };
    for (const auto& r : rows) {
        const auto found = Named(r.name);
        ASSERT_FALSE(found.empty()) << r.name;
        const Parsed parsed = Parse(*found.front(), r.text);
        if (r.raw < 0) {
            EXPECT_FALSE(parsed.raw) << r.name << "=" << r.text << " gave " << parsed.raw.value_or(0);
            EXPECT_NE(parsed.error.find(RangeText(*found.front())), std::string::npos) << parsed.error;
        } else {
            EXPECT_EQ(parsed.raw.value_or(0xFFFF), r.raw) << r.name << "=" << r.text << ": " << parsed.error;
        }
    }
}

TEST(ParameterCatalogue, EveryWordAControlCanWriteIsShownAsAValueThatReadsBackToIt) {
    // One parameter of each scale; every raw word it allows survives Format and Parse.
    std::set<std::pair<Kind, double>> kinds;
    for (const Parameter& p : All()) {
        if (p.name.empty() || p.kind == Kind::kWord || !kinds.insert({p.kind, p.upper}).second)
            continue;
        int allowed = 0;
        for (std::uint32_t raw = 0; raw <= 0xFFFF; ++raw) {
            const auto word = static_cast<std::uint16_t>(raw);
            if (!RawAllowed(p, word))
                continue;
            ++allowed;
            const std::string shown = Format(p, word);
            EXPECT_EQ(Parse(p, shown).raw.value_or(0xFFFF), word)
                << p.name << " " << raw << " shown " << shown;
        }
        EXPECT_GT(allowed, 1) << p.name;
        EXPECT_LT(allowed, 0x10000) << p.name;
    }
    // The words the issue was found with.
    EXPECT_FALSE(RawAllowed(At(28), 65535));
    EXPECT_FALSE(RawAllowed(At(942), 65535));
    EXPECT_TRUE(RawAllowed(At(1), 65535)) << "a word no control writes is the device's business";
}

TEST(ParameterCatalogue, RangesAgreeWithTheStripPagesControls) {
    // The top and bottom of every value control of every strip page are words the catalogue allows.
    int checked = 0;
    for (const int page : {layout::kMainPage, layout::kCenterPage, layout::kSubPage, layout::kRearPage,
                           layout::kMusicPage, layout::kMicPage, layout::kEchoPage, layout::kReverbPage}) {
        testing::FakeStripControls controls;
        StripPage strip(page, controls);
        for (const ValueSlot& slot : strip.Slots()) {
            std::optional<std::uint16_t> index;
            if (const auto s = layout::StripForPage(page))
                index = layout::StripIndexForCode(*s, false, slot.code);
            for (const auto& row : layout::IndexRows()) {
                if (row.writer.page == page && row.writer.code == slot.code)
                    index = row.index;
            }
            for (const auto& row : layout::MicTargetRows()) {
                if (page == layout::kMicPage && row.code == slot.code)
                    index = row.mic_a;
            }
            if (!index)
                continue;  // a control this page keeps to itself
            const Parameter& p = At(*index);
            ++checked;
            for (const double position : {slot.lower, slot.upper}) {
                const int raw = SlotRaw(slot, position);
                EXPECT_TRUE(RawAllowed(p, static_cast<std::uint16_t>(raw)))
                    << p.name << " page " << page << " position " << position << " raw " << raw;
            }
            if (p.kind == Kind::kDelay || p.kind == Kind::kRepeat) {
                EXPECT_EQ(p.upper, slot.upper) << p.name;
            }
        }
    }
    EXPECT_GT(checked, 60);
}

}  // namespace
}  // namespace vela::catalogue
