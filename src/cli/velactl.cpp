#include "cli/velactl.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

#include "cli/bounded_input.h"
#include "cli/console_host.h"
#include "cli/curve_command.h"
#include "cli/output_text.h"
#include "cli/session.h"
#include "core/files/file_data.h"
#include "core/link/link_texts.h"
#include "core/model/parameter_layout.h"
#include "core/text/strings.h"
#include "platform/usb_hid.h"

#ifdef _WIN32
#include <io.h>
#define VELA_ISATTY _isatty
#define VELA_FILENO _fileno
#else
#include <unistd.h>
#define VELA_ISATTY isatty
#define VELA_FILENO fileno
#endif

namespace vela::cli {

namespace {

constexpr char kUsage[] = R"(usage: velactl [OPTIONS] COMMAND [ARGS]

Controls a processor over USB, or the virtual one. Options may stand before or after the command.

Options:
  --device SPEC    usb (default: the one processor on USB), usb:PATH (one of several, by the path
                   or port that list shows), sim (a virtual processor in this process) or tcp:HOST:PORT
  --timeout SEC    how long to wait for the device to answer (default 10)
  --lang LANG      en (default), zh-CN or zh-TW: the language of the device's messages
  --yes            answer the questions the device asks with yes
  --json           data as JSON (status, get, dump, scene list, wifi show, inspect, list, diff, batch)
  --quiet, -q      print no data and no progress: only the exit status and error lines tell
  --version        velactl's version
  --help           this text; COMMAND --help explains one command

Commands:
  list                      processors found on USB with their paths (no connection is made)
  status                    connect, identify and show the link state
  dump [--names]            every parameter, one line per index: INDEX VALUE
  get INDEX|FIRST-LAST...   the values of some parameters
  set INDEX=VALUE...        write values; returns once the device holds every one
  batch [FILE] [--keep-going]
                            one connection, one command per line (get, set, scene, wait MS, # comments);
                            standard input without FILE
  diff A.lub [B.lub]        the parameters that differ between two scene files, or A and the device
  save FILE                 save the device's whole setting to a scene file (- for standard output)
  load FILE                 load a scene file into the device
  import FILE               load parameters 730..914 of a file, then save the device's settings
  scene list                the device's scenes and their names
  scene call N              call scene N (1..8)
  scene save N NAME         store the current setting as scene N under NAME
  settings save             make the device keep its current settings
  wifi show                 the Wi-Fi module's address, mode and networks
  wifi mode hotspot|route   switch the module's mode
  wifi hotspot SSID PASSWORD
  wifi route SSID PASSWORD
  watch [--for SEC]         print parameter changes as they arrive, until interrupted
  inspect FILE              read a scene file offline (- for standard input); print its header and values
  curve [FILE] --channel NAME
                            a channel's frequency response as CSV (hz,db): from FILE, else the device

get, set, status, scene, settings and wifi read or write only what they need; dump, save, load, import,
watch and diff with the device read the whole table first.

Exit status: 0 done, 2 usage error, 3 device not found, not answering or lost,
4 refused or failed, 5 file error (also standard output), 130 interrupted.
)";

const std::map<std::string, std::string> kCommandHelp = {
    {"list",
     "usage: velactl list [--json]\nLists the processors on USB (vendor 0x4084, product 0x4357) with their "
     "system path, USB port path\nand serial number. Either path picks one: --device usb:PATH.\n"},
    {"status",
     "usage: velactl [--device SPEC] status\nConnects, identifies the processor and prints its id and the "
     "link state. Fails (4) when another controller holds it.\n"},
    {"dump",
     "usage: velactl [--device SPEC] dump [--names] [--json]\nReads every parameter from the device and "
     "prints INDEX VALUE per line, in index order.\n--names adds each parameter's name; --json prints one "
     "JSON document.\n"},
    {"get",
     "usage: velactl [--device SPEC] get INDEX|FIRST-LAST... [--json]\nPrints INDEX VALUE for each index "
     "(0..946), as read from the device; 26-29 means 26, 27, 28, 29.\n"},
    {"batch",
     "usage: velactl [--device SPEC] batch [FILE] [--keep-going] [--json]\nOne connection, then one command "
     "per line of FILE (standard input without it):\n  get INDEX|FIRST-LAST...\n  set INDEX=VALUE...\n  "
     "scene list | scene call N | scene save N NAME   (quote a NAME with blanks: \"Room 1\")\n  wait MS\n"
     "Blank lines and lines starting with # are skipped. Each line's result is printed as it completes\n"
     "(data as with the command, else \"line N: ok\"). Consecutive set lines go out together.\nThe batch "
     "stops at "
     "the first line that fails, unless --keep-going; the exit status is that\nof the first failure. A line "
     "that does not parse stops the batch before it, with its number.\n"},
    {"diff",
     "usage: velactl diff A.lub B.lub [--json] | velactl [--device SPEC] diff A.lub [--json]\nPrints the "
     "parameters that differ: INDEX NAME A B. With one file, B is the device.\nExit 0 whether or not they "
     "differ.\n"},
    {"set",
     "usage: velactl [--device SPEC] set INDEX=VALUE...\nWrites each value (0..65535) and waits until the "
     "device holds every one; fails when it does not,\nnaming the values that landed. Each index once; the "
     "link's own words (0, 928..935) are refused:\nscenes have their own commands.\n"},
    {"save",
     "usage: velactl [--device SPEC] save FILE\nReads the whole device and saves it to a scene file: "
     "exactly FILE (through a link, its target),\nreplaced whole or not at all. Directories, devices and "
     "read-only files are refused.\n- writes the scene to standard output.\n"},
    {"load",
     "usage: velactl [--device SPEC] load FILE\nLoads a scene file into the device. Master levels and link "
     "words (26..29, 928..935) and the last parameter are kept.\n"},
    {"import",
     "usage: velactl [--device SPEC] import FILE\nLoads parameters 730..914 of a scene file into the device, "
     "then asks it to save its settings.\n"},
    {"scene",
     "usage: velactl [--device SPEC] scene list | scene call N | scene save N NAME\nLists, calls or stores "
     "the device's scenes 1..8. A NAME has at most 20 bytes and no control characters.\n"},
    {"settings",
     "usage: velactl [--device SPEC] settings save\nAsks the device to keep its current settings.\n"},
    {"wifi",
     "usage: velactl [--device SPEC] wifi show | wifi mode hotspot|route | wifi hotspot SSID PASSWORD | wifi "
     "route SSID PASSWORD\nReads or sets the processor's Wi-Fi module. SSIDs have 1..32 bytes, passwords at "
     "most 63,\nhotspot passwords none or at least 8; only ASCII characters pass the module.\nSwitching to "
     "route mode asks for confirmation: pass --yes.\n"},
    {"watch",
     "usage: velactl [--device SPEC] watch [--for SEC]\nPrints INDEX VALUE for every parameter that changes "
     "on the device, until interrupted (or SEC seconds).\n"},
    {"curve", kCurveHelp},
    {"inspect",
     "usage: velactl inspect FILE\nReads a scene file without a device and prints its header and values "
     "(INDEX VALUE NAME).\n- reads the file from standard input.\n"},
};

// Options that take a value, those that do not, and the commands each command-bound option serves.

const std::set<std::string> kValueOptions = {"--device", "--timeout", "--lang", "--for"};
const std::set<std::string> kFlagOptions = {"--yes",   "--help",    "--names",     "--json",
                                            "--quiet", "--version", "--keep-going"};
// curve parses these itself: with a value, and without.
const std::set<std::string> kCurveValueOptions = {"--channel", "--bank", "--points"};
const std::set<std::string> kCurveFlagOptions = {"--json", "--live"};
const std::map<std::string, std::set<std::string>> kCommandOptions = {
    {"--names", {"dump"}},
    {"--json", {"dump", "status", "get", "scene", "wifi", "inspect", "list", "diff", "batch"}},
    {"--for", {"watch"}},
    {"--keep-going", {"batch"}}};

struct Options {
    std::string device = "usb";
    double timeout_s = 10;
    bool yes = false;
    bool help = false;
    bool names = false;
    bool json = false;
    bool quiet = false;
    bool version = false;
    bool keep_going = false;
    std::optional<double> watch_for;
    std::string lang = "en";
    std::string command;
    std::vector<std::string> args;
};

std::optional<long> ParseNumber(std::string_view s) {
    long v = 0;
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        base = 16;
    }
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v, base);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size()) {
        return std::nullopt;
    }
    return v;
}

