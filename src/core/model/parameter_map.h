// Between page controls and the parameter table: a page's change is written to its parameter
// (Edited), a received parameter is pushed into the controls that show it
// (RefreshFromParameter). Runs on the user-interface thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/link/device_link.h"
#include "core/link/seams.h"
#include "core/model/edit_history.h"
#include "core/model/parameter_layout.h"

namespace vela {

// What the map needs of a page (input, output, effect or System page).
class ICodePage {
  public:
    virtual ~ICodePage() = default;
    // Raw device value of a control; only the low 16 bits are stored.
    virtual int GetCodeValue(int code) = 0;
    // Moves the control(s) of a code to the position that represents raw and relabels them.
    virtual void SetCodeValue(int code, int raw) = 0;
    virtual void UpdateCodeText(int code) = 0;
};

// Where a page's edits go: the parameter map, wired by the main window when it builds the pages.
class IPageEdits {
  public:
    virtual ~IPageEdits() = default;
    // A control of the page now stands for raw at code; copy, paste and import (kCopyEqCode, kPasteEqCode,
    // kImportEqCode) carry no value.
    virtual void Edited(int page_id, int code, int raw) = 0;
    // As Edited, written even where the table holds the value already: RESET must also reach a device
    // changed behind the table's back.
    virtual void Rewritten(int page_id, int code, int raw) { Edited(page_id, code, raw); }
    // As Edited, for a value typed into a box (Enter or leaving it): a step of its own, however soon it
    // follows another of the same box.
    virtual void Typed(int page_id, int code, int raw) { Edited(page_id, code, raw); }
    // The table's entry, for the Mic page that shows the other microphone's values.
    virtual std::uint16_t Stored(std::size_t index) const = 0;
    // Around an action that edits many parameters at once (an EQ import): one step for undo.
    virtual void ActionStarts(StepKind /*kind*/, int /*page_id*/) {}
    virtual void ActionEnds() {}
};

// The Mic page also tells which microphones its EQ, EQ PASS and filter controls edit.
class IMicPage : public ICodePage {
  public:
    virtual bool MicAPressed() = 0;
    virtual bool MicBPressed() = 0;
};

// The main window's four master faders: 0 Music, 1 Mic, 2 MIC VOL B (hidden), 3 Effect.
class IMasterFaders {
  public:
    virtual ~IMasterFaders() = default;
    virtual double Value(int fader) = 0;
    virtual void SetValue(int fader, double value) = 0;
    virtual void SetCaption(int fader, std::wstring_view caption) = 0;
    // The highest level the fader shows.
    virtual double UpperLimit(int fader) = 0;
    // A note on the fader (its tooltip); empty removes it.
    virtual void SetNote(int fader, std::wstring_view note) = 0;
    // The System page's maximum for the fader's channel ("Music Max", "Mic Max", "MicB Max", "Effect Max").
    virtual double MaxLevel(int fader) = 0;
};

// The music source selector: positions 0..5 are VOD, DVD, OPT, MP3, BT, ARC; -1 nothing selected.
class IMusicSourceSelector {
  public:
    virtual ~IMusicSourceSelector() = default;
    virtual int Selection() = 0;
    virtual void Select(int position) = 0;
    // A note on the selector (its tooltip); empty removes it.
    virtual void SetNote(std::wstring_view note) = 0;
};

// Title-area buttons 4 (Auto/Hand), 5 (Sing) and 6 (Dance); states 1 released, 2 pressed.
class IModeButtons {
  public:
    virtual ~IModeButtons() = default;
    virtual int Check(int button) = 0;
    virtual void SetCheck(int button, int state) = 0;
    virtual void SetCaption(int button, std::wstring_view caption) = 0;
    virtual void SetEnabled(int button, bool enabled) = 0;
    // Greys the four output pages (Auto mode) or gives them back (Hand mode).
    virtual void SetOutputPagesEnabled(bool enabled) = 0;
};

// Modal message boxes owned by the main window. An empty caption means the system's default one.
class IUserMessages {
  public:
    virtual ~IUserMessages() = default;
    virtual MessageAnswer Show(std::wstring_view text, std::wstring_view caption, MessageButtons buttons) = 0;
};

// The controls the map talks to; any of them may be missing (the CLI has none), which skips it.
struct MappedControls {
    std::array<ICodePage*, layout::kStripCount> outputs{};  // Main, Center, Sub, Rear
    ICodePage* music = nullptr;
    IMicPage* mic = nullptr;
    ICodePage* echo = nullptr;
    ICodePage* reverb = nullptr;
    ICodePage* system = nullptr;
    IMasterFaders* faders = nullptr;
    IMusicSourceSelector* source = nullptr;
    IModeButtons* mode = nullptr;
    IUserMessages* messages = nullptr;
};

inline constexpr int kAutoHandButton = 4;
inline constexpr int kSingButton = 5;
inline constexpr int kDanceButton = 6;
inline constexpr int kButtonReleased = 1;
inline constexpr int kButtonPressed = 2;

inline constexpr int kCopyEqCode = 62;
inline constexpr int kPasteEqCode = 63;
// A strip page's whole EQ changed at once (a file imported): every band field is written, as one edit.
inline constexpr int kImportEqCode = 64;
inline constexpr int kEqClipboardSize = 28;

inline constexpr int kMusicFader = 0;
inline constexpr int kMicFader = 1;
inline constexpr int kMicVolBFader = 2;
inline constexpr int kEffectFader = 3;
inline constexpr int kFaderCount = 4;

class ParameterMap : public IPageEdits {
  public:
    ParameterMap(DeviceLink& link, const MappedControls& controls);

