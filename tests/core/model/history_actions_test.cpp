#include "core/model/history_actions.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/text/strings.h"
#include "support/mapped_fakes.h"

namespace vela {
namespace {

using testing::FakeCodePage;

constexpr int kMusicBand8Gain = 52;  // input pages: 45 + band
constexpr std::uint16_t kMusicBand8GainIndex = 254 + 7 * 4 + 2;

// Public: the table-driven cases act on the fixture from outside.
class HistoryActionsTest : public ::testing::Test, public testing::MappedFakes {
  public:
    HistoryActions actions{link, map};

    void SetUp() override { link.State().link_up = true; }

    // A page control moved to raw, as the page would report it.
    void Edit(int page_id, FakeCodePage& page, int code, int raw) {
        page.values[code] = raw;
        map.Edited(page_id, code, raw);
    }
};

// Each user action is one step; undo puts the whole table back as it was before it, marked for sending,
// and redo brings it to where the action left it.
TEST_F(HistoryActionsTest, EachUserActionIsOneStepThatUndoAndRedoWriteBack) {
    using Fixture = HistoryActionsTest;
    struct Case {
        const char* name;
        std::function<void(Fixture&)> act;
    };
    const std::vector<Case> cases{
        {"drag on the Music graph",
         [](Fixture& f) {
             f.actions.History().PressStarted();
             for (int raw : {130, 150, 170})
                 f.Edit(layout::kMusicPage, f.music, kMusicBand8Gain, raw);
             f.actions.History().PressEnded();
         }},
        {"wheel burst on a Main page control",
         [](Fixture& f) {
             for (int raw : {501, 502, 503}) {
                 f.Edit(layout::kMainPage, f.outputs[0], 3, raw);
                 f.clock.Advance(300);
             }
         }},
        {"RESET of the Main page",
         [](Fixture& f) {
             for (int code : {0, 10, 30, 1, 11, 31})
                 f.map.Rewritten(layout::kMainPage, code, 77 + code);
         }},
        {"Paste EQ from Main to Center",
         [](Fixture& f) {
             for (int code = 0; code < 40; ++code)
                 f.outputs[0].values[code] = 200 + code;
             f.map.Edited(layout::kMainPage, kCopyEqCode, 0);
             f.map.Edited(layout::kCenterPage, kPasteEqCode, 0);
         }},
        {"master fader move",
         [](Fixture& f) {
             for (double v : {40.0, 45.0, 50.0}) {
                 f.faders.value[kMusicFader] = v;
                 f.map.OnMasterFader(kMusicFader);
                 f.clock.Advance(100);
             }
         }},
        {"music source choice",
         [](Fixture& f) {
             f.source.selection = 3;
             f.map.OnMusicSource();
         }},
        {"Mic page edit of both microphones",
         [](Fixture& f) {
             f.mic.mic_b = true;
             f.Edit(layout::kMicPage, f.mic, kMusicBand8Gain, 99);
         }},
    };
    for (const auto& c : cases) {
        link.Table().Reset();
        actions.History().Clear();
        const TableValues before = link.Table().Values();
        c.act(*this);
        const TableValues after = link.Table().Values();
        ASSERT_NE(before, after) << c.name;
        EXPECT_EQ(actions.History().Size(), 1u) << c.name;

        link.Table().ClearReceivedAndDirty();
        ASSERT_TRUE(actions.Undo()) << c.name;
        EXPECT_EQ(link.Table().Values(), before) << c.name;
        EXPECT_FALSE(Dirty().empty()) << c.name;
        EXPECT_FALSE(actions.Undo()) << c.name;
        ASSERT_TRUE(actions.Redo()) << c.name;
        EXPECT_EQ(link.Table().Values(), after) << c.name;
        EXPECT_FALSE(actions.Redo()) << c.name;
    }
}

TEST_F(HistoryActionsTest, PagesFollowAnUndoAndDeviceChangesAreNoSteps) {
    link.Table().WriteParameter(kMusicBand8GainIndex, 120, false);
    Edit(layout::kMusicPage, music, kMusicBand8Gain, 160);
    // The device changes a value by itself: read back and shown, never undone.
    link.Table().StoreReceived(300, 4);
    map.RefreshFromParameter(300, 4);
    ASSERT_EQ(actions.History().Size(), 1u);
    EXPECT_EQ(StepText(*actions.History().NextUndo()), L"Music EQ band 8 gain");

    ASSERT_TRUE(actions.Undo());
    EXPECT_EQ(music.values[kMusicBand8Gain], 120);
    EXPECT_EQ(link.Table().Value(300), 4);
    EXPECT_TRUE(link.Table().IsDirty(kMusicBand8GainIndex));
}

TEST_F(HistoryActionsTest, AModeChangeIsOneStepOfWhatTheReadBackBrought) {
    link.Table().WriteParameter(param::kModeWord, 0, false);
    mode.check[kSingButton] = kButtonReleased;
    mode.check[kDanceButton] = kButtonPressed;
    map.OnModeButton(kDanceButton);
    EXPECT_TRUE(actions.History().Capturing());
    // What the refresh reads from the device in the new mode.
    link.Table().StoreReceived(20, 9);
    link.Table().StoreReceived(21, 8);
    ASSERT_TRUE(actions.OnTableChanged());
    const auto* step = actions.History().NextUndo();
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(step->kind, StepKind::kMode);
    EXPECT_EQ(step->changes.size(), 3u);
    ASSERT_TRUE(actions.Undo());
    EXPECT_EQ(link.Table().Value(param::kModeWord), 0);
    EXPECT_EQ(link.Table().Value(20), 0);
    EXPECT_EQ(mode.check[kDanceButton], kButtonReleased);
}

// An undo of more values than one write batch carries reports how far it has got until the processor has
// taken them all; a short one, or one whose link was lost, reports nothing.
TEST_F(HistoryActionsTest, ALongUndoReportsItsProgressUntilTheDeviceHasTakenIt) {
    const auto recall = [&](std::uint16_t count) {
        actions.BeforeBulkChange(StepKind::kSceneRecall);
        for (std::uint16_t i = 0; i < count; ++i)
            link.Table().StoreReceived(static_cast<std::uint16_t>(300 + i), 9);
        ASSERT_TRUE(actions.OnTableChanged());
    };
    recall(kMaxWriteGroups);
    ASSERT_TRUE(actions.Undo());
    EXPECT_FALSE(actions.Progress()) << "one batch";

    link.Table().Reset();
    recall(kMaxWriteGroups + 6);
    ASSERT_TRUE(actions.Undo());
    auto progress = actions.Progress();
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->written, 0);
    EXPECT_EQ(progress->total, kMaxWriteGroups + 6);
    for (std::uint16_t i = 0; i < kMaxWriteGroups; ++i)  // the first batch acknowledged
        link.Table().AcknowledgeWrite(static_cast<std::uint16_t>(300 + i), link.Table().Value(300 + i));
    progress = actions.Progress();
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->written, kMaxWriteGroups);
    link.Table().ClearReceivedAndDirty();
    EXPECT_FALSE(actions.Progress());

