// The update thread against the loopback update server, on real sockets and a sped-up clock.
#include "core/update/online_update.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>

#include "core/text/strings.h"
#include "platform/update_network.h"
#include "sim/update_server.h"
#include "support/link_fakes.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace vela::update {
namespace {

using sim::UpdateServer;
using sim::UpdateServerMode;
using Bytes = std::vector<std::uint8_t>;

// Ten seconds of the design's waits pass in 100 ms.
constexpr double kClockSpeed = 100.0;

Bytes ProgramBytes(std::size_t size) {
    Bytes b(size, 0);
    for (std::size_t k = 0; k < size; ++k)
        b[k] = static_cast<std::uint8_t>(k * 7 + 3);
    b[0] = 'M';
    b[1] = 'Z';
    b[0x3C] = 0x80;
    b[0x3D] = b[0x3E] = b[0x3F] = 0;
    b[0x80] = 'P';
    b[0x81] = 'E';
    b[0x82] = b[0x83] = 0;
    b[0x84] = 0x64;
    b[0x85] = 0x86;
    b[0x96] = 0x22;
    b[0x97] = 0x00;
    return b;
}

Bytes ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Answers the update question as told and records every box and what the progress display was told.
class ScriptedHost final : public ILinkHost {
  public:
    explicit ScriptedHost(MessageAnswer answer) : answer_(answer) {}
    void PostNotify(LinkNotify, std::intptr_t) override {}
    void SendNotify(LinkNotify, std::intptr_t) override {}
    MessageAnswer ShowMessage(std::wstring_view text, std::wstring_view caption,
                              MessageButtons buttons) override {
        std::lock_guard lock(mutex_);
        texts_.emplace_back(text);
        captions_.emplace_back(caption);
        return buttons == MessageButtons::kOkCancel ? answer_ : MessageAnswer::kOk;
    }
    void ProgressSetRange(int maximum) override {
        std::lock_guard lock(mutex_);
        range_ = maximum;
        ++progress_calls_;
    }
    void ProgressSetFormat(std::wstring_view format) override {
        std::lock_guard lock(mutex_);
        format_ = format;
        ++progress_calls_;
    }
    void ProgressSetPos(int position) override {
        std::lock_guard lock(mutex_);
        position_ = position;
        ++progress_calls_;
    }
    void ProgressShow(bool visible) override {
        std::lock_guard lock(mutex_);
        visible_ = visible;
        ++progress_calls_;
    }
    void SetTitle(std::wstring_view) override {}

    std::vector<std::wstring> Texts() {
        std::lock_guard lock(mutex_);
        return texts_;
    }
    std::vector<std::wstring> Captions() {
        std::lock_guard lock(mutex_);
        return captions_;
    }
    std::size_t Asked() { return Texts().size(); }
    int range_ = 0, position_ = -1, progress_calls_ = 0;
    bool visible_ = false;
    std::wstring format_;

  private:
    std::mutex mutex_;
    MessageAnswer answer_;
    std::vector<std::wstring> texts_, captions_;
};

// The test's stand-in for the publisher's signature: a checksum of the key and the program. The real
// ECDSA check is the platform's and is tested under Windows.
std::array<std::uint8_t, kSignatureSize> FakeSignature(const Bytes& program, const PublisherKey& key) {
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&](std::uint8_t b) { h = (h ^ b) * 1099511628211ull; };
    std::for_each(key.xy.begin(), key.xy.end(), mix);
    std::for_each(program.begin(), program.end(), mix);
    std::array<std::uint8_t, kSignatureSize> signature{};
    for (std::size_t k = 0; k < signature.size(); ++k) {
        mix(static_cast<std::uint8_t>(k));
        signature[k] = static_cast<std::uint8_t>(h >> 56);
    }
    return signature;
}

const PublisherKey kPublisher = [] {
    PublisherKey key;
    key.xy.fill(0x11);
    return key;
}();
const PublisherKey kStranger = [] {
    PublisherKey key;
    key.xy.fill(0x22);
    return key;
}();

