// A bounded soak of the link: the real link controller against the in-process virtual processor on a
// sped-up clock, through rounds of faults (lost, late and corrupted replies, unplugging, a device silent
// while connecting, a Wi-Fi module and a device that leave requests unanswered, suspend and resume in every
// state of the link) under a stream of user edits. After each fault it lets the link come to rest and checks
// that it shows "Successful" again, that the table equals the device and that the device holds every edit.
// Prints its figures; exits 1 when a check failed and 2 when the link hung.
//
//   soak_link [--seconds N] [--speed X] [--seed S]
//
// N is device time in seconds (default 240), X how much faster than real time the link's clock runs
// (default 10). Run by hand from the release build; not part of the test suites.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <string_view>
#include <thread>

#include "bench_support.h"

namespace vela {
namespace {

constexpr std::uint32_t kRestLimitMs = 120000;  // device time a rest may take before it counts as a hang
constexpr std::uint32_t kStepMs = 20;
constexpr std::uint16_t kFirstEdited = 1;
constexpr std::uint16_t kLastEdited = 900;  // below the link-owned words 925..935

struct Options {
    std::uint32_t seconds = 240;
    double speed = 10.0;
    std::uint32_t seed = 1;
};

// Ends the process if the soak itself stops moving: a hang of the link must not hang the run.
class Watchdog {
  public:
    explicit Watchdog(std::chrono::seconds limit)
        : thread_([this, limit] {
              std::unique_lock lock(mutex_);
              if (!cv_.wait_for(lock, limit, [this] { return done_; })) {
                  std::printf("result: HANG (the run did not finish within %lld s)\n",
                              static_cast<long long>(limit.count()));
                  std::fflush(stdout);
                  std::_Exit(2);
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
    std::thread thread_;
};

class Soak {
  public:
    explicit Soak(const Options& options)
        : options_(options),
          random_(options.seed),
          device_(std::make_shared<sim::SimulatedDevice>(kVendorId, kProductId, options.seed)),
          hid_(device_),
          clock_(options.speed),
          link_(clock_),
          transport_(link_, hid_),
          connector_(transport_, host_),
          controller_(link_, connector_, host_) {
        wifi_.Attach(link_);
        controller_.SetWifiStep(&wifi_step_);
    }

    int Run();

  private:
    using Episode = void (Soak::*)();

    std::uint32_t Now() { return clock_.TickMs(); }
    bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random_) < p; }
    std::uint32_t Between(std::uint32_t low, std::uint32_t high) {
        return std::uniform_int_distribution<std::uint32_t>(low, high)(random_);
    }
    // Lets device time pass while the user keeps editing.
    void Pass(std::uint32_t ms) {
        const std::uint32_t start = Now();
        while (Now() - start < ms) {
            clock_.SleepMs(kStepMs);
            if (Chance(0.3)) {
                Edit();
            }
        }
    }
    void Edit() {
        const auto index = static_cast<std::uint16_t>(Between(kFirstEdited, kLastEdited));
        const auto value = static_cast<std::uint16_t>(Between(0, 0xFFFF));
        link_.WriteParameter(index, value);
        expected_[index] = value;
        ++edits_made_;
    }
    void Faults(const sim::Faults& faults) { device_->SetFaults(faults); }
    // The window's Suspended button, pressed and released.
    void Suspend() { link_.State().paused = true; }
    void Resume() {
        link_.State().paused = false;
        link_.RequestReconnect();
    }

    void LostReplies();
    void LateReplies();
    void CorruptReplies();
    void Unplugged();
    void SilentWhileConnecting();
    void UnansweredRequests();
    void SuspendedWhilePolling();
    void SuspendedWhileSearching();
    void SuspendedWhileConnecting();
    void SuspendedWhileLoading();

    // Waits until the link is at rest and checks it; false on a hang.
    bool Rest(const char* after);
    bool AtRest();
    bool TableEqualsDevice();

    Options options_;
    std::mt19937 random_;
    std::shared_ptr<sim::SimulatedDevice> device_;
    sim::SimHidDevice hid_;
    SystemClock clock_;
    DeviceLink link_;
    HidTransport transport_;
    WifiSlots wifi_;
    WifiPollStep wifi_step_{wifi_};
    bench::CountingHost host_;
    HidConnector connector_;
    LinkController controller_;

    std::map<std::uint16_t, std::uint16_t> expected_;  // the user's last edit of each parameter
    long edits_made_ = 0;
    int rests_ = 0;
    int failures_ = 0;
    std::uint32_t longest_recovery_ms_ = 0;
    std::string longest_after_;
    std::map<std::string, int> episodes_;
};

void Soak::LostReplies() {
    sim::Faults f;
    f.drop_share = 0.15;
    Faults(f);
    Pass(Between(4000, 10000));
}

void Soak::LateReplies() {
    sim::Faults f;
    f.delay_share = 0.5;
    f.delay_ms = static_cast<std::uint32_t>(300 / options_.speed) + 1;  // about 300 ms of device time
    Faults(f);
    Pass(Between(4000, 10000));
}

void Soak::CorruptReplies() {
    sim::Faults f;
    f.corrupt_share = 0.1;
    Faults(f);
    Pass(Between(4000, 10000));
}

void Soak::Unplugged() {
    device_->Unplug();
    Pass(Between(200, 5000));
    device_->Replug();
}

void Soak::SilentWhileConnecting() {
    device_->Unplug();
    Pass(Between(200, 1000));
    sim::Faults f;
    f.silent = true;
    Faults(f);
    device_->Replug();
    Pass(Between(2500, 6000));  // well past the link timeout and the missed-reply limit
}

void Soak::UnansweredRequests() {
    const int searches = host_.searches.load();
    sim::Faults f;
    f.mute_wifi = true;
    f.ignore_saves = true;
    Faults(f);
    wifi_.SetText(wifi::kMode, "Get_WiFiMode:");
    wifi_.SetPending(wifi::kMode);
    wifi_.SetText(wifi::kHotSsid, "Get_HotSSID:");
    wifi_.SetPending(wifi::kHotSsid);
    link_.Table().WriteParameter(param::kSceneSelector, Between(1, kSceneSlots), false);
    link_.State().RaiseRequest(request::kSaveScene);
    link_.State().RaiseRequest(request::kSaveSettings);
    Pass(16000);
    // Requests a working device may leave unanswered must not cost the connection.
    if (host_.searches.load() != searches) {
        std::printf("FAILED: unanswered Wi-Fi and save requests dropped the link\n");
        ++failures_;
    }
}

void Soak::SuspendedWhilePolling() {
    Suspend();
    Pass(Between(100, 2000));
    Resume();
}

void Soak::SuspendedWhileSearching() {
    device_->Unplug();
    Pass(Between(200, 1000));
    Suspend();
    Pass(Between(100, 1000));
    Resume();
    Pass(Between(0, 500));
    device_->Replug();
}

void Soak::SuspendedWhileConnecting() {
    device_->Unplug();
    Pass(Between(200, 600));
    device_->Replug();
    Pass(Between(0, 700));  // somewhere in connecting, identifying or the occupancy check
    Suspend();
    Pass(Between(100, 800));
    Resume();
}

void Soak::SuspendedWhileLoading() {
    link_.State().RaiseRequest(request::kRefresh);
    Pass(Between(100, 1500));
    Suspend();
    Pass(Between(100, 800));
    Resume();
}

bool Soak::TableEqualsDevice() {
    for (std::size_t i = 1; i < kParameterCount; ++i) {
        // The scene selector is the link's own word and the heartbeat writes 935 without reading it back.
        if (i == param::kSceneSelector || i == param::kOccupancy) {
            continue;
        }
        if (link_.Table().Value(i) != device_->Value(i)) {
            return false;
        }
    }
    return true;
}

bool Soak::AtRest() {
    auto& t = link_.Table();
    if (host_.state.load() != static_cast<int>(LinkStateCode::kConnected) || !link_.State().link_up.load()) {
        return false;
    }
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        if (t.IsDirty(i)) {
            return false;
        }
    }
    return TableEqualsDevice();
}

bool Soak::Rest(const char* after) {
    Faults({});
    const std::uint32_t start = Now();
    // At rest three times, a second apart, with no load finished and no connection lost in between: edits
    // kept across a reconnect are written back only after the reload, so a moment just after it is not rest.
    for (;;) {
        if (Now() - start > kRestLimitMs) {
            std::printf("HANG: not at rest %u ms after \"%s\" (state %d, link up %d)\n", kRestLimitMs, after,
                        host_.state.load(), link_.State().link_up.load() ? 1 : 0);
            return false;
        }
        clock_.SleepMs(kStepMs);
        if (!AtRest()) {
            continue;
        }
        const std::uint32_t reached = Now() - start;
        const int searches = host_.searches.load();
        const int loads = host_.display_updates.load();
        bool settled = true;
        for (int k = 0; k < 2 && settled; ++k) {
            clock_.SleepMs(1000);
            settled = AtRest() && host_.searches.load() == searches && host_.display_updates.load() == loads;
        }
        if (settled) {
            if (reached > longest_recovery_ms_) {
                longest_recovery_ms_ = reached;
                longest_after_ = after;
            }
            break;
        }
    }
    ++rests_;
    int lost = 0;
    for (const auto& [index, value] : expected_) {
        if (device_->Value(index) != value) {
            if (lost++ < 5) {
                std::printf(
                    "FAILED after \"%s\": parameter %u is %u on the device, the last edit was %u (table %u "
                    "dirty %d)\n",
                    after, index, device_->Value(index), value, link_.Table().Value(index),
                    link_.Table().IsDirty(index));
            }
        }
    }
    if (lost > 0) {
        ++failures_;
    }
    return true;
}

int Soak::Run() {
    struct Named {
        const char* name;
        Episode run;
    };
    static constexpr Named kEpisodes[] = {
        {"lost replies", &Soak::LostReplies},
        {"late replies", &Soak::LateReplies},
        {"corrupted replies", &Soak::CorruptReplies},
        {"unplugged", &Soak::Unplugged},
        {"silent while connecting", &Soak::SilentWhileConnecting},
        {"unanswered Wi-Fi and save requests", &Soak::UnansweredRequests},
        {"suspended while polling", &Soak::SuspendedWhilePolling},
        {"suspended while searching", &Soak::SuspendedWhileSearching},
        {"suspended while connecting", &Soak::SuspendedWhileConnecting},
        {"suspended while loading", &Soak::SuspendedWhileLoading},
    };

    const auto real_start = std::chrono::steady_clock::now();
    if (!controller_.StartLink()) {
        std::printf("result: FAILED (the link worker could not be started)\n");
        return 1;
    }
    bool hung = !Rest("start");
    const std::uint32_t start = Now();
    const std::uint32_t total_ms = options_.seconds * 1000;
    for (std::size_t k = 0; !hung && Now() - start < total_ms; ++k) {
        const Named& episode = kEpisodes[k % std::size(kEpisodes)];
        ++episodes_[episode.name];
        (this->*episode.run)();
        hung = !Rest(episode.name);
    }
    const std::uint32_t device_ms = Now() - start;
    controller_.StopLink();
    const double real_s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - real_start).count();

