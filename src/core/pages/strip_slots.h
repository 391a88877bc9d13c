// The strip pages' fixed facts (which value slot stands for which code on which page kind) and the
// arithmetic of one slot: how the place of its control becomes the device's value and a caption and back.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "core/model/parameter_layout.h"
#include "core/text/strings.h"

namespace vela {

enum class StripKind { kInput, kOutput, kEffect };

// Page-id bits of the pages that show a thing.
namespace page_bits {
constexpr unsigned Page(int id) {
    return 1u << id;
}
inline constexpr unsigned kMusic = Page(layout::kMusicPage);
inline constexpr unsigned kMic = Page(layout::kMicPage);
inline constexpr unsigned kInputs = kMusic | kMic;
inline constexpr unsigned kStereo = Page(layout::kMainPage) | Page(layout::kRearPage);
inline constexpr unsigned kMono = Page(layout::kCenterPage) | Page(layout::kSubPage);
inline constexpr unsigned kOutputs = kStereo | kMono;
inline constexpr unsigned kEcho = Page(layout::kEchoPage);
inline constexpr unsigned kReverb = Page(layout::kReverbPage);
inline constexpr unsigned kEffects = kEcho | kReverb;
}  // namespace page_bits

// How a value control's position becomes a raw value and a caption.
enum class SlotKind {
    kLevel,      // level with its toggle; raw = the control's value (toggle included)
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
// Every value slot of a page kind; exists_on says which of its pages have one.
std::span<const ValueSlot> SlotsOf(StripKind kind);
// Whether a mask of page-id bits holds the page.
bool HasPage(unsigned mask, int page_id);
// Hz of each band after RESET.
std::span<const double> DefaultFrequenciesFor(int page_id);

// The device's value of a slot whose control stands at v.
int SlotRaw(const ValueSlot& s, double v);
// Where the control of a slot stands for raw, held to its range; nothing where raw has no place.
std::optional<double> SlotPlace(const ValueSlot& s, int raw);
// v held to the slot's range (a level keeps its toggle); the lower end for no number.
double SlotHeld(const ValueSlot& s, double v);
// The control's caption at v.
std::wstring SlotCaption(const ValueSlot& s, double v);

// Filter slots move a pass handle of the graph: 0 high-pass, 1 low-pass, -1 none.
int PassHandleOf(const ValueSlot& s);
// Where the graph's pass handle stands for the slot's control at v, and for the device's value raw.
double PassHzAt(const ValueSlot& s, double v);
double PassHzFor(const ValueSlot& s, int raw);

}  // namespace vela
