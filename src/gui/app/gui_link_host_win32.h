// The link host of the GUI: the link worker's message boxes, progress display, notifications and title,
// carried over to the UI thread. Create it on the UI thread; every member may be called from any thread.
// Stopping the link: CancelWaits first (a worker blocked on a box returns at once), join the worker, then
// destroy the host.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "core/link/seams.h"
#include "core/protocol/protocol.h"
#include "gui/win/window_win32.h"

namespace vela {

class CJinDuTiao;

class CGuiLinkHost final : public ILinkHost {
  public:
    // owner: the main window (messages, title, notifications); progress: the one progress dialog, created
    // with the owner as parent if it has no window yet.
    CGuiLinkHost(HWND owner, CJinDuTiao& progress, int language_index);
    CGuiLinkHost(const CGuiLinkHost&) = delete;
    CGuiLinkHost& operator=(const CGuiLinkHost&) = delete;
    ~CGuiLinkHost() override;

    void SetLanguageIndex(int index) { language_index_.store(index); }
    // Ends every wait of the worker at once (a box still open answers "cancel"/"no"); for stopping the link.
    void CancelWaits();

    void PostNotify(LinkNotify code, std::intptr_t value) override;
    void SendNotify(LinkNotify code, std::intptr_t value) override;
    MessageAnswer ShowMessage(std::wstring_view text, std::wstring_view caption,
                              MessageButtons buttons) override;
    void ProgressSetRange(int maximum) override;
    void ProgressSetFormat(std::wstring_view format) override;
    void ProgressSetPos(int position) override;
    void ProgressShow(bool visible) override;
    void SetTitle(std::wstring_view title) override;

  private:
    struct BoxRequest;
    class Relay;

    bool OnUiThread() const { return GetCurrentThreadId() == ui_thread_; }
    MessageAnswer ShowOnUiThread(std::wstring_view text, std::wstring_view caption, MessageButtons buttons);
    void RequestProgressUpdate();
    void ApplyProgress();
    void DeliverParameters();

    HWND owner_;
    CJinDuTiao& progress_;
    DWORD ui_thread_;
    std::atomic<int> language_index_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> progress_pending_{false};
    // Values that arrived and wait for one relay message to reach the window, however many there are.
    std::array<std::atomic<bool>, kParameterCount> parameter_pending_{};
    std::atomic<bool> parameters_posted_{false};
    std::unique_ptr<Relay> relay_;

    // Progress state handed from the worker, applied on the UI thread.
    std::mutex mutex_;
    int range_ = 0;
    int position_ = 0;
    std::wstring format_;
    std::wstring title_;
    bool format_changed_ = false;
    bool range_changed_ = false;
};

}  // namespace vela
