// Local files: the settings store (profile files with a mirror copy) and scene files (.lub).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
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

// What a file operation did: kOk, or what failed. Every caller gets the same answer, so none has to
// guess from a bare number whether its work was done.
enum class FileError {
    kOk,
    kEmptyPath,    // no name was given
    kNotFound,     // the file, or the folder it was to go in, does not exist
    kIsDirectory,  // a folder where a file was named
    kNotAFile,     // a device, pipe or socket: never read or replaced as a scene file
    kReadOnly,     // an existing file that may not be written
    kCannotRead,
    kCannotWrite,
    kDamaged,  // not a scene file: wrong check value, cut short, or too large
};

struct [[nodiscard]] FileResult {
    FileError error = FileError::kOk;
    std::filesystem::path path;  // the file concerned; after a save, where the data went
    std::string reason;          // the system's words for the failure, when it gave any

    bool Ok() const { return error == FileError::kOk; }
    // One line for the user: "PATH: is a directory".
    std::string Describe() const;
};

struct FileTime {
    std::uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Settings file names and keys in use.
inline constexpr char kLanguageFile[] = "Language";
inline constexpr char kLanguageKey[] = "Language";
inline constexpr char kWifiModeFile[] = "WIFI_Mode";
inline constexpr char kWifiModeKey[] = "m_COM_MdoeIO";

// Replaces the file at `path` (or the one its links end at) whole: written under a fresh name beside it,
// then renamed over it, so that an interrupted write leaves the old file. False when it could not.
bool ReplaceFileWhole(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

class CZB_FileData {
  public:
    static constexpr std::uint32_t kDataOffset = 512;
    static constexpr std::size_t kHeaderPlain = 256;
    static constexpr std::size_t kAlphabetAt = 20;  // the 16 bytes that encode the rest of the file  // bytes
                                                    // stored unencoded at the start of a file
    static constexpr char kExtension[] = ".lub";
    static constexpr char kSection[] = "CP950";
    // Far above any table (4564 bytes for 947 values): what is larger is not read into memory.
    static constexpr std::uintmax_t kMaxSceneFileSize = 1 << 20;

    explicit CZB_FileData(FileLocations locations = FileLocations::System());

    // --- Settings store ---
    int ReadInt(const std::string& file, const std::string& key) const;
    // The text stored under the key (current directory first, then the mirror); empty when there is none.
    std::string ReadString(const std::string& file, const std::string& key) const;
    // The text stored in the current directory's file only: for settings that must not come from the
    // shared mirror folder, which anyone on the computer can write.
    std::string ReadStringHere(const std::string& file, const std::string& key) const;
    // Ok when the setting was stored where ReadInt finds it (the current directory or the mirror).
    FileResult WriteString(const std::string& file, const std::string& key, const std::string& text) const;
    FileResult WriteInt(const std::string& file, const std::string& key, int value) const;

    // --- File utilities ---
    static bool FileExists(const std::filesystem::path& path);
    bool Exists(const std::filesystem::path& name) const;
    FileResult Delete(const std::filesystem::path& name) const;
    static bool IsDirectory(const std::filesystem::path& path);
    static void MakeDirectory(const std::filesystem::path& path);

    // --- Scene files ---
    // Whether a scene file may be written at `path`: the file a link there leads to, in an existing
    // folder, not a directory, device or read-only file. On success `path` of the result is that file.
    static FileResult CheckSceneTarget(const std::filesystem::path& path);
    // Writes exactly the file CheckSceneTarget names, through a temporary file in the same folder and a
    // rename, so that a failed save leaves the old file whole. Nothing is created anywhere else.
    FileResult SaveScene(const std::filesystem::path& path, std::span<const std::uint32_t> values);
    // Reads the named file only (never the settings' mirror): a regular file of at most kMaxSceneFileSize.
    FileResult LoadScene(const std::filesystem::path& path);

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

    // The encoded bytes of a scene; `random` supplies the random bytes (the system's when not given).
    std::vector<std::uint8_t> EncodeScene(std::span<const std::uint32_t> values,
                                          std::uint32_t (*random)() = nullptr);
    // Decodes and checks a scene file's bytes; on success fills the object as LoadScene does, otherwise
    // kDamaged.
    FileResult DecodeScene(std::span<const std::uint8_t> file);
    // The scene file `file` with `values` in place of the ones it holds. Every other byte (header, filler,
    // alphabet) stays as it was, so a file edited in place differs only where a value and the check value
    // changed. Nothing when `file` does not decode or holds another number of values.
    static std::optional<std::vector<std::uint8_t>> PatchSceneValues(std::span<const std::uint8_t> file,
                                                                     std::span<const std::uint32_t> values);

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
