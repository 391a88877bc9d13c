#include "cli/velactl.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
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
#include "cli/device_config.h"
#include "cli/output_text.h"
#include "cli/params_command.h"
#include "cli/session.h"
#include "core/diag/version.h"
#include "core/files/file_data.h"
#include "core/link/link_texts.h"
#include "core/model/parameter_layout.h"
#include "core/text/strings.h"
#include "devices/device_factory.h"
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

// A word every processor answers, read to tell a silent processor from a silent part of it.
constexpr std::uint16_t kProbeParameter = 28;

constexpr char kUsage[] = R"(usage: velactl [OPTIONS] COMMAND [ARGS]

Controls a processor over USB, or the virtual one. Options may stand before or after the command.

Options:
  --device SPEC    usb (default: the one processor on USB), usb:PATH (one of several, by the path
                   or port that list shows), sim (a virtual processor in this process), tcp:HOST:PORT
                   or the NAME of a room in the rooms file. Without it: $VELA_DEVICE, else the
                   configuration file's device (see velactl completion --help for the files)
  --timeout SEC    how long to wait for the device to answer (default 10)
  --wait SEC       wait up to SEC for the processor to appear (plugged in, served) before giving up
  --raw            values are raw 16-bit words: printed so, and written so even outside the range
  --bank BANK      sing or dance: the output strips' bank that names refer to (default: the active one)
  --lang LANG      en (default), zh-CN or zh-TW: the language of the device's messages
  --yes            answer the questions the device asks with yes
  --json           data as JSON (status, get, dump, scene list, wifi show, inspect, list, diff, batch)
  --quiet, -q      print no data and no progress: only the exit status and error lines tell
  --verbose, -v    print what the link does (connects, retries, reconnects...) to standard error
  --log FILE       append the same lines to FILE
  --version        velactl's version
  --help           this text; COMMAND --help explains one command

