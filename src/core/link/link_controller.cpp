#include "core/link/link_controller.h"

#include <algorithm>
#include <chrono>
#include <string>

namespace vela {

namespace {

constexpr std::uint32_t kIdentifyAttempts = 12;
constexpr int kOccupancyReads = 10;
constexpr int kOccupiedThreshold = 2;
constexpr std::uint16_t kOccupied = 2;
constexpr int kReadAllPasses = 5;
constexpr int kDumpEnough = 937;
constexpr int kProgressMaximum = static_cast<int>(kParameterCount);
constexpr std::uint32_t kSceneAckWaitMs = 2000;
constexpr int kSceneTries = 3;
constexpr std::uint32_t kSleepSliceMs = 50;
constexpr std::size_t kSceneNamePayload = 20;
// Unanswered write batches in a row worth a line in the diagnostic log.
constexpr int kLoggedUnansweredWrites = 3;

// UTF-8 whatever the system's code page: a name it cannot hold must not throw on the link thread.
std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

// Parameters a scene file never loads into the device: master levels and link-owned words.
bool SkippedOnLoad(std::size_t i) {
    return (i >= 26 && i <= 29) || (i >= 928 && i <= 935);
}

}  // namespace

LinkController::LinkController(DeviceLink& link, ILinkConnector& connector, ILinkHost& host,
                               FileLocations files)
    : link_(link), connector_(connector), host_(host), files_(std::move(files)) {
    name_buffer_.fill(' ');
}

LinkController::~LinkController() {
    StopLink();
}

bool LinkController::StartLink() {
    if (worker_.joinable()) {
        return true;
    }
    link_.State().reply.Reset();
    // Set here rather than by the worker, so that a StopLink right after this call cannot be undone.
    link_.State().running = true;
    try {
        worker_ = std::thread([this] { Worker(); });
    } catch (const std::system_error&) {
        Message(LinkText::kThreadFailed);
        return false;
    }
    return true;
}

void LinkController::StopLink() {
    auto& s = link_.State();
    s.link_up = false;
    s.running = false;
    connector_.Close();
    if (worker_.joinable()) {
        s.reply.Release();
        // Every sleep and wait of the worker is bounded and checks the running flag, so this returns
        // within one slice; a message box the owner keeps open is the owner's to close.
        worker_.join();
    }
}

void LinkController::SetScenePath(const std::filesystem::path& path) {
    std::lock_guard lock(texts_mutex_);
    scene_path_ = path;
}

std::filesystem::path LinkController::ScenePath() const {
    std::lock_guard lock(texts_mutex_);
    return scene_path_;
}

FileResult LinkController::LastFileResult() const {
    std::lock_guard lock(texts_mutex_);
    return last_file_result_;
}

void LinkController::SetLastFileResult(FileResult result) {
    std::lock_guard lock(texts_mutex_);
    last_file_result_ = std::move(result);
}

void LinkController::SetSelection(std::vector<std::uint16_t> indexes) {
    std::lock_guard lock(texts_mutex_);
    selection_ = std::move(indexes);
}

void LinkController::SetSceneNameBuffer(const std::string& ansi_name) {
    std::lock_guard lock(texts_mutex_);
    name_buffer_.fill(' ');
    std::copy_n(ansi_name.begin(), std::min(ansi_name.size(), name_buffer_.size()), name_buffer_.begin());
}

void LinkController::Sleep(std::uint32_t ms) {
    // Slices end at a deadline, so a late wake-up on a busy machine does not lengthen the pause slice by
    // slice.
    auto& clock = link_.Clock();
    const std::uint32_t start = clock.TickMs();
    for (std::uint32_t elapsed = 0; elapsed < ms && !Stopping(); elapsed = clock.TickMs() - start) {
        clock.SleepMs(std::min(ms - elapsed, kSleepSliceMs));
    }
}

MessageAnswer LinkController::Message(LinkText text, std::wstring_view caption, MessageButtons buttons) {
    return host_.ShowMessage(LinkTextFor(text), caption, buttons);
}

void LinkController::ShowProgress(int maximum, LinkText format) {
    host_.ProgressSetRange(maximum);
    host_.ProgressSetFormat(LinkTextFor(format));
    host_.ProgressSetPos(0);
    host_.ProgressShow(true);
}

void LinkController::SetProgress(int position) {
    host_.ProgressSetPos(position);
}

void LinkController::HideProgress() {
    host_.ProgressShow(false);
    host_.PostNotify(LinkNotify::kProgressHidden, 0);
}

int LinkController::CountReceived() const {
    int n = 0;
    for (std::size_t i = 0; i < kParameterCount; ++i)
        n += link_.Table().IsReceived(i) ? 1 : 0;
    return n;
}

int LinkController::CountClean() const {
    int n = 0;
    for (std::size_t i = 0; i + 1 < kParameterCount; ++i)
        n += link_.Table().IsDirty(i) ? 0 : 1;
    return n;
}

std::uint32_t LinkController::ConnectedDeviceId() const {
    const std::uint32_t id = link_.State().device_id.load();
    return id != 0 ? id : link_.Table().Value(param::kIdentity);
}

bool LinkController::Exchange(std::uint8_t command, std::span<const std::uint8_t> payload,
                              std::uint32_t wait_ms, bool optional) {
    auto& s = link_.State();
    s.waiting = true;
    link_.SendFrame(command, payload);
    const bool replied = optional ? link_.WaitOptionalReply(wait_ms) : link_.WaitReply(wait_ms);
    s.waiting = false;
    return replied;
}

void LinkController::Log(std::string_view name, std::initializer_list<diag::LogField> fields) {
    if (events_) {
        events_->Event(name, fields);
    }
}

void LinkController::RememberDirty() {
    auto& t = link_.Table();
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        if (t.IsDirty(i)) {
            remembered_[static_cast<std::uint16_t>(i)] = t.Value(i);
        }
    }
}

