// A scene file opened as a processor: the virtual processor holds the file's values, and every edit the
// link writes to it goes back into the file (in place, through a temporary file and a rename, at most once
// a second while edits flow and once when it is closed). Bytes of the file that no edit touched stay as
// they were; the link's own words are never written into it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/link/hid_device.h"
#include "platform/file_lock.h"
#include "sim/sim_device.h"

namespace vela {

class SceneFileDevice final : public IHidDevice {
  public:
    struct Status {
        bool pending = false;    // an edit not yet in the file
        bool read_only = false;  // the file cannot be written: edits stay in memory only
        std::string problem;     // why it is read-only, for the user
    };

    // The file's problem in one line ("PATH: damaged", "PATH is open in another vela"), or nothing when it
    // can be opened. Takes and releases the lock, so a file open elsewhere is named as such.
    static std::optional<std::string> Check(const std::filesystem::path& path);

    // Loads the file and takes its lock; nothing (and `problem` set) when it cannot be used.
    static std::unique_ptr<SceneFileDevice> Load(
        const std::filesystem::path& path, std::string& problem,
        std::chrono::milliseconds write_interval = std::chrono::seconds(1));
    ~SceneFileDevice() override;

    [[nodiscard]] bool Open(std::uint16_t vendor_id, std::uint16_t product_id) override;
    [[nodiscard]] HidResult ReadReport(std::span<std::uint8_t, kReportSize> report, std::size_t& received,
                                       std::uint32_t timeout_ms) override;
    [[nodiscard]] HidResult WriteReport(std::span<const std::uint8_t, kReportSize> report,
                                        std::uint32_t timeout_ms) override;
    void Abort() override;
    void Close() override;

    Status CurrentStatus() const;
    // Writes a pending edit now; the status after it.
    Status Flush();
    const std::filesystem::path& Path() const { return path_; }
    // How many times the file was rewritten.
    int Writes() const {
        std::lock_guard lock(mutex_);
        return writes_;
    }

  private:
    SceneFileDevice(std::filesystem::path path, std::vector<std::uint8_t> bytes,
                    std::vector<std::uint32_t> values, std::unique_ptr<FileLock> lock,
                    std::string read_only_reason, std::chrono::milliseconds write_interval);
    void TakeEdits();
    void WriteLocked();  // mutex_ held
    void Writer();

    const std::filesystem::path path_;
    const std::chrono::milliseconds write_interval_;
    std::shared_ptr<sim::SimulatedDevice> processor_;
    sim::SimHidDevice inner_;
    std::unique_ptr<FileLock> lock_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::uint8_t> bytes_;    // the file as last written
    std::vector<std::uint32_t> values_;  // what the file is to hold
    std::chrono::steady_clock::time_point last_write_{};
    Status status_;
    bool stopping_ = false;
    int writes_ = 0;
    std::thread writer_;
};

}  // namespace vela
