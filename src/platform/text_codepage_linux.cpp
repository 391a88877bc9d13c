// The device's ANSI text through iconv; the code page is GBK unless VELA_CODEPAGE names another.
#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/link/seams.h"

namespace vela {

namespace {

// One conversion; an input unit the code page does not know is skipped and replaced by `replacement`.
std::string Convert(const char* to, const char* from, const char* in, std::size_t size, std::size_t unit,
                    std::string_view replacement) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    std::string out;
    std::vector<char> block(256);
    char* src = const_cast<char*>(in);
    std::size_t src_left = size;
    while (src_left > 0) {
        char* dst = block.data();
        std::size_t dst_left = block.size();
        const std::size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
        out.append(block.data(), block.size() - dst_left);
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            if (src_left < unit) {
                break;
            }
            src += unit;
            src_left -= unit;
            out.append(replacement);
        }
    }
    iconv_close(cd);
    return out;
}

class IconvCodePage final : public ITextCodePage {
  public:
    explicit IconvCodePage(std::string name) : name_(std::move(name)) {}

    std::wstring ToWide(std::span<const std::uint8_t> bytes) override {
        const wchar_t question = L'?';
        const std::string out =
            Convert("WCHAR_T", name_.c_str(), reinterpret_cast<const char*>(bytes.data()), bytes.size(), 1,
                    std::string_view(reinterpret_cast<const char*>(&question), sizeof question));
        std::wstring wide(out.size() / sizeof(wchar_t), L'\0');
        std::memcpy(wide.data(), out.data(), wide.size() * sizeof(wchar_t));
        return wide;
    }

    std::string FromWide(std::wstring_view text) override {
        return Convert(name_.c_str(), "WCHAR_T", reinterpret_cast<const char*>(text.data()),
                       text.size() * sizeof(wchar_t), sizeof(wchar_t), "?");
    }

  private:
    std::string name_;
};

}  // namespace

ITextCodePage& SystemCodePage() {
    static IconvCodePage page([] {
        const char* name = std::getenv("VELA_CODEPAGE");
        return std::string(name && *name ? name : "GBK");
    }());
    return page;
}

}  // namespace vela
