// The link worker: connects, identifies, checks occupancy, loads everything and keeps the table in step
// with the device; serves the UI's numbered requests (scene files, device scenes, refresh) between
// poll cycles. Talks to its owner only through ILinkHost.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "core/diag/event_log.h"
#include "core/diag/version.h"
#include "core/files/file_data.h"
#include "core/link/device_link.h"
#include "core/link/link_texts.h"
#include "core/link/seams.h"

namespace vela {

// The transport's side of connecting.
class ILinkConnector {
  public:
    virtual ~ILinkConnector() = default;
    // Returns once the device is open, its reader runs and parameter 0 has been read back, or as soon
    // as the link's running flag is cleared.
    virtual void Connect() = 0;
    // Closes the device; its reader ends and clears the link-up flag.
    virtual void Close() = 0;
};

// One poll-cycle step for the Wi-Fi module: send one pending command and show finished settings.
class IWifiStep {
  public:
    virtual ~IWifiStep() = default;
    virtual void Clear() = 0;
    // Returns true when a command was sent (the idle count restarts).
    virtual bool SendPending(DeviceLink& link, ILinkHost& host) = 0;
    virtual void ShowCompletions(ILinkHost& host) = 0;
};

// What the worker does once a processor is identified. The window loads everything and keeps it shown;
// a command-line tool that touches a few values only needs the processor to be free, and reads or writes
// those values through the poll cycle like any edit (same acknowledgement, retries and read-back).
enum class LinkMode {
    kFull,
    // No start-up pause, a shorter occupancy check (one sighting of another controller is enough to
    // refuse), no read-all or scene names, no call-scene reload, and a quicker pace while work flows.
    kLight,
};

class LinkController {
  public:
    // The light occupancy check: this many answered reads of 935, asked at most kLightOccupancyTries times.
    static constexpr int kLightOccupancyAnswers = 3;
    static constexpr int kLightOccupancyTries = 6;

    LinkController(DeviceLink& link, ILinkConnector& connector, ILinkHost& host,
                   FileLocations files = FileLocations::System());
    ~LinkController();
    LinkController(const LinkController&) = delete;
    LinkController& operator=(const LinkController&) = delete;

    void SetWifiStep(IWifiStep* wifi) { wifi_ = wifi; }
    // Before StartLink: where the worker reports connects, identifications, reloads, retries and drops.
    void SetEvents(diag::IEventSink* events, std::string device_name) {
        events_ = events;
        device_name_ = std::move(device_name);
    }
    // Before StartLink.
    void SetMode(LinkMode mode) { mode_ = mode; }
    LinkMode Mode() const { return mode_; }
    // How many connections got past the occupancy check and were loaded as the mode asks, since the start.
    int Ready() const { return ready_.load(); }

    // Starts the worker; false (after telling the user) when it cannot be created.
    bool StartLink();
    // Stops the worker and closes the device. Safe to call more than once.
    void StopLink();

    // --- Closing (owner's thread) ---
    // The user's edits the device has not acknowledged: marked in the table, or kept across a reconnect
    // to be written after the reload. The link's own words are not edits.
    int PendingEdits() const;
    // Whether the worker can deliver them now: running, connected and not suspended.
    bool CanSendEdits() const;
    // Waits until the pending edits are acknowledged, the link cannot send them, or bound_ms pass on the
    // link's clock; `between` runs every slice (a window pumps its messages there). Returns how many were
    // not delivered, counting those whose retries ran out meanwhile.
    int SendPendingEdits(std::uint32_t bound_ms, const std::function<void()>& between = {});
    bool Running() const { return worker_.joinable(); }
    // How often request `number` has been served since the start (for callers that wait on one).
    int Served(int number) const {
        return number >= 1 && number <= request::kCount ? served_[static_cast<std::size_t>(number)].load()
                                                        : 0;
    }

