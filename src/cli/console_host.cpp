#include "cli/console_host.h"

#include <cwchar>

namespace vela::cli {

ConsoleHost::ConsoleHost(std::ostream& err, bool answer_yes, bool progress_bar)
    : err_(err), answer_yes_(answer_yes), progress_bar_(progress_bar) {}

void ConsoleHost::Notify() {
    cv_.notify_all();
}

void ConsoleHost::PostNotify(LinkNotify code, std::intptr_t value) {
    {
        std::lock_guard lock(mutex_);
        if (code == LinkNotify::kDisplayUpdated) {
            ++display_updates_;
        }
    }
    if (code == LinkNotify::kParameter) {
        // Called under its own lock, so that taking it back waits for a call in progress.
        std::lock_guard lock(callback_mutex_);
        if (on_parameter_) {
            on_parameter_(static_cast<std::size_t>(value));
        }
    }
    Notify();
}

void ConsoleHost::SendNotify(LinkNotify code, std::intptr_t value) {
    {
        std::lock_guard lock(mutex_);
        if (code == LinkNotify::kLinkState) {
            link_state_ = static_cast<int>(value);
        }
    }
    Notify();
}

MessageAnswer ConsoleHost::ShowMessage(std::wstring_view text, std::wstring_view caption,
                                       MessageButtons buttons) {
    {
        std::lock_guard lock(mutex_);
        messages_.push_back({std::wstring(text), std::wstring(caption)});
        if (!hold_messages_) {
            if (progress_visible_ && progress_bar_) {
                err_ << "\r\033[K";
            }
            PrintMessage(messages_.back());
        }
    }
    Notify();
    switch (buttons) {
        case MessageButtons::kOk:
            return MessageAnswer::kOk;
        case MessageButtons::kOkCancel:
            return answer_yes_ ? MessageAnswer::kOk : MessageAnswer::kCancel;
        case MessageButtons::kYesNo:
            return answer_yes_ ? MessageAnswer::kYes : MessageAnswer::kNo;
    }
    return MessageAnswer::kCancel;
}

void ConsoleHost::PrintMessage(const ShownMessage& m) {
    err_ << "vela: ";
    if (!m.caption.empty()) {
        err_ << ToUtf8(m.caption) << ": ";
    }
    err_ << ToUtf8(m.text) << std::endl;
}

void ConsoleHost::HoldMessages() {
    std::lock_guard lock(mutex_);
    hold_messages_ = true;
}

void ConsoleHost::PrintHeldMessages() {
    std::lock_guard lock(mutex_);
    if (hold_messages_) {
        for (const auto& m : messages_)
            PrintMessage(m);
    }
    hold_messages_ = false;
}

void ConsoleHost::ProgressSetRange(int maximum) {
    std::lock_guard lock(mutex_);
    progress_max_ = maximum;
}

void ConsoleHost::ProgressSetFormat(std::wstring_view format) {
    std::lock_guard lock(mutex_);
    progress_format_ = format;
}

void ConsoleHost::ProgressSetPos(int position) {
    std::lock_guard lock(mutex_);
    progress_pos_ = position;
    DrawProgress();
}

void ConsoleHost::ProgressShow(bool visible) {
    std::lock_guard lock(mutex_);
    if (!visible && progress_visible_ && progress_bar_) {
        err_ << "\r\033[K" << std::flush;
    }
    progress_visible_ = visible;
    DrawProgress();
}

void ConsoleHost::ClearProgress() {
    std::lock_guard lock(mutex_);
    if (progress_visible_ && progress_bar_) {
        err_ << "\r\033[K" << std::flush;
    }
    progress_visible_ = false;
}

void ConsoleHost::SetActivity(std::string activity) {
    std::lock_guard lock(mutex_);
    activity_ = std::move(activity);
}

void ConsoleHost::DrawProgress() {
    if (!progress_bar_ || !progress_visible_) {
        return;
    }
    const double percent = progress_max_ > 0 ? 100.0 * progress_pos_ / progress_max_ : 0.0;
    std::string text;
    if (activity_.empty()) {
        wchar_t label[128] = {};
        std::swprintf(label, std::size(label), progress_format_.c_str(), percent);
        text = ToUtf8(label);
    } else {
        char label[160] = {};
        std::snprintf(label, sizeof label, "%s %3.0f %%", activity_.c_str(), percent);
        text = label;
    }
    constexpr int kWidth = 30;
    const int filled = static_cast<int>(std::min(100.0, std::max(0.0, percent)) * kWidth / 100);
    err_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << text << std::flush;
}

void ConsoleHost::SetParameterCallback(std::function<void(std::size_t)> callback) {
    std::lock_guard lock(callback_mutex_);
    on_parameter_ = std::move(callback);
}

bool ConsoleHost::WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(mutex_);
    while (true) {
        lock.unlock();
        const bool done = pred();
        lock.lock();
        if (done) {
            return true;
        }
        // Conditions also depend on the table, which changes without telling us: poll as well.
        if (cv_.wait_until(
                lock, std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(20))) ==
                std::cv_status::timeout &&
            std::chrono::steady_clock::now() >= deadline) {
            lock.unlock();
            return pred();
        }
    }
}

int ConsoleHost::LinkStateCode() const {
    std::lock_guard lock(mutex_);
    return link_state_;
}

int ConsoleHost::DisplayUpdates() const {
    std::lock_guard lock(mutex_);
    return display_updates_;
}

std::vector<ShownMessage> ConsoleHost::Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

bool ConsoleHost::Shown(std::wstring_view text) const {
    std::lock_guard lock(mutex_);
    for (const auto& m : messages_) {
        if (m.text == text || m.caption == text) {
            return true;
        }
    }
    return false;
}

}  // namespace vela::cli
