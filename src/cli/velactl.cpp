#include "cli/velactl.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

#include "cli/console_host.h"
#include "cli/curve_command.h"
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
  --device SPEC    usb (default), sim (a virtual processor in this process) or tcp:HOST:PORT
  --timeout SEC    how long to wait for the device to answer (default 10)
  --lang LANG      en (default), zh-CN or zh-TW: the language of the device's messages
  --yes            answer the questions the device asks with yes
  --help           this text; COMMAND --help explains one command

Commands:
  list                      processors found on USB (no connection is made)
  status                    connect, identify and show the link state
  dump [--names] [--json]   every parameter, one line per index: INDEX VALUE
  get INDEX...              the values of some parameters
  set INDEX=VALUE...        write values; returns once the device holds every one
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

Exit status: 0 done, 2 usage error, 3 device not found, not answering or lost,
4 refused or failed, 5 file error (also standard output), 130 interrupted.
)";

const std::map<std::string, std::string> kCommandHelp = {
    {"list",
     "usage: velactl list\nLists the processors on USB (vendor 0x4084, product 0x4357) with their system "
     "path and serial number.\n"},
    {"status",
     "usage: velactl [--device SPEC] status\nConnects, identifies the processor and prints its id and the "
     "link state. Fails (4) when another controller holds it.\n"},
    {"dump",
     "usage: velactl [--device SPEC] dump [--names] [--json]\nReads every parameter from the device and "
     "prints INDEX VALUE per line, in index order.\n--names adds each parameter's name; --json prints one "
     "JSON document.\n"},
    {"get",
     "usage: velactl [--device SPEC] get INDEX...\nPrints INDEX VALUE for each index (0..946), as read from "
     "the device.\n"},
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

// Options that take a value, those that do not, and the one command each command-bound option serves.
// A read-back whose reply was lost is asked again this many times.
constexpr int kReadBackRounds = 5;

const std::set<std::string> kValueOptions = {"--device", "--timeout", "--lang", "--for"};
const std::set<std::string> kFlagOptions = {"--yes", "--help", "--names", "--json"};
// curve parses these itself: with a value, and without.
const std::set<std::string> kCurveValueOptions = {"--channel", "--bank", "--points"};
const std::set<std::string> kCurveFlagOptions = {"--json", "--live"};
const std::map<std::string, std::string> kCommandOptions = {
    {"--names", "dump"}, {"--json", "dump"}, {"--for", "watch"}};

struct Options {
    std::string device = "usb";
    double timeout_s = 10;
    bool yes = false;
    bool help = false;
    bool names = false;
    bool json = false;
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
    std::string out;
    for (char c : s) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out.push_back(c);
                }
        }
    }
    return out;
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

class Cli {
  public:
    Cli(std::istream& in, std::ostream& out, std::ostream& err) : in_(in), out_(out), err_(err) {}

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
    // Opens a session, connects and (unless told otherwise) waits until the table is loaded.
    Outcome Open(bool load);
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

