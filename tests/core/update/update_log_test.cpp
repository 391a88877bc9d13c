#include "core/update/update_log.h"

#include <gtest/gtest.h>

#include <mutex>

#include "platform/update_network.h"
#include "sim/update_server.h"
#include "support/link_fakes.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace vela::update {
namespace {

class LinesSink final : public diag::IEventSink {
  public:
    void Event(std::string_view name, std::initializer_list<diag::LogField> fields) override {
        std::string line(name);
        for (const auto& f : fields)
            line.append(" ").append(f.key).append("=").append(f.value);
        std::lock_guard lock(mutex_);
        text_ += line + "\n";
    }
    std::string Text() const {
        std::lock_guard lock(mutex_);
        return text_;
    }

  private:
    mutable std::mutex mutex_;
    std::string text_;
};

class NoSystem final : public IUpdateSystem {
  public:
    std::unique_ptr<IHeldFile> CreateHeld(const std::filesystem::path&) override { return nullptr; }
    bool VerifySignature(IHeldFile&, std::uint64_t, std::span<const std::uint8_t, kSignatureSize>,
                         const PublisherKey&) override {
        return false;
    }
    std::optional<std::string> BatchBytes(std::wstring_view) override { return std::nullopt; }
    bool StartBatch(const std::filesystem::path&, const std::filesystem::path&,
                    std::span<IHeldFile* const>) override {
        return false;
    }
    void ExitProgram() override {}
};

TEST(UpdateLog, EachCheckAndItsReplyAreLoggedAndTheThreadWorksAsBefore) {
    sim::UpdateServerOptions options;
    options.mode = sim::UpdateServerMode::kNoUpdate;
    sim::UpdateServer server(options);
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;

    testing::TempDir dir;
    SocketUpdateNetwork network;
    LinesSink lines;
    LoggedUpdateNetwork logged(network, lines);
    NoSystem system;
    testing::RecordingHost host;
    SystemClock clock{100.0};
    testing::Latin1CodePage code_page;
    std::atomic<bool> link_running{true};
    UpdateSettings settings;
    settings.server = UpdateHost{"127.0.0.1", server.Port()};
    settings.work_dir = dir.Path();
    settings.exe_name = L"vela.exe";
    settings.query = {3, 1, 0x000906EA, 0xBFEBFBFF};
    OnlineUpdate update(settings, logged, system, host, link_running, clock, code_page);
    update.Start();
    ASSERT_TRUE(testing::WaitUntil([&] { return server.Queries() >= 2 && update.QueriesSent() >= 2; }));
    ASSERT_TRUE(testing::WaitUntil([&] {
        return lines.Text().find("result=reply bytes=") != std::string::npos;
    })) << lines.Text();
    update.Stop();
    EXPECT_EQ(update.End(), UpdateEnd::kStopped);
    for (const std::string& line :
         {std::string("update_check host=127.0.0.1 result=looking up\n"),
          "update_check address=127.0.0.1 port=" + std::to_string(server.Port()) + " result=asking\n"}) {
        EXPECT_NE(lines.Text().find(line), std::string::npos) << line << " in\n" << lines.Text();
    }
}

}  // namespace
}  // namespace vela::update
