#include "core/protocol/frames.h"

#include <algorithm>
#include <cstring>

#include "core/protocol/protocol.h"

namespace vela {

namespace {

constexpr std::array<std::uint16_t, 256> MakeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned n = 0; n < 256; ++n) {
        std::uint16_t crc = static_cast<std::uint16_t>(n);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
        }
        table[n] = crc;
    }
    return table;
}

constexpr auto kCrcTable = MakeCrcTable();

bool IsFrameStart(std::uint8_t b) {
    return b == kFrameHeader || b == kFrameHeaderAlt;
}

}  // namespace

std::uint16_t Crc16(const std::uint8_t* bytes, std::size_t length) {
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < length; ++i) {
        crc = static_cast<std::uint16_t>((crc >> 8) ^ kCrcTable[(crc ^ bytes[i]) & 0xFF]);
    }
    return crc;
}

std::vector<std::uint8_t> EncodeFrame(std::uint8_t command, std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> frame;
    frame.reserve(payload.size() + kFrameOverhead);
    frame.push_back(kFrameHeader);
    frame.push_back(payload.size() >= kLongPayload ? 0xFF : static_cast<std::uint8_t>(payload.size() + 3));
    frame.push_back(command);
    frame.insert(frame.end(), payload.begin(), payload.end());
    const std::uint16_t crc = Crc16(frame.data(), frame.size());
    frame.push_back(HighByte(crc));
    frame.push_back(LowByte(crc));
    return frame;
}

void FrameReceiver::ReceiveBytes(const std::uint8_t* chunk, std::size_t length) {
    for (std::size_t k = 0; k < length; ++k) {
        if (fill_ >= kBufferSize) {
            fill_ = 0;
            scan_from_ = 0;
            ++overflows_;
        }
        buffer_[fill_++] = chunk[k];
    }
    // Scanning starts at six buffered bytes, so a lone frame with an empty payload waits for one more.
    if (fill_ < 6) {
        return;
    }
    Scan();
}

void FrameReceiver::Scan() {
    std::size_t consumed = 0;  // end of the last valid frame
    std::size_t i = scan_from_;
    while (i + 3 < fill_) {
        if (!IsFrameStart(buffer_[i])) {
            ++i;
            continue;
        }
        const std::size_t length = buffer_[i + 1];
        const std::size_t frame_end = i + length + 2;
        if (frame_end > fill_) {
            break;
        }
        // A length byte below 3 cannot hold header, length and command; its "payload" would start
        // before the command. Such a candidate never matches a frame, so it is skipped like a CRC error.
        const std::uint16_t expected = Word(buffer_[i + length], buffer_[i + length + 1]);
        if (length < 3 || Crc16(&buffer_[i], length) != expected) {
            ++i;
            continue;
        }
        const std::uint8_t command = buffer_[i + 2];
        on_frame_(command, std::span<const std::uint8_t>(&buffer_[i + 3], length - 3));
        consumed = frame_end;
        i = frame_end;
    }
    scan_from_ = i;
    if (consumed > 0) {
        std::memmove(buffer_.data(), buffer_.data() + consumed, fill_ - consumed);
        fill_ -= consumed;
        scan_from_ -= consumed;
    }
}

}  // namespace vela
