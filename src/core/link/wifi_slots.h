// The 17 Wi-Fi module command slots: texts the Wi-Fi dialog asks to send, the module's answers, and
// the completion messages of setting changes.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "core/link/device_link.h"
#include "core/link/seams.h"

namespace vela {

namespace wifi {
inline constexpr int kSlotCount = 17;
inline constexpr int kRetryLimit = 10;  // the tenth attempt drops the command unsent

// Slot numbers; the reply keyword of each slot is in kKeywords.
inline constexpr int kIp = 0;
inline constexpr int kLinkIp = 1;
inline constexpr int kMode = 2;
inline constexpr int kTcpPort = 3;
inline constexpr int kUdpPort = 4;
inline constexpr int kRouteSsid = 5;
inline constexpr int kRoutePassword = 6;
inline constexpr int kHotSsid = 7;
inline constexpr int kHotPassword = 8;
inline constexpr int kUnused = 9;
inline constexpr int kSetMode = 10;
inline constexpr int kSetRouteSsid = 11;
inline constexpr int kSetRoutePassword = 12;
inline constexpr int kSetHotSsid = 13;
inline constexpr int kSetHotPassword = 14;
inline constexpr int kRestore = 15;
inline constexpr int kRestart = 16;

// Searched in this order; the first keyword found anywhere in a reply decides. Slot 9 has none.
inline constexpr std::array<std::string_view, kSlotCount> kKeywords{
    "Get_IP:",        "Get_LinkIP:",    "Get_WiFiMode:", "Get_TCPPort:", "Get_UDPPort:",
    "Get_RouteSSID:", "Get_RoutePW:",   "Get_HotSSID:",  "Get_HotPW:",   "",
    "Set_WiFiMode:",  "Set_RouteSSID:", "Set_RoutePW:",  "Set_HotSSID:", "Set_HotPW:",
    "Set_Restore:",   "Set_Restart:"};

inline constexpr std::wstring_view kCaption = L"WiFi";

// The values of the mode command and of the mode query's answer.
inline constexpr std::uint32_t kModeHotspot = 1;
inline constexpr std::uint32_t kModeRoute = 2;

// What the module accepts: SSIDs of 1..32 bytes, passwords of at most 63, a hotspot password empty or of
// at least 8.
inline constexpr std::size_t kMaxSsidBytes = 32;
inline constexpr std::size_t kMaxPasswordBytes = 63;
inline constexpr std::size_t kMinHotspotPasswordBytes = 8;

// Completion messages, shown once the module has answered every command of a setting.
inline constexpr std::wstring_view kRouteSetDone = L"Set RouteS:OK";
inline constexpr std::wstring_view kHotspotSetDone = L"Set Hot:OK";
inline constexpr std::wstring_view kModeSetDone = L"WiFiMode:OK";
inline constexpr std::wstring_view kRestoreDone = L"Restore:OK";
inline constexpr std::wstring_view kRestartDone = L"Restart:OK";

// The text of a slot's command: its keyword, then the argument (none for the queries).
std::string CommandText(int slot, std::string_view argument = {});
// True when the module's byte filter (it keeps 0x20..0x7F only) leaves `ansi` as it is.
bool ModuleKeepsText(std::string_view ansi);
}  // namespace wifi

struct WifiSlot {
    std::atomic<std::int32_t> answered{0};
    std::atomic<std::int32_t> pending{0};
    std::atomic<std::uint32_t> value{0};
    std::atomic<std::int32_t> retry{0};
};

enum class WifiSendResult { kNothingPending, kReplied, kTimedOut, kDropped };

class WifiSlots {
  public:
    // Clears every slot, texts included.
    void Clear();

    // UI thread: store the command text, then mark it pending (the text is complete before the mark).
    void SetText(int slot, std::string_view text);
    void SetPending(int slot);
    // A copy: the reader may replace the text at any moment.
    std::string Text(int slot) const;
    WifiSlot& operator[](int slot) { return slots_[static_cast<std::size_t>(slot)]; }

    // Reader thread: one module reply (the frame text without its last two bytes).
    void ParseReply(std::string_view text);

    // Link worker, once per poll cycle: sends the first pending slot from `position` on and waits for
    // its reply for at most the poll wait; `position` stays on it, or becomes 17 when none is pending.
    WifiSendResult SendPending(DeviceLink& link, int& position);

    // Link worker: the message box of each setting whose reply arrived, captioned "WiFi".
    void ShowCompletionMessages(ILinkHost& host);

    // Makes `link` hand its Wi-Fi replies to these slots.
    void Attach(DeviceLink& link);

  private:
    static bool Valid(int slot) { return slot >= 0 && slot < wifi::kSlotCount; }
    void Answer(int slot);

    std::array<WifiSlot, wifi::kSlotCount> slots_;
    mutable std::mutex text_mutex_;  // texts are swapped under it, never read or freed outside it
    std::array<std::string, wifi::kSlotCount> texts_;
};

}  // namespace vela
