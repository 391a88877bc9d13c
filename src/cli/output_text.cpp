#include "cli/output_text.h"

#include <cstdint>
#include <cstdio>

#include "cli/console_host.h"

namespace vela::cli {

namespace {

bool Control(std::uint32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Characters that reorder what a terminal shows after them.
bool DirectionOverride(std::uint32_t c) {
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

std::string Escaped(const char* format, std::uint32_t c) {
    char buffer[12];
    std::snprintf(buffer, sizeof buffer, format, static_cast<unsigned>(c));
    return buffer;
}

// Decodes (strictly: overlong and broken forms become U+FFFD) and re-encodes; `escape` gives the text for
// a character that must not go out as itself, or nothing.
template <class Escape>
std::string Rewrite(std::string_view utf8, Escape escape) {
    std::string out;
    std::wstring run;
    for (const wchar_t ch : FromUtf8(utf8)) {
        const std::string replacement = escape(static_cast<std::uint32_t>(ch));
        if (replacement.empty()) {
            run.push_back(ch);
            continue;
        }
        out += ToUtf8(run);
        run.clear();
        out += replacement;
    }
    return out + ToUtf8(run);
}

}  // namespace

std::string JsonString(std::string_view utf8) {
    return Rewrite(utf8, [](std::uint32_t c) -> std::string {
        switch (c) {
            case '"':
                return "\\\"";
            case '\\':
                return "\\\\";
            case '\n':
                return "\\n";
            case '\r':
                return "\\r";
            case '\t':
                return "\\t";
            default:
                return Control(c) ? Escaped("\\u%04x", c) : std::string();
        }
    });
}

std::string TerminalText(std::string_view utf8) {
    return Rewrite(utf8, [](std::uint32_t c) -> std::string {
        if (c < 0x20 || c == 0x7F) {
            return Escaped("\\x%02x", c);
        }
        return Control(c) || DirectionOverride(c) ? Escaped("\\u%04x", c) : std::string();
    });
}

}  // namespace vela::cli