Commands:
  list                      processors found on USB with their paths (no connection is made)
  status                    connect, identify and show the link state
  dump [--names]            every parameter, one line per index: INDEX VALUE
  params [PATTERN]          the parameters' names, units, ranges and defaults (no device needed)
  get PARAM...              the values of some parameters: INDEX, FIRST-LAST or NAME (music.eq1.gain)
  set PARAM=VALUE...        write values (NAME=-3dB, 1kHz, 60%, 12ms, 2.5m, ...); returns once the
                            device holds every one
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
  watch [PARAM...] [--for SEC]
                            print parameter changes with the time they arrived, until interrupted
  inspect FILE              read a scene file offline (- for standard input); print its header and values
  curve [FILE] --channel NAME
                            a channel's frequency response as CSV (hz,db): from FILE, else the device
  completion bash           a bash completion script (source it, or put it in bash-completion's folder)

get, set, status, scene, settings and wifi read or write only what they need; dump, save, load, import,
watch and diff with the device read the whole table first.

Exit status: 0 done, 1 diff found differences, 2 usage error, 3 device not found, not answering or lost,
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
     "usage: velactl [--device SPEC] get INDEX|FIRST-LAST|NAME... [--bank sing|dance] [--raw] [--json]\n"
     "Prints INDEX VALUE for each index (0..946), as read from the device; 26-29 means 26, 27, 28, 29.\n"
     "A NAME (velactl params lists them) prints NAME VALUE in the window's units: music.eq1.gain -3.0 dB;\n"
     "with --raw the raw word. --json carries the raw value and, for names, the text and unit.\n"},
    {"params", kParamsHelp},
    {"completion",
     "usage: velactl completion bash\nPrints a bash completion script for velactl's commands, options "
     "and parameter names:\n  source <(velactl completion bash)\n"
     "Configuration: velactl.conf in $XDG_CONFIG_HOME/vela (~/.config/vela) on Linux, beside velactl.exe or\n"
     "in %APPDATA%\\vela on Windows, with lines  device = SPEC|ROOM  and  rooms = FILE  (# comments).\n"
     "The rooms file has one room per line: NAME DEVICE [TOKEN-FILE]; --device NAME picks one.\n"},
    {"batch",
     "usage: velactl [--device SPEC] batch [FILE] [--keep-going] [--json]\nOne connection, then one command "
     "per line of FILE (standard input without it):\n  get PARAM...\n  set PARAM=VALUE...\n  "
     "scene list | scene call N | scene save N NAME   (quote a NAME with blanks: \"Room 1\")\n  wait MS\n"
     "Blank lines and lines starting with # are skipped. Each line's result is printed as it completes\n"
     "(data as with the command, else \"line N: ok\"). Consecutive set lines go out together.\nThe batch "
     "stops at "
     "the first line that fails, unless --keep-going; the exit status is that\nof the first failure. A line "
     "that does not parse stops the batch before it, with its number.\n"},
    {"diff",
     "usage: velactl diff A.lub B.lub [PARAM...] [--json] | velactl [--device SPEC] diff A.lub [PARAM...]\n"
     "Only the parameters named, if any (a NAME prints NAME A B in units). Prints the "
     "parameters that differ: INDEX NAME A B. With one file, B is the device.\nExit 0 when they are the "
     "same, 1 when they differ (as diff does), 2 or more on trouble.\n"},
    {"set",
     "usage: velactl [--device SPEC] set INDEX=VALUE|NAME=VALUE... [--bank sing|dance] [--raw]\nWrites "
     "each value and waits until the device holds every one; fails when it does not,\nnaming the values "
     "that landed. By NAME the value is in the parameter's unit (-3dB, 1kHz, 60%,\n70%on, 12ms, 2.5m for a "
     "delay as distance, off, bessel24); by INDEX a plain number is the raw word.\nA value outside what "
     "the window's control allows is refused with the range (exit 2, nothing written);\n--raw writes any "
     "word 0..65535. Each parameter once; the link's own words (0, 928..935) are\nrefused: scenes have "
     "their own commands. Values set by NAME are printed as the device holds them.\n"},
    {"save",
     "usage: velactl [--device SPEC] save FILE\nReads the whole device and saves it to a scene file: "
     "exactly FILE (through a link, its target),\nreplaced whole or not at all. Directories, devices and "
     "read-only files are refused.\n- writes the scene to standard output.\n"},
    {"load",
     "usage: velactl [--device SPEC] load FILE\nLoads a scene file into the device. The device keeps its own "
     "MIC VOL A and B and the Music\nand Effect masters (26..29), the link's words (928..935) and the last "
     "parameter.\n"},
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
     "usage: velactl [--device SPEC] watch [PARAM...] [--for SEC] [--json]\nPrints TIME INDEX VALUE for "
     "every parameter that changes on the device (only those asked, by\nINDEX, FIRST-LAST or NAME; names "
     "with their units), until interrupted (exit 130) or SEC seconds.\n"},
    {"curve", kCurveHelp},
    {"inspect",
     "usage: velactl inspect FILE\nReads a scene file without a device and prints its header and values "
     "(INDEX VALUE NAME).\n- reads the file from standard input.\n"},
};

// Options that take a value, those that do not, and the commands each command-bound option serves.

const std::set<std::string> kValueOptions = {"--device", "--timeout", "--lang", "--for",
                                             "--bank",   "--wait",    "--log"};
const std::set<std::string> kFlagOptions = {"--yes",     "--help",       "--names", "--json",   "--quiet",
                                            "--version", "--keep-going", "--raw",   "--verbose"};
// curve parses these itself: with a value, and without.
const std::set<std::string> kCurveValueOptions = {"--channel", "--bank", "--points"};
const std::set<std::string> kCurveFlagOptions = {"--json", "--live"};
const std::map<std::string, std::set<std::string>> kCommandOptions = {
    {"--names", {"dump"}},
    {"--json",
     {"dump", "status", "get", "scene", "wifi", "inspect", "list", "diff", "batch", "params", "set",
      "watch"}},
    {"--for", {"watch"}},
    {"--keep-going", {"batch"}},
    {"--raw", {"get", "set", "batch", "watch", "diff"}},
    {"--bank", {"get", "set", "batch", "watch"}}};

struct Options {
    std::string device;  // empty: the environment's or the configuration's
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

std::optional<double> ParseSeconds(const std::string& s) {
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (s.empty() || end == s.c_str() || *end != '\0' || !(v > 0) || v > 86400 * 365) {
        return std::nullopt;
    }
    return v;
}

std::string JsonEscape(std::string_view s) {
    return JsonString(s);
}

// Local time with milliseconds: 2026-12-09 19:12:00.123.
std::string WatchTime() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    char full[48];
    std::snprintf(full, sizeof full, "%s.%03d", text, static_cast<int>(ms));
    return full;
}

