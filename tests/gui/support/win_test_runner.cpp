// Entry point of the Windows test executable (wide, as the program is built with -municode).
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

// Shards of the suite run side by side in one Wine session. Each gets its own working folder and temporary
// folder, so the settings, their mirror copy, scene files and scratch folders of one never meet another's.
// The temporary folder keeps "Temp" in its path: the settings' mirror folder is found from it.
bool UseOwnFolders() {
    wchar_t index[16]{};
    const DWORD n = GetEnvironmentVariableW(L"GTEST_SHARD_INDEX", index, 16);
    if (n == 0 || n >= 16)
        return true;
    std::error_code ec;
    const std::filesystem::path own = std::filesystem::current_path(ec) / (std::wstring(L"shard-") + index);
    const std::filesystem::path temp = own / L"Temp";
    std::filesystem::create_directories(temp, ec);
    if (ec || !SetCurrentDirectoryW(own.c_str()))
        return false;
    const std::wstring temp_text = temp.wstring() + L"\\";
    return SetEnvironmentVariableW(L"TMP", temp_text.c_str()) &&
           SetEnvironmentVariableW(L"TEMP", temp_text.c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    ::testing::InitGoogleTest(&argc, argv);
    if (!UseOwnFolders()) {
        fwprintf(stderr, L"vela_win_tests: cannot make this shard's own folders\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
