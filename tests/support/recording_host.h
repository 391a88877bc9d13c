// A link host that records what the link tells its owner and answers every message box with OK.
#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "support/quiet_link_host.h"

namespace vela::testing {

class RecordingHost final : public QuietLinkHost {
  public:
    struct Message {
        std::wstring text;
        std::wstring caption;
    };

    void PostNotify(LinkNotify code, std::intptr_t value) override { Record(code, value); }
    void SendNotify(LinkNotify code, std::intptr_t value) override { Record(code, value); }
    MessageAnswer ShowMessage(std::wstring_view text, std::wstring_view caption, MessageButtons) override {
        std::lock_guard lock(mutex_);
        messages_.push_back({std::wstring(text), std::wstring(caption)});
        return MessageAnswer::kOk;
    }

    std::vector<Message> Messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    int Count(LinkNotify code, std::intptr_t value) {
        std::lock_guard lock(mutex_);
        int n = 0;
        for (const auto& [c, v] : notifications_)
            n += (c == code && v == value) ? 1 : 0;
        return n;
    }
    int NotConnectedCount() {
        return Count(LinkNotify::kLinkState, static_cast<std::intptr_t>(LinkStateCode::kNotConnected));
    }

  private:
    void Record(LinkNotify code, std::intptr_t value) {
        std::lock_guard lock(mutex_);
        notifications_.emplace_back(code, value);
    }

    std::mutex mutex_;
    std::vector<std::pair<LinkNotify, std::intptr_t>> notifications_;
    std::vector<Message> messages_;
};

}  // namespace vela::testing
