#include "cli/velactl.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <iomanip>
#include <map>
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

std::atomic<bool> g_interrupted{false};

constexpr char kUsage[] = R"(usage: velactl [OPTIONS] COMMAND [ARGS]

Controls a processor over USB, or the virtual one.

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
  save FILE                 save the device's whole setting to a scene file
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
  inspect FILE              read a scene file offline and print its header and values
  curve [FILE] --channel NAME
                            a channel's frequency response as CSV (hz,db): from FILE, else the device

Exit status: 0 done, 2 usage error, 3 device not found, not answering or lost,
4 refused or failed, 5 file error.
)";

const std::map<std::string, std::string> kCommandHelp = {
    {"list",
     "usage: velactl list\nLists the processors on USB (vendor 0x4084, product 0x4357) with their system "
     "path and serial number.\n"},
    {"status",
     "usage: velactl [--device SPEC] status\nConnects, identifies the processor and prints its id and the "
     "link state.\n"},
    {"dump",
     "usage: velactl [--device SPEC] dump [--names] [--json]\nReads every parameter from the device and "
     "prints INDEX VALUE per line, in index order.\n--names adds each parameter's name; --json prints one "
     "JSON document.\n"},
    {"get",
     "usage: velactl [--device SPEC] get INDEX...\nPrints INDEX VALUE for each index (0..946), as read from "
     "the device.\n"},
    {"set",
     "usage: velactl [--device SPEC] set INDEX=VALUE...\nWrites each value (0..65535) and waits until the "
     "device holds every one; fails when it does not.\n"},
    {"save",
     "usage: velactl [--device SPEC] save FILE\nReads the whole device and saves it to a scene file.\n"},
    {"load",
     "usage: velactl [--device SPEC] load FILE\nLoads a scene file into the device. Master levels and link "
     "words (26..29, 928..935) and the last parameter are kept.\n"},
    {"import",
     "usage: velactl [--device SPEC] import FILE\nLoads parameters 730..914 of a scene file into the device, "
     "then asks it to save its settings.\n"},
    {"scene",
     "usage: velactl [--device SPEC] scene list | scene call N | scene save N NAME\nLists, calls or stores "
     "the device's scenes 1..8.\n"},
    {"settings",
     "usage: velactl [--device SPEC] settings save\nAsks the device to keep its current settings.\n"},
    {"wifi",
     "usage: velactl [--device SPEC] wifi show | wifi mode hotspot|route | wifi hotspot SSID PASSWORD | wifi "
     "route SSID PASSWORD\nReads or sets the processor's Wi-Fi module. Passwords of the hotspot need at "
     "least 8 characters (or none).\nSwitching to route mode asks for confirmation: pass --yes.\n"},
    {"watch",
     "usage: velactl [--device SPEC] watch [--for SEC]\nPrints INDEX VALUE for every parameter that changes "
     "on the device, until interrupted (or SEC seconds).\n"},
    {"curve", kCurveHelp},
    {"inspect",
     "usage: velactl inspect FILE\nReads a scene file without a device and prints its header and values "
     "(INDEX VALUE NAME).\n"},
};

struct Options {
    std::string device = "usb";
    double timeout_s = 10;
    bool yes = false;
    std::string lang = "en";
    std::vector<std::string> rest;
};

