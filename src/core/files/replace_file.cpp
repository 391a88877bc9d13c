#include "core/files/replace_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

#include "core/files/file_data.h"

namespace vela {

namespace fs = std::filesystem;

namespace files {

std::optional<fs::path> FollowLinks(fs::path path, std::error_code& ec) {
    constexpr int kMaxLinks = 40;  // the system's own limit for a chain of links
    for (int hops = 0; hops < kMaxLinks; ++hops) {
        if (!fs::is_symlink(fs::symlink_status(path, ec))) {
            ec.clear();
            return path;
        }
        fs::path next = fs::read_symlink(path, ec);
        if (ec) {
            return std::nullopt;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    ec = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return std::nullopt;
}

bool WritePermitted(fs::perms perms) {
    constexpr fs::perms kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (perms & kAnyWrite) != fs::perms::none;
}

std::string WriteNewFile(const fs::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        return std::strerror(errno);
    }
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    const int error = errno;
    out.close();
    if (!out) {
        return error != 0 ? std::strerror(error) : std::string("the data could not be written");
    }
    return {};
}

std::optional<fs::path> TemporaryNameBeside(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    constexpr int kTries = 16;
    for (int k = 0; k < kTries; ++k) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%08x%04x.tmp", static_cast<unsigned>(std::random_device{}()),
                      counter.fetch_add(1) & 0xFFFF);
        fs::path name(".");
        name += target.filename();
        name += suffix;
        const fs::path candidate = target.parent_path() / name;
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(candidate, ec))) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace files

using files::FollowLinks;
using files::TemporaryNameBeside;
using files::WriteNewFile;

bool ReplaceFileWhole(const fs::path& path, std::span<const std::uint8_t> bytes) {
    std::error_code ec;
    const auto target = FollowLinks(path, ec);
    if (!target) {
        return false;
    }
    const fs::file_status status = fs::status(*target, ec);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        return false;
    }
    const auto temporary = TemporaryNameBeside(*target);
    if (!temporary || !WriteNewFile(*temporary, bytes).empty()) {
        if (temporary) {
            fs::remove(*temporary, ec);
        }
        return false;
    }
    if (fs::exists(status)) {
        fs::permissions(*temporary, status.permissions(), ec);
    }
    fs::rename(*temporary, *target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(*temporary, ignored);
        return false;
    }
    return true;
}

}  // namespace vela