std::string Hex4(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04x", static_cast<unsigned>(value));
    return text;
}

// diff's arguments: scene files, then parameters.
bool LooksLikeFile(const std::string& arg) {
    return arg == "-" || arg.find('/') != std::string::npos || arg.find('\\') != std::string::npos ||
           (arg.size() > 4 && arg.compare(arg.size() - 4, 4, ".lub") == 0) ||
           (arg.size() > 4 && arg.compare(arg.size() - 4, 4, ".LUB") == 0);
}

bool HasControlCharacter(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
}

// The characters of a UTF-8 text that the device's code page cannot hold, or empty.
std::string CharactersTheCodePageLoses(const std::string& utf8) {
    std::string lost;
    for (const wchar_t c : FromUtf8(utf8)) {
        const std::wstring one(1, c);
        const std::string bytes = SystemCodePage().FromWide(one);
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
        std::string named = "\"";
        named += ToUtf8(one);
        named += "\" (";
        named += code;
        named += ")";
        if (SystemCodePage().ToWide(std::span(data, bytes.size())) != one &&
            lost.find(named) == std::string::npos) {
            lost += lost.empty() ? "" : ", ";
            lost += named;
        }
    }
    return lost;
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
            if (const std::string lost = CharactersTheCodePageLoses(args[2]); !lost.empty())
                return "the device cannot store these characters of the scene name: " + lost;
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
    // A scene file opened as the processor gets its edits now: a command that changed it is not done
    // until they are in the file.
    int FinishFile(int status) {
        if (!session_)
            return status;
        session_->Stack().Stop();
        const auto file = session_->Stack().FlushFile();
        if (!file || !file->pending)
            return status;
        return status == kExitOk
                   ? Fail(kExitFile, file->problem.empty() ? file->name + ": not written" : file->problem)
                   : status;
    }

    std::optional<int> ParseOptions(const std::vector<std::string>& args);
    // --verbose and --log: the diagnostic log's lines to standard error and to a file.
    std::optional<int> OpenLog();
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
    Outcome WhoIsSilent(const Outcome& silence);
    int Inspect(const std::string& file);
    int ReadDeviceTable(std::vector<std::uint32_t>& table);
    int Batch();
    int Diff();
    // The pieces single commands and batch lines share; the session is open.
    WriteResult WriteAndConfirm(const std::map<std::uint16_t, std::uint16_t>& writes);
    int ReportWrites(const std::map<std::uint16_t, std::uint16_t>& writes, const WriteResult& r);
    int PrintValues(const std::vector<Asked>& asked, int line = 0);
    void PrintWritten(const std::vector<Asked>& asked);
    int ActiveBank(bool needed, catalogue::Bank& bank);
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
    std::unique_ptr<diag::EventLog> log_;
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
            } else if (name == "--verbose") {
                options_.verbose = true;
            } else if (name == "--raw") {
                options_.raw = true;
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
        } else if (name == "--log") {
            options_.log_file = *value;
        } else if (name == "--timeout") {
            const auto seconds = ParseSeconds(*value);
            if (!seconds) {
                return Usage("--timeout needs a number of seconds above 0: " + *value);
            }
            options_.timeout_s = *seconds;
        } else if (name == "--bank") {
            if (*value != "sing" && *value != "dance")
                return Usage("--bank takes sing or dance, not " + *value);
            options_.bank = *value;
        } else if (name == "--wait") {
            options_.wait_s = ParseSeconds(*value);
            if (!options_.wait_s)
                return Usage("--wait needs a number of seconds above 0: " + *value);
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
                           : option == "--raw"        ? options_.raw
                           : option == "--bank"       ? options_.bank.has_value()
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
    // The device is looked up (and the configuration read) only for a command that may need one.
    static const std::set<std::string> kOffline = {"list", "inspect", "params", "completion"};
    if (!kOffline.count(options_.command) &&
        !(options_.command == "diff" && options_.args.size() >= 2 && LooksLikeFile(options_.args[1]))) {
        const DeviceChoice choice = ChooseDevice(options_.device);
        if (!choice.error.empty())
            return Usage(choice.error);
        const auto parsed = ParseDeviceSpec(choice.device);
        if (!parsed.spec) {
            return Usage(choice.room.empty() ? parsed.error : "room " + choice.room + ": " + parsed.error);
        }
        spec_ = *parsed.spec;
        if (const auto problem = DeviceProblem(spec_)) {
            err_ << "velactl: " << *problem << "\n";
            return kExitFile;
        }
    }
    if (options_.quiet) {
        out_.rdbuf(&discard_);
    }
    const bool tty = !options_.quiet && VELA_ISATTY(VELA_FILENO(stderr)) != 0;
    host_ = std::make_unique<ConsoleHost>(err_, options_.yes, tty);
    if (const auto failed = OpenLog()) {
        return *failed;
    }
    // Quiet means nothing on success; a failure still shows what the device said.
    if (options_.quiet)
        host_->HoldMessages();

    int status = Dispatch();
    status = FinishFile(status);
    session_.reset();
    if (log_) {
        log_->Event("end", {{"exit", std::to_string(status)}});
        log_->Stop();
    }
    if (status != kExitOk)
        host_->PrintHeldMessages();
    out_.flush();
    if (!out_) {
        const int error = errno;
        err_ << "velactl: standard output: write failed"
             << (error != 0 ? std::string(" (") + std::strerror(error) + ")" : std::string()) << std::endl;
        return status == kExitOk ? kExitFile : status;
    }
    return status;
}

