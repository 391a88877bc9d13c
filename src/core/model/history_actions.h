// Undo, redo and A/B compare over the parameter map: the history records the map's edits, and undo, redo
// and a compare switch write through the map like an edit. The main window holds one; user-interface
// thread.
#pragma once

#include <string_view>

#include "core/link/device_link.h"
#include "core/model/ab_compare.h"
#include "core/model/edit_history.h"
#include "core/model/parameter_map.h"

namespace vela {

class HistoryActions {
  public:
    HistoryActions(DeviceLink& link, ParameterMap& map);
    ~HistoryActions();
    HistoryActions(const HistoryActions&) = delete;
    HistoryActions& operator=(const HistoryActions&) = delete;

    EditHistory& History() { return history_; }
    const EditHistory& History() const { return history_; }
    const AbCompare& Compare() const { return compare_; }

    // False when there was nothing to undo or redo.
    bool Undo();
    bool Redo();

    enum class CompareResult { kStarted, kSwitched, kLinkDown };
    // Refused while the link is down, so that a switch is never half applied; one that the link loses
    // halfway stays marked for sending and completes after the reconnect, like any edit.
    CompareResult SwitchCompare();
    void KeepCompare();

    // A scene recall, a file load or a mode change is about to change the table on the device.
    void BeforeBulkChange(StepKind kind);
    // The link changed the table in bulk; a pending capture becomes its step. True when one was recorded.
    bool OnTableChanged();
    // The processor connected now, by its id and path; true when the history was cleared for it.
    bool OnConnected(std::string_view device);

  private:
    DeviceLink& link_;
    ParameterMap& map_;
    EditHistory history_;
    AbCompare compare_;
};

}  // namespace vela
