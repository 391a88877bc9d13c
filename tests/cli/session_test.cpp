#include "cli/session.h"

#include <gtest/gtest.h>

#include <sstream>

#include "core/protocol/protocol.h"

namespace vela::cli {
namespace {

// The read-back's set of arrived values is shared with the link's worker, which reports every value it
// receives, asked for or not (the full link's heartbeat reads some all the time). ThreadSanitizer shows a
// step of the read-back that touches the set outside its lock.
TEST(Session, ReadBacksShareTheirBookkeepingWithTheWorkerSafely) {
    std::ostringstream err;
    ConsoleHost host(err, false, false);
    DeviceSpec spec;
    spec.kind = DeviceSpec::Kind::kSim;
    Session session(spec, host, std::chrono::seconds(5), LinkMode::kFull);
    ASSERT_TRUE(session.Connect().Ok()) << err.str();
    ASSERT_TRUE(session.WaitLoaded().Ok()) << err.str();
    for (int round = 0; round < 10; ++round) {
        Outcome outcome;
        const auto missing = session.ReadValues({28, 800, param::kIdentity}, outcome);
        EXPECT_TRUE(outcome.Ok()) << outcome.message;
        EXPECT_TRUE(missing.empty()) << "round " << round << ": " << missing.size() << " unanswered";
    }
}

}  // namespace
}  // namespace vela::cli