std::optional<long> ParseNumber(std::string_view s) {
    long v = 0;
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        base = 16;
    }
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v, base);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) {
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

class Cli {
  public:
    Cli(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    int Run(const std::vector<std::string>& args);

  private:
    int Usage(const std::string& message) {
        err_ << "velactl: " << message << "\n"
             << "Try 'velactl --help'." << std::endl;
        return kExitUsage;
    }
    int Fail(int code, const std::string& message) {
        err_ << "velactl: " << message << std::endl;
        return code;
    }
    int NoDevice(Session& session) {
        if (session.Occupied()) {
            return Fail(kExitFailed, "the processor is held by another controller");
        }
        return Fail(kExitNoDevice, "no processor answered on " + options_.device);
    }

    // Opens a session, connects and (unless told otherwise) loads the table.
    int Open(bool load);
    int CheckMessages(std::initializer_list<std::pair<LinkText, int>> failures);

    int List();
    int Status();
    int Dump(const std::vector<std::string>& args);
    int Get(const std::vector<std::string>& args);
    int Set(const std::vector<std::string>& args);
    int Save(const std::string& file);
    int Load(const std::string& file, bool import);
    int Scene(const std::vector<std::string>& args);
    int Settings(const std::vector<std::string>& args);
    int Wifi(const std::vector<std::string>& args);
    int Watch(const std::vector<std::string>& args);
    int Inspect(const std::string& file);
    int ReadDeviceTable(std::vector<std::uint32_t>& table);

    std::chrono::milliseconds Timeout() const {
        return std::chrono::milliseconds(static_cast<long long>(options_.timeout_s * 1000));
    }

    std::ostream& out_;
    std::ostream& err_;
    Options options_;
    DeviceSpec spec_;
    std::unique_ptr<ConsoleHost> host_;
    std::unique_ptr<Session> session_;
};

int Cli::Run(const std::vector<std::string>& args) {
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            out_ << kUsage;
            return kExitOk;
        } else if (a == "--device" || a == "--timeout" || a == "--lang") {
            if (i + 1 >= args.size()) {
                return Usage(a + " needs a value");
            }
            const std::string& v = args[++i];
            if (a == "--device") {
                options_.device = v;
            } else if (a == "--lang") {
                options_.lang = v;
            } else {
                char* end = nullptr;
                options_.timeout_s = std::strtod(v.c_str(), &end);
                if (end == v.c_str() || *end != '\0' || options_.timeout_s <= 0) {
                    return Usage("--timeout needs a number of seconds above 0");
                }
            }
        } else if (a.rfind("--device=", 0) == 0) {
            options_.device = a.substr(9);
        } else if (a == "--yes" || a == "-y") {
            options_.yes = true;
        } else if (a.size() > 1 && a[0] == '-' &&
                   !(a.size() > 1 && std::isdigit(static_cast<unsigned char>(a[1])))) {
            return Usage("unknown option " + a);
        } else {
            break;
        }
    }
    if (i >= args.size()) {
        out_ << kUsage;
        return kExitUsage;
    }
    const std::string command = args[i];
    const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
    if (std::find(rest.begin(), rest.end(), "--help") != rest.end()) {
        const auto h = kCommandHelp.find(command);
        if (h == kCommandHelp.end()) {
            return Usage("unknown command " + command);
        }
        out_ << h->second;
        return kExitOk;
    }

    if (options_.lang == "en") {
        SetLanguageIndex(2);
    } else if (options_.lang == "zh-CN") {
        SetLanguageIndex(0);
    } else if (options_.lang == "zh-TW") {
        SetLanguageIndex(1);
    } else {
        return Usage("--lang takes en, zh-CN or zh-TW");
    }
    const auto parsed = ParseDeviceSpec(options_.device);
    if (!parsed.spec) {
        return Usage(parsed.error);
    }
    spec_ = *parsed.spec;
    const bool tty = VELA_ISATTY(VELA_FILENO(stderr)) != 0;
    host_ = std::make_unique<ConsoleHost>(err_, options_.yes, tty);

    auto need = [&](std::size_t n) { return rest.size() == n; };
    if (command == "list")
        return need(0) ? List() : Usage("list takes no arguments");
    if (command == "status")
        return need(0) ? Status() : Usage("status takes no arguments");
    if (command == "dump")
        return Dump(rest);
    if (command == "get")
        return Get(rest);
    if (command == "set")
        return Set(rest);
    if (command == "save")
        return need(1) ? Save(rest[0]) : Usage("save needs one FILE");
    if (command == "load")
        return need(1) ? Load(rest[0], false) : Usage("load needs one FILE");
    if (command == "import")
        return need(1) ? Load(rest[0], true) : Usage("import needs one FILE");
    if (command == "scene")
        return Scene(rest);
    if (command == "settings")
        return Settings(rest);
    if (command == "wifi")
        return Wifi(rest);
    if (command == "watch")
        return Watch(rest);
    if (command == "inspect")
        return need(1) ? Inspect(rest[0]) : Usage("inspect needs one FILE");
    if (command == "curve")
        return RunCurve(
            rest, [this](std::vector<std::uint32_t>& table) { return ReadDeviceTable(table); }, out_, err_);
    return Usage("unknown command " + command);
}

