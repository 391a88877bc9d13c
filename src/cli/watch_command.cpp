// velactl watch (the device's changes as they arrive) and inspect (a scene file without a device).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>

#include "cli/bounded_input.h"
#include "cli/velactl_cli.h"
#include "core/text/calendar.h"

namespace vela::cli {

namespace {

// Local time with milliseconds: 2026-12-09 19:12:00.123.
std::string WatchTime() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    char full[48];
    std::snprintf(full, sizeof full, "%s.%03d",
                  CalendarText(LocalCalendar(seconds), "%Y-%m-%d %H:%M:%S").c_str(), static_cast<int>(ms));
    return full;
}

}  // namespace

int Cli::Watch() {
    std::vector<Asked> asked;
    if (const int status = OpenForParameters(Path::kFull, true, asked); status != kExitOk)
        return status;
    // Which parameters are printed, and whether by name; all of them by index without arguments.
    std::vector<int> shown(kParameterCount, options_.args.empty() ? 1 : 0);  // 0 no, 1 by index, 2 by name
    for (const auto& a : asked)
        shown[a.index] = a.by_name ? 2 : std::max(shown[a.index], 1);
    auto& t = session_->Link().Table();
    std::mutex out_mutex;
    std::vector<std::uint16_t> last(kParameterCount);
    for (std::size_t i = 0; i < kParameterCount; ++i)
        last[i] = t.Value(i);
    OutputWriter writer = Writer();
    host_->SetParameterCallback([&](std::size_t i) {
        if (i >= kParameterCount || shown[i] == 0)
            return;
        const std::uint16_t v = t.Value(i);
        std::lock_guard lock(out_mutex);
        if (v == last[i])
            return;
        last[i] = v;
        writer.Print(WatchChange{WatchTime(), {static_cast<std::uint16_t>(i), v, shown[i] == 2}});
    });
    const auto limit = options_.watch_for
                           ? std::chrono::milliseconds(static_cast<long long>(*options_.watch_for * 1000))
                           : std::chrono::hours(24 * 365);
    session_->WaitAtMost([] { return false; }, limit);
    host_->SetParameterCallback(nullptr);
    if (InterruptRequested()) {
        return kExitInterrupted;
    }
    if (const Outcome o = session_->Check(); !o.Ok()) {
        return Fail(o);
    }
    return kExitOk;
}

int Cli::Inspect() {
    if (options_.args.size() != 1)
        return Usage("inspect needs one FILE");
    const std::string& file = options_.args[0];
    CZB_FileData scene;
    if (file == "-") {
        const auto text = ReadBounded(in_, static_cast<std::size_t>(CZB_FileData::kMaxSceneFileSize));
        if (!text) {
            return Fail(kExitFile, "standard input: larger than any scene file (" +
                                       std::to_string(CZB_FileData::kMaxSceneFileSize) + " bytes)");
        }
        const std::vector<std::uint8_t> bytes(text->begin(), text->end());
        if (FileResult r = scene.DecodeScene(bytes); !r.Ok()) {
            r.path = "standard input";
            return FileFailure(r);
        }
    } else if (const FileResult r = scene.LoadScene(std::filesystem::u8path(file)); !r.Ok()) {
        return FileFailure(r);
    }
    const auto& ft = scene.FileTimeRead();
    char when[64];
    std::snprintf(when, sizeof when, "%04u-%02u-%02u %02u:%02u:%02u", ft.year, ft.month, ft.day, ft.hour,
                  ft.minute, ft.second);
    Writer().Print(
        SceneFileReport{file, scene.device_id, scene.ValueCount(), scene.DataOffset(), when, scene.Values()});
    return kExitOk;
}

}  // namespace vela::cli
