#include "cli/velactl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <thread>

#include "cli/console_host.h"
#include "core/files/file_data.h"
#include "core/link/seams.h"
#include "core/model/parameter_layout.h"
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

Outcome Velactl(std::vector<std::string> args, const std::string& input = {}) {
    std::istringstream in(input);
    std::ostringstream out, err;
    Outcome r;
    r.status = RunVelactl(args, in, out, err);
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
    // A folder nobody can create files in, root included.
    r = Velactl({kNobody, "save", "/proc/velactl-test.lub"});
    EXPECT_EQ(r.status, 5) << r.err;
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
        // A character the code page cannot carry must not become a '?' the module would keep.
        {"wifi", "route", "Lobby\xF0\x9F\x98\x80", "long-enough"},
        {"wifi", "hotspot", "Lobby", "pass\xE2\x82\xACword"},
        {"scene", "save", "6", "two\nlines"},
        {"scene", "save", "6", std::string(21, 'n')},
        {"set", "28=65536"},
        {"set", "28=65535"},
        {"set", "942=65535"},
        {"set", "master.music=101%"},
        {"set", "music.eq1.gain=3kHz"},
        {"set", "main.eq1.freq=30kHz"},
        {"set", "--raw", "master.music=60%"},
        {"set", "master.music=60%", "28=560"},
        {"get", "music.eq99.gain"},
        {"set", "28=-1"},
        {"set", "947=1"},
        {"get", "947"},
        {"get", "26-947"},
        {"get", "29-26"},
        {"get", "26-"},
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

TEST(VelactlArguments, ASceneNameTheDeviceCannotHoldIsRefusedNamingTheCharacters) {
    // A character the device's code page lacks: ß is not in GBK, 中 not in the Western code pages.
    const std::pair<const char*, const char*> candidates[] = {{"\xC3\x9F", "U+00DF"},
                                                              {"\xE4\xB8\xAD", "U+4E2D"}};
    for (const auto& [character, code] : candidates) {
        const std::wstring wide = FromUtf8(character);
        const std::string bytes = SystemCodePage().FromWide(wide);
        if (SystemCodePage().ToWide(
                std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())) == wide)
            continue;
        const Outcome r = Velactl({kNobody, "scene", "save", "7", std::string("Stra") + character + "e"});
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_NE(r.err.find(std::string("\"") + character + "\" (" + code + ")"), std::string::npos)
            << r.err;
        return;
    }
    GTEST_SKIP() << "this code page holds both test characters";
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
    // --raw writes a word no control of the window would (26 holds 500..584 there).
    Outcome r = Velactl({"set", "300=0x1234", "26=100", "--raw", "--device=sim", "--timeout=5"});
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

TEST(VelactlDevice, NamesAndUnitsGoThroughTheWindowsScales) {
    Outcome r = Velactl({"--device=sim", "--timeout=5", "set", "music.eq1.gain=-3dB", "main.eq3.freq=1kHz",
                         "master.music=60%", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    // The raw words the device holds, and what the window shows for them.
    EXPECT_EQ(r.out,
              "{\"device_id\": 25089, \"parameters\": ["
              "{\"index\": 256, \"value\": 470, \"name\": \"music.eq1.gain\", \"text\": \"-3.0 dB\", "
              "\"unit\": \"dB\"}, "
              "{\"index\": 344, \"value\": 1000, \"name\": \"main.eq3.freq\", \"bank\": \"sing\", \"text\": "
              "\"1000 Hz\", \"unit\": \"Hz\"}, "
              "{\"index\": 28, \"value\": 560, \"name\": \"master.music\", \"text\": \"60 %\", \"unit\": "
              "\"%\"}]}\n");

    // In one connection: names in units, indexes as words, --raw words for names; the other bank by --bank.
    r = Velactl({"--device=sim", "--timeout=5", "batch"},
                "set master.mic=55% main.eq3.gain=2.5\nget master.mic 25 main.eq3.gain\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "line 1: ok\nmaster.mic 55 %\n25 555\nmain.eq3.gain 2.5 dB\n");
    r = Velactl(
        {"--device=sim", "--timeout=5", "--bank=dance", "--raw", "get", "main.eq3.gain", "master.mic"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "main.eq3.gain 500\nmaster.mic 570\n");
}

TEST(VelactlArguments, ParamsListsTheCatalogueWithoutADevice) {
    Outcome r = Velactl({kNobody, "params", "master.*"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3) << r.out;
    EXPECT_NE(r.out.find("  28  master.music "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Music master level"), std::string::npos) << r.out;
    r = Velactl({"params", "main.eq4.type", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("{\"index\": 347, \"name\": \"main.eq4.type\", \"bank\": \"sing\""),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("{\"index\": 555, \"name\": \"main.eq4.type\", \"bank\": \"dance\""),
              std::string::npos)
        << r.out;
    EXPECT_EQ(Velactl({"params", "nothing.like.this"}).status, 4);

    // The completion script offers the commands and the names.
    r = Velactl({"completion", "bash"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("complete -F _velactl velactl"), std::string::npos);
    EXPECT_NE(r.out.find(" music.eq1.gain "), std::string::npos);
    EXPECT_NE(r.out.find(" params "), std::string::npos);
}

TEST(VelactlArguments, VersionQuietAndOptionsThatBelongToOtherCommands) {
    Outcome r = Velactl({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("velactl ", 0), 0u) << r.out;

    r = Velactl({"--keep-going", "get", "26", kNobody});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--keep-going belongs to batch"), std::string::npos) << r.err;
    r = Velactl({"--json", "save", "x.lub", kNobody});
    EXPECT_EQ(r.status, 2) << r.err;

    // Quiet prints no data, but the exit status and the reason for a failure still tell.
    r = Velactl({"-q", "--device=sim", "--timeout=5", "get", "26-27"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    // Nothing at all on success, not even the device's own confirmation.
    r = Velactl({"-q", "--device=sim", "--timeout=5", "settings", "save"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out + r.err, "");
    r = Velactl({"--quiet", kNobody, "get", "26"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("refused"), std::string::npos) << r.err;
}

TEST(VelactlBatch, ALineThatDoesNotParseStopsTheBatchThereWithItsNumber) {
    // Line 3 is bad: lines 1 and 2 would have needed the device, which cannot be reached, so the status
    // says the device (3) and the report names line 1 as where the batch ended.
    Outcome r = Velactl({kNobody, "batch"}, "# levels\nset 28=500\nset 28=70000\n");
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.err.find("lines completed: none"), std::string::npos) << r.err;

    // A bad first line changes nothing and connects to nothing.
    for (const char* bad : {"set 28=70000", "get 947", "frobnicate", "wait soon", "scene call 9",
                            "scene save 1 \"open", "set 0=1"}) {
        r = Velactl({kNobody, "batch"}, std::string("\n# first\n") + bad + "\nset 28=1\n");
        EXPECT_EQ(r.status, 2) << bad << ": " << r.err;
        EXPECT_NE(r.err.find("standard input: line 3: "), std::string::npos) << bad << ": " << r.err;
        EXPECT_NE(r.err.find("nothing after it was done"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("refused"), std::string::npos) << "never connected: " << r.err;
    }
}

TEST(VelactlBatch, OneConnectionServesEveryLineInOrder) {
    const std::string batch =
        "set 800=7\n"
        "set 801=8 802=9\n"
        "get 799-802\n"
        "# the scene's values replace them\n"
        "wait 20\n"
        "scene call 2\n"
        "get 933\n"
        "scene save 3 \"Room one\"\n"
        "scene list\n";
    Outcome r = Velactl({"--device=sim", "--timeout=5", "batch"}, batch);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("line 1: ok\nline 2: ok\n799 ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\n800 7\n801 8\n802 9\nline 5: ok\nline 6: ok\n933 2\nline 8: ok\n"),
              std::string::npos)
        << r.out;
    // The saved scene is the current one now.
    EXPECT_NE(r.out.find("\n* 3 Room one\n  4 Scene 4\n"), std::string::npos) << r.out;

    r = Velactl({"--device=sim", "--timeout=5", "--json", "batch"}, "get 26 27\nset 28=501\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"line\": 1, \"device_id\": 25089, \"parameters\": [{\"index\": 26, \"value\": 560}, "
              "{\"index\": 27, \"value\": 560}]}\n{\"line\": 2, \"ok\": true}\n");
}

TEST(VelactlDevice, JsonOutputsShareTheDeviceIdShape) {
    // The identity is no value the link reports as arrived: it answers from the identification.
    Outcome r = Velactl({"--device=sim", "--timeout=5", "get", "0", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("0 25089\n1 ", 0), 0u) << r.out;

    r = Velactl({"--device=sim", "--timeout=5", "--json", "status"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"device\": \"sim\", \"device_id\": 25089, \"scene_limit\": 8, \"link\": \"connected\"}\n");
    r = Velactl({"--device=sim", "--timeout=5", "get", "26-28", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"device_id\": 25089, \"parameters\": [{\"index\": 26, ", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("{\"index\": 28, \"value\": "), std::string::npos) << r.out;
    r = Velactl({"--device=sim", "--timeout=5", "scene", "list", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("{\"number\": 8, \"name\": \"Scene 8\"}]}"), std::string::npos) << r.out;
}

TEST_F(VelactlFiles, DiffNamesEveryChangedParameterWithBothValues) {
    WriteScene(dir / "a.lub");
    CZB_FileData b;
    ASSERT_TRUE(b.LoadScene(dir / "a.lub").Ok());
    std::vector<std::uint32_t> values = b.Values();
    values[28] = 600;
    values[946] = 1;
    const auto bytes = b.EncodeScene(values, FixedRandom);
    std::ofstream(dir / "b.lub", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

    // As diff does: 1 when they differ, 0 when they do not.
    Outcome r = Velactl({"diff", P("a.lub"), P("b.lub")});
    ASSERT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "28 Music master level " + std::to_string(FactoryDefaults()[28]) + " 600\n946 " +
                         std::string(layout::ParameterName(946)) + " " +
                         std::to_string(FactoryDefaults()[946]) + " 1\n");
    r = Velactl({"diff", P("a.lub"), P("a.lub"), "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"differences\": []}"), std::string::npos) << r.out;

    // Against a device: its table is the factory one, so only the file's edits differ.
    r = Velactl({"--device=sim", "--timeout=5", "diff", P("b.lub"), "--json"});
    ASSERT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.out.find("{\"index\": 28, \"name\": \"Music master level\", \"a\": 600, \"b\": "),
              std::string::npos)
        << r.out;

    r = Velactl({"diff", P("a.lub"), P("missing.lub")});
    EXPECT_EQ(r.status, 5) << r.err;
    r = Velactl({"inspect", P("b.lub"), "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("{\"index\": 28, \"value\": 600, \"name\": \"Music master level\"}"),
              std::string::npos);
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

TEST(VelactlDevice, AWatchEndedByAnInterruptSaysSo) {
    // Interrupted once it is watching (or, on a slow machine, while it connects: 130 all the same).
    std::thread interrupter([] {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        RequestInterrupt();
    });
    const Outcome r = Velactl({"--device", "sim", "watch"});
    interrupter.join();
    EXPECT_EQ(r.status, 130) << r.err;
}

}  // namespace
}  // namespace vela::cli

namespace vela::cli {
namespace {

TEST(VelactlLog, TheLogFileTellsTheLinksStepsAndNeverTheWifiPassword) {
    TempDir dir;
    const std::string log = (dir / "link.log").string();
    constexpr char kPassword[] = "sing-along-77";
    Outcome r = Velactl({"--device=sim", "--timeout=5", "--log", log, "wifi", "hotspot", "Lobby", kPassword});
    ASSERT_EQ(r.status, 0) << r.err;
    // A second run appends.
    r = Velactl({"--device=sim", "--timeout=5", "--log=" + log, "get", "26"});
    ASSERT_EQ(r.status, 0) << r.err;

    const std::string text = ReadText(log);
    EXPECT_EQ(text.find(kPassword), std::string::npos) << text;
    for (const char* expected :
         {"start program=velactl version=", "command=wifi", "connect device=sim", "identify device_id=25089",
          "occupancy state=free", "end exit=0", "command=get"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
    }

    r = Velactl({"--device=sim", "--log", (dir / "no-such-folder" / "x.log").string(), "status"});
    EXPECT_EQ(r.status, 5);
    EXPECT_NE(r.err.find("cannot open the log file"), std::string::npos) << r.err;
}

TEST_F(VelactlFiles, InputsLargerThanAnyFileOfTheirKindAreRefusedUnread) {
    const std::string huge((2u << 20), '#');
    Outcome r = Velactl({"inspect", "-"}, huge);
    EXPECT_EQ(r.status, 5);
    EXPECT_NE(r.err.find("larger than any scene file"), std::string::npos) << r.err;
    r = Velactl({kNobody, "batch", "-"}, huge + "\nget 26\n");
    EXPECT_EQ(r.status, 5);
    EXPECT_NE(r.err.find("larger than a batch file may be"), std::string::npos) << r.err;
    std::ofstream(dir / "big.txt") << huge;
    r = Velactl({kNobody, "batch", P("big.txt")});
    EXPECT_EQ(r.status, 5) << r.err;
}

}  // namespace
}  // namespace vela::cli
