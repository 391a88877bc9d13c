// The progress picture's arithmetic: how far the bar is filled and what percentage the text shows.
#pragma once

namespace vela {

// The bar runs from x 27 (empty) to x 516 (full) of the 541 x 161 picture.
inline constexpr int kProgressBarStart = 27;
inline constexpr int kProgressBarLength = 489;

// Right edge of the filled part for value / total; the value is clamped to [0, total] and a total of 0 or
// less shows an empty bar instead of dividing by zero.
int ProgressFillRight(long long value, long long total);
// value * 100 / total with the same guards.
double ProgressPercent(long long value, long long total);

}  // namespace vela
