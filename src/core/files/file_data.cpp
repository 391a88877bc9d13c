#include "core/files/file_data.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>

#include "core/files/replace_file.h"
#include "core/protocol/frames.h"
#include "core/text/calendar.h"
#include "core/text/utf8.h"

namespace vela {

namespace fs = std::filesystem;

namespace {

using files::FollowLinks;
using files::TemporaryNameBeside;
using files::WriteNewFile;
using files::WritePermitted;

// Logical content offsets of a scene.
constexpr std::size_t kAlphabetPool = 20;  // 20 pairwise different bytes, the first 16 are the alphabet
constexpr std::size_t kDataOffsetAt = 256;
constexpr std::size_t kCountAt = 266;
constexpr std::size_t kDeviceIdAt = 276;
constexpr std::size_t kReserved1At = 286;
constexpr std::size_t kFlagAt = 296;
constexpr std::size_t kReserved2At = 301;
constexpr std::size_t kTimeAt[6] = {306, 311, 316, 321, 326, 331};
constexpr std::size_t kCheckSize = 4;

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

// Far above any settings file this program writes: a larger one is not a settings file and is not read.
constexpr std::uintmax_t kMaxSettingsFileSize = 64 * 1024;

// Nothing when the file is too large to be a settings file (nor a regular file at all, when it exists).
std::optional<std::vector<std::string>> ReadLines(const fs::path& path) {
    std::vector<std::string> lines;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        return lines;
    }
    if (!fs::is_regular_file(status) || fs::file_size(path, ec) > kMaxSettingsFileSize || ec) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::size_t total = 0;
    while (std::getline(in, line)) {
        // The file may grow between the size check and the read.
        total += line.size() + 1;
        if (total > kMaxSettingsFileSize) {
            return std::nullopt;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Profile-file semantics: sections and keys compare without case; the first match wins.
std::optional<std::string> ReadProfileString(const fs::path& path, std::string_view section,
                                             std::string_view key) {
    const auto lines = ReadLines(path);
    if (!lines) {
        return std::nullopt;
    }
    bool in_section = false;
    for (const auto& raw : *lines) {
        const std::string_view line = Trim(raw);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            in_section = EqualsNoCase(Trim(line.substr(1, line.size() - 2)), section);
            continue;
        }
        const auto eq = line.find('=');
        if (in_section && eq != std::string_view::npos && EqualsNoCase(Trim(line.substr(0, eq)), key)) {
            return std::string(Trim(line.substr(eq + 1)));
        }
    }
    return std::nullopt;
}

bool WriteProfileString(const fs::path& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    auto read = ReadLines(path);
    if (!read) {
        return false;
    }
    std::vector<std::string>& lines = *read;
    std::string entry;
    entry.reserve(key.size() + 1 + value.size());
    entry.append(key).append(1, '=').append(value);
    bool in_section = false;
    bool done = false;
    std::size_t section_end = lines.size();
    bool section_found = false;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        const std::string_view line = Trim(lines[i]);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            if (in_section) {
                section_end = i;
                break;
            }
            in_section = EqualsNoCase(Trim(line.substr(1, line.size() - 2)), section);
            section_found = section_found || in_section;
            continue;
        }
        const auto eq = line.find('=');
        if (in_section && eq != std::string_view::npos && EqualsNoCase(Trim(line.substr(0, eq)), key)) {
            lines[i] = entry;
            done = true;
        }
    }
    if (!done) {
        if (section_found) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(section_end), entry);
        } else {
            std::string header(1, '[');
            header.append(section).append(1, ']');
            lines.push_back(std::move(header));
            lines.push_back(entry);
        }
    }
    std::string text;
    for (const auto& l : lines)
        text.append(l).append("\r\n");
    return ReplaceFileWhole(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void PutLe32(std::vector<std::uint8_t>& l, std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k)
        l[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(v >> (8 * k));
}

std::uint32_t GetLe32(std::span<const std::uint8_t> l, std::size_t at) {
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k)
        v = (v << 8) | l[at + static_cast<std::size_t>(k)];
    return v;
}

FileTime LocalNow() {
    const std::tm tm = LocalCalendar(std::time(nullptr));
    return {static_cast<std::uint16_t>(tm.tm_year + 1900), static_cast<std::uint16_t>(tm.tm_mon + 1),
            static_cast<std::uint16_t>(tm.tm_mday),        static_cast<std::uint16_t>(tm.tm_hour),
            static_cast<std::uint16_t>(tm.tm_min),         static_cast<std::uint16_t>(tm.tm_sec)};
}

std::uint32_t SystemRandom() {
    static thread_local std::mt19937 engine([] {
        std::random_device device;
        const auto tick =
            static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        return device() ^ tick;
    }());
    return engine();
}

