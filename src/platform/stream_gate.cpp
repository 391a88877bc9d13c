#include <algorithm>
#include <chrono>

#include "platform/stream_access.h"

namespace vela::auth {

namespace {
constexpr std::uint32_t kSliceMs = 50;
constexpr std::uint32_t kSendLimitMs = 1000;

bool Send(net::Socket& socket, const Message& message) {
    const Report r = Encode(message);
    return socket.SendAll(r.data(), r.size(), kSendLimitMs) == net::IoResult::kOk;
}
}  // namespace

net::IoResult ReceiveReport(net::Socket& socket, Report& report, std::uint32_t limit_ms,
                            const std::atomic<bool>& abort) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit_ms);
    std::size_t have = 0;
    while (have < report.size()) {
        if (abort.load()) {
            return net::IoResult::kClosed;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                .count();
        if (left <= 0) {
            return net::IoResult::kTimeout;
        }
        std::size_t got = 0;
        const auto r = socket.Receive(report.data() + have, report.size() - have, got,
                                      static_cast<std::uint32_t>(std::min<long long>(left, kSliceMs)));
        if (r == net::IoResult::kTimeout) {
            continue;
        }
        if (r != net::IoResult::kOk) {
            return r;
        }
        have += got;
    }
    return net::IoResult::kOk;
}

Admission Admit(net::Socket& client, ServerHandshake& handshake, std::uint32_t limit_ms,
                const std::atomic<bool>& stop) {
    const Message greeting = handshake.Greeting();
    if (!Send(client, greeting)) {
        return {false, "the connection failed before the greeting was sent"};
    }
    if (greeting.kind == MessageKind::kRefused) {
        return {false, RefusalText(greeting)};
    }
    if (!handshake.NeedsAnswer()) {
        return {true, {}};
    }
    Report answer{};
    const auto r = ReceiveReport(client, answer, limit_ms, stop);
    if (r != net::IoResult::kOk) {
        Message refused;
        refused.kind = MessageKind::kRefused;
        refused.reason = Refusal::kNoAnswer;
        if (r == net::IoResult::kTimeout) {
            (void)Send(client, refused);
        }
        return {false, r == net::IoResult::kTimeout ? RefusalText(refused) : "left before answering"};
    }
    const Message verdict = handshake.Judge(answer);
    const bool sent = Send(client, verdict);
    if (verdict.kind != MessageKind::kAccepted) {
        return {false, RefusalText(verdict)};
    }
    return {sent, sent ? std::string() : "the connection failed after the handshake"};
}

void RefuseBusy(net::Socket& client, const std::string& holder, std::int64_t since) {
    Message busy;
    busy.kind = MessageKind::kRefused;
    busy.reason = Refusal::kBusy;
    busy.holder = holder;
    busy.since = since;
    (void)Send(client, busy);
}

}  // namespace vela::auth
