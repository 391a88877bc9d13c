// A/B compare: two snapshots of the processor's table, one of them live. The first switch takes the table
// as A and lets the edits that follow build B; each later switch keeps the live table as its snapshot and
// returns what must be written to bring the other one back. Runs on the user-interface thread.
#pragma once

#include <span>
#include <vector>

#include "core/model/edit_history.h"

namespace vela {

class AbCompare {
  public:
    enum class Side { kA, kB };

    bool Active() const { return active_; }
    Side Live() const { return live_; }
    // Counts the compares started, so that a switch of an earlier one is told apart.
    int Session() const { return session_; }

    // Starts the compare (nothing to write: B begins as A) or switches to the other snapshot. The changes
    // take the table as it is now to the other snapshot; only writable parameters.
    std::vector<ParameterChange> Switch(std::span<const std::uint16_t> table);
    // Leaves the compare with the live table; the other snapshot is dropped.
    void Keep();

  private:
    bool active_ = false;
    int session_ = 0;
    Side live_ = Side::kB;
    TableValues a_;
    TableValues b_;
};

}  // namespace vela