std::optional<double> ParseSeconds(const std::string& s) {
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (s.empty() || end == s.c_str() || *end != '\0' || !(v > 0) || v > 86400 * 365) {
        return std::nullopt;
    }
    return v;
}

std::optional<std::uint16_t> ParseIndex(std::string_view s) {
    const auto v = ParseNumber(s);
    if (!v || *v < 0 || *v >= static_cast<long>(kParameterCount)) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(*v);
}

std::string JsonEscape(std::string_view s) {
    return JsonString(s);
}

std::string Hex4(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04x", static_cast<unsigned>(value));
    return text;
}

bool HasControlCharacter(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
}

// Why a parameter may not be written from here, or empty.
std::string WhyNotWritable(std::uint16_t index) {
    if (index == param::kIdentity) {
        return "parameter 0 is the device's identity, read by the link";
    }
    if (index == param::kOccupancy) {
        return "parameter 935 is the link's claim on the device; writing it locks other controllers out";
    }
    if (index == param::kSceneSelector) {
        return "parameter 934 selects scenes for the link; use scene call or scene save";
    }
    if (LinkOwnedParameter(index)) {
        return "parameter " + std::to_string(index) +
               " is one of the words the link drives itself (928..935)";
    }
    return {};
}

// "26" or "26-29"; every index 0..946. Empty on success, else why not.
std::string ParseIndexList(const std::vector<std::string>& args, std::vector<std::uint16_t>& indexes) {
    if (args.empty())
        return "get needs at least one INDEX";
    for (const auto& a : args) {
        const auto dash = a.find('-', 1);
        const auto first = ParseIndex(std::string_view(a).substr(0, dash));
        const auto last =
            dash == std::string::npos ? first : ParseIndex(std::string_view(a).substr(dash + 1));
        if (!first || !last)
            return "not a parameter index or range (0..946, FIRST-LAST): " + a;
        if (*last < *first)
            return "a range runs upwards: " + a;
        for (std::uint32_t i = *first; i <= *last; ++i)
            indexes.push_back(static_cast<std::uint16_t>(i));
    }
    return {};
}

std::string ParseWrites(const std::vector<std::string>& args,
                        std::map<std::uint16_t, std::uint16_t>& writes) {
    if (args.empty())
        return "set needs at least one INDEX=VALUE";
    for (const auto& a : args) {
        const auto eq = a.find('=');
        const auto i = eq == std::string::npos ? std::nullopt : ParseIndex(std::string_view(a).substr(0, eq));
        const auto v =
            eq == std::string::npos ? std::nullopt : ParseNumber(std::string_view(a).substr(eq + 1));
        if (!i || !v || *v < 0 || *v > 0xFFFF)
            return "not INDEX=VALUE (0..946 = 0..65535): " + a;
        if (const std::string why = WhyNotWritable(*i); !why.empty())
            return a + ": " + why;
        if (!writes.emplace(*i, static_cast<std::uint16_t>(*v)).second)
            return a + ": parameter " + std::to_string(*i) + " is given more than once";
    }
    return {};
}

struct SceneCommand {
    std::string what;  // list, call or save
    int number = 0;
    std::string ansi_name;
};

std::string ParseScene(const std::vector<std::string>& args, SceneCommand& command) {
    if (args.empty())
        return "scene needs list, call N or save N NAME";
    command.what = args[0];
    if (command.what == "call" || command.what == "save") {
        if (args.size() != (command.what == "call" ? 2u : 3u))
            return "scene " + command.what + (command.what == "call" ? " needs N" : " needs N NAME");
        const auto n = ParseNumber(args[1]);
        if (!n || *n < 1 || *n > kSceneSlots)
            return "scene numbers are 1..8, not " + args[1];
        command.number = static_cast<int>(*n);
        if (command.what == "save") {
            if (HasControlCharacter(args[2]))
                return "a scene name has no line breaks or other control characters";
            command.ansi_name = SystemCodePage().FromWide(FromUtf8(args[2]));
            if (command.ansi_name.empty())
                return "a scene name needs at least one character";
            if (command.ansi_name.size() > kSceneNameStored)
                return "the scene name " + args[2] + " is longer than the device keeps (" +
                       std::to_string(kSceneNameStored) + " bytes)";
        }
        return {};
    }
    if (command.what != "list" || args.size() != 1)
        return "scene needs list, call N or save N NAME";
    return {};
}

// A batch line's words: blanks separate them, double quotes keep blanks inside one. Empty on success.
std::string SplitWords(const std::string& line, std::vector<std::string>& words) {
    std::string word;
    bool quoted = false;
    bool have = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            have = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\r')) {
            if (have)
                words.push_back(word);
            word.clear();
            have = false;
        } else {
            word.push_back(c);
            have = true;
        }
    }
    if (quoted)
        return "a quote is not closed";
    if (have)
        words.push_back(word);
    return {};
}

// Line numbers as "1-3 5".
std::string LineList(const std::vector<int>& lines) {
    std::string text;
    for (std::size_t k = 0; k < lines.size();) {
        std::size_t e = k;
        while (e + 1 < lines.size() && lines[e + 1] == lines[e] + 1)
            ++e;
        if (!text.empty())
            text += ' ';
        text += std::to_string(lines[k]);
        if (e > k) {
            text += '-';
            text += std::to_string(lines[e]);
        }
        k = e + 1;
    }
    return text.empty() ? "none" : text;
}

// Writes go nowhere: --quiet.
class DiscardBuffer : public std::streambuf {
  protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// How a group of writes ended: values that never answered the read-back, and values that came back
// different from what was written.
struct WriteResult {
    Outcome outcome;
    std::set<std::uint16_t> missing;
    std::map<std::uint16_t, std::uint16_t> differ;  // index -> value the device holds
    bool Ok() const { return outcome.Ok() && missing.empty() && differ.empty(); }
};

enum class Path {
    kLight,  // only what the command needs
    kFull,   // the whole table first
};

class Cli {
  public:
    Cli(std::istream& in, std::ostream& out, std::ostream& err) : in_(in), out_(out.rdbuf()), err_(err) {}

    int Run(const std::vector<std::string>& args);

  private:
    int Usage(const std::string& message) {
        err_ << "velactl: " << message << " (see velactl --help)" << std::endl;
        return kExitUsage;
    }
    int Fail(int code, const std::string& message) {
        if (session_) {
            session_->Host().ClearProgress();
        }
        err_ << "velactl: " << message << std::endl;
        return code;
    }
    int Fail(const Outcome& outcome) { return Fail(outcome.code, outcome.message); }
    int FileFailure(const FileResult& r) { return Fail(kExitFile, r.Describe()); }