Bytes Signed(Bytes program, const PublisherKey& key = kPublisher) {
    const auto signature = FakeSignature(program, key);
    program.insert(program.end(), signature.begin(), signature.end());
    program.insert(program.end(), kSignatureMagic.begin(), kSignatureMagic.end());
    return program;
}

// A held file on a plain stream; holding others off is the platform's part.
class StreamHeldFile final : public IHeldFile {
  public:
    explicit StreamHeldFile(std::filesystem::path path)
        : path_(std::move(path)),
          file_(path_, std::ios::in | std::ios::out | std::ios::binary | std::ios::trunc) {}
    bool Open() const { return file_.is_open(); }
    bool Write(std::span<const std::uint8_t> data) override {
        return static_cast<bool>(file_.seekp(0, std::ios::end)
                                     .write(reinterpret_cast<const char*>(data.data()),
                                            static_cast<std::streamsize>(data.size())));
    }
    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        file_.clear();
        return file_.seekg(static_cast<std::streamoff>(offset)) &&
               file_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
    }
    bool Seal() override { return static_cast<bool>(file_.flush()); }
    void Discard() override {
        file_.close();
        std::filesystem::remove(path_);
    }

  private:
    std::filesystem::path path_;
    std::fstream file_;
};

// Records the hand-over instead of running a batch file.
class RecordingSystem final : public IUpdateSystem {
  public:
    std::unique_ptr<IHeldFile> CreateHeld(const std::filesystem::path& file) override {
        auto held = std::make_unique<StreamHeldFile>(file);
        return held->Open() ? std::move(held) : nullptr;
    }
    bool VerifySignature(IHeldFile& file, std::uint64_t size,
                         std::span<const std::uint8_t, kSignatureSize> signature,
                         const PublisherKey& key) override {
        Bytes program(size);
        if (!file.ReadAt(0, program)) {
            return false;
        }
        const auto expected = FakeSignature(program, key);
        return std::equal(expected.begin(), expected.end(), signature.begin());
    }
    // As an interpreter whose code page lacks '~' (paths here are narrow: a real missing character would not
    // even make it into the path).
    std::optional<std::string> BatchBytes(std::wstring_view text) override {
        std::string bytes;
        for (const wchar_t c : text) {
            if (c > 0x7F || c == L'~') {
                return std::nullopt;
            }
            bytes.push_back(static_cast<char>(c));
        }
        return bytes;
    }
    bool StartBatch(const std::filesystem::path& batch, const std::filesystem::path& directory,
                    std::span<IHeldFile* const> held) override {
        std::lock_guard lock(mutex);
        batch_text = ReadAll(batch);
        batch_dir = directory;
        handed = held.size();
        ++starts;
        return start_succeeds;
    }
    void ExitProgram() override { exits.fetch_add(1); }

    std::atomic<bool> start_succeeds{true};
    std::atomic<int> exits{0};
    std::mutex mutex;
    Bytes batch_text;
    std::filesystem::path batch_dir;
    int starts = 0;
    std::size_t handed = 0;
};

// A name server that answers only when released (or after 20 s, so that no thread waits forever).
struct StalledLookup {
    std::mutex mutex;
    std::condition_variable signal;
    bool entered = false;
    bool released = false;
    bool answered = false;

    void Release() {
        std::lock_guard lock(mutex);
        released = true;
        signal.notify_all();
    }
};

// The real network that also counts what the thread asked of it.
class CountingNetwork final : public IUpdateNetwork {
  public:
    NetworkStart Start() override {
        ++calls;
        return start_result == NetworkStart::kStarted ? real.Start() : start_result;
    }
    std::function<std::optional<std::string>()> Resolver(const std::string& host) override {
        ++calls;
        if (!stalled) {
            return real.Resolver(host);
        }
        return [stall = stalled]() -> std::optional<std::string> {
            std::unique_lock lock(stall->mutex);
            stall->entered = true;
            stall->signal.notify_all();
            stall->signal.wait_for(lock, std::chrono::seconds(20), [&] { return stall->released; });
            stall->answered = true;
            return "127.0.0.1";
        };
    }
    std::unique_ptr<IDatagram> OpenDatagram(const std::string& address, std::uint16_t port) override {
        ++calls;
        return real.OpenDatagram(address, port);
    }
    std::unique_ptr<IStream> Connect(const std::string& address, std::uint16_t port,
                                     std::uint32_t timeout_ms) override {
        ++calls;
        return real.Connect(address, port, timeout_ms);
    }
    SocketUpdateNetwork real;
    std::atomic<int> calls{0};
    NetworkStart start_result = NetworkStart::kStarted;
    std::shared_ptr<StalledLookup> stalled;
};

