#include "cli/console_host.h"

#include <cwchar>

namespace vela::cli {

std::string ToUtf8(std::wstring_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = static_cast<std::uint32_t>(text[i]);
        // Windows' wchar_t holds UTF-16: join surrogate pairs.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const auto low = static_cast<std::uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        // A lone surrogate or a value past Unicode has no UTF-8 form.
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::wstring FromUtf8(std::string_view text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::uint32_t c = 0xFFFD;
        std::size_t n = 1;
        // The smallest code point each length may carry: a longer form than needed (C0 8A for a line
        // break) would slip past checks made on the decoded text.
        std::uint32_t least = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            n = 2;
            c = b & 0x1F;
            least = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            n = 3;
            c = b & 0x0F;
            least = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            n = 4;
            c = b & 0x07;
            least = 0x10000;
        }
        if (i + n > text.size()) {
            n = 1;
            c = 0xFFFD;
        } else {
            for (std::size_t k = 1; k < n; ++k) {
                const auto cont = static_cast<unsigned char>(text[i + k]);
                if ((cont & 0xC0) != 0x80) {
                    n = 1;
                    c = 0xFFFD;
                    break;
                }
                c = (c << 6) | (cont & 0x3F);
            }
            if (n > 1 && (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) {
                c = 0xFFFD;
            }
        }
        i += n;
        if constexpr (sizeof(wchar_t) == 2) {
            if (c >= 0x10000) {
                c -= 0x10000;
                out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
                out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
                continue;
            }
        }
        out.push_back(static_cast<wchar_t>(c));
    }
    return out;
}

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