    std::optional<int> ParseOptions(const std::vector<std::string>& args);
    int Dispatch();
    // Opens a session, connects and waits until the processor is free (and, on the full path, read whole).
    Outcome Open(Path path);
    // The first failure message the link showed decides the exit status.
    int CheckMessages(std::initializer_list<std::pair<LinkText, int>> failures);

    int List();
    int Status();
    int Dump();
    int Get();
    int Set();
    int Save(const std::string& file);
    int Load(const std::string& file, bool import);
    int Scene();
    int Settings();
    int Wifi();
    int Watch();
    int Inspect(const std::string& file);
    int ReadDeviceTable(std::vector<std::uint32_t>& table);
    int Batch();
    int Diff();
    // The pieces single commands and batch lines share; the session is open.
    WriteResult WriteAndConfirm(const std::map<std::uint16_t, std::uint16_t>& writes);
    int ReportWrites(const std::map<std::uint16_t, std::uint16_t>& writes, const WriteResult& r);
    int PrintValues(const std::vector<std::uint16_t>& indexes, int line = 0);
    int RunScene(const SceneCommand& command, int line = 0);
    std::uint32_t DeviceId();

    std::chrono::milliseconds Timeout() const {
        return std::chrono::milliseconds(static_cast<long long>(options_.timeout_s * 1000));
    }

    std::istream& in_;
    std::ostream out_;  // standard output, or nowhere with --quiet
    std::ostream& err_;
    DiscardBuffer discard_;
    Options options_;
    DeviceSpec spec_;
    std::unique_ptr<ConsoleHost> host_;
    std::unique_ptr<Session> session_;
};

// One parser for every option, before or after the command; "--" ends the options.
std::optional<int> Cli::ParseOptions(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    std::string swallowed_command;  // a command taken as an option's value: "--device status"
    bool options_end = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool looks_like_option =
            !options_end && a.size() > 1 && a[0] == '-' && !std::isdigit(static_cast<unsigned char>(a[1]));
        if (!looks_like_option) {
            positional.push_back(a);
            continue;
        }
        if (a == "--") {
            options_end = true;
            continue;
        }
        std::string name = a == "-h" ? "--help" : a == "-y" ? "--yes" : a == "-q" ? "--quiet" : a;
        std::optional<std::string> value;
        if (const auto eq = name.find('='); eq != std::string::npos && name.rfind("--", 0) == 0) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (!positional.empty() && positional.front() == "curve" &&
            (kCurveValueOptions.count(name) || kCurveFlagOptions.count(name))) {
            positional.push_back(a);
            if (kCurveValueOptions.count(name) && !value && i + 1 < args.size()) {
                positional.push_back(args[++i]);
            }
            continue;
        }
        if (kFlagOptions.count(name)) {
            if (value) {
                return Usage(name + " takes no value");
            }
            if (name == "--yes") {
                options_.yes = true;
            } else if (name == "--help") {
                options_.help = true;
            } else if (name == "--names") {
                options_.names = true;
            } else if (name == "--quiet") {
                options_.quiet = true;
            } else if (name == "--version") {
                options_.version = true;
            } else if (name == "--keep-going") {
                options_.keep_going = true;
            } else {
                options_.json = true;
            }
            continue;
        }
        if (!kValueOptions.count(name)) {
            return Usage("unknown option " + a);
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                return Usage(name + " needs a value");
            }
            value = args[++i];
            if (kCommandHelp.count(*value)) {
                swallowed_command = name;
            }
        }
        if (name == "--device") {
            options_.device = *value;
        } else if (name == "--lang") {
            options_.lang = *value;
        } else if (name == "--timeout") {
            const auto seconds = ParseSeconds(*value);
            if (!seconds) {
                return Usage("--timeout needs a number of seconds above 0: " + *value);
            }
            options_.timeout_s = *seconds;
        } else {
            options_.watch_for = ParseSeconds(*value);
            if (!options_.watch_for) {
                return Usage("--for needs a number of seconds above 0: " + *value);
            }
        }
    }
    if (options_.version) {
        out_ << "velactl " << VELA_VERSION << "\n";
        return kExitOk;
    }
    if (positional.empty()) {
        if (!swallowed_command.empty()) {
            return Usage(swallowed_command + " needs a value");
        }
        if (options_.help) {
            out_ << kUsage;
            return kExitOk;
        }
        err_ << kUsage;
        return kExitUsage;
    }
    options_.command = positional.front();
    options_.args.assign(positional.begin() + 1, positional.end());
    if (!kCommandHelp.count(options_.command)) {
        return Usage("unknown command " + options_.command);
    }
    for (const auto& [option, commands] : kCommandOptions) {
        const bool given = option == "--names"        ? options_.names
                           : option == "--json"       ? options_.json
                           : option == "--keep-going" ? options_.keep_going
                                                      : options_.watch_for.has_value();
        if (given && !commands.count(options_.command)) {
            std::string list;
            for (const auto& c : commands)
                list += (list.empty() ? "" : ", ") + c;
            return Usage(option + " belongs to " + list + ", not to " + options_.command);
        }
    }
    return std::nullopt;
}

int Cli::Run(const std::vector<std::string>& args) {
    if (const auto done = ParseOptions(args)) {
        return *done;
    }
    if (options_.help) {
        out_ << kCommandHelp.at(options_.command);
        return kExitOk;
    }
    if (options_.lang == "en") {
        SetLanguageIndex(2);
    } else if (options_.lang == "zh-CN") {
        SetLanguageIndex(0);
    } else if (options_.lang == "zh-TW") {
        SetLanguageIndex(1);
    } else {
        return Usage("--lang takes en, zh-CN or zh-TW, not " + options_.lang);
    }
    const auto parsed = ParseDeviceSpec(options_.device);
    if (!parsed.spec) {
        return Usage(parsed.error);
    }
    spec_ = *parsed.spec;
    if (options_.quiet) {
        out_.rdbuf(&discard_);
    }
    const bool tty = !options_.quiet && VELA_ISATTY(VELA_FILENO(stderr)) != 0;
    host_ = std::make_unique<ConsoleHost>(err_, options_.yes, tty);

    const int status = Dispatch();
    session_.reset();
    out_.flush();
    if (!out_) {
        const int error = errno;
        err_ << "velactl: standard output: write failed"
             << (error != 0 ? std::string(" (") + std::strerror(error) + ")" : std::string()) << std::endl;
        return status == kExitOk ? kExitFile : status;
    }
    return status;
}

