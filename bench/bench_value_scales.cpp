// Costs of the conversions a read-all leans on: every received parameter goes through
// RefreshFromParameter, and every frequency through the scale lookups.
#include <benchmark/benchmark.h>

#include "core/model/parameter_layout.h"
#include "core/model/parameter_map.h"
#include "core/model/value_scales.h"

namespace vela {
namespace {

class NullClock final : public IClock {
  public:
    std::uint32_t TickMs() override { return 0; }
    void SleepMs(std::uint32_t) override {}
    std::chrono::microseconds RealDuration(std::uint32_t ms) override {
        return std::chrono::microseconds(ms);
    }
};

class CountingPage final : public IMicPage {
  public:
    int GetCodeValue(int code) override { return code; }
    void SetCodeValue(int code, int raw) override { sum += code + raw; }
    void UpdateCodeText(int) override {}
    bool MicAPressed() override { return true; }
    bool MicBPressed() override { return false; }
    long sum = 0;
};

void BM_FreqIndexFor(benchmark::State& state) {
    double f = 19.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FreqIndexFor(f));
        f = f > 20000.0 ? 19.0 : f * 1.01;
    }
}
BENCHMARK(BM_FreqIndexFor);

void BM_FreqCodeRoundTrip(benchmark::State& state) {
    int p = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FreqPlacementFor(FreqCodeFor(FreqAt(p)), FreqScaleKind::kFull));
        p = (p + 1) % kFreqScaleSize;
    }
}
BENCHMARK(BM_FreqCodeRoundTrip);

void BM_RefreshAllParameters(benchmark::State& state) {
    NullClock clock;
    DeviceLink link(clock);
    std::array<CountingPage, 9> pages;
    MappedControls controls;
    for (int s = 0; s < layout::kStripCount; ++s)
        controls.outputs[static_cast<std::size_t>(s)] = &pages[s];
    controls.music = &pages[4];
    controls.mic = &pages[5];
    controls.echo = &pages[6];
    controls.reverb = &pages[7];
    controls.system = &pages[8];
    ParameterMap map(link, controls);
    for (auto _ : state) {
        for (std::size_t i = 0; i < kParameterCount; ++i)
            map.RefreshFromParameter(i, 100);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kParameterCount));
}
BENCHMARK(BM_RefreshAllParameters);

void BM_ParameterNames(benchmark::State& state) {
    for (auto _ : state) {
        for (std::size_t i = 0; i < kParameterCount; ++i)
            benchmark::DoNotOptimize(layout::ParameterName(i));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kParameterCount));
}
BENCHMARK(BM_ParameterNames);

}  // namespace
}  // namespace vela
