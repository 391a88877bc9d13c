// The code-to-control rules of the strip pages (Music and Mic, the four outputs, Echo and Reverb): which
// code moves which control to which position, the raw values they stand for, their captions, and what the
// pages do on their controls' notifications. A page keeps what its controls show, as it set them or as a
// notification told it, so that it answers for a code without asking the window; its edits go to the
// parameter map through IPageEdits. The Win32 pages only create, lay out and paint the controls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/model/parameter_layout.h"
#include "core/model/parameter_map.h"
#include "core/pages/strip_slots.h"
#include "core/ui/band_editor_math.h"

namespace vela {

// Slot and control numbers shared by the three page kinds.
enum StripButtonSlot : int { kResetButton = 3, kEqPassButton, kMicAButton, kMicBButton };
enum StripComboSlot : int { kHighPassCombo, kLowPassCombo, kFbxCombo };
inline constexpr int kFbxLabel = 5;
inline constexpr int kFbxItems = 4;
inline constexpr int kRowCaptions = 4;
// Button check states, as the image button keeps them.
enum CheckState : int { kCheckPush, kCheckReleased, kCheckPressed };
// Graph notifications (wParam).
enum GraphNotification : int {
    kGraphBand,
    kGraphHighPass,
    kGraphLowPass,
    kGraphCopy,
    kGraphPaste,
    kGraphImport,
    kGraphExport
};
// The Mic page tells its parent which microphone it shows.
enum MicSelected : int { kMicSelectedA = 26, kMicSelectedB };

// What one band editor shows, and the graph's handle of the band.
struct BandValues {
    double gain = kEditorInitial[kFieldGain];
    double freq = kEditorInitial[kFieldFreq];
    double q = kEditorInitial[kFieldQ];
    int type = kEditorInitialType;
};

// What the rules tell the page's controls. Band fields are those of the band editor (kFieldGain ..
// kFieldType); graph pass handles: 0 high-pass, 1 low-pass.
class IStripControls {
  public:
    virtual ~IStripControls() = default;
    virtual void SetBandField(int band, int field, double x) = 0;
    virtual void SetGraphBand(int band, int field, double x) = 0;
    virtual void SetGraphPassFreq(int which, double hz) = 0;
    virtual void SetGraphPassType(int code) = 0;
    virtual void SetGraphEqActive(int flag) = 0;

    // A value control's value: the position, or the level plus the toggle's 500 for a level.
    virtual void SetValue(int slot, double v) = 0;
    virtual void SetValueCaption(int slot, const std::wstring& caption) = 0;
    // A note on the control (its tooltip); empty removes it.
    virtual void SetValueNote(int slot, const std::wstring& note) = 0;
    virtual void SetComboItem(int combo, int item) = 0;
    // Notes on a combo box and on one field of a band editor, as SetValueNote.
    virtual void SetComboNote(int combo, const std::wstring& note) = 0;
    virtual void SetBandNote(int band, int field, const std::wstring& note) = 0;
    virtual void SetLabelCaption(int label, const std::wstring& caption) = 0;
    virtual void SetRowCaption(int row, const std::wstring& caption) = 0;
    virtual void SetButtonCheck(int button, int state) = 0;
    virtual void SetButtonCaption(int button, const std::wstring& caption) = 0;

    // The Mic page tells its parent which microphone it shows.
    virtual void PostMicSelected(int which) = 0;
};

class StripPage : public IMicPage {
  public:
    StripPage(int page_id, IStripControls& controls);

    // Where the page's edits go; until then they go nowhere.
    void SendEditsTo(IPageEdits& edits) { edits_ = &edits; }

    int PageId() const { return page_id_; }
    const StripDescriptor& Descriptor() const { return *descriptor_; }
    // The page's value slots, each with whether this page shows it.
    std::span<const ValueSlot> Slots() const;
    bool SlotShown(int slot) const;
    bool LabelShown(int label) const;
    bool ComboShown(int combo) const;
    bool ButtonShown(int button) const;
    std::wstring FixedButtonText(int button) const;
    // Hz of each band after RESET.
    std::span<const double> DefaultFrequencies() const;

    // Puts every control at its initial position and writes every caption; the graph and buttons too.
    void Initialise();

    int GetCodeValue(int code) override;
    void SetCodeValue(int code, int raw) override;
    void UpdateCodeText(int code) override;
    bool MicAPressed() override;
    bool MicBPressed() override;

    // Notifications of the page's controls, each with what the control shows now.
    // typed: the value was typed into the field's box rather than stepped or dragged.
    void OnBandEditor(int band, int field, double x, bool typed = false);
    void OnValueControl(int slot, double v);
    void OnGraphBand(int band, const BandValues& moved);
    void OnGraphPass(int which, double hz);
    // Copy (kGraphCopy) or paste (kGraphPaste) from the graph's menu.
    void OnGraphMenu(int kind);
    // The raw type, frequency, gain and Q (parameter order) of each band, as the page shows them.
    using BandRaws = std::array<int, layout::kEqFields>;
    std::vector<BandRaws> BandRawValues() const;
    // The table's entry where the page's edits go; 0 before they go anywhere.
    std::uint16_t Stored(std::size_t index) const { return edits_ ? edits_->Stored(index) : 0; }
    // Shows the bands (as BandRawValues gives them; missing ones stay) and sends them as one edit.
    void ImportBands(std::span<const BandRaws> bands);
    void OnCombo(int combo, int item);
    void OnButton(int button, int check);

  private:
    const ValueSlot* SlotFor(int code) const;
    const ValueSlot* SlotAt(int slot) const;
    double ValueAt(int slot) const;
    void Relabel(const ValueSlot& s);
    void SetPosition(const ValueSlot& s, double v);
    void ShowBandField(int band, int field, double x);
    void ShowGraphBand(int band, int field, double x);
    void ShowCombo(int combo, int item);
    void ShowCheck(int button, int state);
    void ShowEqActive(int flag);
    void Send(int code);
    void SendAgain(int code);
    void Reset();
    void SelectMic(bool mic_b);
    void RewriteFixedTexts();
    int BandCode(int band, layout::EqField field) const;

    int page_id_;
    StripKind kind_;
    std::vector<ValueSlot> slots_;
    const StripDescriptor* descriptor_;
    IStripControls& controls_;
    IPageEdits* edits_ = nullptr;
    // What the controls show.
    std::vector<BandValues> bands_;
    std::vector<double> values_;
    std::vector<int> combos_;
    std::vector<int> checks_;
    int eq_active_ = 1;
};

}  // namespace vela
