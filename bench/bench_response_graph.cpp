// Costs of the response graph's arithmetic at full width (a 1066-column plot, 15 bands and both pass
// filters): one band recomputed with the sum rebuilt (every setter and every drag step), every handle
// recomputed (after a resize), one drag step of the interaction rules, and velactl curve's 512 points.
#include <benchmark/benchmark.h>

#include "core/model/channel_response.h"
#include "core/model/response_graph.h"
#include "core/protocol/factory_defaults.h"
#include "core/ui/response_graph_ui.h"

namespace vela {
namespace {

constexpr int kBands = 15;
constexpr int kWidth = 1066 + 48;  // the plot is inset 30 left and 18 right
constexpr int kHeight = 380;

ResponseGraph FullWidthGraph() {
    ResponseGraph g;
    g.InitBands(kBands, kWidth, kHeight);
    g.SetPassType(24);
    g.SetPassFreq(0, 80);
    g.SetPassType(21);
    g.SetPassFreq(1, 16000);
    for (int b = 0; b < kBands; ++b) {
        g.SetBandGain(b, (b % 5) - 2.0);
        g.SetBandQ(b, 1.0 + b * 0.3);
    }
    g.SetBandType(0, 6);
    g.SetBandType(kBands - 1, 5);
    g.RecomputeAll();
    return g;
}

void BM_RecomputeOneBandAndSum(benchmark::State& state) {
    ResponseGraph g = FullWidthGraph();
    int step = 0;
    for (auto _ : state) {
        g.SetBandGain(7, (step++ % 40) * 0.3 - 6.0);  // recomputes band 7 and rebuilds the sum
        benchmark::DoNotOptimize(g.SumPixels().data());
    }
    state.counters["columns"] = g.Columns();
}
BENCHMARK(BM_RecomputeOneBandAndSum);

void BM_RecomputeEveryHandle(benchmark::State& state) {
    ResponseGraph g = FullWidthGraph();
    for (auto _ : state) {
        g.RecomputeAll();
        benchmark::DoNotOptimize(g.SumPixels().data());
    }
}
BENCHMARK(BM_RecomputeEveryHandle);

void BM_DragStepRules(benchmark::State& state) {
    ResponseGraph g = FullWidthGraph();
    const GraphPoint c = HandleCentre(g, kFirstBandHandle + 7);
    GraphPress(g, c.x, c.y);
    int dx = 0;
    for (auto _ : state) {
        dx = (dx + 7) % 200;
        const GraphEffects e = GraphMove(g, c.x - 100 + dx, c.y - 60 + dx / 2);
        benchmark::DoNotOptimize(e.notices.data());
    }
}
BENCHMARK(BM_DragStepRules);

void BM_PathsForPainting(benchmark::State& state) {
    ResponseGraph g = FullWidthGraph();
    g.SetBandGain(7, 6);
    for (auto _ : state) {
        benchmark::DoNotOptimize(SumCurvePath(g).data());
        benchmark::DoNotOptimize(SelectedCurveOutline(g).data());
    }
}
BENCHMARK(BM_PathsForPainting);

void BM_CurveCommand512Points(benchmark::State& state) {
    const auto& d = FactoryDefaults();
    const std::vector<std::uint32_t> table(d.begin(), d.end());
    for (auto _ : state) {
        const auto r = ComputeChannelResponse(table, Channel::kMusic, false, 512);
        benchmark::DoNotOptimize(r->points.data());
    }
}
BENCHMARK(BM_CurveCommand512Points);

}  // namespace
}  // namespace vela
