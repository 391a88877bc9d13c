// The Wi-Fi dialog's rules apart from its window: the query batch, the replies it shows, and the setting
// commands with the checks that keep the module from receiving anything but what the user typed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/wifi_slots.h"

namespace vela::wifi_dialog {

// Command texts are built in a 100-byte buffer with its terminating zero; the module's own limits on
// names and passwords are tighter.
inline constexpr std::size_t kCommandBuffer = 100;
static_assert(wifi::kKeywords[wifi::kSetRouteSsid].size() + wifi::kMaxPasswordBytes + 1 <= kCommandBuffer);

struct SlotCommand {
    int slot = 0;
    std::string text;
    bool pending = true;  // false: the text is stored but never sent
    bool operator==(const SlotCommand&) const = default;
};

// Read all: the queries in slot order; slots 3 and 4 only get their texts.
std::vector<SlotCommand> ReadAllCommands();

// The mode radio buttons: hotspot (1) or route (2).
SlotCommand ModeCommand(bool route);
// The mode reply selects route when its value is 2, hotspot otherwise.
inline bool IsRouteMode(std::uint32_t value) {
    return value == 2;
}

// The text to show from a query reply of slots 5..8 (the reply without its keyword), or nothing when the
// reply does not hold the slot's keyword.
std::optional<std::string> ReplyText(int slot, std::string_view reply);

enum class Refusal {
    kNone,
    kSsidEmpty,      // "SSID can't be empty!"
    kPasswordShort,  // "Password cannot be less than eight!"
    kNotPlainText,   // a character the module's byte filter would drop
    kTooLong,        // the command would not fit its buffer
};

struct SettingCommands {
    Refusal refusal = Refusal::kNone;
    std::vector<SlotCommand> commands;  // empty unless both fields passed
};

// Both fields are checked before either is sent, so a refused password never leaves the SSID half set.
SettingCommands HotspotCommands(std::wstring_view ssid, std::wstring_view password);
SettingCommands RouteCommands(std::wstring_view ssid, std::wstring_view password);

// The message of a refusal in the current language; empty for kNone.
std::wstring_view RefusalText(Refusal refusal);

}  // namespace vela::wifi_dialog
