// The code-to-control rules of the strip pages (Music and Mic, the four outputs, Echo and Reverb): which
// code moves which control to which position, the raw values they report, their captions, and what the
// pages do on their controls' notifications. The Win32 pages only create, lay out and paint the controls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/model/parameter_layout.h"
#include "core/model/parameter_map.h"
#include "core/text/strings.h"

namespace vela {

enum class StripKind { kInput, kOutput, kEffect };

// How a value control's position becomes a raw value and a caption.
enum class SlotKind {
    kLevel,      // level with its toggle; raw = GetValue (toggle included)
    kThreshold,  // positions 0..34
    kAttack,     // positions into the compressor tables
    kRelease,
    kRatio,
    kHighPass,      // full frequency scale, 0 = off
    kLowPass,       // full frequency scale, never off
    kLowPassShort,  // the input pages' short scale, top = off
    kDelay,         // ms, with a distance label
    kMicVolume,     // held: 0..84
    kKeyShift,      // held: 0..20
    kEchoLeftPre,
    kEchoRightPre,
    kEchoRightDelay,
    kEchoTapDelay,
    kEchoTapRepeat,
    kReverbPre,
    kReverbTime,
};

struct ValueSlot {
    int slot;
    int code;
    SlotKind kind;
    double lower;
    double upper;
    double initial = 0.0;
    double fine_threshold = 0.0;       // below it 0.1 steps
    str::Id caption = str::kMusicVol;  // levels and microphone volumes
    wchar_t tap = L'A';                // echo taps
    int distance_label = -1;           // delays: the label that shows the distance
    unsigned shown_on = 0;             // page-id bits of the pages that show the slot; 0 held
    unsigned exists_on = ~0u;          // page-id bits of the pages that have this entry
};

// The fixed layout facts of one page kind; a slot's code is shown on a page when its mask has the page.
struct StripDescriptor {
    StripKind kind;
    int band_count;
    layout::EqCodes band_codes;
    int eq_pass_code;
    int high_pass_slope_code;
    int low_pass_slope_code;
    int fixed_text_code;  // UpdateCodeText of it rewrites every fixed text
    int value_slots;      // slots of the class, shown or not
    int label_slots;
    int button_slots;
    int combo_slots;
    int high_pass_label;
    int low_pass_label;
    // The graph's handle ranges and menu.
    double high_pass_low;
    double high_pass_high;
    double low_pass_low;
    double low_pass_high;
    bool copy_paste;
};

const StripDescriptor& DescriptorFor(StripKind kind);
StripKind StripKindFor(int page_id);

// Slot and control numbers shared by the three page kinds.
inline constexpr int kResetButton = 3;
inline constexpr int kEqPassButton = 4;
inline constexpr int kMicAButton = 5;
inline constexpr int kMicBButton = 6;
inline constexpr int kHighPassCombo = 0;
inline constexpr int kLowPassCombo = 1;
inline constexpr int kFbxCombo = 2;
inline constexpr int kFbxLabel = 5;
inline constexpr int kFbxItems = 4;
inline constexpr int kRowCaptions = 4;
// Button check states, as the image button keeps them.
inline constexpr int kCheckPush = 0;
inline constexpr int kCheckReleased = 1;
inline constexpr int kCheckPressed = 2;
// Graph notifications (wParam).
inline constexpr int kGraphBand = 0;
inline constexpr int kGraphHighPass = 1;
inline constexpr int kGraphLowPass = 2;
inline constexpr int kGraphCopy = 3;
inline constexpr int kGraphPaste = 4;
// The Mic page tells its parent which microphone it shows.
inline constexpr int kMicSelectedA = 26;
inline constexpr int kMicSelectedB = 27;

// What the rules need of the page's controls. Band fields are those of the band editor: 0 gain (dB),
// 1 frequency (Hz), 2 Q, 3 type. Graph pass handles: 0 high-pass, 1 low-pass.
class IStripControls {
  public:
    virtual ~IStripControls() = default;
    virtual double BandField(int band, int field) = 0;
    virtual void SetBandField(int band, int field, double x) = 0;

    virtual int GraphBandType(int band) = 0;
    virtual double GraphBandFreq(int band) = 0;
    virtual double GraphBandQ(int band) = 0;
    virtual double GraphBandGain(int band) = 0;
    virtual void SetGraphBandType(int band, int type) = 0;
    virtual void SetGraphBandFreq(int band, double hz) = 0;
    virtual void SetGraphBandQ(int band, double q) = 0;
    virtual void SetGraphBandGain(int band, double db) = 0;
    virtual double GraphPassFreq(int which) = 0;
    virtual void SetGraphPassFreq(int which, double hz) = 0;
    virtual void SetGraphPassType(int code) = 0;
    virtual int GraphEqActive() = 0;
    virtual void SetGraphEqActive(int flag) = 0;

    // A value control's value: the position, or the level plus the toggle's 500 for a level.
    virtual double Value(int slot) = 0;
    virtual void SetValue(int slot, double v) = 0;
    virtual void SetValueCaption(int slot, const std::wstring& caption) = 0;
    // A note on the control (its tooltip); empty removes it.
    virtual void SetValueNote(int slot, const std::wstring& note) = 0;
    virtual int ComboItem(int combo) = 0;
    virtual void SetComboItem(int combo, int item) = 0;
    virtual void SetLabelCaption(int label, const std::wstring& caption) = 0;
    virtual void SetRowCaption(int row, const std::wstring& caption) = 0;
    virtual int ButtonCheck(int button) = 0;
    virtual void SetButtonCheck(int button, int state) = 0;
    virtual void SetButtonCaption(int button, const std::wstring& caption) = 0;

    // UM_PAGE_CONTROL to the main window, synchronously.
    virtual void SendCode(int code) = 0;
    // The Mic page: the parameter table's entry, and the note to the parent that a microphone was chosen.
    virtual std::uint16_t ReadParameter(std::size_t index) = 0;
    virtual void PostMicSelected(int which) = 0;
};

class StripPage : public IMicPage {
  public:
    StripPage(int page_id, IStripControls& controls);

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

    // Notifications of the page's controls.
    void OnBandEditor(int band, int field);
    void OnValueControl(int slot);
    void OnGraph(int kind, int band);
    void OnCombo(int combo);
    void OnButton(int button);

  private:
    const ValueSlot* SlotFor(int code) const;
    const ValueSlot* SlotAt(int slot) const;
    int RawOf(const ValueSlot& s);
    void Place(const ValueSlot& s, int raw);
    void Relabel(const ValueSlot& s);
    void SetPosition(const ValueSlot& s, double v);
    void Reset();
    void SelectMic(bool mic_b);
    void RewriteFixedTexts();
    int BandCode(int band, layout::EqField field) const;

    int page_id_;
    StripKind kind_;
    std::vector<ValueSlot> slots_;
    const StripDescriptor* descriptor_;
    IStripControls& controls_;
};

}  // namespace vela
