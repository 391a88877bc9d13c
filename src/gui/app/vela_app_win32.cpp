#include "gui/app/vela_app_win32.h"

#include <commctrl.h>

#include <vector>

#include "core/files/file_data.h"
#include "core/text/strings.h"
#include "core/text/utf8.h"
#include "core/ui/device_notices.h"
#include "core/ui/main_layout.h"
#include "core/update/online_update.h"
#include "devices/device_factory.h"
#include "gui/app/main_dialog_win32.h"
#include "gui/win/message_box_win32.h"
#include "gui/win/screenshot_win32.h"
#include "platform/handle_win32.h"

namespace vela {
namespace {

constexpr int kExitBadArguments = 2;
constexpr int kExitWindowFailed = 3;
constexpr int kExitDeviceUnusable = 5;

BOOL CALLBACK RaiseIfMain(HWND window, LPARAM found) {
    if (GetPropW(window, kMainWindowProperty) != nullptr) {
        // Asynchronous: the running instance may be busy, and this start must not wait for it.
        if (IsIconic(window) || !IsWindowVisible(window)) {
            ShowWindowAsync(window, SW_RESTORE);
        }
        constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS;
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kKeepPlace);
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, kKeepPlace);
        SetForegroundWindow(window);
        *reinterpret_cast<bool*>(found) = true;
    }
    return TRUE;
}

// An unattended run answers every box with its first button and notes its text.
void AnswerBoxesInto(const std::wstring& folder) {
    SetMessageBoxResponder([folder](const MessageBoxRequest& box) {
        AppendRunMessage(folder, box.caption.empty() ? box.text : box.caption + L": " + box.text);
        const UINT buttons = box.type & MB_TYPEMASK;
        return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDYES : IDOK;
    });
}

// A file that cannot be opened (damaged, missing, open in another vela) is said before any window.
bool DeviceUsable(const VelaOptions& options) {
    const auto problem = DeviceProblem(options.device);
    if (!problem) {
        return true;
    }
    const std::wstring text = FillIn(Text(extra::kSceneFileUnusable), FromUtf8(*problem));
    LocalizedMessageBox(nullptr, text, kWindowTitle, MB_OK | MB_ICONERROR, LanguageIndex());
    if (!options.screenshots.empty()) {
        WriteRunReport(options.screenshots, text);
    }
    return false;
}

}  // namespace

bool RaiseRunningInstance() {
    bool found = false;
    EnumWindows(RaiseIfMain, reinterpret_cast<LPARAM>(&found));
    return found;
}

int CZR305M2App::Run(const std::wstring& command_line) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES |
                                                        ICC_INTERNET_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);

    const CZB_FileData settings;
    SetLanguageIndex(ChooseLanguage(settings.ReadInt(kLanguageFile, kLanguageKey), GetSystemDefaultLCID()));

    // Unattended from the start, so that not even a complaint about the arguments waits for a person.
    const std::vector<std::wstring> args = SplitCommandLine(command_line);
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == L"--screenshots" && !args[i + 1].empty()) {
            AnswerBoxesInto(args[i + 1]);
        }
    }
    const VelaOptionsParse parsed = ParseVelaOptions(command_line);
    if (!parsed.options) {
        const std::wstring text = parsed.error +
                                  L"\n\nvela.exe [--device usb|usb:PATH|sim|tcp:HOST:PORT|file:PATH | "
                                  L"SCENE.lub] [--token-file FILE] [--update-host HOST[:PORT]]";
        LocalizedMessageBox(nullptr, text, kWindowTitle, MB_OK | MB_ICONERROR, LanguageIndex());
        return kExitBadArguments;
    }
    VelaOptions options = *parsed.options;
    // The update host: the command line's for this run, else the current folder's settings (none: no update
    // check). Never the shared mirror folder: a file dropped there would point updates anywhere.
    if (options.update_host.empty()) {
        options.update_host = settings.ReadStringHere(update::kUpdateFile, update::kUpdateHostKey);
    }

    // One instance: a second start hands over to the first and ends. If the mutex cannot be created at
    // all, this start carries on as the first.
    const KernelHandle mutex(CreateMutexW(nullptr, TRUE, kInstanceMutexName));
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        RaiseRunningInstance();
        LocalizedMessageBox(nullptr, Text(str::kProgramRunning), L"", MB_OK, LanguageIndex());
        if (!options.screenshots.empty()) {
            WriteRunReport(options.screenshots, L"second instance: handed over to the running one");
        }
        return 0;
    }

    if (!DeviceUsable(options)) {
        return kExitDeviceUnusable;
    }

    CZR305M2Dlg window(options);
    if (window.DoModal(nullptr) == -1) {
        return kExitWindowFailed;
    }
    if (const auto result = window.ScreenshotResult()) {
        return *result;
    }
    return 0;
}

}  // namespace vela
