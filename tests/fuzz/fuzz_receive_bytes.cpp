// Feeds arbitrary bytes, in arbitrary chunk sizes, through the whole receive path of a device link:
// frame scanning and every command handler (table, acknowledgements, scene names, Wi-Fi hand-off).
#include <cstdlib>

#include "core/link/device_link.h"

namespace {

class NullSender final : public vela::IFrameSender {
  public:
    bool SendFrameBytes(std::span<const std::uint8_t>) override { return true; }
};

class FixedClock final : public vela::IClock {
  public:
    std::uint32_t TickMs() override { return 1; }
    void SleepMs(std::uint32_t) override {}
    std::chrono::microseconds RealDuration(std::uint32_t) override { return std::chrono::microseconds(0); }
};

class ByteCodePage final : public vela::ITextCodePage {
  public:
    std::wstring ToWide(std::span<const std::uint8_t> bytes) override { return {bytes.begin(), bytes.end()}; }
    std::string FromWide(std::wstring_view) override { return {}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FixedClock clock;
    static ByteCodePage code_page;
    static NullSender sender;
    vela::DeviceLink link(clock, code_page);
    link.SetSender(&sender);
    std::size_t wifi_bytes = 0;
    link.SetWifiReplyHandler([&](std::string_view text) { wifi_bytes += text.size(); });
    link.State().waiting = true;

    // The first byte picks the chunk size, so frames get split at every kind of boundary.
    if (size == 0) {
        return 0;
    }
    const std::size_t chunk = 1 + data[0] % 97;
    for (std::size_t at = 1; at < size; at += chunk) {
        link.ReceiveBytes(data + at, std::min(chunk, size - at));
        if (link.Receiver().Buffered() > vela::FrameReceiver::kBufferSize) {
            std::abort();
        }
    }
    for (int s = 0; s < vela::kSceneSlots; ++s) {
        if (link.SceneNames().Name(s).size() > static_cast<std::size_t>(vela::kSceneNameLength)) {
            std::abort();
        }
    }
    return 0;
}
