// "Import EQ..." and "Export EQ..." of a strip page's graph: the file dialogs, the report and the files.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/pages/strip_page.h"

namespace vela {

// What the two commands ask of the user. The program shows the system's dialogs; tests answer instead.
class IEqFileDialogs {
  public:
    virtual ~IEqFileDialogs() = default;
    // The file to read, or nothing when the user cancelled.
    virtual std::optional<std::wstring> ChooseImportFile(HWND owner) = 0;
    // The file to write, starting from a suggested name, or nothing when the user cancelled.
    virtual std::optional<std::wstring> ChooseExportFile(HWND owner, std::wstring_view suggested) = 0;
    // The import report; true when the user chose OK.
    virtual bool ConfirmImport(HWND owner, std::wstring_view title, const std::vector<std::wstring>& lines) = 0;
};

// The system's open and save dialogs and the report dialog.
IEqFileDialogs& SystemEqFileDialogs();

// Reads and fits a file onto the page; on OK writes it as one edit. A file that cannot be read or is refused
// is said in a box owned by owner, and nothing is written. True when the bands were written.
bool ImportEqFile(HWND owner, StripPage& page, IEqFileDialogs& dialogs);
// Writes the page's bands to a file; a failure is said in a box. True when the file was written.
bool ExportEqFile(HWND owner, StripPage& page, IEqFileDialogs& dialogs);

}  // namespace vela