    // --- What the UI prepares before raising a request (UI thread) ---
    void SetScenePath(const std::filesystem::path& path);
    std::filesystem::path ScenePath() const;
    // What the last save to file or load file did with its file, for owners that report the reason.
    FileResult LastFileResult() const;
    void SetSelection(std::vector<std::uint16_t> indexes);
    // Name for save scene: ANSI bytes, padded with spaces to 25.
    void SetSceneNameBuffer(const std::string& ansi_name);

    // --- Bulk operations (worker thread; public for the tools and tests that drive them directly) ---
    bool ReadAll(int attempts);
    void UpdateDisplay();
    void ReadSceneNames(int scene);
    void SaveToFile();
    void LoadFile(bool selection);
    void CallScene();
    void Refresh();
    void RequestSceneName();
    void SaveScene();
    void SaveSettings();

  private:
    void Worker();
    void LoadConnected();
    void LogDrop();
    bool ReadAllNow(int attempts);
    bool DumpPhase(int attempts, int& shown);
    bool BatchPasses(int& shown);
    void ShowCountIfGrown(int count, int& shown);
    bool Identification();
    void OccupancyCheck();
    int HeldReads();
    // Light mode's check: free, held by another controller (a read said so), or no read answered.
    enum class Occupancy { kFree, kHeld, kUnanswered };
    Occupancy LightOccupancy();
    bool Light() const { return mode_ == LinkMode::kLight; }
    void PollCycle();
    void WriteNextBatch();
    void ServeRequests();
    void Serve(int number);
    std::optional<std::vector<std::uint32_t>> SceneFileFor(const std::filesystem::path& path, bool selection);
    void MarkSceneValues(const std::vector<std::uint32_t>& values, bool selection);
    void WriteMarkedScene(std::uint32_t wait);
    void Heartbeat();
    void ReadRequestedTogether();

    // Sleeps on the link's clock; returns early once the link is stopping.
    void Sleep(std::uint32_t ms);
    bool Stopping() const { return !link_.State().running.load(); }
    MessageAnswer Message(LinkText text, std::wstring_view caption = {},
                          MessageButtons buttons = MessageButtons::kOk);
    void ShowProgress(int maximum, LinkText format);
    void SetProgress(int position);
    void HideProgress();  // always followed by UM_LINK_NOTIFY code 8
    int CountReceived() const;
    int CountClean() const;
    std::uint32_t ConnectedDeviceId() const;
    // Sends one frame that expects a reply and waits for it; an optional reply's absence is no missed reply.
    bool Exchange(std::uint8_t command, std::span<const std::uint8_t> payload, std::uint32_t wait_ms,
                  bool optional = false);

    // Edits that must survive a reconnect: remembered when the link drops and when identification clears
    // the marks, written again after the reload unless the user has changed them again meanwhile.
    void RememberDirty();
    void TakeEditsForReload();
    void RestoreRemembered();
    void SetLastFileResult(FileResult result);
    void Log(std::string_view name, std::initializer_list<diag::LogField> fields = {});

    DeviceLink& link_;
    ILinkConnector& connector_;
    ILinkHost& host_;
    IWifiStep* wifi_ = nullptr;
    diag::IEventSink* events_ = nullptr;
    std::string device_name_;
    int unanswered_writes_ = 0;
    LinkMode mode_ = LinkMode::kFull;
    std::atomic<int> ready_{0};
    FileLocations files_;
    std::thread worker_;

    // Poll-cycle positions (worker thread).
    std::size_t write_scan_ = 0;
    int idle_count_ = 0;
    std::map<std::uint16_t, std::uint16_t> remembered_;
    // Held while edits move between the table's marks and remembered_, so the owner never counts one
    // twice or misses it in between.
    mutable std::mutex remembered_mutex_;
    std::array<std::atomic<int>, request::kCount + 1> served_{};

    mutable std::mutex texts_mutex_;
    std::filesystem::path scene_path_;
    FileResult last_file_result_;
    std::vector<std::uint16_t> selection_;
    std::array<std::uint8_t, kSceneNameLength> name_buffer_{};
};

}  // namespace vela
