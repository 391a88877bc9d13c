// velactl: command-line control of a processor.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vela::cli {

// Runs one command line (without the program name); returns the exit status.
int RunVelactl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Set by a signal handler to end `watch`.
void RequestInterrupt();

}  // namespace vela::cli
