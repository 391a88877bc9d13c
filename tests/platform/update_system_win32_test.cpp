// The update's Windows pieces under Windows (or Wine): what the running program says about itself, files
// held against change, the publisher's signature checked by BCrypt with keys openssl made for this build
// of the tests, the batch file's code page and start, and the whole check against the loopback server.
#include "platform/update_system_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>

#include "core/text/strings.h"
#include "platform/update_network.h"
#include "sim/update_server.h"
#include "support/link_fakes.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace vela {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What tools/make-update-test-keys.py made for this build (Wine sees the build folder on drive Z:).
struct TestKeys {
    fs::path dir = fs::path("Z:" VELA_BINARY_DIR) / "update-test-keys";
    Bytes program = ReadAll(dir / "program.exe");
    Bytes by_publisher = ReadAll(dir / "program.publisher.sig");
    Bytes by_other = ReadAll(dir / "program.other.sig");
    std::optional<update::PublisherKey> publisher = [this] {
        std::ifstream in(dir / "publisher.hex");
        std::string hex;
        in >> hex;
        return update::ParsePublisherKey(hex);
    }();

    Bytes Signed(const Bytes& signature) const {
        Bytes file = program;
        file.insert(file.end(), signature.begin(), signature.end());
        file.insert(file.end(), update::kSignatureMagic.begin(), update::kSignatureMagic.end());
        return file;
    }
};

