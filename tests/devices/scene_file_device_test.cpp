// A scene file opened as the processor: edits land in the file, untouched bytes stay, a file that cannot
// be used is refused before anything is written, and two programs never write one file.
#include "devices/scene_file_device.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/velactl.h"
#include "core/files/file_data.h"
#include "core/link/hid_transport.h"
#include "core/protocol/factory_defaults.h"
#include "devices/device_factory.h"
#include "support/link_fakes.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace vela {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WaitUntil;

std::vector<std::uint8_t> ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t FixedRandom() {
    static std::uint32_t x = 7;
    x = x * 1103515245 + 12345;
    return x >> 8;
}

void WriteScene(const fs::path& p, std::uint32_t device_id = kDeviceId) {
    CZB_FileData scene;
    scene.device_id = device_id;
    const std::vector<std::uint32_t> values(FactoryDefaults().begin(), FactoryDefaults().end());
    const auto bytes = scene.EncodeScene(values, FixedRandom);
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint32_t> ValuesIn(const fs::path& p) {
    CZB_FileData scene;
    EXPECT_TRUE(scene.LoadScene(p).Ok());
    return scene.Values();
}

int Velactl(std::vector<std::string> args, std::string* err = nullptr) {
    std::istringstream in;
    std::ostringstream out, errors;
    const int status = cli::RunVelactl(args, in, out, errors);
    if (err)
        *err = errors.str();
    return status;
}

TEST(SceneFilePatch, OnlyTheChangedValueAndTheCheckChange) {
    TempDir dir;
    WriteScene(dir / "a.lub");
    const auto before = ReadBytes(dir / "a.lub");
    auto values = ValuesIn(dir / "a.lub");
    const auto same = CZB_FileData::PatchSceneValues(before, values);
    ASSERT_TRUE(same);
    EXPECT_EQ(*same, before);

    values[300] ^= 0x1234;
    const auto patched = CZB_FileData::PatchSceneValues(before, values);
    ASSERT_TRUE(patched);
    ASSERT_EQ(patched->size(), before.size());
    int changed = 0;
    for (std::size_t i = 0; i < before.size(); ++i)
        changed += (*patched)[i] != before[i];
    EXPECT_GE(changed, 1);
    EXPECT_LE(changed, 4 + 8);  // two value bytes and four check bytes, two characters each
    CZB_FileData back;
    ASSERT_TRUE(back.DecodeScene(*patched).Ok());
    EXPECT_EQ(back.Values(), values);

    values.pop_back();
    EXPECT_FALSE(CZB_FileData::PatchSceneValues(before, values));
    std::vector<std::uint8_t> damaged = before;
    damaged[600] ^= 0xFF;
    EXPECT_FALSE(CZB_FileData::PatchSceneValues(damaged, ValuesIn(dir / "a.lub")));
}

TEST(SceneFileDevice, VelactlEditsTheFileAndReadsLeaveItByteForByte) {
    TempDir dir;
    const fs::path file = dir / "room.lub";
    WriteScene(file);
    const auto original = ReadBytes(file);
    const std::string device = "--device=file:" + file.string();

    std::string err;
    ASSERT_EQ(Velactl({device, "--timeout=5", "get", "300", "26"}, &err), 0) << err;
    ASSERT_EQ(Velactl({device, "--timeout=5", "dump"}, &err), 0) << err;
    EXPECT_EQ(ReadBytes(file), original) << "reading a file must not rewrite it";

    ASSERT_EQ(Velactl({device, "--timeout=5", "--raw", "set", "300=0x1234", "26=100"}, &err), 0) << err;
    const auto values = ValuesIn(file);
    EXPECT_EQ(values[300], 0x1234u);
    EXPECT_EQ(values[26], 100u);
    // The link's own words stay as the file held them, whatever the link wrote to the processor.
    const auto factory = FactoryDefaults();
    for (std::size_t i = 0; i < kParameterCount; ++i) {
        if (i != 300 && i != 26) {
            ASSERT_EQ(values[i], factory[i]) << "parameter " << i;
        }
    }
    EXPECT_FALSE(fs::exists(FileLock::LockPathFor(file)));
}

TEST(SceneFileDevice, AFileThatCannotBeUsedIsRefusedWithItsReasonAndLeftAlone) {
    TempDir dir;
    std::ofstream(dir / "junk.lub") << "not a scene";
    WriteScene(dir / "other.lub", 0x1234);
    WriteScene(dir / "held.lub");
    FileLock::Outcome outcome{};
    const auto holder = FileLock::Acquire(dir / "held.lub", outcome);
    ASSERT_EQ(outcome, FileLock::Outcome::kLocked);

    const struct {
        std::string name;
        std::string says;
    } cases[] = {
        {"missing.lub", "no such file"},
        {"junk.lub", "damaged"},
        {"other.lub", "another device"},
        {"held.lub", "is open in another vela"},
    };
    for (const auto& c : cases) {
        const fs::path file = dir / c.name;
        const auto before = fs::exists(file) ? ReadBytes(file) : std::vector<std::uint8_t>{};
        std::string err;
        EXPECT_EQ(Velactl({"--device=file:" + file.string(), "--raw", "set", "300=1"}, &err), 5) << c.name;
        EXPECT_NE(err.find(c.says), std::string::npos) << c.name << ": " << err;
        if (fs::exists(file)) {
            EXPECT_EQ(ReadBytes(file), before) << c.name;
        }
        DeviceSpec spec;
        spec.kind = DeviceSpec::Kind::kFile;
        spec.path = file.string();
        const auto problem = DeviceProblem(spec);
        ASSERT_TRUE(problem) << c.name;
    }
}

// An edit the file cannot take is no success, alone or in a batch: the processor in memory took it, the
// file did not.
TEST(SceneFileDevice, AnEditTheFileCannotTakeFailsTheCommand) {
    TempDir dir;
    const fs::path file = dir / "ro.lub";
    WriteScene(file);
    const auto original = ReadBytes(file);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    std::ofstream(dir / "lines") << "set 300=5\n";
    const std::vector<std::vector<std::string>> commands{{"set", "300=5"},
                                                         {"batch", (dir / "lines").string()}};
    for (const auto& command : commands) {
        std::vector<std::string> args{"--device=file:" + file.string(), "--timeout=5", "--raw"};
        args.insert(args.end(), command.begin(), command.end());
        std::string err;
        EXPECT_EQ(Velactl(args, &err), 5) << command[0] << ": " << err;
        EXPECT_NE(err.find("read-only"), std::string::npos) << command[0] << ": " << err;
        EXPECT_EQ(ReadBytes(file), original) << command[0];
    }
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
}

// The device's eight scenes have no place in a file: calling one would copy the virtual processor's stock
// scene into it. Refused before anything reaches the file, alone or in a batch.
TEST(SceneFileDevice, DeviceSceneCommandsAreRefusedAndTheFileIsLeftAlone) {
    TempDir dir;
    const fs::path file = dir / "room.lub";
    WriteScene(file);
    const std::string device = "--device=file:" + file.string();
    std::string err;
    ASSERT_EQ(Velactl({device, "--raw", "set", "300=0x1234"}, &err), 0) << err;
    const auto edited = ReadBytes(file);
    const std::vector<std::vector<std::string>> commands{
        {"scene", "call", "3"}, {"scene", "save", "2", "Hall"}, {"batch", (dir / "lines").string()}};
    std::ofstream(dir / "lines") << "scene call 2\n";
    for (const auto& command : commands) {
        std::vector<std::string> args{device, "--timeout=5"};
        args.insert(args.end(), command.begin(), command.end());
        EXPECT_EQ(Velactl(args, &err), 5) << command[1];
        EXPECT_NE(err.find("is a scene file, not a processor"), std::string::npos) << err;
        EXPECT_EQ(ReadBytes(file), edited) << command[1];
    }
    EXPECT_EQ(ValuesIn(file)[300], 0x1234u);
}

// A room's file named in Chinese: saved from a processor, then opened as one (the program runs in the C
// locale, as velactl does).
TEST(SceneFileDevice, AFileNamedInChineseIsSavedAndOpened) {
    TempDir dir;
    const std::string file = (dir / "\xE5\xA4\xA7\xE5\x8E\x85.lub").string();
    std::string err;
    ASSERT_EQ(Velactl({"--device=sim", "--timeout=5", "save", file}, &err), 0) << err;
    ASSERT_EQ(Velactl({"--device=file:" + file, "--timeout=5", "--raw", "set", "300=7"}, &err), 0) << err;
    EXPECT_EQ(ValuesIn(fs::u8path(file))[300], 7u);
}

class SceneFileLinkTest : public ::testing::Test {
  protected:
    SystemClock clock{10.0};
    testing::Latin1CodePage code_page;
    testing::RecordingHost host;
    DeviceLink link{clock, code_page};
    TempDir dir;

    void Write(HidTransport& transport, std::size_t index, std::uint16_t value) {
        link.WriteParameter(index, value);
        link.State().waiting = true;
        link.BuildWriteBatch(static_cast<std::uint16_t>(index), kMaxWriteGroups);
        EXPECT_TRUE(link.WaitReply(5000));
        link.State().waiting = false;
        (void)transport;
    }
};

TEST_F(SceneFileLinkTest, EditsThatFlowAreWrittenOnceAndTheRestOnClose) {
    const fs::path file = dir / "a.lub";
    WriteScene(file);
    std::string problem;
    auto device = SceneFileDevice::Load(file, problem, std::chrono::hours(1));
    ASSERT_TRUE(device) << problem;
    {
        HidTransport transport(link, *device);
        ASSERT_TRUE(transport.Connect(host));
        for (std::uint16_t k = 0; k < 50; ++k)
            Write(transport, 300 + k, static_cast<std::uint16_t>(1000 + k));
        // The first edit is written at once, the rest wait for the interval.
        EXPECT_TRUE(WaitUntil([&] { return device->Writes() == 1; }));
        EXPECT_TRUE(device->CurrentStatus().pending);
        link.State().running = false;
    }
    device->Close();
    EXPECT_EQ(device->Writes(), 2);
    EXPECT_FALSE(device->CurrentStatus().pending);
    const auto values = ValuesIn(file);
    for (std::uint16_t k = 0; k < 50; ++k)
        EXPECT_EQ(values[300 + k], 1000u + k);
}

TEST_F(SceneFileLinkTest, AReadOnlyFileKeepsItsEditsInMemoryAndSaysWhy) {
    const fs::path file = dir / "ro.lub";
    WriteScene(file);
    const auto original = ReadBytes(file);
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    std::string problem;
    auto device = SceneFileDevice::Load(file, problem, std::chrono::milliseconds(0));
    ASSERT_TRUE(device) << problem;
    EXPECT_TRUE(device->CurrentStatus().read_only);
    EXPECT_NE(device->CurrentStatus().problem.find("read-only"), std::string::npos)
        << device->CurrentStatus().problem;
    {
        HidTransport transport(link, *device);
        ASSERT_TRUE(transport.Connect(host));
        Write(transport, 300, 4321);
        link.State().running = false;
    }
    device->Close();
    EXPECT_TRUE(device->CurrentStatus().pending);
    EXPECT_EQ(ReadBytes(file), original);
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
}

}  // namespace
}  // namespace vela
