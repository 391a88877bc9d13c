#include "core/text/hex.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

TEST(Hex, PairsParseAcrossSeparatorsAndStopAtStrayCharacters) {
    const struct {
        std::string_view text;
        HexParse status;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"", HexParse::kOk, {}},
        {"00fF7a", HexParse::kOk, {0x00, 0xFF, 0x7A}},
        {"0:4 a\r\n1", HexParse::kOk, {0x04, 0xA1}},  // a pair may straddle a separator
        {"abc", HexParse::kOddDigits, {}},
        {"ab-cd", HexParse::kBadCharacter, {}},
        {"ab\tcd", HexParse::kBadCharacter, {}},  // a tab is no separator here
        {"0g", HexParse::kBadCharacter, {}},
    };
    for (const auto& c : cases) {
        const HexBytes parsed = ParseHexBytes(c.text, ": \r\n");
        EXPECT_EQ(parsed.status, c.status) << c.text;
        if (c.status == HexParse::kOk) {
            EXPECT_EQ(parsed.bytes, c.bytes) << c.text;
        }
    }
    const std::vector<std::uint8_t> all = [] {
        std::vector<std::uint8_t> v;
        for (int b = 0; b < 256; ++b)
            v.push_back(static_cast<std::uint8_t>(b));
        return v;
    }();
    const std::string text = ToHex(all);
    EXPECT_EQ(text.substr(0, 6), "000102");
    EXPECT_EQ(text.substr(text.size() - 4), "feff");
    EXPECT_EQ(ParseHexBytes(text, "").bytes, all);
}

}  // namespace
}  // namespace vela
