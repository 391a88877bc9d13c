#include "core/link/device_link.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/link_fakes.h"

namespace vela {
namespace {

using testing::Frame;

class DeviceLinkTest : public ::testing::Test {
  protected:
    testing::ManualClock clock;
    testing::Latin1CodePage code_page;
    testing::RecordingSender sender;
    DeviceLink link{clock, code_page};

    void SetUp() override { link.SetSender(&sender); }

    // A lone frame with an empty payload is only scanned once a sixth byte is buffered, so such
    // frames are followed by one byte of padding here.
    void Receive(std::uint8_t command, std::vector<std::uint8_t> payload) {
        auto f = Frame(command, std::move(payload));
        if (f.size() < 6)
            f.push_back(0x00);
        link.ReceiveBytes(f.data(), f.size());
    }
    void ReceiveSceneName(std::uint8_t scene, const std::string& name) {
        std::vector<std::uint8_t> p{scene};
        p.insert(p.end(), name.begin(), name.end());
        Receive(0x04, p);
    }
    bool Woken() { return link.State().reply.TryAcquire(); }
};

TEST_F(DeviceLinkTest, WriteAckClearsOnlyMatchingCompleteGroupsBelowTheTableSize) {
    auto& t = link.Table();
    link.WriteParameter(10, 5);
    link.WriteParameter(11, 6);
    link.WriteParameter(12, 7);
    // 10 echoes the held value, 11 an older one, 947 is beyond the table, then a partial group for 12.
    Receive(0x03, {0, 10, 0, 5, 0, 11, 0, 9, 0x03, 0xB3, 0, 1, 0, 12, 0});
    EXPECT_FALSE(t.IsDirty(10));
    EXPECT_TRUE(t.IsDirty(11));
    EXPECT_TRUE(t.IsDirty(12));
}

TEST_F(DeviceLinkTest, ReadReplyMarksReceivedButNeverOverwritesAPendingEdit) {
    auto& t = link.Table();
    link.WriteParameter(20, 1);
    Receive(0x06, {0, 20, 0x01, 0x02, 0, 22, 0x03, 0x04, 0x03, 0xB3, 0, 9, 0, 21});
    // The device's value is older than the edit still on its way to it.
    EXPECT_EQ(t.Value(20), 1);
    EXPECT_TRUE(t.IsReceived(20));
    EXPECT_TRUE(t.IsDirty(20));
    EXPECT_EQ(t.Value(22), 0x0304);
    EXPECT_TRUE(t.IsReceived(22));
    EXPECT_FALSE(t.IsReceived(21));
    // Once acknowledged, the device's value is taken again.
    Receive(0x03, {0, 20, 0, 1});
    Receive(0x06, {0, 20, 0x01, 0x02});
    EXPECT_EQ(t.Value(20), 0x0102);
    EXPECT_FALSE(t.IsDirty(20));
}

TEST_F(DeviceLinkTest, IdentifyRepliesInBothForms) {
    Receive(0x00, {0x62, 0x01, 0, 0});
    EXPECT_EQ(link.State().device_id.load(), kDeviceId);
    Receive(0x00, {0x01, 6, 0, 0, 0, 0});
    EXPECT_EQ(link.State().scene_limit.load(), 6u);
    EXPECT_EQ(link.State().device_id.load(), kDeviceId);
    Receive(0x00, {0x62});  // too short to say anything
    EXPECT_EQ(link.State().device_id.load(), kDeviceId);
}

TEST_F(DeviceLinkTest, AcknowledgementsAndAnnounceSetTheirFlags) {
    auto& s = link.State();
    Receive(0x01, {3});
    Receive(0x10, {3});
    Receive(0x21, {1, 1});
    Receive(0x71, {});
    EXPECT_TRUE(s.call_scene_ack);
    EXPECT_TRUE(s.save_scene_ack);
    EXPECT_TRUE(s.save_settings_ack);
    EXPECT_TRUE(link.Table().IsReceived(0));
}

TEST_F(DeviceLinkTest, RecognisedRepliesWakeOnlyAWaitingSenderAndUnknownOnesNever) {
    Receive(0x20, {});
    EXPECT_FALSE(Woken());  // nobody waiting
    link.State().waiting = true;
    for (std::uint8_t c : {0x20, 0xFC, 0xFE, 0xFF, 0x06}) {
        Receive(c, {});
        EXPECT_TRUE(Woken()) << int(c);
    }
    Receive(0x42, {1});
    EXPECT_FALSE(Woken());
}

TEST_F(DeviceLinkTest, SceneNameReplyTrimsAndFillsItsSlot) {
    link.WriteParameter(param::kSceneSelector, 0x0503);
    ReceiveSceneName(3, std::string("KTV Room\x01  ") + std::string(10, ' '));
    EXPECT_EQ(link.SceneNames().Name(2), L"KTV Room");
    EXPECT_TRUE(link.SceneNames().NameReceived(2));
    EXPECT_TRUE(link.State().scene_name_ack);
    const auto& sel = link.Table()[param::kSceneSelector];
    EXPECT_EQ(sel.value.load(), 3);
    EXPECT_EQ(sel.received.load(), 1);
    EXPECT_EQ(sel.dirty.load(), 0);
}

// The names read after connecting arrive while the user may already have chosen a scene to recall or store:
// they must not turn that request into one for another scene.
TEST_F(DeviceLinkTest, SceneNameReplyLeavesAPendingRecallOrStoreAlone) {
    link.WriteParameter(param::kSceneSelector, 0x0603);
    ReceiveSceneName(8, "Hall");
    EXPECT_EQ(link.Table().Value(param::kSceneSelector), 0x0603);
    EXPECT_TRUE(link.Table().IsDirty(param::kSceneSelector));
    EXPECT_EQ(link.SceneNames().Name(7), L"Hall");

    link.Table().WriteParameter(param::kSceneSelector, 0x0703, false);
    ReceiveSceneName(5, "Bar");
    EXPECT_EQ(link.Table().Value(param::kSceneSelector), 0x0703);
    EXPECT_EQ(link.SceneNames().Name(4), L"Bar");
}

TEST_F(DeviceLinkTest, SceneNameKeepsFirstTwoBytesCutsAt25AndWrapsScene9) {
    ReceiveSceneName(1, "  ");
    EXPECT_EQ(link.SceneNames().Name(0), L"  ");
    ReceiveSceneName(9, std::string(30, 'x'));
    EXPECT_EQ(link.SceneNames().Name(0), std::wstring(25, L'x'));
    ReceiveSceneName(8, std::string("\0ab", 3));  // a name that starts with a terminator is empty
    EXPECT_EQ(link.SceneNames().Name(7), L"");
    EXPECT_TRUE(link.SceneNames().NameReceived(7));
}

TEST_F(DeviceLinkTest, SceneZeroReplyEndsTheRequestWithoutStoringAName) {
    link.WriteParameter(param::kSceneSelector, 0x0500);
    ReceiveSceneName(0, "ghost");
    for (int s = 0; s < kSceneSlots; ++s)
        EXPECT_FALSE(link.SceneNames().NameReceived(s));
    EXPECT_FALSE(link.Table().IsDirty(param::kSceneSelector));
    EXPECT_EQ(link.Table().Value(param::kSceneSelector), 0);
}

TEST_F(DeviceLinkTest, WifiTextIsHandedOnWithoutItsLastTwoBytes) {
    std::vector<std::string> texts;
    link.SetWifiReplyHandler([&](std::string_view t) { texts.emplace_back(t); });
    const std::string reply = "Get_IP:C0A80101\r\n";
    Receive(0x57, std::vector<std::uint8_t>(reply.begin(), reply.end()));
    Receive(0x57, {'x'});  // too short to carry text
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], "Get_IP:C0A80101");
}