int Cli::Open(bool load) {
    session_ = std::make_unique<Session>(spec_, *host_, Timeout());
    if (session_->Connect() != kExitOk) {
        return NoDevice(*session_);
    }
    if (load) {
        const int r = session_->WaitLoaded();
        if (r != kExitOk) {
            return NoDevice(*session_);
        }
    }
    return kExitOk;
}

// The first failure message the link showed decides the exit status.
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
        err_ << "velactl: no processor found on USB" << std::endl;
        return kExitNoDevice;
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
    if (const int r = Open(false); r != kExitOk) {
        return r;
    }
    auto& s = session_->Link().State();
    out_ << "device: " << ToString(spec_) << "\n";
    out_ << "device id: 0x" << std::hex << std::setw(4) << std::setfill('0')
         << (s.device_id.load() ? s.device_id.load() : session_->Link().Table().Value(param::kIdentity))
         << std::dec << std::setfill(' ') << "\n";
    out_ << "scene limit: " << s.scene_limit.load() << "\n";
    out_ << "link: " << (s.link_up ? "connected" : "lost") << "\n";
    return kExitOk;
}

int Cli::Dump(const std::vector<std::string>& args) {
    bool names = false, json = false;
    for (const auto& a : args) {
        if (a == "--names")
            names = true;
        else if (a == "--json")
            json = true;
        else
            return Usage("dump takes --names and --json");
    }
    if (const int r = Open(true); r != kExitOk) {
        return r;
    }
    const auto& t = session_->Link().Table();
    if (json) {
        out_ << "{\"device_id\": " << session_->Link().State().device_id.load() << ", \"parameters\": [";
        for (std::size_t i = 0; i < kParameterCount; ++i) {
            out_ << (i ? ",\n  " : "\n  ") << "{\"index\": " << i << ", \"value\": " << t.Value(i);
            if (names)
                out_ << ", \"name\": \"" << JsonEscape(layout::ParameterName(i)) << "\"";
            out_ << "}";
        }
        out_ << "\n]}\n";
    } else {
        for (std::size_t i = 0; i < kParameterCount; ++i) {
            out_ << i << " " << t.Value(i);
            if (names)
                out_ << " " << layout::ParameterName(i);
            out_ << "\n";
        }
    }
    return kExitOk;
}

int Cli::Get(const std::vector<std::string>& args) {
    if (args.empty())
        return Usage("get needs at least one INDEX");
    std::vector<std::uint16_t> indexes;
    for (const auto& a : args) {
        const auto i = ParseIndex(a);
        if (!i)
            return Usage("not a parameter index (0..946): " + a);
        indexes.push_back(*i);
    }
    if (const int r = Open(true); r != kExitOk)
        return r;
    for (auto i : indexes)
        out_ << i << " " << session_->Link().Table().Value(i) << "\n";
    return kExitOk;
}

