#include "core/files/recent_files.h"

#include <algorithm>

#include "core/text/utf8.h"

namespace vela {

namespace {

namespace fs = std::filesystem;

// Windows refuses '|' in file names, and the profile store keeps one line per key.
constexpr char kSeparator = '|';

bool Storable(const std::string& utf8) {
    return !utf8.empty() && utf8.find_first_of("|\r\n") == std::string::npos && utf8.front() != ' ' &&
           utf8.back() != ' ';
}

}  // namespace

RecentFiles RecentFiles::Load(const CZB_FileData& store) {
    RecentFiles recent;
    const std::string text = store.ReadString(kRecentScenesFile, kRecentScenesKey);
    std::size_t start = 0;
    while (start <= text.size() && recent.entries_.size() < kLimit) {
        const std::size_t end = std::min(text.find(kSeparator, start), text.size());
        const std::string entry = text.substr(start, end - start);
        // From UTF-8 whatever the locale: a wide name would go through it.
        const fs::path path(std::u8string(entry.begin(), entry.end()));
        if (Storable(entry) && !recent.Contains(path)) {
            recent.entries_.push_back(path);
        }
        start = end + 1;
    }
    return recent;
}

bool RecentFiles::Save(const CZB_FileData& store) const {
    std::string text;
    for (const fs::path& entry : entries_) {
        if (!text.empty()) {
            text += kSeparator;
        }
        text += PathUtf8(entry);
    }
    return store.WriteString(kRecentScenesFile, kRecentScenesKey, text).Ok();
}

void RecentFiles::Add(const fs::path& path) {
    if (!Storable(PathUtf8(path))) {
        return;
    }
    Remove(path);
    entries_.insert(entries_.begin(), path);
    if (entries_.size() > kLimit) {
        entries_.resize(kLimit);
    }
}

void RecentFiles::Remove(const fs::path& path) {
    std::erase(entries_, path);
}

bool RecentFiles::Contains(const fs::path& path) const {
    return std::find(entries_.begin(), entries_.end(), path) != entries_.end();
}

std::vector<fs::path> RecentFiles::Present() const {
    std::vector<fs::path> present;
    for (const fs::path& entry : entries_) {
        if (CZB_FileData::FileExists(entry) && !CZB_FileData::IsDirectory(entry)) {
            present.push_back(entry);
        }
    }
    return present;
}

}  // namespace vela
