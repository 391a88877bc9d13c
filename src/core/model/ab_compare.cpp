#include "core/model/ab_compare.h"

namespace vela {

std::vector<ParameterChange> AbCompare::Switch(std::span<const std::uint16_t> table) {
    TableValues now(table.begin(), table.end());
    if (!active_) {
        active_ = true;
        ++session_;
        live_ = Side::kB;
        a_ = std::move(now);
        b_.clear();
        return {};
    }
    // Edits made while a snapshot was live belong to it.
    TableValues& live = live_ == Side::kA ? a_ : b_;
    const TableValues& other = live_ == Side::kA ? b_ : a_;
    live = std::move(now);
    auto changes = TableDifference(live, other);
    live_ = live_ == Side::kA ? Side::kB : Side::kA;
    return changes;
}

void AbCompare::Keep() {
    active_ = false;
    live_ = Side::kB;
    a_.clear();
    b_.clear();
}

}  // namespace vela
