// The link as a user feels it, against the in-process virtual processor in real time: plug-in to
// loaded, a full re-read with and without the device's dump, and how long an edit takes to reach the
// device while the link is idle and while other edits flow.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <thread>

#include "core/link/link_controller.h"
#include "core/link/transport_link.h"
#include "sim/sim_device.h"

namespace {

using namespace vela;
using Clock = std::chrono::steady_clock;

class QuietHost final : public ILinkHost {
  public:
    void PostNotify(LinkNotify code, std::intptr_t) override {
        if (code == LinkNotify::kDisplayUpdated)
            ++display_updates;
    }
    void SendNotify(LinkNotify, std::intptr_t) override {}
    MessageAnswer ShowMessage(std::wstring_view, std::wstring_view, MessageButtons) override {
        return MessageAnswer::kOk;
    }
    void ProgressSetRange(int) override {}
    void ProgressSetFormat(std::wstring_view) override {}
    void ProgressSetPos(int) override {}
    void ProgressShow(bool) override {}
    void SetTitle(std::wstring_view) override {}
    std::atomic<int> display_updates{0};
};

template <class Condition>
void SpinUntil(Condition c) {
    const auto end = Clock::now() + std::chrono::seconds(60);
    while (!c() && Clock::now() < end)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

struct Rig {
    std::shared_ptr<sim::SimulatedDevice> device = std::make_shared<sim::SimulatedDevice>();
    sim::SimHidDevice hid{device};
    SystemClock clock;
    DeviceLink link{clock};
    HidTransport transport{link, hid};
    QuietHost host;
    HidConnector connector{transport, host};
    LinkController controller{link, connector, host};

    void StartAndLoad() {
        controller.StartLink();
        SpinUntil([&] { return host.display_updates.load() > 0; });
    }
    ~Rig() { controller.StopLink(); }
};

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void BM_PlugInToLoaded(benchmark::State& state) {
    for (auto _ : state) {
        Rig rig;
        const auto start = Clock::now();
        rig.StartAndLoad();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(BM_PlugInToLoaded)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_RefreshEverything(benchmark::State& state) {
    Rig rig;
    sim::Faults faults;
    faults.ignore_dump = state.range(0) == 0;
    rig.device->SetFaults(faults);
    rig.StartAndLoad();
    for (auto _ : state) {
        const int before = rig.controller.Served(request::kRefresh);
        const auto start = Clock::now();
        rig.link.State().RaiseRequest(request::kRefresh);
        SpinUntil([&] { return rig.controller.Served(request::kRefresh) > before; });
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.SetLabel(state.range(0) ? "device streams the dump" : "device ignores the dump");
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
    rig.StartAndLoad();
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