bool OpensFor(const fs::path& file, DWORD access, DWORD share) {
    HANDLE h = CreateFileW(file.wstring().c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(h);
    return true;
}

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

TEST(UpdateSystemWin32, AHeldFileCanBeReadButNotChangedRenamedOrDeleted) {
    testing::TempDir dir;
    const fs::path file = dir / "held.exe";
    WinUpdateSystem system([] {});
    auto held = system.CreateHeld(file);
    ASSERT_TRUE(held);
    const Bytes data = {'M', 'Z', 1, 2, 3};
    ASSERT_TRUE(held->Write(data));
    for (const bool sealed : {false, true}) {
        EXPECT_FALSE(OpensFor(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE));
        EXPECT_FALSE(DeleteFileW(file.wstring().c_str())) << "sealed " << sealed;
        EXPECT_FALSE(MoveFileW(file.wstring().c_str(), (dir / "moved.exe").wstring().c_str())) << sealed;
        std::ofstream(dir / "swap.exe") << "swapped";
        EXPECT_FALSE(MoveFileExW((dir / "swap.exe").wstring().c_str(), file.wstring().c_str(),
                                 MOVEFILE_REPLACE_EXISTING))
            << "sealed " << sealed;
        ASSERT_TRUE(held->Seal());
    }
    // The interpreter opens a sealed batch file to read it.
    EXPECT_TRUE(OpensFor(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE));
    Bytes back(data.size());
    ASSERT_TRUE(held->ReadAt(0, back));
    EXPECT_EQ(back, data);
    EXPECT_EQ(ReadAll(file), data);
    held->Discard();
    EXPECT_FALSE(fs::exists(file));
}

TEST(UpdateSystemWin32, OnlyThePublishersSignatureOverTheWholeProgramVerifies) {
    const TestKeys keys;
    ASSERT_TRUE(keys.publisher) << keys.dir;
    ASSERT_EQ(keys.by_publisher.size(), update::kSignatureSize);
    testing::TempDir dir;
    WinUpdateSystem system([] {});
    auto check = [&](const Bytes& content, const Bytes& signature) {
        auto held = system.CreateHeld(dir / "download.exe");
        EXPECT_TRUE(held && held->Write(content) && held->Seal());
        std::array<std::uint8_t, update::kSignatureSize> s{};
        std::copy_n(signature.begin(), s.size(), s.begin());
        const bool verified = system.VerifySignature(*held, content.size(), s, *keys.publisher);
        held->Discard();
        return verified;
    };
    EXPECT_TRUE(check(keys.program, keys.by_publisher));
    EXPECT_FALSE(check(keys.program, keys.by_other));
    Bytes changed = keys.program;
    changed[300] ^= 0x01;
    EXPECT_FALSE(check(changed, keys.by_publisher));
    Bytes flipped = keys.by_publisher;
    flipped[40] ^= 0x80;
    EXPECT_FALSE(check(keys.program, flipped));
}

TEST(UpdateSystemWin32, BatchTextIsWrittenInTheInterpretersCodePageOrRefused) {
    WinUpdateSystem system([] {});
    EXPECT_EQ(system.BatchBytes(L"ren a.exe b.exe\r\n"), std::optional<std::string>("ren a.exe b.exe\r\n"));
    // A character the OEM code page lacks would reach the interpreter as another one.
    const wchar_t* outside = GetOEMCP() == 936 || GetOEMCP() == 950 ? L"\u0E01" : L"\u4E2D";
    EXPECT_FALSE(system.BatchBytes(std::wstring(L"C:\\") + outside));
    if (GetOEMCP() == 437 || GetOEMCP() == 850) {
        // The ANSI code page would write 0xE9, which the interpreter reads as another letter.
        EXPECT_EQ(system.BatchBytes(L"caf\u00E9"), std::optional<std::string>("caf\x82"));
    }
    EXPECT_EQ(BatchCommandLine(L"C:\\windows\\system32\\cmd.exe", L"C:\\a b\\UpDown.bat"),
              L"\"C:\\windows\\system32\\cmd.exe\" /D /V:OFF /c \"\"C:\\a b\\UpDown.bat\"\"");
}

TEST(UpdateSystemWin32, BatchFileRunsInItsFolder) {
    testing::TempDir dir;
    const auto folder = dir / "with blank";
    fs::create_directories(folder);
    std::ofstream(folder / "UpDown.bat", std::ios::binary) << "echo done> \"marker.txt\"\r\n";
    WinUpdateSystem system([] {});
    ASSERT_TRUE(system.StartBatch(folder / "UpDown.bat", folder, {}));
    EXPECT_TRUE(testing::WaitUntil([&] { return fs::exists(folder / "marker.txt"); }));
}

// The real system but for the hand-over, which is recorded instead of run; or runs a stand-in batch file
// with what the real one would be handed.
class RecordingWinSystem final : public WinUpdateSystem {
  public:
    RecordingWinSystem() : WinUpdateSystem([] {}) {}
    bool StartBatch(const fs::path& batch, const fs::path& directory,
                    std::span<update::IHeldFile* const> held) override {
        std::lock_guard lock(mutex);
        batch_text = ReadAll(batch);
        ++starts;
        return stand_in.empty() || WinUpdateSystem::StartBatch(stand_in, directory, held);
    }
    void ExitProgram() override { exits.fetch_add(1); }
    std::mutex mutex;
    Bytes batch_text;
    int starts = 0;
    std::atomic<int> exits{0};
    fs::path stand_in;
};

class UpdateAgainstLoopbackServer : public ::testing::Test {
  protected:
    // Runs one update check against a server offering `file`; true when the thread ended.
    bool Check(const Bytes& file, std::optional<update::PublisherKey> key) {
        sim::UpdateServerOptions options;
        options.mode = sim::UpdateServerMode::kOffer;
        options.file = file;
        server_ = std::make_unique<sim::UpdateServer>(options);
        if (!server_->Start()) {
            return false;
        }
        update::UpdateSettings settings;
        settings.server = update::UpdateHost{"127.0.0.1", server_->Port()};
        settings.work_dir = dir_.Path();
        settings.exe_name = L"vela.exe";
        settings.query = {3, 1, 0x000906EA, 0xBFEBFBFF};
        settings.publisher_key = key;
        host_ = std::make_unique<testing::RecordingHost>();
        update_ = std::make_unique<update::OnlineUpdate>(settings, network_, system_, *host_, link_running_,
                                                         clock_, code_page_);
        update_->Start();
        return testing::WaitUntil([&] { return update_->Finished(); });
    }
    std::vector<std::string> FilesLeft() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_.Path()))
            names.push_back(e.path().filename().string());
        return names;
    }

    const TestKeys keys_;
    testing::TempDir dir_;
    SocketUpdateNetwork network_;
    RecordingWinSystem system_;
    SystemClock clock_{100.0};
    testing::Latin1CodePage code_page_;
    std::atomic<bool> link_running_{false};
    std::unique_ptr<sim::UpdateServer> server_;
    std::unique_ptr<testing::RecordingHost> host_;
    std::unique_ptr<update::OnlineUpdate> update_;
};

TEST_F(UpdateAgainstLoopbackServer, WhatThePublisherDidNotSignIsDeletedAndNeverRun) {
    ASSERT_TRUE(keys_.publisher);
    Bytes truncated = keys_.Signed(keys_.by_publisher);
    truncated.erase(truncated.end() - 8 - 10, truncated.end() - 8);
    const struct {
        const char* what;
        Bytes file;
    } refused[] = {
        {"unsigned", keys_.program},
        {"signed by another key", keys_.Signed(keys_.by_other)},
        {"truncated signature", truncated},
    };
    for (const auto& r : refused) {
        ASSERT_TRUE(Check(r.file, keys_.publisher)) << r.what;
        EXPECT_EQ(update_->End(), update::UpdateEnd::kRefusedDownload) << r.what;
        ASSERT_FALSE(host_->Messages().empty()) << r.what;
        EXPECT_EQ(host_->Messages().back().text, Text(extra::kUpdateNotSigned)) << r.what;
        EXPECT_EQ(server_->DownloadRequests(), 1u) << r.what;
        EXPECT_EQ(FilesLeft(), std::vector<std::string>{}) << r.what;
        EXPECT_EQ(system_.starts, 0) << r.what;
    }
}

