#include "core/files/file_data.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "core/protocol/factory_defaults.h"
#include "core/protocol/frames.h"
#include "support/temp_dir.h"

namespace vela {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::vector<std::uint8_t> ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint32_t> SampleValues() {
    std::vector<std::uint32_t> v(FactoryDefaults().begin(), FactoryDefaults().end());
    v[0] = 0x6201;
    v[100] = 0x1FFFF;  // only the low 16 bits are stored
    return v;
}

class SceneFileTest : public ::testing::Test {
  protected:
    TempDir dir;
    FileLocations Locations() const { return {dir.Path(), (dir.Path() / "Temp").string() + "/"}; }
};

TEST_F(SceneFileTest, RoundTripOfAFullTable) {
    CZB_FileData writer(Locations());
    writer.device_id = 0x6201;
    const auto values = SampleValues();
    ASSERT_TRUE(writer.SaveScene(dir / "a.lub", values).Ok());

    const auto bytes = ReadBytes(dir / "a.lub");
    EXPECT_EQ(bytes.size(), 4564u);
    const std::set<std::uint8_t> encoded(bytes.begin() + 256, bytes.end());
    EXPECT_LE(encoded.size(), 16u);

    CZB_FileData reader(Locations());
    ASSERT_TRUE(reader.LoadScene(dir / "a.lub").Ok());
    EXPECT_EQ(reader.ValueCount(), 947u);
    EXPECT_EQ(reader.device_id, 0x6201u);
    EXPECT_EQ(reader.DataOffset(), 512u);
    EXPECT_EQ(reader.Values()[100], 0xFFFFu);
    EXPECT_EQ(reader.Values()[255], 198u);
    EXPECT_EQ(reader.FileTimeRead().year, writer.CreationTime().year);
    EXPECT_EQ(reader.FileTimeRead().second, writer.CreationTime().second);
}

TEST_F(SceneFileTest, TwoWritesDifferButReadTheSame) {
    CZB_FileData w;
    const auto values = SampleValues();
    ASSERT_TRUE(w.SaveScene(dir / "1.lub", values).Ok());
    ASSERT_TRUE(w.SaveScene(dir / "2.lub", values).Ok());
    EXPECT_NE(ReadBytes(dir / "1.lub"), ReadBytes(dir / "2.lub"));
    CZB_FileData r1, r2;
    ASSERT_TRUE(r1.LoadScene(dir / "1.lub").Ok());
    ASSERT_TRUE(r2.LoadScene(dir / "2.lub").Ok());
    EXPECT_EQ(r1.Values(), r2.Values());
}

TEST_F(SceneFileTest, EveryChangedByteOfTheDataPartIsRefused) {
    CZB_FileData w;
    ASSERT_TRUE(w.SaveScene(dir / "s.lub", SampleValues()).Ok());
    const auto good = ReadBytes(dir / "s.lub");
    const std::vector<std::uint8_t> alphabet(good.begin() + 20, good.begin() + 36);
    std::uint8_t outsider = 0;
    while (std::find(alphabet.begin(), alphabet.end(), outsider) != alphabet.end())
        ++outsider;

    for (std::size_t at = 256; at < good.size(); ++at) {
        for (std::uint8_t replacement :
             {alphabet[(std::find(alphabet.begin(), alphabet.end(), good[at]) - alphabet.begin() + 1) % 16],
              outsider}) {
            auto bad = good;
            bad[at] = replacement;
            CZB_FileData r;
            ASSERT_EQ(r.DecodeScene(bad).error, FileError::kDamaged) << "byte " << at;
        }
    }
}

TEST_F(SceneFileTest, TruncatedAndLyingFilesAreRefusedWithoutReadingPastTheEnd) {
    CZB_FileData w;
    ASSERT_TRUE(w.SaveScene(dir / "s.lub", SampleValues()).Ok());
    const auto good = ReadBytes(dir / "s.lub");
    for (std::size_t size :
         {std::size_t{0}, std::size_t{255}, std::size_t{600}, good.size() - 2, good.size() - 1}) {
        CZB_FileData r;
        EXPECT_EQ(r.DecodeScene(std::span(good.data(), size)).error, FileError::kDamaged) << size;
    }

    // A file whose header claims far more values than it holds, with a correct-looking check value
    // position nowhere: refused, and the reader keeps its previous values.
    CZB_FileData liar;
    liar.device_id = 1;
    const std::vector<std::uint32_t> few(10, 7);
    auto(*fixed)()->std::uint32_t = [] {
        static std::uint32_t x = 1;
        return x = x * 1103515245u + 12345u;
    };
    auto bytes = liar.EncodeScene(few, fixed);
    // Rewrite the count field (logical offset 266, encoded at 256 + 2 * 10) to 0xFFFF.
    const std::vector<std::uint8_t> alphabet(bytes.begin() + 20, bytes.begin() + 36);
    const std::uint8_t count_bytes[4] = {0xFF, 0xFF, 0x00, 0x00};
    for (int k = 0; k < 4; ++k) {
        bytes[256 + 2 * (10 + k)] = alphabet[count_bytes[k] >> 4];
        bytes[256 + 2 * (10 + k) + 1] = alphabet[count_bytes[k] & 15];
    }
    CZB_FileData r;
    ASSERT_TRUE(r.DecodeScene(liar.EncodeScene(few, fixed)).Ok());
    EXPECT_EQ(r.DecodeScene(bytes).error, FileError::kDamaged);
    EXPECT_EQ(r.Values().size(), 10u);
}

TEST_F(SceneFileTest, ReadsAFileBuiltByAnIndependentWriter) {
    // Built here byte by byte from the format's description: a fixed alphabet, 3 values, offset 512.
    std::vector<std::uint8_t> l(512 + 2 * 3 + 4, 0xAA);
    for (int k = 0; k < 20; ++k)
        l[20 + k] = static_cast<std::uint8_t>(0x40 + k);
    auto put = [&](std::size_t at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k)
            l[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
    };
    put(256, 512);
    put(266, 3);
    put(276, 0x6201);
    put(306, 2026);
    put(311, 12);
    const std::uint16_t vals[3] = {1, 0x8000, 20600};
    for (int i = 0; i < 3; ++i) {
        l[512 + 2 * i] = static_cast<std::uint8_t>(vals[i]);
        l[513 + 2 * i] = static_cast<std::uint8_t>(vals[i] >> 8);
    }
    put(518, Crc16(l.data(), 518));
    std::vector<std::uint8_t> file(l.begin(), l.begin() + 256);
    for (std::size_t i = 256; i < l.size(); ++i) {
        file.push_back(static_cast<std::uint8_t>(0x40 + (l[i] >> 4)));
        file.push_back(static_cast<std::uint8_t>(0x40 + (l[i] & 15)));
    }
    CZB_FileData r;
    ASSERT_TRUE(r.DecodeScene(file).Ok());
    EXPECT_EQ(r.Values(), (std::vector<std::uint32_t>{1, 0x8000, 20600}));
    EXPECT_EQ(r.device_id, 0x6201u);
    EXPECT_EQ(r.FileTimeRead().month, 12);
}

TEST_F(SceneFileTest, EachFailureSaysWhatFailedAndNothingGoesToTheMirror) {
    CZB_FileData f(Locations());
    EXPECT_EQ(f.SaveScene("", SampleValues()).error, FileError::kEmptyPath);
    EXPECT_EQ(f.LoadScene("").error, FileError::kEmptyPath);
    EXPECT_EQ(f.Delete("").error, FileError::kEmptyPath);
    EXPECT_EQ(f.LoadScene(dir / "missing.lub").error, FileError::kNotFound);
    fs::create_directories(dir / "folder");
    EXPECT_EQ(f.LoadScene(dir / "folder").error, FileError::kIsDirectory);
    EXPECT_EQ(f.SaveScene(dir / "folder", SampleValues()).error, FileError::kIsDirectory);
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    std::ofstream(dir / "junk.lub") << "not a scene";
    const FileResult junk = f.LoadScene(dir / "junk.lub");
    EXPECT_EQ(junk.error, FileError::kDamaged);
    EXPECT_EQ(junk.Describe(), (dir / "junk.lub").string() + ": damaged, or not a scene file");

    // Where the named folder does not exist the save fails; neither the mirror nor any folder is made.
    const FileResult r = f.SaveScene(dir / "no-such-dir" / "x.lub", SampleValues());
    EXPECT_EQ(r.error, FileError::kNotFound);
    EXPECT_FALSE(fs::exists(Locations().MirrorDirectory()));
    EXPECT_FALSE(fs::exists(dir / "no-such-dir"));
}

TEST_F(SceneFileTest, ASaveReplacesTheNamedFileWholeAndKeepsItsPermissions) {
    CZB_FileData f(Locations());
    const fs::path target = dir / "room.lub";
    std::ofstream(target) << "old";
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    const FileResult saved = f.SaveScene(target, SampleValues());
    ASSERT_TRUE(saved.Ok()) << saved.Describe();
    EXPECT_EQ(saved.path, fs::absolute(target));
    EXPECT_EQ(fs::file_size(target), 4564u);
#ifndef _WIN32  // Windows keeps only a read-only attribute
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
#endif
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1)
        << "no temporary file is left";