class OnlineUpdateTest : public ::testing::Test {
  protected:
    void Serve(UpdateServerMode mode, Bytes file = Signed(ProgramBytes(5000)),
               bool header_with_data = false) {
        sim::UpdateServerOptions options;
        options.mode = mode;
        options.file = std::move(file);
        options.header_with_data = header_with_data;
        server_ = std::make_unique<UpdateServer>(options);
        std::string error;
        ASSERT_TRUE(server_->Start(&error)) << error;
    }

    void Run(MessageAnswer answer, bool configured = true) {
        Run(answer, configured, dir_.Path(), kPublisher);
    }
    void Run(MessageAnswer answer, bool configured, const std::filesystem::path& work_dir,
             std::optional<PublisherKey> key) {
        update_.reset();
        host_ = std::make_unique<ScriptedHost>(answer);
        UpdateSettings settings;
        if (configured) {
            settings.server = UpdateHost{"127.0.0.1", server_ ? server_->Port() : kDefaultPort};
        }
        settings.work_dir = work_dir;
        settings.exe_name = L"vela.exe";
        settings.publisher_key = key;
        settings.query = {3, 1, 0x000906EA, 0xBFEBFBFF};
        update_ = std::make_unique<OnlineUpdate>(settings, network_, system_, *host_, link_running_, clock_,
                                                 code_page_);
        update_->Start();
    }

    bool WaitEnd() {
        return testing::WaitUntil([&] { return update_->Finished(); });
    }

    std::vector<std::string> FilesLeft() {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_.Path()))
            names.push_back(e.path().filename().string());
        return names;
    }

    testing::TempDir dir_;
    CountingNetwork network_;
    RecordingSystem system_;
    SystemClock clock_{kClockSpeed};
    testing::Latin1CodePage code_page_;
    std::atomic<bool> link_running_{true};
    std::unique_ptr<UpdateServer> server_;
    std::unique_ptr<ScriptedHost> host_;
    std::unique_ptr<OnlineUpdate> update_;
};

TEST_F(OnlineUpdateTest, WithoutAServerNothingIsSent) {
    Run(MessageAnswer::kOk, false);
    ASSERT_TRUE(WaitEnd());
    EXPECT_EQ(update_->End(), UpdateEnd::kNoServer);
    EXPECT_EQ(network_.calls.load(), 0);
}

TEST_F(OnlineUpdateTest, SocketLibraryFailuresShowTheirChineseMessageAndEnd) {
    for (const auto& [start, end, text] :
         {std::tuple{NetworkStart::kFailed, UpdateEnd::kSocketStartFailed, chinese_only::kSocketStartFailed},
          std::tuple{NetworkStart::kWrongVersion, UpdateEnd::kSocketWrongVersion,
                     chinese_only::kSocketVersionWrong}}) {
        network_.start_result = start;
        Run(MessageAnswer::kOk);
        ASSERT_TRUE(WaitEnd());
        EXPECT_EQ(update_->End(), end);
        EXPECT_EQ(host_->Texts(), std::vector<std::wstring>{std::wstring(text)});
        EXPECT_EQ(update_->QueriesSent(), 0u);
    }
}

