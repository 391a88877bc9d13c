// velactl curve: a channel's combined frequency response, from a scene file or from the device, as CSV
// (hz,db) or JSON, at the response graph's axis frequencies.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace vela::cli {

inline constexpr char kCurveHelp[] =
    "usage: velactl curve FILE --channel NAME [--bank sing|dance] [--points N] [--json]\n"
    "       velactl [--device SPEC] curve --channel NAME [--bank sing|dance] [--points N] [--json]\n"
    "Prints the combined response of a channel's high-pass, low-pass and EQ bands (bypassed while its EQ "
    "is passed),\nas CSV with the header hz,db, at the graph's axis frequencies "
    "f(i) = 19 x 10^(i x log10(20600/19) / N), i = 0..N-1.\n"
    "FILE is a scene file, read offline; without FILE (or with --live) the values come from the device.\n"
    "NAME: main, center, sub, rear, music, mica, micb, echo, reverb. --bank chooses the output strips' "
    "bank\n(default: the one the setting selects). N: 1..65536, default 512. Band gains are the stored "
    "tenths of a dB.\n";

// Reads the device's whole table into `table`; returns an exit status (0 when it did).
using DeviceTableReader = std::function<int(std::vector<std::uint32_t>& table)>;

// `args`: what follows "curve" on the command line. Returns the exit status.
int RunCurve(const std::vector<std::string>& args, const DeviceTableReader& read_device, std::ostream& out,
             std::ostream& err);

}  // namespace vela::cli