int Cli::Dispatch() {
    const std::string& command = options_.command;
    const auto& rest = options_.args;
    auto need = [&](std::size_t n) { return rest.size() == n; };
    if (command == "list")
        return need(0) ? List() : Usage("list takes no arguments");
    if (command == "status")
        return need(0) ? Status() : Usage("status takes no arguments");
    if (command == "dump")
        return need(0) ? Dump() : Usage("dump takes only --names and --json");
    if (command == "get")
        return Get();
    if (command == "set")
        return Set();
    if (command == "save")
        return need(1) ? Save(rest[0]) : Usage("save needs one FILE");
    if (command == "load")
        return need(1) ? Load(rest[0], false) : Usage("load needs one FILE");
    if (command == "import")
        return need(1) ? Load(rest[0], true) : Usage("import needs one FILE");
    if (command == "scene")
        return Scene();
    if (command == "settings")
        return Settings();
    if (command == "wifi")
        return Wifi();
    if (command == "watch")
        return need(0) ? Watch() : Usage("watch takes only --for SEC");
    if (command == "batch")
        return rest.size() <= 1 ? Batch() : Usage("batch takes at most one FILE");
    if (command == "diff")
        return rest.size() == 1 || rest.size() == 2 ? Diff() : Usage("diff needs A.lub [B.lub]");
    if (command == "curve")
        return RunCurve(
            rest, [this](std::vector<std::uint32_t>& table) { return ReadDeviceTable(table); }, out_, err_);
    return need(1) ? Inspect(rest[0]) : Usage("inspect needs one FILE");
}

Outcome Cli::Open(Path path) {
    if (InterruptRequested()) {
        return {kExitInterrupted, "interrupted"};
    }
    if (path == Path::kFull) {
        host_->SetActivity("reading the whole device");
    }
    session_ = std::make_unique<Session>(spec_, *host_, Timeout(),
                                         path == Path::kLight ? LinkMode::kLight : LinkMode::kFull);
    if (Outcome o = session_->Connect(); !o.Ok()) {
        return o;
    }
    return session_->WaitLoaded();
}

std::uint32_t Cli::DeviceId() {
    // An identify reply that was lost leaves the id to the read of parameter 0.
    const std::uint32_t id = session_->Link().State().device_id.load();
    return id != 0 ? id : session_->Link().Table().Value(param::kIdentity);
}

int Cli::CheckMessages(std::initializer_list<std::pair<LinkText, int>> failures) {
    for (const auto& m : host_->Messages()) {
        for (const auto& [text, code] : failures) {
            if (m.text == LinkTextFor(text)) {
                return code;
            }
        }
    }
    return kExitOk;
}

int Cli::List() {
    const auto devices = EnumerateUsbDevices(kVendorId, kProductId);
    if (devices.empty()) {
        return Fail(kExitNoDevice, "no processor found on USB");
    }
    if (options_.json) {
        out_ << "[";
        for (std::size_t k = 0; k < devices.size(); ++k) {
            const auto& d = devices[k];
            out_ << (k ? ",\n " : "") << "{\"path\": \"" << JsonEscape(d.path) << "\", \"port\": \""
                 << JsonEscape(d.port) << "\", \"serial\": \"" << JsonEscape(d.serial)
                 << "\", \"vendor_id\": " << d.vendor_id << ", \"product_id\": " << d.product_id << "}";
        }
        out_ << "]\n";
        return kExitOk;
    }
    for (const auto& d : devices) {
        out_ << std::hex << std::setfill('0') << std::setw(4) << d.vendor_id << ":" << std::setw(4)
             << d.product_id << std::dec << std::setfill(' ') << "  " << TerminalText(DescribeUsbDevice(d))
             << "\n";
    }
    return kExitOk;
}

int Cli::Status() {
    // Open returns once the occupancy check passed, so a processor held by another controller fails here.
    if (const Outcome o = Open(Path::kLight); !o.Ok()) {
        return Fail(o);
    }
    auto& s = session_->Link().State();
    if (options_.json) {
        out_ << "{\"device\": \"" << JsonEscape(ToString(spec_)) << "\", \"device_id\": " << DeviceId()
             << ", \"scene_limit\": " << s.scene_limit.load() << ", \"link\": \"connected\"}\n";
        return kExitOk;
    }
    out_ << "device: " << ToString(spec_) << "\n";
    out_ << "device id: " << Hex4(DeviceId()) << "\n";
    out_ << "scene limit: " << s.scene_limit.load() << "\n";
    out_ << "link: connected\n";
    return kExitOk;
}

int Cli::Dump() {
    if (const Outcome o = Open(Path::kFull); !o.Ok()) {
        return Fail(o);
    }
    const auto& t = session_->Link().Table();
    if (options_.json) {
        out_ << "{\"device_id\": " << DeviceId() << ", \"parameters\": [";
        for (std::size_t i = 0; i < kParameterCount; ++i) {
            out_ << (i ? ",\n  " : "\n  ") << "{\"index\": " << i << ", \"value\": " << t.Value(i);
            if (options_.names)
                out_ << ", \"name\": \"" << JsonEscape(layout::ParameterName(i)) << "\"";
            out_ << "}";
        }
        out_ << "\n]}\n";
    } else {
        for (std::size_t i = 0; i < kParameterCount; ++i) {
            out_ << i << " " << t.Value(i);
            if (options_.names)
                out_ << " " << layout::ParameterName(i);
            out_ << "\n";
        }
    }
    return kExitOk;
}

int Cli::Get() {
    std::vector<std::uint16_t> indexes;
    if (const std::string error = ParseIndexList(options_.args, indexes); !error.empty())
        return Usage(error);
    if (const Outcome o = Open(Path::kLight); !o.Ok()) {
        return Fail(o);
    }
    return PrintValues(indexes);
}

// Reads the values from the device and prints them; line > 0: a batch line (JSON on one line).
int Cli::PrintValues(const std::vector<std::uint16_t>& indexes, int line) {
    Outcome o;
    const auto missing = session_->ReadValues(indexes, o);
    if (!o.Ok()) {
        return Fail(o);
    }
    if (!missing.empty()) {
        std::string list;
        for (auto i : missing) {
            list += ' ';
            list += std::to_string(i);
        }
        return Fail(kExitNoDevice, "no answer from the device for parameter" + list);
    }
    const auto& t = session_->Link().Table();
    const auto value = [&](std::uint16_t i) { return i == param::kIdentity ? DeviceId() : t.Value(i); };
    if (options_.json) {
        out_ << "{";
        if (line > 0)
            out_ << "\"line\": " << line << ", ";
        out_ << "\"device_id\": " << DeviceId() << ", \"parameters\": [";
        for (std::size_t k = 0; k < indexes.size(); ++k)
            out_ << (k ? ", " : "") << "{\"index\": " << indexes[k] << ", \"value\": " << value(indexes[k])
                 << "}";
        out_ << "]}" << std::endl;
        return kExitOk;
    }
    for (auto i : indexes)
        out_ << i << " " << value(i) << "\n";
    out_.flush();
    return kExitOk;
}

int Cli::Set() {
    std::map<std::uint16_t, std::uint16_t> writes;
    if (const std::string error = ParseWrites(options_.args, writes); !error.empty())
        return Usage(error);
    if (const Outcome o = Open(Path::kLight); !o.Ok()) {
        return Fail(o);
    }
    return ReportWrites(writes, WriteAndConfirm(writes));
}

WriteResult Cli::WriteAndConfirm(const std::map<std::uint16_t, std::uint16_t>& writes) {
    WriteResult r;
    auto& link = session_->Link();
    auto& t = link.Table();
    for (const auto& [i, v] : writes)
        link.WriteParameter(i, v);

    // Sent and acknowledged (or given up after its retries)...
    r.outcome = session_->WaitWhileAnswering([&] {
        return std::all_of(writes.begin(), writes.end(), [&](const auto& w) { return !t.IsDirty(w.first); });
    });
    if (!r.outcome.Ok()) {
        return r;
    }
    // ... then read back, since a write that ran out of retries also ends up no longer marked. Only a
    // value that came back different is a refusal.
    std::vector<std::uint16_t> indexes;
    for (const auto& w : writes)
        indexes.push_back(w.first);
    const auto missing = session_->ReadValues(indexes, r.outcome);
    r.missing.insert(missing.begin(), missing.end());
    for (const auto& [i, v] : writes)
        if (!r.missing.count(i) && t.Value(i) != v)
            r.differ[i] = t.Value(i);
    return r;
}