    std::printf("soak: %.1f s of device time (speed %.0f, seed %u) in %.1f s\n", device_ms / 1000.0,
                options_.speed, options_.seed, real_s);
    for (const auto& [name, count] : episodes_) {
        std::printf("  %-36s %d\n", name.c_str(), count);
    }
    int held = 0;
    for (const auto& [index, value] : expected_) {
        held += device_->Value(index) == value ? 1 : 0;
    }
    std::printf("edits made: %ld (%zu parameters); edits held by the device at the end: %d of %zu\n",
                edits_made_, expected_.size(), held, expected_.size());
    std::printf("reconnects: %d (connections %d, search notices %d, loads %d); messages shown: %d\n",
                host_.connections.load() - 1, host_.connections.load(), host_.searches.load(),
                host_.display_updates.load(), host_.messages.load());
    std::printf("rests checked: %d; longest time to recover: %u ms of device time (after \"%s\")\n", rests_,
                longest_recovery_ms_, longest_after_.c_str());
    if (hung) {
        std::printf("result: HANG\n");
        return 2;
    }
    std::printf("result: %s\n", failures_ == 0 ? "ok" : "FAILED");
    return failures_ == 0 ? 0 : 1;
}

bool ParseArgs(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (i + 1 >= argc) {
            return false;
        }
        const char* value = argv[++i];
        if (arg == "--seconds") {
            o.seconds = static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10));
        } else if (arg == "--speed") {
            o.speed = std::strtod(value, nullptr);
        } else if (arg == "--seed") {
            o.seed = static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10));
        } else {
            return false;
        }
    }
    return o.seconds > 0 && o.speed >= 1.0 && o.speed <= 100.0;
}

}  // namespace
}  // namespace vela

int main(int argc, char** argv) {
    vela::Options options;
    if (!vela::ParseArgs(argc, argv, options)) {
        std::fprintf(stderr, "usage: soak_link [--seconds N] [--speed 1..100] [--seed S]\n");
        return 64;
    }
    // Generous: the rests are bounded on the link's clock, this only catches a run that stops altogether.
    const auto limit = std::chrono::seconds(
        static_cast<long long>(options.seconds / options.speed * 4 + 4 * vela::kRestLimitMs / 1000 + 120));
    vela::Watchdog watchdog(limit);
    vela::Soak soak(options);
    return soak.Run();
}
