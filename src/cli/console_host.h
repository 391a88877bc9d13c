// The link's owner in a terminal: messages to stderr, questions answered by a flag, a progress bar
// when stderr is a terminal, and the notifications the commands wait for.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "core/link/seams.h"
#include "core/text/utf8.h"

namespace vela::cli {

struct ShownMessage {
    std::wstring text;
    std::wstring caption;
};

class ConsoleHost final : public ILinkHost {
  public:
    ConsoleHost(std::ostream& err, bool answer_yes, bool progress_bar);

    void PostNotify(LinkNotify code, std::intptr_t value) override;
    void SendNotify(LinkNotify code, std::intptr_t value) override;
    MessageAnswer ShowMessage(std::wstring_view text, std::wstring_view caption,
                              MessageButtons buttons) override;
    void ProgressSetRange(int maximum) override;
    void ProgressSetFormat(std::wstring_view format) override;
    void ProgressSetPos(int position) override;
    void ProgressShow(bool visible) override;
    void SetTitle(std::wstring_view) override {}

    // --quiet: the device's messages are kept, not printed, until PrintHeldMessages (a command that failed).
    void HoldMessages();
    void PrintHeldMessages();

    // Erases a progress bar still on the terminal line (an interrupted command).
    void ClearProgress();
    // What the bar says velactl is doing ("reading the device"), in place of the window's captions; empty:
    // the link's own caption.
    void SetActivity(std::string activity);

    // Called on the link worker for every value that arrived (watch, read-backs). Returns only once no
    // call of the previous callback is running, so that its captures may go away.
    void SetParameterCallback(std::function<void(std::size_t index)> callback);

    // Waits until pred() holds, re-tested on every event; false on timeout.
    bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds timeout);

    // Snapshot of what happened so far (under the lock).
    int LinkStateCode() const;
    int DisplayUpdates() const;
    std::vector<ShownMessage> Messages() const;
    bool Shown(std::wstring_view text) const;

  private:
    void Notify();
    void DrawProgress();                       // with mutex_ held
    void PrintMessage(const ShownMessage& m);  // with mutex_ held

    std::ostream& err_;
    bool answer_yes_;
    bool progress_bar_;

    mutable std::mutex mutex_;
    std::condition_variable cv_;
    int link_state_ = -1;
    int display_updates_ = 0;
    std::vector<ShownMessage> messages_;
    bool hold_messages_ = false;
    // Apart from mutex_: a callback may wait on what a command holds while it waits on the host.
    std::mutex callback_mutex_;
    std::function<void(std::size_t)> on_parameter_;

    int progress_max_ = 0;
    int progress_pos_ = 0;
    bool progress_visible_ = false;
    std::wstring progress_format_;
    std::string activity_;
};

}  // namespace vela::cli