void LinkController::TakeEditsForReload() {
    for (const auto& [index, value] : link_.Table().TakeEdits()) {
        remembered_[index] = value;
    }
}

void LinkController::RestoreRemembered() {
    auto& t = link_.Table();
    for (const auto& [index, value] : remembered_) {
        // Marked received as well, so that the pages show the user's value again.
        (void)t.RestoreEdit(index, value);
    }
    remembered_.clear();
}

// ---------------------------------------------------------------------------------------------------------
// Worker

void LinkController::Worker() {
    auto& s = link_.State();
    if (s.running) {
        host_.SendNotify(LinkNotify::kLinkState, static_cast<int>(LinkStateCode::kStarting));
    }
    if (!Light()) {
        Sleep(500);
    }
    link_.Table().Reset();
    link_.SceneNames().Clear();
    if (wifi_) {
        wifi_->Clear();
    }
    host_.SetTitle(kProductTitle);
    if (s.running) {
        host_.SendNotify(LinkNotify::kLinkState, static_cast<int>(LinkStateCode::kStarting));
    }

    while (s.running) {
        link_.ResetSupervision();
        s.device_id = 0;  // a device plugged in now must identify itself anew
        connector_.Connect();
        if (!s.running) {
            break;
        }
        Log("connect", {{"device", device_name_}});
        s.link_up = true;
        if (!Identification()) {
            continue;
        }
        Log("identify", {{"device_id", std::to_string(ConnectedDeviceId())}});
        if (s.running) {
            Sleep(10);
            host_.SendNotify(LinkNotify::kLinkState, static_cast<int>(LinkStateCode::kConnected));
        }
        s.link_up = true;
        TakeEditsForReload();

        OccupancyCheck();
        if (Light()) {
            RestoreRemembered();
        } else {
            Sleep(100);
            UpdateDisplay();
            ReadSceneNames(link_.Table().Value(param::kCurrentScene) & 0xFF);
            RestoreRemembered();
            Sleep(1000);
        }
        if (s.link_up && !Stopping()) {
            ready_.fetch_add(1);
        }

        write_scan_ = 0;
        idle_count_ = 0;
        while (s.link_up && s.running) {
            PollCycle();
        }
        s.link_up = false;
        if (s.running) {
            // A long silence means the supervision dropped it; a short one, a send that failed or a
            // reconnect asked for.
            Log("reconnect",
                {{"reason", !s.reader_running ? "device closed" : "link dropped"},
                 {"silent_ms", std::to_string(link_.Clock().TickMs() - s.last_valid_frame_tick.load())},
                 {"missed_replies", std::to_string(s.missed_replies.load())}});
        }
        RememberDirty();
        if (s.running) {
            host_.SendNotify(LinkNotify::kLinkState, static_cast<int>(LinkStateCode::kNotConnected));
        }
    }
}

