// Frame layout: 0x80, length, command, payload, CRC-16/MODBUS stored high byte first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace vela {

// CRC-16/MODBUS: initial 0xFFFF, reflected polynomial 0xA001, no final XOR.
std::uint16_t Crc16(const std::uint8_t* bytes, std::size_t length);

// The bytes of one frame as the application sends it.
std::vector<std::uint8_t> EncodeFrame(std::uint8_t command, std::span<const std::uint8_t> payload);

// Reassembles frames from arbitrary chunks and hands every valid one on. Fed by one thread only.
class FrameReceiver {
  public:
    static constexpr std::size_t kBufferSize = 8192;

    // Called for each valid frame, in order, on the feeding thread.
    using FrameHandler = std::function<void(std::uint8_t command, std::span<const std::uint8_t> payload)>;

    explicit FrameReceiver(FrameHandler on_frame) : on_frame_(std::move(on_frame)) {}

    void ReceiveBytes(const std::uint8_t* chunk, std::size_t length);

    std::size_t Buffered() const { return fill_; }
    std::span<const std::uint8_t> BufferedBytes() const { return {buffer_.data(), fill_}; }
    // Counts whole-buffer discards: 8192 bytes without a valid frame boundary.
    std::uint64_t Overflows() const { return overflows_; }

  private:
    void Scan();

    FrameHandler on_frame_;
    std::array<std::uint8_t, kBufferSize> buffer_{};
    std::size_t fill_ = 0;
    // Where the next scan resumes: every start candidate before it has been looked at and refused, and the
    // bytes that refused it cannot change. A flood of garbage is then scanned once, not once per report.
    std::size_t scan_from_ = 0;
    std::uint64_t overflows_ = 0;
};

}  // namespace vela
