// What the user did to the processor's table, step by step, so that it can be undone and redone. A step
// is one user action (a drag, a burst of wheel notches, a typed value, RESET, a scene recall) with the
// parameters it changed and their values before and after. Runs on the user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/link/seams.h"

namespace vela {

struct ParameterChange {
    std::uint16_t index = 0;
    std::uint16_t before = 0;
    std::uint16_t after = 0;
    friend bool operator==(const ParameterChange&, const ParameterChange&) = default;
};

enum class StepKind {
    kEdit,         // a control of a page: drag, wheel or arrow burst, typed value, combo, button
    kMasterFader,  // one of the main window's faders
    kReset,        // a page's RESET
    kPasteEq,
    kEqImport,
    kMode,  // Auto/Hand, Sing/Dance
    kSceneRecall,
    kFileLoad,
    kCompare,  // an A/B switch
};

// The control an edit came from: edits of one control coalesce, another control starts a new step.
struct EditSource {
    int page = -1;
    int code = -1;
    friend bool operator==(const EditSource&, const EditSource&) = default;
};

struct EditStep {
    StepKind kind = StepKind::kEdit;
    EditSource source;
    std::vector<ParameterChange> changes;
};

// A whole table's values, for the captures of bulk changes and for A/B snapshots.
using TableValues = std::vector<std::uint16_t>;

class EditHistory {
  public:
    static constexpr std::size_t kMaxSteps = 200;
    // A pause longer than this between wheel notches or arrow keys on one control starts a new step.
    static constexpr std::uint32_t kBurstPauseMs = 600;

    explicit EditHistory(IClock& clock) : clock_(clock) {}

    // A control changed a parameter. Edits of the same kind and control coalesce while a press is held or
    // while they follow each other within the burst pause; a change back to the old value leaves no step.
    void Record(StepKind kind, EditSource source, std::uint16_t index, std::uint16_t before,
                std::uint16_t after);

    // A mouse button went down or up anywhere in the window: a press..release is one step.
    void PressStarted();
    void PressEnded();

    // Actions of many parameters at once (Paste EQ, an EQ import): everything recorded between the two
    // calls is one step, whatever its control. Nested calls join the outer action.
    void ActionStarts(StepKind kind, EditSource source = {});
    void ActionEnds();

    // A step already worked out (an A/B switch); no-op changes are left out.
    void Push(StepKind kind, std::vector<ParameterChange> changes, EditSource source = {});

    // A bulk change made by the device (scene recall, file load, mode change): the table before it, and
    // the table once it has been read back. The differing writable parameters become one step.
    void BeginCapture(StepKind kind, std::span<const std::uint16_t> table);
    bool Capturing() const { return capture_.has_value(); }
    // False when nothing differed (or nothing was being captured).
    bool FinishCapture(std::span<const std::uint16_t> table);
    // The bulk change will not be reported (the link was lost before it): what the table shows next is not
    // its doing.
    void DropCapture() { capture_.reset(); }

    bool CanUndo() const { return cursor_ > 0; }
    bool CanRedo() const { return cursor_ < steps_.size(); }
    const EditStep* NextUndo() const { return CanUndo() ? &steps_[cursor_ - 1] : nullptr; }
    const EditStep* NextRedo() const { return CanRedo() ? &steps_[cursor_] : nullptr; }
    // The step to write back (its before-values); nothing when there is none.
    std::optional<EditStep> TakeUndo();
    // The step to write again (its after-values).
    std::optional<EditStep> TakeRedo();

    std::size_t Size() const { return steps_.size(); }
    // Called whenever what can be undone or redone may have changed (for the buttons that show it).
    void SetOnChange(std::function<void()> told) { on_change_ = std::move(told); }
    void Clear();

    // The processor now connected, by device id and USB path: another one than before clears the history.
    // True when that happened and there was something to clear.
    bool ConnectedTo(std::string_view device);

  private:
    EditStep& NewStep(StepKind kind, EditSource source);
    bool Joins(StepKind kind, EditSource source, std::uint32_t now) const;
    void Close() { open_ = false; }
    void DropEmptyTop();

    IClock& clock_;
    std::deque<EditStep> steps_;
    std::size_t cursor_ = 0;  // steps_[0..cursor_) are done, the rest can be redone
    bool open_ = false;       // the top step may still grow
    bool pressed_ = false;
    int action_depth_ = 0;
    StepKind action_kind_ = StepKind::kEdit;
    EditSource action_source_;
    std::uint32_t last_ms_ = 0;
    struct Capture {
        StepKind kind;
        TableValues before;
    };
    std::optional<Capture> capture_;
    std::string device_;
    std::function<void()> on_change_;
    void Changed() {
        if (on_change_) {
            on_change_();
        }
    }
};

// The changes that take the table from `from` to `to`, writable parameters only.
std::vector<ParameterChange> TableDifference(std::span<const std::uint16_t> from,
                                             std::span<const std::uint16_t> to);

// "Music EQ band 8 gain", "RESET Main", "Scene recall" in the current language.
std::wstring StepText(const EditStep& step);

}  // namespace vela
