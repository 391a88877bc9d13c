// A link host that shows nothing: progress and title calls go nowhere. The tests' and the benchmarks' hosts
// build on it and keep what they need of the rest.
#pragma once

#include <string_view>

#include "core/link/seams.h"

namespace vela::testing {

class QuietLinkHost : public ILinkHost {
  public:
    void ProgressSetRange(int) override {}
    void ProgressSetFormat(std::wstring_view) override {}
    void ProgressSetPos(int) override {}
    void ProgressShow(bool) override {}
    void SetTitle(std::wstring_view) override {}
};

}  // namespace vela::testing
