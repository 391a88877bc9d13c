// Undo, redo and A/B compare over the parameter map: the history records the map's edits, and undo, redo
// and a compare switch write through the map like an edit. The main window holds one; user-interface
// thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

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

    // An undo, redo or switch that needs more than one write batch, while it goes out: how many of its
    // values the processor has taken. Nothing once all have been taken or the link was lost (its values
    // then stay marked and go out after the reconnect), or when none is going out.
    struct WriteProgress {
        int written = 0;
        int total = 0;
    };
    std::optional<WriteProgress> Progress();

    struct LinkNoticeEffect {
        bool changed = false;  // what can be undone or redone is not what it was
        bool cleared = false;  // another processor: the history was emptied, and the user is to be told
    };
    // A notification of the link, after the window has handled it; `where` is the open device's identity
    // (its USB path, or the name of a virtual or file device).
    LinkNoticeEffect OnLinkNotify(LinkNotify code, std::intptr_t value, std::string_view where);

  private:
    // Writes the step's values from before (undo) or after (redo) it; false when there is no step.
    bool Replay(const std::optional<EditStep>& step, bool after);
    void FollowCompare(const EditStep& step);
    void WriteBack(const std::vector<ParameterChange>& changes, bool after);

    DeviceLink& link_;
    ParameterMap& map_;
    EditHistory history_;
    AbCompare compare_;
    std::vector<std::uint16_t> going_out_;  // the values of a long write-back not yet known taken
};

}  // namespace vela
