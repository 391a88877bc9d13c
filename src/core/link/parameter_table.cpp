#include "core/link/parameter_table.h"

#include "core/protocol/factory_defaults.h"

namespace vela {

namespace {

std::size_t Wrap(std::size_t i) {
    return i >= kParameterCount ? 0 : i;
}

void AppendWord(std::vector<std::uint8_t>& out, std::uint16_t w) {
    out.push_back(HighByte(w));
    out.push_back(LowByte(w));
}

}  // namespace

ParameterTable::ParameterTable() {
    Reset();
}

void ParameterTable::Reset() {
    const auto& defaults = FactoryDefaults();
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        auto& e = entries_[i];
        e.value = defaults[i];
        e.retry = 0;
        e.received = 0;
        e.dirty = 0;
        e.read_request = 0;
    }
    read_cursor_ = 0;
    write_cursor_ = 0;
}

void ParameterTable::WriteParameter(std::size_t index, std::uint32_t value, bool mark_dirty) {
    if (index >= kParameterCount) {
        return;
    }
    std::lock_guard lock(edit_mutex_);
    entries_[index].value.store(static_cast<std::uint16_t>(value));
    if (mark_dirty) {
        entries_[index].dirty.store(1);
    }
}

std::vector<std::uint16_t> ParameterTable::Values() const {
    std::vector<std::uint16_t> out(kParameterCount);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        out[i] = Value(i);
    }
    return out;
}

bool ParameterTable::RestoreEdit(std::size_t index, std::uint16_t value) {
    if (index >= kParameterCount) {
        return false;
    }
    std::lock_guard lock(edit_mutex_);
    auto& e = entries_[index];
    if (e.dirty.load() > 0) {
        return false;
    }
    e.value.store(value);
    e.dirty.store(1);
    e.received.store(1);
    return true;
}

WriteBatch ParameterTable::CollectWriteBatch(std::uint16_t start, int max_count) {
    WriteBatch batch;
    if (start != kContinue) {
        write_cursor_ = start;
    }
    if (max_count < 1) {
        return batch;
    }
    std::size_t i = Wrap(write_cursor_);
    int remaining = max_count;
    for (std::size_t visited = 0; visited < kParameterCount; ++visited) {
        auto& e = entries_[i];
        if (e.dirty.load() > 0) {
            const std::uint16_t value = e.value.load();
            if (i == param::kSceneSelector && (value & 0xFF00) == (kSceneOpName << 8)) {
                // The name request goes out instead of a write; the reply clears the mark.
                write_cursor_ = param::kSceneSelector;
                batch.payload.clear();
                batch.scene_name_request = LowByte(value);
                return batch;
            }
            AppendWord(batch.payload, static_cast<std::uint16_t>(i));
            AppendWord(batch.payload, value);
            const std::uint8_t tries = e.retry.load();
            if (tries >= kRetryLimit) {
                DropUnacknowledged(static_cast<std::uint16_t>(i), value);
            } else {
                e.retry = static_cast<std::uint8_t>(tries + 1);
            }
            --remaining;
            i = Wrap(i + 1);
            if (remaining == 0) {
                break;
            }
            continue;
        }
        i = Wrap(i + 1);
    }
    write_cursor_ = i;
    return batch;
}

std::vector<std::uint8_t> ParameterTable::CollectReadBatch(std::uint16_t start, int max_count) {
    std::vector<std::uint8_t> payload;
    if (start != kContinue) {
        read_cursor_ = start;
    }
    if (max_count <= 0) {
        return payload;
    }
    std::size_t i = Wrap(read_cursor_);
    int remaining = max_count;
    for (std::size_t visited = 0; visited < kParameterCount; ++visited) {
        auto& e = entries_[i];
        if (e.received.load() == 0) {
            AppendWord(payload, static_cast<std::uint16_t>(i));
            --remaining;
            // The index that fills the batch stays under the cursor: it is the first candidate next time.
            if (remaining == 0 || payload.size() >= 2 * kMaxReadIndexes) {
                break;
            }
            const std::uint8_t tries = e.retry.load();
            e.retry = tries >= kRetryLimit ? 0 : static_cast<std::uint8_t>(tries + 1);
        }
        i = Wrap(i + 1);
    }
    read_cursor_ = i;
    return payload;
}

void ParameterTable::AcknowledgeWrite(std::uint16_t index, std::uint16_t echoed) {
    if (index >= kParameterCount) {
        return;
    }
    std::lock_guard lock(edit_mutex_);
    auto& e = entries_[index];
    if (e.value.load() == echoed) {
        e.dirty = 0;
        e.retry = 0;
    }
}

void ParameterTable::DropUnacknowledged(std::uint16_t index, std::uint16_t sent) {
    if (index >= kParameterCount) {
        return;
    }
    // Under the edit lock: a user's edit stores its value and mark together, so it is either seen here as
    // a newer value or made after the mark was cleared.
    std::lock_guard lock(edit_mutex_);
    auto& e = entries_[index];
    e.retry = 0;
    if (e.value.load() == sent) {
        e.dirty = 0;
        if (!LinkOwnedParameter(index)) {
            given_up_.fetch_add(1);
        }
    }
}

void ParameterTable::StoreReceived(std::uint16_t index, std::uint16_t value) {
    if (index >= kParameterCount) {
        return;
    }
    std::lock_guard lock(edit_mutex_);
    auto& e = entries_[index];
    if (e.dirty.load() == 0) {
        e.value.store(value);
    }
    e.received.store(1);
}

void ParameterTable::ClearReceivedAndDirty() {
    (void)TakeEdits();
}

std::vector<std::pair<std::uint16_t, std::uint16_t>> ParameterTable::TakeEdits() {
    std::vector<std::pair<std::uint16_t, std::uint16_t>> edits;
    std::lock_guard lock(edit_mutex_);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        auto& e = entries_[i];
        if (e.dirty.load() > 0) {
            edits.emplace_back(static_cast<std::uint16_t>(i), e.value.load());
        }
        e.received = 0;
        e.dirty = 0;
    }
    return edits;
}

void ParameterTable::ClearRetryCounters() {
    for (auto& e : entries_) {
        e.retry = 0;
    }
}

}  // namespace vela
