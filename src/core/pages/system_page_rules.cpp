#include "core/pages/system_page_rules.h"

#include <algorithm>
#include <cwctype>
#include <system_error>

namespace vela::system_page {

namespace fs = std::filesystem;

std::optional<std::uint32_t> PackDigits(std::wstring_view typed, int digits) {
    if (typed.size() != static_cast<std::size_t>(digits)) {
        return std::nullopt;
    }
    std::uint32_t packed = 0;
    for (const wchar_t c : typed) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        packed = packed << 4 | (static_cast<std::uint32_t>(c) & 0x0F);
    }
    return packed;
}

std::optional<SystemPassword> PackSystemPassword(std::wstring_view typed) {
    const auto packed = PackDigits(typed, kSystemDigits);
    if (!packed) {
        return std::nullopt;
    }
    return SystemPassword{static_cast<std::uint16_t>(*packed >> 16), static_cast<std::uint16_t>(*packed)};
}

VolumeLimits::VolumeLimits() : positions_{30, 84, 30, 84, 30, 84, 30, 84} {}

void VolumeLimits::SetFromDevice(int control, int raw) {
    if (control >= 0 && control < kVolumeControls) {
        positions_[static_cast<std::size_t>(control)] = std::clamp(raw, 0, kVolumeTop);
    }
}

VolumeChange VolumeLimits::Change(int control, int position) {
    VolumeChange change;
    if (control < 0 || control >= kVolumeControls) {
        return change;
    }
    position = std::clamp(position, 0, kVolumeTop);
    const auto at = [](int c) { return static_cast<std::size_t>(c); };
    const int start = control & ~1;
    const int maximum = start + 1;
    if (control == start) {
        position = std::min(position, positions_[at(maximum)]);
    } else {
        change.maximum_changed = true;
        if (position < positions_[at(start)]) {
            positions_[at(start)] = position;
            change.moved_start = start;
            change.moved_start_position = position;
            change.writes.push_back({kVolumeParameters[at(start)], static_cast<std::uint16_t>(position)});
        }
    }
    positions_[at(control)] = position;
    change.writes.push_back({kVolumeParameters[at(control)], static_cast<std::uint16_t>(position)});
    return change;
}

std::uint16_t GateValue(int position) {
    return kGateTable[static_cast<std::size_t>(std::clamp(position, 0, kGatePositions - 1))];
}

std::optional<int> GatePosition(int raw) {
    for (int p = 0; p < kGatePositions; ++p) {
        if (kGateTable[static_cast<std::size_t>(p)] >= raw) {
            return p;
        }
    }
    return std::nullopt;
}

std::optional<int> PowerOnItem(int raw) {
    const int code = raw & 0xFF;
    for (std::size_t i = 0; i < kPowerOnInputs.size(); ++i) {
        if ((kPowerOnInputs[i].code & 0xFF) == code) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

std::uint16_t SceneCommand(std::uint16_t operation, int item) {
    return static_cast<std::uint16_t>(operation + std::clamp(item, 0, kSceneCount - 1) + 1);
}

std::string FitSceneName(std::span<const std::string> encoded_characters) {
    std::string name;
    for (const std::string& c : encoded_characters) {
        if (name.size() + c.size() > kSceneNameBytes) {
            break;
        }
        name += c;
    }
    return name;
}

NameCheck CheckLocalName(std::wstring_view name) {
    if (name.empty()) {
        return NameCheck::kEmpty;
    }
    constexpr std::wstring_view kRefused = L"\\/:*?\"<>|";
    for (const wchar_t c : name) {
        if (c < 0x20 || kRefused.find(c) != std::wstring_view::npos) {
            return NameCheck::kNotAName;
        }
    }
    // Windows drops trailing dots and spaces, so "x." would name another file than the one listed.
    if (name.find(L"..") != std::wstring_view::npos || name.back() == L'.' || name.back() == L' ') {
        return NameCheck::kNotAName;
    }
    return NameCheck::kOk;
}

std::wstring LocalScenePath(std::wstring_view name) {
    std::wstring path(name);
    if (path.find(L".lub") == std::wstring::npos) {
        path += L".lub";
    }
    return path;
}

namespace {

bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix) {
    if (text.size() < suffix.size()) {
        return false;
    }
    return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                      [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); });
}

void AddFolder(const fs::path& folder, std::vector<std::wstring>& names) {
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec)) {
        return;
    }
    std::vector<std::wstring> found;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code type_ec;
        if (!it->is_regular_file(type_ec)) {
            continue;
        }
        const std::wstring file = it->path().filename().wstring();
        if (EndsWithNoCase(file, L".lub")) {
            found.push_back(it->path().stem().wstring() + L".lub");
        }
    }
    std::sort(found.begin(), found.end());
    for (std::wstring& name : found) {
        const bool listed = std::any_of(names.begin(), names.end(), [&](const std::wstring& n) {
            return n.size() == name.size() && EndsWithNoCase(n, name);
        });
        if (!listed) {
            names.push_back(std::move(name));
        }
    }
}

}  // namespace

std::wstring ParameterFilePath(std::wstring_view path) {
    std::wstring full(path);
    if (!EndsWithNoCase(full, L".PCE")) {
        full += L".PCE";
    }
    return full;
}

std::vector<std::uint16_t> ImportSelection() {
    std::vector<std::uint16_t> indexes;
    for (std::uint16_t i = kLocalPresetFirst; i <= kLocalPresetLast; ++i) {
        indexes.push_back(i);
    }
    return indexes;
}

std::vector<std::wstring> LocalSceneFiles(const fs::path& current, const fs::path& scene_folder) {
    std::vector<std::wstring> names;
    AddFolder(current, names);
    AddFolder(scene_folder, names);
    return names;
}

}  // namespace vela::system_page
