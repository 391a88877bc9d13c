#include "core/model/history_actions.h"

#include <algorithm>
#include <string>

#include "core/protocol/protocol.h"

namespace vela {

HistoryActions::HistoryActions(DeviceLink& link, ParameterMap& map)
    : link_(link), map_(map), history_(link.Clock()) {
    map_.RecordInto(&history_);
}

HistoryActions::~HistoryActions() {
    map_.RecordInto(nullptr);
}

bool HistoryActions::Undo() {
    return Replay(history_.TakeUndo(), false);
}

bool HistoryActions::Redo() {
    return Replay(history_.TakeRedo(), true);
}

bool HistoryActions::Replay(const std::optional<EditStep>& step, bool after) {
    if (!step) {
        return false;
    }
    FollowCompare(*step);
    WriteBack(step->changes, after);
    return true;
}

void HistoryActions::WriteBack(const std::vector<ParameterChange>& changes, bool after) {
    map_.WriteBack(changes, after);
    going_out_.clear();
    if (changes.size() > static_cast<std::size_t>(kMaxWriteGroups)) {
        for (const auto& c : changes) {
            going_out_.push_back(c.index);
        }
    }
}

std::optional<HistoryActions::WriteProgress> HistoryActions::Progress() {
    if (!link_.State().link_up.load()) {
        going_out_.clear();
    }
    const auto waiting = std::count_if(going_out_.begin(), going_out_.end(),
                                       [this](std::uint16_t i) { return link_.Table().IsDirty(i); });
    if (waiting == 0) {
        going_out_.clear();
        return std::nullopt;
    }
    const int total = static_cast<int>(going_out_.size());
    return WriteProgress{total - static_cast<int>(waiting), total};
}

void HistoryActions::FollowCompare(const EditStep& step) {
    // Undoing or redoing a switch of the running compare brings the other snapshot back: it is live again,
    // and the one left keeps the table as it is now. A switch of a compare already kept changes nothing.
    if (step.kind == StepKind::kCompare && compare_.Active() && step.source.code == compare_.Session()) {
        (void)compare_.Switch(link_.Table().Values());
    }
}

HistoryActions::CompareResult HistoryActions::SwitchCompare() {
    if (!link_.State().link_up.load()) {
        return CompareResult::kLinkDown;
    }
    const bool started = !compare_.Active();
    auto changes = compare_.Switch(link_.Table().Values());
    if (started) {
        return CompareResult::kStarted;
    }
    WriteBack(changes, true);
    history_.Push(StepKind::kCompare, std::move(changes), {layout::kNoPage, compare_.Session()});
    return CompareResult::kSwitched;
}

void HistoryActions::KeepCompare() {
    compare_.Keep();
}

void HistoryActions::BeforeBulkChange(StepKind kind) {
    history_.BeginCapture(kind, link_.Table().Values());
}

bool HistoryActions::OnTableChanged() {
    return history_.FinishCapture(link_.Table().Values());
}

bool HistoryActions::OnConnected(std::string_view device) {
    return history_.ConnectedTo(device);
}

HistoryActions::LinkNoticeEffect HistoryActions::OnLinkNotify(LinkNotify code, std::intptr_t value,
                                                              std::string_view where) {
    LinkNoticeEffect effect;
    if (code == LinkNotify::kTableChanged) {
        effect.changed = OnTableChanged();
    } else if (code == LinkNotify::kLinkState &&
               value == static_cast<std::intptr_t>(LinkStateCode::kConnected)) {
        // The same device id on another USB port is another processor.
        const std::uint32_t id = link_.State().device_id.load();
        effect.cleared = OnConnected(id != 0 ? std::to_string(id) + " " + std::string(where) : std::string());
        effect.changed = effect.cleared;
    } else if (code == LinkNotify::kLinkState &&
               value == static_cast<std::intptr_t>(LinkStateCode::kNotConnected)) {
        history_.DropCapture();
    }
    return effect;
}

}  // namespace vela
