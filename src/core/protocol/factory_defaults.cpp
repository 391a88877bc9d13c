// Factory defaults of the 947 parameters, as data. Encodings: levels with a switch are percent plus
// 500 while switched on; master levels 500 + level; frequencies are frequency codes (Hz from 100 Hz,
// else 32768 + 10 x Hz; 32768 alone is a high-pass that is off, 20600 a low-pass that is off); EQ gain
// 500 + 10 x dB; Q 100 x Q; delays in tenths of a millisecond; threshold dBu + 100.
#include "core/protocol/factory_defaults.h"

#include <span>

namespace vela {

namespace {

using Table = std::array<std::uint16_t, kParameterCount>;

constexpr std::uint16_t kHpfOff = 32768;
constexpr std::uint16_t kLpfOff = 20600;
constexpr std::uint16_t kPeaking = 7;
constexpr std::uint16_t kGain0dB = 500;
constexpr std::uint16_t kQ1 = 100;
constexpr std::uint16_t kSwitchOn = 500;
constexpr std::uint16_t kHpfSlope = 20;  // Butterworth 24 dB
constexpr std::uint16_t kLpfSlope = 21;
constexpr std::uint16_t kButterworthQ = 71;

// Compressor at rest: ratio 1.0 (no gain reduction), attack 8 ms, release 8 x attack, threshold 0 dBu.
constexpr std::uint16_t kRatio = 10;
constexpr std::uint16_t kAttack = 80;
constexpr std::uint16_t kRelease = 8;
constexpr std::uint16_t kThreshold = 100;

constexpr std::uint16_t FreqCode(double hz) {
    return hz < 100 ? static_cast<std::uint16_t>(32768 + static_cast<int>(hz * 10 + 0.5))
                    : static_cast<std::uint16_t>(hz);
}

// Single rows: index, value.
struct Row {
    std::uint16_t index;
    std::uint16_t value;
};

// Rows whose values the link or the device fixes.
constexpr Row kDeviceRows[] = {
    {0, 32},  // not the device id, so the first identification always waits for the device
    {4, 296},
    {5, 1000},
    {6, 0x0601},
};

// Master, microphone, input and effect parameters (the strips and EQ blocks follow below).
constexpr Row kChannelRows[] = {
    {25, 500 + 70},  // Mic master level
    {26, 500 + 60},  // MIC VOL A
    {27, 500 + 60},  // MIC VOL B
    {28, 500 + 70},  // Music master level
    {29, 500 + 70},  // Effect master level
    {30, 0},         // MIC FBX off
    {31, kRatio},    // Mic compressor
    {32, kAttack},
    {33, kRelease},
    {34, kThreshold},
    {35, 1},          // MIC A EQ in effect
    {36, 1},          // MIC B EQ in effect
    {37, kHpfSlope},  // MIC A high-pass
    {38, kHpfOff},
    {41, kLpfSlope},  // MIC A low-pass
    {42, kLpfOff},
    {45, kHpfSlope},  // MIC B high-pass
    {46, kHpfOff},
    {49, kLpfSlope},  // MIC B low-pass
    {50, kLpfOff},
    {173, kSwitchOn + 100},  // Echo: direct level
    {174, kSwitchOn + 60},   // Echo level
    {175, kSwitchOn + 100},  // Reverb: direct level
    {176, kSwitchOn + 50},   // Reverb level
    {177, 0},                // Echo L pre-delay
    {178, 0},                // Echo R pre-delay
    {179, 1500},             // Echo A delay 150 ms
    {180, 1800},             // Echo B delay 180 ms
    {181, 40},               // Echo A repeat %
    {182, 40},               // Echo B repeat %
    {183, 0},                // Echo R delay
    {184, 200},              // Reverb pre-delay 20 ms
    {185, 1500},             // Reverb time 1.5 s (reverb table entry 24)
    {186, 1},                // Echo EQ in effect
    {187, 1},                // Reverb EQ in effect
    {188, kHpfSlope},
    {189, FreqCode(101)},  // effects keep rumble out of the tails
    {192, kLpfSlope},
    {193, 10100},
    {196, kHpfSlope},
    {197, FreqCode(101)},
    {200, kLpfSlope},
    {201, 10100},
    {244, 10},  // key shift: none
    {245, 1},   // Music EQ in effect
    {246, kHpfSlope},
    {247, kHpfOff},
    {250, kLpfSlope},
    {251, kLpfOff},
};

// Device-wide settings (System page).
constexpr Row kSystemRows[] = {
    {916, 84}, {917, 30},  // Mic max, power-on
    {918, 84}, {919, 30},  // MIC B max, power-on
    {920, 84}, {921, 30},  // Music max, power-on
    {922, 84}, {923, 30},  // Effect max, power-on
    {925, 2},              // music source VOD
    {926, 0},              // Mic noise gate off
    {927, 0},  {928, 0},   // keypad password 0000
    {929, 0},              // keypad password disabled
    {930, 0},  {931, 0},   // system password 000000
    {933, 1},              // current scene
    {934, 0},  {935, 0},   // not occupied
    {940, 0},              // power-on input: the source in use at power-off
    {941, 1},              // Mic noise gate threshold (gate table position 1)
    {942, 0},              // Hand mode, Sing bank
    {943, 1},              // Music noise gate threshold
    {944, 0},              // Music noise gate off
};

// EQ blocks: four parameters per band [type, frequency, gain, Q], all bands peaking at 0 dB, Q 1.00.
// The Music block's first band holds 198 Hz, the value the device ships with; the rest follow the
// pages' RESET frequencies.
constexpr double kInputBandsHz[] = {40,   63,   100,  160,  250,   400,   630,  1000,
                                    1600, 2500, 4000, 6300, 10000, 14000, 16000};
constexpr double kOutputBandsHz[] = {101, 250, 400, 1000, 2520, 4000, 10100};
constexpr double kSubBandsHz[] = {25, 50, 100, 200, 400, 600, 1000};
constexpr double kEffectBandsHz[] = {101, 400, 1000, 4000, 10100};

constexpr void FillEq(Table& t, std::uint16_t first, std::span<const double> bands) {
    for (std::size_t b = 0; b < bands.size(); ++b) {
        const std::size_t i = first + 4 * b;
        t[i] = kPeaking;
        t[i + 1] = FreqCode(bands[b]);
        t[i + 2] = kGain0dB;
        t[i + 3] = kQ1;
    }
}

// Output strips: offsets of the two strip layouts, Sing bank bases; the Dance bank is 208 higher.
enum class Strip { kStereo, kMono };
struct StripSlot {
    std::uint16_t base;
    Strip kind;
    bool is_sub;
};
constexpr StripSlot kStrips[] = {
    {314, Strip::kStereo, false},  // Main
    {367, Strip::kMono, false},    // Center
    {418, Strip::kMono, true},     // Sub
    {469, Strip::kStereo, false},  // Rear
};
constexpr std::uint16_t kDanceBankOffset = 208;

constexpr void FillStrip(Table& t, const StripSlot& s, std::uint16_t base) {
    t[base + 0] = kSwitchOn + 100;  // Music Vol
    t[base + 1] = kSwitchOn + 100;  // Dir Vol
    t[base + 2] = kSwitchOn + 80;   // Echo Vol
    t[base + 3] = kSwitchOn + 80;   // Reverb Vol
    t[base + 4] = kRatio;
    t[base + 5] = kAttack;
    t[base + 6] = kRelease;
    t[base + 7] = kThreshold;
    if (s.kind == Strip::kStereo) {
        t[base + 8] = 0;   // Left delay
        t[base + 9] = 0;   // Right delay
        t[base + 10] = 0;  // Left mute off
        t[base + 11] = 0;  // Right mute off
        t[base + 12] = 1;  // EQ in effect
        t[base + 13] = kHpfSlope;
        t[base + 14] = kHpfOff;
        t[base + 17] = kLpfSlope;
        t[base + 18] = kLpfOff;
        FillEq(t, static_cast<std::uint16_t>(base + 21), kOutputBandsHz);
    } else {
        t[base + 8] = 0;   // Delay
        t[base + 9] = 0;   // Mute off
        t[base + 10] = 1;  // EQ in effect
        t[base + 11] = kHpfSlope;
        t[base + 12] = kHpfOff;
        t[base + 14] = kButterworthQ;  // HPF Q (used by the Sub strip)
        t[base + 15] = kLpfSlope;
        t[base + 16] = kLpfOff;
        t[base + 18] = kButterworthQ;  // LPF Q
        FillEq(t, static_cast<std::uint16_t>(base + 19),
               s.is_sub ? std::span<const double>(kSubBandsHz) : std::span<const double>(kOutputBandsHz));
    }
}

constexpr Table Build() {
    Table t{};
    FillEq(t, 53, kInputBandsHz);    // MIC A
    FillEq(t, 113, kInputBandsHz);   // MIC B
    FillEq(t, 204, kEffectBandsHz);  // Echo
    FillEq(t, 224, kEffectBandsHz);  // Reverb
    FillEq(t, 254, kInputBandsHz);   // Music
    t[255] = 198;
    for (const auto& s : kStrips) {
        FillStrip(t, s, s.base);
        FillStrip(t, s, static_cast<std::uint16_t>(s.base + kDanceBankOffset));
    }
    for (const auto& r : kChannelRows)
        t[r.index] = r.value;
    for (const auto& r : kSystemRows)
        t[r.index] = r.value;
    for (const auto& r : kDeviceRows)
        t[r.index] = r.value;
    return t;
}

constexpr Table kDefaults = Build();

}  // namespace

const std::array<std::uint16_t, kParameterCount>& FactoryDefaults() {
    return kDefaults;
}

}  // namespace vela
