// A program that dies while it rewrites a scene file leaves the file as the last whole write made it: the new
// content goes to a temporary file beside it and only a rename puts it in place. A child process is killed
// at the rename itself (the kernel ends it on that system call) and while it writes the temporary file (it
// runs into its file size limit); the file is then read, opened as a processor and written again.
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <fstream>
#include <iterator>

#include "core/files/file_data.h"
#include "core/protocol/factory_defaults.h"
#include "core/protocol/protocol.h"
#include "devices/scene_file_device.h"
#include "support/temp_dir.h"

namespace vela {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// From here on the kernel kills the process at its first rename of any kind.
bool DieAtRename() {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_rename, 3, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_renameat, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_renameat2, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
    };
    sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// From here on a write past the first kilobyte of any file kills the process.
bool DieWritingPastOneKilobyte() {
    const rlimit no_core{0, 0};
    const rlimit one_kilobyte{1024, 1024};
    return setrlimit(RLIMIT_CORE, &no_core) == 0 && setrlimit(RLIMIT_FSIZE, &one_kilobyte) == 0;
}

constexpr int kSetupFailed = 97;
constexpr int kLived = 98;

TEST(SceneFileCrash, ADeathBeforeTheRenameLeavesTheOldFileWhole) {
    const struct {
        const char* when;
        bool (*arm)();
        int signal;
    } cases[] = {
        {"at the rename", DieAtRename, SIGSYS},
        {"writing the temporary file", DieWritingPastOneKilobyte, SIGXFSZ},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        testing::TempDir dir;
        const fs::path file = dir / "room.lub";
        std::vector<std::uint32_t> values(FactoryDefaults().begin(), FactoryDefaults().end());
        CZB_FileData scene;
        scene.device_id = kDeviceId;
        ASSERT_TRUE(scene.SaveScene(file, values).Ok());
        const auto original = ReadBytes(file);
        values[300] = 0x1234;
        const auto edited = CZB_FileData::PatchSceneValues(original, values);
        ASSERT_TRUE(edited);

        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (!c.arm())
                _exit(kSetupFailed);
            (void)ReplaceFileWhole(file, *edited);
            _exit(kLived);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "exit " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
        EXPECT_EQ(WTERMSIG(status), c.signal);

        EXPECT_EQ(ReadBytes(file), original);
        // What the dead writer left beside it is never taken for the file: it opens, and takes a write.
        std::string problem;
        auto device = SceneFileDevice::Load(file, problem);
        ASSERT_NE(device, nullptr) << problem;
        EXPECT_FALSE(device->CurrentStatus().read_only) << device->CurrentStatus().problem;
        device.reset();
        ASSERT_TRUE(ReplaceFileWhole(file, *edited));
        CZB_FileData back;
        ASSERT_TRUE(back.LoadScene(file).Ok());
        EXPECT_EQ(back.Values()[300], 0x1234u);
    }
}

}  // namespace
}  // namespace vela
