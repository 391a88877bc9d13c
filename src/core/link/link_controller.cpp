#include "core/link/link_controller.h"

#include <algorithm>
#include <string>

#include "core/link/link_schedule.h"

namespace vela {

using namespace schedule;

namespace {

// Unanswered write batches in a row worth a line in the diagnostic log.
constexpr int kLoggedUnansweredWrites = 3;

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

int LinkController::PendingEdits() const {
    const auto& t = link_.Table();
    std::lock_guard lock(remembered_mutex_);
    int n = 0;
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        const bool pending = t.IsDirty(i) || remembered_.count(static_cast<std::uint16_t>(i)) > 0;
        n += pending && !LinkOwnedParameter(i) ? 1 : 0;
    }
    return n;
}

bool LinkController::CanSendEdits() const {
    auto& s = link_.State();
    return worker_.joinable() && s.running.load() && s.link_up.load() && !s.paused.load();
}

int LinkController::SendPendingEdits(std::uint32_t bound_ms, const std::function<void()>& between) {
    auto& clock = link_.Clock();
    const std::uint32_t given_up = link_.Table().GivenUp();
    const std::uint32_t start = clock.TickMs();
    while (PendingEdits() > 0 && CanSendEdits() && clock.TickMs() - start < bound_ms) {
        if (between) {
            between();
        }
        clock.SleepMs(kCloseSendSliceMs);
    }
    return PendingEdits() + static_cast<int>(link_.Table().GivenUp() - given_up);
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
    std::lock_guard lock(remembered_mutex_);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        if (t.IsDirty(i)) {
            remembered_[static_cast<std::uint16_t>(i)] = t.Value(i);
        }
    }
}

void LinkController::TakeEditsForReload() {
    std::lock_guard lock(remembered_mutex_);
    for (const auto& [index, value] : link_.Table().TakeEdits()) {
        remembered_[index] = value;
    }
}

void LinkController::RestoreRemembered() {
    auto& t = link_.Table();
    std::lock_guard lock(remembered_mutex_);
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
        Sleep(kStartPauseMs);
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
        LoadConnected();

        write_scan_ = 0;
        idle_count_ = 0;
        while (s.link_up && s.running) {
            PollCycle();
        }
        s.link_up = false;
        if (s.running) {
            LogDrop();
        }
        RememberDirty();
        if (s.running) {
            host_.SendNotify(LinkNotify::kLinkState, static_cast<int>(LinkStateCode::kNotConnected));
        }
    }
}

// From an identified processor to the poll cycle: occupancy, then what the mode loads.
void LinkController::LoadConnected() {
    auto& s = link_.State();
    if (s.running) {
        Sleep(kConnectedNoticeMs);
        host_.SendNotify(LinkNotify::kLinkState, static_cast<int>(LinkStateCode::kConnected));
    }
    s.link_up = true;
    TakeEditsForReload();

    OccupancyCheck();
    if (Light()) {
        RestoreRemembered();
    } else {
        Sleep(kBeforeLoadMs);
        UpdateDisplay();
        ReadSceneNames(link_.Table().Value(param::kCurrentScene) & 0xFF);
        RestoreRemembered();
        Sleep(kAfterLoadMs);
    }
    if (s.link_up && !Stopping()) {
        ready_.fetch_add(1);
    }
}

// A long silence means the supervision dropped it; a short one, a send that failed or a reconnect asked for.
void LinkController::LogDrop() {
    auto& s = link_.State();
    Log("reconnect", {{"reason", !s.reader_running ? "device closed" : "link dropped"},
                      {"silent_ms", std::to_string(link_.Clock().TickMs() - s.last_valid_frame_tick.load())},
                      {"missed_replies", std::to_string(s.missed_replies.load())}});
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
        Sleep(kIdentifyPauseMs);
        if (attempt + 1 >= kIdentifyAttempts || s.missed_replies.load() >= give_up) {
            Log("identify_failed", {{"reason", "no identification"},
                                    {"attempts", std::to_string(attempt + 1)},
                                    {"device_id", std::to_string(s.device_id.load())},
                                    {"parameter0", std::to_string(t.Value(param::kIdentity))}});
            Sleep(kIdentifyBackOffMs);
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
             waited < kLongestQuietMs && !Stopping() && occupancy.received.load() == 0;
             waited += kLateAnswerSliceMs) {
            Sleep(kLateAnswerSliceMs);
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

// The full check: how many of its reads found parameter 935 held by another controller.
int LinkController::HeldReads() {
    auto& s = link_.State();
    int occupied = 0;
    for (int k = 0; k < kOccupancyReads && !Stopping(); ++k) {
        s.waiting = true;
        link_.ReadOne(param::kOccupancy);
        link_.WaitReply(kOccupancyReplyWaitMs);
        Sleep(kOccupancyReadPauseMs);
        s.waiting = false;
        occupied += link_.Table().Value(param::kOccupancy) == kOccupied ? 1 : 0;
    }
    return occupied;
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
        } else {
            const int held = HeldReads();
            if (held < kOccupiedThreshold) {
                Log("occupancy", {{"state", "free"}, {"held_reads", std::to_string(held)}});
                return;
            }
            Log("occupancy", {{"state", "held"}, {"held_reads", std::to_string(held)}});
        }
        Message(LinkText::kEquipmentOccupied);
        Sleep(kOccupiedBackOffMs);
        if (!s.link_up) {
            return;
        }
    }
}