int Cli::Set(const std::vector<std::string>& args) {
    if (args.empty())
        return Usage("set needs at least one INDEX=VALUE");
    std::vector<std::pair<std::uint16_t, std::uint16_t>> writes;
    for (const auto& a : args) {
        const auto eq = a.find('=');
        const auto i = eq == std::string::npos ? std::nullopt : ParseIndex(std::string_view(a).substr(0, eq));
        const auto v =
            eq == std::string::npos ? std::nullopt : ParseNumber(std::string_view(a).substr(eq + 1));
        if (!i || !v || *v < 0 || *v > 0xFFFF)
            return Usage("not INDEX=VALUE (0..946 = 0..65535): " + a);
        writes.emplace_back(*i, static_cast<std::uint16_t>(*v));
    }
    if (const int r = Open(true); r != kExitOk)
        return r;
    auto& link = session_->Link();
    auto& t = link.Table();
    for (const auto& [i, v] : writes)
        link.WriteParameter(i, v);

    // Sent and acknowledged (or given up after its retries)...
    const bool settled = host_->WaitFor(
        [&] {
            return std::all_of(writes.begin(), writes.end(),
                               [&](const auto& w) { return !t.IsDirty(w.first); });
        },
        Timeout());
    if (!settled || !link.State().link_up) {
        return Fail(kExitNoDevice, "the device did not acknowledge the values; they stay queued");
    }
    // ... then read back, since a write that ran out of retries also ends up no longer marked.
    std::mutex seen_mutex;
    std::set<std::size_t> seen;
    host_->SetParameterCallback([&](std::size_t i) {
        std::lock_guard lock(seen_mutex);
        seen.insert(i);
    });
    for (const auto& [i, v] : writes)
        t[i].read_request = 1;
    const bool read_back = host_->WaitFor(
        [&] {
            std::lock_guard lock(seen_mutex);
            return std::all_of(writes.begin(), writes.end(),
                               [&](const auto& w) { return seen.count(w.first) > 0; });
        },
        Timeout());
    host_->SetParameterCallback(nullptr);
    int failed = 0;
    for (const auto& [i, v] : writes) {
        if (!read_back || t.Value(i) != v) {
            err_ << "velactl: parameter " << i << " holds " << t.Value(i) << ", not " << v << std::endl;
            ++failed;
        }
    }
    return failed ? kExitFailed : kExitOk;
}

int Cli::Save(const std::string& file) {
    if (file.empty()) {
        return Fail(kExitUsage, ToUtf8(LinkTextFor(LinkText::kEnterFileName)));
    }
    if (const int r = Open(true); r != kExitOk)
        return r;
    session_->Controller().SetScenePath(std::filesystem::u8path(file));
    if (session_->Request(request::kSaveToFile, Timeout() + std::chrono::seconds(60)) != kExitOk) {
        return Fail(kExitNoDevice, "the device went away while saving");
    }
    const int r = CheckMessages({{LinkText::kEnterFileName, kExitUsage},
                                 {LinkText::kSaveFailed, kExitFile},
                                 {LinkText::kReadDataFailed, kExitNoDevice}});
    return r;
}

int Cli::Load(const std::string& file, bool import) {
    if (file.empty()) {
        return Fail(kExitUsage, ToUtf8(LinkTextFor(LinkText::kEnterFileName)));
    }
    // The file is checked before any device is touched, so a bad file never reaches it.
    CZB_FileData check;
    const auto path = std::filesystem::u8path(file);
    if (const int r = check.LoadScene(path); r != kFileOk) {
        return Fail(kExitFile,
                    file + ": " + ToUtf8(LinkTextFor(LinkText::kNoFiles)) +
                        (r == kFileBadCheck ? " (damaged, or not a scene file)" : " (cannot be opened)"));
    }
    if (const int r = Open(true); r != kExitOk)
        return r;
    auto& controller = session_->Controller();
    controller.SetScenePath(path);
    const auto long_wait = Timeout() + std::chrono::seconds(120);
    int r = kExitOk;
    if (import) {
        std::vector<std::uint16_t> selection;
        for (std::uint16_t i = 730; i <= 914; ++i)
            selection.push_back(i);
        controller.SetSelection(std::move(selection));
        r = session_->Request(request::kLoadSelection, long_wait);
        if (r == kExitOk && !host_->Shown(LinkTextFor(LinkText::kWrongFileVersion))) {
            r = session_->Request(request::kSaveSettings, long_wait);
        }
    } else {
        r = session_->Request(request::kLoadFile, long_wait);
    }
    if (r != kExitOk) {
        return Fail(kExitNoDevice, "the device went away while loading; the rest is sent when it is back");
    }
    return CheckMessages({{LinkText::kWrongFileVersion, kExitFailed},
                          {LinkText::kNoFiles, kExitFile},
                          {LinkText::kWriteDataFailed, kExitNoDevice},
                          {LinkText::kReadDataFailed, kExitNoDevice},
                          {LinkText::kSaveFailed, kExitFailed}});
}

