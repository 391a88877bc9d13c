// The scene files the user saved or opened through the file dialogs, newest first, kept in the settings
// store so that a file on a stick or in a customer's folder is one click away next time.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "core/files/file_data.h"

namespace vela {

inline constexpr char kRecentScenesFile[] = "RecentScenes";
inline constexpr char kRecentScenesKey[] = "Files";

class RecentFiles {
  public:
    static constexpr std::size_t kLimit = 8;

    // What the store holds; entries it cannot hold (empty, or with the separator) are skipped.
    static RecentFiles Load(const CZB_FileData& store);
    // False when neither the current folder nor the mirror could be written.
    bool Save(const CZB_FileData& store) const;

    // `path` moves to the front (added when new); the oldest beyond the limit is forgotten.
    void Add(const std::filesystem::path& path);
    void Remove(const std::filesystem::path& path);
    bool Contains(const std::filesystem::path& path) const;

    const std::vector<std::filesystem::path>& Entries() const { return entries_; }
    // The entries whose file is there now: a stick that is not plugged in hides its files without
    // forgetting them.
    std::vector<std::filesystem::path> Present() const;

  private:
    std::vector<std::filesystem::path> entries_;
};

}  // namespace vela