// False when the connection has to be rebuilt.
bool LinkController::Identification() {
    auto& s = link_.State();
    auto& t = link_.Table();
    // A device that answers nothing at all is given up early: its identify replies are missed.
    const std::uint32_t limit = s.timings.missed_reply_limit.load();
    const std::uint32_t give_up = limit > 2 ? limit - 2 : 1;
    for (std::uint32_t attempt = 0; t.Value(param::kIdentity) != kDeviceId; ++attempt) {
        if (Stopping()) {
            return false;
        }
        link_.Identify();
        link_.ReadOne(param::kIdentity);
        Sleep(40);
        if (attempt + 1 >= kIdentifyAttempts || s.missed_replies.load() >= give_up) {
            Log("identify_failed", {{"reason", "no identification"},
                                    {"attempts", std::to_string(attempt + 1)},
                                    {"device_id", std::to_string(s.device_id.load())},
                                    {"parameter0", std::to_string(t.Value(param::kIdentity))}});
            Sleep(2000);
            return false;
        }
        if (s.device_id.load() == kDeviceId) {
            break;
        }
        if (!s.reader_running) {
            Log("identify_failed", {{"reason", "device closed"}});
            return false;
        }
        // A reconnect asked for (Suspended released) or a failed send while identifying: carrying on would
        // take a device that never identified itself for the processor, so the connection is built anew.
        if (!s.link_up) {
            Log("identify_failed", {{"reason", "link dropped"}});
            return false;
        }
    }
    return true;
}

LinkController::Occupancy LinkController::LightOccupancy() {
    auto& s = link_.State();
    auto& occupancy = link_.Table()[param::kOccupancy];
    int answered = 0;
    for (int k = 0; k < kLightOccupancyTries && answered < kLightOccupancyAnswers && !Stopping(); ++k) {
        occupancy.received = 0;
        Exchange(cmd::kReadParameters,
                 std::array<std::uint8_t, 2>{HighByte(param::kOccupancy), LowByte(param::kOccupancy)},
                 s.timings.poll_wait_ms.load());
        if (occupancy.received.load() > 0) {
            ++answered;
            // Never writing to a held processor matters more than riding out a glitch: one sighting refuses.
            if (occupancy.value.load() == kOccupied) {
                return Occupancy::kHeld;
            }
        }
    }
    if (answered == 0) {
        // A slow processor answers late: its reply still tells, and asking more meanwhile only queues up.
        for (std::uint32_t waited = 0;
             waited < kLongestQuietMs && !Stopping() && occupancy.received.load() == 0; waited += 10) {
            Sleep(10);
        }
        if (occupancy.received.load() > 0) {
            answered = 1;
            if (occupancy.value.load() == kOccupied) {
                occupancy.received = 0;
                return Occupancy::kHeld;
            }
        }
    }
    occupancy.received = 0;
    // Silence and damaged replies prove neither: the processor is asked again, and the owner decides how
    // long a silent one is waited for.
    return answered == 0 ? Occupancy::kUnanswered : Occupancy::kFree;
}

void LinkController::OccupancyCheck() {
    auto& s = link_.State();
    while (!Stopping()) {
        if (Light()) {
            const Occupancy seen = LightOccupancy();
            if (seen == Occupancy::kFree) {
                Log("occupancy", {{"state", "free"}});
                return;
            }
            if (seen == Occupancy::kUnanswered) {
                Log("occupancy", {{"state", "unanswered"}});
                if (!s.link_up) {
                    return;
                }
                continue;
            }
            Log("occupancy", {{"state", "held"}});
            Message(LinkText::kEquipmentOccupied);
            Sleep(2000);
            if (!s.link_up) {
                return;
            }
            continue;
        }
        int occupied = 0;
        for (int k = 0; k < kOccupancyReads && !Stopping(); ++k) {
            s.waiting = true;
            link_.ReadOne(param::kOccupancy);
            link_.WaitReply(200);
            Sleep(100);
            s.waiting = false;
            occupied += link_.Table().Value(param::kOccupancy) == kOccupied ? 1 : 0;
        }
        if (occupied < kOccupiedThreshold) {
            Log("occupancy", {{"state", "free"}, {"held_reads", std::to_string(occupied)}});
            return;
        }
        Log("occupancy", {{"state", "held"}, {"held_reads", std::to_string(occupied)}});
        Message(LinkText::kEquipmentOccupied);
        Sleep(2000);
        if (!s.link_up) {
            return;
        }
    }
}