int Cli::Scene(const std::vector<std::string>& args) {
    if (args.empty())
        return Usage("scene needs list, call N or save N NAME");
    const std::string& what = args[0];
    std::optional<long> n;
    if (what == "call" || what == "save") {
        if (args.size() != (what == "call" ? 2u : 3u))
            return Usage("scene " + what + (what == "call" ? " needs N" : " needs N NAME"));
        n = ParseNumber(args[1]);
        if (!n || *n < 1 || *n > kSceneSlots)
            return Usage("scene numbers are 1..8");
    } else if (what != "list" || args.size() != 1) {
        return Usage("scene needs list, call N or save N NAME");
    }
    if (const int r = Open(true); r != kExitOk)
        return r;
    auto& link = session_->Link();
    auto& t = link.Table();
    const auto long_wait = Timeout() + std::chrono::seconds(60);

    // The names arrive after the table; the replies also move parameter 934, so nothing is asked of
    // a scene before they are all in.
    const int limit = std::clamp<int>(static_cast<int>(link.State().scene_limit.load()), 1, kSceneSlots);
    host_->WaitFor(
        [&] {
            for (int s = 0; s < limit; ++s)
                if (!link.SceneNames().NameReceived(s))
                    return false;
            return true;
        },
        std::chrono::seconds(3));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    if (what == "list") {
        const int current = t.Value(param::kCurrentScene) & 0xFF;
        for (int s = 1; s <= limit; ++s) {
            out_ << (s == current ? "* " : "  ") << s << " " << ToUtf8(link.SceneNames().Name(s - 1)) << "\n";
        }
        return kExitOk;
    }
    if (what == "call") {
        t.WriteParameter(param::kSceneSelector, Word(0, static_cast<std::uint8_t>(*n)), false);
        if (session_->Request(request::kCallScene, long_wait) != kExitOk)
            return NoDevice(*session_);
        return CheckMessages(
            {{LinkText::kInvocationFailed, kExitFailed}, {LinkText::kReadDataFailed, kExitNoDevice}});
    }
    const std::string ansi = link.CodePage().FromWide(FromUtf8(args[2]));
    if (ansi.size() > 20) {
        err_ << "velactl: the name is cut to its first 20 bytes" << std::endl;
    }
    session_->Controller().SetSceneNameBuffer(ansi);
    t.WriteParameter(param::kSceneSelector, Word(kSceneOpSave, static_cast<std::uint8_t>(*n)), false);
    if (session_->Request(request::kSaveScene, long_wait) != kExitOk)
        return NoDevice(*session_);
    return CheckMessages({{LinkText::kSaveFailed, kExitFailed}});
}

int Cli::Settings(const std::vector<std::string>& args) {
    if (args.size() != 1 || args[0] != "save")
        return Usage("settings takes: save");
    if (const int r = Open(true); r != kExitOk)
        return r;
    if (session_->Request(request::kSaveSettings, Timeout() + std::chrono::seconds(30)) != kExitOk) {
        return NoDevice(*session_);
    }
    return CheckMessages({{LinkText::kSaveFailed, kExitFailed}});
}

