// The envelope that carries one frame over 64-byte reports: 0xAE 0x1E, length high byte first, 0xC8,
// then the frame, cut into 64-byte pieces with the last one zero-padded.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "core/protocol/report.h"

namespace vela {

inline constexpr std::uint8_t kEnvelopeMarker1 = 0xAE;
inline constexpr std::uint8_t kEnvelopeMarker2 = 0x1E;
inline constexpr std::uint8_t kEnvelopeMarker3 = 0xC8;
inline constexpr std::size_t kEnvelopeHeader = 5;

// The reports that carry `frame`; a frame longer than 65535 bytes cannot be described and gives none.
std::vector<Report> WrapInReports(std::span<const std::uint8_t> frame);

// Reassembles envelopes from reports, as the reader thread does; fed by one thread only.
class EnvelopeAssembler {
  public:
    static constexpr std::size_t kBufferSize = 8192;
    // Beyond this fill position a further report could not fit, so filling restarts at the front.
    static constexpr std::size_t kRestartAbove = kBufferSize - kReportSize - 1;

    using MessageHandler = std::function<void(std::span<const std::uint8_t> message)>;

    explicit EnvelopeAssembler(MessageHandler on_message) : on_message_(std::move(on_message)) {}

    // `data` is what one read returned; bytes beyond one report are ignored.
    void PutReport(std::span<const std::uint8_t> data);
    void Reset();

    std::size_t Fill() const { return fill_; }
    std::size_t MessageLength() const { return message_length_; }
    std::uint64_t Overflows() const { return overflows_; }

  private:
    MessageHandler on_message_;
    std::array<std::uint8_t, kBufferSize> buffer_{};
    std::size_t fill_ = 0;
    std::size_t message_length_ = 0;
    std::uint64_t overflows_ = 0;
};

}  // namespace vela
