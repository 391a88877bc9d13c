// The link core's hot paths: CRC, frame reception and the two batch builders.
#include <benchmark/benchmark.h>

#include "core/link/device_link.h"

namespace {

class NullSender final : public vela::IFrameSender {
  public:
    bool SendFrameBytes(std::span<const std::uint8_t> frame) override {
        benchmark::DoNotOptimize(frame.data());
        return true;
    }
};

class FixedClock final : public vela::IClock {
  public:
    std::uint32_t TickMs() override { return 0; }
    void SleepMs(std::uint32_t) override {}
    std::chrono::microseconds RealDuration(std::uint32_t) override { return {}; }
};

class ByteCodePage final : public vela::ITextCodePage {
  public:
    std::wstring ToWide(std::span<const std::uint8_t> b) override { return {b.begin(), b.end()}; }
    std::string FromWide(std::wstring_view) override { return {}; }
};

struct Fixture {
    FixedClock clock;
    ByteCodePage code_page;
    NullSender sender;
    vela::DeviceLink link{clock, code_page};
    Fixture() { link.SetSender(&sender); }
};

// A read reply carrying 25 values, the largest the link asks for.
std::vector<std::uint8_t> ReadReply(std::uint16_t first) {
    std::vector<std::uint8_t> payload;
    for (std::uint16_t i = first; i < first + 25; ++i) {
        payload.insert(payload.end(), {vela::HighByte(i), vela::LowByte(i), 0x01, 0xF4});
    }
    return vela::EncodeFrame(vela::cmd::kReadParameters, payload);
}

void BM_Crc16(benchmark::State& state) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(state.range(0)), 0xA5);
    for (auto _ : state)
        benchmark::DoNotOptimize(vela::Crc16(bytes.data(), bytes.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc16)->Arg(7)->Arg(105)->Arg(255);

// A whole table's worth of read replies arriving in 64-byte chunks, as the HID reader hands them on.
void BM_ReceiveReadAll(benchmark::State& state) {
    Fixture f;
    std::vector<std::uint8_t> stream;
    for (std::uint16_t i = 0; std::size_t{i} + 25 <= vela::kParameterCount; i += 25) {
        const auto frame = ReadReply(i);
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += 64) {
            f.link.ReceiveBytes(stream.data() + at, std::min<std::size_t>(64, stream.size() - at));
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_ReceiveReadAll);

// Chunks that carry no frame at all: the worst case of scanning.
void BM_ReceiveGarbage(benchmark::State& state) {
    Fixture f;
    std::vector<std::uint8_t> junk(64);
    for (std::size_t i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<std::uint8_t>(i * 37 + 1) | 0x80;
    for (auto _ : state)
        f.link.ReceiveBytes(junk.data(), junk.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * junk.size()));
}
BENCHMARK(BM_ReceiveGarbage);

// One write batch of 24 dirty entries: the poll cycle's work for an edit burst.
void BM_BuildWriteBatchFull(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        state.PauseTiming();
        for (std::size_t i = 400; i < 424; ++i)
            f.link.Table()[i].dirty = 1;
        state.ResumeTiming();
        f.link.BuildWriteBatch(400, vela::kMaxWriteGroups);
    }
}
BENCHMARK(BM_BuildWriteBatchFull);

// With nothing dirty the builder visits the whole table: the poll cycle's idle case.
void BM_BuildWriteBatchIdle(benchmark::State& state) {
    Fixture f;
    for (auto _ : state)
        f.link.BuildWriteBatch(vela::ParameterTable::kContinue, vela::kMaxWriteGroups);
}
BENCHMARK(BM_BuildWriteBatchIdle);

// Read-all: batches of 25 over a table that has received nothing.
void BM_BuildReadBatch(benchmark::State& state) {
    Fixture f;
    for (auto _ : state)
        f.link.BuildReadBatch(vela::ParameterTable::kContinue, 32);
}
BENCHMARK(BM_BuildReadBatch);

}  // namespace
