// velactl: command-line control of a processor.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace vela::cli {

// Runs one command line (without the program name); returns the exit status. `in` is what "-" reads.
int RunVelactl(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);
int RunVelactl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// The same without clearing an interrupt: for command lines run side by side (rooms).
int RunCommandLine(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err);

// Called by a signal handler: the running command stops at its next wait and exits with 130.
void RequestInterrupt();

}  // namespace vela::cli
