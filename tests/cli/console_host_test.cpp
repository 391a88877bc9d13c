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

}  // namespace
}  // namespace vela::cli
