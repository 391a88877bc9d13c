// Constants of the device protocol shared by the link, the virtual processor and the tools.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vela {

inline constexpr std::size_t kParameterCount = 947;

inline constexpr std::uint16_t kVendorId = 0x4084;
inline constexpr std::uint16_t kProductId = 0x4357;
inline constexpr std::uint16_t kDeviceId = 0x6201;

// Frame header bytes: the application sends 0x80, the receiver also accepts 0x81.
inline constexpr std::uint8_t kFrameHeader = 0x80;
inline constexpr std::uint8_t kFrameHeaderAlt = 0x81;
inline constexpr std::size_t kFrameOverhead = 5;  // header, length, command, two CRC bytes
inline constexpr std::size_t kLongPayload = 250;  // from here on the length byte is 0xFF

namespace cmd {
enum Command : std::uint8_t {
    kIdentify = 0x00,
    kCallScene = 0x01,
    kWriteParameters = 0x03,
    kSceneName = 0x04,
    kReadParameters = 0x06,
    kSaveScene = 0x10,
    kReserved20 = 0x20,
    kSaveSettings = 0x21,
    kWifiText = 0x57,
    kAnnounce = 0x71,
    kDump = 0xF0,
    kReservedFC = 0xFC,
    kReservedFE = 0xFE,
    kReservedFF = 0xFF,
};
}  // namespace cmd

// Parameters that the link itself gives a meaning to.
namespace param {
inline constexpr std::uint16_t kIdentity = 0;
inline constexpr std::uint16_t kMusicSource = 925;
inline constexpr std::uint16_t kCurrentScene = 933;
inline constexpr std::uint16_t kSceneSelector = 934;
inline constexpr std::uint16_t kOccupancy = 935;
inline constexpr std::uint16_t kModeWord = 942;
// 928..935 carry scene selection, occupancy and the link's own bookkeeping; a scene file never loads them.
inline constexpr std::uint16_t kLinkWordsFirst = 928;
inline constexpr std::uint16_t kLinkWordsLast = 935;
// MIC VOL A and B and the music and effect master levels: a loaded scene leaves the room's levels alone.
inline constexpr std::uint16_t kRoomLevelsFirst = 26;
inline constexpr std::uint16_t kRoomLevelsLast = 29;
}  // namespace param

// Words the link drives itself: writing one from outside confuses the link or claims the device for
// good (parameter 935 reading 2 makes every controller see it as occupied). Scene recall and store
// have their own commands.
inline constexpr bool LinkOwnedParameter(std::size_t index) {
    return index == param::kIdentity || (index >= param::kLinkWordsFirst && index <= param::kLinkWordsLast);
}

// The System page's local presets: the 185 parameters taken from a scene file by a selection load.
inline constexpr std::uint16_t kLocalPresetFirst = 730;
inline constexpr std::uint16_t kLocalPresetLast = 914;

// High byte of parameter 934: what the System page asks of the selected scene.
enum SceneOp : std::uint16_t { kSceneOpName = 0x05, kSceneOpCall = 0x06, kSceneOpSave = 0x07 };

inline constexpr int kSceneSlots = 8;
inline constexpr int kSceneNameLength = 25;          // bytes on the wire, characters in the table
inline constexpr std::size_t kSceneNameStored = 20;  // of which the device keeps this many
inline constexpr int kDefaultSceneLimit = 8;

// The longest a healthy link goes without a valid frame: after loading it rests a second, and the poll
// cycle sends its first heartbeat about a second later. Silence beyond this means the device is gone.
inline constexpr std::uint32_t kLongestQuietMs = 3000;

// The scene names' late duplicate replies still move parameter 934 for a moment after all are in.
inline constexpr std::uint32_t kSceneNamesSettleMs = 300;
// A read raised for the poll cycle is sent within one cycle and answered within its reply wait.
inline constexpr std::uint32_t kReadAnswerMs = 500;

// Batch limits: keep every parameter frame inside two 64-byte HID reports.
inline constexpr int kMaxWriteGroups = 24;
inline constexpr int kMaxReadIndexes = 25;

// Index and value travel high byte first.
inline constexpr std::uint8_t HighByte(std::uint16_t v) {
    return static_cast<std::uint8_t>(v >> 8);
}
inline constexpr std::uint8_t LowByte(std::uint16_t v) {
    return static_cast<std::uint8_t>(v & 0xFF);
}
inline constexpr std::uint16_t Word(std::uint8_t high, std::uint8_t low) {
    return static_cast<std::uint16_t>((high << 8) | low);
}

}  // namespace vela