    void Edited(int page_id, int code, int raw) override;
    void Rewritten(int page_id, int code, int raw) override;
    void Typed(int page_id, int code, int raw) override;
    std::uint16_t Stored(std::size_t index) const override;
    void ActionStarts(StepKind kind, int page_id) override;
    void ActionEnds() override;
    // Where the user's edits are recorded for undo; nothing records them without it.
    void RecordInto(EditHistory* history) { history_ = history; }
    // Writes the values of an undo or redo like an edit (marked for sending, acknowledged, read back) and
    // moves the controls to them; the mode word goes first, so that the output pages show the right bank.
    void WriteBack(std::span<const ParameterChange> changes, bool after);
    // UM_LINK_NOTIFY (0, index): value is the table entry's current value.
    void RefreshFromParameter(std::size_t index, std::uint16_t value);
    // Stores the low 16 bits and marks the entry for sending while the link's send switch is on.
    void WriteParameter(std::size_t index, std::uint32_t value);

    // A master fader moved (control ids 6034..6037, wParam = fader).
    void OnMasterFader(int fader);
    // UM_CLAMP_MASTER_LEVELS: holds each fader at its channel's maximum.
    void ClampMasterLevels();
    // Rewrites one fader's caption from its value.
    void RelabelFader(int fader);
    // The music source selector chose an item (13224).
    void OnMusicSource();
    // Title-area buttons 4, 5 and 6 after their click; other buttons are ignored.
    void OnModeButton(int button);

    // The language changed (UM_APPLY_LANGUAGE): recaptions the mode buttons and master faders and
    // relabels every page through UpdateCodeText over all of its codes.
    void ApplyLanguage();

    bool DanceBankActive() const;
    bool ClipboardFilled() const { return clipboard_filled_; }

  private:
    ICodePage* PageFor(int page_id) const;
    void OnOutputPage(layout::Strip strip, ICodePage& page, int code, int raw);
    void OnMicPage(IMicPage& page, int code, int raw);
    void WriteRaw(std::uint16_t index, int raw);
    void CopyEq(ICodePage& page);
    void PasteEq(layout::Strip strip, ICodePage& page);
    void ImportEq(int page_id);
    void RefreshTarget(const layout::CodeRef& target, std::uint16_t value);
    void RefreshMode(std::uint16_t value);
    void WriteMode(std::uint16_t mode);
    void Record(std::uint16_t index, int raw);

    DeviceLink& link_;
    MappedControls controls_;
    std::array<int, kEqClipboardSize> clipboard_{};
    bool clipboard_filled_ = false;
    bool rewriting_ = false;
    EditHistory* history_ = nullptr;
    // What the edit being written counts as, for the history.
    StepKind edit_kind_ = StepKind::kEdit;
    EditSource edit_source_;
};

}  // namespace vela
