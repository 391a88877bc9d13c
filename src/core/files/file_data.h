// Local files: the settings store (profile files with a mirror copy) and scene files (.lub).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace vela {

// Where settings and scene files go: the current directory first, then the mirror directory derived
// from the temporary-files path.
struct FileLocations {
    std::filesystem::path current_dir;
    std::string temp_path;

    static FileLocations System();
    // The temporary path cut before its first "Temp", then "CP950" and a separator.
    std::filesystem::path MirrorDirectory() const;
};

// Result codes of the scene file operations; the numbers are what callers and messages key on.
enum FileResult : int {
    kFileOk = 0,
    kFileEmptyPath = 2,
    kFileCannotOpen = 4,
    kFileCannotCreate = 5,
    kFileBadCheck = 6,
};

struct FileTime {
    std::uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Settings file names and keys in use.
inline constexpr char kLanguageFile[] = "Language";
inline constexpr char kLanguageKey[] = "Language";
inline constexpr char kWifiModeFile[] = "WIFI_Mode";
inline constexpr char kWifiModeKey[] = "m_COM_MdoeIO";

class CZB_FileData {
  public:
    static constexpr std::uint32_t kDataOffset = 512;
    static constexpr std::size_t kHeaderPlain = 256;  // bytes stored unencoded at the start of a file
    static constexpr char kExtension[] = ".lub";
    static constexpr char kSection[] = "CP950";

    explicit CZB_FileData(FileLocations locations = FileLocations::System());

    // --- Settings store ---
    int ReadInt(const std::string& file, const std::string& key) const;
    void WriteString(const std::string& file, const std::string& key, const std::string& text) const;
    void WriteInt(const std::string& file, const std::string& key, int value) const;

    // --- File utilities ---
    static bool FileExists(const std::filesystem::path& path);
    bool Exists(const std::filesystem::path& name) const;
    int Delete(const std::filesystem::path& name) const;
    static bool IsDirectory(const std::filesystem::path& path);
    static void MakeDirectory(const std::filesystem::path& path);
    std::filesystem::path ResolvePath(const std::filesystem::path& name) const;

    // --- Scene files ---
    int WriteScene(const std::filesystem::path& path, std::span<const std::uint32_t> values);
    int ReadScene(const std::filesystem::path& path);
    int SaveScene(const std::filesystem::path& path, std::span<const std::uint32_t> values);
    int LoadScene(const std::filesystem::path& path);

    // Set before writing; read back by ReadScene.
    std::uint32_t device_id = 0;
    std::uint32_t reserved_word1 = 0;
    std::uint8_t flag_byte = 0;
    std::uint32_t reserved_word2 = 0;

    std::uint32_t DataOffset() const { return data_offset_; }
    std::uint32_t ValueCount() const { return value_count_; }
    const FileTime& CreationTime() const { return creation_time_; }
    const FileTime& FileTimeRead() const { return file_time_; }
    const std::vector<std::uint32_t>& Values() const { return values_; }
    const FileLocations& Locations() const { return locations_; }

    // The encoded bytes of a scene (exposed for tests and tools); `random` supplies the random bytes.
    std::vector<std::uint8_t> EncodeScene(std::span<const std::uint32_t> values, std::uint32_t (*random)());
    // Decodes and checks a scene file's bytes; on success fills the object as ReadScene does.
    int DecodeScene(std::span<const std::uint8_t> file);

  private:
    std::filesystem::path SettingsPath(const std::filesystem::path& dir, const std::string& file) const;

    FileLocations locations_;
    FileTime creation_time_;
    FileTime file_time_;
    std::uint32_t data_offset_ = kDataOffset;
    std::uint32_t value_count_ = 0;
    std::vector<std::uint32_t> values_;
};

}  // namespace vela
