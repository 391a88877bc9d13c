// Which page control stands for which of the 947 parameters. The parameter map (both directions) and
// the parameter names are both read from these tables, so they cannot disagree.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vela::layout {

// Page ids: the page of an edit.
enum PageId : int {
    kNoPage = -1,
    kMainPage = 0,
    kCenterPage = 1,
    kSubPage = 2,
    kMusicPage = 3,
    kMicPage = 4,
    kEchoPage = 5,
    kReverbPage = 6,
    kSystemPage = 7,
    kRearPage = 9,
    // Controls of the main window itself, as pseudo pages of the tables below (code = fader number).
    kMasterFaders = 100,
    kMusicSourceSelector = 101,
    kModeButtons = 102,
};

// The System page's maximum for each master fader's channel: Music Max, Mic Max, MicB Max, Effect Max.
inline constexpr std::array<std::uint16_t, 4> kMasterMaxLevelParameters{920, 916, 918, 922};

// ---- EQ bands: four consecutive parameters [type, frequency, gain, Q] ----

enum class EqField : int { kType = 0, kFrequency = 1, kGain = 2, kQ = 3 };
inline constexpr int kEqFields = 4;

// Output and effect pages report band b as b, 10+b, 20+b (Q), 30+b (gain); input pages as b, 15+b,
// 30+b (Q), 45+b (gain).
enum class EqCodes { kOutput, kInput };

int EqCode(EqCodes codes, int band, EqField field);
struct EqBandField {
    int band;
    EqField field;
};
// The band and field a code stands for, when it is a band code of a page with band_count bands.
std::optional<EqBandField> EqFieldForCode(EqCodes codes, int band_count, int code);

// ---- Output strips ----

inline constexpr std::uint16_t kSingBankFirst = 314;
inline constexpr std::uint16_t kBankSize = 208;
inline constexpr std::uint16_t kDanceBankFirst = kSingBankFirst + kBankSize;
inline constexpr std::uint16_t kBanksEnd = kDanceBankFirst + kBankSize;
inline constexpr int kOutputBands = 7;

enum class Strip : int { kMain = 0, kCenter = 1, kSub = 2, kRear = 3 };
inline constexpr int kStripCount = 4;

struct StripRow {
    int offset;
    int code;
    std::string_view name;
    bool sub_only;  // mapped for the Sub strip alone
};

struct StripLayout {
    int page_id;
    std::string_view name;
    std::uint16_t sing_base;
    int slot_size;
    int eq_offset;
    std::span<const StripRow> rows;
};

const std::array<StripLayout, kStripCount>& Strips();
// The strip shown by an output page id, if the page is one.
std::optional<Strip> StripForPage(int page_id);
// First index of the strip in a bank.
std::uint16_t StripBase(Strip strip, bool dance_bank);
// Parameter index of a non-EQ code of an output page, when the strip maps it.
std::optional<std::uint16_t> StripIndexForCode(Strip strip, bool dance_bank, int code);
// Parameter index of band b, field f of a strip.
std::uint16_t StripEqIndex(Strip strip, bool dance_bank, int band, EqField field);

// What an index of the two banks is: which strip and bank, and the code it feeds (EQ or not).
struct StripSlot {
    Strip strip;
    bool dance_bank;
    int code;  // output-page control code
};
std::optional<StripSlot> StripSlotForIndex(std::size_t index);

// ---- Input and effect EQ blocks ----

struct EqBlock {
    int page_id;
    std::string_view name;
    std::uint16_t first;
    int bands;
    EqCodes codes;
};
inline constexpr EqBlock kMusicEq{kMusicPage, "Music", 254, 15, EqCodes::kInput};
inline constexpr EqBlock kMicAEq{kMicPage, "MIC A", 53, 15, EqCodes::kInput};
inline constexpr EqBlock kMicBEq{kMicPage, "MIC B", 113, 15, EqCodes::kInput};
inline constexpr EqBlock kEchoEq{kEchoPage, "Echo", 204, 5, EqCodes::kOutput};
inline constexpr EqBlock kReverbEq{kReverbPage, "Reverb", 224, 5, EqCodes::kOutput};

inline std::uint16_t EqBlockIndex(const EqBlock& block, int band, EqField field) {
    return static_cast<std::uint16_t>(block.first + kEqFields * band + static_cast<int>(field));
}
inline bool InEqBlock(const EqBlock& block, std::size_t index) {
    return index >= block.first && index < static_cast<std::size_t>(block.first + kEqFields * block.bands);
}

// ---- Mic page codes whose parameter depends on the MIC A / MIC B buttons ----

struct MicTargetRow {
    int code;
    std::uint16_t mic_a;
    std::uint16_t mic_b;
    std::string_view name;
};
std::span<const MicTargetRow> MicTargetRows();

// ---- Every other mapped index ----

struct CodeRef {
    int page = kNoPage;
    int code = 0;
    bool operator==(const CodeRef&) const = default;
};

struct IndexRow {
    std::uint16_t index;
    std::string_view name;
    CodeRef writer;                  // the control whose change writes it (none: the System page or the link)
    std::array<CodeRef, 2> refresh;  // what a received value updates
};
std::span<const IndexRow> IndexRows();
const IndexRow* RowForIndex(std::size_t index);

// Echo L pre-delay: writing it also copies its value into the R pre-delay.
inline constexpr int kEchoLeftPreDelayCode = 47;
inline constexpr std::uint16_t kEchoLeftPreDelay = 177;
inline constexpr std::uint16_t kEchoRightPreDelay = 178;

// ---- Names ----

// A name for a person: "Main (Sing) EQ band 3 gain" (bands count from 1), "Echo L pre-delay",
// "reserved" for indexes that no control gives a meaning; empty for an index outside the table.
std::string ParameterName(std::size_t index);

}  // namespace vela::layout
