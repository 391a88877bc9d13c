// Every parameter by a name a technician can type ("music.eq1.gain"), with its unit, the range its
// control in the window allows and its factory default. Built from the parameter layout (which control
// writes which index) and the value scales (what a control's raw word means), so it cannot drift from
// what the window does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vela::catalogue {

// How a raw word is read: the value scale of the control that writes it.
enum class Kind {
    kWord,  // no control gives it a meaning: any 16-bit word
    kEqType,
    kEqFrequency,
    kEqGain,
    kQ,
    kHighPass,       // full frequency scale, 32768 = off
    kLowPass,        // full frequency scale, never off
    kLowPassShort,   // the input pages' short scale, 20600 Hz = off
    kHighPassSlope,  // slope codes
    kLowPassSlope,
    kLevel,        // percent, plus 500 while the control's switch is on
    kMaster,       // 500 + percent
    kMicVolume,    // 500 + percent, 0..84
    kSystemLevel,  // percent, 0..84
    kDelay,        // tenths of a millisecond up to `upper` ms
    kThreshold,
    kAttack,
    kRelease,
    kRatio,
    kReverbTime,
    kRepeat,  // percent up to `upper`
    kSwitch,  // 0 off, 1 on
    kEqPass,  // 1 the EQ is in effect, 0 passed
    kFbx,
    kKeyShift,
    kMusicSource,
    kPowerOnInput,
    kMode,
    kGate,
};

enum class Bank { kNone, kSing, kDance };

struct Parameter {
    std::uint16_t index = 0;
    std::string name;  // empty: a word no control gives a meaning
    Bank bank = Bank::kNone;
    Kind kind = Kind::kWord;
    double upper = 0;      // delays and repeats: the control's top in ms or percent
    bool writable = true;  // false: the link's own words, the identity and the current scene
};

// One entry per index, 0..946 in order.
std::span<const Parameter> All();
const Parameter& At(std::size_t index);
// The entries that carry a name: one, or the Sing and Dance entries of an output strip's parameter.
std::vector<const Parameter*> Named(std::string_view name);
// Every distinct name, in index order.
std::vector<std::string> Names();

std::string_view BankName(Bank bank);
// "dB", "Hz", "%", "ms", "dBu", ...; empty for words and choices.
std::string UnitOf(const Parameter& p);
// What may be given, in the parameter's own terms: "-24.0..12.0 dB", "off, 19.7..20600 Hz", "on|off".
std::string RangeText(const Parameter& p);
// A raw word as the window shows it: "-3.0 dB", "1000 Hz", "60 %", "off", "bessel12".
std::string Format(const Parameter& p, std::uint16_t raw);
// Whether the parameter's control can produce the word.
bool RawAllowed(const Parameter& p, std::uint16_t raw);

// A value in the parameter's terms, with or without its unit ("-3dB", "-3", "1kHz", "60%", "2.5m" for a
// delay as distance, "off", "bessel24"), converted through the window's scales. Either the raw word or
// why not (outside the range: the range is named).
struct Parsed {
    std::optional<std::uint16_t> raw;
    std::string error;
};
Parsed Parse(const Parameter& p, std::string_view text);

}  // namespace vela::catalogue