TEST_F(DeviceLinkTest, BatchesAndReadsGoOutAsFrames) {
    link.WriteParameter(935, 1);
    link.BuildWriteBatch(0, 24);
    link.ReadOne(0);
    link.WriteParameter(934, 0x0504);
    link.BuildWriteBatch(0, 24);
    const auto frames = sender.Frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], Frame(0x03, {0x03, 0xA7, 0x00, 0x01}));
    EXPECT_EQ(frames[1], Frame(0x06, {0, 0}));
    EXPECT_EQ(frames[2], Frame(0x04, {4}));
    EXPECT_TRUE(link.State().link_up);
}

TEST_F(DeviceLinkTest, FailedSendClearsLinkUp) {
    sender.SetSucceed(false);
    EXPECT_FALSE(link.SendFrame(0x06, {}));
    EXPECT_FALSE(link.State().link_up);
}

TEST_F(DeviceLinkTest, WaitReplyReturnsAtOnceWithoutAReader) {
    EXPECT_TRUE(link.WaitReply(100000));
    EXPECT_EQ(link.State().missed_replies.load(), 0u);
}

TEST_F(DeviceLinkTest, SupervisionDropsASilentLinkAfterMissedReplies) {
    auto& s = link.State();
    s.reader_running = true;
    s.last_valid_frame_tick = clock.TickMs();
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(link.SendFrame(0x06, {}));
        EXPECT_FALSE(link.WaitReply(1));
    }
    EXPECT_EQ(s.missed_replies.load(), 4u);
    EXPECT_TRUE(link.SendFrame(0x06, {}));  // missed enough, but not yet silent for the link timeout
    clock.Advance(1500);
    EXPECT_TRUE(link.SendFrame(0x57, {}));  // Wi-Fi texts are never supervised
    EXPECT_FALSE(link.SendFrame(0x06, {}));
    EXPECT_FALSE(s.link_up);
    EXPECT_EQ(s.missed_replies.load(), 0u);
    // Nothing goes out, and the flag stays down, until the controller starts a new connection.
    EXPECT_FALSE(link.SendFrame(0x06, {}));
    EXPECT_FALSE(s.link_up);
    link.ResetSupervision();
    EXPECT_TRUE(link.SendFrame(0x06, {}));
    EXPECT_TRUE(s.link_up);
    // Any valid frame resets the count.
    s.missed_replies = 3;
    Receive(0x20, {});
    EXPECT_EQ(s.missed_replies.load(), 0u);
    EXPECT_EQ(s.last_valid_frame_tick.load(), clock.TickMs());
}

