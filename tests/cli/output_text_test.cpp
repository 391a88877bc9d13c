#include "cli/output_text.h"

#include <gtest/gtest.h>

namespace vela::cli {
namespace {

// Device texts (scene names, Wi-Fi answers, USB serials) carry whatever a device sends.
TEST(OutputText, HostileDeviceTextIsEscapedForTerminalsAndValidInJson) {
    const struct {
        std::string in;
        std::string terminal;
        std::string json;
    } cases[] = {
        {"Lobby 1", "Lobby 1", "Lobby 1"},
        {"\xE5\xA4\xA7\xE5\x8E\x85", "\xE5\xA4\xA7\xE5\x8E\x85", "\xE5\xA4\xA7\xE5\x8E\x85"},
        {"\x1b]0;owned\x07", "\\x1b]0;owned\\x07", "\\u001b]0;owned\\u0007"},
        {"a\"b\\c\n", "a\"b\\c\\x0a", "a\\\"b\\\\c\\n"},
        {"\x7f", "\\x7f", "\\u007f"},
        // C1 controls: U+009B is a one-character escape sequence introducer on some terminals.
        {"\xC2\x9B"
         "2J",
         "\\u009b2J", "\\u009b2J"},
        // A direction override makes a terminal show the following text reversed.
        {"\xE2\x80\xAEgpj.exe", "\\u202egpj.exe", "\xE2\x80\xAEgpj.exe"},
        // Not UTF-8 at all (a GBK name read as bytes, an overlong form): replaced, never passed on.
        {"\xB4\xF3", "\xEF\xBF\xBD\xEF\xBF\xBD", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xC0\x8A", "\xEF\xBF\xBD", "\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TerminalText(c.in), c.terminal) << c.in;
        EXPECT_EQ(JsonString(c.in), c.json) << c.in;
    }
}

}  // namespace
}  // namespace vela::cli
