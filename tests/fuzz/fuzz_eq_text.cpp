// Any bytes as an EQ filter list: the parser never reads past them, refuses or reads, and a list it reads
// quantises onto a strip (clamped) without a value outside what the strip holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/model/eq_text.h"
#include "core/ui/eq_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const vela::eqtext::ParseResult parsed = vela::eqtext::Parse(text);
    if (parsed.Ok() == !parsed.error.empty())
        std::abort();
    if (!parsed.Ok() && !parsed.filters.empty())
        std::abort();
    const vela::EqFit fit = vela::FitEq(parsed, vela::Channel::kMusic, true, 16);
    for (const auto& band : fit.bands) {
        if (band.gain_code < 260 || band.gain_code > 620 || band.q_code < 40 || band.q_code > 12800)
            std::abort();
    }
    return 0;
}
