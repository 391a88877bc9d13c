// The System page's scene files anywhere on the computer: "Save As..." and "Open..." through the system's
// file dialogs, and the recently used files the local list shows after the local ones.
#include "core/files/recent_files.h"
#include "core/pages/system_page.h"
#include "core/text/strings.h"

namespace vela {

namespace {

namespace fs = std::filesystem;
namespace sp = system_page;

// What the dialog chose; nothing when it was cancelled or (after saying so) gave no name.
std::optional<std::wstring> Chosen(ISystemControls& controls, SceneFileDialog dialog) {
    auto chosen = controls.ChooseSceneFile(dialog);
    if (chosen && chosen->empty()) {
        controls.Show(Text(str::kNoFiles), {}, MessageButtons::kOk);
        return std::nullopt;
    }
    return chosen;
}

// The dialog's answer as a scene file path: ".lub" added when the user typed a name without it.
fs::path SceneFilePath(const std::wstring& chosen) {
    fs::path path(chosen);
    std::wstring extension = path.extension().wstring();
    for (wchar_t& c : extension) {
        c = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    }
    if (extension != fs::path(sp::kSceneExtension).wstring()) {
        path += fs::path(sp::kSceneExtension);
    }
    return path;
}

}  // namespace

std::optional<fs::path> SystemPage::RecentPath(const std::wstring& shown) const {
    if (shown.empty()) {
        return std::nullopt;
    }
    const fs::path path(shown);
    if (!path.has_parent_path() || !RecentFiles::Load(CZB_FileData(files_)).Contains(path)) {
        return std::nullopt;
    }
    return path;
}

void SystemPage::Remember(const fs::path& path) {
    const CZB_FileData store(files_);
    RecentFiles recent = RecentFiles::Load(store);
    recent.Add(path);
    // A store that cannot be written only loses the shortcut; the file itself is unaffected.
    (void)recent.Save(store);
    FillLocalFiles(path.wstring());
}

void SystemPage::SaveAs() {
    if (!link_.State().link_up.load()) {
        Tell(Text(str::kNoDevice));
        return;
    }
    const auto chosen = Chosen(controls_, SceneFileDialog::kSave);
    if (!chosen) {
        return;
    }
    const fs::path path = SceneFilePath(*chosen);
    Write(sp::kSceneCommand, sp::SceneCommand(sp::kStoreScene, SceneItem()), false);
    requests_.SetScenePath(path);
    link_.State().RaiseRequest(request::kSaveToFile);
    Remember(path);
}

void SystemPage::OpenFile() {
    const auto chosen = Chosen(controls_, SceneFileDialog::kOpen);
    if (!chosen) {
        return;
    }
    const fs::path path(*chosen);
    if (!SceneFileReadable(path)) {
        return;
    }
    Remember(path);
    requests_.SetScenePath(path);
    link_.State().RaiseRequest(request::kLoadFile);
}

}  // namespace vela
