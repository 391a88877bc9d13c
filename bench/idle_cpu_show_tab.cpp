// Shows one tab of the running vela.exe as a click on it would, for bench/idle_cpu.sh: finds the main window
// by its property and posts the tab button's notification. Waits up to 30 s for the window.
// Usage: show_tab.exe TAB (0 Main .. 7 System)
#include <windows.h>

#include <cwchar>

#include "gui/app/main_dialog_win32.h"

namespace {

BOOL CALLBACK FindMain(HWND window, LPARAM found) {
    if (GetPropW(window, vela::kMainWindowProperty) == nullptr)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2)
        return 2;
    const long tab = std::wcstol(argv[1], nullptr, 10);
    constexpr int kTries = 300;
    constexpr DWORD kPauseMs = 100;
    for (int i = 0; i < kTries; ++i) {
        HWND main = nullptr;
        EnumWindows(FindMain, reinterpret_cast<LPARAM>(&main));
        if (main != nullptr)
            return PostMessageW(main, IDC_TAB, 0, static_cast<LPARAM>(tab)) ? 0 : 1;
        Sleep(kPauseMs);
    }
    return 1;
}
