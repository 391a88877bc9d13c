#include <csignal>
#include <filesystem>
#include <iostream>

#include "cli/console_host.h"
#include "cli/device_config.h"
#include "cli/velactl.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
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
    // "save -" and "inspect -" move scene files, which are bytes: no line-end translation.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    // The configuration may lie beside the program.
    wchar_t program[32768];
    if (const DWORD n = GetModuleFileNameW(nullptr, program, 32768); n > 0 && n < 32768)
        vela::cli::SetProgramFolder(std::filesystem::path(program).parent_path());
    int wargc = 0;
    if (LPWSTR* wargv = CommandLineToArgvW(GetCommandLineW(), &wargc)) {
        args.clear();
        for (int i = 1; i < wargc; ++i)
            args.push_back(vela::ToUtf8(wargv[i]));
        LocalFree(wargv);
    }
#endif
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    return vela::cli::RunVelactl(args, std::cin, std::cout, std::cerr);
}