std::optional<int> Cli::OpenLog() {
    if (!options_.verbose && options_.log_file.empty()) {
        return std::nullopt;
    }
    log_ = std::make_unique<diag::EventLog>();
    if (!options_.log_file.empty()) {
        auto file = std::make_unique<diag::AppendFile>(std::filesystem::u8path(options_.log_file));
        if (!file->Ok()) {
            return Fail(kExitFile, "cannot open the log file " + options_.log_file);
        }
        log_->AddOutput(std::move(file));
    }
    if (options_.verbose) {
        log_->AddOutput(std::make_unique<diag::StreamOutput>(stderr));
    }
    log_->Start();
    // The command's name only: its arguments may hold a Wi-Fi password.
    log_->Event("start", {{"program", "velactl"},
                          {"version", kVersion},
                          {"device", ToString(spec_)},
                          {"command", options_.command}});
    return std::nullopt;
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
        return Watch();
    if (command == "params")
        return RunParams(rest, options_.json, out_, err_);
    if (command == "completion") {
        if (rest.size() != 1 || rest[0] != "bash")
            return Usage("completion takes: bash");
        std::vector<std::string> commands, options;
        for (const auto& [name, help] : kCommandHelp)
            commands.push_back(name);
        for (const auto* set : {&kValueOptions, &kFlagOptions})
            options.insert(options.end(), set->begin(), set->end());
        std::sort(options.begin(), options.end());
        out_ << BashCompletion(commands, options);
        return kExitOk;
    }
    if (command == "batch")
        return rest.size() <= 1 ? Batch() : Usage("batch takes at most one FILE");
    if (command == "diff")
        return !rest.empty() ? Diff() : Usage("diff needs A.lub [B.lub] [PARAM...]");
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
    // --wait: a processor not there yet (unplugged, its server not started) is looked for again.
    const auto wait_until =
        std::chrono::steady_clock::now() +
        std::chrono::milliseconds(static_cast<long long>(options_.wait_s.value_or(0) * 1000));
    while (true) {
        session_ = std::make_unique<Session>(spec_, *host_, Timeout(),
                                             path == Path::kLight ? LinkMode::kLight : LinkMode::kFull);
        session_->Stack().SetEvents(log_.get());
        Outcome o = session_->Connect();
        if (o.Ok())
            break;
        if (o.code != kExitNoDevice || std::chrono::steady_clock::now() >= wait_until)
            return o;
        session_.reset();
        for (int k = 0; k < 10 && !InterruptRequested(); ++k)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (InterruptRequested())
            return {kExitInterrupted, "interrupted"};
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
    std::vector<ParamArg> params;
    if (const std::string error = ParseParamArgs(options_.args, params); !error.empty())
        return Usage(error);
    if (const Outcome o = Open(Path::kLight); !o.Ok()) {
        return Fail(o);
    }
    catalogue::Bank bank = catalogue::Bank::kSing;
    if (const int status = ActiveBank(NeedsBank(params), bank); status != kExitOk)
        return status;
    return PrintValues(Resolve(params, bank));
}

// The bank that output strips' names refer to: --bank, else the one the device's mode word selects
// (read only when a name needs it).
int Cli::ActiveBank(bool needed, catalogue::Bank& bank) {
    if (options_.bank) {
        bank = *options_.bank == "dance" ? catalogue::Bank::kDance : catalogue::Bank::kSing;
        return kExitOk;
    }
    if (!needed)
        return kExitOk;
    Outcome o;
    if (!session_->ReadValues({kModeWord}, o).empty() || !o.Ok())
        return Fail(o.Ok() ? Outcome{kExitNoDevice, "the device did not say which bank is active"} : o);
    bank = BankOfMode(session_->Link().Table().Value(kModeWord));
    return kExitOk;
}

// Reads the values from the device and prints them; line > 0: a batch line (JSON on one line).
int Cli::PrintValues(const std::vector<Asked>& asked, int line) {
    std::vector<std::uint16_t> indexes;
    for (const auto& a : asked)
        indexes.push_back(a.index);
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
        for (std::size_t k = 0; k < asked.size(); ++k) {
            const auto i = asked[k].index;
            out_ << (k ? ", " : "") << "{\"index\": " << i << ", \"value\": " << value(i);
            if (asked[k].by_name)
                out_ << JsonNameMembers(i, static_cast<std::uint16_t>(value(i)));
            out_ << "}";
        }
        out_ << "]}" << std::endl;
        return kExitOk;
    }
    for (const auto& a : asked) {
        if (a.by_name)
            out_ << ShownName(a.index) << " "
                 << ValueText(a.index, static_cast<std::uint16_t>(value(a.index)), !options_.raw) << "\n";
        else
            out_ << a.index << " " << value(a.index) << "\n";
    }
    out_.flush();
    return kExitOk;
}

