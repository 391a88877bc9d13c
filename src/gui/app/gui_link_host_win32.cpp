#include "gui/app/gui_link_host_win32.h"

#include <chrono>
#include <condition_variable>

#include "gui/controls/progress_dialog_win32.h"
#include "gui/win/message_box_win32.h"
#include "gui/win/window_messages_win32.h"

namespace vela {
namespace {

// The worker checks for cancellation this often while a box is open.
constexpr auto kBoxPollInterval = std::chrono::milliseconds(100);
// A synchronous notification that the UI cannot take in this time is given up.
constexpr UINT kSendNotifyTimeoutMs = 5000;
constexpr UINT kSendNotifySliceMs = 100;

}  // namespace

// One box asked for by the worker; shared so that a worker that gave up leaves nothing dangling.
struct CGuiLinkHost::BoxRequest {
    std::wstring text;
    std::wstring caption;
    MessageButtons buttons = MessageButtons::kOk;
    std::mutex mutex;
    std::condition_variable done_signal;
    bool done = false;
    MessageAnswer answer = MessageAnswer::kOk;
};

// A message-only window on the UI thread that carries the worker's requests over.
class CGuiLinkHost::Relay : public CWindow {
  public:
    explicit Relay(CGuiLinkHost& host) : host_(host) {}
    ~Relay() override { Destroy(); }
    bool Create() { return CreateOwn(L"", 0, 0, RECT{0, 0, 0, 0}, HWND_MESSAGE); }

  protected:
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
        switch (message) {
            case UM_RELAY_SHOW_BOX: {
                std::unique_ptr<std::shared_ptr<BoxRequest>> held(
                    reinterpret_cast<std::shared_ptr<BoxRequest>*>(lparam));
                const std::shared_ptr<BoxRequest>& request = *held;
                MessageAnswer answer = SafeAnswer(request->buttons);
                if (!host_.cancelled_.load()) {
                    answer = host_.ShowOnUiThread(request->text, request->caption, request->buttons);
                }
                {
                    std::lock_guard lock(request->mutex);
                    request->answer = answer;
                    request->done = true;
                }
                request->done_signal.notify_all();
                return 0;
            }
            case UM_RELAY_PROGRESS:
                host_.ApplyProgress();
                return 0;
            case UM_RELAY_PARAMETERS:
                host_.DeliverParameters();
                return 0;
            case UM_RELAY_PROGRESS_SHOW:
                if (!host_.progress_.IsWindow())
                    host_.progress_.Create(host_.owner_);
                host_.progress_.idle = wparam ? 0 : 1;
                if (host_.progress_.Hwnd())
                    ShowWindow(host_.progress_.Hwnd(), wparam ? SW_SHOWNORMAL : SW_HIDE);
                return 0;
            case UM_RELAY_TITLE: {
                std::wstring title;
                {
                    std::lock_guard lock(host_.mutex_);
                    title = host_.title_;
                }
                if (host_.owner_)
                    SetWindowTextW(host_.owner_, title.c_str());
                return 0;
            }
            default:
                return CWindow::WindowProc(message, wparam, lparam);
        }
    }

  private:
    CGuiLinkHost& host_;
};

CGuiLinkHost::CGuiLinkHost(HWND owner, CJinDuTiao& progress, int language_index)
    : owner_(owner),
      progress_(progress),
      ui_thread_(GetCurrentThreadId()),
      language_index_(language_index),
      relay_(std::make_unique<Relay>(*this)) {
    relay_->Create();
    if (!progress_.IsWindow())
        progress_.Create(owner_);
}

