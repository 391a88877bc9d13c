#include "core/model/history_actions.h"

namespace vela {

HistoryActions::HistoryActions(DeviceLink& link, ParameterMap& map)
    : link_(link), map_(map), history_(link.Clock()) {
    map_.RecordInto(&history_);
}

HistoryActions::~HistoryActions() {
    map_.RecordInto(nullptr);
}

bool HistoryActions::Undo() {
    const auto step = history_.TakeUndo();
    if (!step) {
        return false;
    }
    map_.WriteBack(step->changes, false);
    return true;
}

bool HistoryActions::Redo() {
    const auto step = history_.TakeRedo();
    if (!step) {
        return false;
    }
    map_.WriteBack(step->changes, true);
    return true;
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
    map_.WriteBack(changes, true);
    history_.Push(StepKind::kCompare, std::move(changes));
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

}  // namespace vela
