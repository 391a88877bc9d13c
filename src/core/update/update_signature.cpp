#include "core/update/update_signature.h"

#include <algorithm>
#include <string>

#include "core/text/hex.h"

namespace vela::update {

std::optional<PublisherKey> ParsePublisherKey(std::string_view text) {
    HexBytes parsed = ParseHexBytes(text, " :\t\n\r");
    auto& bytes = parsed.bytes;
    if (parsed.status == HexParse::kOk && bytes.size() == 65 && bytes.front() == 0x04) {
        bytes.erase(bytes.begin());  // the uncompressed point's prefix
    }
    PublisherKey key;
    if (parsed.status != HexParse::kOk || bytes.size() != key.xy.size()) {
        return std::nullopt;
    }
    std::copy(bytes.begin(), bytes.end(), key.xy.begin());
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
