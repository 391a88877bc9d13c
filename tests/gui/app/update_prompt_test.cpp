// The main window's update check against the loopback update server: the query carries the version from
// the program's version resource, the question comes in the interface's language, and declining ends the
// check without a download. Runs in real time: the first query goes out ten seconds after the start.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/text/strings.h"
#include "core/ui/main_layout.h"
#include "gui/app/main_dialog_win32.h"
#include "gui/support/win_test_support.h"
#include "gui/win/message_box_win32.h"
#include "sim/update_server.h"

namespace vela {
namespace {

using namespace std::chrono_literals;
using testing::PumpUntil;

class UpdatePromptTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_language_ = LanguageIndex();
        SetLanguageIndex(kLanguageTraditional);
        SetMessageBoxResponder([this](const MessageBoxRequest& box) {
            boxes_.push_back(box);
            return (box.type & MB_TYPEMASK) == MB_OKCANCEL ? IDCANCEL : IDOK;
        });
    }
    void TearDown() override {
        window_.reset();
        SetMessageBoxResponder(nullptr);
        SetLanguageIndex(saved_language_);
    }
    void Open(const std::string& update_host) {
        VelaOptions options;
        options.device.kind = DeviceSpec::Kind::kSim;
        options.update_host = update_host;
        window_ = std::make_unique<CZR305M2Dlg>(options);
        ASSERT_TRUE(window_->CreateModeless(nullptr));
    }

    std::unique_ptr<CZR305M2Dlg> window_;
    std::vector<MessageBoxRequest> boxes_;
    int saved_language_ = kLanguageEnglish;
};

// The tests are built without a publisher key, as every build here is: the offer is told once, in the
// interface's language, and nothing is downloaded.
TEST_F(UpdatePromptTest, ABuildWithoutAPublisherKeyTellsOfTheOfferOnceAndDownloadsNothing) {
    sim::UpdateServerOptions options;
    options.mode = sim::UpdateServerMode::kOffer;
    options.file = {'M', 'Z'};
    sim::UpdateServer server(options);
    ASSERT_TRUE(server.Start());
    Open("127.0.0.1:" + std::to_string(server.Port()));
    ASSERT_NE(window_->Update(), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return window_->Update()->Finished(); }, 40s));
    EXPECT_EQ(window_->Update()->End(), update::UpdateEnd::kNoPublisherKey);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, extra::kUpdateNotInThisBuild.members[kLanguageTraditional]);
    EXPECT_EQ(boxes_[0].caption, TextIn(str::kTip, kLanguageTraditional));
    EXPECT_EQ(server.DownloadRequests(), 0u);
    // Version 3.1 from the version resource this test program carries, as vela.exe does.
    const std::vector<std::uint8_t> query = server.LastQuery();
    ASSERT_EQ(query.size(), update::kQuerySize);
    EXPECT_EQ(std::vector<std::uint8_t>(query.begin() + 6, query.begin() + 12),
              (std::vector<std::uint8_t>{0, 3, 0, 1, 'F', 'S'}));
}

TEST_F(UpdatePromptTest, WithoutAnUpdateHostNothingIsSentOrAsked) {
    Open("");
    ASSERT_NE(window_->Update(), nullptr);
    EXPECT_TRUE(PumpUntil([&] { return window_->Update()->Finished(); }, 5s));
    EXPECT_EQ(window_->Update()->End(), update::UpdateEnd::kNoServer);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(UpdatePromptTest, ClosingDuringTheWaitForTheFirstQueryStopsTheCheck) {
    sim::UpdateServer server(sim::UpdateServerOptions{});
    ASSERT_TRUE(server.Start());
    Open("127.0.0.1:" + std::to_string(server.Port()));
    testing::Pump();
    window_.reset();
    EXPECT_EQ(server.Queries(), 0u);
    EXPECT_TRUE(boxes_.empty());
}

}  // namespace
}  // namespace vela