TEST_F(OnlineUpdateTest, NoUpdateAsksAgainWithoutAMessageUntilStopped) {
    Serve(UpdateServerMode::kNoUpdate);
    Run(MessageAnswer::kOk);
    ASSERT_TRUE(testing::WaitUntil([&] { return server_->Queries() >= 3; }));
    const auto expected = BuildQuery({3, 1, 0x000906EA, 0xBFEBFBFF});
    EXPECT_EQ(server_->LastQuery(), Bytes(expected.begin(), expected.end()));
    EXPECT_FALSE(update_->Finished());
    update_->Stop();
    EXPECT_EQ(update_->End(), UpdateEnd::kStopped);
    EXPECT_TRUE(host_->Texts().empty());
    EXPECT_EQ(server_->DownloadRequests(), 0u);
}

TEST_F(OnlineUpdateTest, ClosingLeavesAStalledNameLookupBehind) {
    auto stall = std::make_shared<StalledLookup>();
    network_.stalled = stall;
    Run(MessageAnswer::kOk);
    {
        std::unique_lock lock(stall->mutex);
        ASSERT_TRUE(stall->signal.wait_for(lock, std::chrono::seconds(30), [&] { return stall->entered; }));
    }
    update_->Stop();
    EXPECT_EQ(update_->End(), UpdateEnd::kStopped);
    {
        std::lock_guard lock(stall->mutex);
        EXPECT_FALSE(stall->answered);
    }
    stall->Release();
    EXPECT_EQ(update_->QueriesSent(), 0u);
}

TEST_F(OnlineUpdateTest, BrokenRepliesAreIgnoredAndAskedAgain) {
    for (const auto mode : {UpdateServerMode::kBadCrc, UpdateServerMode::kWrongMagic,
                            UpdateServerMode::kShort, UpdateServerMode::kNoAnswer}) {
        Serve(mode);
        Run(MessageAnswer::kOk);
        ASSERT_TRUE(testing::WaitUntil([&] { return server_->Queries() >= 2; }));
        update_->Stop();
        EXPECT_EQ(update_->End(), UpdateEnd::kStopped);
        EXPECT_TRUE(host_->Texts().empty());
        EXPECT_EQ(server_->DownloadRequests(), 0u);
    }
}

TEST_F(OnlineUpdateTest, EchoOfTheIdentificationEndsTheThreadSilently) {
    Serve(UpdateServerMode::kEcho);
    Run(MessageAnswer::kOk);
    ASSERT_TRUE(WaitEnd());
    EXPECT_EQ(update_->End(), UpdateEnd::kIdentified);
    EXPECT_TRUE(host_->Texts().empty());
    EXPECT_EQ(server_->Queries(), 1u);
}

TEST_F(OnlineUpdateTest, DecliningEndsTheThreadWithoutADownload) {
    Serve(UpdateServerMode::kOffer);
    Run(MessageAnswer::kCancel);
    ASSERT_TRUE(WaitEnd());
    EXPECT_EQ(update_->End(), UpdateEnd::kDeclined);
    EXPECT_EQ(host_->Texts(), std::vector<std::wstring>{std::wstring(Text(str::kSoftwareUpdateAvailable))});
    EXPECT_EQ(host_->Captions(), std::vector<std::wstring>{std::wstring(Text(str::kTip))});
    EXPECT_EQ(server_->DownloadRequests(), 0u);
    EXPECT_EQ(server_->Queries(), 1u);
}

TEST_F(OnlineUpdateTest, CompleteDownloadIsRenamedReportedAndHandedOver) {
    for (const bool header_with_data : {false, true}) {
        const Bytes program = Signed(ProgramBytes(7777));
        Serve(UpdateServerMode::kOffer, program, header_with_data);
        Run(MessageAnswer::kOk);
        ASSERT_TRUE(WaitEnd());
        EXPECT_EQ(update_->End(), UpdateEnd::kHandedOver);
        // The signature stays attached: Windows ignores what follows the image.
        EXPECT_EQ(ReadAll(dir_ / kDownloadName), program) << "header with data " << header_with_data;
        EXPECT_EQ(system_.exits.load(), 1);
        const std::wstring batch = *BuildBatchText(L"vela.exe", dir_.Path().wstring());
        EXPECT_EQ(system_.batch_text, Bytes(batch.begin(), batch.end()));
        EXPECT_EQ(ReadAll(dir_ / kBatchName), system_.batch_text);
        EXPECT_EQ(system_.batch_dir, dir_.Path());
        EXPECT_EQ(system_.handed, 2u) << "the download and the batch file stay held while the batch runs";
        EXPECT_EQ(server_->WrongTickets(), 0u);
        ASSERT_TRUE(testing::WaitUntil([&] { return server_->CompletionReports().size() == 1; }));
        EXPECT_EQ(server_->CompletionReports()[0], *BuildCompletionReport(program.size(), "vela.exe", 8));
        EXPECT_EQ(host_->range_, static_cast<int>(program.size()));
        EXPECT_EQ(host_->position_, static_cast<int>(program.size()));
        EXPECT_EQ(host_->format_, Text(str::kOnlineUpdate));
        EXPECT_FALSE(host_->visible_);
        update_.reset();
        std::filesystem::remove(dir_ / kDownloadName);
        std::filesystem::remove(dir_ / kBatchName);
        system_.exits = 0;
    }
}