TEST_F(DeviceLinkTest, ARequestedReconnectHoldsUntilTheNextConnection) {
    EXPECT_TRUE(link.SendFrame(0x06, {}));
    link.RequestReconnect();
    EXPECT_FALSE(link.State().link_up);
    // A load still running on the worker must not bring the flag back.
    EXPECT_FALSE(link.SendFrame(0x06, {}));
    EXPECT_FALSE(link.State().link_up);
    link.ResetSupervision();
    EXPECT_TRUE(link.SendFrame(0x06, {}));
    EXPECT_TRUE(link.State().link_up);
}

TEST(ReplySemaphore, ExtraReleasesAreLost) {
    ReplySemaphore sem;
    sem.Release();
    sem.Release();
    EXPECT_TRUE(sem.AcquireFor(std::chrono::milliseconds(0)));
    EXPECT_FALSE(sem.AcquireFor(std::chrono::milliseconds(1)));
}

TEST(ReplySemaphore, WakesAWaiterOnAnotherThread) {
    ReplySemaphore sem;
    std::thread releaser([&] { sem.Release(); });
    EXPECT_TRUE(sem.AcquireFor(std::chrono::seconds(10)));
    releaser.join();
}

TEST_F(DeviceLinkTest, ReaderThreadRepliesReachAWaitingWorker) {
    // The transport reader feeds bytes while the worker waits: the handshake across real threads.
    auto& s = link.State();
    s.reader_running = true;
    s.waiting = true;
    std::thread reader([&] {
        const auto f = Frame(0x06, {0, 7, 0, 99});
        link.ReceiveBytes(f.data(), f.size());
    });
    const bool replied = link.State().reply.AcquireFor(std::chrono::seconds(10));
    reader.join();
    EXPECT_TRUE(replied);
    EXPECT_EQ(link.Table().Value(7), 99);
}

}  // namespace
}  // namespace vela
