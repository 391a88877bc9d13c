// What the catalogue's parts share: the table (every index named after the control that writes it, with
// that control's scale), the words of its choices and the ranges of the page controls.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/parameter_catalogue.h"

namespace vela::catalogue::detail {

// Built once from the parameter layout and the value scales.
const std::vector<Parameter>& Table();

// The ranges the page controls allow, which the text forms check against.
inline constexpr int kLevelMax = 100;
inline constexpr double kEqGainLowest = -24.0;
inline constexpr double kEqGainHighest = 12.0;
inline constexpr int kFbxItems = 4;
inline constexpr int kModeWords = 4;

struct Choice {
    std::string_view word;
    int raw;
};

inline constexpr Choice kSources[] = {{"bt", 1}, {"vod", 2}, {"dvd", 3}, {"mp3", 4}, {"opt", 5}, {"arc", 10}};

std::span<const Choice> ChoicesOf(Kind kind);
int ReverbTimeLast();
double HighPassTop(const Parameter& p);
std::string Lower(std::string_view s);
// "12.5kHz" -> 12.5 and "khz"; false when there is no number first.
bool SplitNumber(std::string_view text, double& number, std::string& unit);

inline std::uint16_t Word(long v) {
    return static_cast<std::uint16_t>(v);
}

template <std::size_t N>
bool InTable(const std::array<int, N>& table, int raw) {
    return std::find(table.begin(), table.end(), raw) != table.end();
}

// The first table entry at or above v, as the window's control lands on it; nothing above the table.
template <std::size_t N>
std::optional<int> FirstAtOrAbove(const std::array<int, N>& table, double v) {
    for (int entry : table) {
        if (entry + 1e-9 >= v)
            return entry;
    }
    return std::nullopt;
}

}  // namespace vela::catalogue::detail