TEST_F(UpdateAgainstLoopbackServer, TheSignedProgramIsHandedOverAndHeldUntilTheProgramEnds) {
    ASSERT_TRUE(keys_.publisher);
    const Bytes file = keys_.Signed(keys_.by_publisher);
    ASSERT_TRUE(Check(file, keys_.publisher));
    EXPECT_EQ(update_->End(), update::UpdateEnd::kHandedOver);
    EXPECT_EQ(system_.starts, 1);
    EXPECT_EQ(system_.exits.load(), 1);
    const fs::path download = dir_ / update::kDownloadName;
    EXPECT_EQ(ReadAll(download), file);
    EXPECT_EQ(system_.batch_text, ReadAll(dir_ / update::kBatchName));
    // Until the program ends nobody swaps what was checked, nor the batch file that starts it.
    EXPECT_FALSE(OpensFor(download, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE));
    EXPECT_FALSE(DeleteFileW((dir_ / update::kBatchName).wstring().c_str()));
    update_.reset();
    EXPECT_TRUE(DeleteFileW(download.wstring().c_str()));
}

// Once this program has ended the interpreter still holds what was checked: while the batch runs nobody
// writes, renames or deletes the download or the batch file, and the batch copies the download into
// place. When it ends, the files are free again.
TEST_F(UpdateAgainstLoopbackServer, TheBatchHoldsWhatWasCheckedWhileItRuns) {
    ASSERT_TRUE(keys_.publisher);
    // Waits for this test's go (a bounded loop), then does what the real batch does with the download.
    system_.stand_in = dir_ / "stand-in.bat";
    std::ofstream(system_.stand_in, std::ios::binary)
        << "@echo off\r\nset n=0\r\n:wait\r\nset /a n+=1\r\n"
           "if exist go.txt goto go\r\n"
           "if %n% lss 200000 goto wait\r\n:go\r\n"
           "copy /b /y \"ServerUpDataxsxsxs.exe\" \"vela.exe\" >nul\r\n"
           "echo done> done.txt\r\n";
    const Bytes file = keys_.Signed(keys_.by_publisher);
    ASSERT_TRUE(Check(file, keys_.publisher));
    ASSERT_EQ(update_->End(), update::UpdateEnd::kHandedOver);
    update_.reset();  // what this program held is let go, as at its end
    const fs::path download = dir_ / update::kDownloadName;
    const fs::path batch = dir_ / update::kBatchName;
    for (const fs::path& held : {download, batch}) {
        SCOPED_TRACE(held.filename().string());
        EXPECT_FALSE(OpensFor(held, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE));
        EXPECT_FALSE(MoveFileW(held.wstring().c_str(), (dir_ / "moved").wstring().c_str()));
        EXPECT_FALSE(DeleteFileW(held.wstring().c_str()));
    }
    std::ofstream(dir_ / "go.txt") << "go";
    ASSERT_TRUE(testing::WaitUntil([&] { return fs::exists(dir_ / "done.txt"); }));
    EXPECT_EQ(ReadAll(dir_ / "vela.exe"), file);
    EXPECT_TRUE(testing::WaitUntil([&] { return DeleteFileW(download.wstring().c_str()) != 0; }))
        << "the batch has ended";
    EXPECT_TRUE(DeleteFileW(batch.wstring().c_str()));
}

TEST_F(UpdateAgainstLoopbackServer, ABuildWithoutAKeyNeverDownloads) {
    ASSERT_TRUE(Check(keys_.Signed(keys_.by_publisher), std::nullopt));
    EXPECT_EQ(update_->End(), update::UpdateEnd::kNoPublisherKey);
    ASSERT_EQ(host_->Messages().size(), 1u);
    EXPECT_EQ(host_->Messages()[0].text, Text(extra::kUpdateNotInThisBuild));
    EXPECT_EQ(server_->DownloadRequests(), 0u);
    EXPECT_EQ(FilesLeft(), std::vector<std::string>{});
}

}  // namespace
}  // namespace vela
