#include "core/ui/typed_value.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cwctype>

#include "core/text/strings.h"

namespace vela {
namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == 0x3000;
}

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool EqualsIgnoringCase(std::wstring_view text, std::wstring_view word) {
    return text.size() == word.size() &&
           std::equal(text.begin(), text.end(), word.begin(), [](wchar_t a, wchar_t b) {
               return std::towlower(static_cast<wint_t>(a)) == std::towlower(static_cast<wint_t>(b));
           });
}

// The multiplier a unit suffix stands for; nothing when the suffix does not belong to the unit.
std::optional<double> SuffixScale(std::wstring_view suffix, TypedUnit unit) {
    suffix = Trim(suffix);
    if (suffix.empty())
        return 1.0;
    switch (unit) {
        case TypedUnit::kHertz:
            if (EqualsIgnoringCase(suffix, L"hz"))
                return 1.0;
            if (EqualsIgnoringCase(suffix, L"k") || EqualsIgnoringCase(suffix, L"khz"))
                return 1000.0;
            return std::nullopt;
        case TypedUnit::kDecibel:
            if (EqualsIgnoringCase(suffix, L"db"))
                return 1.0;
            return std::nullopt;
        case TypedUnit::kPlain:
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::optional<double> ReadTypedNumber(std::wstring_view text, TypedUnit unit) {
    text = Trim(text);
    std::string number;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        if (text[i] == L'-')
            number.push_back('-');
        ++i;
    }
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c >= L'0' && c <= L'9') {
            digits = true;
            number.push_back(static_cast<char>(c));
        } else if (c == L'.' && !point) {
            point = true;
            number.push_back('.');
        } else {
            break;
        }
    }
    if (!digits)
        return std::nullopt;
    const auto scale = SuffixScale(text.substr(i), unit);
    if (!scale)
        return std::nullopt;
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(value * *scale))
        return std::nullopt;
    return value * *scale;
}

TypedValue ReadTypedValue(std::wstring_view text, TypedUnit unit, double lower, double upper,
                          double previous) {
    const auto number = ReadTypedNumber(text, unit);
    if (!number)
        return {TypedValue::Verdict::kRefused, previous};
    const double clamped = std::clamp(*number, lower, upper);
    if (clamped != *number)
        return {TypedValue::Verdict::kClamped, clamped};
    return {TypedValue::Verdict::kAccepted, *number};
}

std::wstring TypedValueNote(const TypedValue& result, std::wstring_view typed, double lower, double upper,
                            std::wstring (*shown)(double)) {
    const std::wstring typed_text(Trim(typed));
    switch (result.verdict) {
        case TypedValue::Verdict::kAccepted:
            return {};
        case TypedValue::Verdict::kRefused:
            return FormatText(Text(extra::kTypedNotANumber), typed_text.c_str(), shown(result.value).c_str());
        case TypedValue::Verdict::kClamped:
            return FormatText(Text(extra::kTypedClamped), typed_text.c_str(), shown(lower).c_str(),
                              shown(upper).c_str(), shown(result.value).c_str());
    }
    return {};
}

}  // namespace vela
