// velactl wifi: the processor's Wi-Fi module, on the same rules as the window's Wi-Fi dialog.
#include <algorithm>

#include "cli/velactl_cli.h"
#include "core/text/strings.h"
#include "core/pages/wifi_dialog_rules.h"

namespace vela::cli {

namespace {

// A word every processor answers, read to tell a silent processor from a silent part of it.
constexpr std::uint16_t kProbeParameter = 28;

// The arguments' shape; empty when they fit.
std::string WifiArgumentsError(const std::vector<std::string>& args) {
    const std::string& what = args[0];
    if (what == "show" && args.size() != 1)
        return "wifi show takes no arguments";
    if (what == "mode" && (args.size() != 2 || (args[1] != "hotspot" && args[1] != "route")))
        return "wifi mode takes hotspot or route";
    if ((what == "hotspot" || what == "route") && args.size() != 3)
        return "wifi " + what + " needs SSID PASSWORD";
    if (what != "show" && what != "mode" && what != "hotspot" && what != "route")
        return "wifi needs show, mode, hotspot or route";
    return {};
}

// Why the dialog's rules refuse an SSID and password, said for a command line.
std::string RefusalMessage(wifi_dialog::Refusal refusal, const std::string& ssid) {
    switch (refusal) {
        case wifi_dialog::Refusal::kSsidEmpty:
            return "the SSID is empty";
        case wifi_dialog::Refusal::kNotPlainText:
            return "the Wi-Fi module keeps only ASCII letters, digits, blanks and punctuation";
        case wifi_dialog::Refusal::kTooLong:
            // Only ASCII passes, so bytes are characters.
            if (ssid.size() > wifi::kMaxSsidBytes)
                return "an SSID has at most " + std::to_string(wifi::kMaxSsidBytes) + " bytes: " + ssid;
            return "a password has at most " + std::to_string(wifi::kMaxPasswordBytes) + " bytes";
        case wifi_dialog::Refusal::kPasswordShort:
            return "a hotspot password is empty or has at least " +
                   std::to_string(wifi::kMinHotspotPasswordBytes) + " characters";
        case wifi_dialog::Refusal::kNone:
            break;
    }
    return {};
}

// A query reply's text: the module's bytes are in the device's code page, not UTF-8.
std::string ReplyText(WifiSlots& slots, int slot) {
    const std::string t = slots.Text(slot);
    const std::string value = wifi_dialog::ReplyText(slot, t).value_or(t);
    return ToUtf8(SystemCodePage().ToWide(
        std::span(reinterpret_cast<const std::uint8_t*>(value.data()), value.size())));
}

}  // namespace

int Cli::Wifi() {
    const auto& args = options_.args;
    if (args.empty())
        return Usage("wifi needs show, mode, hotspot or route");
    if (const std::string error = WifiArgumentsError(args); !error.empty())
        return Usage(error);
    const std::string& what = args[0];
    // Both texts of a pair are checked before either is sent: the module would drop what it cannot
    // keep and store something other than what was typed.
    wifi_dialog::SettingCommands setting;
    if (what == "hotspot" || what == "route") {
        setting = (what == "hotspot" ? wifi_dialog::HotspotCommands : wifi_dialog::RouteCommands)(
            FromUtf8(args[1]), FromUtf8(args[2]));
        if (setting.refusal != wifi_dialog::Refusal::kNone)
            return Usage(RefusalMessage(setting.refusal, args[1]));
    }
    if (what == "mode" && args[1] == "route" && !options_.yes) {
        return Fail(
            kExitFailed,
            "switching to route mode disconnects the module from this network; pass --yes to confirm");
    }
    if (const Outcome o = Open(Path::kLight); !o.Ok()) {
        return Fail(o);
    }
    if (what == "show")
        return WifiShow();
    if (what == "mode")
        return WifiSet({wifi_dialog::ModeCommand(args[1] == "route")}, wifi::kModeSetDone);
    return WifiSet(setting.commands, what == "hotspot" ? wifi::kHotspotSetDone : wifi::kRouteSetDone);
}

int Cli::WifiShow() {
    auto& slots = session_->Wifi();
    std::vector<int> asked;
    for (const auto& command : wifi_dialog::ReadAllCommands()) {
        if (!command.pending)
            continue;
        slots.SetText(command.slot, command.text);
        slots[command.slot].answered = 0;
        asked.push_back(command.slot);
    }
    for (int slot : asked)
        slots.SetPending(slot);
    const Outcome o = session_->WaitWhileAnswering([&] {
        return std::all_of(asked.begin(), asked.end(), [&](int s) { return slots[s].pending.load() == 0; });
    });
    if (!o.Ok()) {
        return Fail(o.code == kExitNoDevice ? WhoIsSilent(o) : o);
    }
    const auto text = [&](int slot) -> std::optional<std::string> {
        return slots[slot].answered.load() ? std::optional(ReplyText(slots, slot)) : std::nullopt;
    };
    WifiReport report;
    if (slots[wifi::kIp].answered.load()) {
        const std::uint32_t ip = slots[wifi::kIp].value.load();
        report.address = std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 255) + "." +
                         std::to_string((ip >> 8) & 255) + "." + std::to_string(ip & 255);
    }
    if (slots[wifi::kMode].answered.load())
        report.mode = wifi_dialog::IsRouteMode(slots[wifi::kMode].value.load()) ? "route" : "hotspot";
    report.hotspot_ssid = text(wifi::kHotSsid);
    report.hotspot_password = text(wifi::kHotPassword);
    report.route_ssid = text(wifi::kRouteSsid);
    report.route_password = text(wifi::kRoutePassword);
    Writer().Print(report);
    const bool any =
        std::any_of(asked.begin(), asked.end(), [&](int s) { return slots[s].answered.load() != 0; });
    return any ? kExitOk : Fail(kExitNoDevice, "the Wi-Fi module did not answer");
}

// Sends a setting's commands and waits for the module's confirmation `done`.
int Cli::WifiSet(const std::vector<wifi_dialog::SlotCommand>& commands, std::wstring_view done) {
    auto& slots = session_->Wifi();
    for (const auto& command : commands)
        slots.SetText(command.slot, command.text);
    for (const auto& command : commands)
        slots.SetPending(command.slot);
    const int first = commands.front().slot;
    const auto confirmed = [&] { return host_->Shown(done); };
    const auto given_up = [&] { return slots[first].pending.load() == 0 && !confirmed(); };
    const Outcome o = session_->WaitWhileAnswering([&] { return confirmed() || given_up(); });
    if (!o.Ok()) {
        return Fail(o.code == kExitNoDevice ? WhoIsSilent(o) : o);
    }
    if (!confirmed()) {
        // The slot was dropped after its retries; a late confirmation may still come with the pair.
        if (!session_->WaitAtMost(confirmed, Timeout())) {
            return Fail(kExitFailed, "the Wi-Fi module did not confirm the setting");
        }
    }
    return kExitOk;
}

// The processor passes the module's commands on and waits for the module: silence then is the
// module's, unless the processor itself no longer answers a read.
Outcome Cli::WhoIsSilent(const Outcome& silence) {
    if (session_->Lost())
        return silence;
    Outcome read;
    if (!session_->ReadValues({kProbeParameter}, read).empty() || !read.Ok())
        return silence;
    return {kExitNoDevice, "the Wi-Fi module did not answer (the processor does)"};
}

}  // namespace vela::cli
