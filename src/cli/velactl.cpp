#include "cli/velactl.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <thread>

#include "cli/curve_command.h"
#include "cli/device_config.h"
#include "cli/eq_command.h"
#include "cli/rooms_command.h"
#include "cli/serve_command.h"
#include "cli/velactl_cli.h"
#include "core/diag/version.h"
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

using Command = int (*)(Cli&);

// A table: every command and what runs it. A new command is one line here and its help text.
const std::map<std::string, Command> kCommands = {
    {"list", [](Cli& c) { return c.List(); }},
    {"status", [](Cli& c) { return c.Status(); }},
    {"dump", [](Cli& c) { return c.Dump(); }},
    {"get", [](Cli& c) { return c.Get(); }},
    {"set", [](Cli& c) { return c.Set(); }},
    {"save", [](Cli& c) { return c.Save(); }},
    {"load", [](Cli& c) { return c.Load(false); }},
    {"import", [](Cli& c) { return c.Load(true); }},
    {"scene", [](Cli& c) { return c.Scene(); }},
    {"settings", [](Cli& c) { return c.Settings(); }},
    {"wifi", [](Cli& c) { return c.Wifi(); }},
    {"watch", [](Cli& c) { return c.Watch(); }},
    {"params", [](Cli& c) { return RunParams(c.Opts().args, c.Opts().json, c.Out(), c.Err()); }},
    {"completion", [](Cli& c) { return c.Completion(); }},
    {"batch", [](Cli& c) { return c.Batch(); }},
    {"diff", [](Cli& c) { return c.Diff(); }},
    {"curve", [](Cli& c) { return c.Curve(); }},
    {"eq", [](Cli& c) { return c.Eq(); }},
    {"inspect", [](Cli& c) { return c.Inspect(); }},
};

// Commands that never need a device: the device is looked up (and the configuration read) only for a
// command that may.
const std::set<std::string> kOffline = {"list", "inspect", "params", "completion"};

}  // namespace

int Cli::Fail(int code, const std::string& message) {
    if (session_) {
        session_->Host().ClearProgress();
    }
    err_ << "velactl: " << message << std::endl;
    return code;
}

int Cli::Run(const std::vector<std::string>& args) {
    if (const auto done = ParseOptions(args, options_, out_, err_)) {
        return *done;
    }
    if (options_.help) {
        out_ << CommandHelp().at(options_.command);
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
    if (const auto failed = ChooseTarget()) {
        return *failed;
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
    return Finish(Dispatch());
}

std::optional<int> Cli::ChooseTarget() {
    if (kOffline.count(options_.command) ||
        (options_.command == "diff" && options_.args.size() >= 2 && LooksLikeFile(options_.args[1]))) {
        return std::nullopt;
    }
    const DeviceChoice choice = ChooseDevice(options_.device);
    if (!choice.error.empty())
        return Usage(choice.error);
    const auto parsed = ParseDeviceSpec(choice.device);
    if (!parsed.spec) {
        return Usage(choice.room.empty() ? parsed.error : "room " + choice.room + ": " + parsed.error);
    }
    spec_ = *parsed.spec;
    spec_.token_file = !options_.token_file.empty() ? options_.token_file : choice.token_file;
    if (const auto problem = DeviceProblem(spec_))
        return Fail(kExitFile, *problem);
    return std::nullopt;
}

int Cli::Finish(int status) {
    // A scene file opened as the processor gets its edits now: a command that changed it is not done until
    // they are in the file.
    if (session_) {
        session_->Stack().Stop();
        const auto file = session_->Stack().FlushFile();
        if (file && file->pending && status == kExitOk)
            status = Fail(kExitFile, file->problem.empty() ? file->name + ": not written" : file->problem);
    }
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
    return kCommands.at(options_.command)(*this);
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
    if (!options_.args.empty())
        return Usage("list takes no arguments");
    const auto devices = EnumerateUsbDevices(kVendorId, kProductId);
    if (devices.empty()) {
        return Fail(kExitNoDevice, "no processor found on USB");
    }
    Writer().Print(devices);
    return kExitOk;
}

int Cli::Status() {
    if (!options_.args.empty())
        return Usage("status takes no arguments");
    // Open returns once the occupancy check passed, so a processor held by another controller fails here.
    if (const Outcome o = Open(Path::kLight); !o.Ok()) {
        return Fail(o);
    }
    Writer().Print(StatusReport{ToString(spec_), DeviceId(), session_->Link().State().scene_limit.load()});
    return kExitOk;
}

int Cli::Completion() {
    if (options_.args.size() != 1 || options_.args[0] != "bash")
        return Usage("completion takes: bash");
    std::vector<std::string> commands;
    for (const auto& [name, help] : CommandHelp())
        commands.push_back(name);
    out_ << BashCompletion(commands, OptionNames());
    return kExitOk;
}

int Cli::Curve() {
    return RunCurve(
        options_.args, [this](std::vector<std::uint32_t>& table) { return ReadDeviceTable(table); }, out_,
        err_);
}

int Cli::Eq() {
    // The light path: only the strip's bands (and the mode word) are read; one import is written together.
    auto open = [this] { return session_ ? Outcome{} : Open(Path::kLight); };
    const EqDevice device{
        [this, open](const std::vector<std::uint16_t>& indexes, std::vector<std::uint32_t>& table) {
            Outcome o = open();
            const auto missing = o.Ok() ? session_->ReadValues(indexes, o) : std::vector<std::uint16_t>{};
            if (!o.Ok() || !missing.empty())
                return Fail(o.Ok() ? Outcome{kExitNoDevice, "the device did not answer for its EQ bands"}
                                   : o);
            table.assign(kParameterCount, 0);
            for (std::size_t i = 0; i < kParameterCount; ++i)
                table[i] = session_->Link().Table().Value(i);
            return static_cast<int>(kExitOk);
        },
        [this, open](const std::map<std::uint16_t, std::uint16_t>& writes) {
            const Outcome o = open();
            return o.Ok() ? ReportWrites(writes, WriteAndConfirm(writes)) : Fail(o);
        }};
    return RunEq(options_.args, device, in_, out_, err_);
}

int RunVelactl(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err) {
    ClearInterrupt();
    return RunCommandLine(args, in, out, err);
}

int RunCommandLine(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err) {
    // No exception leaves a command: each is one line and an exit status, never an abort.
    try {
        // serve and rooms take their own options; serve runs until interrupted.
        if (!args.empty() && args.front() == "serve")
            return RunServe({args.begin() + 1, args.end()}, out, err);
        if (!args.empty() && args.front() == "rooms")
            return RunRooms({args.begin() + 1, args.end()}, out, err);
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