int Cli::ReportWrites(const std::map<std::uint16_t, std::uint16_t>& writes, const WriteResult& r) {
    if (!r.outcome.Ok()) {
        return Fail(r.outcome);
    }
    std::vector<std::string> landed;
    for (const auto& [i, v] : writes) {
        if (r.missing.count(i)) {
            err_ << "velactl: parameter " << i << " did not answer the read-back" << std::endl;
        } else if (const auto d = r.differ.find(i); d != r.differ.end()) {
            err_ << "velactl: parameter " << i << " holds " << d->second << ", not " << v << std::endl;
        } else {
            landed.push_back(std::to_string(i) + "=" + std::to_string(v));
        }
    }
    if (r.Ok()) {
        return kExitOk;
    }
    std::string list;
    for (const auto& l : landed)
        list += " " + l;
    err_ << "velactl: landed:" << (landed.empty() ? std::string(" none") : list) << std::endl;
    return r.differ.empty() ? kExitNoDevice : kExitFailed;
}

int Cli::Save(const std::string& file) {
    const bool to_stdout = file == "-";
    const auto path = std::filesystem::u8path(file);
    // Refused before the device is touched: a save that can only fail costs the user a whole read.
    if (!to_stdout) {
        if (const FileResult target = CZB_FileData::CheckSceneTarget(path); !target.Ok()) {
            return FileFailure(target);
        }
    }
    if (const Outcome o = Open(Path::kFull); !o.Ok()) {
        return Fail(o);
    }
    if (to_stdout) {
        // The table was read whole just now.
        const auto& t = session_->Link().Table();
        std::vector<std::uint32_t> values(kParameterCount);
        for (std::size_t i = 0; i < kParameterCount; ++i)
            values[i] = t.Value(i);
        CZB_FileData scene;
        scene.device_id = session_->Link().State().device_id.load();
        const auto bytes = scene.EncodeScene(values);
        out_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return kExitOk;
    }
    auto& controller = session_->Controller();
    controller.SetScenePath(path);
    host_->SetActivity("saving the device to " + file);
    if (const Outcome o = session_->Request(request::kSaveToFile); !o.Ok()) {
        return Fail(o);
    }
    if (host_->Shown(LinkTextFor(LinkText::kReadDataFailed))) {
        return Fail(kExitNoDevice, "the device could not be read whole; nothing was saved");
    }
    if (const FileResult r = controller.LastFileResult(); !r.Ok()) {
        return FileFailure(r);
    }
    return CheckMessages({{LinkText::kSaveFailed, kExitFailed}});
}

int Cli::Load(const std::string& file, bool import) {
    // The file is checked before any device is touched, so a bad file never reaches it.
    CZB_FileData check;
    const auto path = std::filesystem::u8path(file);
    if (const FileResult r = check.LoadScene(path); !r.Ok()) {
        return FileFailure(r);
    }
    if (const Outcome o = Open(Path::kFull); !o.Ok()) {
        return Fail(o);
    }
    auto& controller = session_->Controller();
    const std::uint32_t device_id = session_->Link().State().device_id.load();
    if (check.device_id != device_id) {
        return Fail(kExitFailed, file + ": saved from device " + Hex4(check.device_id) +
                                     ", this processor is " + Hex4(device_id) + "; nothing was loaded");
    }
    controller.SetScenePath(path);
    host_->SetActivity((import ? "importing " : "loading ") + file + " into the device");
    Outcome o;
    if (import) {
        std::vector<std::uint16_t> selection;
        for (std::uint16_t i = kLocalPresetFirst; i <= kLocalPresetLast; ++i)
            selection.push_back(i);
        controller.SetSelection(std::move(selection));
        o = session_->Request(request::kLoadSelection);
        if (o.Ok() && !host_->Shown(LinkTextFor(LinkText::kWrongFileVersion))) {
            o = session_->Request(request::kSaveSettings);
        }
    } else {
        o = session_->Request(request::kLoadFile);
    }
    if (!o.Ok()) {
        return Fail(o.code,
                    o.message + (o.code == kExitNoDevice ? "; the rest is sent when it is back" : ""));
    }
    if (const FileResult r = controller.LastFileResult(); !r.Ok()) {
        return FileFailure(r);
    }
    return CheckMessages({{LinkText::kWrongFileVersion, kExitFailed},
                          {LinkText::kWriteDataFailed, kExitNoDevice},
                          {LinkText::kReadDataFailed, kExitNoDevice},
                          {LinkText::kSaveFailed, kExitFailed}});
}

int Cli::Scene() {
    SceneCommand command;
    if (const std::string error = ParseScene(options_.args, command); !error.empty())
        return Usage(error);
    if (const Outcome o = Open(Path::kLight); !o.Ok()) {
        return Fail(o);
    }
    return RunScene(command);
}

int Cli::RunScene(const SceneCommand& command, int line) {
    auto& link = session_->Link();
    auto& t = link.Table();
    const auto selector = [&](std::uint8_t op) {
        t.WriteParameter(param::kSceneSelector, Word(op, static_cast<std::uint8_t>(command.number)), false);
    };
    if (command.what == "list") {
        host_->SetActivity("reading the scene names");
        // Asked one by one: on the light path nothing has read them yet.
        const int limit = std::clamp<int>(static_cast<int>(link.State().scene_limit.load()), 1, kSceneSlots);
        for (int n = 1; n <= limit; ++n) {
            t.WriteParameter(param::kSceneSelector, Word(0, static_cast<std::uint8_t>(n)), false);
            link.SceneNames().ClearNameReceived(n - 1);
            if (const Outcome o = session_->Request(request::kSceneName); !o.Ok())
                return Fail(o);
        }
        Outcome o;
        if (!session_->ReadValues({param::kCurrentScene}, o).empty() || !o.Ok())
            return Fail(o.Ok() ? Outcome{kExitNoDevice, "the device did not say which scene is current"} : o);
        const int current = t.Value(param::kCurrentScene) & 0xFF;
        if (options_.json) {
            out_ << "{";
            if (line > 0)
                out_ << "\"line\": " << line << ", ";
            out_ << "\"current\": " << current << ", \"scenes\": [";
            for (int n = 1; n <= limit; ++n) {
                out_ << (n > 1 ? ", " : "") << "{\"number\": " << n << ", \"name\": ";
                if (link.SceneNames().NameReceived(n - 1))
                    out_ << "\"" << JsonEscape(ToUtf8(link.SceneNames().Name(n - 1))) << "\"}";
                else
                    out_ << "null}";
            }
            out_ << "]}" << std::endl;
            return kExitOk;
        }
        for (int n = 1; n <= limit; ++n) {
            out_ << (n == current ? "* " : "  ") << n << " "
                 << (link.SceneNames().NameReceived(n - 1)
                         ? TerminalText(ToUtf8(link.SceneNames().Name(n - 1)))
                         : std::string("(no answer)"))
                 << "\n";
        }
        out_.flush();
        return kExitOk;
    }
    if (command.what == "call") {
        host_->SetActivity("calling scene " + std::to_string(command.number));
        selector(0);
        if (const Outcome o = session_->Request(request::kCallScene); !o.Ok())
            return Fail(o);
        return CheckMessages(
            {{LinkText::kInvocationFailed, kExitFailed}, {LinkText::kReadDataFailed, kExitNoDevice}});
    }
    host_->SetActivity("saving scene " + std::to_string(command.number));
    session_->Controller().SetSceneNameBuffer(command.ansi_name);
    selector(kSceneOpSave);
    if (const Outcome o = session_->Request(request::kSaveScene); !o.Ok())
        return Fail(o);
    return CheckMessages({{LinkText::kSaveFailed, kExitFailed}});
}