fs::path StripTrailingSeparator(fs::path p) {
    std::string s = p.string();
    if (s.size() > 1 && (s.back() == '/' || s.back() == '\\')) {
        s.pop_back();
    }
    return fs::path(s);
}

FileResult Failure(FileError error, const fs::path& path, std::string reason = {}) {
    return {error, path, std::move(reason)};
}

// A whole decimal number within int, as the settings store writes them; nothing for anything else.
std::optional<int> ParseSettingInt(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || at != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::string FileResult::Describe() const {
    std::string what;
    switch (error) {
        case FileError::kOk:
            what = "done";
            break;
        case FileError::kEmptyPath:
            return "no file name given";
        case FileError::kNotFound:
            what = "no such file or folder";
            break;
        case FileError::kIsDirectory:
            what = "is a directory";
            break;
        case FileError::kNotAFile:
            what = "not a regular file (a device, pipe or socket)";
            break;
        case FileError::kReadOnly:
            what = "is read-only";
            break;
        case FileError::kCannotRead:
            what = "cannot be read";
            break;
        case FileError::kCannotWrite:
            what = "cannot be written";
            break;
        case FileError::kDamaged:
            what = "damaged, or not a scene file";
            break;
    }
    std::string line = PathUtf8(path);
    line = line.empty() ? what : line + ": " + what;
    if (!reason.empty()) {
        line += " (" + reason + ")";
    }
    return line;
}

FileLocations FileLocations::System() {
    std::error_code ec;
    FileLocations l;
    l.current_dir = fs::current_path(ec);
    std::string temp = fs::temp_directory_path(ec).string();
    if (!temp.empty() && temp.back() != static_cast<char>(fs::path::preferred_separator)) {
        temp.push_back(static_cast<char>(fs::path::preferred_separator));
    }
    l.temp_path = temp;
    return l;
}

fs::path FileLocations::MirrorDirectory() const {
    const auto cut = temp_path.find("Temp");
    std::string mirror = cut == std::string::npos ? std::string() : temp_path.substr(0, cut);
    mirror += "CP950";
    mirror.push_back(static_cast<char>(fs::path::preferred_separator));
    return fs::path(mirror);
}

CZB_FileData::CZB_FileData(FileLocations locations)
    : locations_(std::move(locations)), creation_time_(LocalNow()) {}

fs::path CZB_FileData::SettingsPath(const fs::path& dir, const std::string& file) const {
    return dir / (file + ".ini");
}

int CZB_FileData::ReadInt(const std::string& file, const std::string& key) const {
    auto read = [&](const fs::path& dir) {
        const auto text = ReadProfileString(SettingsPath(dir, file), kSection, key);
        const auto value = text ? ParseSettingInt(*text) : std::nullopt;
        return value.value_or(-1);
    };
    const int value = read(locations_.current_dir);
    return value >= 0 ? value : read(locations_.MirrorDirectory());
}

std::string CZB_FileData::ReadStringHere(const std::string& file, const std::string& key) const {
    return ReadProfileString(SettingsPath(locations_.current_dir, file), kSection, key).value_or("");
}

std::string CZB_FileData::ReadString(const std::string& file, const std::string& key) const {
    if (auto text = ReadProfileString(SettingsPath(locations_.current_dir, file), kSection, key)) {
        return *text;
    }
    return ReadProfileString(SettingsPath(locations_.MirrorDirectory(), file), kSection, key).value_or("");
}

FileResult CZB_FileData::WriteString(const std::string& file, const std::string& key,
                                     const std::string& text) const {
    const fs::path here = SettingsPath(locations_.current_dir, file);
    const bool written = WriteProfileString(here, kSection, key, text);
    // The mirror is written even when the current directory refused the write: that is the case the
    // mirror exists for, so then its directory is created too.
    const fs::path mirror = locations_.MirrorDirectory();
    if (!written && !IsDirectory(mirror)) {
        MakeDirectory(mirror);
    }
    const bool mirrored = WriteProfileString(SettingsPath(mirror, file), kSection, key, text);
    if (written || mirrored) {
        return {FileError::kOk, written ? here : SettingsPath(mirror, file), {}};
    }
    return Failure(FileError::kCannotWrite, here);
}

FileResult CZB_FileData::WriteInt(const std::string& file, const std::string& key, int value) const {
    return WriteString(file, key, std::to_string(value));
}

bool CZB_FileData::FileExists(const fs::path& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec);
}

bool CZB_FileData::Exists(const fs::path& name) const {
    return FileExists(name) || FileExists(locations_.MirrorDirectory() / name);
}

FileResult CZB_FileData::Delete(const fs::path& name) const {
    if (name.empty()) {
        return Failure(FileError::kEmptyPath, name);
    }
    std::error_code ec;
    fs::path target = name;
    if (!FileExists(name)) {
        target = locations_.MirrorDirectory() / name;
        if (!FileExists(target)) {
            return Failure(FileError::kNotFound, name);
        }
    }
    if (!fs::remove(target, ec) || ec) {
        return Failure(FileError::kCannotWrite, target, ec.message());
    }
    return {FileError::kOk, target, {}};
}

