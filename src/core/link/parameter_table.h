// The application's copy of the device's 947 parameters, with the marks that keep it in step.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "core/protocol/protocol.h"

namespace vela {

// Shared by the UI thread, the link worker and the transport reader: every field is atomic; an edit, a
// reply and an acknowledgement of the same entry are serialised by the table, so none of them is lost.
struct ParameterEntry {
    std::atomic<std::uint16_t> value{0};
    std::atomic<std::uint8_t> retry{0};
    std::atomic<std::int32_t> received{0};
    std::atomic<std::int32_t> dirty{0};
    std::atomic<std::int32_t> read_request{0};
};

// What one write batch produced: either a write payload or a scene name request for parameter 934.
struct WriteBatch {
    std::vector<std::uint8_t> payload;  // groups of index high, index low, value high, value low
    std::optional<std::uint8_t> scene_name_request;
};

class ParameterTable {
  public:
    static constexpr std::uint16_t kContinue = 0xFFFF;
    static constexpr int kRetryLimit = 10;

    ParameterTable();

    // Clears every mark and loads the factory defaults.
    void Reset();

    ParameterEntry& operator[](std::size_t index) { return entries_[index]; }
    const ParameterEntry& operator[](std::size_t index) const { return entries_[index]; }

    std::uint16_t Value(std::size_t index) const {
        return entries_[index].value.load(std::memory_order_relaxed);
    }
    // Every entry's value, in index order.
    std::vector<std::uint16_t> Values() const;
    bool IsDirty(std::size_t index) const { return entries_[index].dirty.load() > 0; }
    bool IsReceived(std::size_t index) const { return entries_[index].received.load() > 0; }

    // Stores the value before setting the mark, so the worker never sends an older value as acknowledged.
    void WriteParameter(std::size_t index, std::uint32_t value, bool mark_dirty = true);
    // Writes an edit kept across a reconnect again, marked for sending and to be shown; false (and
    // nothing written) when the entry has been edited since, as the newer edit wins.
    bool RestoreEdit(std::size_t index, std::uint16_t value);

    // The next write batch, moving the write cursor (start kContinue keeps it).
    WriteBatch CollectWriteBatch(std::uint16_t start, int max_count);
    // The next read batch's index bytes, moving the read cursor.
    std::vector<std::uint8_t> CollectReadBatch(std::uint16_t start, int max_count);

    // Receiver side: a write acknowledgement clears the mark only when the echoed value is still current.
    void AcknowledgeWrite(std::uint16_t index, std::uint16_t echoed);
    // Worker side, at the retry limit: gives up the write of `sent`; an edit made since stays marked and
    // starts its own retries.
    void DropUnacknowledged(std::uint16_t index, std::uint16_t sent);
    // Receiver side: marks the entry received; the value is taken unless the user's edit is still on its
    // way to the device, since then the device's value is the older one.
    void StoreReceived(std::uint16_t index, std::uint16_t value);

    void ClearReceivedAndDirty();
    // As ClearReceivedAndDirty, returning the edits it unmarked (index, value).
    std::vector<std::pair<std::uint16_t, std::uint16_t>> TakeEdits();
    void ClearRetryCounters();
    // How many of the user's writes ran out of retries and were given up unacknowledged, since the start:
    // an owner waiting for its edits tells these apart from the ones that arrived.
    std::uint32_t GivenUp() const { return given_up_.load(); }

    std::size_t WriteCursor() const { return write_cursor_; }
    std::size_t ReadCursor() const { return read_cursor_; }
    void SetWriteCursor(std::size_t cursor) { write_cursor_ = cursor; }
    void SetReadCursor(std::size_t cursor) { read_cursor_ = cursor; }

  private:
    std::array<ParameterEntry, kParameterCount> entries_;
    // Held while an entry's value and marks change together (edit, reply, acknowledgement).
    std::mutex edit_mutex_;
    std::atomic<std::uint32_t> given_up_{0};
    // Used by the link worker only.
    std::size_t read_cursor_ = 0;
    std::size_t write_cursor_ = 0;
};

}  // namespace vela
