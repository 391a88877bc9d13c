#include "core/model/edit_history.h"

#include <algorithm>

#include "core/model/parameter_catalogue.h"

namespace vela {

std::vector<ParameterChange> TableDifference(std::span<const std::uint16_t> from,
                                             std::span<const std::uint16_t> to) {
    std::vector<ParameterChange> out;
    const std::size_t count = std::min({from.size(), to.size(), catalogue::All().size()});
    for (std::size_t i = 0; i < count; ++i) {
        // The link's own words, the identity and the current scene are the device's business.
        if (from[i] != to[i] && catalogue::At(i).writable) {
            out.push_back({static_cast<std::uint16_t>(i), from[i], to[i]});
        }
    }
    return out;
}

bool EditHistory::Joins(StepKind kind, EditSource source, std::uint32_t now) const {
    if (!open_ || cursor_ == 0 || cursor_ != steps_.size()) {
        return false;
    }
    if (action_depth_ > 0) {
        return true;
    }
    const EditStep& top = steps_.back();
    return top.kind == kind && top.source == source && (pressed_ || now - last_ms_ <= kBurstPauseMs);
}

EditStep& EditHistory::NewStep(StepKind kind, EditSource source) {
    // A new action after an undo: what was undone can no longer be redone.
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(cursor_), steps_.end());
    steps_.push_back(EditStep{kind, source, {}});
    if (steps_.size() > kMaxSteps) {
        steps_.pop_front();
    }
    cursor_ = steps_.size();
    open_ = true;
    return steps_.back();
}

void EditHistory::DropEmptyTop() {
    if (open_ && action_depth_ == 0 && cursor_ == steps_.size() && cursor_ > 0 &&
        steps_.back().changes.empty()) {
        steps_.pop_back();
        cursor_ = steps_.size();
        open_ = false;
    }
}

void EditHistory::Record(StepKind kind, EditSource source, std::uint16_t index, std::uint16_t before,
                         std::uint16_t after) {
    const std::uint32_t now = clock_.TickMs();
    EditStep* step = nullptr;
    if (Joins(kind, source, now)) {
        step = &steps_.back();
    } else if (before == after) {
        return;
    } else if (action_depth_ > 0) {
        step = &NewStep(action_kind_, action_source_);
    } else {
        step = &NewStep(kind, source);
    }
    last_ms_ = now;
    auto& changes = step->changes;
    const auto it = std::find_if(changes.begin(), changes.end(),
                                 [index](const ParameterChange& c) { return c.index == index; });
    if (it == changes.end()) {
        if (before != after) {
            changes.push_back({index, before, after});
        }
    } else {
        it->after = after;
        if (it->before == it->after) {
            changes.erase(it);
        }
    }
    DropEmptyTop();
    Changed();
}

void EditHistory::PressStarted() {
    pressed_ = true;
    Close();
}

void EditHistory::PressEnded() {
    pressed_ = false;
    Close();
}

void EditHistory::ActionStarts(StepKind kind, EditSource source) {
    if (action_depth_++ > 0) {
        return;
    }
    Close();
    action_kind_ = kind;
    action_source_ = source;
}

void EditHistory::ActionEnds() {
    if (action_depth_ == 0 || --action_depth_ > 0) {
        return;
    }
    DropEmptyTop();
    Close();
}

void EditHistory::Push(StepKind kind, std::vector<ParameterChange> changes, EditSource source) {
    std::erase_if(changes, [](const ParameterChange& c) { return c.before == c.after; });
    if (changes.empty()) {
        return;
    }
    NewStep(kind, source).changes = std::move(changes);
    Close();
    Changed();
}

void EditHistory::BeginCapture(StepKind kind, std::span<const std::uint16_t> table) {
    Close();
    capture_ = Capture{kind, TableValues(table.begin(), table.end())};
}

bool EditHistory::FinishCapture(std::span<const std::uint16_t> table) {
    if (!capture_) {
        return false;
    }
    const Capture capture = std::move(*capture_);
    capture_.reset();
    auto changes = TableDifference(capture.before, table);
    if (changes.empty()) {
        return false;
    }
    Push(capture.kind, std::move(changes));
    return true;
}

std::optional<EditStep> EditHistory::TakeUndo() {
    Close();
    if (!CanUndo()) {
        return std::nullopt;
    }
    --cursor_;
    Changed();
    return steps_[cursor_];
}

std::optional<EditStep> EditHistory::TakeRedo() {
    Close();
    if (!CanRedo()) {
        return std::nullopt;
    }
    ++cursor_;
    Changed();
    return steps_[cursor_ - 1];
}

void EditHistory::Clear() {
    steps_.clear();
    cursor_ = 0;
    open_ = false;
    capture_.reset();
    Changed();
}

bool EditHistory::ConnectedTo(std::string_view device) {
    if (device.empty() || device == device_) {
        return false;
    }
    const bool another = !device_.empty();
    device_ = device;
    if (!another) {
        return false;
    }
    const bool had = !steps_.empty();
    Clear();
    return had;
}

}  // namespace vela