int Cli::Settings() {
    if (options_.args.size() != 1 || options_.args[0] != "save")
        return Usage("settings takes: save");
    if (const Outcome o = Open(Path::kLight); !o.Ok()) {
        return Fail(o);
    }
    if (const Outcome o = session_->Request(request::kSaveSettings); !o.Ok()) {
        return Fail(o);
    }
    return CheckMessages({{LinkText::kSaveFailed, kExitFailed}});
}

int Cli::Wifi() {
    const auto& args = options_.args;
    if (args.empty())
        return Usage("wifi needs show, mode, hotspot or route");
    const std::string& what = args[0];
    if (what == "show" && args.size() != 1)
        return Usage("wifi show takes no arguments");
    if (what == "mode" && (args.size() != 2 || (args[1] != "hotspot" && args[1] != "route")))
        return Usage("wifi mode takes hotspot or route");
    if ((what == "hotspot" || what == "route") && args.size() != 3)
        return Usage("wifi " + what + " needs SSID PASSWORD");
    if (what != "show" && what != "mode" && what != "hotspot" && what != "route")
        return Usage("wifi needs show, mode, hotspot or route");
    // Both texts of a pair are checked before either is sent: the module would drop what it cannot
    // keep and store something other than what was typed.
    std::string ssid, password;
    if (what == "hotspot" || what == "route") {
        // Checked as typed: a code page conversion first would turn what it cannot carry into '?', which
        // the module keeps. What passes is ASCII, the same bytes in every code page.
        ssid = args[1];
        password = args[2];
        if (ssid.empty())
            return Usage("the SSID is empty");
        if (!wifi::ModuleKeepsText(ssid) || !wifi::ModuleKeepsText(password))
            return Usage("the Wi-Fi module keeps only ASCII letters, digits, blanks and punctuation");
        if (ssid.size() > wifi::kMaxSsidBytes)
            return Usage("an SSID has at most " + std::to_string(wifi::kMaxSsidBytes) + " bytes: " + args[1]);
        if (password.size() > wifi::kMaxPasswordBytes)
            return Usage("a password has at most " + std::to_string(wifi::kMaxPasswordBytes) + " bytes");
        if (what == "hotspot" && !password.empty() && password.size() < wifi::kMinHotspotPasswordBytes)
            return Usage("a hotspot password is empty or has at least " +
                         std::to_string(wifi::kMinHotspotPasswordBytes) + " characters");
    }
    if (what == "mode" && args[1] == "route" && !options_.yes) {
        return Fail(
            kExitFailed,
            "switching to route mode disconnects the module from this network; pass --yes to confirm");
    }

    if (const Outcome o = Open(Path::kLight); !o.Ok()) {
        return Fail(o);
    }
    auto& slots = session_->Wifi();

    if (what == "show") {
        const int asked[] = {wifi::kIp,      wifi::kMode,       wifi::kRouteSsid, wifi::kRoutePassword,
                             wifi::kHotSsid, wifi::kHotPassword};
        for (int slot : asked) {
            slots.SetText(slot, wifi::CommandText(slot));
            slots[slot].answered = 0;
        }
        for (int slot : asked)
            slots.SetPending(slot);
        const Outcome o = session_->WaitWhileAnswering([&] {
            return std::all_of(std::begin(asked), std::end(asked),
                               [&](int s) { return slots[s].pending.load() == 0; });
        });
        if (!o.Ok()) {
            return Fail(o);
        }
        auto text_of = [&](int slot) -> std::string {
            if (!slots[slot].answered.load())
                return "(no answer)";
            const std::string t = slots.Text(slot);
            const std::string_view keyword = wifi::kKeywords[static_cast<std::size_t>(slot)];
            const auto at = t.find(keyword);
            // The module's bytes are in the device's code page, not UTF-8.
            const std::string value = at != std::string::npos ? t.substr(at + keyword.size()) : t;
            return ToUtf8(SystemCodePage().ToWide(
                std::span(reinterpret_cast<const std::uint8_t*>(value.data()), value.size())));
        };
        std::string address;
        if (slots[wifi::kIp].answered.load()) {
            const std::uint32_t ip = slots[wifi::kIp].value.load();
            address = std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 255) + "." +
                      std::to_string((ip >> 8) & 255) + "." + std::to_string(ip & 255);
        }
        const std::string mode =
            slots[wifi::kMode].answered.load()
                ? (slots[wifi::kMode].value.load() == wifi::kModeRoute ? "route" : "hotspot")
                : "";
        const bool any = std::any_of(std::begin(asked), std::end(asked),
                                     [&](int s) { return slots[s].answered.load() != 0; });
        if (options_.json) {
            // A field the module left unanswered is null.
            auto field = [&](const char* name, bool answered, const std::string& value) {
                out_ << "\"" << name << "\": ";
                if (answered)
                    out_ << "\"" << JsonEscape(value) << "\"";
                else
                    out_ << "null";
            };
            out_ << "{";
            field("address", !address.empty(), address);
            out_ << ", ";
            field("mode", !mode.empty(), mode);
            const std::pair<const char*, int> texts[] = {{"hotspot_ssid", wifi::kHotSsid},
                                                         {"hotspot_password", wifi::kHotPassword},
                                                         {"route_ssid", wifi::kRouteSsid},
                                                         {"route_password", wifi::kRoutePassword}};
            for (const auto& [name, slot] : texts) {
                out_ << ", ";
                field(name, slots[slot].answered.load() != 0, text_of(slot));
            }
            out_ << "}\n";
            return any ? kExitOk : Fail(kExitNoDevice, "the Wi-Fi module did not answer");
        }
        out_ << "address: " << (address.empty() ? "(no answer)" : address) << "\n";
        out_ << "mode: " << (mode.empty() ? "(no answer)" : mode) << "\n";
        out_ << "hotspot ssid: " << TerminalText(text_of(wifi::kHotSsid)) << "\n";
        out_ << "hotspot password: " << TerminalText(text_of(wifi::kHotPassword)) << "\n";
        out_ << "route ssid: " << TerminalText(text_of(wifi::kRouteSsid)) << "\n";
        out_ << "route password: " << TerminalText(text_of(wifi::kRoutePassword)) << "\n";
        return any ? kExitOk : Fail(kExitNoDevice, "the Wi-Fi module did not answer");
    }

    std::wstring_view done;
    if (what == "mode") {
        const std::uint32_t mode = args[1] == "route" ? wifi::kModeRoute : wifi::kModeHotspot;
        slots.SetText(wifi::kSetMode, wifi::CommandText(wifi::kSetMode, std::to_string(mode)));
        slots.SetPending(wifi::kSetMode);
        done = wifi::kModeSetDone;
    } else {
        const bool hot = what == "hotspot";
        const int ssid_slot = hot ? wifi::kSetHotSsid : wifi::kSetRouteSsid;
        const int password_slot = hot ? wifi::kSetHotPassword : wifi::kSetRoutePassword;
        slots.SetText(ssid_slot, wifi::CommandText(ssid_slot, ssid));
        slots.SetText(password_slot, wifi::CommandText(password_slot, password));
        slots.SetPending(ssid_slot);
        slots.SetPending(password_slot);
        done = hot ? wifi::kHotspotSetDone : wifi::kRouteSetDone;
    }
    const auto confirmed = [&] { return host_->Shown(done); };
    const auto given_up = [&] {
        return slots[what == "mode" ? wifi::kSetMode
                                    : (what == "hotspot" ? wifi::kSetHotSsid : wifi::kSetRouteSsid)]
                       .pending.load() == 0 &&
               !confirmed();
    };
    const Outcome o = session_->WaitWhileAnswering([&] { return confirmed() || given_up(); });
    if (!o.Ok()) {
        return Fail(o);
    }
    if (!confirmed()) {
        // The slot was dropped after its retries; a late confirmation may still come with the pair.
        if (!session_->WaitAtMost(confirmed, Timeout())) {
            return Fail(kExitFailed, "the Wi-Fi module did not confirm the setting");
        }
    }
    return kExitOk;
}