    fs::permissions(target, fs::perms::owner_read);
    EXPECT_EQ(f.SaveScene(target, SampleValues()).error, FileError::kReadOnly);
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
}

TEST(FileLocations, MirrorDirectoryIsCutBeforeTemp) {
    EXPECT_EQ(FileLocations({"", "C:\\Users\\u\\AppData\\Local\\Temp\\"}).MirrorDirectory().string(),
              std::string("C:\\Users\\u\\AppData\\Local\\CP950") + char(fs::path::preferred_separator));
    EXPECT_EQ(FileLocations({"", "/tmp/"}).MirrorDirectory().string(),
              std::string("CP950") + char(fs::path::preferred_separator));
}

class SettingsTest : public ::testing::Test {
  protected:
    TempDir dir;
    FileLocations Locations(const fs::path& cwd) const { return {cwd, (dir.Path() / "Temp").string() + "/"}; }
};

TEST_F(SettingsTest, MissingSettingReadsMinusOneAndWrittenOnesReadBack) {
    fs::create_directories(dir / "cwd");
    CZB_FileData f(Locations(dir / "cwd"));
    EXPECT_EQ(f.ReadInt(kLanguageFile, kLanguageKey), -1);
    EXPECT_TRUE(f.WriteInt(kLanguageFile, kLanguageKey, 2).Ok());
    EXPECT_TRUE(f.WriteInt(kWifiModeFile, kWifiModeKey, 1).Ok());
    EXPECT_TRUE(f.WriteInt(kLanguageFile, kLanguageKey, 1).Ok());  // replaces, does not append
    EXPECT_EQ(f.ReadInt(kLanguageFile, kLanguageKey), 1);
    EXPECT_EQ(f.ReadInt(kWifiModeFile, kWifiModeKey), 1);
    std::ifstream in(dir / "cwd" / "Language.ini", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(all, "[CP950]\r\nLanguage=1\r\n");
}

TEST_F(SettingsTest, AnUnwritableCurrentDirectoryFallsBackToTheMirror) {
    CZB_FileData f(Locations(dir / "not-there"));
    EXPECT_TRUE(f.WriteInt(kLanguageFile, kLanguageKey, 2).Ok());
    EXPECT_TRUE(fs::exists(dir / "CP950" / "Language.ini"));
    EXPECT_EQ(f.ReadInt(kLanguageFile, kLanguageKey), 2);
}

TEST_F(SettingsTest, AWriteThatLandsNowhereIsReportedAsFailed) {
    // Neither the current directory nor the mirror's parent exists.
    CZB_FileData f(FileLocations{dir / "not-there", (dir / "gone" / "Temp").string() + "/"});
    EXPECT_EQ(f.WriteInt(kLanguageFile, kLanguageKey, 2).error, FileError::kCannotWrite);
    EXPECT_EQ(f.ReadInt(kLanguageFile, kLanguageKey), -1);
}

TEST_F(SettingsTest, ProfileLookupIgnoresCaseAndOtherSections) {
    fs::create_directories(dir / "cwd");
    std::ofstream(dir / "cwd" / "Language.ini") << "[Other]\nLanguage=0\n[cp950]\n language = 2 \n";
    CZB_FileData f(Locations(dir / "cwd"));
    EXPECT_EQ(f.ReadInt(kLanguageFile, kLanguageKey), 2);
    EXPECT_TRUE(f.WriteInt(kLanguageFile, kLanguageKey, 1).Ok());
    EXPECT_EQ(f.ReadInt(kLanguageFile, kLanguageKey), 1);
    EXPECT_EQ(f.ReadInt("Language", "Other"), -1);
}

TEST_F(SettingsTest, TextSettingReadsFromTheCurrentDirectoryThenTheMirror) {
    fs::create_directories(dir / "cwd");
    fs::create_directories(dir / "CP950");
    CZB_FileData f(Locations(dir / "cwd"));
    EXPECT_EQ(f.ReadString("Update", "Host"), "");
    EXPECT_TRUE(f.WriteString("Update", "Host", "updates.example.net:24600").Ok());
    EXPECT_EQ(f.ReadString("Update", "Host"), "updates.example.net:24600");
    // Only the mirror holds it when the current directory's copy is gone.
    fs::remove(dir / "cwd" / "Update.ini");
    EXPECT_EQ(f.ReadString("Update", "Host"), "updates.example.net:24600");
    std::ofstream(dir / "cwd" / "Update.ini") << "[CP950]\nHost=127.0.0.1\n";
    EXPECT_EQ(f.ReadString("Update", "Host"), "127.0.0.1");
}

TEST_F(SettingsTest, HostileSettingsFilesAreNotTakenForSettings) {
    fs::create_directories(dir / "cwd");
    fs::create_directories(dir / "CP950");
    CZB_FileData f(Locations(dir / "cwd"));
    // Numbers beyond int, signs and trailing text read as missing, not as whatever atoi makes of them.
    for (const char* text : {"99999999999", "-99999999999", "2x", "", "0x2"}) {
        std::ofstream(dir / "cwd" / "Language.ini", std::ios::trunc) << "[CP950]\nLanguage=" << text << "\n";
        EXPECT_EQ(f.ReadInt(kLanguageFile, kLanguageKey), -1) << text;
    }
    // A file far larger than any settings file is neither read nor rewritten.
    {
        std::ofstream big(dir / "cwd" / "Language.ini", std::ios::trunc);
        big << std::string(2 << 20, '#') << "\n[CP950]\nLanguage=2\n";
    }
    EXPECT_EQ(f.ReadInt(kLanguageFile, kLanguageKey), -1);
    EXPECT_TRUE(f.WriteInt(kLanguageFile, kLanguageKey, 1).Ok());  // lands in the mirror
    EXPECT_GT(fs::file_size(dir / "cwd" / "Language.ini"), std::uintmax_t{2 << 20});
    // The update host never comes from the mirror, which anyone on the computer can write.
    std::ofstream(dir / "CP950" / "Update.ini") << "[CP950]\nHost=attacker.example\n";
    EXPECT_EQ(f.ReadStringHere("Update", "Host"), "");
    std::ofstream(dir / "cwd" / "Update.ini") << "[CP950]\nHost=127.0.0.1\n";
    EXPECT_EQ(f.ReadStringHere("Update", "Host"), "127.0.0.1");
}

TEST_F(SettingsTest, ASettingsWriteReplacesTheFileInsteadOfRewritingItInPlace) {
    fs::create_directories(dir / "cwd");
    CZB_FileData f(Locations(dir / "cwd"));
    ASSERT_TRUE(f.WriteInt(kLanguageFile, kLanguageKey, 2).Ok());
    // A second name for the same bytes sees an in-place rewrite; a replaced file leaves it alone.
    fs::create_hard_link(dir / "cwd" / "Language.ini", dir / "other-name.ini");
    ASSERT_TRUE(f.WriteInt(kLanguageFile, kLanguageKey, 1).Ok());
    EXPECT_EQ(f.ReadInt(kLanguageFile, kLanguageKey), 1);
    std::ifstream in(dir / "other-name.ini", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "[CP950]\r\nLanguage=2\r\n");
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir / "cwd"))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"Language.ini"});
}

}  // namespace
}  // namespace vela
