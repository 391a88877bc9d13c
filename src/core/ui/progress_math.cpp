#include "core/ui/progress_math.h"

#include <algorithm>

namespace vela {

int ProgressFillRight(long long value, long long total) {
    if (total <= 0)
        return kProgressBarStart;
    const long long v = std::clamp(value, 0LL, total);
    return static_cast<int>(v * kProgressBarLength / total) + kProgressBarStart;
}

double ProgressPercent(long long value, long long total) {
    if (total <= 0)
        return 0.0;
    const long long v = std::clamp(value, 0LL, total);
    return static_cast<double>(v) * 100.0 / static_cast<double>(total);
}

}  // namespace vela