int Cli::Watch() {
    if (const Outcome o = Open(Path::kFull); !o.Ok()) {
        return Fail(o);
    }
    auto& t = session_->Link().Table();
    std::mutex out_mutex;
    std::vector<std::uint16_t> last(kParameterCount);
    for (std::size_t i = 0; i < kParameterCount; ++i)
        last[i] = t.Value(i);
    host_->SetParameterCallback([&](std::size_t i) {
        if (i >= kParameterCount)
            return;
        const std::uint16_t v = t.Value(i);
        std::lock_guard lock(out_mutex);
        if (v != last[i]) {
            last[i] = v;
            out_ << i << " " << v << std::endl;
        }
    });
    const auto limit = options_.watch_for
                           ? std::chrono::milliseconds(static_cast<long long>(*options_.watch_for * 1000))
                           : std::chrono::hours(24 * 365);
    session_->WaitAtMost([] { return false; }, limit);
    host_->SetParameterCallback(nullptr);
    // An interrupt is how a watch without --for is meant to end.
    if (InterruptRequested()) {
        return options_.watch_for ? kExitInterrupted : kExitOk;
    }
    if (const Outcome o = session_->Check(); !o.Ok()) {
        return Fail(o);
    }
    return kExitOk;
}

int Cli::Inspect(const std::string& file) {
    CZB_FileData scene;
    if (file == "-") {
        const auto text = ReadBounded(in_, static_cast<std::size_t>(CZB_FileData::kMaxSceneFileSize));
        if (!text) {
            return Fail(kExitFile, "standard input: larger than any scene file (" +
                                       std::to_string(CZB_FileData::kMaxSceneFileSize) + " bytes)");
        }
        const std::vector<std::uint8_t> bytes(text->begin(), text->end());
        if (FileResult r = scene.DecodeScene(bytes); !r.Ok()) {
            r.path = "standard input";
            return FileFailure(r);
        }
    } else if (const FileResult r = scene.LoadScene(std::filesystem::u8path(file)); !r.Ok()) {
        return FileFailure(r);
    }
    const auto& ft = scene.FileTimeRead();
    char when[64];
    std::snprintf(when, sizeof when, "%04u-%02u-%02u %02u:%02u:%02u", ft.year, ft.month, ft.day, ft.hour,
                  ft.minute, ft.second);
    if (options_.json) {
        out_ << "{\"file\": \"" << JsonEscape(file) << "\", \"device_id\": " << scene.device_id
             << ", \"values\": " << scene.ValueCount() << ", \"data_offset\": " << scene.DataOffset()
             << ", \"written\": \"" << when << "\", \"parameters\": [";
        for (std::size_t i = 0; i < scene.Values().size() && out_; ++i) {
            out_ << (i ? ",\n  " : "\n  ") << "{\"index\": " << i << ", \"value\": " << scene.Values()[i];
            if (i < kParameterCount)
                out_ << ", \"name\": \"" << JsonEscape(layout::ParameterName(i)) << "\"";
            out_ << "}";
        }
        out_ << "\n]}\n";
        return kExitOk;
    }
    out_ << "file: " << file << "\n"
         << "device id: " << Hex4(scene.device_id) << "\n"
         << "values: " << scene.ValueCount() << "\n"
         << "data offset: " << scene.DataOffset() << "\n"
         << "written: " << when << "\n";
    for (std::size_t i = 0; i < scene.Values().size() && out_; ++i) {
        out_ << i << " " << scene.Values()[i];
        if (i < kParameterCount)
            out_ << " " << layout::ParameterName(i);
        out_ << "\n";
    }
    return kExitOk;
}

int Cli::ReadDeviceTable(std::vector<std::uint32_t>& table) {
    if (const Outcome o = Open(Path::kFull); !o.Ok()) {
        return Fail(o);
    }
    const auto& t = session_->Link().Table();
    table.resize(kParameterCount);
    for (std::size_t i = 0; i < kParameterCount; ++i)
        table[i] = t.Value(i);
    return kExitOk;
}

namespace {

// One parsed batch line.
struct BatchLine {
    int number = 0;
    std::string command;  // get, set, scene or wait
    std::vector<std::uint16_t> indexes;
    std::map<std::uint16_t, std::uint16_t> writes;
    SceneCommand scene;
    long wait_ms = 0;
};

constexpr long kLongestBatchWaitMs = 24L * 3600 * 1000;

// Empty on success, else why the line does not parse.
std::string ParseBatchLine(const std::vector<std::string>& words, BatchLine& line) {
    line.command = words[0];
    const std::vector<std::string> args(words.begin() + 1, words.end());
    if (line.command == "get")
        return ParseIndexList(args, line.indexes);
    if (line.command == "set")
        return ParseWrites(args, line.writes);
    if (line.command == "scene")
        return ParseScene(args, line.scene);
    if (line.command == "wait") {
        const auto ms = args.size() == 1 ? ParseNumber(args[0]) : std::nullopt;
        if (!ms || *ms < 0 || *ms > kLongestBatchWaitMs)
            return "wait needs a number of milliseconds (0.." + std::to_string(kLongestBatchWaitMs) + ")";
        line.wait_ms = *ms;
        return {};
    }
    return "not a batch command (get, set, scene, wait): " + line.command;
}

}  // namespace

