// The system's file dialogs, in the program's language, owned by the window in front.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace vela {

enum class FileDialog { kOpen, kSave };

// `filter` in the table's form ("Name(*.x)|*.x||"); `extension` added to a typed name without one. The
// open dialog takes existing files only; the save dialog asks before replacing one. `suggested` is the name
// the dialog starts with. Nothing when cancelled.
std::optional<std::wstring> ChooseFile(HWND owner, FileDialog kind, std::wstring_view filter,
                                       const wchar_t* extension, std::wstring_view suggested = {});

}  // namespace vela
