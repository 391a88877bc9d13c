// velactl rooms: one light command on every room of a rooms file at once, each room's answer on its own
// line in the file's order.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vela::cli {

inline constexpr char kRoomsHelp[] =
    "usage: velactl rooms FILE get PARAM... | set PARAM=VALUE... | status | scene call N | batch BATCHFILE\n"
    "                          | eq import EQFILE --channel NAME | eq export --channel NAME\n"
    "                          [--json] [--timeout SEC] [--raw] [--bank sing|dance]\n"
    "Runs the command on every room of FILE (one room a line: NAME DEVICE [TOKEN-FILE], # comments), at\n"
    "most 8 at once. Prints one line per room in the file's order, NAME: and its values, ok or the reason\n"
    "(with --json one object per room). A room that does not answer is reported after --timeout\n"
    "(default 10 s) and holds up no other. The exit status is the worst room's.\n";

inline constexpr std::size_t kRoomsAtOnce = 8;

// `args`: what follows "rooms". Returns the exit status.
int RunRooms(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vela::cli
