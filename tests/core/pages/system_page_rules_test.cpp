#include "core/pages/system_page_rules.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_dir.h"

namespace vela::system_page {
namespace {

TEST(SystemPasswords, KeypadTakesExactlyFourDigits) {
    EXPECT_EQ(PackDigits(L"1234", kKeypadDigits), 0x1234u);
    EXPECT_EQ(PackDigits(L"0907", kKeypadDigits), 0x0907u);
    // Five digits are refused even when the first four match.
    EXPECT_FALSE(PackDigits(L"12345", kKeypadDigits));
    EXPECT_FALSE(PackDigits(L"123", kKeypadDigits));
    EXPECT_FALSE(PackDigits(L"", kKeypadDigits));
    // A pasted letter would pack to a nibble no keypad can enter.
    EXPECT_FALSE(PackDigits(L"12a4", kKeypadDigits));
    EXPECT_FALSE(PackDigits(L"12:4", kKeypadDigits));
}

TEST(SystemPasswords, SixDigitsSplitIntoTwoParameters) {
    const auto p = PackSystemPassword(L"987654");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->high, 0x98);  // 930: the first two digits, never above 0x99
    EXPECT_EQ(p->low, 0x7654);
    EXPECT_EQ(p->Combined(), 0x987654u);
    const auto zeros = PackSystemPassword(L"000001");
    ASSERT_TRUE(zeros);
    EXPECT_EQ(zeros->high, 0);
    EXPECT_EQ(zeros->low, 1);
    EXPECT_FALSE(PackSystemPassword(L"12345"));
    EXPECT_FALSE(PackSystemPassword(L"1234567"));
}

TEST(VolumeLimitsTest, LoweringAMaximumBelowPowerOnMovesThePowerOnVolume) {
    VolumeLimits v;
    const VolumeChange c = v.Change(1, 20);  // Music Max to 20 while Music Start is 30
    EXPECT_TRUE(c.maximum_changed);
    ASSERT_TRUE(c.moved_start);
    EXPECT_EQ(*c.moved_start, 0);
    EXPECT_EQ(c.writes, (std::vector<ParameterWrite>{{921, 20}, {920, 20}}));
    EXPECT_EQ(v.Position(0), 20);

    // Raising it again leaves the power-on volume alone.
    const VolumeChange up = v.Change(1, 60);
    EXPECT_TRUE(up.maximum_changed);
    EXPECT_FALSE(up.moved_start);
    EXPECT_EQ(up.writes, (std::vector<ParameterWrite>{{920, 60}}));
}

TEST(VolumeLimitsTest, PowerOnVolumeStopsAtItsMaximumAndPairsStaySeparate) {
    VolumeLimits v;
    v.Change(7, 50);                         // Effect Max
    const VolumeChange c = v.Change(6, 70);  // Effect Start above it
    EXPECT_FALSE(c.maximum_changed);
    EXPECT_EQ(c.writes, (std::vector<ParameterWrite>{{923, 50}}));
    EXPECT_EQ(v.Position(6), 50);
    EXPECT_EQ(v.Position(2), 30);  // the microphone pair is untouched
    // Equal to the maximum is not below it: nothing moves.
    const VolumeChange same = v.Change(3, 30);
    EXPECT_EQ(same.writes, (std::vector<ParameterWrite>{{916, 30}}));

    v.SetFromDevice(0, 200);
    EXPECT_EQ(v.Position(0), 84);
    EXPECT_TRUE(v.Change(8, 1).writes.empty());
}

TEST(NoiseGate, PositionsFromDeviceValues) {
    EXPECT_EQ(GatePosition(103), 20);
    EXPECT_EQ(GatePosition(12), 12);  // 13 is the first entry at or above 12
    EXPECT_EQ(GatePosition(0), 0);
    EXPECT_EQ(GatePosition(104), std::nullopt);  // above position 20: unchanged
    EXPECT_EQ(GatePosition(200), std::nullopt);
    for (int p = 0; p < kGatePositions; ++p) {
        EXPECT_EQ(GatePosition(GateValue(p)), p) << p;
    }
    EXPECT_EQ(GateValue(25), 103);  // positions beyond 20 are not used
}

TEST(PowerOnInputs, CodesSelectItemsByLowByte) {
    EXPECT_EQ(PowerOnItem(0x800A), 6);  // ARC
    EXPECT_EQ(PowerOnItem(0x000A), 6);
    EXPECT_EQ(PowerOnItem(0), 0);       // Memory
    EXPECT_EQ(PowerOnItem(0x8001), 5);  // BT
    EXPECT_EQ(PowerOnItem(0x8004), 4);  // MP3
    EXPECT_EQ(PowerOnItem(0x0007), std::nullopt);
    EXPECT_EQ(PowerOnItem(0x00FF), std::nullopt);
}

TEST(DeviceScenes, CommandsAndNames) {
    EXPECT_EQ(SceneCommand(kSelectScene, 2), 0x0503);
    EXPECT_EQ(SceneCommand(kCallScene, 0), 0x0601);
    EXPECT_EQ(SceneCommand(kStoreScene, 7), 0x0708);

    // 12 two-byte characters and one more: the 13th would be cut in half at byte 25.
    std::vector<std::string> chars(13, std::string("\xC4\xE3"));
    EXPECT_EQ(FitSceneName(chars).size(), 24u);
    std::vector<std::string> ascii(30, std::string("a"));
    EXPECT_EQ(FitSceneName(ascii), std::string(25, 'a'));
    chars.insert(chars.begin(), std::string("a"));
    EXPECT_EQ(FitSceneName(chars).size(), 25u);
}

TEST(LocalSceneNames, RefusesAnythingButAFileName) {
    EXPECT_EQ(CheckLocalName(L"room 1"), NameCheck::kOk);
    EXPECT_EQ(CheckLocalName(L"房间.lub"), NameCheck::kOk);
    EXPECT_EQ(CheckLocalName(L""), NameCheck::kEmpty);
    for (const wchar_t* bad : {L"..\\x", L"../x", L"a/b", L"a\\b", L"C:x", L"..", L"x.", L"a?", L"a\tb"}) {
        EXPECT_EQ(CheckLocalName(bad), NameCheck::kNotAName) << bad;
    }
    EXPECT_EQ(LocalScenePath(L"room"), L"room.lub");
    EXPECT_EQ(LocalScenePath(L"room.lub"), L"room.lub");
    EXPECT_EQ(LocalScenePath(L"a.lub.old"), L"a.lub.old");  // ".lub" anywhere: used as typed
    EXPECT_EQ(ParameterFilePath(L"C:\\p\\x"), L"C:\\p\\x.PCE");
    EXPECT_EQ(ParameterFilePath(L"x.pce"), L"x.pce");
    const auto import = ImportSelection();
    ASSERT_EQ(import.size(), 185u);
    EXPECT_EQ(import.front(), 730);
    EXPECT_EQ(import.back(), 914);
}

TEST(LocalSceneNames, ListsBothFoldersCurrentFirst) {
    testing::TempDir current, mirror;
    for (const char* name : {"b.lub", "a.LUB", "notes.txt", "both.lub"}) {
        std::ofstream(current.Path() / name) << "x";
    }
    std::filesystem::create_directory(current.Path() / "dir.lub");
    for (const char* name : {"m.lub", "both.lub"}) {
        std::ofstream(mirror.Path() / name) << "x";
    }
    EXPECT_EQ(LocalSceneFiles(current.Path(), mirror.Path()),
              (std::vector<std::wstring>{L"a.lub", L"b.lub", L"both.lub", L"m.lub"}));
    EXPECT_EQ(LocalSceneFiles(current.Path(), mirror.Path() / "missing"),
              (std::vector<std::wstring>{L"a.lub", L"b.lub", L"both.lub"}));
}

}  // namespace
}  // namespace vela::system_page
