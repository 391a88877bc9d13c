// The publisher's signature that every update carries at its end, and the publisher key a build holds.
// Layout of a signed download: the program, then 64 bytes of signature (r and s of an ECDSA P-256
// signature over the SHA-256 of the program, each 32 bytes big-endian), then the 8 bytes "VELASIG1". The
// program runs unchanged with the trailer attached: Windows ignores bytes after the image's last section.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vela::update {

inline constexpr std::size_t kSignatureSize = 64;
inline constexpr std::array<std::uint8_t, 8> kSignatureMagic = {'V', 'E', 'L', 'A', 'S', 'I', 'G', '1'};
inline constexpr std::size_t kTrailerSize = kSignatureSize + kSignatureMagic.size();

// The publisher's P-256 public key: X then Y, 32 bytes each, big-endian.
struct PublisherKey {
    std::array<std::uint8_t, 64> xy{};
};

// From the build option's text: 128 hexadecimal digits (X then Y), or 130 starting "04" (the uncompressed
// point as tools print it). Blanks and colons between digits are ignored. Nothing for anything else.
std::optional<PublisherKey> ParsePublisherKey(std::string_view text);

struct SignedDownload {
    std::uint64_t program_size = 0;  // the bytes the signature covers
    std::array<std::uint8_t, kSignatureSize> signature{};
};

// The trailer of a download of `file_size` bytes whose last kTrailerSize bytes are `tail` (fewer when the
// file is shorter). Nothing when there is no complete trailer or no program before it.
std::optional<SignedDownload> ParseTrailer(std::span<const std::uint8_t> tail, std::uint64_t file_size);

}  // namespace vela::update