CGuiLinkHost::~CGuiLinkHost() {
    CancelWaits();
    // Requests still queued are dropped with the window; their memory goes with the message queue entries
    // only if handled, so handle what is pending first.
    if (relay_ && relay_->Hwnd()) {
        MSG msg;
        while (PeekMessageW(&msg, relay_->Hwnd(), UM_RELAY_SHOW_BOX, UM_RELAY_SHOW_BOX, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
    }
}

void CGuiLinkHost::CancelWaits() {
    cancelled_.store(true);
}

void CGuiLinkHost::PostNotify(LinkNotify code, std::intptr_t value) {
    if (!owner_)
        return;
    // A device that changes every value would otherwise queue one message per value and poll cycle. The
    // relay message is queued ahead of any later notice, so the window still sees values before the notice
    // that follows them.
    if (code == LinkNotify::kParameter && value >= 0 && static_cast<std::size_t>(value) < kParameterCount &&
        relay_->Hwnd()) {
        parameter_pending_[static_cast<std::size_t>(value)].store(true);
        if (!parameters_posted_.exchange(true) && !PostMessageW(relay_->Hwnd(), UM_RELAY_PARAMETERS, 0, 0)) {
            parameters_posted_.store(false);
        }
        return;
    }
    PostMessageW(owner_, UM_LINK_NOTIFY, static_cast<WPARAM>(code), static_cast<LPARAM>(value));
}

void CGuiLinkHost::DeliverParameters() {
    // Cleared first: a value that arrives while this runs either is delivered now or queues a new message.
    parameters_posted_.store(false);
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        if (parameter_pending_[i].exchange(false))
            SendMessageW(owner_, UM_LINK_NOTIFY, static_cast<WPARAM>(LinkNotify::kParameter),
                         static_cast<LPARAM>(i));
    }
}

void CGuiLinkHost::SendNotify(LinkNotify code, std::intptr_t value) {
    if (!owner_)
        return;
    // In short slices, so that a UI thread that is stopping the link (and so not dispatching sent
    // messages) releases the worker at once through CancelWaits(). A send that timed out before the
    // window received it is withdrawn by the system; the link state it carries may arrive twice at
    // worst, which the window handles idempotently.
    for (UINT waited = 0; waited < kSendNotifyTimeoutMs && !cancelled_.load(); waited += kSendNotifySliceMs) {
        DWORD_PTR result = 0;
        if (SendMessageTimeoutW(owner_, UM_LINK_NOTIFY, static_cast<WPARAM>(code), static_cast<LPARAM>(value),
                                SMTO_NORMAL, kSendNotifySliceMs, &result)) {
            return;
        }
        if (GetLastError() != ERROR_TIMEOUT) {
            return;  // the window is gone
        }
    }
}

MessageAnswer CGuiLinkHost::ShowOnUiThread(std::wstring_view text, std::wstring_view caption,
                                           MessageButtons buttons) {
    const int id =
        LocalizedMessageBoxTitled(owner_, text, caption, MessageBoxButtons(buttons), language_index_.load());
    return AnswerFrom(id, buttons);
}

MessageAnswer CGuiLinkHost::ShowMessage(std::wstring_view text, std::wstring_view caption,
                                        MessageButtons buttons) {
    if (OnUiThread())
        return ShowOnUiThread(text, caption, buttons);
    if (cancelled_.load() || !relay_->Hwnd())
        return SafeAnswer(buttons);
    auto request = std::make_shared<BoxRequest>();
    request->text = std::wstring(text);
    request->caption = std::wstring(caption);
    request->buttons = buttons;
    auto* carried = new std::shared_ptr<BoxRequest>(request);
    if (!PostMessageW(relay_->Hwnd(), UM_RELAY_SHOW_BOX, 0, reinterpret_cast<LPARAM>(carried))) {
        delete carried;
        return SafeAnswer(buttons);
    }
    // The worker waits as long as the box is open, waking regularly to see whether the link is stopping.
    std::unique_lock lock(request->mutex);
    while (!request->done) {
        if (cancelled_.load())
            return SafeAnswer(buttons);
        request->done_signal.wait_for(lock, kBoxPollInterval);
    }
    return request->answer;
}

void CGuiLinkHost::RequestProgressUpdate() {
    // One update in the queue at a time: a worker reporting every parameter must not flood the UI's queue.
    if (!progress_pending_.exchange(true) && relay_->Hwnd())
        PostMessageW(relay_->Hwnd(), UM_RELAY_PROGRESS, 0, 0);
}

void CGuiLinkHost::ApplyProgress() {
    progress_pending_.store(false);
    int range = 0;
    int position = 0;
    std::wstring format;
    bool format_changed = false;
    bool range_changed = false;
    {
        std::lock_guard lock(mutex_);
        range = range_;
        position = position_;
        format = format_;
        format_changed = std::exchange(format_changed_, false);
        range_changed = std::exchange(range_changed_, false);
    }
    if (range_changed)
        progress_.total = range;
    if (format_changed)
        progress_.progress_text = format;
    progress_.SetProgress(position);
}

void CGuiLinkHost::ProgressSetRange(int maximum) {
    {
        std::lock_guard lock(mutex_);
        range_ = maximum;
        range_changed_ = true;
    }
    RequestProgressUpdate();
}

void CGuiLinkHost::ProgressSetFormat(std::wstring_view format) {
    {
        std::lock_guard lock(mutex_);
        format_ = std::wstring(format);
        format_changed_ = true;
    }
    RequestProgressUpdate();
}

void CGuiLinkHost::ProgressSetPos(int position) {
    {
        std::lock_guard lock(mutex_);
        position_ = position;
    }
    RequestProgressUpdate();
}

void CGuiLinkHost::ProgressShow(bool visible) {
    if (relay_->Hwnd())
        PostMessageW(relay_->Hwnd(), UM_RELAY_PROGRESS_SHOW, visible ? 1 : 0, 0);
}

void CGuiLinkHost::SetTitle(std::wstring_view title) {
    {
        std::lock_guard lock(mutex_);
        title_ = std::wstring(title);
    }
    if (relay_->Hwnd())
        PostMessageW(relay_->Hwnd(), UM_RELAY_TITLE, 0, 0);
}

}  // namespace vela
