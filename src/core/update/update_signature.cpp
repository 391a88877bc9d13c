#include "core/update/update_signature.h"

#include <algorithm>
#include <string>

namespace vela::update {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<PublisherKey> ParsePublisherKey(std::string_view text) {
    std::string digits;
    for (const char c : text) {
        if (c == ' ' || c == ':' || c == '\t' || c == '\n' || c == '\r') {
            continue;
        }
        if (HexDigit(c) < 0) {
            return std::nullopt;
        }
        digits.push_back(c);
    }
    if (digits.size() == 130 && digits.compare(0, 2, "04") == 0) {
        digits.erase(0, 2);
    }
    if (digits.size() != 128) {
        return std::nullopt;
    }
    PublisherKey key;
    for (std::size_t k = 0; k < key.xy.size(); ++k) {
        key.xy[k] = static_cast<std::uint8_t>(HexDigit(digits[2 * k]) * 16 + HexDigit(digits[2 * k + 1]));
    }
    return key;
}

std::optional<SignedDownload> ParseTrailer(std::span<const std::uint8_t> tail, std::uint64_t file_size) {
    if (tail.size() != kTrailerSize || file_size <= kTrailerSize) {
        return std::nullopt;
    }
    if (!std::equal(kSignatureMagic.begin(), kSignatureMagic.end(), tail.begin() + kSignatureSize)) {
        return std::nullopt;
    }
    SignedDownload signed_download;
    signed_download.program_size = file_size - kTrailerSize;
    std::copy_n(tail.begin(), kSignatureSize, signed_download.signature.begin());
    return signed_download;
}

}  // namespace vela::update
