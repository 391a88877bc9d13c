// vela.exe's diagnostic log: a rolling file in the user's local application data, and the About box's way
// to it.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "core/diag/event_log.h"
#include "core/text/strings.h"

namespace vela {

inline constexpr LocalizedString kOpenLogFolderQuestion{
    {L"打开日志文件夹?", L"打開日誌資料夾?", L"Open the log folder?"}};

// %LOCALAPPDATA%\vela\logs; the temporary folder's vela\logs where there is no such folder.
std::filesystem::path LogFolder();

// The log's writer, started, with a first line naming the program, its version and the device.
std::unique_ptr<diag::EventLog> StartProgramLog(const std::string& device);

// Shows the log folder in the shell (creating it first). False when it could not be shown.
bool OpenLogFolder();

// Test switch: while set, the folder is handed to it instead of the shell.
using FolderOpener = std::function<bool(const std::filesystem::path&)>;
void SetFolderOpener(FolderOpener opener);

}  // namespace vela