void LinkController::PollCycle() {
    auto& s = link_.State();
    auto& t = link_.Table();
    Sleep(kCycleStartMs);
    while (s.paused && !Stopping()) {
        Sleep(kCycleStartMs);
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

    WriteNextBatch();

    if (Light()) {
        ReadRequestedTogether();
    } else {
        for (std::size_t i = 0; i < kParameterCount; ++i) {
            if (t[i].read_request.load() > 0) {
                link_.ReadOne(static_cast<std::uint16_t>(i));
                t[i].read_request = 0;
                Sleep(kSingleReadPauseMs);
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

    if (idle_count_ < kHeartbeatCycle) {
        ++idle_count_;
        Sleep(idle_count_ < kBusyCycles ? (Light() ? kBusyPauseLightMs : kBusyPauseMs) : kQuietPauseMs);
    } else {
        idle_count_ = kBusyCycles;
        Heartbeat();
    }
}

// One write batch from the first dirty entry on.
void LinkController::WriteNextBatch() {
    auto& s = link_.State();
    auto& t = link_.Table();
    if (write_scan_ >= kParameterCount) {
        write_scan_ = 0;
    }
    std::size_t g = write_scan_;
    while (g < kParameterCount && !t.IsDirty(g))
        ++g;
    if (g >= kParameterCount) {
        write_scan_ = kParameterCount;
        return;
    }
    write_scan_ = g;
    if (t[g].retry.load() >= ParameterTable::kRetryLimit) {
        Log("write_given_up", {{"index", std::to_string(g)}, {"tries", std::to_string(t[g].retry.load())}});
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
}

// The owner of a light link asks for many values at once (a range, a read-back): up to a full read frame
// goes out per request, rather than one frame and one rest per value.
void LinkController::ReadRequestedTogether() {
    auto& t = link_.Table();
    std::vector<std::uint8_t> payload;
    auto send = [&] {
        link_.SendFrame(cmd::kReadParameters, payload);
        payload.clear();
        Sleep(kSingleReadPauseMs);
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
             std::array<std::uint8_t, 2>{HighByte(param::kMusicSource), LowByte(param::kMusicSource)},
             kHeartbeatReplyWaitMs);
    auto& occupancy = t[param::kOccupancy];
    const std::uint8_t tries = occupancy.retry.load();
    if (tries >= ParameterTable::kRetryLimit) {
        occupancy.retry = 0;
        occupancy.dirty = 0;
    } else {
        occupancy.retry = static_cast<std::uint8_t>(tries + 1);
    }
    const std::array<std::uint8_t, 4> claim{HighByte(param::kOccupancy), LowByte(param::kOccupancy),
                                            HighByte(kClaimed), LowByte(kClaimed)};
    link_.SendFrame(cmd::kWriteParameters, claim);
    Sleep(kHeartbeatPauseMs);
}

void LinkController::ServeRequests() {
    auto& s = link_.State();
    for (int number = 1; number <= request::kCount; ++number) {
        if (!s.RequestRaised(number)) {
            continue;
        }
        Sleep(kBeforeRequestMs);
        s.requests[static_cast<std::size_t>(number)] = 0;
        Serve(number);
        idle_count_ = 0;
        if (s.running) {
            HideProgress();
        }
        served_[static_cast<std::size_t>(number)].fetch_add(1);
    }
}

void LinkController::Serve(int number) {
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
}

}  // namespace vela