bool CZB_FileData::IsDirectory(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(StripTrailingSeparator(path), ec);
}

void CZB_FileData::MakeDirectory(const fs::path& path) {
    std::error_code ec;
    fs::create_directory(StripTrailingSeparator(path), ec);
}

std::vector<std::uint8_t> CZB_FileData::EncodeScene(std::span<const std::uint32_t> values,
                                                    std::uint32_t (*random)()) {
    if (random == nullptr) {
        random = SystemRandom;
    }
    const std::size_t n = values.size();
    const std::size_t logical_size = kDataOffset + 2 * n + kCheckSize;
    std::vector<std::uint8_t> l(logical_size);
    auto random_byte = [&] { return static_cast<std::uint8_t>(random() & 0xFF); };
    for (std::size_t i = 0; i < kDataOffset; ++i)
        l[i] = random_byte();

    PutLe32(l, kDataOffsetAt, data_offset_);
    PutLe32(l, kCountAt, static_cast<std::uint32_t>(n));
    PutLe32(l, kDeviceIdAt, device_id);
    PutLe32(l, kReserved1At, reserved_word1);
    l[kFlagAt] = flag_byte;
    PutLe32(l, kReserved2At, reserved_word2);
    const std::uint16_t time[6] = {creation_time_.year, creation_time_.month,  creation_time_.day,
                                   creation_time_.hour, creation_time_.minute, creation_time_.second};
    for (int k = 0; k < 6; ++k)
        PutLe32(l, kTimeAt[k], time[k]);

    std::array<bool, 256> used{};
    for (std::size_t k = 0; k < kAlphabetPool;) {
        const std::uint8_t b = random_byte();
        if (!used[b]) {
            used[b] = true;
            l[kAlphabetAt + k++] = b;
        }
    }

    for (std::size_t i = 0; i < n; ++i) {
        l[kDataOffset + 2 * i] = static_cast<std::uint8_t>(values[i] & 0xFF);
        l[kDataOffset + 2 * i + 1] = static_cast<std::uint8_t>((values[i] >> 8) & 0xFF);
    }
    const std::size_t checked = kDataOffset + 2 * n;
    PutLe32(l, checked, Crc16(l.data(), checked));

    std::vector<std::uint8_t> file(l.begin(), l.begin() + kHeaderPlain);
    file.reserve(kHeaderPlain + 2 * (logical_size - kHeaderPlain));
    const std::uint8_t* alphabet = &l[kAlphabetAt];
    for (std::size_t i = kHeaderPlain; i < logical_size; ++i) {
        file.push_back(alphabet[l[i] >> 4]);
        file.push_back(alphabet[l[i] & 15]);
    }
    return file;
}

FileResult CZB_FileData::DecodeScene(std::span<const std::uint8_t> file) {
    // The rebuilt content must at least hold the header up to the time fields.
    constexpr std::size_t kHeaderEnd = kTimeAt[5] + 4;
    if (file.size() < kHeaderPlain + 2 * (kHeaderEnd - kHeaderPlain)) {
        return Failure(FileError::kDamaged, {});
    }
    std::array<int, 256> position;
    position.fill(-1);
    for (int k = 15; k >= 0; --k)
        position[file[kAlphabetAt + static_cast<std::size_t>(k)]] = k;

    std::vector<std::uint8_t> l(file.begin(), file.begin() + kHeaderPlain);
    l.reserve(kHeaderPlain + (file.size() - kHeaderPlain) / 2);
    for (std::size_t i = kHeaderPlain; i + 1 < file.size(); i += 2) {
        const int high = position[file[i]];
        const int low = position[file[i + 1]];
        // A byte outside the alphabet never comes from a writer of this format; taking it as nibble 15
        // would let a damaged byte pass the check whenever the original nibble was 15.
        if (high < 0 || low < 0) {
            return Failure(FileError::kDamaged, {});
        }
        l.push_back(static_cast<std::uint8_t>((high << 4) | low));
    }

    const std::uint32_t offset = GetLe32(l, kDataOffsetAt);
    const std::uint32_t count = GetLe32(l, kCountAt);
    // Offsets and counts that point past the content are refused like a wrong check value.
    const std::uint64_t checked = std::uint64_t{offset} + 2 * std::uint64_t{count};
    if (checked + kCheckSize > l.size()) {
        return Failure(FileError::kDamaged, {});
    }
    if (GetLe32(l, static_cast<std::size_t>(checked)) != Crc16(l.data(), static_cast<std::size_t>(checked))) {
        return Failure(FileError::kDamaged, {});
    }

    data_offset_ = offset;
    value_count_ = count;
    device_id = GetLe32(l, kDeviceIdAt);
    reserved_word1 = GetLe32(l, kReserved1At);
    flag_byte = l[kFlagAt];
    reserved_word2 = GetLe32(l, kReserved2At);
    std::uint16_t* time[6] = {&file_time_.year, &file_time_.month,  &file_time_.day,
                              &file_time_.hour, &file_time_.minute, &file_time_.second};
    for (int k = 0; k < 6; ++k)
        *time[k] = static_cast<std::uint16_t>(GetLe32(l, kTimeAt[k]));
    values_.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        values_[i] = static_cast<std::uint32_t>(l[offset + 2 * i] | (l[offset + 2 * i + 1] << 8));
    }
    return {};
}

