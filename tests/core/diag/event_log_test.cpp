#include "core/diag/event_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/temp_dir.h"

namespace vela::diag {
namespace {

using namespace std::chrono;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

system_clock::time_point FixedTime() {
    return sys_days{year{2026} / 12 / 9} + hours{18} + minutes{38} + seconds{52} + milliseconds{7};
}

TEST(EventLogFormat, LinesCarryTimeNameAndEscapedFields) {
    struct Case {
        std::string value;
        std::string written;
    };
    const Case cases[] = {
        {"25089", "25089"},
        {"two words", "\"two words\""},
        {"", "\"\""},
        // A device-supplied name cannot end the line, forge a field or send terminal escapes.
        {"a\nb", "a\\x0ab"},
        {"x\" forged=1", "\"x\\x22 forged=1\""},
        {"\x1b[31mred", "\\x1b[31mred"},
        {"back\\slash", "back\\x5cslash"},
        {"\xc4\xe3\xba\xc3", "\\xc4\\xe3\\xba\\xc3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatLogLine(FixedTime(), "identify", {{"scene", c.value}}),
                  "2026-12-09 18:38:52.007Z identify scene=" + c.written)
            << c.value;
    }
}

TEST(EventLogFormat, SecretsAreNeverWritten) {
    const std::string secret = "hunter2-wifi";
    for (std::string_view key : {"password", "Password", "wifi_password", "pw", "PW", "key", "wifi_key",
                                 "psk", "passphrase", "secret"}) {
        const auto line = FormatLogLine(FixedTime(), "wifi", {{key, secret}, {"ssid", "Room 3"}});
        EXPECT_EQ(line.find("hunter2"), std::string::npos) << line;
        EXPECT_NE(line.find("=***"), std::string::npos) << line;
        EXPECT_NE(line.find("ssid=\"Room 3\""), std::string::npos) << line;
    }
    for (std::string_view key : {"ssid", "device_id", "reason", "ms", "path"}) {
        EXPECT_FALSE(IsSecretKey(key)) << key;
    }
}

TEST(EventLogFile, RollsAtItsSizeAndKeepsThreeFiles) {
    testing::TempDir dir;
    constexpr std::uintmax_t kMax = 100;
    {
        RollingFile file(dir.Path() / "logs", "vela.log", kMax, 3);
        ASSERT_TRUE(file.Ok());
        // Ten bytes a line: ten lines to a file.
        for (int i = 0; i < 20; ++i) {
            char line[16];
            std::snprintf(line, sizeof line, "line %04d\n", i);
            file.Write(line);
        }
        file.Flush();
    }
    const auto folder = dir.Path() / "logs";
    EXPECT_FALSE(std::filesystem::exists(folder / "vela.log.3"));
    const std::string newest = ReadAll(folder / "vela.log");
    const std::string older = ReadAll(folder / "vela.log.1");
    EXPECT_LE(newest.size(), kMax);
    EXPECT_LE(older.size(), kMax);
    EXPECT_NE(newest.find("line 0019"), std::string::npos);
    EXPECT_NE(older.find("line 0009"), std::string::npos);

    // Reopened, the file counts what it already holds: the next lines roll the oldest away.
    {
        RollingFile file(folder, "vela.log", kMax, 3);
        for (int i = 0; i < 11; ++i)
            file.Write("more line\n");
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "vela.log.3"));
    EXPECT_NE(ReadAll(folder / "vela.log.2").find("line 0019"), std::string::npos);
    std::string ten_more;
    for (int i = 0; i < 10; ++i)
        ten_more += "more line\n";
    EXPECT_EQ(ReadAll(folder / "vela.log.1"), ten_more);
    EXPECT_EQ(ReadAll(folder / "vela.log"), "more line\n");
}

// Holds the writer thread in its first write until released, so the queue can be filled behind it.
class GateOutput : public ILogOutput {
  public:
    GateOutput(std::atomic<bool>& entered, std::atomic<bool>& open, std::vector<std::string>& lines)
        : entered_(entered), open_(open), lines_(lines) {}
    void Write(std::string_view line) override {
        entered_ = true;
        for (int i = 0; i < 1000 && !open_.load(); ++i)
            std::this_thread::sleep_for(milliseconds(5));
        lines_.emplace_back(line);
    }

  private:
    std::atomic<bool>& entered_;
    std::atomic<bool>& open_;
    std::vector<std::string>& lines_;
};

TEST(EventLogQueue, AFullQueueDropsLinesWithoutWaitingAndCountsThem) {
    std::atomic<bool> entered{false};
    std::atomic<bool> open{false};
    std::vector<std::string> lines;
    constexpr std::size_t kCapacity = 4;
    EventLog log(kCapacity, &FixedTime);
    log.AddOutput(std::make_unique<GateOutput>(entered, open, lines));
    log.Start();
    ASSERT_TRUE(log.Post("first"));
    for (int i = 0; i < 1000 && !entered.load(); ++i)
        std::this_thread::sleep_for(milliseconds(5));
    ASSERT_TRUE(entered.load());

    int accepted = 0;
    for (int i = 0; i < 10; ++i)
        accepted += log.Post("queued " + std::to_string(i)) ? 1 : 0;
    EXPECT_EQ(accepted, static_cast<int>(kCapacity));
    EXPECT_EQ(log.Dropped(), 10u - kCapacity);

    open = true;
    log.Stop();
    ASSERT_EQ(lines.size(), 1 + kCapacity + 1);
    EXPECT_EQ(lines.front(), "first\n");
    EXPECT_EQ(lines[kCapacity], "queued 3\n");
    EXPECT_EQ(lines.back(), "2026-12-09 18:38:52.007Z log dropped=6\n");
    EXPECT_FALSE(log.Post("after stop"));
}

TEST(EventLogQueue, EventsFromSeveralThreadsAllReachTheFile) {
    testing::TempDir dir;
    {
        EventLog log(10000);
        log.AddOutput(std::make_unique<RollingFile>(dir.Path(), "vela.log"));
        log.Start();
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&log, t] {
                for (int i = 0; i < 100; ++i)
                    log.Event("retry", {{"thread", std::to_string(t)}, {"password", "never"}});
            });
        }
        for (auto& thread : threads)
            thread.join();
    }
    const std::string text = ReadAll(dir.Path() / "vela.log");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 400);
    EXPECT_EQ(text.find("never"), std::string::npos);
}

}  // namespace
}  // namespace vela::diag
