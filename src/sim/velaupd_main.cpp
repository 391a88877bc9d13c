// velaupd: a loopback update server that offers one file, to try the online update by hand (vela.exe
// --update-host 127.0.0.1:PORT, under Wine or on Windows). It binds 127.0.0.1 only.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "sim/update_server.h"

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) {
    g_stop.store(true);
}

int Usage(const char* why) {
    if (why != nullptr) {
        std::fprintf(stderr, "velaupd: %s\n", why);
    }
    std::fprintf(stderr,
                 "usage: velaupd --file PROGRAM.exe [--port N] [--mode MODE] [--with-data]\n"
                 "  Serves PROGRAM.exe as an update on 127.0.0.1, UDP and TCP port N (default 24502).\n"
                 "  MODE: %s (default offer).\n"
                 "  --with-data sends the file's first bytes together with its header. Ctrl-C stops it.\n",
                 vela::sim::kUpdateServerModeNames);
    return why != nullptr ? 2 : 0;
}

// Reads the file and serves it until Ctrl-C.
int Serve(vela::sim::UpdateServerOptions& options, const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    options.file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "velaupd: cannot read %s\n", file.c_str());
        return 5;
    }
    vela::sim::UpdateServer server(options);
    std::string error;
    if (!server.Start(&error)) {
        std::fprintf(stderr, "velaupd: %s\n", error.c_str());
        return 3;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::fprintf(stderr, "velaupd: serving %s (%zu bytes) on 127.0.0.1:%u (Ctrl-C stops)\n", file.c_str(),
                 options.file.size(), server.Port());
    std::uint32_t queries = 0, served = 0;
    while (!g_stop.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (server.Queries() != queries || server.DownloadsServed() != served) {
            queries = server.Queries();
            served = server.DownloadsServed();
            std::fprintf(stderr, "velaupd: %u queries, %u downloads served, %zu completion reports\n",
                         queries, served, server.CompletionReports().size());
        }
    }
    server.Stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    vela::sim::UpdateServerOptions options;
    options.port = 24502;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "--help" || a == "-h") {
            return Usage(nullptr);
        } else if (a == "--file" && has_value) {
            file = argv[++i];
        } else if (a == "--port" && has_value) {
            const long port = std::strtol(argv[++i], nullptr, 10);
            if (port <= 0 || port > 65535) {
                return Usage("--port needs a number from 1 to 65535");
            }
            options.port = static_cast<std::uint16_t>(port);
        } else if (a == "--mode" && has_value) {
            const auto mode = vela::sim::UpdateServerModeNamed(argv[++i]);
            if (!mode) {
                return Usage("unknown mode");
            }
            options.mode = *mode;
        } else if (a == "--with-data") {
            options.header_with_data = true;
        } else {
            return Usage(("unknown or incomplete argument " + a).c_str());
        }
    }
    if (file.empty()) {
        return Usage("--file is needed");
    }
    return Serve(options, file);
}
