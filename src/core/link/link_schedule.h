// The link worker's schedule: every pause, wait and count it keeps, with the reason it has that length.
// "Paced" pauses are the device's own pace, which the processor was built to be driven at; "settle"
// pauses give the device or the window time to finish what the last frame started; "back-off" pauses keep
// a refusing or silent device from being asked again at once. Times are on the link's clock.
#pragma once

#include <cstdint>

#include "core/protocol/protocol.h"

namespace vela::schedule {

// --- Connecting ---
// Settle: the window finishes its start-up before the first connect attempt.
inline constexpr std::uint32_t kStartPauseMs = 500;
// Paced: one identify and read of parameter 0 per attempt, and this many attempts.
inline constexpr std::uint32_t kIdentifyPauseMs = 40;
inline constexpr std::uint32_t kIdentifyAttempts = 12;
// Back-off: a device that never identified itself is left alone this long before the next connect.
inline constexpr std::uint32_t kIdentifyBackOffMs = 2000;
// Settle: the identify reply's scene information lands before the window hears "connected".
inline constexpr std::uint32_t kConnectedNoticeMs = 10;
// Settle: the occupancy check's last reply is in before read-all starts.
inline constexpr std::uint32_t kBeforeLoadMs = 100;
// Settle: the device rests after the load; the supervision's quiet limit counts on this second.
inline constexpr std::uint32_t kAfterLoadMs = 1000;

// --- Occupancy ---
// Paced: the full check reads parameter 935 this many times, each read waited for and followed by a rest;
// this many readings of "held" mean another controller has it.
inline constexpr int kOccupancyReads = 10;
inline constexpr std::uint32_t kOccupancyReplyWaitMs = 200;
inline constexpr std::uint32_t kOccupancyReadPauseMs = 100;
inline constexpr int kOccupiedThreshold = 2;
// Back-off: an occupied device is asked again after this pause, once the user has been told.
inline constexpr std::uint32_t kOccupiedBackOffMs = 2000;
// Light check: how often a late answer is looked for while the longest quiet time runs.
inline constexpr std::uint32_t kLateAnswerSliceMs = 10;
// Values of parameter 935: a controller claims the device with kClaimed and sees kOccupied when another did.
inline constexpr std::uint16_t kClaimed = 1;
inline constexpr std::uint16_t kOccupied = 2;

// --- Poll cycle ---
// Paced: every cycle starts with this rest, and the paused link looks again after the same.
inline constexpr std::uint32_t kCycleStartMs = 10;
// Paced: after each single read, so that the device answers one before the next arrives.
inline constexpr std::uint32_t kSingleReadPauseMs = 10;
// Idle pacing: quick cycles while work flows, slow ones after kBusyCycles quiet cycles, and a heartbeat
// once kHeartbeatCycle quiet cycles have passed (then every sixth quiet cycle).
inline constexpr std::uint32_t kBusyPauseMs = 40;
inline constexpr std::uint32_t kBusyPauseLightMs = 10;
inline constexpr std::uint32_t kQuietPauseMs = 100;
inline constexpr int kBusyCycles = 10;
inline constexpr int kHeartbeatCycle = 15;
// Paced: the heartbeat's read of parameter 925 is waited for this long, and the claim is followed by a rest.
inline constexpr std::uint32_t kHeartbeatReplyWaitMs = 50;
inline constexpr std::uint32_t kHeartbeatPauseMs = 100;
// Settle: the page that raised a request has written what the request reads (a path, a name, a scene).
inline constexpr std::uint32_t kBeforeRequestMs = 100;

// --- Read-all and display update ---
// The dump is asked for once and then up to this many times again while nothing streams.
inline constexpr int kDumpRetries = 3;
// Paced: the dump asked again after this wait while fewer than kDumpStartedCount entries came in.
inline constexpr std::uint32_t kDumpPauseMs = 500;
inline constexpr int kDumpStartedCount = 10;
// Settle: the dump streams on for up to kDumpWaitRounds rests until kDumpEnough entries are in.
inline constexpr int kDumpWaitRounds = 20;
inline constexpr std::uint32_t kDumpWaitSliceMs = 150;
inline constexpr int kDumpEnough = 937;
// The batch passes that fill the dump's gaps, each batch as large as one read frame may be.
inline constexpr int kReadAllPasses = 5;
inline constexpr int kReadBatchIndexes = kMaxReadIndexes;
inline constexpr std::uint32_t kBetweenPassesMs = 30;
inline constexpr std::uint32_t kAfterReadAllMs = 10;
// The display update shows its progress at every 18th index, and lets the window repaint before and after.
inline constexpr int kDisplayProgressEvery = 18;
inline constexpr std::uint32_t kBeforeDisplayMs = 1;
inline constexpr std::uint32_t kAfterDisplayMs = 100;
// Paced: scene name requests go out one per rest (names come back without a reply handshake) and are
// asked again this many rounds for the slots still missing.
inline constexpr std::uint32_t kSceneNamePauseMs = 20;
inline constexpr int kSceneNameRounds = 2;

// --- Scene and file requests ---
// Settle: the file request's path and selection are complete before they are read.
inline constexpr std::uint32_t kBeforeFileMs = 10;
inline constexpr std::uint32_t kAfterSaveMs = 5;
// Paced: the walk over the written scene yields between rounds, and the device settles before read-back.
inline constexpr std::uint32_t kLoadRoundPauseMs = 1;
inline constexpr std::uint32_t kBeforeReloadMs = 100;
inline constexpr std::uint32_t kLoadEndMs = 1;
// Scene commands: tries, and how long each acknowledgement is waited for.
inline constexpr int kSceneTries = 3;
inline constexpr std::uint32_t kSceneAckWaitMs = 2000;
// Settle: the device starts switching scenes before the acknowledgement is waited for, and finishes before
// the reload.
inline constexpr std::uint32_t kCallScenePauseMs = 100;
inline constexpr std::uint32_t kAfterCallMs = 200;
// Settle: the scene selected on the page reached the table before its name is asked for.
inline constexpr std::uint32_t kBeforeSceneNameMs = 10;

// --- Closing ---
// The close path waits this long at most for the edits still marked to be acknowledged: a whole table of
// edits (40 write batches at the busy pace, about 2.2 s) fits, and "Yes" to exit still ends the program
// promptly when the device does not answer. It looks again after each slice.
inline constexpr std::uint32_t kCloseSendBoundMs = 3000;
inline constexpr std::uint32_t kCloseSendSliceMs = 20;

// The worker's sleeps are cut into slices this long so that StopLink is answered promptly.
inline constexpr std::uint32_t kSleepSliceMs = 50;

}  // namespace vela::schedule