int Cli::Batch() {
    std::unique_ptr<std::ifstream> file;
    std::istream* input = &in_;
    std::string name = "standard input";
    if (!options_.args.empty() && options_.args[0] != "-") {
        name = options_.args[0];
        const auto path = std::filesystem::u8path(name);
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec))
            return Fail(kExitFile, name + ": is a directory");
        file = std::make_unique<std::ifstream>(path);
        if (!*file)
            return Fail(kExitFile, name + ": cannot be read");
        input = file.get();
    }
    // Every line is parsed before anything is sent, so a line that does not parse stops the batch right
    // before it; the lines above it still run.
    const auto all = ReadBounded(*input, kMaxBatchBytes);
    if (!all) {
        return Fail(kExitFile, name + ": larger than a batch file may be (" + std::to_string(kMaxBatchBytes) +
                                   " bytes)");
    }
    std::istringstream batch_text(*all);
    std::vector<BatchLine> lines;
    std::optional<std::pair<int, std::string>> bad;
    std::string text;
    for (int number = 1; std::getline(batch_text, text); ++number) {
        std::vector<std::string> words;
        std::string error = SplitWords(text, words);
        if (error.empty() && (words.empty() || words[0].rfind('#', 0) == 0))
            continue;
        BatchLine line;
        line.number = number;
        if (error.empty())
            error = ParseBatchLine(words, line);
        if (!error.empty()) {
            bad = {number, error};
            break;
        }
        lines.push_back(std::move(line));
    }
    if (!bad && input->bad())
        return Fail(kExitFile, name + ": read failed");

    std::vector<int> completed;
    int first_failure = kExitOk;
    auto lost = [&](int code, int line) {
        err_ << "velactl: the batch ended at line " << line << "; lines completed: " << LineList(completed)
             << std::endl;
        return code;
    };
    if (!lines.empty()) {
        if (const Outcome o = Open(Path::kLight); !o.Ok()) {
            Fail(o);
            return lost(o.code, lines.front().number);
        }
    }
    auto ok_line = [&](int number) {
        if (options_.json)
            out_ << "{\"line\": " << number << ", \"ok\": true}" << std::endl;
        else
            out_ << "line " << number << ": ok" << std::endl;
    };
    for (std::size_t k = 0; k < lines.size();) {
        const BatchLine& line = lines[k];
        int status = kExitOk;
        std::size_t next = k + 1;
        if (line.command == "set") {
            // A run of set lines goes out together, as long as no parameter is written twice in it.
            std::map<std::uint16_t, std::uint16_t> writes = line.writes;
            while (next < lines.size() && lines[next].command == "set" &&
                   std::none_of(lines[next].writes.begin(), lines[next].writes.end(),
                                [&](const auto& w) { return writes.count(w.first) != 0; })) {
                writes.insert(lines[next].writes.begin(), lines[next].writes.end());
                ++next;
            }
            const WriteResult r = WriteAndConfirm(writes);
            for (std::size_t j = k; j < next; ++j) {
                WriteResult mine;
                mine.outcome = r.outcome;
                for (const auto& [i, v] : lines[j].writes) {
                    if (r.missing.count(i))
                        mine.missing.insert(i);
                    if (const auto d = r.differ.find(i); d != r.differ.end())
                        mine.differ.insert(*d);
                }
                const int line_status = mine.Ok() ? kExitOk : ReportWrites(lines[j].writes, mine);
                if (line_status == kExitOk) {
                    ok_line(lines[j].number);
                    completed.push_back(lines[j].number);
                } else {
                    err_ << "velactl: line " << lines[j].number << " failed" << std::endl;
                    if (status == kExitOk)
                        status = line_status;
                    if (!r.outcome.Ok())
                        break;  // the device is gone: the rest of the run did not complete either
                }
            }
            if (status != kExitOk && !options_.keep_going) {
                // Which lines of the run landed was said above; the batch stops after the run.
                return status == kExitNoDevice ? lost(status, line.number) : status;
            }
        } else {
            if (line.command == "get") {
                status = PrintValues(line.indexes, line.number);
            } else if (line.command == "scene") {
                status = RunScene(line.scene, line.number);
                if (status == kExitOk && line.scene.what != "list")
                    ok_line(line.number);
            } else {
                session_->WaitAtMost([] { return false; }, std::chrono::milliseconds(line.wait_ms));
                const Outcome o = session_->Check();
                status = o.Ok() ? kExitOk : Fail(o);
                if (status == kExitOk)
                    ok_line(line.number);
            }
            if (status == kExitOk) {
                completed.push_back(line.number);
            } else {
                err_ << "velactl: line " << line.number << " failed" << std::endl;
                if (status == kExitNoDevice || status == kExitInterrupted || !options_.keep_going)
                    return status == kExitNoDevice ? lost(status, line.number) : status;
            }
        }
        if (first_failure == kExitOk)
            first_failure = status;
        if (first_failure == kExitNoDevice)
            return lost(first_failure, line.number);
        k = next;
    }
    if (bad) {
        err_ << "velactl: " << name << ": line " << bad->first << ": " << bad->second
             << "; nothing after it was done" << std::endl;
        return kExitUsage;
    }
    return first_failure;
}

int Cli::Diff() {
    const auto& args = options_.args;
    CZB_FileData a;
    if (const FileResult r = a.LoadScene(std::filesystem::u8path(args[0])); !r.Ok())
        return FileFailure(r);
    std::vector<std::uint32_t> b_values;
    std::uint32_t b_id = 0;
    std::string b_name;
    if (args.size() == 2) {
        CZB_FileData b;
        if (const FileResult r = b.LoadScene(std::filesystem::u8path(args[1])); !r.Ok())
            return FileFailure(r);
        b_values = b.Values();
        b_id = b.device_id;
        b_name = args[1];
    } else {
        if (const int status = ReadDeviceTable(b_values); status != kExitOk)
            return status;
        b_id = DeviceId();
        b_name = ToString(spec_);
    }
    const auto& a_values = a.Values();
    if (a.device_id != b_id) {
        err_ << "velactl: note: " << args[0] << " is from device " << Hex4(a.device_id) << ", " << b_name
             << " from " << Hex4(b_id) << std::endl;
    }
    const std::size_t count = std::max(a_values.size(), b_values.size());
    std::vector<std::size_t> differ;
    for (std::size_t i = 0; i < count; ++i) {
        const bool in_a = i < a_values.size();
        const bool in_b = i < b_values.size();
        if (in_a != in_b || (in_a && a_values[i] != b_values[i]))
            differ.push_back(i);
    }
    auto text = [](const std::vector<std::uint32_t>& v, std::size_t i) {
        return i < v.size() ? std::to_string(v[i]) : std::string("-");
    };
    auto json = [](const std::vector<std::uint32_t>& v, std::size_t i) {
        return i < v.size() ? std::to_string(v[i]) : std::string("null");
    };
    auto name = [](std::size_t i) {
        return i < kParameterCount ? layout::ParameterName(i) : std::string("-");
    };
    if (options_.json) {
        out_ << "{\"a\": \"" << JsonEscape(args[0]) << "\", \"b\": \"" << JsonEscape(b_name)
             << "\", \"a_device_id\": " << a.device_id << ", \"b_device_id\": " << b_id
             << ", \"differences\": [";
        for (std::size_t k = 0; k < differ.size(); ++k) {
            const std::size_t i = differ[k];
            out_ << (k ? ",\n  " : "\n  ") << "{\"index\": " << i << ", \"name\": \"" << JsonEscape(name(i))
                 << "\", \"a\": " << json(a_values, i) << ", \"b\": " << json(b_values, i) << "}";
        }
        out_ << (differ.empty() ? "" : "\n") << "]}\n";
        return kExitOk;
    }
    for (const std::size_t i : differ)
        out_ << i << " " << name(i) << " " << text(a_values, i) << " " << text(b_values, i) << "\n";
    return kExitOk;
}

}  // namespace

int RunVelactl(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    ClearInterrupt();
    // No exception leaves a command: each is one line and an exit status, never an abort.
    try {
        Cli cli(in, out, err);
        return cli.Run(args);
    } catch (const std::filesystem::filesystem_error& e) {
        err << "velactl: " << e.path1().string() << ": " << e.code().message() << std::endl;
        return kExitFile;
    } catch (const std::exception& e) {
        err << "velactl: failed: " << e.what() << std::endl;
        return kExitFailed;
    }
}

int RunVelactl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::istringstream no_input;
    return RunVelactl(args, no_input, out, err);
}

}  // namespace vela::cli
