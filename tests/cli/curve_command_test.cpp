#include "cli/curve_command.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "cli/velactl.h"
#include "core/files/file_data.h"
#include "core/model/channel_response.h"
#include "core/protocol/factory_defaults.h"
#include "support/temp_dir.h"

namespace vela::cli {
namespace {

struct CurveRun {
    int status;
    std::string out;
    std::string err;
};

CurveRun Curve(const std::vector<std::string>& args, const DeviceTableReader& device = nullptr) {
    std::ostringstream out, err;
    const int status = RunCurve(args, device, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class CurveCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto& d = FactoryDefaults();
        table.assign(d.begin(), d.end());
        // Main, Sing bank: band 1 +6 dB at 1 kHz; Dance bank untouched.
        const ChannelIndexes ix = IndexesOf(Channel::kMain, false);
        table[ix.eq_first + 4] = 7;
        table[ix.eq_first + 5] = 1000;
        table[ix.eq_first + 6] = 560;
        table[ix.eq_first + 7] = 200;
        table[ix.eq_active] = 1;
        table[942] = 0;
        Write("scene.lub");
    }
    std::string Write(const std::string& name) {
        CZB_FileData file;
        EXPECT_TRUE(file.SaveScene(dir / name, table).Ok());
        return (dir / name).string();
    }
    // The dB printed for the row nearest 1 kHz.
    static double DbNear1k(const std::string& csv) {
        double best_hz = 0, best_db = 0;
        for (const auto& line : Lines(csv)) {
            double hz = 0, db = 0;
            if (std::sscanf(line.c_str(), "%lf,%lf", &hz, &db) == 2 &&
                std::abs(hz - 1000) < std::abs(best_hz - 1000)) {
                best_hz = hz;
                best_db = db;
            }
        }
        return best_db;
    }

    testing::TempDir dir;
    std::vector<std::uint32_t> table;
};

TEST_F(CurveCommand, PrintsTheChannelsResponseAtTheAxisFrequencies) {
    const CurveRun r = Curve({(dir / "scene.lub").string(), "--channel", "main", "--points", "2000"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2001u);
    EXPECT_EQ(lines[0], "hz,db");
    EXPECT_EQ(lines[1].rfind("19.000,", 0), 0u) << lines[1];
    EXPECT_NEAR(DbNear1k(r.out), 6.0, 0.05);
    // 512 rows by default; the Dance bank is flat here.
    const CurveRun dance = Curve({(dir / "scene.lub").string(), "--channel", "main", "--bank", "dance"});
    EXPECT_EQ(Lines(dance.out).size(), 513u);
    EXPECT_NEAR(DbNear1k(dance.out), 0.0, 0.001);
    // The bank the setting selects is the default.
    table[942] = 2;
    const CurveRun selected = Curve({Write("dance.lub"), "--channel", "main"});
    EXPECT_NEAR(DbNear1k(selected.out), 0.0, 0.001);
    // Passed EQ: the bands drop out.
    table[942] = 0;
    table[IndexesOf(Channel::kMain, false).eq_active] = 0;
    EXPECT_NEAR(DbNear1k(Curve({Write("passed.lub"), "--channel", "main"}).out), 0.0, 0.001);
}

TEST_F(CurveCommand, JsonAndTheDeviceAsASource) {
    const CurveRun json =
        Curve({"--channel", "main", "--points", "3", "--json", "--live"}, [&](std::vector<std::uint32_t>& t) {
            t = table;
            return 0;
        });
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(
        json.out.rfind("{\"channel\": \"main\", \"bank\": \"sing\", \"eq_passed\": false, \"points\": [", 0),
        0u)
        << json.out;
    EXPECT_NE(json.out.find("{\"hz\": 19.000, \"db\": "), std::string::npos);
    EXPECT_EQ(json.out.substr(json.out.size() - 4), "\n]}\n");
    // Without FILE the device is read; its failure is the exit status.
    EXPECT_EQ(Curve({"--channel", "echo"}, [](std::vector<std::uint32_t>&) { return 3; }).status, 3);
    EXPECT_EQ(Curve({"--channel", "echo"}).status, 2);
}

TEST_F(CurveCommand, BadFilesExit5AndBadArgumentsExit2) {
    {
        std::ofstream damaged(dir / "damaged.lub", std::ios::binary);
        damaged << std::string(4564, '\x5A');
    }
    const CurveRun damaged = Curve({(dir / "damaged.lub").string(), "--channel", "main"});
    EXPECT_EQ(damaged.status, 5);
    EXPECT_NE(damaged.err.find("damaged"), std::string::npos) << damaged.err;
    EXPECT_TRUE(damaged.out.empty());
    EXPECT_EQ(Curve({(dir / "missing.lub").string(), "--channel", "main"}).status, 5);
    // A file of too few values for the channel.
    table.resize(300);
    const std::string small = Write("small.lub");
    EXPECT_EQ(Curve({small, "--channel", "rear"}).status, 5);
    EXPECT_EQ(Curve({small, "--channel", "mica"}).status, 0);

    const std::string scene = (dir / "scene.lub").string();
    const CurveRun unknown = Curve({scene, "--channel", "subwoofer"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("unknown channel subwoofer"), std::string::npos);
    EXPECT_EQ(Curve({scene}).status, 2);
    EXPECT_EQ(Curve({scene, "--channel"}).status, 2);
    EXPECT_EQ(Curve({scene, "--channel", "main", "--points", "0"}).status, 2);
    EXPECT_EQ(Curve({scene, "--channel", "main", "--points", "12x"}).status, 2);
    EXPECT_EQ(Curve({scene, "--channel", "main", "--bank", "disco"}).status, 2);
    EXPECT_EQ(Curve({scene, scene, "--channel", "main"}).status, 2);
    EXPECT_EQ(Curve({scene, "--channel", "main", "--live"}).status, 2);
    EXPECT_EQ(Curve({scene, "--channel", "main", "--loud"}).status, 2);
}

TEST_F(CurveCommand, ReachedThroughVelactl) {
    std::ostringstream out, err;
    EXPECT_EQ(
        RunVelactl({"curve", (dir / "scene.lub").string(), "--channel", "main", "--points", "8"}, out, err),
        0)
        << err.str();
    EXPECT_EQ(Lines(out.str()).size(), 9u);
    std::ostringstream help, none;
    EXPECT_EQ(RunVelactl({"curve", "--help"}, help, none), 0);
    EXPECT_NE(help.str().find("--channel NAME"), std::string::npos);
    std::ostringstream out2, err2;
    EXPECT_EQ(RunVelactl({"curve", (dir / "scene.lub").string(), "--channel", "nope"}, out2, err2), 2);
}

}  // namespace
}  // namespace vela::cli
