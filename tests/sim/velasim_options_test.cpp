// velasim's command line: what each option sets, and the lines it refuses with their reason.
#include "sim/velasim_options.h"

#include <gtest/gtest.h>

namespace vela::sim {
namespace {

using Args = std::vector<std::string>;

TEST(VelasimOptions, ValuesAndFlagsLandWhereTheServerReadsThem) {
    VelasimOptions o;
    ASSERT_EQ(ParseVelasimOptions({"--listen",
                                   "[::1]:4357",
                                   "--state",
                                   "d.state",
                                   "-v",
                                   "--seed",
                                   "7",
                                   "--device-id",
                                   "62ff",
                                   "--silent",
                                   "--ignore-dump",
                                   "--mute-wifi",
                                   "--ignore-saves",
                                   "--drop",
                                   "0.25",
                                   "--corrupt",
                                   "1",
                                   "--unplug-every",
                                   "500",
                                   "--unplug-for",
                                   "200",
                                   "--occupied",
                                   "-1",
                                   "--wifi-notice",
                                   "restart:300"},
                                  o),
              std::nullopt);
    EXPECT_EQ(o.listen.host, "::1");
    EXPECT_EQ(o.listen.port, 4357);
    EXPECT_EQ(o.state_file, "d.state");
    EXPECT_TRUE(o.verbose);
    EXPECT_EQ(o.seed, 7u);
    EXPECT_EQ(o.faults.device_id, 0x62ff);
    EXPECT_TRUE(o.faults.silent && o.faults.ignore_dump && o.faults.mute_wifi && o.faults.ignore_saves);
    EXPECT_DOUBLE_EQ(o.faults.drop_share, 0.25);
    EXPECT_DOUBLE_EQ(o.faults.corrupt_share, 1.0);
    EXPECT_EQ(o.unplug_every_ms, 500);
    EXPECT_EQ(o.unplug_for_ms, 200);
    EXPECT_EQ(o.occupied_ms, -1);
    EXPECT_EQ(o.notice, "Set_Restart:");
    EXPECT_EQ(o.notice_after_ms, 300);
}

TEST(VelasimOptions, ADelayHoldsEveryReplyBackUnlessAShareIsGiven) {
    const struct {
        Args args;
        double share;
    } cases[] = {
        {{"--listen", "127.0.0.1:1", "--delay", "50"}, 1.0},
        {{"--listen", "127.0.0.1:1", "--delay-share", "0.5", "--delay", "50"}, 0.5},
        {{"--listen", "127.0.0.1:1", "--delay-share", "0", "--delay", "50"}, 0.0},
        {{"--listen", "127.0.0.1:1"}, 0.0},
    };
    for (const auto& c : cases) {
        VelasimOptions o;
        ASSERT_EQ(ParseVelasimOptions(c.args, o), std::nullopt) << c.args.back();
        EXPECT_DOUBLE_EQ(o.faults.delay_share, c.share) << c.args.back();
    }
}

TEST(VelasimOptions, HelpAndVersionEndTheLineWithoutNeedingAnAddress) {
    VelasimOptions help, version;
    EXPECT_EQ(ParseVelasimOptions({"-h", "--bogus"}, help), std::nullopt);
    EXPECT_TRUE(help.help);
    EXPECT_EQ(ParseVelasimOptions({"--version"}, version), std::nullopt);
    EXPECT_TRUE(version.version && !version.help);
}

TEST(VelasimOptions, BadLinesAreRefusedWithTheirReason) {
    const struct {
        Args args;
        std::string error;
    } cases[] = {
        {{}, "--listen HOST:PORT is required"},
        {{"--state", "x"}, "--listen HOST:PORT is required"},
        {{"--listen"}, "--listen needs a value"},
        {{"--listen", "nowhere"}, "--listen wants HOST:PORT, not \"nowhere\""},
        {{"--listen", "127.0.0.1:1", "--frobnicate"}, "unknown option --frobnicate"},
        {{"--listen", "127.0.0.1:1", "--drop", "1.5"}, "bad option or value: --drop 1.5"},
        {{"--listen", "127.0.0.1:1", "--seed", "-1"}, "bad option or value: --seed -1"},
        {{"--listen", "127.0.0.1:1", "--device-id", "10000"}, "bad option or value: --device-id 10000"},
        {{"--listen", "127.0.0.1:1", "--delay", "5ms"}, "bad option or value: --delay 5ms"},
        {{"--listen", "127.0.0.1:1", "--unplug-every", "0"}, "bad option or value: --unplug-every 0"},
        {{"--listen", "127.0.0.1:1", "--occupied", "-2"}, "bad option or value: --occupied -2"},
        {{"--listen", "127.0.0.1:1", "--wifi-notice", "reboot:5"},
         "--wifi-notice wants restore:MS or restart:MS"},
        {{"--listen", "127.0.0.1:1", "--wifi-notice", "restore"},
         "--wifi-notice wants restore:MS or restart:MS"},
    };
    for (const auto& c : cases) {
        VelasimOptions o;
        EXPECT_EQ(ParseVelasimOptions(c.args, o), c.error);
    }
}

}  // namespace
}  // namespace vela::sim
