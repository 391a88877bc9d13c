#include "core/model/eq_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/text/strings.h"
#include "core/text/text_format.h"

namespace vela::eqtext {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Longer number words are refused: they carry no precision a strip could hold.
constexpr std::size_t kLongestNumber = 32;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool Same(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
    return words;
}

bool AllDigits(std::string_view w) {
    if (w.empty())
        return false;
    for (char c : w) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// An optional sign, digits and at most one decimal point or comma, with a digit somewhere.
std::optional<double> Number(std::string_view w) {
    if (w.empty() || w.size() > kLongestNumber)
        return std::nullopt;
    std::array<char, kLongestNumber> buffer{};
    std::size_t n = 0;
    bool negative = false, digit = false, point = false;
    for (std::size_t i = 0; i < w.size(); ++i) {
        const char c = w[i];
        if (i == 0 && (c == '-' || c == '+')) {
            negative = c == '-';
        } else if (c >= '0' && c <= '9') {
            digit = true;
            buffer[n++] = c;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
            buffer[n++] = '.';
        } else {
            return std::nullopt;
        }
    }
    double value = 0.0;
    const auto r = std::from_chars(buffer.data(), buffer.data() + n, value, std::chars_format::fixed);
    if (!digit || r.ec != std::errc() || r.ptr != buffer.data() + n || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

// The words after "Filter N:" of one line: a filter, nothing (OFF, None), or why it is refused.
struct LineReading {
    std::optional<Filter> filter;
    Refusal refusal;
};

Refusal Refuse(Reason reason, std::vector<std::string> words = {}) {
    return {reason, 0, std::move(words)};
}

std::optional<FilterType> TypeOf(std::string_view w) {
    for (std::string_view k : {"PK", "PEQ", "Modal"}) {
        if (Same(w, k))
            return FilterType::kPeaking;
    }
    for (std::string_view k : {"LS", "LSC", "LSQ"}) {
        if (Same(w, k))
            return FilterType::kLowShelf;
    }
    for (std::string_view k : {"HS", "HSC", "HSQ"}) {
        if (Same(w, k))
            return FilterType::kHighShelf;
    }
    return std::nullopt;
}

bool IsShelf(FilterType t) {
    return t != FilterType::kPeaking;
}

bool EndsWithDb(std::string_view w) {
    return w.size() > 2 && Same(w.substr(w.size() - 2), "dB");
}

// The value with the unit that may follow it (words[i + 1]) taken: Hz or kHz for a frequency, else `unit`.
double TakeUnit(const std::vector<std::string_view>& words, std::size_t& i, bool frequency,
                std::string_view unit, double value) {
    if (i + 1 >= words.size())
        return value;
    const std::string_view next = words[i + 1];
    if (frequency && (Same(next, "kHz") || Same(next, "Hz"))) {
        ++i;
        return Same(next, "kHz") ? value * 1000.0 : value;
    }
    if (!unit.empty() && Same(next, unit))
        ++i;
    return value;
}

// Reads the `key value [unit]` pairs that follow the type word words[first - 1] into f; why not, if not.
Refusal ReadSettings(const std::vector<std::string_view>& words, std::size_t first, Filter& f) {
    std::optional<double> fc, gain, q;
    const std::string type_word(words[first - 1]);
    for (std::size_t i = first; i < words.size(); ++i) {
        const std::string_view key = words[i];
        std::optional<double>* target = nullptr;
        std::string_view unit;
        if (Same(key, "Fc")) {
            target = &fc;
        } else if (Same(key, "Gain")) {
            target = &gain, unit = "dB";
        } else if (Same(key, "Q")) {
            target = &q;
        } else if (Same(key, "BW") && i + 1 < words.size() && Same(words[i + 1], "Oct")) {
            target = &q;
            ++i;
        } else if (IsShelf(f.type) && i == first && (Number(key) || EndsWithDb(key))) {
            return Refuse(Reason::kFixedSlopeShelf,
                          {type_word, std::string(key), std::string(TypeCode(f.type))});
        } else {
            return Refuse(Reason::kNotUnderstood, {std::string(key)});
        }
        const std::string name(Same(key, "BW") ? "BW Oct" : key);
        if (target->has_value())
            return Refuse(target == &q ? Reason::kQGivenTwice : Reason::kGivenTwice, {name});
        if (i + 1 >= words.size())
            return Refuse(Reason::kNoValue, {name});
        const std::optional<double> v = Number(words[++i]);
        if (!v)
            return Refuse(Reason::kNotANumber, {name, std::string(words[i])});
        double value = TakeUnit(words, i, target == &fc, unit, *v);
        if (name == "BW Oct") {
            if (!(value > 0.0))
                return Refuse(Reason::kNotAboveZero, {name});
            const double p = std::pow(2.0, value);
            value = std::sqrt(p) / (p - 1.0);
        }
        if (target != &gain && !(value > 0.0 && std::isfinite(value)))
            return Refuse(Reason::kNotAboveZero, {name});
        *target = value;
    }
    if (!fc)
        return Refuse(Reason::kMissing, {"Fc"});
    if (!gain)
        return Refuse(Reason::kMissing, {"Gain"});
    if (!q && !IsShelf(f.type))
        return Refuse(Reason::kPeakingNeedsQ);
    f.hz = *fc;
    f.gain_db = *gain;
    f.q = q.value_or(kShelfQ);
    return {};
}

// words[0..at) were "Filter N:"; what follows.
LineReading ReadFilter(const std::vector<std::string_view>& words, std::size_t at) {
    LineReading r;
    if (at >= words.size())
        return {std::nullopt, Refuse(Reason::kNoOnOff)};
    if (Same(words[at], "OFF"))
        return r;
    if (!Same(words[at], "ON"))
        return {std::nullopt, Refuse(Reason::kNotOnOff, {std::string(words[at])})};
    if (at + 1 >= words.size())
        return {std::nullopt, Refuse(Reason::kNoType)};
    const std::string_view type_word = words[at + 1];
    if (Same(type_word, "None"))
        return r;
    const std::optional<FilterType> type = TypeOf(type_word);
    if (!type)
        return {std::nullopt, Refuse(Reason::kTypeNotSupported, {std::string(type_word)})};
    Filter f;
    f.type = *type;
    r.refusal = ReadSettings(words, at + 2, f);
    if (r.refusal.reason == Reason::kNone)
        r.filter = f;
    return r;
}

// How many words "Filter N:" takes at the line's start (2 or 3), or 0 when the line is something else.
std::size_t FilterPrefix(const std::vector<std::string_view>& w) {
    if (w.size() < 2 || !Same(w[0], "Filter"))
        return 0;
    if (w[1].size() > 1 && w[1].back() == ':' && AllDigits(w[1].substr(0, w[1].size() - 1)))
        return 2;
    if (w.size() > 2 && AllDigits(w[1]) && w[2] == ":")
        return 3;
    return 0;
}

std::size_t PreampPrefix(const std::vector<std::string_view>& w) {
    if (!w.empty() && Same(w[0], "Preamp:"))
        return 1;
    if (w.size() > 1 && Same(w[0], "Preamp") && w[1] == ":")
        return 2;
    return 0;
}

// One decimal, without a trailing ".0".
std::string Hertz(double hz) {
    std::string text = PrintNumber("%.1f", hz);
    if (text.size() > 2 && text.compare(text.size() - 2, 2, ".0") == 0)
        text.resize(text.size() - 2);
    return text;
}

// Refuses the whole text for `refusal`, at `line`.
ParseResult& Refused(ParseResult& result, Refusal refusal, int line) {
    refusal.line = line;
    result.filters.clear();
    result.error_line = line;
    result.error = RefusalText(refusal, kLanguageEnglish, false);
    result.refusal = std::move(refusal);
    return result;
}

}  // namespace

ParseResult Parse(std::string_view text) {
    ParseResult result;
    if (text.size() > kMaxTextBytes)
        return Refused(result, Refuse(Reason::kTooLarge), 0);
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    int line_number = 0;
    bool any_filter_line = false;
    while (!text.empty()) {
        ++line_number;
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::vector<std::string_view> words = Words(line);
        if (const std::size_t at = FilterPrefix(words)) {
            any_filter_line = true;
            LineReading r = ReadFilter(words, at);
            if (r.refusal.reason != Reason::kNone)
                return Refused(result, std::move(r.refusal), line_number);
            if (r.filter) {
                r.filter->line = line_number;
                result.filters.push_back(*r.filter);
            }
        } else if (const std::size_t p = PreampPrefix(words)) {
            const std::optional<double> db = p < words.size() ? Number(words[p]) : std::nullopt;
            if (!db || words.size() > p + 2 || (words.size() == p + 2 && !Same(words[p + 1], "dB")))
                return Refused(result, Refuse(Reason::kPreampNotUnderstood), line_number);
            result.preamp_db = *db;
        }
    }
    // Another kind of file picked by mistake must not flatten a strip; a list of OFF filters may.
    if (!any_filter_line)
        return Refused(result, Refuse(Reason::kNoFilterLine), 0);
    return result;
}

std::string_view TypeCode(FilterType type) {
    switch (type) {
        case FilterType::kLowShelf:
            return "LSC";
        case FilterType::kHighShelf:
            return "HSC";
        case FilterType::kPeaking:
            break;
    }
    return "PK";
}

std::string Write(std::span<const Filter> filters, std::string_view title) {
    std::string text;
    if (!title.empty()) {
        text += title;
        text += '\n';
    }
    int n = 0;
    for (const Filter& f : filters) {
        text += "Filter " + std::to_string(++n) + ": ON " + std::string(TypeCode(f.type)) + " Fc " +
                Hertz(f.hz) + " Hz Gain " + PrintNumber("%.1f", f.gain_db) + " dB Q " +
                PrintNumber("%.2f", f.q) + "\n";
    }
    return text;
}

}  // namespace vela::eqtext
