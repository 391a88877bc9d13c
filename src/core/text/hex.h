// Hex digits as people type them into key and token files, and as small binary values are shown.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vela {

// 0..15 for a hex digit in either case; -1 for any other character.
int HexDigitValue(char c);

enum class HexParse { kOk, kBadCharacter, kOddDigits };

struct HexBytes {
    HexParse status = HexParse::kOk;
    std::vector<std::uint8_t> bytes;  // complete only with kOk
};

// Pairs of hex digits to bytes; the characters in separators are skipped wherever they stand.
HexBytes ParseHexBytes(std::string_view text, std::string_view separators);

// Two lower-case digits a byte, no separators.
std::string ToHex(std::span<const std::uint8_t> bytes);

}  // namespace vela
