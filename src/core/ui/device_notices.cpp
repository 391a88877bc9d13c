#include "core/ui/device_notices.h"

#include "core/text/strings.h"
#include "core/text/utf8.h"

namespace vela {

std::wstring FillIn(std::wstring_view format, std::wstring_view first, std::wstring_view second) {
    constexpr std::wstring_view kSlot = L"%ls";
    std::wstring out;
    int filled = 0;
    std::size_t at = 0;
    while (at < format.size()) {
        const std::size_t slot = filled < 2 ? format.find(kSlot, at) : std::wstring_view::npos;
        if (slot == std::wstring_view::npos) {
            out += format.substr(at);
            break;
        }
        out += format.substr(at, slot - at);
        out += filled++ == 0 ? first : second;
        at = slot + kSlot.size();
    }
    return out;
}

std::wstring DeviceTitle(const std::optional<DeviceFileState>& file, std::wstring_view product) {
    if (!file)
        return std::wstring(product);
    std::wstring title = FromUtf8(file->name);
    if (file->pending)
        title += L'*';
    if (file->read_only)
        title += L" [" + std::wstring(Text(extra::kTitleReadOnly)) + L"]";
    return title + L" - " + std::wstring(product);
}

DeviceNotices::Notice DeviceNotices::Poll(const std::optional<DeviceFileState>& file,
                                          std::string_view refusal, std::wstring_view product) {
    Notice notice{DeviceTitle(file, product), std::nullopt};
    if (file && file->read_only && !read_only_told_) {
        read_only_told_ = true;
        notice.message =
            FillIn(Text(extra::kSceneFileNotWritten), FromUtf8(file->name), FromUtf8(file->problem));
    } else if (refusal.empty()) {
        // Let in: a later refusal, even for the same reason, is news again.
        refusal_told_.clear();
    } else if (refusal != refusal_told_) {
        refusal_told_ = std::string(refusal);
        notice.message = FillIn(Text(extra::kServerRefused), FromUtf8(refusal_told_));
    }
    return notice;
}

}  // namespace vela
