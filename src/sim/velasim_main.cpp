// velasim: the virtual processor served over the report stream, for trying vela and velactl without
// hardware (connect them with --device tcp:HOST:PORT).
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "core/diag/version.h"
#include "sim/sim_server.h"
#include "sim/velasim_options.h"

namespace {

using vela::sim::VelasimOptions;
using Clock = std::chrono::steady_clock;

std::atomic<bool> g_stop{false};

extern "C" void OnSignal(int) {
    g_stop.store(true);
}

// Loads the state file, or writes a new one now, so that a place where it cannot be written is refused
// at the start instead of every later save failing unseen. False (said on stderr) when neither works.
bool UseStateFile(vela::sim::SimulatedDevice& device, const std::string& file) {
    if (!device.WithProcessor([&](vela::sim::VirtualProcessor& p) { return p.UseStateFile(file); })) {
        std::fprintf(stderr, "velasim: %s is not a state file; not touching it\n", file.c_str());
        return false;
    }
    std::error_code ec;
    if (!std::filesystem::exists(file, ec) &&
        !device.WithProcessor([](vela::sim::VirtualProcessor& p) { return p.SaveStateFile(); })) {
        std::fprintf(stderr, "velasim: cannot write the state file %s\n", file.c_str());
        return false;
    }
    return true;
}

// The timed faults: the other controller's release, unplugging and replugging, the Wi-Fi notices.
class FaultClock {
  public:
    FaultClock(VelasimOptions& o, vela::sim::SimulatedDevice& device, const vela::sim::SimServer& server)
        : o_(o),
          device_(device),
          server_(server),
          next_unplug_(start_ + std::chrono::milliseconds(o.unplug_every_ms)) {}

    void Tick(Clock::time_point now) {
        if (o_.occupied_ms > 0 && now - start_ >= std::chrono::milliseconds(o_.occupied_ms)) {
            device_.SetOccupied(false);
            o_.occupied_ms = 0;
            Say("velasim: released by the other controller\n");
        }
        if (o_.unplug_every_ms > 0 && !unplugged_ && now >= next_unplug_) {
            device_.Unplug();
            unplugged_ = true;
            replug_at_ = now + std::chrono::milliseconds(o_.unplug_for_ms);
            Say("velasim: unplugged\n");
        }
        if (unplugged_ && now >= replug_at_) {
            device_.Replug();
            unplugged_ = false;
            next_unplug_ = now + std::chrono::milliseconds(o_.unplug_every_ms);
            Say("velasim: plugged in\n");
        }
        if (!o_.notice.empty() && server_.Sessions() != seen_sessions_) {
            seen_sessions_ = server_.Sessions();
            notice_at_ = now + std::chrono::milliseconds(o_.notice_after_ms);
            notice_armed_ = true;
        }
        if (notice_armed_ && now >= notice_at_) {
            notice_armed_ = false;
            device_.WithProcessor([&](vela::sim::VirtualProcessor& p) { p.SendWifiNotice(o_.notice); });
        }
    }

  private:
    void Say(const char* line) const {
        if (o_.verbose)
            std::fputs(line, stderr);
    }

    VelasimOptions& o_;
    vela::sim::SimulatedDevice& device_;
    const vela::sim::SimServer& server_;
    const Clock::time_point start_ = Clock::now();
    Clock::time_point next_unplug_;
    bool unplugged_ = false;
    Clock::time_point replug_at_{};
    std::uint64_t seen_sessions_ = 0;
    bool notice_armed_ = false;
    Clock::time_point notice_at_{};
};

int Serve(VelasimOptions& options) {
    vela::sim::SimulatedDevice device(vela::kVendorId, vela::kProductId, options.seed);
    device.SetFaults(options.faults);
    if (!options.state_file.empty() && !UseStateFile(device, options.state_file))
        return 1;
    if (options.verbose) {
        const auto start = Clock::now();
        device.SetLog([start](const std::string& line) {
            const auto ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
            std::fprintf(stderr, "%8lld %s\n", static_cast<long long>(ms), line.c_str());
        });
    }
    if (options.occupied_ms != 0)
        device.SetOccupied(true);

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
    FaultClock faults(options, device, server);
    while (!g_stop.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        faults.Tick(Clock::now());
    }
    server.Stop();
    std::fprintf(stderr, "velasim: stopped after %llu session(s)\n",
                 static_cast<unsigned long long>(server.Sessions()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    VelasimOptions options;
    const auto& usage = vela::sim::kVelasimUsage;
    if (const auto error = vela::sim::ParseVelasimOptions({argv + 1, argv + argc}, options)) {
        std::fprintf(stderr, "velasim: %s\n\n%.*s", error->c_str(), static_cast<int>(usage.size()),
                     usage.data());
        return 2;
    }
    if (options.help) {
        std::printf("%.*s", static_cast<int>(usage.size()), usage.data());
        return 0;
    }
    if (options.version) {
        std::printf("velasim %s\n", VELA_VERSION);
        return 0;
    }
    return Serve(options);
}
