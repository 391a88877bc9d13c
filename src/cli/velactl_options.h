// velactl's command line: its options (before or after the command), the commands' help texts, and
// which option serves which command.
#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace vela::cli {

struct Options {
    std::string device;  // empty: the environment's or the configuration's
    std::string token_file;
    double timeout_s = 10;
    bool yes = false;
    bool help = false;
    bool names = false;
    bool json = false;
    bool quiet = false;
    bool version = false;
    bool keep_going = false;
    bool verbose = false;
    std::string log_file;
    bool raw = false;
    std::optional<std::string> bank;
    std::optional<double> wait_s;
    std::optional<double> watch_for;
    std::string lang = "en";
    std::string command;
    std::vector<std::string> args;
};

extern const char kUsage[];
// Every command by name, with its help text.
const std::map<std::string, std::string>& CommandHelp();
// Every option's name, sorted, for the completion script.
std::vector<std::string> OptionNames();

// Parses the whole command line into `options`. Returns an exit status when the line is done with
// (--version, --help without a command, a usage error: the text is printed), nothing when the command
// is to run.
std::optional<int> ParseOptions(const std::vector<std::string>& args, Options& options, std::ostream& out,
                                std::ostream& err);

// Prints a usage error and returns its exit status.
int UsageError(std::ostream& err, const std::string& message);

// A number of seconds above 0 (at most a year), or nothing.
std::optional<double> ParseSeconds(const std::string& s);
// diff's arguments: scene files, then parameters.
bool LooksLikeFile(const std::string& arg);

}  // namespace vela::cli
