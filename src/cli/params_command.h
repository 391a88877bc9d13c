// Parameters on velactl's command line: by index, range or name (music.eq1.gain), values in units
// (-3dB, 1kHz, 60%) or raw words, and the listing of the catalogue (velactl params).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/parameter_catalogue.h"

namespace vela::cli {

// A whole decimal or 0x-prefixed hexadecimal number; nothing for anything else.
std::optional<long> ParseNumber(std::string_view s);

// One parameter argument: indexes (INDEX or FIRST-LAST) or a name, whose output strips' entries wait for
// the bank.
struct ParamArg {
    std::vector<std::uint16_t> indexes;
    std::string name;  // empty: by index
};

// A parameter to read or show, and whether it was asked by name (shown then with its name and unit).
struct Asked {
    std::uint16_t index = 0;
    bool by_name = false;
};

// "26", "26-29" or a name. Empty on success, else why not.
std::string ParseParamArgs(const std::vector<std::string>& args, std::vector<ParamArg>& out);
// Whether a name of an output strip is among them (its index depends on the bank).
bool NeedsBank(const std::vector<ParamArg>& args);
std::vector<Asked> Resolve(const std::vector<ParamArg>& args, catalogue::Bank bank);

// TARGET=VALUE with TARGET an index or a name. By index a plain number is a raw word; by name it is in
// the parameter's unit; a unit given converts either way. `raw`: every value is a raw word, checked only
// against 0..65535 (--raw).
struct WriteArg {
    ParamArg target;
    std::string text;
    std::uint16_t value = 0;  // the raw word, known before the bank
};
std::string ParseWriteArgs(const std::vector<std::string>& args, bool raw, std::vector<WriteArg>& out);
// The writes by index; an error for a parameter given twice or one the link keeps to itself.
std::string ResolveWrites(const std::vector<WriteArg>& args, catalogue::Bank bank,
                          std::map<std::uint16_t, std::uint16_t>& writes, std::vector<Asked>& asked);

// "60 %" for a parameter with a scale, the raw word otherwise or with --raw.
std::string ValueText(std::uint16_t index, std::uint16_t raw, bool units);
// The name to show: the catalogue's ("main.eq1.gain"), or the index.
std::string ShownName(std::uint16_t index);

// The bank word 942 selects.
catalogue::Bank BankOfMode(std::uint16_t mode_word);
inline constexpr std::uint16_t kModeWord = 942;

inline constexpr char kParamsHelp[] =
    "usage: velactl params [PATTERN] [--json]\n"
    "Lists the parameters by name: INDEX NAME [BANK] UNIT RANGE DEFAULT and what the window calls it.\n"
    "PATTERN picks names or window names that contain it, or names that match it with * and ?.\n"
    "Names are STRIP.FIELD (main center sub rear music mica micb echo reverb, mic, master, system).\n"
    "Output strips exist in the Sing and the Dance bank: get/set take the active one unless --bank.\n"
    "No device is needed.\n";

// velactl params; returns the exit status.
int RunParams(const std::vector<std::string>& args, bool json, std::ostream& out, std::ostream& err);

// A bash completion script for velactl, from its commands, options and the catalogue's names.
std::string BashCompletion(const std::vector<std::string>& commands, const std::vector<std::string>& options);

}  // namespace vela::cli
