// What the main window says about its device beyond the link state. A scene file opened as the processor
// puts its name in the title, with an asterisk while an edit waits to be written and a note once it cannot
// be written, which is also said once in a message; a served processor that refuses the connection says
// why, once for each reason.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vela {

// A scene file opened as the processor, as its device sees it now.
struct DeviceFileState {
    std::string name;  // the file's name (UTF-8), for a title
    bool pending = false;
    bool read_only = false;
    std::string problem;  // why it is read-only (UTF-8)
};

// The window title for the device: the product's name alone for a processor; "NAME* - PRODUCT" for a file
// (the asterisk while an edit is pending, "[read-only]" in the current language once it cannot be written).
std::wstring DeviceTitle(const std::optional<DeviceFileState>& file, std::wstring_view product);

class DeviceNotices {
  public:
    struct Notice {
        std::wstring title;
        std::optional<std::wstring> message;  // to be shown now, once
    };
    // One look at the device: its file state (nothing when it is no file) and a server's refusal of the
    // latest connection (empty when there was none).
    Notice Poll(const std::optional<DeviceFileState>& file, std::string_view refusal,
                std::wstring_view product);

  private:
    bool read_only_told_ = false;
    std::string refusal_told_;
};

// `format` with its first two "%ls" replaced by `first` and `second`, however long they are.
std::wstring FillIn(std::wstring_view format, std::wstring_view first, std::wstring_view second = {});

}  // namespace vela
