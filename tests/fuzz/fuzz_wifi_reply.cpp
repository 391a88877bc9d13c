// Any text as a Wi-Fi module reply: the parser never reads past it, and a reply without a known
// keyword leaves every slot as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/link/wifi_slots.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vela::WifiSlots slots;
    for (int s = 0; s < vela::wifi::kSlotCount; ++s) {
        slots.SetText(s, vela::wifi::kKeywords[static_cast<std::size_t>(s)]);
        slots.SetPending(s);
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    slots.ParseReply(text);

    const std::string_view c_text = text.substr(0, text.find('\0'));
    bool known = false;
    for (const auto keyword : vela::wifi::kKeywords) {
        known = known || (!keyword.empty() && c_text.find(keyword) != std::string_view::npos);
    }
    int answered = 0;
    for (int s = 0; s < vela::wifi::kSlotCount; ++s) {
        answered += slots[s].answered.load();
        if (slots[s].answered.load() != 0 && slots[s].pending.load() != 0)
            std::abort();
    }
    if (answered > 1 || (!known && answered != 0))
        std::abort();
    return 0;
}