// Bytes the module accepts: the ANSI text with everything outside 0x20..0x7F dropped.
std::string ModuleText(DeviceLink& link, const std::string& utf8) {
    std::string out;
    for (char c : link.CodePage().FromWide(FromUtf8(utf8))) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b <= 0x7F)
            out.push_back(c);
    }
    return out;
}

int Cli::Wifi(const std::vector<std::string>& args) {
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
    if (what == "hotspot" || what == "route") {
        if (args[1].empty())
            return Fail(kExitUsage, ToUtf8(Text(str::kSsidEmpty)));
    }
    if (what == "mode" && args[1] == "route" && !options_.yes) {
        return Fail(kExitFailed, ToUtf8(Text(str::kRouteReconnect)) + "\n(pass --yes to confirm)");
    }

    if (const int r = Open(false); r != kExitOk)
        return r;
    auto& link = session_->Link();
    auto& slots = session_->Wifi();
    const auto wait = Timeout() + std::chrono::seconds(15);

    if (what == "show") {
        static constexpr std::pair<int, std::string_view> kQueries[] = {
            {wifi::kIp, "Get_IP:"},
            {wifi::kMode, "Get_WiFiMode:"},
            {wifi::kTcpPort, "Get_TCPPort:"},
            {wifi::kUdpPort, "Get_UDPPort:"},
            {wifi::kRouteSsid, "Get_RouteSSID:"},
            {wifi::kRoutePassword, "Get_RoutePW:"},
            {wifi::kHotSsid, "Get_HotSSID:"},
            {wifi::kHotPassword, "Get_HotPW:"}};
        for (const auto& [slot, text] : kQueries) {
            slots.SetText(slot, text);
            slots[slot].answered = 0;
        }
        const int asked[] = {wifi::kIp,      wifi::kMode,       wifi::kRouteSsid, wifi::kRoutePassword,
                             wifi::kHotSsid, wifi::kHotPassword};
        for (int slot : asked)
            slots.SetPending(slot);
        host_->WaitFor(
            [&] {
                return std::all_of(std::begin(asked), std::end(asked),
                                   [&](int s) { return slots[s].pending.load() == 0; });
            },
            wait);
        auto text_of = [&](int slot, std::string_view keyword) -> std::string {
            if (!slots[slot].answered.load())
                return "(no answer)";
            const std::string t = slots.Text(slot);
            return t.find(keyword) != std::string::npos && t.size() >= keyword.size()
                       ? t.substr(keyword.size())
                       : t;
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
                     ? (slots[wifi::kMode].value.load() == 2 ? "route" : "hotspot")
                     : "(no answer)")
             << "\n";
        out_ << "hotspot ssid: " << text_of(wifi::kHotSsid, "Get_HotSSID:") << "\n";
        out_ << "hotspot password: " << text_of(wifi::kHotPassword, "Get_HotPW:") << "\n";
        out_ << "route ssid: " << text_of(wifi::kRouteSsid, "Get_RouteSSID:") << "\n";
        out_ << "route password: " << text_of(wifi::kRoutePassword, "Get_RoutePW:") << "\n";
        const bool any = std::any_of(std::begin(asked), std::end(asked),
                                     [&](int s) { return slots[s].answered.load() != 0; });
        return any ? kExitOk : Fail(kExitNoDevice, "the Wi-Fi module did not answer");
    }

    std::wstring done;
    if (what == "mode") {
        slots.SetText(wifi::kSetMode, args[1] == "route" ? "Set_WiFiMode:2" : "Set_WiFiMode:1");
        slots.SetPending(wifi::kSetMode);
        done = L"WiFiMode:OK";
    } else {
        const std::string ssid = ModuleText(link, args[1]);
        const std::string password = ModuleText(link, args[2]);
        if (ssid.empty())
            return Fail(kExitUsage, ToUtf8(Text(str::kSsidEmpty)));
        if (what == "hotspot" && !password.empty() && password.size() < 8) {
            return Fail(kExitUsage, ToUtf8(Text(str::kPasswordEightChars)));
        }
        const bool hot = what == "hotspot";
        slots.SetText(hot ? wifi::kSetHotSsid : wifi::kSetRouteSsid,
                      (hot ? "Set_HotSSID:" : "Set_RouteSSID:") + ssid);
        slots.SetText(hot ? wifi::kSetHotPassword : wifi::kSetRoutePassword,
                      (hot ? "Set_HotPW:" : "Set_RoutePW:") + password);
        slots.SetPending(hot ? wifi::kSetHotSsid : wifi::kSetRouteSsid);
        slots.SetPending(hot ? wifi::kSetHotPassword : wifi::kSetRoutePassword);
        done = hot ? L"Set Hot:OK" : L"Set RouteS:OK";
    }
    if (!host_->WaitFor([&] { return host_->Shown(done); }, wait)) {
        return Fail(kExitFailed, "the Wi-Fi module did not confirm the setting");
    }
    return kExitOk;
}

