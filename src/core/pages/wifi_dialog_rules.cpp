#include "core/pages/wifi_dialog_rules.h"

#include <array>
#include <optional>

#include "core/link/wifi_slots.h"
#include "core/text/strings.h"

namespace vela::wifi_dialog {

namespace {

// The module only ever receives bytes 0x20..0x7F; any other character would be dropped or replaced on
// the way, and the module would then hold a name the user never typed. Nothing in 0x20..0x7F changes in
// the code page conversion, so the wide text is narrowed as it is.
std::optional<std::string> ModuleText(std::wstring_view text) {
    std::string ansi;
    for (const wchar_t c : text) {
        if (c > 0x7F) {
            return std::nullopt;
        }
        ansi.push_back(static_cast<char>(c));
    }
    if (!wifi::ModuleKeepsText(ansi)) {
        return std::nullopt;
    }
    return ansi;
}

SettingCommands Pair(std::wstring_view ssid, int ssid_slot, std::wstring_view password, int password_slot,
                     bool check_password_length) {
    SettingCommands result;
    const auto ssid_text = ModuleText(ssid);
    const auto password_text = ModuleText(password);
    if (ssid.empty()) {
        result.refusal = Refusal::kSsidEmpty;
    } else if (!ssid_text || !password_text) {
        result.refusal = Refusal::kNotPlainText;
    } else if (ssid_text->size() > wifi::kMaxSsidBytes || password_text->size() > wifi::kMaxPasswordBytes) {
        result.refusal = Refusal::kTooLong;
    } else if (check_password_length && !password_text->empty() &&
               password_text->size() < wifi::kMinHotspotPasswordBytes) {
        result.refusal = Refusal::kPasswordShort;
    } else {
        result.commands = {{ssid_slot, wifi::CommandText(ssid_slot, *ssid_text)},
                           {password_slot, wifi::CommandText(password_slot, *password_text)}};
    }
    return result;
}

}  // namespace

std::vector<SlotCommand> ReadAllCommands() {
    std::vector<SlotCommand> commands;
    for (const int slot : {wifi::kIp, wifi::kMode, wifi::kTcpPort, wifi::kUdpPort, wifi::kRouteSsid,
                           wifi::kRoutePassword, wifi::kHotSsid, wifi::kHotPassword}) {
        const bool sent = slot != wifi::kTcpPort && slot != wifi::kUdpPort;
        commands.push_back({slot, wifi::CommandText(slot), sent});
    }
    return commands;
}

SlotCommand ModeCommand(bool route) {
    return {wifi::kSetMode,
            wifi::CommandText(wifi::kSetMode, std::to_string(route ? wifi::kModeRoute : wifi::kModeHotspot))};
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
