#include "devices/scene_file_device.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "core/files/file_data.h"
#include "core/protocol/protocol.h"

namespace vela {
namespace {

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string LockProblem(const std::filesystem::path& path, FileLock::Outcome outcome) {
    return outcome == FileLock::Outcome::kBusy ? PathText(path) + " is open in another vela" : std::string();
}

// The file's bytes, checked as a scene file of this processor.
std::string ReadScene(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                      CZB_FileData& scene) {
    if (const FileResult r = scene.LoadScene(path); !r.Ok())
        return r.Describe();
    if (scene.device_id != kDeviceId)
        return PathText(path) + ": made for another device";
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    CZB_FileData again;
    if (!in.good() && !in.eof())
        return PathText(path) + ": cannot read";
    // The file changed between the two reads: refuse rather than patch bytes that were never checked.
    if (!again.DecodeScene(bytes).Ok() || again.Values() != scene.Values())
        return PathText(path) + ": changed while it was read";
    return {};
}

}  // namespace

std::optional<std::string> SceneFileDevice::Check(const std::filesystem::path& path) {
    std::string problem;
    if (Load(path, problem, std::chrono::hours(1)) == nullptr)
        return problem;
    return std::nullopt;
}

std::unique_ptr<SceneFileDevice> SceneFileDevice::Load(const std::filesystem::path& path,
                                                       std::string& problem,
                                                       std::chrono::milliseconds write_interval) {
    FileLock::Outcome outcome{};
    auto lock = FileLock::Acquire(path, outcome);
    if (outcome == FileLock::Outcome::kBusy) {
        problem = LockProblem(path, outcome);
        return nullptr;
    }
    std::vector<std::uint8_t> bytes;
    CZB_FileData scene;
    problem = ReadScene(path, bytes, scene);
    if (!problem.empty())
        return nullptr;
    std::string read_only;
    if (!lock) {
        read_only = PathText(path) + ": its folder cannot be written";
    } else if (const FileResult target = CZB_FileData::CheckSceneTarget(path); !target.Ok()) {
        read_only = target.Describe();
    }
    return std::unique_ptr<SceneFileDevice>(new SceneFileDevice(path, std::move(bytes), scene.Values(),
                                                                std::move(lock), read_only, write_interval));
}

SceneFileDevice::SceneFileDevice(std::filesystem::path path, std::vector<std::uint8_t> bytes,
                                 std::vector<std::uint32_t> values, std::unique_ptr<FileLock> lock,
                                 std::string read_only_reason, std::chrono::milliseconds write_interval)
    : path_(std::move(path)),
      write_interval_(write_interval),
      processor_(std::make_shared<sim::SimulatedDevice>()),
      inner_(processor_),
      lock_(std::move(lock)),
      bytes_(std::move(bytes)),
      values_(std::move(values)) {
    status_.read_only = !read_only_reason.empty();
    status_.problem = std::move(read_only_reason);
    processor_->WithProcessor([&](sim::VirtualProcessor& p) {
        const std::size_t count = std::min(values_.size(), kParameterCount);
        for (std::size_t i = 0; i < count; ++i) {
            if (!LinkOwnedParameter(i))
                p.SetValue(i, static_cast<std::uint16_t>(values_[i]));
        }
    });
    writer_ = std::thread([this] { Writer(); });
}

SceneFileDevice::~SceneFileDevice() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    writer_.join();
    inner_.Close();
    Flush();
}

bool SceneFileDevice::Open(std::uint16_t vendor_id, std::uint16_t product_id) {
    return inner_.Open(vendor_id, product_id);
}

HidResult SceneFileDevice::ReadReport(std::span<std::uint8_t, kReportSize> report, std::size_t& received,
                                      std::uint32_t timeout_ms) {
    return inner_.ReadReport(report, received, timeout_ms);
}

HidResult SceneFileDevice::WriteReport(std::span<const std::uint8_t, kReportSize> report,
                                       std::uint32_t timeout_ms) {
    const HidResult result = inner_.WriteReport(report, timeout_ms);
    if (result == HidResult::kOk)
        TakeEdits();
    return result;
}

void SceneFileDevice::Abort() {
    inner_.Abort();
}

void SceneFileDevice::Close() {
    inner_.Close();
    Flush();
}

SceneFileDevice::Status SceneFileDevice::CurrentStatus() const {
    std::lock_guard lock(mutex_);
    return status_;
}

SceneFileDevice::Status SceneFileDevice::Flush() {
    // The worker takes a write's values only after the processor answered it: an owner that saw the answer
    // may flush before that.
    TakeEdits();
    std::unique_lock lock(mutex_);
    if (status_.pending && !status_.read_only)
        WriteLocked();
    return status_;
}

void SceneFileDevice::TakeEdits() {
    std::vector<std::uint16_t> now(std::min(values_.size(), kParameterCount));
    processor_->WithProcessor([&](sim::VirtualProcessor& p) {
        for (std::size_t i = 0; i < now.size(); ++i)
            now[i] = p.Value(i);
    });
    bool changed = false;
    {
        std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < now.size(); ++i) {
            if (!LinkOwnedParameter(i) && values_[i] != now[i]) {
                values_[i] = now[i];
                changed = true;
            }
        }
        status_.pending = status_.pending || changed;
    }
    if (changed)
        wake_.notify_all();
}

// Written under the lock, so two writes never overtake each other; a write takes milliseconds.
void SceneFileDevice::WriteLocked() {
    const auto patched = CZB_FileData::PatchSceneValues(bytes_, values_);
    const bool ok = patched && ReplaceFileWhole(path_, *patched);
    last_write_ = std::chrono::steady_clock::now();
    if (!ok) {
        status_.read_only = true;
        status_.problem =
            PathText(path_) + (patched ? ": cannot be written" : ": cannot be rewritten in place");
        return;
    }
    bytes_ = *patched;
    status_.pending = false;
    ++writes_;
}

void SceneFileDevice::Writer() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (status_.pending && !status_.read_only) {
            const auto due = last_write_ + write_interval_;
            if (std::chrono::steady_clock::now() >= due) {
                WriteLocked();
                continue;
            }
            wake_.wait_until(lock, due, [&] { return stopping_; });
        } else {
            wake_.wait_for(lock, std::chrono::seconds(1),
                           [&] { return stopping_ || (status_.pending && !status_.read_only); });
        }
    }
}

}  // namespace vela
