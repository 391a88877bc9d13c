#include "gui/win/file_dialog_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "core/text/strings.h"

namespace vela {

namespace {

// Room for a long path in a deep folder, beyond the classic MAX_PATH.
constexpr DWORD kPathCapacity = 32768;

}  // namespace

std::optional<std::wstring> ChooseFile(HWND owner, FileDialog kind, std::wstring_view filter,
                                       const wchar_t* extension, std::wstring_view suggested) {
    // The dialog's own buttons follow the program's language.
    SetThreadUILanguage(LanguageIdFor(LanguageIndex()));
    std::wstring pairs(filter);
    std::replace(pairs.begin(), pairs.end(), L'|', L'\0');
    std::vector<wchar_t> path(kPathCapacity, L'\0');
    std::copy_n(suggested.begin(), std::min<std::size_t>(suggested.size(), kPathCapacity - 1), path.begin());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = pairs.c_str();
    ofn.lpstrFile = path.data();
    ofn.nMaxFile = kPathCapacity;
    ofn.lpstrDefExt = extension;
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    ofn.Flags |= kind == FileDialog::kSave ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
    const BOOL chosen = kind == FileDialog::kSave ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen)
        return std::nullopt;
    return std::wstring(path.data());
}

}  // namespace vela
