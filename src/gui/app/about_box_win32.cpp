#include "gui/app/about_box_win32.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <cwchar>

#include "core/text/calendar.h"
#include "core/text/strings.h"
#include "gui/app/diag_log_win32.h"
#include "gui/app/main_dialog_win32.h"

namespace vela {
namespace {

constexpr int kAboutVersion = 25089;

std::time_t BuildTime() {
    std::tm tm{};
    // __DATE__ "Mmm dd yyyy", __TIME__ "hh:mm:ss"
    char month[4] = {};
    std::sscanf(__DATE__, "%3s %d %d", month, &tm.tm_mday, &tm.tm_year);
    std::sscanf(__TIME__, "%d:%d:%d", &tm.tm_hour, &tm.tm_min, &tm.tm_sec);
    static constexpr char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const char* found = std::strstr(kMonths, month);
    tm.tm_mon = found ? static_cast<int>((found - kMonths) / 3) : 0;
    tm.tm_year -= 1900;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

}  // namespace

std::wstring AboutText() {
    const std::time_t built = BuildTime();
    wchar_t date[32] = {};
    const std::tm local = LocalCalendar(built);
    std::wcsftime(date, 32, L"%Y-%m-%d %H:%M", &local);
    wchar_t version[32] = {};
    std::swprintf(version, 32, L"-V7.%d", kAboutVersion);
    return std::wstring(Text(extra::kVersionPrefix)) + kWindowTitle + version + L"\n\r" + date + L"\n\n" +
           std::wstring(Text(kOpenLogFolderQuestion));
}

void ShowAboutBox(IUserMessages& messages) {
    if (messages.Show(AboutText(), Text(extra::kAboutCaption), MessageButtons::kYesNo) ==
        MessageAnswer::kYes) {
        OpenLogFolder();
    }
}

}  // namespace vela
