// Writing a file so that a reader never sees half of it: the new content goes to a fresh name beside the
// target and is renamed over it. The pieces are shared by the settings store and the scene files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <system_error>

namespace vela::files {

// The file a chain of links ends at, as an editor would write it; the path itself when it is no link.
std::optional<std::filesystem::path> FollowLinks(std::filesystem::path path, std::error_code& ec);
// Read-only for everyone (on Windows: the read-only attribute) is never replaced, even by whoever could
// rename over it.
bool WritePermitted(std::filesystem::perms perms);
// Writes `bytes` to `path`, which is a fresh name nobody else uses. Empty on success, else the reason.
std::string WriteNewFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
// A name beside `target` that nothing has: hidden, random, never a link someone placed there.
std::optional<std::filesystem::path> TemporaryNameBeside(const std::filesystem::path& target);

}  // namespace vela::files
