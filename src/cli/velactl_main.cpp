#include <csignal>
#include <iostream>

#include "cli/console_host.h"
#include "cli/velactl.h"

#ifdef _WIN32
#include <windows.h>
// Wide command line, so that names in any language reach the device intact.
#include <shellapi.h>
#endif

namespace {
void OnSignal(int) {
    vela::cli::RequestInterrupt();
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
    int wargc = 0;
    if (LPWSTR* wargv = CommandLineToArgvW(GetCommandLineW(), &wargc)) {
        args.clear();
        for (int i = 1; i < wargc; ++i)
            args.push_back(vela::cli::ToUtf8(wargv[i]));
        LocalFree(wargv);
    }
#endif
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    return vela::cli::RunVelactl(args, std::cin, std::cout, std::cerr);
}
