// Wide text to and from UTF-8, the one pair every layer uses: wchar_t holds UTF-16 on Windows and UTF-32
// elsewhere. Neither direction throws: what has no form in the other becomes U+FFFD.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vela {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

// A path as UTF-8, whatever the system's code page: a name it cannot hold must not throw.
std::string PathUtf8(const std::filesystem::path& path);

}  // namespace vela
