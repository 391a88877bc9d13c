#include "core/text/utf8.h"

#include <gtest/gtest.h>

namespace vela {
namespace {

TEST(Utf8, OverlongSurrogateAndOutOfRangeFormsDecodeAsReplacements) {
    const struct {
        std::string bytes;
        std::wstring text;
    } cases[] = {
        {"a\xC3\xA9", L"a\u00E9"},
        {"\xE4\xB8\xAD", L"\u4E2D"},
        {"\xC0\x8A", L"\uFFFD"},          // an overlong line break
        {"\xC1\xBF", L"\uFFFD"},          // an overlong DEL
        {"\xE0\x80\xAF", L"\uFFFD"},      // an overlong slash
        {"\xF0\x80\x80\x8A", L"\uFFFD"},  // the line break in four bytes
        {"\xED\xA0\x80", L"\uFFFD"},      // a surrogate
        {"\xF4\x90\x80\x80", L"\uFFFD"},  // past U+10FFFF
        {"\xC3", L"\uFFFD"},              // cut short
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FromUtf8(c.bytes), c.text) << c.bytes;
    }
    // What the decoder accepts encodes back to the same bytes, a character beyond the 16-bit range too
    // (two UTF-16 units where wchar_t is 16 bits wide).
    for (const std::string text : {"a\xC3\xA9\xE4\xB8\xAD", "\xF0\x9F\x8E\xA4 mic"}) {
        EXPECT_EQ(ToUtf8(FromUtf8(text)), text);
    }
    EXPECT_EQ(FromUtf8("\xF0\x9F\x8E\xA4").size(), sizeof(wchar_t) == 2 ? 2u : 1u);
    // A lone surrogate has no UTF-8 form.
    EXPECT_EQ(ToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800)) + L"x"), "\xEF\xBF\xBDx");
}

}  // namespace
}  // namespace vela