FileResult CZB_FileData::CheckSceneTarget(const fs::path& path) {
    if (path.empty()) {
        return Failure(FileError::kEmptyPath, path);
    }
    std::error_code ec;
    // What the name finally stands for, seen through every link (also the system's own, /dev/stdout).
    const fs::file_status named = fs::status(path, ec);
    if (fs::is_directory(named)) {
        return Failure(FileError::kIsDirectory, path);
    }
    if (fs::exists(named) && !fs::is_regular_file(named)) {
        return Failure(FileError::kNotAFile, path);
    }
    const auto target = FollowLinks(path, ec);
    if (!target) {
        return Failure(FileError::kCannotWrite, path, ec.message());
    }
    const fs::file_status status = fs::symlink_status(*target, ec);
    if (fs::exists(status)) {
        if (!fs::is_regular_file(status)) {
            return Failure(fs::is_directory(status) ? FileError::kIsDirectory : FileError::kNotAFile, path);
        }
        if (!WritePermitted(status.permissions())) {
            return Failure(FileError::kReadOnly, path);
        }
    } else {
        const fs::path folder = target->parent_path().empty() ? fs::path(".") : target->parent_path();
        if (!fs::is_directory(folder, ec)) {
            return Failure(FileError::kNotFound, folder);
        }
    }
    // The save goes through a new file beside the target: a folder that takes none fails now, not after
    // the device has been read.
    const auto probe = TemporaryNameBeside(*target);
    if (!probe) {
        return Failure(FileError::kCannotWrite, path, "no free temporary name beside it");
    }
    if (std::string reason = WriteNewFile(*probe, {}); !reason.empty()) {
        std::error_code ignored;
        fs::remove(*probe, ignored);
        return Failure(FileError::kCannotWrite, path, std::move(reason));
    }
    fs::remove(*probe, ec);
    return {FileError::kOk, *target, {}};
}

FileResult CZB_FileData::SaveScene(const fs::path& path, std::span<const std::uint32_t> values) {
    FileResult target = CheckSceneTarget(path);
    if (!target.Ok()) {
        return target;
    }
    const auto bytes = EncodeScene(values);
    const auto temporary_name = TemporaryNameBeside(target.path);
    if (!temporary_name) {
        return Failure(FileError::kCannotWrite, path, "no free temporary name beside it");
    }
    const fs::path& temporary = *temporary_name;
    if (std::string reason = WriteNewFile(temporary, bytes); !reason.empty()) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return Failure(FileError::kCannotWrite, path, std::move(reason));
    }
    std::error_code ec;
    // A replaced file keeps who may read it.
    if (const auto old = fs::status(target.path, ec); fs::exists(old)) {
        fs::permissions(temporary, old.permissions(), ec);
    }
    fs::rename(temporary, target.path, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return Failure(FileError::kCannotWrite, path, ec.message());
    }
    const fs::path full = fs::absolute(target.path, ec);
    return {FileError::kOk, ec ? target.path : full, {}};
}

FileResult CZB_FileData::LoadScene(const fs::path& path) {
    if (path.empty()) {
        return Failure(FileError::kEmptyPath, path);
    }
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        return Failure(FileError::kNotFound, path);
    }
    if (fs::is_directory(status)) {
        return Failure(FileError::kIsDirectory, path);
    }
    if (!fs::is_regular_file(status)) {
        return Failure(FileError::kNotAFile, path);
    }
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) {
        return Failure(FileError::kCannotRead, path, ec.message());
    }
    if (size > kMaxSceneFileSize) {
        return Failure(FileError::kDamaged, path, "too large");
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    // The stream reports a failed read by throwing from its buffer: caught here, a file error like any.
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            return Failure(FileError::kCannotRead, path, std::strerror(errno));
        }
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        bytes.resize(static_cast<std::size_t>(in.gcount()));
    } catch (const std::exception& e) {
        return Failure(FileError::kCannotRead, path, e.what());
    }
    FileResult result = DecodeScene(bytes);
    result.path = path;
    return result;
}

}  // namespace vela
