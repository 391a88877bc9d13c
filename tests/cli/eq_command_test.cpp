#include "cli/eq_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/session.h"
#include "core/model/eq_text.h"
#include "core/model/parameter_layout.h"
#include "core/protocol/factory_defaults.h"
#include "core/protocol/protocol.h"

namespace vela::cli {
namespace {

// A device that holds the factory table, records what is asked of it and may fail its writes.
struct FakeDevice {
    std::vector<std::uint32_t> table;
    std::vector<std::vector<std::uint16_t>> reads;
    std::vector<std::map<std::uint16_t, std::uint16_t>> writes;
    int write_status = kExitOk;

    FakeDevice() {
        const auto& d = FactoryDefaults();
        table.assign(d.begin(), d.end());
    }
    EqDevice Device() {
        return {[this](const std::vector<std::uint16_t>& indexes, std::vector<std::uint32_t>& out) {
                    reads.push_back(indexes);
                    out = table;
                    return static_cast<int>(kExitOk);
                },
                [this](const std::map<std::uint16_t, std::uint16_t>& w) {
                    writes.push_back(w);
                    for (const auto& [i, v] : w)
                        table[i] = v;
                    return write_status;
                }};
    }
};

struct EqRun {
    int status;
    std::string out, err;
};

EqRun Eq(FakeDevice& device, const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = RunEq(args, device.Device(), in, out, err);
    return {status, out.str(), err.str()};
}

constexpr char kList[] = "Filter 1: ON PK Fc 1000 Hz Gain -3 dB Q 2\nFilter 2: ON LS Fc 60 Hz Gain 4 dB\n";

TEST(EqCommand, OneImportIsOneWriteOfEveryBandOnTheActiveBank) {
    FakeDevice device;
    device.table[param::kModeWord] |= 0x2;  // the Dance bank
    const EqRun r = Eq(device, {"import", "-", "--channel", "rear"}, kList);
    ASSERT_EQ(r.status, kExitOk) << r.err;
    ASSERT_EQ(device.reads.size(), 1u);
    EXPECT_EQ(device.reads[0], std::vector<std::uint16_t>{param::kModeWord});
    ASSERT_EQ(device.writes.size(), 1u);
    EXPECT_EQ(device.writes[0].size(), 4u * layout::kOutputBands);
    const auto first = layout::StripEqIndex(layout::Strip::kRear, true, 0, layout::EqField::kType);
    EXPECT_EQ(device.writes[0].begin()->first, first);
    EXPECT_EQ(device.writes[0].at(first), 6);  // the shelf at 60 Hz comes first
}

TEST(EqCommand, RefusalsTouchNoDevice) {
    struct Case {
        std::vector<std::string> args;
        std::string input;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {{"import", "-", "--channel", "main"},
         "Filter 1: ON HP Fc 80 Hz\n",
         kExitUsage,
         "standard input: line 1: filter type HP"},
        {{"import", "-", "--channel", "main"},
         std::string(vela::eqtext::kMaxTextBytes + 1, ' '),
         kExitUsage,
         "larger than 1 MiB"},
        {{"import", "-", "--channel", "mic"}, kList, kExitUsage, "unknown channel mic"},
        {{"import", "--channel", "main"}, kList, kExitUsage, "needs a FILE"},
        {{"export", "--channel", "main", "--clamp"}, "", kExitUsage, "--clamp belongs to eq import"},
        {{"import", "-", "--channel", "main", "--dry-run"}, kList, kExitOk, "dry run: nothing written"},
        {{"import", "/nonexistent/list.txt", "--channel", "main"}, "", kExitFile, "cannot be read"},
        {{"swap", "--channel", "main"}, "", kExitUsage, "import or export"},
    };
    for (const Case& c : cases) {
        FakeDevice device;
        const EqRun r = Eq(device, c.args, c.input);
        EXPECT_EQ(r.status, c.status) << c.says << r.err;
        EXPECT_NE((r.err + r.out).find(c.says), std::string::npos) << r.err << r.out;
        EXPECT_TRUE(device.reads.empty() && device.writes.empty()) << c.says;
    }
}

TEST(EqCommand, AFailedWriteIsNoSuccessAndExportWritesWhatTheStripHolds) {
    FakeDevice device;
    device.write_status = kExitFailed;
    EXPECT_EQ(Eq(device, {"import", "-", "--channel", "echo"}, kList).status, kExitFailed);

    FakeDevice written;
    ASSERT_EQ(Eq(written, {"import", "-", "--channel", "echo"}, kList).status, kExitOk);
    const EqRun exported = Eq(written, {"export", "--channel", "echo"});
    ASSERT_EQ(exported.status, kExitOk) << exported.err;
    EXPECT_EQ(exported.out.substr(0, exported.out.find('\n', exported.out.find('\n') + 1)),
              "EQ of the echo strip\nFilter 1: ON LSC Fc 60.1 Hz Gain 4.0 dB Q 0.71");
}

}  // namespace
}  // namespace vela::cli
