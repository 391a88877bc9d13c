#include "core/link/wifi_slots.h"

#include <algorithm>
#include <optional>

#include "core/text/hex.h"

namespace vela {

namespace {

// Reads a number from the text after a keyword; other characters are skipped. Empty without a digit.
std::optional<std::uint32_t> ReadNumber(std::string_view digits, bool hex) {
    std::uint32_t value = 0;
    bool any = false;
    for (char c : digits) {
        if (hex) {
            const int d = HexDigitValue(c);
            if (d >= 0) {
                value = (value << 4) | static_cast<std::uint32_t>(d);
                any = true;
            } else if (c == ' ') {
                value <<= 4;  // the module pads with blanks where it means zeros
            }
        } else if (c >= '0' && c <= '9') {
            value = value * 10 + static_cast<std::uint32_t>(c - '0');
            any = true;
        }
    }
    if (!any) {
        return std::nullopt;
    }
    return value;
}

struct Completion {
    int first;
    int second;  // -1: the first alone
    std::wstring_view message;
};

// Names and passwords are set in pairs and reported once both are in.
constexpr std::array<Completion, 5> kCompletions{{
    {wifi::kSetRouteSsid, wifi::kSetRoutePassword, wifi::kRouteSetDone},
    {wifi::kSetHotSsid, wifi::kSetHotPassword, wifi::kHotspotSetDone},
    {wifi::kSetMode, -1, wifi::kModeSetDone},
    {wifi::kRestore, -1, wifi::kRestoreDone},
    {wifi::kRestart, -1, wifi::kRestartDone},
}};

}  // namespace

std::string wifi::CommandText(int slot, std::string_view argument) {
    if (slot < 0 || slot >= kSlotCount) {
        return {};
    }
    std::string text(kKeywords[static_cast<std::size_t>(slot)]);
    text.append(argument);
    return text;
}

bool wifi::ModuleKeepsText(std::string_view ansi) {
    return std::all_of(ansi.begin(), ansi.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 0x20 && b <= 0x7F;
    });
}

void WifiSlots::Clear() {
    {
        std::lock_guard lock(text_mutex_);
        for (auto& t : texts_)
            std::string().swap(t);
    }
    for (auto& s : slots_) {
        s.answered.store(0);
        s.pending.store(0);
        s.value.store(0);
        s.retry.store(0);
    }
}

void WifiSlots::SetText(int slot, std::string_view text) {
    if (!Valid(slot)) {
        return;
    }
    std::string copy(text);
    std::lock_guard lock(text_mutex_);
    texts_[static_cast<std::size_t>(slot)].swap(copy);
}

void WifiSlots::SetPending(int slot) {
    if (Valid(slot)) {
        slots_[static_cast<std::size_t>(slot)].pending.store(1);
    }
}

std::string WifiSlots::Text(int slot) const {
    if (!Valid(slot)) {
        return {};
    }
    std::lock_guard lock(text_mutex_);
    return texts_[static_cast<std::size_t>(slot)];
}

void WifiSlots::Answer(int slot) {
    auto& s = slots_[static_cast<std::size_t>(slot)];
    s.pending.store(0);
    s.retry.store(0);
    s.answered.store(1);
}

void WifiSlots::ParseReply(std::string_view text) {
    // The reply is a C text: it ends at its first terminator.
    if (const auto nul = text.find('\0'); nul != std::string_view::npos) {
        text = text.substr(0, nul);
    }
    for (int slot = 0; slot < wifi::kSlotCount; ++slot) {
        const std::string_view keyword = wifi::kKeywords[static_cast<std::size_t>(slot)];
        if (keyword.empty()) {
            continue;
        }
        const auto at = text.find(keyword);
        if (at == std::string_view::npos) {
            continue;
        }
        if (slot <= wifi::kUdpPort) {
            if (text.size() <= keyword.size()) {
                return;
            }
            const bool hex = slot <= wifi::kMode;
            const auto number = ReadNumber(text.substr(at + keyword.size()), hex);
            if (!number) {
                return;  // a number without digits says nothing
            }
            slots_[static_cast<std::size_t>(slot)].value.store(*number);
        } else if (slot <= wifi::kHotPassword) {
            SetText(slot, text);
        }
        Answer(slot);
        return;
    }
}

WifiSendResult WifiSlots::SendPending(DeviceLink& link, int& position) {
    if (position < 0 || position >= wifi::kSlotCount) {
        position = 0;
    }
    int slot = position;
    while (slot < wifi::kSlotCount && slots_[static_cast<std::size_t>(slot)].pending.load() <= 0) {
        ++slot;
    }
    if (slot >= wifi::kSlotCount) {
        position = wifi::kSlotCount;
        return WifiSendResult::kNothingPending;
    }
    position = slot;
    auto& s = slots_[static_cast<std::size_t>(slot)];
    if (s.retry.fetch_add(1) + 1 >= wifi::kRetryLimit) {
        s.retry.store(0);
        s.pending.store(0);
        return WifiSendResult::kDropped;
    }
    // Copied at once: the reader may replace this text with an answer while the frame is built.
    const std::string text = Text(slot);
    auto& state = link.State();
    state.waiting.store(true);
    link.SendFrame(cmd::kWifiText,
                   std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    const bool replied = link.WaitOptionalReply(state.timings.poll_wait_ms.load());
    state.waiting.store(false);
    return replied ? WifiSendResult::kReplied : WifiSendResult::kTimedOut;
}

void WifiSlots::ShowCompletionMessages(ILinkHost& host) {
    for (const Completion& c : kCompletions) {
        auto& first = slots_[static_cast<std::size_t>(c.first)];
        if (first.answered.load() <= 0) {
            continue;
        }
        if (c.second >= 0 && slots_[static_cast<std::size_t>(c.second)].answered.load() <= 0) {
            continue;
        }
        host.ShowMessage(c.message, wifi::kCaption, MessageButtons::kOk);
        first.answered.store(0);
        if (c.second >= 0) {
            slots_[static_cast<std::size_t>(c.second)].answered.store(0);
        }
    }
}

void WifiSlots::Attach(DeviceLink& link) {
    link.SetWifiReplyHandler([this](std::string_view text) { ParseReply(text); });
}

}  // namespace vela
