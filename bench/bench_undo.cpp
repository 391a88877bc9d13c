// Undo of a scene recall against the in-process virtual processor in real time: from the undo until the
// device holds every parameter the recall changed. The link writes one batch of up to kMaxWriteGroups
// entries per busy poll cycle (cycle rest + busy pause), which is the floor reported (floor_ms, x_floor).
#include <benchmark/benchmark.h>

#include <thread>

#include "core/link/link_controller.h"
#include "core/link/link_schedule.h"
#include "core/link/transport_link.h"
#include "core/model/history_actions.h"
#include "core/model/parameter_catalogue.h"
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
bool SpinUntil(Condition c) {
    const auto end = Clock::now() + std::chrono::seconds(60);
    while (!c() && Clock::now() < end)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    return c();
}

// The parameters a recall may change and an undo writes back; the mode word is left alone, since a mode
// change re-reads the whole table.
std::vector<std::uint16_t> Undoable(std::size_t count) {
    std::vector<std::uint16_t> out;
    for (const auto& p : catalogue::All()) {
        if (p.writable && p.index != param::kModeWord && p.index != 0 && out.size() < count)
            out.push_back(p.index);
    }
    return out;
}

void BM_UndoSceneRecall(benchmark::State& state) {
    auto device = std::make_shared<sim::SimulatedDevice>();
    sim::SimHidDevice hid{device};
    SystemClock clock;
    DeviceLink link{clock};
    HidTransport transport{link, hid};
    QuietHost host;
    HidConnector connector{transport, host};
    LinkController controller{link, connector, host};
    ParameterMap map{link, MappedControls{}};
    HistoryActions actions{link, map};
    controller.StartLink();
    SpinUntil([&] { return host.display_updates.load() > 0 && controller.Ready() > 0; });

    const auto indexes = Undoable(static_cast<std::size_t>(state.range(0)));
    std::vector<double> samples;
    std::uint16_t salt = 1;
    for (auto _ : state) {
        // A recall as the device makes it: values change there and are read back.
        actions.BeforeBulkChange(StepKind::kSceneRecall);
        const auto before = link.Table().Values();
        ++salt;
        device->WithProcessor([&](sim::VirtualProcessor& p) {
            for (std::uint16_t i : indexes)
                p.SetValue(i, static_cast<std::uint16_t>(before[i] + salt));
        });
        for (std::uint16_t i : indexes)
            link.Table().StoreReceived(i, static_cast<std::uint16_t>(before[i] + salt));
        actions.OnTableChanged();

        const auto start = Clock::now();
        actions.Undo();
        const bool done = SpinUntil([&] {
            for (std::uint16_t i : indexes) {
                if (device->Value(i) != before[i])
                    return false;
            }
            return true;
        });
        const auto took = Clock::now() - start;
        if (!done)
            state.SkipWithError("the device did not reach the undone values");
        samples.push_back(std::chrono::duration<double, std::milli>(took).count());
        state.SetIterationTime(std::chrono::duration<double>(took).count());
    }
    controller.StopLink();
    const auto batches = (indexes.size() + kMaxWriteGroups - 1) / kMaxWriteGroups;
    const double floor_ms = static_cast<double>(batches * (schedule::kCycleStartMs + schedule::kBusyPauseMs));
    double sum = 0;
    for (double s : samples)
        sum += s;
    state.counters["parameters"] = static_cast<double>(indexes.size());
    state.counters["floor_ms"] = floor_ms;
    state.counters["x_floor"] = samples.empty() ? 0 : sum / static_cast<double>(samples.size()) / floor_ms;
    state.SetLabel("floor: batches of 24 x (cycle 10 + busy pause 40) ms");
}
BENCHMARK(BM_UndoSceneRecall)
    ->Arg(96)
    ->Arg(944)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
