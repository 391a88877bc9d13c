// Reports of any content and length through the envelope reassembly and on into the frame receiver,
// as the reader thread feeds them. The first byte of each piece gives its length.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/protocol/envelope.h"
#include "core/protocol/frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t frames = 0;
    vela::FrameReceiver receiver(
        [&](std::uint8_t, std::span<const std::uint8_t> payload) { frames += payload.size() + 1; });
    std::size_t handed = 0;
    vela::EnvelopeAssembler assembler([&](std::span<const std::uint8_t> message) {
        if (message.size() > vela::EnvelopeAssembler::kBufferSize)
            std::abort();
        handed += message.size();
        receiver.ReceiveBytes(message.data(), message.size());
    });
    std::size_t at = 0;
    while (at < size) {
        const std::size_t n = std::min<std::size_t>(data[at] % 80, size - at - 1);
        ++at;
        assembler.PutReport(std::span(data + at, n));
        if (assembler.Fill() > vela::EnvelopeAssembler::kBufferSize)
            std::abort();
        at += n;
    }
    // Whatever came out of the reports must go back in as the same frame, unless a later piece of it
    // happens to begin like an envelope header: the envelope cannot tell that from a new message.
    if (size >= 1 && size - 1 <= 0xFFFF) {
        std::vector<std::uint8_t> echoed;
        vela::EnvelopeAssembler again(
            [&](std::span<const std::uint8_t> m) { echoed.assign(m.begin(), m.end()); });
        const std::span<const std::uint8_t> frame(data + 1, size - 1);
        const auto reports = vela::WrapInReports(frame);
        bool ambiguous = false;
        for (std::size_t k = 1; k < reports.size(); ++k) {
            const auto& r = reports[k];
            ambiguous = ambiguous || (r[0] == vela::kEnvelopeMarker1 && r[1] == vela::kEnvelopeMarker2 &&
                                      r[4] == vela::kEnvelopeMarker3);
        }
        for (const auto& r : reports)
            again.PutReport(r);
        if (!ambiguous && frame.size() > 0 && frame.size() <= vela::EnvelopeAssembler::kRestartAbove &&
            !std::equal(frame.begin(), frame.end(), echoed.begin(), echoed.end())) {
            std::abort();
        }
    }
    return 0;
}
