// The scene and file requests the pages raise: scene files saved and loaded, device scenes called, named
// and stored, the settings saved, everything refreshed.
#include <algorithm>
#include <string>

#include "core/link/link_controller.h"
#include "core/link/link_schedule.h"
#include "core/text/utf8.h"

namespace vela {

using namespace schedule;

namespace {

constexpr int kProgressMaximum = static_cast<int>(kParameterCount);
// The scene call's progress runs to a hundred while the table is read back.
constexpr int kCallProgressMaximum = 100;
// Of the 25 name bytes the save scene command carries the ones the device keeps.
constexpr std::size_t kSceneNamePayload = kSceneNameStored;

// Parameters a scene file never loads into the device: the room's levels and the link's own words.
bool SkippedOnLoad(std::size_t i) {
    return (i >= param::kRoomLevelsFirst && i <= param::kRoomLevelsLast) ||
           (i >= param::kLinkWordsFirst && i <= param::kLinkWordsLast);
}

}  // namespace

void LinkController::SaveToFile() {
    auto& t = link_.Table();
    Sleep(kBeforeFileMs);
    const std::filesystem::path path = ScenePath();
    if (path.empty()) {
        Message(LinkText::kEnterFileName);
        return;
    }
    if (!ReadAll(kDumpRetries)) {
        Message(LinkText::kSaveFailed);
        return;
    }
    std::vector<std::uint32_t> values(kParameterCount);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        values[i] = t.Value(i);
        t[i].received = 0;
    }
    CZB_FileData file(files_);
    file.device_id = ConnectedDeviceId();
    // A file that could not be written is reported as such, never as saved.
    const FileResult saved = file.SaveScene(path, values);
    SetLastFileResult(saved);
    if (!saved.Ok()) {
        Log("file_not_saved", {{"path", PathUtf8(path)}, {"reason", saved.Describe()}});
        Message(LinkText::kSaveFailed);
        return;
    }
    // Through UTF-8: outside Windows, wstring() converts with the C locale and throws on a Chinese name.
    host_.ShowMessage(FromUtf8(PathUtf8(saved.path)), LinkTextFor(LinkText::kSaveSuccessfully),
                      MessageButtons::kOk);
    Sleep(kAfterSaveMs);
}

// The scene file's values, when the file loads and was made for the connected device; otherwise the user
// is told why and nothing is returned.
std::optional<std::vector<std::uint32_t>> LinkController::SceneFileFor(const std::filesystem::path& path,
                                                                       bool selection) {
    auto& s = link_.State();
    CZB_FileData file(files_);
    const FileResult loaded = file.LoadScene(path);
    SetLastFileResult(loaded);
    LinkText refusal = LinkText::kNoFiles;
    if (!loaded.Ok()) {
        Log("file_refused", {{"path", PathUtf8(path)}, {"reason", loaded.Describe()}});
    } else if (file.device_id != ConnectedDeviceId()) {
        Log("file_refused", {{"path", PathUtf8(path)},
                             {"reason", "made for another device"},
                             {"file_device_id", std::to_string(file.device_id)},
                             {"device_id", std::to_string(ConnectedDeviceId())}});
        refusal = LinkText::kWrongFileVersion;
    } else {
        return file.Values();
    }
    HideProgress();
    // Nothing was imported, so there is nothing for the save settings raised with it to store.
    if (selection) {
        s.requests[request::kSaveSettings] = 0;
    }
    Message(refusal);
    return std::nullopt;
}

void LinkController::MarkSceneValues(const std::vector<std::uint32_t>& values, bool selection) {
    auto& t = link_.Table();
    if (selection) {
        std::vector<std::uint16_t> indexes;
        {
            std::lock_guard lock(texts_mutex_);
            indexes = selection_;
        }
        for (std::uint16_t i : indexes) {
            if (i < kParameterCount && i < values.size()) {
                t.WriteParameter(i, values[i], true);
                t[i].received = 1;
            }
        }
        return;
    }
    // Every value but the last, and none of the link-owned words.
    const std::size_t count = std::min<std::size_t>(values.size(), kParameterCount);
    for (std::size_t i = 0; i + 1 < count; ++i) {
        if (!SkippedOnLoad(i)) {
            t.WriteParameter(i, values[i], true);
        }
    }
}

// Writes the marked entries until all but the last are clean, or the link drops.
void LinkController::WriteMarkedScene(std::uint32_t wait) {
    auto& s = link_.State();
    auto& t = link_.Table();
    while (s.link_up && !Stopping()) {
        for (std::size_t i = 0; i + 1 < kParameterCount && s.link_up && !Stopping(); ++i) {
            if (t.IsReceived(i)) {
                host_.PostNotify(LinkNotify::kParameter, static_cast<std::intptr_t>(i));
                t[i].received = 0;
            }
            if (t.IsDirty(i)) {
                s.waiting = true;
                link_.BuildWriteBatch(ParameterTable::kContinue, kMaxWriteGroups);
                link_.WaitReply(wait);
                s.waiting = false;
                SetProgress(CountClean());
            }
        }
        const int clean = CountClean();
        SetProgress(clean);
        Sleep(kLoadRoundPauseMs);
        if (clean == static_cast<int>(kParameterCount) - 1) {
            break;
        }
    }
}

