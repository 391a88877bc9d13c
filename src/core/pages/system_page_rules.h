// The System page's rules apart from its window: password packing, the coupling of power-on and maximum
// volumes, the noise-gate table, power-on input codes, scene commands and names, and local scene files.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/protocol/protocol.h"

namespace vela::system_page {

// Parameters the page writes directly.
inline constexpr std::uint16_t kKeypadPassword = 928;
inline constexpr std::uint16_t kKeypadPasswordEnabled = 929;
inline constexpr std::uint16_t kSystemPasswordHigh = 930;
inline constexpr std::uint16_t kSystemPasswordLow = 931;
inline constexpr std::uint16_t kSceneCommand = 934;
inline constexpr std::uint16_t kPowerOnInput = 940;
inline constexpr std::uint16_t kMicGateThreshold = 941;
inline constexpr std::uint16_t kMusicGateThreshold = 943;
inline constexpr std::uint16_t kMusicGateOn = 944;
inline constexpr std::uint16_t kMicGateOn = 926;
inline constexpr std::uint16_t kKeyShift = 244;
inline constexpr std::uint16_t kMicVolA = 26;
inline constexpr std::uint16_t kMicVolB = 27;
inline constexpr int kMicVolOffset = 500;

inline constexpr int kKeypadDigits = 4;
inline constexpr int kSystemDigits = 6;

// The packed digits of a typed password, each character's low four bits, first digit highest; nothing
// unless exactly `digits` decimal digits were typed (a pasted letter would otherwise pack to a nibble
// nobody could type again).
std::optional<std::uint32_t> PackDigits(std::wstring_view typed, int digits);

// A six-digit system password as the device stores it: the first two digits in 930, the last four in 931.
struct SystemPassword {
    std::uint16_t high = 0;
    std::uint16_t low = 0;
    std::uint32_t Combined() const { return static_cast<std::uint32_t>(high) << 16 | low; }
};
std::optional<SystemPassword> PackSystemPassword(std::wstring_view typed);

// --- Volume limits: eight value controls in pairs (power-on, maximum) ---
inline constexpr int kVolumeControls = 8;
inline constexpr int kVolumeTop = 84;
inline constexpr std::array<std::uint16_t, kVolumeControls> kVolumeParameters{921, 920, 917, 916,
                                                                              919, 918, 923, 922};

struct ParameterWrite {
    std::uint16_t index = 0;
    std::uint16_t value = 0;
    bool operator==(const ParameterWrite&) const = default;
};

struct VolumeChange {
    std::vector<ParameterWrite> writes;  // in the order they are written
    bool maximum_changed = false;        // the main window must clamp its faders
    std::optional<int> moved_start;      // the power-on control to move, when coupling moved it
    int moved_start_position = 0;
};

// The positions of the eight volume controls and the rule that keeps each power-on volume at or below
// its channel's maximum.
class VolumeLimits {
  public:
    VolumeLimits();
    int Position(int control) const { return positions_[static_cast<std::size_t>(control)]; }
    // The device's value shown; values above the top are shown at the top.
    void SetFromDevice(int control, int raw);
    // The user moved `control` to `position`.
    VolumeChange Change(int control, int position);

  private:
    std::array<int, kVolumeControls> positions_;
};

// --- Noise gates ---
inline constexpr int kGatePositions = 21;
inline constexpr std::array<std::uint16_t, 27> kGateTable{
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 16, 18, 23, 29, 41, 65, 103, 184, 327, 327, 327, 327, 327};
std::uint16_t GateValue(int position);
// The first position whose entry is at least `raw`; nothing above the last used entry.
std::optional<int> GatePosition(int raw);

// --- Power-on input: list items in list order and the code each writes ---
struct PowerOnInput {
    std::wstring_view text;
    std::uint16_t code;
};
inline constexpr std::array<PowerOnInput, 7> kPowerOnInputs{{{L"Memory", 0},
                                                             {L"VOD", 0x8002},
                                                             {L"DVD", 0x8003},
                                                             {L"OPT", 0x8005},
                                                             {L"MP3", 0x8004},
                                                             {L"BT", 0x8001},
                                                             {L"ARC", 0x800A}}};
// The list item the device's value selects (by its low byte); nothing for unknown codes.
std::optional<int> PowerOnItem(int raw);

// --- Device scenes ---
inline constexpr std::uint16_t kSelectScene = kSceneOpName << 8;
inline constexpr std::uint16_t kCallScene = kSceneOpCall << 8;
inline constexpr std::uint16_t kStoreScene = kSceneOpSave << 8;
inline constexpr int kSceneCount = kSceneSlots;
inline constexpr std::size_t kSceneNameBytes = kSceneNameLength;

// Scene command for list index `item` (0..7).
std::uint16_t SceneCommand(std::uint16_t operation, int item);

// The name sent to the device: whole encoded characters while they fit in 25 bytes, so that a name
// that is too long never ends in half a character.
std::string FitSceneName(std::span<const std::string> encoded_characters);

// --- Local scene files ---
inline constexpr std::string_view kSceneExtension = ".lub";
inline constexpr std::string_view kParameterFileExtension = ".PCE";

enum class NameCheck { kOk, kEmpty, kNotAName };
// A local scene name is a file name only: no folders, no "..", no characters Windows refuses in names.
NameCheck CheckLocalName(std::wstring_view name);
// ".lub" appended unless the name holds it anywhere.
std::wstring LocalScenePath(std::wstring_view name);
// ".PCE" appended unless the path already ends with it (any case).
std::wstring ParameterFilePath(std::wstring_view path);
// The parameters an external file loads: 730..914.
std::vector<std::uint16_t> ImportSelection();

// The local file list: ".lub" files of the current folder, then of the local scene folder when it
// exists, each as its title plus ".lub"; a name already listed is not listed again.
std::vector<std::wstring> LocalSceneFiles(const std::filesystem::path& current,
                                          const std::filesystem::path& scene_folder);

}  // namespace vela::system_page
