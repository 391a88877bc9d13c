// The update's Windows pieces under Windows (or Wine): what the running program says about itself, the
// signature check of an unsigned build, and a batch file started in a folder whose name has a blank.
#include "platform/update_system_win32.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace vela {
namespace {

TEST(UpdateSystemWin32, RunningProgramDescribesItself) {
    EXPECT_EQ(RunningExeName(), L"vela_tests.exe");
#if defined(__x86_64__)
    EXPECT_EQ(RunningMachine(), update::kMachineAmd64);
#elif defined(__i386__)
    EXPECT_EQ(RunningMachine(), update::kMachineI386);
#endif
    // Leaf 1's EDX always has the FPU bit on processors this program runs on.
    EXPECT_NE(RunningQueryFields().cpu_features & 1u, 0u);
}

TEST(UpdateSystemWin32, UnsignedProgramHoldsNoSigner) {
    WinUpdateSystem system([] {});
    testing::TempDir dir;
    const auto file = dir / "other.exe";
    std::ofstream(file, std::ios::binary) << "MZ";
    EXPECT_EQ(system.CheckSignature(file), update::SignatureCheck::kNotRequired);
}

TEST(UpdateSystemWin32, BatchFileRunsInItsFolder) {
    testing::TempDir dir;
    const auto folder = dir / "with blank";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "UpDown.bat", std::ios::binary) << "echo done> \"marker.txt\"\r\n";
    WinUpdateSystem system([] {});
    ASSERT_TRUE(system.StartBatch(folder / "UpDown.bat", folder));
    EXPECT_TRUE(testing::WaitUntil([&] { return std::filesystem::exists(folder / "marker.txt"); }));
}

}  // namespace
}  // namespace vela
