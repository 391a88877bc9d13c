#include "core/update/update_signature.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vela::update {
namespace {

TEST(UpdateSignature, PublisherKeyTextIsTheRawPointWithOrWithoutItsPrefix) {
    std::string hex;
    for (int k = 0; k < 64; ++k)
        hex += "0123456789abcdef"[k % 16] + std::string(1, "fedcba9876543210"[k % 16]);
    const auto plain = ParsePublisherKey(hex);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->xy[0], 0x0F);
    EXPECT_EQ(plain->xy[63], 0xF0);
    const auto prefixed = ParsePublisherKey("04" + hex);
    ASSERT_TRUE(prefixed);
    EXPECT_EQ(prefixed->xy, plain->xy);
    std::string spaced;
    for (std::size_t k = 0; k < hex.size(); k += 2)
        spaced += hex.substr(k, 2) + (k + 2 < hex.size() ? ":" : "");
    EXPECT_TRUE(ParsePublisherKey(spaced));
    for (const std::string& bad :
         {std::string(), hex.substr(2), hex + "00", "05" + hex, hex.substr(1) + "g"}) {
        EXPECT_FALSE(ParsePublisherKey(bad)) << bad;
    }
}

TEST(UpdateSignature, TrailerNeedsItsMagicAndAProgramBeforeIt) {
    std::vector<std::uint8_t> tail(kTrailerSize, 0xAB);
    std::copy(kSignatureMagic.begin(), kSignatureMagic.end(), tail.begin() + kSignatureSize);
    const auto parsed = ParseTrailer(tail, 1000);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->program_size, 1000 - kTrailerSize);
    EXPECT_EQ(parsed->signature[0], 0xAB);
    EXPECT_FALSE(ParseTrailer(tail, kTrailerSize)) << "no program";
    EXPECT_FALSE(ParseTrailer(std::span(tail).subspan(1), 1000)) << "short";
    tail.back() ^= 1;
    EXPECT_FALSE(ParseTrailer(tail, 1000)) << "magic";
}

}  // namespace
}  // namespace vela::update