TEST_F(OnlineUpdateTest, InterruptedShortOrOverlongDownloadLeavesNoFileAndAsksAgain) {
    for (const auto mode : {UpdateServerMode::kDropHalfway, UpdateServerMode::kSizeLarger,
                            UpdateServerMode::kSizeSmaller, UpdateServerMode::kSilentTcp}) {
        Serve(mode);
        Run(MessageAnswer::kOk);
        // The user is asked again on the next pass.
        ASSERT_TRUE(
            testing::WaitUntil([&] { return host_->Asked() >= 2 && server_->DownloadRequests() >= 2; }));
        update_->Stop();
        EXPECT_EQ(update_->End(), UpdateEnd::kStopped);
        EXPECT_EQ(FilesLeft(), std::vector<std::string>{}) << static_cast<int>(mode);
        EXPECT_EQ(system_.starts, 0);
        EXPECT_EQ(system_.exits.load(), 0);
    }
}

TEST_F(OnlineUpdateTest, OnlyAProgramSignedWithThePublisherKeyIsHandedOver) {
    const Bytes program = ProgramBytes(5000);
    const std::string script = "@echo off\r\necho not a program\r\n";
    Bytes truncated = Signed(program);
    truncated.erase(truncated.end() - 20, truncated.end() - 8);  // the magic is whole, the signature short
    Bytes tampered = Signed(program);
    tampered[100] ^= 1;
    const struct {
        const char* what;
        Bytes file;
        const LocalizedString& why;
    } refused[] = {
        {"unsigned", program, extra::kUpdateNotSigned},
        {"signed by another key", Signed(program, kStranger), extra::kUpdateNotSigned},
        {"truncated signature", truncated, extra::kUpdateNotSigned},
        {"changed after signing", tampered, extra::kUpdateNotSigned},
        {"only a trailer", Bytes(kSignatureMagic.begin(), kSignatureMagic.end()), extra::kUpdateNotSigned},
        {"signed, but no program", Signed(Bytes(script.begin(), script.end())), extra::kUpdateNotProgram},
    };
    for (const auto& r : refused) {
        Serve(UpdateServerMode::kOffer, r.file);
        Run(MessageAnswer::kOk);
        ASSERT_TRUE(WaitEnd()) << r.what;
        EXPECT_EQ(update_->End(), UpdateEnd::kRefusedDownload) << r.what;
        EXPECT_EQ(host_->Texts().back(), Text(r.why)) << r.what;
        EXPECT_EQ(FilesLeft(), std::vector<std::string>{}) << r.what;
        EXPECT_EQ(system_.starts, 0) << r.what;
        EXPECT_EQ(server_->DownloadRequests(), 1u) << r.what;
    }
}

