#include "sim/sim_server.h"

#include <vector>

#include "platform/stream_access.h"

namespace vela::sim {

namespace {
constexpr std::uint32_t kPollMs = 50;
constexpr std::uint32_t kSendTimeoutMs = 1000;
}  // namespace

bool SimServer::Start(const std::string& host, std::uint16_t port, std::string* error) {
    Stop();
    listener_ = net::Socket::Listen(host, port, error);
    if (!listener_.Valid()) {
        return false;
    }
    host_ = host;
    port_.store(listener_.LocalPort());
    serving_.Start([this] { Serve(); });
    return true;
}

void SimServer::Stop() {
    serving_.Stop();
    listener_.Close();
}

void SimServer::Serve() {
    while (!serving_.Stopping()) {
        if (!device_.Plugged()) {
            listener_.Close();  // an unplugged device: connections are refused
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
            continue;
        }
        if (!listener_.Valid()) {
            listener_ = net::Socket::Listen(host_, port_.load());
            if (!listener_.Valid()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
                continue;
            }
        }
        net::Socket client = listener_.Accept(kPollMs);
        if (client.Valid()) {
            ServeClient(client);
        }
    }
}

bool SimServer::Admitted(net::Socket& client) {
    if (token_.empty()) {
        return true;  // nothing is said before the reports, as before tokens
    }
    auth::ServerHandshake handshake(auth::PlatformCrypto(), token_);
    if (!auth::Admit(client, handshake, auth::kAnswerLimitMs, serving_.StopFlag()).admitted) {
        refusals_.fetch_add(1);
        return false;
    }
    return true;
}

// Host to device: the stream is cut into reports by count alone, so short writes are joined and long ones
// split; whatever the bytes are, the envelope and frame checks sort them out.
void SimServer::ReceiveReports(net::Socket& client, SimulatedDevice::Session session,
                                  std::atomic<bool>& done) {
    std::vector<std::uint8_t> pending;
    std::uint8_t chunk[kReportSize * 4];
    auto last_heard = std::chrono::steady_clock::now();
    while (!done.load() && !serving_.Stopping()) {
        std::size_t got = 0;
        const auto r = client.Receive(chunk, sizeof chunk, got, kPollMs);
        if (r == net::IoResult::kTimeout) {
            if (std::chrono::steady_clock::now() - last_heard >= idle_limit_) {
                break;
            }
            continue;
        }
        last_heard = std::chrono::steady_clock::now();
        if (r != net::IoResult::kOk) {
            break;
        }
        pending.insert(pending.end(), chunk, chunk + got);
        std::size_t at = 0;
        for (; pending.size() - at >= kReportSize; at += kReportSize) {
            if (device_.PutReport(session, std::span(pending.data() + at, kReportSize)) != HidResult::kOk) {
                done.store(true);
                break;
            }
        }
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(at));
    }
    done.store(true);
    device_.WakeAll();
}

void SimServer::ServeClient(net::Socket& client) {
    if (!Admitted(client)) {
        return;
    }
    const auto session = device_.Attach(device_.VendorId(), device_.ProductId());
    if (session == 0) {
        return;  // unplugged between accept and attach: the connection closes at once
    }
    sessions_.fetch_add(1);
    client_connected_.store(true);
    std::atomic<bool> done{false};

    std::thread receiver([&] { ReceiveReports(client, session, done); });

    // Device to host.
    Report report{};
    while (!done.load() && !serving_.Stopping()) {
        const HidResult r = device_.TakeReport(session, report, kPollMs, &done);
        if (r == HidResult::kTimeout) {
            continue;
        }
        if (r != HidResult::kOk ||
            client.SendAll(report.data(), report.size(), kSendTimeoutMs) != net::IoResult::kOk) {
            break;
        }
    }
    done.store(true);
    client.Shutdown();
    receiver.join();
    device_.Detach(session);
    client.Close();
    client_connected_.store(false);
}

}  // namespace vela::sim
