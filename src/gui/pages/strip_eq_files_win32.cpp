#include "gui/pages/strip_eq_files_win32.h"

#include <algorithm>
#include <filesystem>

#include "core/files/file_data.h"
#include "core/model/eq_text.h"
#include "core/pages/strip_eq_file.h"
#include "core/text/strings.h"
#include "core/text/utf8.h"
#include "gui/pages/eq_report_dialog_win32.h"
#include "gui/win/file_dialog_win32.h"
#include "gui/win/message_box_win32.h"
#include "platform/handle_win32.h"

namespace vela {
namespace {

constexpr DWORD kReadChunk = 64 * 1024;

// The file's bytes, one past the largest list at most (the parser refuses that); nothing when unreadable.
std::optional<std::string> ReadListFile(const std::wstring& path) {
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    std::string bytes;
    const std::size_t limit = eqtext::kMaxTextBytes + 1;
    while (bytes.size() < limit) {
        const std::size_t at = bytes.size();
        const auto want = static_cast<DWORD>(std::min<std::size_t>(kReadChunk, limit - at));
        bytes.resize(at + want);
        DWORD got = 0;
        if (!ReadFile(file.Get(), bytes.data() + at, want, &got, nullptr))
            return std::nullopt;
        bytes.resize(at + got);
        if (got == 0)
            break;
    }
    return bytes;
}

std::wstring FileNameOf(const std::wstring& path) {
    const std::wstring name = std::filesystem::path(path).filename().wstring();
    return name.empty() ? path : name;
}

void Tell(HWND owner, const std::wstring& text) {
    LocalizedMessageBoxTitled(owner, text, {}, MB_OK | MB_ICONWARNING, LanguageIndex());
}

class SystemDialogs : public IEqFileDialogs {
  public:
    std::optional<std::wstring> ChooseImportFile(HWND owner) override { return Choose(owner, {}, false); }
    std::optional<std::wstring> ChooseExportFile(HWND owner, std::wstring_view suggested) override {
        return Choose(owner, suggested, true);
    }
    bool ConfirmImport(HWND owner, std::wstring_view title, const std::vector<std::wstring>& lines) override {
        CEqReportDialog dialog{std::wstring(title), lines};
        return dialog.DoModal(owner) == IDOK;
    }

  private:
    static std::optional<std::wstring> Choose(HWND owner, std::wstring_view suggested, bool save) {
        return ChooseFile(owner, save ? FileDialog::kSave : FileDialog::kOpen, Text(extra::kEqFileFilter),
                          L"txt", suggested);
    }
};

}  // namespace

IEqFileDialogs& SystemEqFileDialogs() {
    static SystemDialogs dialogs;
    return dialogs;
}

bool ImportEqFile(HWND owner, StripPage& page, IEqFileDialogs& dialogs) {
    const std::optional<std::wstring> path = dialogs.ChooseImportFile(owner);
    if (!path || path->empty())
        return false;
    const std::wstring name = FileNameOf(*path);
    const std::optional<std::string> text = ReadListFile(*path);
    if (!text) {
        Tell(owner, FormatText(Text(extra::kEqFileUnreadable), name.substr(0, MAX_PATH).c_str()));
        return false;
    }
    const EqFit fit = FitEqText(page, *text);
    if (!fit.Ok()) {
        Tell(owner, EqRefusalText(fit, name));
        return false;
    }
    if (!dialogs.ConfirmImport(owner, Text(extra::kEqImportTitle), EqImportReport(fit, name)))
        return false;
    return ApplyEqFit(page, fit);
}

bool ExportEqFile(HWND owner, StripPage& page, IEqFileDialogs& dialogs) {
    const std::wstring suggested = L"EQ " + FromUtf8(ChannelName(StripChannel(page))) + L".txt";
    const std::optional<std::wstring> path = dialogs.ChooseExportFile(owner, suggested);
    if (!path || path->empty())
        return false;
    const std::string text = EqExportText(page);
    const FileResult target = CZB_FileData::CheckSceneTarget(std::filesystem::path(*path));
    const bool written =
        target.Ok() &&
        ReplaceFileWhole(target.path,
                         std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (!written)
        Tell(owner, FormatText(Text(extra::kEqExportFailed), FileNameOf(*path).substr(0, MAX_PATH).c_str()));
    return written;
}

}  // namespace vela
