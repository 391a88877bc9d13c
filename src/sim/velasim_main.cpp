// velasim: the virtual processor served over the report stream, for trying vela and velactl without
// hardware (connect them with --device tcp:HOST:PORT).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "core/diag/version.h"
#include "core/link/device_spec.h"
#include "sim/sim_server.h"

namespace {

using vela::sim::Faults;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kUsage =
    "usage: velasim --listen HOST:PORT [options]\n"
    "\n"
    "Serves a virtual audio processor over TCP, one client at a time: every HID report travels as its\n"
    "64 data bytes. Connect with: vela --device tcp:HOST:PORT (or velactl --device ...).\n"
    "\n"
    "  --listen HOST:PORT     address to listen on, e.g. 127.0.0.1:4357 ([::1]:4357 for IPv6)\n"
    "  --state FILE           load the device from FILE and save into it on save settings, save scene\n"
    "                         and Wi-Fi changes (a new one is written at the start)\n"
    "  --token-file FILE      let in only clients that prove this token (velactl serve --new-token FILE)\n"
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
    "  --help                 this text\n"
    "  --version              the version of velasim\n"
    "Ctrl-C stops it.\n";

std::atomic<bool> g_stop{false};

extern "C" void OnSignal(int) {
    g_stop.store(true);
}

struct Options {
    vela::DeviceSpec listen;
    std::string state_file;
    std::string token_file;
    bool verbose = false;
    std::uint32_t seed = 1;
    Faults faults;
    bool delay_share_given = false;
    long unplug_every_ms = 0;
    long unplug_for_ms = 1000;
    long occupied_ms = 0;
    std::string notice;  // "Set_Restore:" or "Set_Restart:"
    long notice_after_ms = 0;
};

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

// Returns an error text, or nothing when the options are usable.
std::optional<std::string> Parse(int argc, char** argv, Options& o, bool& help, bool& version) {
    static constexpr std::string_view kValueOptions[] = {
        "--listen",   "--state",       "--seed",      "--device-id",    "--drop",
        "--delay",    "--delay-share", "--corrupt",   "--unplug-every", "--unplug-for",
        "--occupied", "--wifi-notice", "--token-file"};
    bool have_listen = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= argc)
                return std::nullopt;
            return std::string_view(argv[++i]);
        };
        if (arg == "--help" || arg == "-h") {
            help = true;
            return std::nullopt;
        }
        if (arg == "--version") {
            version = true;
            return std::nullopt;
        }
        if (arg == "--verbose" || arg == "-v") {
            o.verbose = true;
            continue;
        }
        if (arg == "--silent") {
            o.faults.silent = true;
            continue;
        }
        if (arg == "--ignore-dump") {
            o.faults.ignore_dump = true;
            continue;
        }
        if (arg == "--mute-wifi") {
            o.faults.mute_wifi = true;
            continue;
        }
        if (arg == "--ignore-saves") {
            o.faults.ignore_saves = true;
            continue;
        }
        if (std::find(std::begin(kValueOptions), std::end(kValueOptions), arg) == std::end(kValueOptions)) {
            return "unknown option " + std::string(arg);
        }
        const auto v = value();
        if (!v) {
            return std::string(arg) + " needs a value";
        }
        long n = 0;
        double d = 0;
        if (arg == "--listen") {
            const auto parsed = vela::ParseDeviceSpec("tcp:" + std::string(*v));
            if (!parsed.spec)
                return "--listen wants HOST:PORT, not \"" + std::string(*v) + "\"";
            o.listen = *parsed.spec;
            have_listen = true;
        } else if (arg == "--token-file") {
            o.token_file = std::string(*v);
        } else if (arg == "--state") {
            o.state_file = std::string(*v);
        } else if (arg == "--seed" && ParseLong(*v, n) && n >= 0) {
            o.seed = static_cast<std::uint32_t>(n);
        } else if (arg == "--device-id" && ParseLong(*v, n, 16) && n >= 0 && n <= 0xFFFF) {
            o.faults.device_id = static_cast<std::uint16_t>(n);
        } else if (arg == "--drop" && ParseShare(*v, d)) {
            o.faults.drop_share = d;
        } else if (arg == "--delay" && ParseLong(*v, n) && n >= 0) {
            o.faults.delay_ms = static_cast<std::uint32_t>(n);
        } else if (arg == "--delay-share" && ParseShare(*v, d)) {
            o.faults.delay_share = d;
            o.delay_share_given = true;
        } else if (arg == "--corrupt" && ParseShare(*v, d)) {
            o.faults.corrupt_share = d;
        } else if (arg == "--unplug-every" && ParseLong(*v, n) && n > 0) {
            o.unplug_every_ms = n;
        } else if (arg == "--unplug-for" && ParseLong(*v, n) && n > 0) {
            o.unplug_for_ms = n;
        } else if (arg == "--occupied" && ParseLong(*v, n) && n >= -1) {
            o.occupied_ms = n;
        } else if (arg == "--wifi-notice") {
            const auto colon = v->find(':');
            const auto kind = v->substr(0, colon);
            if (colon == std::string_view::npos || !ParseLong(v->substr(colon + 1), n) || n < 0 ||
                (kind != "restore" && kind != "restart")) {
                return "--wifi-notice wants restore:MS or restart:MS";
            }
            o.notice = kind == "restore" ? "Set_Restore:" : "Set_Restart:";
            o.notice_after_ms = n;
        } else {
            return "bad option or value: " + std::string(arg) + " " + std::string(*v);
        }
    }
    if (!have_listen) {
        return "--listen HOST:PORT is required";
    }
    if (o.faults.delay_ms > 0 && !o.delay_share_given) {
        o.faults.delay_share = 1.0;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    bool help = false;
    bool version = false;
    if (const auto error = Parse(argc, argv, options, help, version)) {
        std::fprintf(stderr, "velasim: %s\n\n%.*s", error->c_str(), static_cast<int>(kUsage.size()),
                     kUsage.data());
        return 2;
    }
    if (help) {
        std::printf("%.*s", static_cast<int>(kUsage.size()), kUsage.data());
        return 0;
    }
    if (version) {
        std::printf("velasim %s\n", VELA_VERSION);
        return 0;
    }

    vela::sim::SimulatedDevice device(vela::kVendorId, vela::kProductId, options.seed);
    device.SetFaults(options.faults);
    if (!options.state_file.empty()) {
        const bool loaded = device.WithProcessor(
            [&](vela::sim::VirtualProcessor& p) { return p.UseStateFile(options.state_file); });
        if (!loaded) {
            std::fprintf(stderr, "velasim: %s is not a state file; not touching it\n",
                         options.state_file.c_str());
            return 1;
        }
        // A new state file is written now, so that a place where it cannot be written is refused at the
        // start instead of every later save failing unseen.
        std::error_code ec;
        if (!std::filesystem::exists(options.state_file, ec) &&
            !device.WithProcessor([](vela::sim::VirtualProcessor& p) { return p.SaveStateFile(); })) {
            std::fprintf(stderr, "velasim: cannot write the state file %s\n", options.state_file.c_str());
            return 1;
        }
    }
    if (options.verbose) {
        const auto start = Clock::now();
        device.SetLog([start](const std::string& line) {
            const auto ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
            std::fprintf(stderr, "%8lld %s\n", static_cast<long long>(ms), line.c_str());
        });
    }
    if (options.occupied_ms != 0) {
        device.SetOccupied(true);
    }

    vela::sim::SimServer server(device);
    std::string error;
    if (!options.token_file.empty()) {
        server.SetToken(vela::auth::ReadTokenFile(options.token_file, error));
        if (!error.empty()) {
            std::fprintf(stderr, "velasim: %s\n", error.c_str());
            return 2;
        }
    }
    if (!server.Start(options.listen.host, options.listen.port, &error)) {
        std::fprintf(stderr, "velasim: cannot listen on %s: %s\n", vela::ToString(options.listen).c_str(),
                     error.c_str());
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::fprintf(stderr, "velasim: listening on %s:%u (Ctrl-C stops)\n", options.listen.host.c_str(),
                 static_cast<unsigned>(server.Port()));

    const auto start = Clock::now();
    auto next_unplug = start + std::chrono::milliseconds(options.unplug_every_ms);
    bool unplugged = false;
    Clock::time_point replug_at{};
    std::uint64_t seen_sessions = 0;
    bool notice_armed = false;
    Clock::time_point notice_at{};
    while (!g_stop.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const auto now = Clock::now();
        if (options.occupied_ms > 0 && now - start >= std::chrono::milliseconds(options.occupied_ms)) {
            device.SetOccupied(false);
            options.occupied_ms = 0;
            if (options.verbose)
                std::fprintf(stderr, "velasim: released by the other controller\n");
        }
        if (options.unplug_every_ms > 0 && !unplugged && now >= next_unplug) {
            device.Unplug();
            unplugged = true;
            replug_at = now + std::chrono::milliseconds(options.unplug_for_ms);
            if (options.verbose)
                std::fprintf(stderr, "velasim: unplugged\n");
        }
        if (unplugged && now >= replug_at) {
            device.Replug();
            unplugged = false;
            next_unplug = now + std::chrono::milliseconds(options.unplug_every_ms);
            if (options.verbose)
                std::fprintf(stderr, "velasim: plugged in\n");
        }
        if (!options.notice.empty() && server.Sessions() != seen_sessions) {
            seen_sessions = server.Sessions();
            notice_at = now + std::chrono::milliseconds(options.notice_after_ms);
            notice_armed = true;
        }
        if (notice_armed && now >= notice_at) {
            notice_armed = false;
            device.WithProcessor([&](vela::sim::VirtualProcessor& p) { p.SendWifiNotice(options.notice); });
        }
    }
    server.Stop();
    std::fprintf(stderr, "velasim: stopped after %llu session(s)\n",
                 static_cast<unsigned long long>(server.Sessions()));
    return 0;
}
