#include "core/ui/wifi_dialog_rules.h"

#include <array>

#include "core/link/wifi_slots.h"
#include "core/text/strings.h"

namespace vela::wifi_dialog {

namespace {

// The module only ever receives bytes 0x20..0x7F; any other character would have to be dropped or
// replaced, and the module would then hold a name the user never typed.
bool PlainText(std::wstring_view text) {
    for (const wchar_t c : text) {
        if (c < 0x20 || c > 0x7F) {
            return false;
        }
    }
    return true;
}

std::string Command(int slot, std::wstring_view value) {
    std::string text(wifi::kKeywords[static_cast<std::size_t>(slot)]);
    for (const wchar_t c : value) {
        text.push_back(static_cast<char>(c));
    }
    return text;
}

bool Fits(int slot, std::wstring_view value) {
    return wifi::kKeywords[static_cast<std::size_t>(slot)].size() + value.size() + 1 <= kCommandBuffer;
}

SettingCommands Pair(std::wstring_view ssid, int ssid_slot, std::wstring_view password, int password_slot,
                     bool check_password_length) {
    SettingCommands result;
    if (ssid.empty()) {
        result.refusal = Refusal::kSsidEmpty;
    } else if (!PlainText(ssid) || !PlainText(password)) {
        result.refusal = Refusal::kNotPlainText;
    } else if (!Fits(ssid_slot, ssid) || !Fits(password_slot, password)) {
        result.refusal = Refusal::kTooLong;
    } else if (check_password_length && !password.empty() && password.size() < kHotspotPasswordMinimum) {
        result.refusal = Refusal::kPasswordShort;
    } else {
        result.commands = {{ssid_slot, Command(ssid_slot, ssid)},
                           {password_slot, Command(password_slot, password)}};
    }
    return result;
}

}  // namespace

std::vector<SlotCommand> ReadAllCommands() {
    std::vector<SlotCommand> commands;
    for (const int slot : {wifi::kIp, wifi::kMode, wifi::kTcpPort, wifi::kUdpPort, wifi::kRouteSsid,
                           wifi::kRoutePassword, wifi::kHotSsid, wifi::kHotPassword}) {
        const bool sent = slot != wifi::kTcpPort && slot != wifi::kUdpPort;
        commands.push_back({slot, std::string(wifi::kKeywords[static_cast<std::size_t>(slot)]), sent});
    }
    return commands;
}

SlotCommand ModeCommand(bool route) {
    return {wifi::kSetMode, std::string(wifi::kKeywords[wifi::kSetMode]) + (route ? "2" : "1")};
}

std::optional<std::string> ReplyText(int slot, std::string_view reply) {
    if (slot < wifi::kRouteSsid || slot > wifi::kHotPassword) {
        return std::nullopt;
    }
    const std::string_view keyword = wifi::kKeywords[static_cast<std::size_t>(slot)];
    const std::size_t at = reply.find(keyword);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    // The reply starts with its keyword; what stands before a keyword found further in is not shown.
    return std::string(reply.substr(at + keyword.size()));
}

SettingCommands HotspotCommands(std::wstring_view ssid, std::wstring_view password) {
    return Pair(ssid, wifi::kSetHotSsid, password, wifi::kSetHotPassword, true);
}

SettingCommands RouteCommands(std::wstring_view ssid, std::wstring_view password) {
    return Pair(ssid, wifi::kSetRouteSsid, password, wifi::kSetRoutePassword, false);
}

std::wstring_view RefusalText(Refusal refusal) {
    switch (refusal) {
        case Refusal::kSsidEmpty:
            return Text(str::kSsidEmpty);
        case Refusal::kPasswordShort:
            return Text(str::kPasswordEightChars);
        case Refusal::kNotPlainText:
            return Text(extra::kWifiPlainTextOnly);
        case Refusal::kTooLong:
            return Text(extra::kWifiTextTooLong);
        case Refusal::kNone:
            break;
    }
    return {};
}

}  // namespace vela::wifi_dialog