int Cli::Set() {
    std::vector<WriteArg> args;
    if (const std::string error = ParseWriteArgs(options_.args, options_.raw, args); !error.empty())
        return Usage(error);
    if (const Outcome o = Open(Path::kLight); !o.Ok()) {
        return Fail(o);
    }
    std::vector<ParamArg> targets;
    for (const auto& a : args)
        targets.push_back(a.target);
    catalogue::Bank bank = catalogue::Bank::kSing;
    if (const int status = ActiveBank(NeedsBank(targets), bank); status != kExitOk)
        return status;
    std::map<std::uint16_t, std::uint16_t> writes;
    std::vector<Asked> asked;
    if (const std::string error = ResolveWrites(args, bank, writes, asked); !error.empty())
        return Usage(error);
    const int status = ReportWrites(writes, WriteAndConfirm(writes));
    if (status == kExitOk)
        PrintWritten(asked);
    return status;
}

// What a set by name holds now, as read back: the names in their units.
void Cli::PrintWritten(const std::vector<Asked>& asked) {
    const auto& t = session_->Link().Table();
    std::vector<Asked> named;
    std::copy_if(asked.begin(), asked.end(), std::back_inserter(named),
                 [](const Asked& a) { return a.by_name; });
    if (named.empty())
        return;
    if (options_.json) {
        out_ << "{\"device_id\": " << DeviceId() << ", \"parameters\": [";
        for (std::size_t k = 0; k < named.size(); ++k)
            out_ << (k ? ", " : "") << "{\"index\": " << named[k].index
                 << ", \"value\": " << t.Value(named[k].index)
                 << JsonNameMembers(named[k].index, t.Value(named[k].index)) << "}";
        out_ << "]}" << std::endl;
        return;
    }
    for (const auto& a : named)
        out_ << ShownName(a.index) << " " << ValueText(a.index, t.Value(a.index), !options_.raw) << "\n";
    out_.flush();
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
    // Saving to a file reads the whole device itself: reading it first as well took twice as long.
    if (const Outcome o = Open(to_stdout ? Path::kFull : Path::kLight); !o.Ok()) {
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
    // A load writes the file's values and waits for each acknowledgement; the device's old values are
    // not needed for that.
    if (const Outcome o = Open(Path::kLight); !o.Ok()) {
        return Fail(o);
    }
    auto& controller = session_->Controller();
    const std::uint32_t device_id = DeviceId();
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
        if (o.code != kExitNoDevice)
            return Fail(o);
        // velactl ends here: what was not acknowledged by now is not sent by anyone.
        std::size_t unsent = 0;
        for (std::size_t i = 0; i < kParameterCount; ++i)
            unsent += session_->Link().Table().IsDirty(i) ? 1 : 0;
        return Fail(o.code, o.message + "; the device holds part of " + file + " (" + std::to_string(unsent) +
                                " values were not acknowledged) and nothing more will be sent: " +
                                (import ? "import" : "load") + " it again");
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
            return Fail(o.code == kExitNoDevice ? WhoIsSilent(o) : o);
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
        return Fail(o.code == kExitNoDevice ? WhoIsSilent(o) : o);
    }
    if (!confirmed()) {
        // The slot was dropped after its retries; a late confirmation may still come with the pair.
        if (!session_->WaitAtMost(confirmed, Timeout())) {
            return Fail(kExitFailed, "the Wi-Fi module did not confirm the setting");
        }
    }
    return kExitOk;
}

