#include "core/link/device_link.h"

#include <array>

namespace vela {

DeviceLink::DeviceLink(IClock& clock, ITextCodePage& code_page)
    : clock_(clock),
      code_page_(code_page),
      receiver_([this](std::uint8_t command, std::span<const std::uint8_t> payload) {
          OnFrame(command, payload);
      }) {}

bool DeviceLink::SupervisionTrips(std::uint8_t command) {
    if (command == cmd::kWifiText) {
        return false;
    }
    const std::uint32_t silent = clock_.TickMs() - state_.last_valid_frame_tick.load();
    if (silent < state_.timings.link_timeout_ms.load() ||
        state_.missed_replies.load() < state_.timings.missed_reply_limit.load()) {
        return false;
    }
    state_.link_up.store(false);
    state_.missed_replies.store(0);
    supervision_tripped_.store(true);
    return true;
}

void DeviceLink::RequestReconnect() {
    supervision_tripped_.store(true);
    state_.link_up.store(false);
}

void DeviceLink::ResetSupervision() {
    supervision_tripped_.store(false);
    state_.missed_replies.store(0);
    state_.last_valid_frame_tick.store(clock_.TickMs());
}

bool DeviceLink::SendFrame(std::uint8_t command, std::span<const std::uint8_t> payload) {
    if (supervision_tripped_.load() || SupervisionTrips(command)) {
        state_.link_up.store(false);
        return false;
    }
    const auto frame = EncodeFrame(command, payload);
    const bool sent = sender_ != nullptr && sender_->SendFrameBytes(frame);
    state_.link_up.store(sent);
    return sent;
}

void DeviceLink::BuildWriteBatch(std::uint16_t start, int max_count) {
    if (max_count < 1) {
        if (start != ParameterTable::kContinue) {
            table_.SetWriteCursor(start);
        }
        return;
    }
    const WriteBatch batch = table_.CollectWriteBatch(start, max_count);
    if (batch.scene_name_request) {
        const std::array<std::uint8_t, 1> scene{*batch.scene_name_request};
        SendFrame(cmd::kSceneName, scene);
        return;
    }
    SendFrame(cmd::kWriteParameters, batch.payload);
}

void DeviceLink::BuildReadBatch(std::uint16_t start, int max_count) {
    const auto payload = table_.CollectReadBatch(start, max_count);
    if (max_count <= 0) {
        return;
    }
    SendFrame(cmd::kReadParameters, payload);
}

void DeviceLink::ReadOne(std::uint16_t index) {
    const std::array<std::uint8_t, 2> payload{HighByte(index), LowByte(index)};
    SendFrame(cmd::kReadParameters, payload);
}

bool DeviceLink::WaitReply(std::uint32_t ms) {
    if (!state_.reader_running.load()) {
        return true;
    }
    if (state_.reply.AcquireFor(clock_.RealDuration(ms))) {
        return true;
    }
    // Unanswered requests are what the supervision in SendFrame counts.
    state_.missed_replies.fetch_add(1);
    return false;
}

bool DeviceLink::WaitOptionalReply(std::uint32_t ms) {
    if (!state_.reader_running.load()) {
        return true;
    }
    return state_.reply.AcquireFor(clock_.RealDuration(ms));
}

bool DeviceLink::Identify() {
    static constexpr std::array<std::uint8_t, 1> kPayload{0x00};
    state_.waiting.store(true);
    SendFrame(cmd::kIdentify, kPayload);
    const bool replied = WaitReply(500);
    state_.waiting.store(false);
    return replied;
}

void DeviceLink::WriteParameter(std::size_t index, std::uint32_t value) {
    table_.WriteParameter(index, value, send_switch_.load());
}

void DeviceLink::Wake() {
    if (state_.waiting.load()) {
        state_.reply.Release();
    }
}

void DeviceLink::OnFrame(std::uint8_t command, std::span<const std::uint8_t> payload) {
    state_.missed_replies.store(0);
    state_.last_valid_frame_tick.store(clock_.TickMs());

    switch (command) {
        case cmd::kIdentify:
            OnIdentify(payload);
            break;
        case cmd::kCallScene:
            state_.call_scene_ack.store(true);
            break;
        case cmd::kWriteParameters:
            for (std::size_t g = 0; g + 4 <= payload.size(); g += 4) {
                table_.AcknowledgeWrite(Word(payload[g], payload[g + 1]),
                                        Word(payload[g + 2], payload[g + 3]));
            }
            break;
        case cmd::kSceneName:
            OnSceneName(payload);
            break;
        case cmd::kReadParameters:
            for (std::size_t g = 0; g + 4 <= payload.size(); g += 4) {
                table_.StoreReceived(Word(payload[g], payload[g + 1]), Word(payload[g + 2], payload[g + 3]));
            }
            break;
        case cmd::kSaveScene:
            state_.save_scene_ack.store(true);
            break;
        case cmd::kSaveSettings:
            state_.save_settings_ack.store(true);
            break;
        case cmd::kWifiText:
            if (payload.size() >= 2 && on_wifi_reply_) {
                const auto* text = reinterpret_cast<const char*>(payload.data());
                on_wifi_reply_(std::string_view(text, payload.size() - 2));
            }
            break;
        case cmd::kAnnounce:
            table_[param::kIdentity].received.store(1);
            break;
        case cmd::kReserved20:
        case cmd::kReservedFC:
        case cmd::kReservedFE:
        case cmd::kReservedFF:
            break;
        default:
            return;  // unknown commands do not wake
    }
    Wake();
}

void DeviceLink::OnIdentify(std::span<const std::uint8_t> payload) {
    if (payload.size() < 2) {
        return;
    }
    if (payload[0] == 1 || payload[0] == 2) {
        state_.scene_limit.store(payload[1]);
    } else {
        state_.device_id.store(Word(payload[0], payload[1]));
    }
}

namespace {

bool PendsRecallOrStore(std::uint16_t selector) {
    const int operation = selector >> 8;
    return operation == kSceneOpCall || operation == kSceneOpSave;
}

}  // namespace

void DeviceLink::OnSceneName(std::span<const std::uint8_t> payload) {
    state_.scene_name_ack.store(true);
    if (payload.empty()) {
        return;
    }
    const std::uint8_t scene = payload[0];

    std::array<std::uint8_t, kSceneNameLength> name{};
    const std::size_t n = std::min<std::size_t>(payload.size() - 1, name.size());
    std::copy_n(payload.begin() + 1, n, name.begin());
    // Trailing blanks and control bytes become terminators; the first two bytes are never trimmed.
    for (std::size_t p = name.size() - 1; p >= 2; --p) {
        if (name[p] > 32) {
            break;
        }
        name[p] = 0;
    }
    std::size_t length = 0;
    while (length < name.size() && name[length] != 0) {
        ++length;
    }

    // Scene 0 has no slot: its reply still ends the request, but no name is stored.
    if (scene != 0) {
        const int slot = (scene - 1) % kSceneSlots;
        scene_names_.Store(slot, code_page_.ToWide(std::span<const std::uint8_t>(name.data(), length)));
    }
    // A recall or store the user has asked for meanwhile keeps its scene: the names read after connecting
    // would otherwise send it to the last scene named.
    auto& selector = table_[param::kSceneSelector];
    std::uint16_t current = selector.value.load();
    while (!PendsRecallOrStore(current)) {
        if (selector.value.compare_exchange_weak(current, scene)) {
            selector.dirty.store(0);
            break;
        }
    }
    selector.received.store(1);
}

}  // namespace vela
