#include "cli/serve_command.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <optional>
#include <thread>

#include "cli/processor_server.h"
#include "cli/session.h"
#include "core/link/device_spec.h"
#include "core/text/calendar.h"
#include "devices/device_factory.h"
#include "platform/stream_access.h"

namespace vela::cli {

namespace {

struct ServeOptions {
    std::string listen;
    std::string device = "usb";
    std::string token_file;
    std::string new_token;
    bool help = false;
};

// Returns an error text, or nothing.
std::optional<std::string> Parse(const std::vector<std::string>& args, ServeOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); eq != std::string::npos && name.rfind("--", 0) == 0) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (name == "--help" || name == "-h") {
            o.help = true;
            continue;
        }
        std::string* target = name == "--listen"       ? &o.listen
                              : name == "--device"     ? &o.device
                              : name == "--token-file" ? &o.token_file
                              : name == "--new-token"  ? &o.new_token
                                                       : nullptr;
        if (target == nullptr) {
            return "serve does not know " + args[i];
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                return name + " needs a value";
            }
            value = args[++i];
        }
        *target = *value;
    }
    return std::nullopt;
}

// 2026-12-09 21:03:12Z: the same clock the busy refusal shows.
std::string Stamp() {
    return CalendarText(UtcCalendar(std::time(nullptr)), "%Y-%m-%d %H:%M:%SZ");
}

constexpr auto kStopPoll = std::chrono::milliseconds(50);

// The device and the server's settings from the options; an exit status when they are not usable.
std::optional<int> Configure(const ServeOptions& o, DeviceSpec& device, ProcessorServer::Config& config,
                             std::ostream& err) {
    const auto listen = ParseDeviceSpec("tcp:" + o.listen);
    if (o.listen.empty() || !listen.spec) {
        err << "velactl: serve needs --listen HOST:PORT, e.g. 127.0.0.1:4357 (see velactl serve --help)"
            << std::endl;
        return kExitUsage;
    }
    const auto parsed = ParseDeviceSpec(o.device);
    if (!parsed.spec || parsed.spec->kind == DeviceSpec::Kind::kTcp) {
        err << "velactl: serve shares a processor of this computer: --device usb, usb:PATH or sim, not "
            << o.device << std::endl;
        return kExitUsage;
    }
    config.host = listen.spec->host;
    config.port = listen.spec->port;
    if (!o.token_file.empty()) {
        std::string error;
        config.token = auth::ReadTokenFile(o.token_file, error);
        if (!error.empty()) {
            err << "velactl: " << error << std::endl;
            return kExitFile;
        }
    } else if (!IsLoopback(config.host)) {
        err << "velactl: refusing to listen on " << config.host
            << " without a token: anyone on that network could take the processor over. Make one with\n"
               "  velactl serve --new-token FILE\nand serve with --token-file FILE, or listen on 127.0.0.1."
            << std::endl;
        return kExitUsage;
    }

    device = *parsed.spec;
    return std::nullopt;
}

}  // namespace

bool IsLoopback(const std::string& host) {
    return host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
}

int RunServe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ServeOptions o;
    if (const auto error = Parse(args, o)) {
        err << "velactl: " << *error << " (see velactl serve --help)" << std::endl;
        return kExitUsage;
    }
    if (o.help) {
        out << kServeHelp;
        return kExitOk;
    }
    if (!o.new_token.empty()) {
        if (const std::string error = auth::CreateTokenFile(o.new_token); !error.empty()) {
            err << "velactl: " << error << std::endl;
            return kExitFile;
        }
        out << "wrote a new token to " << o.new_token << "\n";
        return kExitOk;
    }
    DeviceSpec device;
    ProcessorServer::Config config;
    if (const auto failed = Configure(o, device, config, err)) {
        return *failed;
    }
    std::mutex log_mutex;
    ProcessorServer server(MakeHidDevice(device), [&](const std::string& line) {
        std::lock_guard lock(log_mutex);
        err << Stamp() << " velactl serve: " << line << std::endl;
    });
    std::string error;
    if (!server.Start(config, &error)) {
        err << "velactl: cannot listen on " << o.listen << ": " << error << std::endl;
        return kExitFailed;
    }
    {
        std::lock_guard lock(log_mutex);
        err << Stamp() << " velactl serve: serving " << ToString(device) << " on " << config.host << ":"
            << server.Port() << (config.token.empty() ? " without a token" : " to holders of the token")
            << " (Ctrl-C stops)" << std::endl;
    }
    while (!InterruptRequested()) {
        std::this_thread::sleep_for(kStopPoll);
    }
    server.Stop();
    std::lock_guard lock(log_mutex);
    err << Stamp() << " velactl serve: stopped after " << server.Sessions() << " session(s), "
        << server.Refusals() << " refusal(s)" << std::endl;
    return kExitOk;
}

}  // namespace vela::cli
