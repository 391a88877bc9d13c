#include "core/text/hex.h"

namespace vela {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

HexBytes ParseHexBytes(std::string_view text, std::string_view separators) {
    HexBytes result;
    int high = -1;
    for (const char c : text) {
        if (separators.find(c) != std::string_view::npos) {
            continue;
        }
        const int digit = HexDigitValue(c);
        if (digit < 0) {
            result.status = HexParse::kBadCharacter;
            return result;
        }
        if (high < 0) {
            high = digit;
        } else {
            result.bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
            high = -1;
        }
    }
    if (high >= 0) {
        result.status = HexParse::kOddDigits;
    }
    return result;
}

std::string ToHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const auto b : bytes) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 15]);
    }
    return text;
}

}  // namespace vela
