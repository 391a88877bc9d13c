#include "core/text/text_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <limits>

namespace vela {
namespace {

constexpr int kMaxWidth = 64;
constexpr int kMaxPrecision = 17;

bool IsFlag(wchar_t c) {
    return c == L'-' || c == L'+' || c == L' ' || c == L'#' || c == L'0';
}
bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// Reads a decimal number at pos, limited to at most `limit`.
int ReadNumber(std::wstring_view s, std::size_t& pos, int limit) {
    int n = 0;
    while (pos < s.size() && IsDigit(s[pos])) {
        n = std::min(n * 10 + (s[pos] - L'0'), limit);
        ++pos;
    }
    return n;
}

// One numeric conversion, rebuilt from its parts so that only what was parsed reaches swprintf.
std::wstring FormatOne(const std::wstring& flags, int width, int precision, wchar_t conv, double value) {
    std::wstring conversion_text = L"%" + flags;
    if (width > 0)
        conversion_text += std::to_wstring(width);
    if (precision >= 0)
        conversion_text += L"." + std::to_wstring(precision);
    wchar_t buffer[160];
    int n;
    if (conv != L'd' && conv != L'i' && conv != L'u') {
        conversion_text.push_back(conv);
        n = std::swprintf(buffer, std::size(buffer), conversion_text.c_str(), value);
    } else {
        // Integer conversions take the value truncated, kept within the range of a long long.
        constexpr double kLimit = 9.0e18;
        const double t = std::isfinite(value) ? std::clamp(std::trunc(value), -kLimit, kLimit) : 0.0;
        conversion_text += conv == L'u' ? L"llu" : L"lld";
        n = conv == L'u' ? std::swprintf(buffer, std::size(buffer), conversion_text.c_str(),
                                         static_cast<unsigned long long>(std::max(t, 0.0)))
                         : std::swprintf(buffer, std::size(buffer), conversion_text.c_str(),
                                         static_cast<long long>(t));
    }
    return n > 0 ? std::wstring(buffer, static_cast<std::size_t>(n)) : std::wstring();
}

}  // namespace

std::wstring FormatWithValue(std::wstring_view format, double value) {
    std::wstring out;
    bool used = false;
    std::size_t i = 0;
    while (i < format.size()) {
        const wchar_t c = format[i];
        if (c != L'%') {
            out.push_back(c);
            ++i;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == L'%') {
            out.push_back(L'%');
            i += 2;
            continue;
        }
        // Parse %[flags][width][.precision]conversion without touching any argument.
        std::size_t pos = i + 1;
        std::wstring flags;
        while (pos < format.size() && IsFlag(format[pos]))
            flags.push_back(format[pos++]);
        const int width = ReadNumber(format, pos, kMaxWidth);
        int precision = -1;
        if (pos < format.size() && format[pos] == L'.') {
            ++pos;
            precision = ReadNumber(format, pos, kMaxPrecision);
        }
        const wchar_t conv = pos < format.size() ? format[pos] : L'\0';
        const bool is_float = std::wstring_view(L"feEgGaAF").find(conv) != std::wstring_view::npos;
        const bool is_int = conv == L'd' || conv == L'i' || conv == L'u';
        if (used || conv == L'\0' || (!is_float && !is_int)) {
            // Not ours to fill: copy the text of the conversion unchanged.
            const std::size_t end = std::min(format.size(), conv == L'\0' ? pos : pos + 1);
            out.append(format.substr(i, end - i));
            i = end;
            continue;
        }
        used = true;
        out += FormatOne(flags, width, precision, conv, value);
        i = pos + 1;
    }
    return out;
}

std::wstring PrintableText(std::wstring_view text) {
    const auto hidden = [](wchar_t c) {
        return c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0x202A && c <= 0x202E) ||
               (c >= 0x2066 && c <= 0x2069);
    };
    std::wstring shown(text);
    std::replace_if(shown.begin(), shown.end(), hidden, L'\uFFFD');
    return shown;
}

std::string PrintNumber(const char* format, double value) {
    if (value == 0.0)
        value = 0.0;
    // snprintf says how long the whole text is even when it does not fit, so a second pass can print it all.
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, format, value);
    if (n <= 0)
        return "0";
    if (static_cast<std::size_t>(n) < sizeof buffer)
        return std::string(buffer, static_cast<std::size_t>(n));
    std::string text(static_cast<std::size_t>(n), '\0');
    std::snprintf(text.data(), text.size() + 1, format, value);
    return text;
}

}  // namespace vela
