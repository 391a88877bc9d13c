// Undo of a scene recall against the in-process virtual processor in real time: from the undo until the
// device holds every parameter the recall changed. The link writes one batch of up to kMaxWriteGroups
// entries per busy poll cycle (cycle rest + busy pause), which is the floor reported (floor_ms, x_floor).
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "core/link/link_schedule.h"
#include "core/model/history_actions.h"
#include "core/model/parameter_catalogue.h"

namespace {

using namespace vela;
using bench::Clock;
using bench::SpinUntil;

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
    bench::LinkRig rig;
    DeviceLink& link = rig.link;
    ParameterMap map{link, MappedControls{}};
    HistoryActions actions{link, map};
    if (!rig.StartAndPoll()) {
        state.SkipWithError("the link did not load the virtual processor");
        return;
    }

    const auto indexes = Undoable(static_cast<std::size_t>(state.range(0)));
    std::vector<double> samples;
    std::uint16_t salt = 1;
    for (auto _ : state) {
        // A recall as the device makes it: values change there and are read back.
        actions.BeforeBulkChange(StepKind::kSceneRecall);
        const auto before = link.Table().Values();
        ++salt;
        rig.device->WithProcessor([&](sim::VirtualProcessor& p) {
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
                if (rig.device->Value(i) != before[i])
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
    rig.controller.StopLink();
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
