#include "cli/velactl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <thread>

#include "core/files/file_data.h"
#include "core/protocol/factory_defaults.h"
#include "support/temp_dir.h"

namespace vela::cli {
namespace {

namespace fs = std::filesystem;
using vela::testing::TempDir;

// Nothing listens there: a command that reaches for the device fails with 3 instead of its own answer.
constexpr char kNobody[] = "--device=tcp:127.0.0.1:1";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome Velactl(std::vector<std::string> args) {
    std::ostringstream out, err;
    Outcome r;
    r.status = RunVelactl(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t FixedRandom() {
    static std::uint32_t x = 1;
    x = x * 1103515245 + 12345;
    return x >> 8;
}

// A scene file of the factory table from device 0x6201.
void WriteScene(const fs::path& p) {
    CZB_FileData scene;
    scene.device_id = kDeviceId;
    const std::vector<std::uint32_t> values(FactoryDefaults().begin(), FactoryDefaults().end());
    const auto bytes = scene.EncodeScene(values, FixedRandom);
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A stream whose every write fails, as standard output on a full disk does.
class FullBuffer : public std::streambuf {
  protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

class VelactlFiles : public ::testing::Test {
  protected:
    TempDir dir;
    std::string P(const std::string& name) const { return (dir / name).string(); }
};

TEST_F(VelactlFiles, FileCommandsRefuseADirectoryWithoutThrowing) {
    fs::create_directories(dir / "d");
    for (const char* command : {"inspect", "load", "import"}) {
        const Outcome r = Velactl({kNobody, command, P("d")});
        EXPECT_EQ(r.status, 5) << command << ": " << r.err;
        EXPECT_NE(r.err.find("is a directory"), std::string::npos) << command << ": " << r.err;
    }
}

TEST_F(VelactlFiles, SaveRefusesWhatIsNoWritableFileBeforeConnecting) {
    fs::create_directories(dir / "empty");
    fs::create_directories(dir / "full");
    std::ofstream(dir / "full" / "k") << "keep";
    WriteScene(dir / "ro.lub");
    const std::string before = ReadText(dir / "ro.lub");
    fs::permissions(dir / "ro.lub", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const bool mirror_there = fs::exists("CP950");

    Outcome r = Velactl({kNobody, "save", P("empty")});
    EXPECT_EQ(r.status, 5) << r.err;
    EXPECT_NE(r.err.find("is a directory"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_directory(dir / "empty"));
    r = Velactl({kNobody, "save", P("full")});
    EXPECT_EQ(r.status, 5) << r.err;
    EXPECT_EQ(ReadText(dir / "full" / "k"), "keep");
    r = Velactl({kNobody, "save", P("ro.lub")});
    EXPECT_EQ(r.status, 5) << r.err;
    EXPECT_NE(r.err.find("read-only"), std::string::npos) << r.err;
    EXPECT_EQ(ReadText(dir / "ro.lub"), before);
    r = Velactl({kNobody, "save", P("no-such-folder/x.lub")});
    EXPECT_EQ(r.status, 5) << r.err;
    EXPECT_EQ(fs::exists("CP950"), mirror_there) << "a scene file never goes to the settings' mirror";
#ifndef _WIN32
    r = Velactl({kNobody, "save", "/dev/null"});
    EXPECT_EQ(r.status, 5) << r.err;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
#endif
    fs::permissions(dir / "ro.lub", fs::perms::owner_write, fs::perm_options::add);
}

#ifndef _WIN32
TEST_F(VelactlFiles, SaveWritesThroughALinkToItsTarget) {
    WriteScene(dir / "target.lub");
    const std::string before = ReadText(dir / "target.lub");
    fs::create_symlink("target.lub", dir / "current.lub");
    const Outcome r = Velactl({"--device", "sim", "--timeout", "5", "save", P("current.lub")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir / "current.lub"));
    EXPECT_TRUE(ReadText(dir / "target.lub") != before) << "the target holds the new save";
    CZB_FileData scene;
    EXPECT_TRUE(scene.LoadScene(dir / "target.lub").Ok());
    EXPECT_EQ(scene.ValueCount(), kParameterCount);
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        EXPECT_NE(entry.path().extension(), ".tmp") << "no temporary file is left behind";
    }
}
#endif

TEST_F(VelactlFiles, InspectPrintsTheFileAndFailsWhenOutputCannotBeWritten) {
    WriteScene(dir / "a.lub");
    Outcome r = Velactl({"inspect", P("a.lub")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("device id: 0x6201\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n255 198 Music EQ band 1"), std::string::npos);

    FullBuffer full;
    std::ostream out(&full);
    std::ostringstream err;
    EXPECT_EQ(RunVelactl({"inspect", P("a.lub")}, out, err), 5);
    EXPECT_NE(err.str().find("standard output"), std::string::npos) << err.str();
}

TEST_F(VelactlFiles, ADamagedFileIsRefusedBeforeConnectingAndSaidPlainly) {
    WriteScene(dir / "a.lub");
    const std::string whole = ReadText(dir / "a.lub");
    std::ofstream(dir / "cut.lub", std::ios::binary) << whole.substr(0, 1000);
    std::ofstream(dir / "empty.lub", std::ios::binary).flush();
    for (const char* file : {"cut.lub", "empty.lub"}) {
        for (const char* command : {"load", "import"}) {
            const Outcome r = Velactl({kNobody, command, P(file)});
            EXPECT_EQ(r.status, 5) << command << " " << file << ": " << r.err;
            EXPECT_NE(r.err.find("damaged, or not a scene file"), std::string::npos) << r.err;
            EXPECT_EQ(r.err.find("No files"), std::string::npos) << r.err;
            EXPECT_EQ(r.err.find("\xE3\x80\x82"), std::string::npos) << "no full-width stop: " << r.err;
        }
    }
}

TEST(VelactlArguments, LinkWordsDuplicatesAndBadTextAreRefusedBeforeConnecting) {
    const std::vector<std::vector<std::string>> refused = {
        {"set", "935=2"},
        {"set", "0=1"},
        {"set", "928=1"},
        {"set", "934=1"},
        {"set", "26=100", "26=200"},
        {"wifi", "hotspot", "Lobby", "short"},
        {"wifi", "hotspot", std::string(33, 's'), "long-enough"},
        {"wifi", "route", "Lobby", std::string(64, 'p')},
        {"scene", "save", "6", "two\nlines"},
        {"scene", "save", "6", std::string(21, 'n')},
    };
    for (auto args : refused) {
        args.insert(args.begin(), kNobody);
        args.insert(args.begin(), "--lang=zh-CN");
        const Outcome r = Velactl(args);
        EXPECT_EQ(r.status, 2) << args[2] << " " << args[3] << ": " << r.err;
        EXPECT_EQ(r.err.find("no processor"), std::string::npos) << r.err;
        // velactl's own lines are English whatever the device's messages speak: no half-translated line.
        EXPECT_TRUE(std::all_of(r.err.begin(), r.err.end(), [](char c) { return (c & 0x80) == 0; })) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
    }
}

TEST(VelactlArguments, OptionsGoAnywhereAndUsageErrorsGoToStderr) {
    Outcome r = Velactl({});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("usage: velactl"), std::string::npos);

    r = Velactl({"--device", "status"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--device needs a value"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Commands:"), std::string::npos) << "one line, not the whole usage";

    r = Velactl({"get", "26", "--device", "sim", "--lang=zh-CN", "--timeout=5"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "26 560\n");

    r = Velactl({"get", "--frobnicate", "26"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--frobnicate"), std::string::npos) << r.err;
}

TEST(VelactlDevice, SetDumpAndSceneListAgainstTheVirtualProcessor) {
    Outcome r = Velactl({"set", "300=0x1234", "26=100", "--device=sim", "--timeout=5"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.find("velactl:"), std::string::npos) << "a set that landed says nothing: " << r.err;

    r = Velactl({"--device=sim", "--timeout=5", "dump", "--json", "--names"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"device_id\": 25089, \"parameters\": [\n", 0), 0u);
    EXPECT_NE(r.out.find("{\"index\": 255, \"value\": 198, \"name\": \"Music EQ band 1"), std::string::npos);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), static_cast<long>(kParameterCount) + 2);
    EXPECT_TRUE(r.out.ends_with("}\n]}\n"));

    r = Velactl({"--device=sim", "--timeout=5", "scene", "list"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), kSceneSlots) << r.out;
}

TEST(VelactlDevice, SaveToStandardOutputWritesTheSceneThere) {
    const Outcome r = Velactl({"--device", "sim", "--timeout", "5", "save", "-"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.out.size(), 4564u);
    CZB_FileData scene;
    EXPECT_TRUE(
        scene.DecodeScene(std::span(reinterpret_cast<const std::uint8_t*>(r.out.data()), r.out.size())).Ok());
    EXPECT_EQ(scene.device_id, kDeviceId);
    EXPECT_FALSE(fs::exists("-"));
}

TEST(VelactlDevice, ARefusedConnectionIsNamedAsSuch) {
    const Outcome r = Velactl({kNobody, "status"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("refused"), std::string::npos) << r.err;
}

TEST(VelactlDevice, AnInterruptEndsACommandWith130) {
    std::atomic<bool> done{false};
    std::thread interrupter([&] {
        while (!done.load()) {
            RequestInterrupt();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    const Outcome r = Velactl({"--device", "sim", "set", "26=561"});
    done = true;
    interrupter.join();
    EXPECT_EQ(r.status, 130) << r.err;
}

}  // namespace
}  // namespace vela::cli
