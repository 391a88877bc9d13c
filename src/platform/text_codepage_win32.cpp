// The device's ANSI text in the system's ANSI code page, as the device's names are written in it.
#include <windows.h>

#include "core/link/seams.h"

namespace vela {

namespace {

class AnsiCodePage final : public ITextCodePage {
  public:
    std::wstring ToWide(std::span<const std::uint8_t> bytes) override {
        if (bytes.empty()) {
            return {};
        }
        const auto* src = reinterpret_cast<const char*>(bytes.data());
        const int size = static_cast<int>(bytes.size());
        const int n = MultiByteToWideChar(CP_ACP, 0, src, size, nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
        if (n > 0) {
            MultiByteToWideChar(CP_ACP, 0, src, size, wide.data(), n);
        }
        return wide;
    }

    std::string FromWide(std::wstring_view text) override {
        if (text.empty()) {
            return {};
        }
        const int size = static_cast<int>(text.size());
        const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
        std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
        if (n > 0) {
            WideCharToMultiByte(CP_ACP, 0, text.data(), size, out.data(), n, nullptr, nullptr);
        }
        return out;
    }
};

}  // namespace

ITextCodePage& SystemCodePage() {
    static AnsiCodePage page;
    return page;
}

}  // namespace vela