// The processor passes the module's commands on and waits for the module: silence then is the
// module's, unless the processor itself no longer answers a read.
Outcome Cli::WhoIsSilent(const Outcome& silence) {
    if (session_->Lost())
        return silence;
    Outcome read;
    if (!session_->ReadValues({kProbeParameter}, read).empty() || !read.Ok())
        return silence;
    return {kExitNoDevice, "the Wi-Fi module did not answer (the processor does)"};
}

int Cli::Watch() {
    std::vector<ParamArg> params;
    if (!options_.args.empty()) {
        if (const std::string error = ParseParamArgs(options_.args, params); !error.empty())
            return Usage(error);
    }
    if (const Outcome o = Open(Path::kFull); !o.Ok()) {
        return Fail(o);
    }
    catalogue::Bank bank = catalogue::Bank::kSing;
    if (const int status = ActiveBank(NeedsBank(params), bank); status != kExitOk)
        return status;
    // Which parameters are printed, and whether by name; all of them by index without arguments.
    std::vector<int> shown(kParameterCount, params.empty() ? 1 : 0);  // 0 no, 1 by index, 2 by name
    for (const auto& a : Resolve(params, bank))
        shown[a.index] = a.by_name ? 2 : std::max(shown[a.index], 1);
    auto& t = session_->Link().Table();
    std::mutex out_mutex;
    std::vector<std::uint16_t> last(kParameterCount);
    for (std::size_t i = 0; i < kParameterCount; ++i)
        last[i] = t.Value(i);
    host_->SetParameterCallback([&](std::size_t i) {
        if (i >= kParameterCount || shown[i] == 0)
            return;
        const std::uint16_t v = t.Value(i);
        std::lock_guard lock(out_mutex);
        if (v == last[i])
            return;
        last[i] = v;
        const auto index = static_cast<std::uint16_t>(i);
        const std::string when = WatchTime();
        if (options_.json) {
            out_ << "{\"time\": \"" << when << "\", \"index\": " << i << ", \"value\": " << v;
            if (shown[i] == 2)
                out_ << JsonNameMembers(index, v);
            out_ << "}" << std::endl;
        } else if (shown[i] == 2) {
            out_ << when << " " << ShownName(index) << " " << ValueText(index, v, !options_.raw) << std::endl;
        } else {
            out_ << when << " " << i << " " << v << std::endl;
        }
    });
    const auto limit = options_.watch_for
                           ? std::chrono::milliseconds(static_cast<long long>(*options_.watch_for * 1000))
                           : std::chrono::hours(24 * 365);
    session_->WaitAtMost([] { return false; }, limit);
    host_->SetParameterCallback(nullptr);
    if (InterruptRequested()) {
        return kExitInterrupted;
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
    std::string command;               // get, set, scene or wait
    std::vector<ParamArg> params;      // get
    std::vector<WriteArg> write_args;  // set
    // Resolved once the bank is known.
    std::vector<Asked> asked;
    std::map<std::uint16_t, std::uint16_t> writes;
    SceneCommand scene;
    long wait_ms = 0;
};

constexpr long kLongestBatchWaitMs = 24L * 3600 * 1000;

// Empty on success, else why the line does not parse.
std::string ParseBatchLine(const std::vector<std::string>& words, bool raw, BatchLine& line) {
    line.command = words[0];
    const std::vector<std::string> args(words.begin() + 1, words.end());
    if (line.command == "get")
        return ParseParamArgs(args, line.params);
    if (line.command == "set")
        return ParseWriteArgs(args, raw, line.write_args);
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
            error = ParseBatchLine(words, options_.raw, line);
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
        // Names of output strips take the bank active when the batch starts (or --bank).
        bool needs_bank = false;
        for (const auto& line : lines) {
            std::vector<ParamArg> targets = line.params;
            for (const auto& w : line.write_args)
                targets.push_back(w.target);
            needs_bank = needs_bank || NeedsBank(targets);
        }
        catalogue::Bank bank = catalogue::Bank::kSing;
        if (const int status = ActiveBank(needs_bank, bank); status != kExitOk)
            return lost(status, lines.front().number);
        for (std::size_t k = 0; k < lines.size(); ++k) {
            lines[k].asked = Resolve(lines[k].params, bank);
            std::vector<Asked> written;
            if (std::string error = ResolveWrites(lines[k].write_args, bank, lines[k].writes, written);
                !error.empty()) {
                bad = {lines[k].number, error};
                lines.resize(k);
                break;
            }
        }
    }
    auto ok_line = [&](int number) {
        if (options_.json)
            out_ << "{\"line\": " << number << ", \"ok\": true}" << std::endl;
        else
            out_ << "line " << number << ": ok" << std::endl;
    };
    // With --json every line that ran has its object, a failed one too.
    auto failed_line = [&](int number, int status) {
        if (options_.json)
            out_ << "{\"line\": " << number << ", \"ok\": false, \"exit\": " << status << "}" << std::endl;
        err_ << "velactl: line " << number << " failed" << std::endl;
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
                    failed_line(lines[j].number, line_status);
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
                status = PrintValues(line.asked, line.number);
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
                failed_line(line.number, status);
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
    // Files first (one or two), then the parameters to compare, if any.
    std::vector<std::string> args(options_.args.begin(), options_.args.begin() + 1);
    std::size_t k0 = 1;
    if (options_.args.size() > 1 && LooksLikeFile(options_.args[1])) {
        args.push_back(options_.args[1]);
        k0 = 2;
    }
    std::vector<ParamArg> params;
    if (k0 < options_.args.size()) {
        const std::vector<std::string> rest(options_.args.begin() + static_cast<long>(k0),
                                            options_.args.end());
        if (const std::string error = ParseParamArgs(rest, params); !error.empty())
            return Usage(error);
    }
    // A file holds both banks: a name of an output strip means the bank --bank names, else Sing.
    const auto asked =
        Resolve(params, options_.bank == std::optional<std::string>("dance") ? catalogue::Bank::kDance
                                                                             : catalogue::Bank::kSing);
    std::vector<int> wanted(kParameterCount, params.empty() ? 1 : 0);
    for (const auto& a : asked)
        wanted[a.index] = a.by_name ? 2 : std::max(wanted[a.index], 1);
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
        if ((i >= kParameterCount ? params.empty() : wanted[i] != 0) &&
            (in_a != in_b || (in_a && a_values[i] != b_values[i])))
            differ.push_back(i);
    }
    auto text = [&](const std::vector<std::uint32_t>& v, std::size_t i) {
        if (i >= v.size())
            return std::string("-");
        if (i < kParameterCount && wanted[i] == 2)
            return ValueText(static_cast<std::uint16_t>(i), static_cast<std::uint16_t>(v[i]), !options_.raw);
        return std::to_string(v[i]);
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
        return differ.empty() ? kExitOk : kExitDiffer;
    }
    for (const std::size_t i : differ) {
        if (i < kParameterCount && wanted[i] == 2)
            out_ << ShownName(static_cast<std::uint16_t>(i));
        else
            out_ << i << " " << name(i);
        out_ << " " << text(a_values, i) << " " << text(b_values, i) << "\n";
    }
    return differ.empty() ? kExitOk : kExitDiffer;
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