void LinkController::PollCycle() {
    auto& s = link_.State();
    auto& t = link_.Table();
    Sleep(10);
    while (s.paused && !Stopping()) {
        Sleep(10);
    }
    if (!s.link_up || Stopping()) {
        return;
    }

    if (wifi_) {
        if (wifi_->SendPending(link_, host_)) {
            idle_count_ = 0;
        }
        wifi_->ShowCompletions(host_);
    }

    // Writes: one batch from the first dirty entry on.
    if (write_scan_ >= kParameterCount) {
        write_scan_ = 0;
    }
    std::size_t g = write_scan_;
    while (g < kParameterCount && !t.IsDirty(g))
        ++g;
    if (g < kParameterCount) {
        write_scan_ = g;
        if (t[g].retry.load() >= ParameterTable::kRetryLimit) {
            Log("write_given_up",
                {{"index", std::to_string(g)}, {"tries", std::to_string(t[g].retry.load())}});
        }
        s.waiting = true;
        link_.BuildWriteBatch(static_cast<std::uint16_t>(g), kMaxWriteGroups);
        const bool replied = link_.WaitReply(s.timings.poll_wait_ms.load());
        s.waiting = false;
        unanswered_writes_ = replied ? 0 : unanswered_writes_ + 1;
        if (unanswered_writes_ == kLoggedUnansweredWrites) {
            Log("retry", {{"what", "write"},
                          {"index", std::to_string(g)},
                          {"unanswered", std::to_string(unanswered_writes_)}});
        }
        if (!replied && !s.reader_running) {
            HideProgress();
            s.link_up = false;
        }
        idle_count_ = 0;
    } else {
        write_scan_ = kParameterCount;
    }

    if (Light()) {
        ReadRequestedTogether();
    } else {
        for (std::size_t i = 0; i < kParameterCount; ++i) {
            if (t[i].read_request.load() > 0) {
                link_.ReadOne(static_cast<std::uint16_t>(i));
                t[i].read_request = 0;
                Sleep(10);
            }
        }
    }

    for (std::size_t i = 1; i < kParameterCount; ++i) {
        if (t.IsReceived(i)) {
            host_.PostNotify(LinkNotify::kParameter, static_cast<std::intptr_t>(i));
            t[i].received = 0;
        }
    }

    ServeRequests();

    if (idle_count_ < 15) {
        ++idle_count_;
        Sleep(idle_count_ < 10 ? (Light() ? 10 : 40) : 100);
    } else {
        idle_count_ = 10;
        Heartbeat();
    }
}

// The owner of a light link asks for many values at once (a range, a read-back): up to a full read frame
// goes out per request, rather than one frame and one rest per value.
void LinkController::ReadRequestedTogether() {
    auto& t = link_.Table();
    std::vector<std::uint8_t> payload;
    auto send = [&] {
        link_.SendFrame(cmd::kReadParameters, payload);
        payload.clear();
        Sleep(10);
        idle_count_ = 0;  // its owner waits for the answer: keep the quick pace
    };
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        if (t[i].read_request.load() > 0) {
            payload.push_back(HighByte(static_cast<std::uint16_t>(i)));
            payload.push_back(LowByte(static_cast<std::uint16_t>(i)));
            t[i].read_request = 0;
            if (payload.size() >= 2 * static_cast<std::size_t>(kMaxReadIndexes)) {
                send();
            }
        }
    }
    if (!payload.empty()) {
        send();
    }
}

void LinkController::Heartbeat() {
    auto& t = link_.Table();
    Exchange(cmd::kReadParameters,
             std::array<std::uint8_t, 2>{HighByte(param::kMusicSource), LowByte(param::kMusicSource)}, 50);
    auto& occupancy = t[param::kOccupancy];
    const std::uint8_t tries = occupancy.retry.load();
    if (tries >= ParameterTable::kRetryLimit) {
        occupancy.retry = 0;
        occupancy.dirty = 0;
    } else {
        occupancy.retry = static_cast<std::uint8_t>(tries + 1);
    }
    const std::array<std::uint8_t, 4> claim{HighByte(param::kOccupancy), LowByte(param::kOccupancy), 0x00,
                                            0x01};
    link_.SendFrame(cmd::kWriteParameters, claim);
    Sleep(100);
}