    std::chrono::milliseconds Timeout() const {
        return std::chrono::milliseconds(static_cast<long long>(options_.timeout_s * 1000));
    }

    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
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
        std::string name = a == "-h" ? "--help" : a == "-y" ? "--yes" : a;
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
    for (const auto& [option, command] : kCommandOptions) {
        const bool given = option == "--names"  ? options_.names
                           : option == "--json" ? options_.json
                                                : options_.watch_for.has_value();
        if (given && command != options_.command) {
            return Usage(option + " belongs to " + command + ", not to " + options_.command);
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
    const bool tty = VELA_ISATTY(VELA_FILENO(stderr)) != 0;
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
    if (command == "curve")
        return RunCurve(
            rest, [this](std::vector<std::uint32_t>& table) { return ReadDeviceTable(table); }, out_, err_);
    return need(1) ? Inspect(rest[0]) : Usage("inspect needs one FILE");
}

Outcome Cli::Open(bool load) {
    if (InterruptRequested()) {
        return {kExitInterrupted, "interrupted"};
    }
    session_ = std::make_unique<Session>(spec_, *host_, Timeout());
    if (Outcome o = session_->Connect(); !o.Ok()) {
        return o;
    }
    return load ? session_->WaitLoaded() : Outcome{};
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
    for (const auto& d : devices) {
        out_ << std::hex << std::setfill('0') << std::setw(4) << d.vendor_id << ":" << std::setw(4)
             << d.product_id << std::dec << std::setfill(' ') << "  " << d.path;
        if (!d.serial.empty()) {
            out_ << "  serial " << d.serial;
        }
        out_ << "\n";
    }
    return kExitOk;
}

int Cli::Status() {
    // The occupancy check runs before the table is read, so a loaded table means nobody else holds it.
    if (const Outcome o = Open(true); !o.Ok()) {
        return Fail(o);
    }
    auto& s = session_->Link().State();
    out_ << "device: " << ToString(spec_) << "\n";
    out_ << "device id: "
         << Hex4(s.device_id.load() ? s.device_id.load() : session_->Link().Table().Value(param::kIdentity))
         << "\n";
    out_ << "scene limit: " << s.scene_limit.load() << "\n";
    out_ << "link: connected\n";
    return kExitOk;
}

int Cli::Dump() {
    if (const Outcome o = Open(true); !o.Ok()) {
        return Fail(o);
    }
    const auto& t = session_->Link().Table();
    if (options_.json) {
        out_ << "{\"device_id\": " << session_->Link().State().device_id.load() << ", \"parameters\": [";
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
    if (options_.args.empty())
        return Usage("get needs at least one INDEX");
    std::vector<std::uint16_t> indexes;
    for (const auto& a : options_.args) {
        const auto i = ParseIndex(a);
        if (!i)
            return Usage("not a parameter index (0..946): " + a);
        indexes.push_back(*i);
    }
    if (const Outcome o = Open(true); !o.Ok()) {
        return Fail(o);
    }
    for (auto i : indexes)
        out_ << i << " " << session_->Link().Table().Value(i) << "\n";
    return kExitOk;
}

int Cli::Set() {
    if (options_.args.empty())
        return Usage("set needs at least one INDEX=VALUE");
    std::map<std::uint16_t, std::uint16_t> writes;
    for (const auto& a : options_.args) {
        const auto eq = a.find('=');
        const auto i = eq == std::string::npos ? std::nullopt : ParseIndex(std::string_view(a).substr(0, eq));
        const auto v =
            eq == std::string::npos ? std::nullopt : ParseNumber(std::string_view(a).substr(eq + 1));
        if (!i || !v || *v < 0 || *v > 0xFFFF)
            return Usage("not INDEX=VALUE (0..946 = 0..65535): " + a);
        if (const std::string why = WhyNotWritable(*i); !why.empty())
            return Usage(a + ": " + why);
        if (!writes.emplace(*i, static_cast<std::uint16_t>(*v)).second)
            return Usage(a + ": parameter " + std::to_string(*i) + " is given more than once");
    }
    if (const Outcome o = Open(true); !o.Ok()) {
        return Fail(o);
    }
    auto& link = session_->Link();
    auto& t = link.Table();
    for (const auto& [i, v] : writes)
        link.WriteParameter(i, v);

    // Sent and acknowledged (or given up after its retries)...
    const Outcome settled = session_->WaitWhileAnswering([&] {
        return std::all_of(writes.begin(), writes.end(), [&](const auto& w) { return !t.IsDirty(w.first); });
    });
    if (!settled.Ok()) {
        return Fail(settled);
    }
    // ... then read back, since a write that ran out of retries also ends up no longer marked. A read
    // whose reply was lost is asked again; only a value that came back different is a failure.
    std::mutex seen_mutex;
    std::set<std::size_t> seen;
    host_->SetParameterCallback([&](std::size_t i) {
        std::lock_guard lock(seen_mutex);
        seen.insert(i);
    });
    auto unanswered = [&] {
        std::lock_guard lock(seen_mutex);
        std::vector<std::uint16_t> left;
        for (const auto& [i, v] : writes)
            if (!seen.count(i))
                left.push_back(i);
        return left;
    };
    for (int round = 0; round < kReadBackRounds && !unanswered().empty(); ++round) {
        for (auto i : unanswered())
            t[i].read_request = 1;
        session_->WaitAtMost([&] { return unanswered().empty(); }, std::chrono::milliseconds(kReadAnswerMs));
        if (const Outcome o = session_->Check(); !o.Ok()) {
            host_->SetParameterCallback(nullptr);
            return Fail(o);
        }
    }
    host_->SetParameterCallback(nullptr);
    const auto missing = unanswered();
    std::vector<std::string> landed;
    int differ = 0;
    for (const auto& [i, v] : writes) {
        if (std::find(missing.begin(), missing.end(), i) != missing.end()) {
            err_ << "velactl: parameter " << i << " did not answer the read-back" << std::endl;
        } else if (t.Value(i) != v) {
            err_ << "velactl: parameter " << i << " holds " << t.Value(i) << ", not " << v << std::endl;
            ++differ;
        } else {
            landed.push_back(std::to_string(i) + "=" + std::to_string(v));
        }
    }
    if (missing.empty() && differ == 0) {
        return kExitOk;
    }
    std::string list;
    for (const auto& l : landed)
        list += " " + l;
    err_ << "velactl: landed:" << (landed.empty() ? std::string(" none") : list) << std::endl;
    return differ ? kExitFailed : kExitNoDevice;
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
    if (const Outcome o = Open(true); !o.Ok()) {
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
    if (const Outcome o = Open(true); !o.Ok()) {
        return Fail(o);
    }
    auto& controller = session_->Controller();
    const std::uint32_t device_id = session_->Link().State().device_id.load();
    if (check.device_id != device_id) {
        return Fail(kExitFailed, file + ": saved from device " + Hex4(check.device_id) +
                                     ", this processor is " + Hex4(device_id) + "; nothing was loaded");
    }
    controller.SetScenePath(path);
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
    const auto& args = options_.args;
    if (args.empty())
        return Usage("scene needs list, call N or save N NAME");
    const std::string& what = args[0];
    std::optional<long> n;
    std::string ansi_name;
    if (what == "call" || what == "save") {
        if (args.size() != (what == "call" ? 2u : 3u))
            return Usage("scene " + what + (what == "call" ? " needs N" : " needs N NAME"));
        n = ParseNumber(args[1]);
        if (!n || *n < 1 || *n > kSceneSlots)
            return Usage("scene numbers are 1..8, not " + args[1]);
        if (what == "save") {
            if (HasControlCharacter(args[2]))
                return Usage("a scene name has no line breaks or other control characters");
            ansi_name = SystemCodePage().FromWide(FromUtf8(args[2]));
            if (ansi_name.empty())
                return Usage("a scene name needs at least one character");
            if (ansi_name.size() > kSceneNameStored)
                return Usage("the scene name " + args[2] + " is longer than the device keeps (" +
                             std::to_string(kSceneNameStored) + " bytes)");
        }
    } else if (what != "list" || args.size() != 1) {
        return Usage("scene needs list, call N or save N NAME");
    }
    if (const Outcome o = Open(true); !o.Ok()) {
        return Fail(o);
    }
    auto& link = session_->Link();
    auto& t = link.Table();

    // The names arrive after the table; their replies also move parameter 934, so nothing is asked of
    // a scene before they are all in.
    const int limit = std::clamp<int>(static_cast<int>(link.State().scene_limit.load()), 1, kSceneSlots);
    session_->WaitAtMost(
        [&] {
            for (int s = 0; s < limit; ++s)
                if (!link.SceneNames().NameReceived(s))
                    return false;
            return true;
        },
        Timeout());
    if (const Outcome o = session_->Check(); !o.Ok()) {
        return Fail(o);
    }
    session_->WaitAtMost([] { return false; }, std::chrono::milliseconds(kSceneNamesSettleMs));

    if (what == "list") {
        const int current = t.Value(param::kCurrentScene) & 0xFF;
        for (int s = 1; s <= limit; ++s) {
            out_ << (s == current ? "* " : "  ") << s << " " << ToUtf8(link.SceneNames().Name(s - 1)) << "\n";
        }
        return kExitOk;
    }
    if (what == "call") {
        t.WriteParameter(param::kSceneSelector, Word(0, static_cast<std::uint8_t>(*n)), false);
        if (const Outcome o = session_->Request(request::kCallScene); !o.Ok())
            return Fail(o);
        return CheckMessages(
            {{LinkText::kInvocationFailed, kExitFailed}, {LinkText::kReadDataFailed, kExitNoDevice}});
    }
    session_->Controller().SetSceneNameBuffer(ansi_name);
    t.WriteParameter(param::kSceneSelector, Word(kSceneOpSave, static_cast<std::uint8_t>(*n)), false);
    if (const Outcome o = session_->Request(request::kSaveScene); !o.Ok())
        return Fail(o);
    return CheckMessages({{LinkText::kSaveFailed, kExitFailed}});
}

int Cli::Settings() {
    if (options_.args.size() != 1 || options_.args[0] != "save")
        return Usage("settings takes: save");
    if (const Outcome o = Open(true); !o.Ok()) {
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
        ssid = SystemCodePage().FromWide(FromUtf8(args[1]));
        password = SystemCodePage().FromWide(FromUtf8(args[2]));
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

    if (const Outcome o = Open(true); !o.Ok()) {
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
            return at != std::string::npos ? t.substr(at + keyword.size()) : t;
        };
        if (slots[wifi::kIp].answered.load()) {
            const std::uint32_t ip = slots[wifi::kIp].value.load();
            out_ << "address: " << (ip >> 24) << "." << ((ip >> 16) & 255) << "." << ((ip >> 8) & 255) << "."
                 << (ip & 255) << "\n";
        } else {
            out_ << "address: (no answer)\n";
        }
        out_ << "mode: "
             << (slots[wifi::kMode].answered.load()
                     ? (slots[wifi::kMode].value.load() == wifi::kModeRoute ? "route" : "hotspot")
                     : "(no answer)")
             << "\n";
        out_ << "hotspot ssid: " << text_of(wifi::kHotSsid) << "\n";
        out_ << "hotspot password: " << text_of(wifi::kHotPassword) << "\n";
        out_ << "route ssid: " << text_of(wifi::kRouteSsid) << "\n";
        out_ << "route password: " << text_of(wifi::kRoutePassword) << "\n";
        const bool any = std::any_of(std::begin(asked), std::end(asked),
                                     [&](int s) { return slots[s].answered.load() != 0; });
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
    if (const Outcome o = Open(true); !o.Ok()) {
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
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in_)),
                                              std::istreambuf_iterator<char>());
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
    if (const Outcome o = Open(true); !o.Ok()) {
        return Fail(o);
    }
    const auto& t = session_->Link().Table();
    table.resize(kParameterCount);
    for (std::size_t i = 0; i < kParameterCount; ++i)
        table[i] = t.Value(i);
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