    ASSERT_TRUE(actions.Redo());
    ASSERT_TRUE(actions.Progress());
    link.State().link_up = false;
    EXPECT_FALSE(actions.Progress());
    link.State().link_up = true;
    EXPECT_FALSE(actions.Progress()) << "forgotten with the link";
}

// Another processor clears the history and says so: another device id, or the same id in another place.
// The same one back (a replug, a reconnect) keeps it.
TEST_F(HistoryActionsTest, AnotherProcessorIsToldByItsIdAndWhereItSits) {
    const struct {
        std::uint32_t id;
        const char* where;
        bool cleared;
    } connections[]{
        {7, "usb@1-2", false},   // the first one
        {7, "usb@1-2", false},   // back after an unplug
        {7, "usb@3-1.4", true},  // the same model in another port
        {8, "usb@3-1.4", true}, {8, "tcp:host:5000", true}, {8, "tcp:host:5000", false},
    };
    int raw = 100;
    for (const auto& c : connections) {
        Edit(layout::kMusicPage, music, kMusicBand8Gain, ++raw);
        clock.Advance(1000);
        link.State().device_id = c.id;
        const auto effect = actions.OnLinkNotify(
            LinkNotify::kLinkState, static_cast<std::intptr_t>(LinkStateCode::kConnected), c.where);
        EXPECT_EQ(effect.cleared, c.cleared) << c.id << " " << c.where;
        EXPECT_EQ(actions.History().CanUndo(), !c.cleared) << c.id << " " << c.where;
    }
}

// Undoing or redoing a switch shows the other side live again; a switch of a compare already kept leaves
// the compare that runs now alone.
TEST_F(HistoryActionsTest, UndoingASwitchMakesTheOtherSideLive) {
    using Side = AbCompare::Side;
    link.Table().WriteParameter(kMusicBand8GainIndex, 120, false);
    actions.SwitchCompare();
    Edit(layout::kMusicPage, music, kMusicBand8Gain, 160);  // B
    clock.Advance(1000);
    actions.SwitchCompare();
    ASSERT_EQ(actions.Compare().Live(), Side::kA);
    ASSERT_TRUE(actions.Undo());
    EXPECT_EQ(actions.Compare().Live(), Side::kB);
    EXPECT_EQ(link.Table().Value(kMusicBand8GainIndex), 160);
    ASSERT_TRUE(actions.Redo());
    EXPECT_EQ(actions.Compare().Live(), Side::kA);
    // Switching on from there goes back to B, as the button says.
    actions.SwitchCompare();
    EXPECT_EQ(actions.Compare().Live(), Side::kB);
    EXPECT_EQ(link.Table().Value(kMusicBand8GainIndex), 160);

    actions.KeepCompare();
    actions.SwitchCompare();      // a new compare, A = 160
    ASSERT_TRUE(actions.Undo());  // the first compare's last switch
    EXPECT_EQ(link.Table().Value(kMusicBand8GainIndex), 120);
    EXPECT_TRUE(actions.Compare().Active());
    EXPECT_EQ(actions.Compare().Live(), Side::kB);
}