void LinkController::ServeRequests() {
    auto& s = link_.State();
    for (int number = 1; number <= request::kCount; ++number) {
        if (!s.RequestRaised(number)) {
            continue;
        }
        Sleep(100);
        s.requests[static_cast<std::size_t>(number)] = 0;
        switch (number) {
            case request::kSaveToFile:
                SaveToFile();
                break;
            case request::kLoadFile:
                LoadFile(false);
                host_.PostNotify(LinkNotify::kTableChanged, 0);
                break;
            case request::kCallScene:
                CallScene();
                break;
            case request::kRefresh:
                Refresh();
                break;
            case request::kLoadSelection:
                LoadFile(true);
                host_.PostNotify(LinkNotify::kTableChanged, 0);
                break;
            case request::kSceneName:
                RequestSceneName();
                break;
            case request::kSaveScene:
                SaveScene();
                break;
            case request::kSaveSettings:
                SaveSettings();
                break;
            default:
                break;
        }
        idle_count_ = 0;
        if (s.running) {
            HideProgress();
        }
        served_[static_cast<std::size_t>(number)].fetch_add(1);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Read-all, display update, scene names

bool LinkController::ReadAll(int attempts) {
    const auto started = std::chrono::steady_clock::now();
    const auto elapsed_ms = [&] {
        return std::to_string(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started)
                .count());
    };
    Log("read_all_start");
    const bool done = ReadAllNow(attempts);
    Log("read_all_end", {{"result", done ? "ok" : "failed"},
                         {"ms", elapsed_ms()},
                         {"received", std::to_string(CountReceived())}});
    return done;
}

bool LinkController::ReadAllNow(int attempts) {
    auto& s = link_.State();
    auto& t = link_.Table();
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        t[i].received = 0;
        t[i].retry = 0;
    }
    link_.Identify();
    if (s.running) {
        ShowProgress(kProgressMaximum, LinkText::kReadDeviceData);
    }

    // The dump lets the device stream everything; the batch passes then only fill the gaps.
    static constexpr std::array<std::uint8_t, 1> kDumpPayload{0x00};
    for (int k = 0; k < attempts + 1 && !Stopping(); ++k) {
        link_.SendFrame(cmd::kDump, kDumpPayload);
        Sleep(500);
        if (CountReceived() > 10) {
            break;
        }
        if (!s.reader_running) {
            HideProgress();
            return false;
        }
    }
    int shown = -1;
    for (int k = 0; k < 20 && !Stopping(); ++k) {
        const int count = CountReceived();
        if (count > shown) {
            SetProgress(count);
            shown = count;
        }
        if (count >= kDumpEnough) {
            break;
        }
        Sleep(150);
    }

    t.SetReadCursor(0);
    for (int pass = 0; pass < kReadAllPasses; ++pass) {
        int count = 0;
        for (std::size_t i = 0; i < kParameterCount && s.link_up && !Stopping(); ++i) {
            if (t.IsReceived(i)) {
                ++count;
                continue;
            }
            s.waiting = true;
            link_.BuildReadBatch(ParameterTable::kContinue, 32);
            if (count > shown) {
                SetProgress(count);
                shown = count;
            }
            link_.WaitReply(s.timings.read_all_wait_ms.load());
            s.waiting = false;
        }
        if (count > shown) {
            SetProgress(count);
            shown = count;
        }
        if (!s.link_up || Stopping()) {
            HideProgress();
            if (!Stopping()) {
                Message(LinkText::kReadDataFailed);
            }
            return false;
        }
        Sleep(30);
    }
    SetProgress(CountReceived());
    Sleep(10);
    HideProgress();
    return true;
}

void LinkController::UpdateDisplay() {
    auto& t = link_.Table();
    if (!ReadAll(3)) {
        return;
    }
    host_.PostNotify(LinkNotify::kAllRead, 0);
    if (link_.State().running) {
        HideProgress();
        ShowProgress(kProgressMaximum, LinkText::kUpdateDisplayData);
    }
    Sleep(1);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        if (t.IsReceived(i)) {
            host_.PostNotify(LinkNotify::kParameter, static_cast<std::intptr_t>(i));
            t[i].received = 0;
        }
        if (i % 18 == 1) {
            SetProgress(static_cast<int>(i));
        }
    }
    host_.PostNotify(LinkNotify::kTableChanged, 0);
    host_.PostNotify(LinkNotify::kDisplayUpdated, 0);
    Sleep(100);
    HideProgress();
}

