#include "core/model/edit_history.h"

#include <gtest/gtest.h>

#include "core/model/ab_compare.h"
#include "core/model/parameter_catalogue.h"
#include "core/protocol/protocol.h"
#include "core/text/strings.h"
#include "support/link_fakes.h"

namespace vela {
namespace {

using Changes = std::vector<ParameterChange>;

constexpr EditSource kBand8Gain{3, 52};
constexpr EditSource kBand8Freq{3, 22};

// One thing that happens to the history: a recorded edit, a press, a release, a wait, an action.
struct Event {
    enum Op { kRecord, kPress, kRelease, kWait, kActionStarts, kActionEnds } op = kRecord;
    StepKind kind = StepKind::kEdit;
    EditSource source = kBand8Gain;
    std::uint16_t index = 0;
    std::uint16_t before = 0;
    std::uint16_t after = 0;
    std::uint32_t ms = 0;
};

Event Edit(std::uint16_t index, std::uint16_t before, std::uint16_t after, EditSource source = kBand8Gain,
           StepKind kind = StepKind::kEdit) {
    return {Event::kRecord, kind, source, index, before, after, 0};
}
Event Wait(std::uint32_t ms) {
    return {Event::kWait, {}, {}, 0, 0, 0, ms};
}
Event Op(Event::Op op, StepKind kind = StepKind::kEdit) {
    return {op, kind, {}, 0, 0, 0, 0};
}

struct CoalesceCase {
    const char* name;
    std::vector<Event> events;
    std::vector<Changes> steps;  // oldest first
};

// The steps, oldest first, taken out by undoing them all.
std::vector<Changes> UndoAll(EditHistory& h) {
    std::vector<Changes> out;
    while (auto step = h.TakeUndo()) {
        out.insert(out.begin(), step->changes);
    }
    return out;
}

TEST(EditHistory, CoalescesOneUserActionIntoOneStep) {
    const std::vector<CoalesceCase> cases{
        {"wheel burst on one control",
         {Edit(310, 0, 1), Wait(200), Edit(310, 1, 2), Wait(600), Edit(310, 2, 3)},
         {{{310, 0, 3}}}},
        {"a pause over 600 ms starts a new step",
         {Edit(310, 0, 1), Wait(601), Edit(310, 1, 2)},
         {{{310, 0, 1}}, {{310, 1, 2}}}},
        {"a held press is one step however long",
         {Op(Event::kPress), Edit(310, 0, 1), Wait(3000), Edit(310, 1, 5), Op(Event::kRelease)},
         {{{310, 0, 5}}}},
        {"a second press on the same control is another step",
         {Op(Event::kPress), Edit(310, 0, 1), Op(Event::kRelease), Op(Event::kPress), Edit(310, 1, 2),
          Op(Event::kRelease)},
         {{{310, 0, 1}}, {{310, 1, 2}}}},
        {"another control is another step",
         {Edit(310, 0, 1), Edit(309, 7, 8, kBand8Freq), Edit(310, 1, 2)},
         {{{310, 0, 1}}, {{309, 7, 8}}, {{310, 1, 2}}}},
        {"a drag back to where it started leaves nothing",
         {Op(Event::kPress), Edit(310, 4, 9), Edit(310, 9, 4), Op(Event::kRelease)},
         {}},
        {"a value that does not change is no step", {Edit(310, 4, 4)}, {}},
        {"RESET after an edit of the same control is its own step",
         {Edit(310, 0, 1), Edit(310, 1, 0, kBand8Gain, StepKind::kReset)},
         {{{310, 0, 1}}, {{310, 1, 0}}}},
        {"an action is one step whatever its controls",
         {Op(Event::kActionStarts, StepKind::kPasteEq), Edit(310, 0, 1), Wait(5000),
          Edit(309, 7, 8, kBand8Freq), Op(Event::kActionEnds), Edit(309, 8, 9, kBand8Freq)},
         {{{310, 0, 1}, {309, 7, 8}}, {{309, 8, 9}}}},
        {"an action that changes nothing leaves nothing",
         {Op(Event::kActionStarts, StepKind::kPasteEq), Edit(310, 3, 3), Op(Event::kActionEnds)},
         {}},
    };
    for (const auto& c : cases) {
        testing::ManualClock clock;
        EditHistory h(clock);
        for (const auto& e : c.events) {
            switch (e.op) {
                case Event::kRecord:
                    h.Record(e.kind, e.source, e.index, e.before, e.after);
                    break;
                case Event::kPress:
                    h.PressStarted();
                    break;
                case Event::kRelease:
                    h.PressEnded();
                    break;
                case Event::kWait:
                    clock.Advance(e.ms);
                    break;
                case Event::kActionStarts:
                    h.ActionStarts(e.kind, {});
                    break;
                case Event::kActionEnds:
                    h.ActionEnds();
                    break;
            }
        }
        EXPECT_EQ(UndoAll(h), c.steps) << c.name;
    }
}

TEST(EditHistory, KeepsTheLastStepsAndDropsTheRedoBranchOnANewEdit) {
    testing::ManualClock clock;
    EditHistory h(clock);
    for (std::uint16_t i = 0; i < 250; ++i) {
        h.Record(StepKind::kEdit, {3, i}, i, 0, 1);
    }
    EXPECT_EQ(h.Size(), EditHistory::kMaxSteps);
    const auto steps = UndoAll(h);
    ASSERT_EQ(steps.size(), EditHistory::kMaxSteps);
    EXPECT_EQ(steps.front().front().index, 50);
    EXPECT_FALSE(h.CanUndo());

    // Everything undone, two redone, then a new edit: the other 198 can no longer be redone.
    ASSERT_TRUE(h.TakeRedo());
    ASSERT_TRUE(h.TakeRedo());
    EXPECT_TRUE(h.CanRedo());
    h.Record(StepKind::kEdit, kBand8Gain, 310, 0, 1);
    EXPECT_FALSE(h.CanRedo());
    EXPECT_EQ(h.Size(), 3u);
}

TEST(EditHistory, UndoAndRedoWalkTheSameSteps) {
    testing::ManualClock clock;
    EditHistory h(clock);
    int told = 0;
    h.SetOnChange([&told] { ++told; });
    h.Record(StepKind::kEdit, kBand8Gain, 310, 0, 1);
    h.Record(StepKind::kEdit, kBand8Freq, 309, 5, 6);
    ASSERT_EQ(h.NextUndo()->changes, (Changes{{309, 5, 6}}));
    EXPECT_EQ(h.TakeUndo()->changes, (Changes{{309, 5, 6}}));
    EXPECT_EQ(h.NextRedo()->changes, (Changes{{309, 5, 6}}));
    // An edit right after an undo is a new step, not part of the undone one.
    EXPECT_EQ(h.TakeRedo()->changes, (Changes{{309, 5, 6}}));
    h.Record(StepKind::kEdit, kBand8Freq, 309, 6, 7);
    EXPECT_EQ(h.Size(), 3u);
    EXPECT_FALSE(h.TakeRedo());
    // Every record, undo and redo told the buttons; a failed redo did not.
    EXPECT_EQ(told, 5);
}

std::size_t FirstLinkOwned() {
    for (const auto& p : catalogue::All()) {
        if (!p.writable) {
            return p.index;
        }
    }
    return 0;
}

TEST(EditHistory, ABulkChangeIsOneStepOfItsWritableDifferences) {
    testing::ManualClock clock;
    EditHistory h(clock);
    TableValues before(kParameterCount, 0);
    TableValues after = before;
    after[10] = 1;
    after[600] = 2;
    after[FirstLinkOwned()] = 3;  // the device's own word: not undone
    EXPECT_FALSE(h.FinishCapture(after));
    h.BeginCapture(StepKind::kSceneRecall, before);
    EXPECT_TRUE(h.Capturing());
    EXPECT_TRUE(h.FinishCapture(after));
    EXPECT_FALSE(h.Capturing());
    const auto step = h.TakeUndo();
    ASSERT_TRUE(step);
    EXPECT_EQ(step->kind, StepKind::kSceneRecall);
    EXPECT_EQ(step->changes, (Changes{{10, 0, 1}, {600, 0, 2}}));
    // A recall that changed nothing is no step.
    h.BeginCapture(StepKind::kSceneRecall, before);
    EXPECT_FALSE(h.FinishCapture(before));
}

TEST(EditHistory, AnotherProcessorClearsTheHistory) {
    struct Case {
        const char* device;
        bool edit_before;
        bool cleared;
    };
    const std::vector<Case> cases{
        {"", true, false},          // nothing known yet
        {"7:usb-1", true, false},   // the first processor keeps what was done while searching
        {"7:usb-1", true, false},   // a reconnect of the same one
        {"", true, false},          // unknown identity: kept
        {"9:usb-1", true, true},    // another device id
        {"9:usb-2", false, false},  // another path, but nothing to clear
        {"9:usb-1", true, true},
    };
    testing::ManualClock clock;
    EditHistory h(clock);
    for (const auto& c : cases) {
        if (c.edit_before) {
            h.Record(StepKind::kEdit, kBand8Gain, 310, 0, static_cast<std::uint16_t>(h.Size() + 1));
            clock.Advance(1000);
        }
        const std::size_t size = h.Size();
        EXPECT_EQ(h.ConnectedTo(c.device), c.cleared) << c.device;
        EXPECT_EQ(h.Size(), c.cleared ? 0u : size) << c.device;
    }
}

TEST(AbCompare, SwitchesBetweenTheSnapshotsKeepingEditsOfTheLiveOne) {
    AbCompare ab;
    TableValues table(kParameterCount, 0);
    table[10] = 1;  // A
    EXPECT_TRUE(ab.Switch(table).empty());
    EXPECT_TRUE(ab.Active());
    EXPECT_EQ(ab.Live(), AbCompare::Side::kB);
    table[10] = 2;  // B is built by the edits
    table[11] = 5;
    EXPECT_EQ(ab.Switch(table), (Changes{{10, 2, 1}, {11, 5, 0}}));
    EXPECT_EQ(ab.Live(), AbCompare::Side::kA);
    table[10] = 1;
    table[11] = 0;
    table[12] = 4;  // an edit while A is live belongs to A
    EXPECT_EQ(ab.Switch(table), (Changes{{10, 1, 2}, {11, 0, 5}, {12, 4, 0}}));
    EXPECT_EQ(ab.Live(), AbCompare::Side::kB);
    table.assign(kParameterCount, 0);
    table[10] = 2;
    table[11] = 5;
    EXPECT_EQ(ab.Switch(table), (Changes{{10, 2, 1}, {11, 5, 0}, {12, 0, 4}}));
    ab.Keep();
    EXPECT_FALSE(ab.Active());
    EXPECT_TRUE(ab.Switch(table).empty());  // a new compare starts from the table as it is
}

TEST(EditHistory, StepTextNamesTheControlInEachLanguage) {
    // One change at most, held outside a vector: a vector inside each case trips a false warning of gcc.
    struct Case {
        StepKind kind;
        EditSource source;
        bool changed;
        ParameterChange change;
        int language;
        std::wstring text;
    };
    const std::vector<Case> cases{
        {StepKind::kEdit, {3, 52}, true, {282, 0, 1}, kLanguageEnglish, L"Music EQ band 8 gain"},
        {StepKind::kEdit, {3, 52}, true, {282, 0, 1}, kLanguageSimplified, L"音乐 EQ 第8段增益"},
        {StepKind::kEdit, {3, 52}, true, {282, 0, 1}, kLanguageTraditional, L"音樂 EQ 第8段增益"},
        {StepKind::kEdit, {0, 20}, true, {335, 0, 1}, kLanguageEnglish, L"Main EQ band 1 Q"},
        {StepKind::kEdit, {5, 14}, true, {}, kLanguageEnglish, L"Echo EQ band 5 frequency"},
        {StepKind::kMasterFader, {100, 3}, true, {1, 0, 1}, kLanguageEnglish, L"Effect level"},
        {StepKind::kReset, {9, -1}, false, {}, kLanguageEnglish, L"RESET Rear"},
        {StepKind::kPasteEq, {1, -1}, false, {}, kLanguageSimplified, L"粘贴EQ 中置"},
        {StepKind::kSceneRecall, {}, false, {}, kLanguageEnglish, L"Scene recall"},
        {StepKind::kCompare, {}, false, {}, kLanguageTraditional, L"A/B 切換"},
    };
    const int saved = LanguageIndex();
    for (const auto& c : cases) {
        EditStep step{c.kind, c.source, {}};
        if (c.changed) {
            step.changes.push_back(c.change);
        }
        SetLanguageIndex(c.language);
        EXPECT_EQ(StepText(step), c.text);
    }
    SetLanguageIndex(saved);
}

}  // namespace
}  // namespace vela
