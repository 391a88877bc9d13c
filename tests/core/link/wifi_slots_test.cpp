#include "core/link/wifi_slots.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/link_fakes.h"
#include "support/recording_host.h"

namespace vela {
namespace {

class WifiTest : public ::testing::Test {
  protected:
    WifiSlots slots;
    testing::RecordingHost host;

    // Value, answered and pending of every slot, to show that a reply changed nothing.
    std::vector<std::uint32_t> Snapshot() {
        std::vector<std::uint32_t> v;
        for (int s = 0; s < wifi::kSlotCount; ++s) {
            v.push_back(slots[s].value);
            v.push_back(static_cast<std::uint32_t>(slots[s].answered.load()));
            v.push_back(static_cast<std::uint32_t>(slots[s].pending.load()));
        }
        return v;
    }
    std::vector<std::wstring> MessageTexts() {
        std::vector<std::wstring> t;
        for (const auto& m : host.Messages()) {
            EXPECT_EQ(m.caption, L"WiFi");
            t.push_back(m.text);
        }
        return t;
    }
};

TEST_F(WifiTest, NumericRepliesInHexAndDecimal) {
    slots.SetText(wifi::kIp, "Get_IP:");
    slots.SetPending(wifi::kIp);
    slots[wifi::kIp].retry = 3;
    slots.ParseReply("Get_IP:1A2B3C4D");
    EXPECT_EQ(slots[wifi::kIp].value.load(), 0x1A2B3C4Du);
    EXPECT_EQ(slots[wifi::kIp].answered.load(), 1);
    EXPECT_EQ(slots[wifi::kIp].pending.load(), 0);
    EXPECT_EQ(slots[wifi::kIp].retry.load(), 0);

    slots.ParseReply("Get_TCPPort:1010");
    EXPECT_EQ(slots[wifi::kTcpPort].value.load(), 1010u);
    slots.ParseReply("Get_UDPPort: 80x8-1");  // other characters are skipped
    EXPECT_EQ(slots[wifi::kUdpPort].value.load(), 8081u);
    slots.ParseReply("Get_WiFiMode:1 2");  // a blank is a zero digit in hexadecimal
    EXPECT_EQ(slots[wifi::kMode].value.load(), 0x102u);
    slots.ParseReply("Get_LinkIP:c0a80164");
    EXPECT_EQ(slots[wifi::kLinkIp].value.load(), 0xC0A80164u);
    EXPECT_EQ(slots[wifi::kIp].value.load(), 0x1A2B3C4Du);  // "Get_LinkIP:" is not "Get_IP:"
}

TEST_F(WifiTest, KeywordAnywhereFirstSlotWinsAndTextEndsAtATerminator) {
    slots.ParseReply("noise Get_IP:0A");
    EXPECT_EQ(slots[wifi::kIp].value.load(), 0x0Au);
    slots.SetText(wifi::kHotPassword, "Get_HotPW:");
    slots.ParseReply("Set_HotPW:OK Get_HotPW:pw123");
    EXPECT_EQ(slots[wifi::kHotPassword].answered.load(), 1);
    EXPECT_EQ(slots[wifi::kSetHotPassword].answered.load(), 0);
    EXPECT_EQ(slots.Text(wifi::kHotPassword), "Set_HotPW:OK Get_HotPW:pw123");
    slots.ParseReply(
        std::string_view("Get_TCPPort:12\0"
                         "34",
                         17));
    EXPECT_EQ(slots[wifi::kTcpPort].value.load(), 12u);
}

TEST_F(WifiTest, TextAnswersReplaceTheSlotText) {
    for (int s : {wifi::kRouteSsid, wifi::kRoutePassword, wifi::kHotSsid, wifi::kHotPassword}) {
        const std::string keyword(wifi::kKeywords[static_cast<std::size_t>(s)]);
        slots.SetText(s, keyword);
        slots.SetPending(s);
        slots.ParseReply(keyword + "value" + std::to_string(s));
        EXPECT_EQ(slots.Text(s), keyword + "value" + std::to_string(s));
        EXPECT_EQ(slots[s].pending.load(), 0);
        EXPECT_EQ(slots[s].answered.load(), 1);
    }
}

TEST_F(WifiTest, MalformedRepliesChangeNothing) {
    slots.SetPending(wifi::kIp);
    slots.SetPending(wifi::kTcpPort);
    slots[wifi::kIp].value = 5;
    const auto before = Snapshot();
    for (std::string_view reply : {"", "Hello", "Get_IP:", "Get_IP:xyz", "Get_IP:   ", "Get_TCPPort:port",
                                   "get_ip:12", "Get_IP", "\0Get_IP:12"}) {
        slots.ParseReply(reply);
        EXPECT_EQ(Snapshot(), before) << reply;
    }
    slots.ParseReply(std::string_view("\0Get_IP:12", 10));
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(WifiTest, CompletionMessagesWaitForBothHalvesAndComeInOrder) {
    slots.ParseReply("Set_RouteSSID:OK");
    slots.ShowCompletionMessages(host);
    EXPECT_TRUE(MessageTexts().empty());
    slots.ParseReply("Set_RoutePW:OK");
    slots.ParseReply("Set_Restart:OK");
    slots.ParseReply("Set_WiFiMode:OK");
    slots.ParseReply("Set_HotPW:OK");
    slots.ParseReply("Set_Restore:OK");
    slots.ShowCompletionMessages(host);
    EXPECT_EQ(MessageTexts(),
              (std::vector<std::wstring>{L"Set RouteS:OK", L"WiFiMode:OK", L"Restore:OK", L"Restart:OK"}));
    slots.ShowCompletionMessages(host);
    EXPECT_EQ(MessageTexts().size(), 4u);  // each once
    slots.ParseReply("Set_HotSSID:OK");
    slots.ShowCompletionMessages(host);
    EXPECT_EQ(MessageTexts().back(), L"Set Hot:OK");
}

class WifiSendTest : public WifiTest {
  protected:
    testing::ManualClock clock;
    testing::Latin1CodePage code_page;
    testing::RecordingSender sender;
    DeviceLink link{clock, code_page};
    void SetUp() override { link.SetSender(&sender); }
};

TEST_F(WifiSendTest, UnansweredCommandIsSentNineTimesThenDropped) {
    slots.SetText(wifi::kSetMode, "Set_WiFiMode:2");
    slots.SetPending(wifi::kSetMode);
    int position = 0;
    int sends = 0;
    for (int cycle = 0; cycle < 12; ++cycle) {
        const auto r = slots.SendPending(link, position);
        if (r == WifiSendResult::kReplied)
            ++sends;  // no reader: WaitReply returns at once
        if (r != WifiSendResult::kNothingPending) {
            EXPECT_EQ(position, wifi::kSetMode);
        }
    }
    EXPECT_EQ(sends, 9);
    EXPECT_EQ(slots[wifi::kSetMode].pending.load(), 0);
    EXPECT_EQ(position, wifi::kSlotCount);
    const auto frames = sender.Frames();
    ASSERT_EQ(frames.size(), 9u);
    const std::string text = "Set_WiFiMode:2";
    EXPECT_EQ(frames[0], EncodeFrame(cmd::kWifiText, std::vector<std::uint8_t>(text.begin(), text.end())));
}

TEST_F(WifiSendTest, SendingStartsAtThePositionAndMovesOnOnceAnswered) {
    for (int s : {wifi::kIp, wifi::kSetHotSsid}) {
        slots.SetText(s, std::string(wifi::kKeywords[static_cast<std::size_t>(s)]));
        slots.SetPending(s);
    }
    int position = 5;
    EXPECT_EQ(slots.SendPending(link, position), WifiSendResult::kReplied);
    EXPECT_EQ(position, wifi::kSetHotSsid);
    slots.Attach(link);
    const std::string reply = "Set_HotSSID:OK\r\n";
    const auto frame = EncodeFrame(cmd::kWifiText, std::vector<std::uint8_t>(reply.begin(), reply.end()));
    link.ReceiveBytes(frame.data(), frame.size());
    EXPECT_EQ(slots.SendPending(link, position), WifiSendResult::kNothingPending);
    EXPECT_EQ(position, wifi::kSlotCount);
    EXPECT_EQ(slots.SendPending(link, position), WifiSendResult::kReplied);  // wrapped to slot 0
    EXPECT_EQ(position, wifi::kIp);
}

TEST_F(WifiSendTest, ReaderReplacingATextWhileTheWorkerCopiesIt) {
    slots.SetText(wifi::kRouteSsid, "Get_RouteSSID:");
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        for (int k = 0; !stop; ++k)
            slots.ParseReply("Get_RouteSSID:" + std::string(static_cast<std::size_t>(k % 40), 'x'));
    });
    int position = 0;
    for (int k = 0; k < 2000; ++k) {
        slots.SetPending(wifi::kRouteSsid);
        slots[wifi::kRouteSsid].retry = 0;
        (void)slots.SendPending(link, position);
    }
    stop = true;
    reader.join();
    for (const auto& f : sender.Frames()) {
        const std::string text(f.begin() + 3, f.end() - 2);
        EXPECT_EQ(text.rfind("Get_RouteSSID:", 0), 0u);
        EXPECT_EQ(text.find_first_not_of('x', 14), std::string::npos);
    }
}

}  // namespace
}  // namespace vela
