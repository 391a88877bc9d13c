#include "gui/app/diag_log_win32.h"

#include <windows.h>
// After windows.h, which they need.
#include <shellapi.h>
#include <shlobj.h>

#include <mutex>

#include "core/diag/version.h"

namespace vela {

namespace {

constexpr char kLogFile[] = "vela.log";

std::mutex g_opener_mutex;
FolderOpener g_opener;

std::filesystem::path LocalAppData() {
    PWSTR path = nullptr;
    std::filesystem::path result;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &path)) && path) {
        result = path;
    }
    CoTaskMemFree(path);
    if (result.empty()) {
        wchar_t temp[MAX_PATH + 1] = {};
        const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
        if (length > 0 && length <= MAX_PATH) {
            result = temp;
        }
    }
    return result;
}

}  // namespace

std::filesystem::path LogFolder() {
    return LocalAppData() / L"vela" / L"logs";
}

std::unique_ptr<diag::EventLog> StartProgramLog(const std::string& device) {
    auto log = std::make_unique<diag::EventLog>();
    log->AddOutput(std::make_unique<diag::RollingFile>(LogFolder(), kLogFile));
    log->Start();
    log->Event("start", {{"program", "vela"}, {"version", kVersion}, {"device", device}});
    return log;
}

void SetFolderOpener(FolderOpener opener) {
    std::lock_guard lock(g_opener_mutex);
    g_opener = std::move(opener);
}

bool OpenLogFolder() {
    const std::filesystem::path folder = LogFolder();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    FolderOpener opener;
    {
        std::lock_guard lock(g_opener_mutex);
        opener = g_opener;
    }
    if (opener) {
        return opener(folder);
    }
    // ShellExecute returns a value above 32 on success.
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

}  // namespace vela
