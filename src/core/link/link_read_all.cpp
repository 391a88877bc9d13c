// Read-all, the display update and the scene names: how the worker loads the device's whole table.
#include <chrono>
#include <string>

#include "core/link/link_controller.h"
#include "core/link/link_schedule.h"

namespace vela {

using namespace schedule;

namespace {

constexpr int kProgressMaximum = static_cast<int>(kParameterCount);

}  // namespace

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

void LinkController::ShowCountIfGrown(int count, int& shown) {
    if (count > shown) {
        SetProgress(count);
        shown = count;
    }
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
    int shown = -1;
    if (!DumpPhase(attempts, shown)) {
        HideProgress();
        return false;
    }
    if (!BatchPasses(shown)) {
        HideProgress();
        if (!Stopping()) {
            Message(LinkText::kReadDataFailed);
        }
        return false;
    }
    SetProgress(CountReceived());
    Sleep(kAfterReadAllMs);
    HideProgress();
    return true;
}

// The dump lets the device stream everything; the batch passes then only fill the gaps. False when the
// device closed meanwhile.
bool LinkController::DumpPhase(int attempts, int& shown) {
    auto& s = link_.State();
    static constexpr std::array<std::uint8_t, 1> kDumpPayload{0x00};
    for (int k = 0; k < attempts + 1 && !Stopping(); ++k) {
        link_.SendFrame(cmd::kDump, kDumpPayload);
        Sleep(kDumpPauseMs);
        if (CountReceived() > kDumpStartedCount) {
            break;
        }
        if (!s.reader_running) {
            return false;
        }
    }
    for (int k = 0; k < kDumpWaitRounds && !Stopping(); ++k) {
        const int count = CountReceived();
        ShowCountIfGrown(count, shown);
        if (count >= kDumpEnough) {
            break;
        }
        Sleep(kDumpWaitSliceMs);
    }
    return true;
}

// False when the link dropped or is stopping.
bool LinkController::BatchPasses(int& shown) {
    auto& s = link_.State();
    auto& t = link_.Table();
    t.SetReadCursor(0);
    for (int pass = 0; pass < kReadAllPasses; ++pass) {
        int count = 0;
        for (std::size_t i = 0; i < kParameterCount && s.link_up && !Stopping(); ++i) {
            if (t.IsReceived(i)) {
                ++count;
                continue;
            }
            s.waiting = true;
            link_.BuildReadBatch(ParameterTable::kContinue, kReadBatchIndexes);
            ShowCountIfGrown(count, shown);
            link_.WaitReply(s.timings.read_all_wait_ms.load());
            s.waiting = false;
        }
        ShowCountIfGrown(count, shown);
        if (!s.link_up || Stopping()) {
            return false;
        }
        Sleep(kBetweenPassesMs);
    }
    return true;
}

void LinkController::UpdateDisplay() {
    auto& t = link_.Table();
    if (!ReadAll(kDumpRetries)) {
        return;
    }
    host_.PostNotify(LinkNotify::kAllRead, 0);
    if (link_.State().running) {
        HideProgress();
        ShowProgress(kProgressMaximum, LinkText::kUpdateDisplayData);
    }
    Sleep(kBeforeDisplayMs);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        if (t.IsReceived(i)) {
            host_.PostNotify(LinkNotify::kParameter, static_cast<std::intptr_t>(i));
            t[i].received = 0;
        }
        if (i % kDisplayProgressEvery == 1) {
            SetProgress(static_cast<int>(i));
        }
    }
    host_.PostNotify(LinkNotify::kTableChanged, 0);
    host_.PostNotify(LinkNotify::kDisplayUpdated, 0);
    Sleep(kAfterDisplayMs);
    HideProgress();
}

void LinkController::ReadSceneNames(int scene) {
    auto& names = link_.SceneNames();
    auto ask = [&](int n) {
        const std::array<std::uint8_t, 1> payload{static_cast<std::uint8_t>(n)};
        link_.SendFrame(cmd::kSceneName, payload);
        Sleep(kSceneNamePauseMs);
    };
    for (int n = 1; n <= kSceneSlots; ++n) {
        names.ClearNameReceived(n - 1);
        ask(n);
    }
    for (int round = 0; round < kSceneNameRounds; ++round) {
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

}  // namespace vela
