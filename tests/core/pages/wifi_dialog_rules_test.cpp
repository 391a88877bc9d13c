#include "core/pages/wifi_dialog_rules.h"

#include <gtest/gtest.h>

#include "core/text/strings.h"

namespace vela::wifi_dialog {
namespace {

TEST(WifiDialogRules, ReadAllQueriesSlotsAndLeavesPortsUnsent) {
    const auto commands = ReadAllCommands();
    ASSERT_EQ(commands.size(), 8u);
    EXPECT_EQ(commands[0], (SlotCommand{0, "Get_IP:", true}));
    EXPECT_EQ(commands[2], (SlotCommand{3, "Get_TCPPort:", false}));
    EXPECT_EQ(commands[3], (SlotCommand{4, "Get_UDPPort:", false}));
    EXPECT_EQ(commands[7], (SlotCommand{8, "Get_HotPW:", true}));
    EXPECT_EQ(ModeCommand(true).text, "Set_WiFiMode:2");
    EXPECT_EQ(ModeCommand(false).text, "Set_WiFiMode:1");
    EXPECT_TRUE(IsRouteMode(2));
    EXPECT_FALSE(IsRouteMode(1));
}

TEST(WifiDialogRules, ReplyTextsLoseTheirKeyword) {
    EXPECT_EQ(ReplyText(7, "Get_HotSSID:karaoke"), "karaoke");
    EXPECT_EQ(ReplyText(8, "Get_HotPW:"), "");
    EXPECT_EQ(ReplyText(5, "Get_RoutePW:x"), std::nullopt);
    EXPECT_EQ(ReplyText(0, "Get_IP:1"), std::nullopt);
}

TEST(WifiDialogRules, HotspotChecksBothFieldsBeforeSendingEither) {
    const auto ok = HotspotCommands(L"room", L"12345678");
    EXPECT_EQ(ok.refusal, Refusal::kNone);
    EXPECT_EQ(ok.commands, (std::vector<SlotCommand>{{13, "Set_HotSSID:room"}, {14, "Set_HotPW:12345678"}}));
    // An empty password is sent as the bare command.
    EXPECT_EQ(HotspotCommands(L"room", L"").commands.at(1).text, "Set_HotPW:");

    // A short password keeps the SSID back as well.
    const auto short_pw = HotspotCommands(L"room", L"1234567");
    EXPECT_EQ(short_pw.refusal, Refusal::kPasswordShort);
    EXPECT_TRUE(short_pw.commands.empty());
    EXPECT_EQ(HotspotCommands(L"", L"12345678").refusal, Refusal::kSsidEmpty);
    // Chinese would have been sent as an empty name: refused instead.
    EXPECT_EQ(HotspotCommands(L"包房", L"12345678").refusal, Refusal::kNotPlainText);
    EXPECT_EQ(HotspotCommands(L"room", L"pass\u00e9word").refusal, Refusal::kNotPlainText);
    EXPECT_EQ(HotspotCommands(L"a\tb", L"12345678").refusal, Refusal::kNotPlainText);
}

TEST(WifiDialogRules, FieldsKeepToTheModulesLimits) {
    // 32-byte names and 63-byte passwords: one more is refused, and so is the whole pair.
    EXPECT_EQ(HotspotCommands(std::wstring(32, L's'), std::wstring(63, L'p')).refusal, Refusal::kNone);
    EXPECT_EQ(HotspotCommands(std::wstring(33, L's'), L"").refusal, Refusal::kTooLong);
    // The route password has no minimum length.
    EXPECT_EQ(RouteCommands(L"net", std::wstring(64, L'p')).refusal, Refusal::kTooLong);
    const auto route = RouteCommands(L"net", L"1");
    EXPECT_EQ(route.commands, (std::vector<SlotCommand>{{11, "Set_RouteSSID:net"}, {12, "Set_RoutePW:1"}}));
    EXPECT_EQ(RouteCommands(L"", L"x").refusal, Refusal::kSsidEmpty);
}

TEST(WifiDialogRules, EveryRefusalIsExplainedInEveryLanguage) {
    const int before = LanguageIndex();
    for (int language = 0; language < kLanguageCount; ++language) {
        SetLanguageIndex(language);
        for (const Refusal r :
             {Refusal::kSsidEmpty, Refusal::kPasswordShort, Refusal::kNotPlainText, Refusal::kTooLong}) {
            EXPECT_FALSE(RefusalText(r).empty()) << language;
        }
        EXPECT_TRUE(RefusalText(Refusal::kNone).empty());
    }
    SetLanguageIndex(before);
}

}  // namespace
}  // namespace vela::wifi_dialog
