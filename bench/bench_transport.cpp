// Round trip of one read frame (read parameter 0 and its reply) through the whole transport: envelope,
// device, reader thread, frame receiver and the reply semaphore. Once in process, once over the report
// stream on loopback against velasim's server. Reports the median and the 99th percentile.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "bench_support.h"
#include "devices/tcp_hid_device.h"
#include "sim/sim_server.h"

namespace {

void RoundTrips(benchmark::State& state, vela::IHidDevice& device) {
    vela::SystemClock clock;
    vela::DeviceLink link(clock);
    vela::HidTransport transport(link, device);
    vela::bench::CountingHost host;
    if (!transport.Connect(host)) {
        state.SkipWithError("no connection");
        return;
    }
    auto& s = link.State();
    std::vector<double> micros;
    micros.reserve(100000);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        s.waiting = true;
        link.ReadOne(0);
        const bool replied = link.WaitReply(1000);
        s.waiting = false;
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        if (!replied) {
            state.SkipWithError("reply timed out");
            break;
        }
    }
    s.running = false;
    if (micros.empty())
        return;
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
}

void BM_ReadRoundTripInProcess(benchmark::State& state) {
    vela::sim::SimHidDevice device(std::make_shared<vela::sim::SimulatedDevice>());
    RoundTrips(state, device);
}
BENCHMARK(BM_ReadRoundTripInProcess)->UseRealTime();

void BM_ReadRoundTripReportStream(benchmark::State& state) {
    vela::sim::SimulatedDevice simulated;
    vela::sim::SimServer server(simulated);
    if (!server.Start("127.0.0.1", 0)) {
        state.SkipWithError("cannot listen on 127.0.0.1");
        return;
    }
    vela::TcpHidDevice device("127.0.0.1", server.Port());
    RoundTrips(state, device);
}
BENCHMARK(BM_ReadRoundTripReportStream)->UseRealTime();

}  // namespace
