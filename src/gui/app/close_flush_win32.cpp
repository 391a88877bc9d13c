#include "gui/app/close_flush_win32.h"

#include <array>
#include <string>
#include <utility>

#include "core/link/link_schedule.h"
#include "core/text/closing_texts.h"
#include "core/text/strings.h"
#include "core/text/utf8.h"
#include "core/ui/device_notices.h"
#include "gui/win/window_messages_win32.h"

namespace vela {
namespace {

// Enough for the repaints and notices of one slice; more waits for the next, so the slice stays short.
constexpr int kMessagesPerSlice = 200;

// The window while the close waits: no input reaches it, the cursor waits and the link-state caption says
// why; taken back when the user stays.
class ClosingLook {
  public:
    ClosingLook(HWND window, CGDI_Button& state) : window_(window), state_(state) {}
    ClosingLook(const ClosingLook&) = delete;
    ClosingLook& operator=(const ClosingLook&) = delete;
    ~ClosingLook() { Show(false); }

    void Show(bool closing) {
        if (closing == shown_)
            return;
        shown_ = closing;
        EnableWindow(window_, closing ? FALSE : TRUE);
        if (closing) {
            caption_ = state_.GetCaption();
            state_.SetCaption(std::wstring(Text(extra::kSendingBeforeClose)));
        } else if (state_.GetCaption() == Text(extra::kSendingBeforeClose)) {
            // Unless the link said something newer meanwhile.
            state_.SetCaption(caption_);
        }
        SetCursor(LoadCursorW(nullptr, closing ? IDC_WAIT : IDC_ARROW));
        UpdateWindow(window_);
    }
    // The user closes: the window goes as it looks now.
    void Keep() { shown_ = false; }

  private:
    HWND window_;
    CGDI_Button& state_;
    std::wstring caption_;
    bool shown_ = false;
};

bool CloseAnyway(IUserMessages& messages, const std::wstring& text) {
    return messages.Show(text, Text(str::kTip), MessageButtons::kYesNo) == MessageAnswer::kYes;
}

}  // namespace

bool PumpWhileClosing() {
    // Everything but WM_TIMER and the link's box requests, in three ranges.
    static constexpr std::array<std::pair<UINT, UINT>, 3> kRanges{
        {{0, WM_TIMER - 1}, {WM_TIMER + 1, UM_RELAY_SHOW_BOX - 1}, {UM_RELAY_SHOW_BOX + 1, 0xFFFFFFFF}}};
    MSG msg;
    int handled = 0;
    for (const auto& [first, last] : kRanges) {
        while (handled < kMessagesPerSlice && PeekMessageW(&msg, nullptr, first, last, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            ++handled;
        }
    }
    return true;
}

bool SettleEditsBeforeClose(HWND window, CGDI_Button& state, LinkStack& stack, IUserMessages& messages) {
    ClosingLook look(window, state);
    if (LinkController* link = stack.Controller(); link && link->PendingEdits() > 0) {
        look.Show(true);
        bool pumping = true;
        const int unsent = link->SendPendingEdits(schedule::kCloseSendBoundMs,
                                                  [&] { pumping = pumping && PumpWhileClosing(); });
        if (unsent > 0 && !CloseAnyway(messages, FormatText(Text(extra::kEditsNotSentAtClose), unsent)))
            return false;
    }
    // The file's last write, while the link still runs: should it fail, the user can stay and save the
    // edits elsewhere through the link.
    if (const auto file = stack.FlushFile(); file && file->pending) {
        const std::wstring text =
            FillIn(Text(extra::kFileNotWrittenAtClose), FromUtf8(file->name), FromUtf8(file->problem));
        if (!CloseAnyway(messages, text))
            return false;
    }
    look.Keep();
    return true;
}

}  // namespace vela
