#include "gui/app/device_watch_win32.h"

#include "core/diag/version.h"
#include "core/text/strings.h"
#include "gui/win/message_box_win32.h"

namespace vela {

void CDeviceWatch::Start(HWND window, bool watched) {
    if (!watched || window_ != nullptr)
        return;
    window_ = window;
    SetTimer(window_, kTimer, kTickMs, nullptr);
    Tick();
}

void CDeviceWatch::Stop() {
    if (window_ != nullptr && IsWindow(window_))
        KillTimer(window_, kTimer);
    window_ = nullptr;
}

void CDeviceWatch::Tick() {
    if (window_ == nullptr || telling_)
        return;
    const DeviceNotices::Notice notice = notices_.Poll(stack_.File(), stack_.Refusal(), kProductTitle);
    // The link sets the product's name when it starts: ours goes back over it.
    std::wstring now(static_cast<std::size_t>(GetWindowTextLengthW(window_)) + 1, L'\0');
    now.resize(static_cast<std::size_t>(GetWindowTextW(window_, now.data(), static_cast<int>(now.size()))));
    if (notice.title != shown_title_ || notice.title != now) {
        shown_title_ = notice.title;
        show_title_(notice.title);
    }
    if (notice.message) {
        telling_ = true;
        ShowMessageFor(window_, *notice.message, Text(str::kTip), MessageButtons::kOk, LanguageIndex());
        telling_ = false;
    }
}

}  // namespace vela
