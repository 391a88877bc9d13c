#include "sim/velasim_options.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <utility>

namespace vela::sim {

const std::string_view kVelasimUsage =
    "usage: velasim --listen HOST:PORT [options]\n"
    "\n"
    "Serves a virtual audio processor over TCP, one client at a time: every HID report travels as its\n"
    "64 data bytes. Connect with: vela --device tcp:HOST:PORT (or velactl --device ...).\n"
    "\n"
    "  --listen HOST:PORT     address to listen on, e.g. 127.0.0.1:4357 ([::1]:4357 for IPv6)\n"
    "  --state FILE           load the device from FILE and save into it on save settings, save scene\n"
    "                         and Wi-Fi changes (a new one is written at the start)\n"
    "  --verbose, -v          log every frame in both directions on stderr\n"
    "  --seed N               seed of the fault dice (default 1)\n"
    "faults:\n"
    "  --silent               answer nothing\n"
    "  --device-id HEX        report another device id (the expected one is 6201)\n"
    "  --ignore-dump          do not answer the dump command\n"
    "  --mute-wifi            the Wi-Fi module answers no command\n"
    "  --ignore-saves         ignore save scene and save settings\n"
    "  --drop SHARE           lose this share of the replies (0 to 1)\n"
    "  --delay MS             hold replies back by MS milliseconds ...\n"
    "  --delay-share SHARE    ... this share of them (default 1)\n"
    "  --corrupt SHARE        change one byte in this share of the replies\n"
    "  --unplug-every MS      unplug the device every MS milliseconds ...\n"
    "  --unplug-for MS        ... for MS milliseconds (default 1000)\n"
    "  --occupied MS          another controller holds the device for MS milliseconds after start\n"
    "                         (parameter 935 reads 2); -1 for ever\n"
    "  --wifi-notice restore|restart:MS\n"
    "                         the Wi-Fi module reports a restore or restart on its own MS\n"
    "                         milliseconds after each client connects\n"
    "  --token-file FILE      let in only clients that prove this token (velactl serve --new-token FILE)\n"
    "  --help                 this text\n"
    "  --version              the version of velasim\n"
    "Ctrl-C stops it.\n";

namespace {

bool ParseNumber(std::string_view text, double& out) {
    char* end = nullptr;
    const std::string s(text);
    out = std::strtod(s.c_str(), &end);
    return !s.empty() && end != nullptr && *end == '\0';
}

bool ParseLong(std::string_view text, long& out, int base = 10) {
    char* end = nullptr;
    const std::string s(text);
    out = std::strtol(s.c_str(), &end, base);
    return !s.empty() && end != nullptr && *end == '\0';
}

bool ParseShare(std::string_view text, double& out) {
    return ParseNumber(text, out) && out >= 0.0 && out <= 1.0;
}

// The options without a value, and the flag each sets.
bool* Flag(std::string_view arg, VelasimOptions& o) {
    const std::pair<std::string_view, bool*> flags[] = {{"--verbose", &o.verbose},
                                                        {"-v", &o.verbose},
                                                        {"--silent", &o.faults.silent},
                                                        {"--ignore-dump", &o.faults.ignore_dump},
                                                        {"--mute-wifi", &o.faults.mute_wifi},
                                                        {"--ignore-saves", &o.faults.ignore_saves}};
    for (const auto& [name, flag] : flags)
        if (name == arg)
            return flag;
    return nullptr;
}

std::optional<std::string> WifiNotice(std::string_view v, VelasimOptions& o) {
    const auto colon = v.find(':');
    const auto kind = v.substr(0, colon);
    long n = 0;
    if (colon == std::string_view::npos || !ParseLong(v.substr(colon + 1), n) || n < 0 ||
        (kind != "restore" && kind != "restart")) {
        return "--wifi-notice wants restore:MS or restart:MS";
    }
    o.notice = kind == "restore" ? "Set_Restore:" : "Set_Restart:";
    o.notice_after_ms = n;
    return std::nullopt;
}

// One option with its value; false when the value does not suit it.
bool SetValue(std::string_view arg, std::string_view v, VelasimOptions& o, bool& delay_share_given) {
    long n = 0;
    double d = 0;
    if (arg == "--state") {
        o.state_file = std::string(v);
    } else if (arg == "--token-file") {
        o.token_file = std::string(v);
    } else if (arg == "--seed" && ParseLong(v, n) && n >= 0) {
        o.seed = static_cast<std::uint32_t>(n);
    } else if (arg == "--device-id" && ParseLong(v, n, 16) && n >= 0 && n <= 0xFFFF) {
        o.faults.device_id = static_cast<std::uint16_t>(n);
    } else if (arg == "--drop" && ParseShare(v, d)) {
        o.faults.drop_share = d;
    } else if (arg == "--delay" && ParseLong(v, n) && n >= 0) {
        o.faults.delay_ms = static_cast<std::uint32_t>(n);
    } else if (arg == "--delay-share" && ParseShare(v, d)) {
        o.faults.delay_share = d;
        delay_share_given = true;
    } else if (arg == "--corrupt" && ParseShare(v, d)) {
        o.faults.corrupt_share = d;
    } else if (arg == "--unplug-every" && ParseLong(v, n) && n > 0) {
        o.unplug_every_ms = n;
    } else if (arg == "--unplug-for" && ParseLong(v, n) && n > 0) {
        o.unplug_for_ms = n;
    } else if (arg == "--occupied" && ParseLong(v, n) && n >= -1) {
        o.occupied_ms = n;
    } else {
        return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> ParseVelasimOptions(const std::vector<std::string>& args, VelasimOptions& o) {
    static constexpr std::string_view kValueOptions[] = {
        "--listen",      "--state",   "--seed",         "--device-id",  "--drop",     "--delay",
        "--delay-share", "--corrupt", "--unplug-every", "--unplug-for", "--occupied", "--wifi-notice", "--token-file"};
    bool have_listen = false;
    bool delay_share_given = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h" || arg == "--version") {
            (arg == "--version" ? o.version : o.help) = true;
            return std::nullopt;
        }
        if (bool* flag = Flag(arg, o)) {
            *flag = true;
            continue;
        }
        if (std::find(std::begin(kValueOptions), std::end(kValueOptions), arg) == std::end(kValueOptions))
            return "unknown option " + std::string(arg);
        if (i + 1 >= args.size())
            return std::string(arg) + " needs a value";
        const std::string_view v = args[++i];
        if (arg == "--listen") {
            const auto parsed = ParseDeviceSpec("tcp:" + std::string(v));
            if (!parsed.spec)
                return "--listen wants HOST:PORT, not \"" + std::string(v) + "\"";
            o.listen = *parsed.spec;
            have_listen = true;
        } else if (arg == "--wifi-notice") {
            if (auto error = WifiNotice(v, o))
                return error;
        } else if (!SetValue(arg, v, o, delay_share_given)) {
            return "bad option or value: " + std::string(arg) + " " + std::string(v);
        }
    }
    if (!have_listen)
        return "--listen HOST:PORT is required";
    if (o.faults.delay_ms > 0 && !delay_share_given)
        o.faults.delay_share = 1.0;
    return std::nullopt;
}

}  // namespace vela::sim
