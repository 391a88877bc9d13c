// An EQ import as velactl and the window run it: a 15-band filter list read, quantised onto the Music
// strip and its largest difference taken over 512 points (20 Hz .. 20 kHz).
#include <benchmark/benchmark.h>

#include <string>

#include "core/model/eq_text.h"
#include "core/ui/eq_import.h"

namespace vela {
namespace {

std::string FifteenBands() {
    std::string text = "Filter Settings file\r\nPreamp: -4.2 dB\r\n";
    const char* types[] = {"LSC", "PK", "PK", "PK", "PK", "PK", "PK", "PK",
                           "PK",  "PK", "PK", "PK", "PK", "PK", "HSC"};
    double hz = 31.7;
    for (int i = 0; i < 15; ++i, hz *= 1.57) {
        text += "Filter " + std::to_string(i + 1) + ": ON " + types[i] + " Fc " + std::to_string(hz) +
                " Hz Gain " + std::to_string((i % 7) - 3.3) + " dB Q " + std::to_string(0.63 + i * 0.41) +
                "\r\n";
    }
    return text;
}

void BM_ImportFifteenBands(benchmark::State& state) {
    const std::string text = FifteenBands();
    double difference = 0.0;
    for (auto _ : state) {
        const EqFit fit = FitEq(eqtext::Parse(text), Channel::kMusic, false, kEqDifferencePoints);
        if (!fit.Ok())
            state.SkipWithError(fit.error.c_str());
        difference = fit.largest_difference_db;
        benchmark::DoNotOptimize(fit.bands.data());
    }
    state.counters["largest_difference_db"] = difference;
}
BENCHMARK(BM_ImportFifteenBands)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vela