TEST_F(OnlineUpdateTest, ABuildWithoutAKeyOrAFolderItCannotWriteSaysSoOnceAndNeverDownloads) {
    Serve(UpdateServerMode::kOffer);
    Run(MessageAnswer::kOk, true, dir_.Path(), std::nullopt);
    ASSERT_TRUE(WaitEnd());
    EXPECT_EQ(update_->End(), UpdateEnd::kNoPublisherKey);
    EXPECT_EQ(host_->Texts(), std::vector<std::wstring>{std::wstring(Text(extra::kUpdateNotInThisBuild))});
    EXPECT_EQ(server_->DownloadRequests(), 0u);

    Run(MessageAnswer::kOk, true, dir_ / "no-such-folder", kPublisher);
    ASSERT_TRUE(WaitEnd());
    EXPECT_EQ(update_->End(), UpdateEnd::kFolderNotWritable);
    EXPECT_EQ(host_->Texts(), std::vector<std::wstring>{std::wstring(Text(extra::kUpdateFolderNotWritable))});
    EXPECT_EQ(server_->DownloadRequests(), 0u);
    EXPECT_EQ(server_->Queries(), 2u);
}

TEST_F(OnlineUpdateTest, BatchThatCannotStartKeepsTheThreadAsking) {
    system_.start_succeeds = false;
    Serve(UpdateServerMode::kOffer);
    Run(MessageAnswer::kOk);
    ASSERT_TRUE(testing::WaitUntil([&] {
        std::lock_guard lock(system_.mutex);
        return system_.starts >= 2;
    }));
    update_->Stop();
    EXPECT_EQ(system_.exits.load(), 0);
    EXPECT_FALSE(update_->Finished() && update_->End() == UpdateEnd::kHandedOver);
}

TEST_F(OnlineUpdateTest, NameTheBatchFileCannotCarryEndsTheThreadWithoutRunningAnything) {
    Serve(UpdateServerMode::kOffer);
    // A character the interpreter's code page lacks, then one it would act on even inside quotes.
    const std::filesystem::path odd = dir_ / "old~folder";
    std::filesystem::create_directories(odd);
    Run(MessageAnswer::kOk, true, odd, kPublisher);
    ASSERT_TRUE(WaitEnd());
    EXPECT_EQ(update_->End(), UpdateEnd::kCannotWriteBatch);
    EXPECT_EQ(host_->Texts().back(), Text(extra::kUpdateFolderName));
    EXPECT_TRUE(std::filesystem::is_empty(odd));

    host_ = std::make_unique<ScriptedHost>(MessageAnswer::kOk);
    UpdateSettings settings;
    settings.server = UpdateHost{"127.0.0.1", server_->Port()};
    settings.work_dir = dir_.Path();
    settings.exe_name = L"vela&calc.exe";
    settings.publisher_key = kPublisher;
    update_ = std::make_unique<OnlineUpdate>(settings, network_, system_, *host_, link_running_, clock_,
                                             code_page_);
    update_->Start();
    ASSERT_TRUE(WaitEnd());
    EXPECT_EQ(update_->End(), UpdateEnd::kCannotWriteBatch);
    EXPECT_EQ(FilesLeft(), std::vector<std::string>{"old~folder"});
    EXPECT_EQ(system_.starts, 0);
}

TEST_F(OnlineUpdateTest, ProgressIsLeftAloneWhileTheLinkIsNotRunning) {
    link_running_ = false;
    Serve(UpdateServerMode::kOffer);
    Run(MessageAnswer::kOk);
    ASSERT_TRUE(WaitEnd());
    EXPECT_EQ(update_->End(), UpdateEnd::kHandedOver);
    EXPECT_EQ(host_->progress_calls_, 0);
}

TEST_F(OnlineUpdateTest, FloodOfOffersIsAskedOnceAndTriedAFewTimesPerReply) {
    // The flooding server offers dozens of updates per datagram and then stays silent on TCP.
    Serve(UpdateServerMode::kFlood);
    Run(MessageAnswer::kOk);
    ASSERT_TRUE(testing::WaitUntil([&] { return server_->Queries() >= 2; }));
    update_->Stop();
    const auto queries = server_->Queries();
    EXPECT_LE(host_->Asked(), queries);
    EXPECT_GE(server_->DownloadRequests(), OnlineUpdate::kMaxOffersPerDatagram);
    EXPECT_LE(server_->DownloadRequests(), queries * OnlineUpdate::kMaxOffersPerDatagram);
}

}  // namespace
}  // namespace vela::update
