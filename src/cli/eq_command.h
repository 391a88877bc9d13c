// velactl eq: a strip's EQ bands from or to a parametric-EQ filter list, the text room-measurement programs
// export ("Filter 1: ON PK Fc 105 Hz Gain -3.5 dB Q 0.70").
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace vela::cli {

inline constexpr char kEqHelp[] =
    "usage: velactl [--device SPEC] eq import FILE|- --channel NAME [--bank sing|dance] [--clamp] "
    "[--dry-run] "
    "[--json]\n"
    "       velactl [--device SPEC] eq export --channel NAME [--bank sing|dance] [FILE|-]\n"
    "import puts a filter list (one \"Filter N: ON PK|LS|HS Fc F Hz Gain G dB Q Q\" a line; BW Oct, kHz and\n"
    "decimal commas too) onto the strip's EQ bands in order of frequency, sets the bands left over flat, "
    "and\n"
    "prints per band what was asked and what was set, then the largest difference between the two "
    "responses\nover 20 Hz - 20 kHz. Values are quantised to the band editor's tables; a frequency or gain "
    "outside the\nstrip's range refuses the file (exit 2) unless --clamp holds it there. The values of one "
    "import "
    "are\nwritten together and read back. --dry-run prints the report and writes nothing (no device "
    "needed).\n"
    "export writes the strip's bands in the same form (to standard output without FILE); importing that "
    "file\n"
    "gives the same values back. NAME: main, center, sub, rear, music, mica, micb, echo, reverb. --bank "
    "chooses\nthe output strips' bank (default: the active one). Exit: 0, 2 refused, 3 no device, "
    "4 device refused,\n5 unreadable or unwritable file.\n";

// What eq needs of a device on the light path; each returns an exit status, having said why on failure.
struct EqDevice {
    // Reads the values at these indexes from the device into `table` (sized to the whole table).
    std::function<int(const std::vector<std::uint16_t>& indexes, std::vector<std::uint32_t>& table)> read;
    // Writes these values together and reads them back.
    std::function<int(const std::map<std::uint16_t, std::uint16_t>& writes)> write;
};

// `args`: what follows "eq" on the command line. Returns the exit status.
int RunEq(const std::vector<std::string>& args, const EqDevice& device, std::istream& in, std::ostream& out,
          std::ostream& err);

}  // namespace vela::cli
