// The link as a user feels it, against the in-process virtual processor in real time: plug-in to
// loaded, a full re-read with and without the device's dump, and how long an edit takes to reach the
// device while the link is idle and while other edits flow. The first two are set mostly by the link's
// fixed pauses: each reports that floor (floor_ms, its terms in the label) and how far above it the
// measured mean lies (x_floor), since the virtual processor answers at once.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <thread>

#include "bench_support.h"

namespace {

using namespace vela;
using bench::Clock;
using bench::SpinUntil;
using Rig = bench::LinkRig;

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Mean(const std::vector<double>& v) {
    double sum = 0;
    for (double x : v)
        sum += x;
    return v.empty() ? 0 : sum / static_cast<double>(v.size());
}

// The link's own pauses, in ms, on the way from plug-in to the display update.
constexpr int kStartPause = 500;
constexpr int kConnectPauses = 100 + 100;  // before opening, and after parameter 0 was read back
constexpr int kIdentifiedPause = 10;
constexpr int kOccupancyPauses = 10 * 100;  // ten reads of the occupancy word
constexpr int kBeforeLoading = 100;
// Read-all: the dump's pause, the wait loop's steps (none once the dump is complete at the first count),
// the pauses after each of five batch passes and the one at the end.
constexpr int kDumpPause = 500;
constexpr int kDumpAttempts = 4;  // three attempts plus one
constexpr int kWaitStep = 150;
constexpr int kWaitSteps = 20;
constexpr int kPassPauses = 5 * 30;
constexpr int kReadAllEnd = 10;
constexpr int kDisplayStart = 1;
constexpr int kDisplayEnd = 100;
// A request: the poll cycle's first pause before it looks at the flags, then the pause before acting.
constexpr int kCyclePause = 10;
constexpr int kRequestPause = 100;

constexpr int kReadAllStreamed = kDumpPause + kPassPauses + kReadAllEnd;
constexpr int kPlugInFloor = kStartPause + kConnectPauses + kIdentifiedPause + kOccupancyPauses +
                             kBeforeLoading + kReadAllStreamed + kDisplayStart;
constexpr int kRefreshFloor[2] = {
    // The device ignores the dump: every attempt's pause and the whole wait loop; the batch round trips
    // come on top.
    kCyclePause + kRequestPause + kDumpAttempts * kDumpPause + kWaitSteps * kWaitStep + kPassPauses +
        kReadAllEnd + kDisplayStart + kDisplayEnd,
    kCyclePause + kRequestPause + kReadAllStreamed + kDisplayStart + kDisplayEnd,
};

void ReportFloor(benchmark::State& state, const std::vector<double>& samples_ms, int floor_ms) {
    state.counters["floor_ms"] = floor_ms;
    state.counters["x_floor"] = Mean(samples_ms) / floor_ms;
}

void BM_PlugInToLoaded(benchmark::State& state) {
    std::vector<double> samples;
    for (auto _ : state) {
        Rig rig;
        const auto start = Clock::now();
        rig.StartAndLoad();
        const auto took = Clock::now() - start;
        samples.push_back(Ms(took));
        state.SetIterationTime(std::chrono::duration<double>(took).count());
    }
    ReportFloor(state, samples, kPlugInFloor);
    state.SetLabel(
        "floor: start 500 + connect 100+100 + identified 10 + occupancy 10x100 + 100 + dump 500 + "
        "wait 0x150 + passes 5x30 + 10 + 1");
}
BENCHMARK(BM_PlugInToLoaded)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_RefreshEverything(benchmark::State& state) {
    Rig rig;
    sim::Faults faults;
    faults.ignore_dump = state.range(0) == 0;
    rig.device->SetFaults(faults);
    rig.StartAndPoll();
    std::vector<double> samples;
    for (auto _ : state) {
        const int before = rig.controller.Served(request::kRefresh);
        const auto start = Clock::now();
        rig.link.State().RaiseRequest(request::kRefresh);
        SpinUntil([&] { return rig.controller.Served(request::kRefresh) > before; });
        const auto took = Clock::now() - start;
        samples.push_back(Ms(took));
        state.SetIterationTime(std::chrono::duration<double>(took).count());
    }
    const bool streamed = state.range(0) == 1;
    ReportFloor(state, samples, kRefreshFloor[streamed ? 1 : 0]);
    // A request raised right after the previous one also waits out that cycle's quiet pause (40 ms).
    state.SetLabel(streamed
                       ? "device streams the dump; floor: cycle 10 + request 100 + dump 500 + wait 0x150 + "
                         "passes 5x30 + 10 + display 1+100"
                       : "device ignores the dump; floor: cycle 10 + request 100 + dump 4x500 + wait "
                         "20x150 + passes 5x30 + 10 + display 1+100, batch round trips on top");
}
BENCHMARK(BM_RefreshEverything)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Time from WriteParameter until the device holds the value; with range(0) = 1 another thread keeps
// editing other parameters every 20 ms.
void BM_EditToDevice(benchmark::State& state) {
    Rig rig;
    rig.StartAndPoll();
    std::atomic<bool> flowing{state.range(0) == 1};
    std::thread editor([&] {
        std::uint16_t v = 0;
        while (flowing) {
            ++v;
            rig.link.WriteParameter(600 + (v % 20), v);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    std::mt19937 random(7);
    std::vector<double> samples;
    std::uint16_t value = 1000;
    for (auto _ : state) {
        // Edits land at every phase of the poll cycle.
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 150));
        ++value;
        const auto start = Clock::now();
        rig.link.WriteParameter(300, value);
        SpinUntil([&] { return rig.device->Value(300) == value; });
        const auto took = Clock::now() - start;
        samples.push_back(Ms(took));
        state.SetIterationTime(std::chrono::duration<double>(took).count());
    }
    flowing = false;
    editor.join();
    state.counters["median_ms"] = Percentile(samples, 0.5);
    state.counters["p99_ms"] = Percentile(samples, 0.99);
    state.SetLabel(state.range(0) ? "while edits flow" : "idle link");
}
BENCHMARK(BM_EditToDevice)->Arg(0)->Arg(1)->Iterations(200)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
