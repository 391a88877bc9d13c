#include "gui/support/win_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "res/resource.h"

namespace vela::testing {

HostWindow::HostWindow(int width, int height, const wchar_t* title) {
    CreateOwn(title, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_TOPMOST,
              RECT{40, 40, 40 + width, 40 + height}, nullptr);
    background_.Load(IDB_BACKGROUND_MAIN, hwnd_);
}

std::vector<Notification> HostWindow::TakenFor(UINT message) {
    std::vector<Notification> out;
    std::vector<Notification> rest;
    for (const Notification& n : notifications_)
        (n.message == message ? out : rest).push_back(n);
    notifications_.swap(rest);
    return out;
}

LRESULT HostWindow::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message >= WM_USER && message < WM_APP) {
        notifications_.push_back({message, wparam, lparam});
        return 0;
    }
    switch (message) {
        case WM_ERASEBKGND:
            return TRUE;
        case WM_PAINT: {
            PaintDc paint(hwnd_);
            const RECT r = ClientRect();
            if (background_.Loaded()) {
                StretchBlt(paint.Get(), 0, 0, r.right, r.bottom, background_.Dc(), 0, 0, r.right, r.bottom,
                           SRCCOPY);
            }
            return 0;
        }
        default:
            return CWindow::WindowProc(message, wparam, lparam);
    }
}

HWND ShownThreadWindow(const wchar_t* window_class) {
    struct Search {
        const wchar_t* window_class;
        HWND found;
    } search{window_class, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM at) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(at);
            wchar_t name[64]{};
            GetClassNameW(w, name, 64);
            if (!IsWindowVisible(w) || _wcsicmp(name, s.window_class) != 0)
                return TRUE;
            s.found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump();
    }
    return true;
}

double Pixels::Brightness(int x0, int y0, int x1, int y1) const {
    double sum = 0;
    int n = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const std::uint32_t p = At(x, y);
            sum += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
            n += 3;
        }
    }
    return n ? sum / n : 0;
}

Pixels ReadPixels(HDC dc, int x, int y, int width, int height) {
    Pixels out;
    out.width = width;
    out.height = height;
    out.data.resize(static_cast<std::size_t>(width) * height);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap dib(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueDc mem(CreateCompatibleDC(dc));
    if (!dib || !mem || !bits)
        return out;
    {
        ScopedSelect select(mem.Get(), dib.Get());
        BitBlt(mem.Get(), 0, 0, width, height, dc, x, y, SRCCOPY);
        GdiFlush();
        std::memcpy(out.data.data(), bits, out.data.size() * sizeof(std::uint32_t));
    }
    return out;
}

std::wstring BuiltProgram(const std::wstring& name) {
    wchar_t exe[MAX_PATH]{};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    return (std::filesystem::path(exe).parent_path().parent_path() / L"src" / name).wstring();
}

int RunProcess(const std::wstring& program, const std::wstring& arguments, DWORD timeout_ms, bool& finished,
               const std::wstring& output) {
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE out = INVALID_HANDLE_VALUE;
    if (!output.empty()) {
        out = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = out;
        si.hStdError = out;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION pi{};
    finished = false;
    const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr,
                                        out != INVALID_HANDLE_VALUE, 0, nullptr, nullptr, &si, &pi);
    if (out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    if (!started)
        return -1;
    DWORD code = 999;
    // Pumping while waiting: the program may talk to this thread's windows.
    const DWORD deadline = GetTickCount() + timeout_ms;
    while (!finished) {
        const DWORD now = GetTickCount();
        if (static_cast<std::int32_t>(now - deadline) >= 0)
            break;
        const DWORD r = MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, deadline - now, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) {
            finished = true;
            GetExitCodeProcess(pi.hProcess, &code);
        } else {
            Pump();
        }
    }
    if (!finished) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

std::wstring ArtifactsFolder() {
    wchar_t value[MAX_PATH]{};
    const DWORD n = GetEnvironmentVariableW(L"VELA_ARTIFACTS", value, MAX_PATH);
    std::wstring folder;
    if (n > 0 && n < MAX_PATH) {
        folder = value;
        // A Unix path handed through Wine: its root is drive Z:.
        if (!folder.empty() && folder[0] == L'/')
            folder = L"Z:" + folder;
    } else {
        wchar_t exe[MAX_PATH]{};
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        folder = exe;
        // <build>/windows/tests/vela_win_tests.exe -> <build>/artifacts
        for (int up = 0; up < 3; ++up)
            folder = folder.substr(0, folder.find_last_of(L"\\/"));
        folder += L"\\artifacts";
    }
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

}  // namespace vela::testing