void LinkController::LoadFile(bool selection) {
    auto& s = link_.State();
    auto& t = link_.Table();
    Sleep(kBeforeFileMs);
    const std::filesystem::path path = ScenePath();
    if (path.empty()) {
        Message(LinkText::kEnterFileName);
    } else if (const auto values = SceneFileFor(path, selection)) {
        MarkSceneValues(*values, selection);
        ShowProgress(kProgressMaximum, LinkText::kUpdateSceneData);
        t.ClearRetryCounters();
        if (!selection) {
            t.SetWriteCursor(0);
        }
        WriteMarkedScene(selection ? s.timings.read_all_wait_ms.load() : s.timings.scene_load_wait_ms.load());
        // After a drop the reload belongs to the reconnect; reading now would only fail a second time.
        if (s.link_up && !Stopping()) {
            Sleep(kBeforeReloadMs);
            UpdateDisplay();
            // The window says so when the whole file is in; velactl reports through its exit code.
            if (!selection && !Light()) {
                host_.ShowMessage(path.wstring(), LinkTextFor(LinkText::kUpdateSuccessfully),
                                  MessageButtons::kOk);
            }
        }
    }
    Sleep(kLoadEndMs);
    if (s.running) {
        HideProgress();
    }
    if (!s.link_up && s.running) {
        Message(LinkText::kWriteDataFailed);
    }
}
void LinkController::CallScene() {
    auto& s = link_.State();
    auto& t = link_.Table();
    const std::uint16_t selector = t.Value(param::kSceneSelector);
    const std::uint8_t scene = LowByte(selector);
    t.WriteParameter(param::kSceneSelector, Word(kSceneOpCall, scene), true);
    s.call_scene_ack = false;
    const std::array<std::uint8_t, 1> payload{scene};
    for (int k = 0; k < kSceneTries && !s.call_scene_ack && !Stopping(); ++k) {
        s.waiting = true;
        link_.SendFrame(cmd::kCallScene, payload);
        Sleep(kCallScenePauseMs);
        link_.WaitOptionalReply(kSceneAckWaitMs);
        s.waiting = false;
    }
    if (!s.call_scene_ack) {
        Message(LinkText::kInvocationFailed);
        return;
    }
    t.WriteParameter(param::kSceneSelector, 0, false);
    t[param::kSceneSelector].dirty = 0;
    if (Light()) {
        // Nothing is shown from the table; whoever needs a value reads it.
        host_.PostNotify(LinkNotify::kTableChanged, 0);
        return;
    }
    ShowProgress(kCallProgressMaximum, LinkText::kCall);
    Sleep(kAfterCallMs);
    UpdateDisplay();
    host_.PostNotify(LinkNotify::kTableChanged, 0);
}

void LinkController::Refresh() {
    ShowProgress(kCallProgressMaximum, LinkText::kCall);
    UpdateDisplay();
    host_.PostNotify(LinkNotify::kTableChanged, 0);
}

void LinkController::RequestSceneName() {
    auto& s = link_.State();
    s.scene_name_ack = false;
    Sleep(kBeforeSceneNameMs);
    const std::array<std::uint8_t, 1> payload{LowByte(link_.Table().Value(param::kSceneSelector))};
    for (int k = 0; k < kSceneTries && !s.scene_name_ack && !Stopping(); ++k) {
        Exchange(cmd::kSceneName, payload, kSceneAckWaitMs, true);
    }
}

void LinkController::SaveScene() {
    auto& s = link_.State();
    auto& t = link_.Table();
    std::array<std::uint8_t, 1 + kSceneNamePayload> payload{};
    payload[0] = LowByte(t.Value(param::kSceneSelector));
    {
        std::lock_guard lock(texts_mutex_);
        std::copy_n(name_buffer_.begin(), kSceneNamePayload, payload.begin() + 1);
    }
    s.save_scene_ack = false;
    for (int k = 0; k < kSceneTries && !s.save_scene_ack && !Stopping(); ++k) {
        Exchange(cmd::kSaveScene, payload, kSceneAckWaitMs, true);
    }
    if (s.save_scene_ack) {
        ReadSceneNames(0);
        Message(LinkText::kSaveSuccessfully);
    } else {
        Message(LinkText::kSaveFailed);
    }
    t[param::kSceneSelector].dirty = 0;
}

void LinkController::SaveSettings() {
    auto& s = link_.State();
    static constexpr std::array<std::uint8_t, 2> kPayload{0x01, 0x01};
    s.save_settings_ack = false;
    for (int k = 0; k < kSceneTries && !s.save_settings_ack && !Stopping(); ++k) {
        Exchange(cmd::kSaveSettings, kPayload, kSceneAckWaitMs, true);
    }
    Message(s.save_settings_ack ? LinkText::kSaveSuccessfully : LinkText::kSaveFailed);
}

}  // namespace vela