void LinkController::ReadSceneNames(int scene) {
    auto& names = link_.SceneNames();
    auto ask = [&](int n) {
        const std::array<std::uint8_t, 1> payload{static_cast<std::uint8_t>(n)};
        link_.SendFrame(cmd::kSceneName, payload);
        Sleep(20);
    };
    for (int n = 1; n <= kSceneSlots; ++n) {
        names.ClearNameReceived(n - 1);
        ask(n);
    }
    for (int round = 0; round < 2; ++round) {
        for (int n = 1; n <= kSceneSlots; ++n) {
            if (!names.NameReceived(n - 1)) {
                ask(n);
            }
        }
    }
    if (scene != 0) {
        ask(scene);
    }
    link_.ReadOne(param::kCurrentScene);
}

// ---------------------------------------------------------------------------------------------------------
// Requests

void LinkController::SaveToFile() {
    auto& t = link_.Table();
    Sleep(10);
    const std::filesystem::path path = ScenePath();
    if (path.empty()) {
        Message(LinkText::kEnterFileName);
        return;
    }
    if (!ReadAll(3)) {
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
        Log("file_not_saved", {{"path", PathText(path)}, {"reason", saved.Describe()}});
        Message(LinkText::kSaveFailed);
        return;
    }
    host_.ShowMessage(saved.path.wstring(), LinkTextFor(LinkText::kSaveSuccessfully), MessageButtons::kOk);
    Sleep(5);
}

void LinkController::LoadFile(bool selection) {
    auto& s = link_.State();
    auto& t = link_.Table();
    Sleep(10);
    const std::filesystem::path path = ScenePath();
    auto end = [&] {
        Sleep(1);
        if (s.running) {
            HideProgress();
        }
        if (!s.link_up && s.running) {
            Message(LinkText::kWriteDataFailed);
        }
    };
    if (path.empty()) {
        Message(LinkText::kEnterFileName);
        end();
        return;
    }
    CZB_FileData file(files_);
    const FileResult loaded = file.LoadScene(path);
    SetLastFileResult(loaded);
    if (!loaded.Ok()) {
        Log("file_refused", {{"path", PathText(path)}, {"reason", loaded.Describe()}});
        HideProgress();
        // Nothing was imported, so there is nothing for the save settings raised with it to store.
        if (selection) {
            s.requests[request::kSaveSettings] = 0;
        }
        Message(LinkText::kNoFiles);
        end();
        return;
    }
    if (file.device_id != ConnectedDeviceId()) {
        Log("file_refused", {{"path", PathText(path)},
                             {"reason", "made for another device"},
                             {"file_device_id", std::to_string(file.device_id)},
                             {"device_id", std::to_string(ConnectedDeviceId())}});
        HideProgress();
        if (selection) {
            s.requests[request::kSaveSettings] = 0;
        }
        Message(LinkText::kWrongFileVersion);
        end();
        return;
    }

    const auto& values = file.Values();
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
    } else {
        // Every value but the last, and none of the link-owned words.
        const std::size_t count = std::min<std::size_t>(values.size(), kParameterCount);
        for (std::size_t i = 0; i + 1 < count; ++i) {
            if (!SkippedOnLoad(i)) {
                t.WriteParameter(i, values[i], true);
            }
        }
    }

    ShowProgress(kProgressMaximum, LinkText::kUpdateSceneData);
    t.ClearRetryCounters();
    if (!selection) {
        t.SetWriteCursor(0);
    }
    const std::uint32_t wait =
        selection ? s.timings.read_all_wait_ms.load() : s.timings.scene_load_wait_ms.load();
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
        Sleep(1);
        if (clean == static_cast<int>(kParameterCount) - 1) {
            break;
        }
    }
    // After a drop the reload belongs to the reconnect; reading now would only fail a second time.
    if (s.link_up && !Stopping()) {
        Sleep(100);
        UpdateDisplay();
    }
    end();
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
        Sleep(100);
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
    ShowProgress(100, LinkText::kCall);
    Sleep(200);
    UpdateDisplay();
    host_.PostNotify(LinkNotify::kTableChanged, 0);
}

void LinkController::Refresh() {
    ShowProgress(100, LinkText::kCall);
    UpdateDisplay();
    host_.PostNotify(LinkNotify::kTableChanged, 0);
}

void LinkController::RequestSceneName() {
    auto& s = link_.State();
    s.scene_name_ack = false;
    Sleep(10);
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
