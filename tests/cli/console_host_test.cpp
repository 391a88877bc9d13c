#include "cli/console_host.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>

namespace vela::cli {
namespace {

// A command that waits for values hands the host a callback bound to its own locals; once it takes the
// callback back, no call may still be running on the link's thread, or it would touch them after they died.
TEST(ConsoleHost, TakingTheParameterCallbackBackWaitsForACallInProgress) {
    std::ostringstream err;
    ConsoleHost host(err, false, false);
    std::atomic<bool> started{false};
    std::atomic<bool> finished{false};
    host.SetParameterCallback([&](std::size_t) {
        started = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        finished = true;
    });
    std::thread link([&] { host.PostNotify(LinkNotify::kParameter, 28); });
    while (!started.load())
        std::this_thread::yield();
    host.SetParameterCallback(nullptr);
    EXPECT_TRUE(finished.load());
    link.join();
}

TEST(Utf8, OverlongSurrogateAndOutOfRangeFormsDecodeAsReplacements) {
    const struct {
        std::string bytes;
        std::wstring text;
    } cases[] = {
        {"a\xC3\xA9", L"a\u00E9"},
        {"\xE4\xB8\xAD", L"\u4E2D"},
        {"\xC0\x8A", L"\uFFFD"},          // an overlong line break
        {"\xC1\xBF", L"\uFFFD"},          // an overlong DEL
        {"\xE0\x80\xAF", L"\uFFFD"},      // an overlong slash
        {"\xF0\x80\x80\x8A", L"\uFFFD"},  // the line break in four bytes
        {"\xED\xA0\x80", L"\uFFFD"},      // a surrogate
        {"\xF4\x90\x80\x80", L"\uFFFD"},  // past U+10FFFF
        {"\xC3", L"\uFFFD"},              // cut short
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FromUtf8(c.bytes), c.text) << c.bytes;
    }
    // What the decoder accepts encodes back to the same bytes.
    EXPECT_EQ(ToUtf8(FromUtf8("a\xC3\xA9\xE4\xB8\xAD")), "a\xC3\xA9\xE4\xB8\xAD");
}

}  // namespace
}  // namespace vela::cli
