// The System page's scene actions: the device's scenes and the local scene files.
#include <cstdio>
#include <string>
#include <system_error>

#include "core/files/recent_files.h"
#include "core/pages/system_page.h"
#include "core/text/strings.h"

namespace vela {

namespace {

namespace fs = std::filesystem;
namespace sp = system_page;
namespace ids = system_ids;

// The file name shown beside a refused file, for the message box.
std::wstring Shown(const fs::path& path) {
    return path.wstring();
}

}  // namespace

void SystemPage::SaveDeviceScene() {
    // A scene the processor holds under a name is somebody's work: replaced only when the user agrees.
    const std::wstring held = link_.SceneNames().Name(SceneItem());
    if (!held.empty() &&
        controls_.Show(FormatText(Text(extra::kConfirmOverwriteScene), SceneItem() + 1, held.c_str()),
                       Text(str::kWarning), MessageButtons::kOkCancel) != MessageAnswer::kOk) {
        return;
    }
    Write(sp::kSceneCommand, sp::SceneCommand(sp::kStoreScene, SceneItem()), false);
    // Encoded character by character, so that a cut name never ends inside a character.
    const std::wstring typed = controls_.ItemText(ids::kSceneName);
    // The device's reply shows what it kept of the name.
    shown_scene_name_ = typed;
    std::vector<std::string> characters;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        std::size_t length = 1;
        if (sizeof(wchar_t) == 2 && typed[i] >= 0xD800 && typed[i] <= 0xDBFF && i + 1 < typed.size()) {
            length = 2;
        }
        characters.push_back(link_.CodePage().FromWide(std::wstring_view(typed).substr(i, length)));
        i += length - 1;
    }
    requests_.SetSceneNameBuffer(sp::FitSceneName(characters));
    link_.State().RaiseRequest(request::kSaveScene);
}

std::optional<fs::path> SystemPage::LocalPath(std::wstring_view empty_text) {
    const std::wstring name = controls_.ItemText(ids::kLocalFile);
    if (auto recent = RecentPath(name)) {
        return recent;
    }
    switch (sp::CheckLocalName(name)) {
        case sp::NameCheck::kEmpty:
            Tell(empty_text);
            return std::nullopt;
        case sp::NameCheck::kNotAName:
            Tell(Text(extra::kNotAFileName));
            return std::nullopt;
        case sp::NameCheck::kOk:
            break;
    }
    const fs::path file = fs::path(sp::LocalScenePath(name));
    const fs::path here = files_.current_dir / file;
    const fs::path mirrored = files_.MirrorDirectory() / file;
    if (!CZB_FileData::FileExists(here) && CZB_FileData::FileExists(mirrored)) {
        return mirrored;
    }
    return here;
}

bool SystemPage::SceneFileReadable(const fs::path& path) {
    CZB_FileData file(files_);
    const FileResult read = file.LoadScene(path);
    if (read.Ok()) {
        return true;
    }
    const bool missing = read.error == FileError::kNotFound || read.error == FileError::kEmptyPath;
    Tell(Shown(path) + L"\n" + std::wstring(Text(missing ? str::kNoFiles : str::kReadDataFailed)));
    return false;
}

void SystemPage::SaveLocal() {
    Write(sp::kSceneCommand, sp::SceneCommand(sp::kStoreScene, SceneItem()), false);
    if (!link_.State().link_up.load()) {
        Tell(Text(str::kNoDevice));
        return;
    }
    const auto path = LocalPath(Text(str::kNoFiles));
    if (!path) {
        return;
    }
    FillLocalFiles(RecentPath(path->wstring()) ? path->wstring() : path->filename().wstring());
    // A file that exists is replaced only when the user agrees; one in the local scene folder is the one the
    // list shows, so that is the one asked about.
    if (CZB_FileData::FileExists(*path) &&
        controls_.Show(Shown(*path) + std::wstring(Text(str::kFileExists)), Text(str::kWarning),
                       MessageButtons::kOkCancel) != MessageAnswer::kOk) {
        return;
    }
    requests_.SetScenePath(*path);
    link_.State().RaiseRequest(request::kSaveToFile);
}

void SystemPage::DeleteLocal() {
    const auto path = LocalPath(Text(str::kDeleteFailed));
    if (!path) {
        return;
    }
    // A deletion cannot be undone, so the file is named and the user asked first.
    if (CZB_FileData::FileExists(*path) &&
        controls_.Show(Shown(*path) + std::wstring(Text(extra::kConfirmDeleteFile)), Text(str::kWarning),
                       MessageButtons::kOkCancel) != MessageAnswer::kOk) {
        return;
    }
    std::error_code ec;
    if (!CZB_FileData::FileExists(*path) || !fs::remove(*path, ec) || ec) {
        Tell(Text(str::kDeleteFailed));
    } else if (RecentPath(path->wstring())) {
        RecentFiles recent = RecentFiles::Load(CZB_FileData(files_));
        recent.Remove(*path);
        (void)recent.Save(CZB_FileData(files_));
    }
    FillLocalFiles({});
}

void SystemPage::UpdateToDevice() {
    const auto path = LocalPath(Text(str::kNoFiles));
    if (!path || !SceneFileReadable(*path)) {
        return;
    }
    requests_.SetScenePath(*path);
    BeforeBulkChange(StepKind::kFileLoad);
    link_.State().RaiseRequest(request::kLoadFile);
}

void SystemPage::Import() {
    const auto chosen = controls_.ChooseParameterFile();
    if (!chosen) {
        return;
    }
    if (chosen->empty()) {
        Tell(Text(str::kNoFiles));
        return;
    }
    const fs::path path(sp::ParameterFilePath(*chosen));
    if (!SceneFileReadable(path)) {
        return;
    }
    requests_.SetScenePath(path);
    requests_.SetSelection(sp::ImportSelection());
    // The worker serves request 11 before 15 in one pass and drops 15 when the load fails, so the
    // window never waits between them.
    BeforeBulkChange(StepKind::kFileLoad);
    link_.State().RaiseRequest(request::kLoadSelection);
    link_.State().RaiseRequest(request::kSaveSettings);
}

}  // namespace vela
