#include "core/protocol/envelope.h"

#include <algorithm>

namespace vela {

std::vector<Report> WrapInReports(std::span<const std::uint8_t> frame) {
    std::vector<Report> reports;
    if (frame.size() > 0xFFFF) {
        return reports;
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(frame.size() + kEnvelopeHeader);
    bytes.push_back(kEnvelopeMarker1);
    bytes.push_back(kEnvelopeMarker2);
    bytes.push_back(static_cast<std::uint8_t>(frame.size() >> 8));
    bytes.push_back(static_cast<std::uint8_t>(frame.size() & 0xFF));
    bytes.push_back(kEnvelopeMarker3);
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    for (std::size_t at = 0; at < bytes.size(); at += kReportSize) {
        Report r{};
        const std::size_t n = std::min(kReportSize, bytes.size() - at);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), n, r.begin());
        reports.push_back(r);
    }
    return reports;
}

void EnvelopeAssembler::Reset() {
    fill_ = 0;
    message_length_ = 0;
}

void EnvelopeAssembler::PutReport(std::span<const std::uint8_t> data) {
    const std::size_t n = std::min(data.size(), kReportSize);
    if (n == 0) {
        return;
    }
    // Short reads are padded with zeros, so a short piece can never look like a header by accident.
    Report scratch{};
    std::copy_n(data.begin(), n, scratch.begin());

    if (n >= kEnvelopeHeader && scratch[0] == kEnvelopeMarker1 && scratch[1] == kEnvelopeMarker2 &&
        scratch[4] == kEnvelopeMarker3) {
        message_length_ = (static_cast<std::size_t>(scratch[2]) << 8) | scratch[3];
        buffer_.fill(0);
        fill_ = n - kEnvelopeHeader;
        std::copy_n(scratch.begin() + kEnvelopeHeader, fill_, buffer_.begin());
    } else {
        if (fill_ > kRestartAbove) {
            // The damaged message is dropped later by the frame checksum.
            fill_ = 0;
            ++overflows_;
        }
        std::copy_n(scratch.begin(), n, buffer_.begin() + static_cast<std::ptrdiff_t>(fill_));
        fill_ += n;
    }
    if (message_length_ != 0 && fill_ >= message_length_) {
        const std::size_t length = message_length_;
        // The message is complete: stray pieces that follow must not hand it on a second time.
        message_length_ = 0;
        on_message_(std::span<const std::uint8_t>(buffer_.data(), length));
    }
}

}  // namespace vela
