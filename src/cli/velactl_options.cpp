#include "cli/velactl_options.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "cli/session.h"
#include "core/diag/version.h"

namespace vela::cli {

namespace {

// Options that take a value, those that do not, and the commands each command-bound option serves.
const std::set<std::string> kValueOptions = {"--device", "--timeout", "--lang", "--for",
                                             "--bank",   "--wait",    "--log",  "--token-file"};
const std::set<std::string> kFlagOptions = {"--yes",     "--help",       "--names", "--json",   "--quiet",
                                            "--version", "--keep-going", "--raw",   "--verbose"};
// curve parses these itself: with a value, and without.
const std::set<std::string> kCurveValueOptions = {"--channel", "--bank", "--points"};
const std::set<std::string> kCurveFlagOptions = {"--json", "--live"};
const std::set<std::string> kEqFlagOptions = {"--json", "--clamp", "--dry-run"};
const std::map<std::string, std::set<std::string>> kCommandOptions = {
    {"--names", {"dump"}},
    {"--json",
     {"dump", "status", "get", "scene", "wifi", "inspect", "list", "diff", "batch", "params", "set",
      "watch"}},
    {"--for", {"watch"}},
    {"--keep-going", {"batch"}},
    {"--raw", {"get", "set", "batch", "watch", "diff"}},
    {"--bank", {"get", "set", "batch", "watch"}}};

void SetFlag(const std::string& name, Options& o) {
    bool* const flag = name == "--yes"          ? &o.yes
                       : name == "--help"       ? &o.help
                       : name == "--names"      ? &o.names
                       : name == "--quiet"      ? &o.quiet
                       : name == "--version"    ? &o.version
                       : name == "--keep-going" ? &o.keep_going
                       : name == "--verbose"    ? &o.verbose
                       : name == "--raw"        ? &o.raw
                                                : &o.json;
    *flag = true;
}

// An option's value; empty on success, else the usage error.
std::string SetValue(const std::string& name, const std::string& value, Options& o) {
    if (name == "--device") {
        o.device = value;
    } else if (name == "--lang") {
        o.lang = value;
    } else if (name == "--log") {
        o.log_file = value;
    } else if (name == "--token-file") {
        o.token_file = value;
    } else if (name == "--timeout") {
        const auto seconds = ParseSeconds(value);
        if (!seconds)
            return "--timeout needs a number of seconds above 0: " + value;
        o.timeout_s = *seconds;
    } else if (name == "--bank") {
        if (value != "sing" && value != "dance")
            return "--bank takes sing or dance, not " + value;
        o.bank = value;
    } else if (name == "--wait") {
        o.wait_s = ParseSeconds(value);
        if (!o.wait_s)
            return "--wait needs a number of seconds above 0: " + value;
    } else {
        o.watch_for = ParseSeconds(value);
        if (!o.watch_for)
            return "--for needs a number of seconds above 0: " + value;
    }
    return {};
}

// An option given to a command it does not serve; empty when none is.
std::string MisplacedOption(const Options& o) {
    for (const auto& [option, commands] : kCommandOptions) {
        const bool given = option == "--names"        ? o.names
                           : option == "--json"       ? o.json
                           : option == "--keep-going" ? o.keep_going
                           : option == "--raw"        ? o.raw
                           : option == "--bank"       ? o.bank.has_value()
                                                      : o.watch_for.has_value();
        if (given && !commands.count(o.command)) {
            std::string list;
            for (const auto& c : commands)
                list += (list.empty() ? "" : ", ") + c;
            return option + " belongs to " + list + ", not to " + o.command;
        }
    }
    return {};
}

struct Scan {
    std::vector<std::string> positional;
    std::string swallowed_command;  // a command taken as an option's value: "--device status"
};

// One parser for every option, before or after the command; "--" ends the options. Empty on success,
// else the usage error.
std::string ScanArguments(const std::vector<std::string>& args, Options& o, Scan& scan) {
    bool options_end = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options_end || a.size() < 2 || a[0] != '-' || std::isdigit(static_cast<unsigned char>(a[1]))) {
            scan.positional.push_back(a);
            continue;
        }
        if (a == "--") {
            options_end = true;
            continue;
        }
        std::string name = a == "-h"   ? "--help"
                           : a == "-y" ? "--yes"
                           : a == "-q" ? "--quiet"
                           : a == "-v" ? "--verbose"
                                       : a;
        std::optional<std::string> value;
        if (const auto eq = name.find('='); eq != std::string::npos && name.rfind("--", 0) == 0) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        const bool curve_value = kCurveValueOptions.count(name) != 0;
        // curve and eq parse their own options.
        const bool eq = !scan.positional.empty() && scan.positional.front() == "eq";
        if (!scan.positional.empty() && (scan.positional.front() == "curve" || eq) &&
            (curve_value || kCurveFlagOptions.count(name) || (eq && kEqFlagOptions.count(name)))) {
            scan.positional.push_back(a);
            if (curve_value && !value && i + 1 < args.size())
                scan.positional.push_back(args[++i]);
            continue;
        }
        if (kFlagOptions.count(name)) {
            if (value)
                return name + " takes no value";
            SetFlag(name, o);
            continue;
        }
        if (!kValueOptions.count(name))
            return "unknown option " + a;
        if (!value) {
            if (i + 1 >= args.size())
                return name + " needs a value";
            value = args[++i];
            if (CommandHelp().count(*value))
                scan.swallowed_command = name;
        }
        if (std::string error = SetValue(name, *value, o); !error.empty())
            return error;
    }
    return {};
}

}  // namespace

int UsageError(std::ostream& err, const std::string& message) {
    err << "velactl: " << message << " (see velactl --help)" << std::endl;
    return kExitUsage;
}

std::vector<std::string> OptionNames() {
    std::vector<std::string> options;
    for (const auto* set : {&kValueOptions, &kFlagOptions})
        options.insert(options.end(), set->begin(), set->end());
    std::sort(options.begin(), options.end());
    return options;
}

std::optional<int> ParseOptions(const std::vector<std::string>& args, Options& o, std::ostream& out,
                                std::ostream& err) {
    Scan scan;
    if (const std::string error = ScanArguments(args, o, scan); !error.empty())
        return UsageError(err, error);
    if (o.version) {
        out << "velactl " << VELA_VERSION << "\n";
        return kExitOk;
    }
    if (scan.positional.empty()) {
        if (!scan.swallowed_command.empty())
            return UsageError(err, scan.swallowed_command + " needs a value");
        (o.help ? out : err) << kUsage;
        return o.help ? kExitOk : kExitUsage;
    }
    o.command = scan.positional.front();
    o.args.assign(scan.positional.begin() + 1, scan.positional.end());
    if (!CommandHelp().count(o.command))
        return UsageError(err, "unknown command " + o.command);
    if (const std::string error = MisplacedOption(o); !error.empty())
        return UsageError(err, error);
    return std::nullopt;
}

std::optional<double> ParseSeconds(const std::string& s) {
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (s.empty() || end == s.c_str() || *end != '\0' || !(v > 0) || v > 86400 * 365) {
        return std::nullopt;
    }
    return v;
}

bool LooksLikeFile(const std::string& arg) {
    return arg == "-" || arg.find('/') != std::string::npos || arg.find('\\') != std::string::npos ||
           (arg.size() > 4 && arg.compare(arg.size() - 4, 4, ".lub") == 0) ||
           (arg.size() > 4 && arg.compare(arg.size() - 4, 4, ".LUB") == 0);
}

}  // namespace vela::cli