// A typed value is a step of its own however soon it follows another typed into the same box, while the
// wheel notches that follow it within the pause make one more.
TEST_F(HistoryActionsTest, ATypedValueIsAStepOfItsOwn) {
    link.Table().WriteParameter(kMusicBand8GainIndex, 120, false);
    music.values[kMusicBand8Gain] = 140;
    map.Typed(layout::kMusicPage, kMusicBand8Gain, 140);
    clock.Advance(100);
    music.values[kMusicBand8Gain] = 160;
    map.Typed(layout::kMusicPage, kMusicBand8Gain, 160);
    for (int raw : {161, 162}) {
        clock.Advance(100);
        Edit(layout::kMusicPage, music, kMusicBand8Gain, raw);
    }
    ASSERT_EQ(actions.History().Size(), 3u);
    EXPECT_EQ(StepText(*actions.History().NextUndo()), L"Music EQ band 8 gain");
    for (int expected : {160, 140, 120}) {
        ASSERT_TRUE(actions.Undo());
        EXPECT_EQ(link.Table().Value(kMusicBand8GainIndex), expected);
        EXPECT_EQ(StepText(*actions.History().NextRedo()), L"Music EQ band 8 gain");
    }
}

// A recall the device never acknowledged posts no "table changed": losing the link drops its capture, so
// that the reload after the reconnect (the device's own values) is not taken for the recall.
TEST_F(HistoryActionsTest, ALostLinkDropsACaptureLeftOpen) {
    const auto lost = static_cast<std::intptr_t>(LinkStateCode::kNotConnected);
    const auto connected = static_cast<std::intptr_t>(LinkStateCode::kConnected);
    link.State().device_id = 7;
    actions.OnLinkNotify(LinkNotify::kLinkState, connected, "sim");
    actions.BeforeBulkChange(StepKind::kSceneRecall);
    actions.OnLinkNotify(LinkNotify::kLinkState, lost, {});
    EXPECT_FALSE(actions.History().Capturing());
    actions.OnLinkNotify(LinkNotify::kLinkState, connected, "sim");
    link.Table().StoreReceived(300, link.Table().Value(300) + 3);  // read back after the reconnect
    EXPECT_FALSE(actions.OnLinkNotify(LinkNotify::kTableChanged, 0, {}).changed);
    EXPECT_FALSE(actions.History().CanUndo());

    // A recall that is acknowledged still becomes its step.
    const std::uint16_t before = link.Table().Value(301);
    actions.BeforeBulkChange(StepKind::kSceneRecall);
    link.Table().StoreReceived(301, before + 5);
    EXPECT_TRUE(actions.OnLinkNotify(LinkNotify::kTableChanged, 0, {}).changed);
    ASSERT_TRUE(actions.History().CanUndo());
    EXPECT_EQ(actions.History().NextUndo()->changes,
              (std::vector<ParameterChange>{{301, before, static_cast<std::uint16_t>(before + 5)}}));
}

TEST_F(HistoryActionsTest, ACompareSwitchIsRefusedWhileTheLinkIsDownAndIsOneStepOtherwise) {
    link.State().link_up = false;
    EXPECT_EQ(actions.SwitchCompare(), HistoryActions::CompareResult::kLinkDown);
    EXPECT_FALSE(actions.Compare().Active());

    link.State().link_up = true;
    link.Table().WriteParameter(kMusicBand8GainIndex, 120, false);
    EXPECT_EQ(actions.SwitchCompare(), HistoryActions::CompareResult::kStarted);
    Edit(layout::kMusicPage, music, kMusicBand8Gain, 160);  // B
    clock.Advance(1000);
    link.Table().ClearReceivedAndDirty();

    const std::size_t steps = actions.History().Size();
    EXPECT_EQ(actions.SwitchCompare(), HistoryActions::CompareResult::kSwitched);
    EXPECT_EQ(actions.Compare().Live(), AbCompare::Side::kA);
    EXPECT_EQ(link.Table().Value(kMusicBand8GainIndex), 120);
    EXPECT_EQ(music.values[kMusicBand8Gain], 120);
    EXPECT_EQ(Dirty(), std::vector<std::size_t>{kMusicBand8GainIndex});
    EXPECT_EQ(actions.History().Size(), steps + 1);

    link.State().link_up = false;
    EXPECT_EQ(actions.SwitchCompare(), HistoryActions::CompareResult::kLinkDown);
    EXPECT_EQ(link.Table().Value(kMusicBand8GainIndex), 120);
    link.State().link_up = true;
    EXPECT_EQ(actions.SwitchCompare(), HistoryActions::CompareResult::kSwitched);
    EXPECT_EQ(link.Table().Value(kMusicBand8GainIndex), 160);
    ASSERT_TRUE(actions.Undo());  // the last switch
    EXPECT_EQ(link.Table().Value(kMusicBand8GainIndex), 120);
}

}  // namespace
}  // namespace vela