int Cli::Watch(const std::vector<std::string>& args) {
    double seconds = 0;
    if (args.size() == 2 && args[0] == "--for") {
        char* end = nullptr;
        seconds = std::strtod(args[1].c_str(), &end);
        if (end == args[1].c_str() || *end != '\0' || seconds <= 0)
            return Usage("--for needs a number of seconds");
    } else if (!args.empty()) {
        return Usage("watch takes only --for SEC");
    }
    if (const int r = Open(true); r != kExitOk)
        return r;
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
    const auto limit = seconds > 0 ? std::chrono::milliseconds(static_cast<long long>(seconds * 1000))
                                   : std::chrono::hours(24 * 365);
    host_->WaitFor([&] { return g_interrupted.load() || !session_->Link().State().link_up; }, limit);
    host_->SetParameterCallback(nullptr);
    if (!g_interrupted && seconds == 0) {
        return Fail(kExitNoDevice, "the device went away");
    }
    return kExitOk;
}

int Cli::Inspect(const std::string& file) {
    CZB_FileData scene;
    const int r = scene.LoadScene(std::filesystem::u8path(file));
    if (r == kFileEmptyPath)
        return Fail(kExitUsage, ToUtf8(LinkTextFor(LinkText::kEnterFileName)));
    if (r == kFileCannotOpen)
        return Fail(kExitFile, file + ": cannot be opened");
    if (r == kFileBadCheck)
        return Fail(kExitFile, file + ": check value wrong (damaged, or not a scene file)");
    const auto& ft = scene.FileTimeRead();
    char when[64];
    std::snprintf(when, sizeof when, "%04u-%02u-%02u %02u:%02u:%02u", ft.year, ft.month, ft.day, ft.hour,
                  ft.minute, ft.second);
    out_ << "file: " << file << "\n"
         << "device id: 0x" << std::hex << std::setw(4) << std::setfill('0') << scene.device_id << std::dec
         << std::setfill(' ') << "\n"
         << "values: " << scene.ValueCount() << "\n"
         << "data offset: " << scene.DataOffset() << "\n"
         << "written: " << when << "\n";
    for (std::size_t i = 0; i < scene.Values().size(); ++i) {
        out_ << i << " " << scene.Values()[i];
        if (i < kParameterCount)
            out_ << " " << layout::ParameterName(i);
        out_ << "\n";
    }
    return kExitOk;
}

int Cli::ReadDeviceTable(std::vector<std::uint32_t>& table) {
    if (const int r = Open(true); r != kExitOk)
        return r;
    const auto& t = session_->Link().Table();
    table.resize(kParameterCount);
    for (std::size_t i = 0; i < kParameterCount; ++i)
        table[i] = t.Value(i);
    return kExitOk;
}

}  // namespace

void RequestInterrupt() {
    g_interrupted = true;
}

int RunVelactl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    g_interrupted = false;
    Cli cli(out, err);
    return cli.Run(args);
}

}  // namespace vela::cli
