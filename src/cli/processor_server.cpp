#include "cli/processor_server.h"

#include <array>
#include <ctime>

#include "core/protocol/protocol.h"
#include "platform/stream_access.h"

namespace vela::cli {

namespace {
constexpr std::uint32_t kPollMs = 50;
constexpr std::uint32_t kSendMs = 1000;
constexpr std::uint32_t kWriteMs = 1000;
constexpr auto kReopenEvery = std::chrono::seconds(1);
// A controller that reconnects (or velactl's reachability probe) may knock before the server has seen its
// earlier connection close; it is not busy for that.
constexpr auto kBusyGrace = std::chrono::milliseconds(300);
}  // namespace

ProcessorServer::ProcessorServer(std::unique_ptr<IHidDevice> device, Log log)
    : device_(std::move(device)), log_(std::move(log)) {}

ProcessorServer::~ProcessorServer() {
    Stop();
}

void ProcessorServer::Say(const std::string& line) {
    if (log_) {
        log_(line);
    }
}

bool ProcessorServer::Start(const Config& config, std::string* error) {
    Stop();
    config_ = config;
    listener_ = net::Socket::Listen(config.host, config.port, error);
    if (!listener_.Valid()) {
        return false;
    }
    port_.store(listener_.LocalPort());
    stop_.store(false);
    device_thread_ = std::thread([this] { DeviceLoop(); });
    accept_thread_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void ProcessorServer::Stop() {
    stop_.store(true);
    device_->Abort();
    if (accept_thread_.joinable()) {
        accept_thread_.join();
    }
    if (device_thread_.joinable()) {
        device_thread_.join();
    }
    listener_.Close();
}

bool ProcessorServer::WaitForSessionEnd(std::chrono::milliseconds limit) {
    std::unique_lock lock(session_mutex_);
    return session_ended_.wait_for(lock, limit, [&] { return !session_active_; });
}

void ProcessorServer::AcceptLoop() {
    while (!stop_.load()) {
        net::Socket client = listener_.Accept(kPollMs);
        if (!client.Valid()) {
            continue;
        }
        std::string peer = client.PeerAddress();
        // Counted before the check, so that a loss at any time after it ends the session.
        const std::uint64_t losses = losses_.load();
        if (!device_open_.load()) {
            refusals_.fetch_add(1);
            Say(peer + " refused: no processor is open");
            continue;
        }
        if (!WaitForSessionEnd(kBusyGrace)) {
            std::string holder;
            std::int64_t since = 0;
            {
                std::lock_guard lock(session_mutex_);
                holder = holder_;
                since = holder_since_;
            }
            auth::RefuseBusy(client, holder, since);
            refusals_.fetch_add(1);
            Say(peer + " refused: busy, served to " + holder);
            continue;
        }
        if (session_thread_.joinable()) {
            session_thread_.join();
        }
        {
            std::lock_guard lock(session_mutex_);
            session_active_ = true;
            holder_ = peer;
            holder_since_ = static_cast<std::int64_t>(std::time(nullptr));
        }
        Say(peer + " connected");
        session_thread_ = std::thread([this, c = std::move(client), p = std::move(peer), losses]() mutable {
            Serve(std::move(c), std::move(p), losses);
        });
    }
    if (session_thread_.joinable()) {
        session_thread_.join();
    }
}

void ProcessorServer::Serve(net::Socket client, std::string peer, std::uint64_t losses) {
    auth::ServerHandshake handshake(auth::PlatformCrypto(), config_.token);
    const auth::Admission admission = auth::Admit(client, handshake, config_.answer_limit_ms, stop_);
    if (admission.admitted) {
        sessions_.fetch_add(1);
        Say(peer + (handshake.NeedsAnswer() ? " proved the token" : " let in (no token asked)"));
        Pump(client, peer, losses);
    } else {
        refusals_.fetch_add(1);
        Say(peer + " refused: " + admission.refusal);
    }
    client.Shutdown();
    {
        std::lock_guard lock(session_mutex_);
        client_ = nullptr;
        session_active_ = false;
    }
    session_ended_.notify_all();
    client.Close();
}

// Controller to processor. The stream is cut into reports by count alone; at most one report is held,
// so a controller flooding the server is read only as fast as the processor takes reports.
void ProcessorServer::Pump(net::Socket& client, const std::string& peer, std::uint64_t losses) {
    {
        std::lock_guard lock(session_mutex_);
        client_ = &client;
    }
    Report pending{};
    std::size_t have = 0;
    auto last_heard = std::chrono::steady_clock::now();
    std::string why;
    while (why.empty()) {
        if (stop_.load()) {
            why = "dropped: the server stops";
            break;
        }
        // Not every system wakes a receive when another thread shuts the socket down (Wine).
        if (losses_.load() != losses) {
            why = "dropped: the processor was unplugged";
            break;
        }
        std::size_t got = 0;
        const auto r = client.Receive(pending.data() + have, pending.size() - have, got, kPollMs);
        if (r == net::IoResult::kTimeout) {
            if (std::chrono::steady_clock::now() - last_heard >= config_.idle_limit) {
                why = "dropped: silent for " + std::to_string(config_.idle_limit.count() / 1000) + " s";
            }
            continue;
        }
        if (r != net::IoResult::kOk) {
            why = device_open_.load() ? "left" : "dropped: the processor was unplugged";
            break;
        }
        last_heard = std::chrono::steady_clock::now();
        have += got;
        if (have < pending.size()) {
            continue;
        }
        have = 0;
        std::lock_guard lock(write_mutex_);
        if (!device_open_.load() || device_->WriteReport(pending, kWriteMs) == HidResult::kDisconnected) {
            why = "dropped: the processor was unplugged";
        }
    }
    {
        std::lock_guard lock(session_mutex_);
        client_ = nullptr;
    }
    Say(peer + " " + why);
}

// Processor to controller; also notices the unplug and opens the processor again.
void ProcessorServer::DeviceLoop() {
    bool said_missing = false;
    while (!stop_.load()) {
        if (!device_open_.load()) {
            bool opened = false;
            {
                std::lock_guard lock(write_mutex_);
                opened = device_->Open(kVendorId, kProductId);
            }
            if (!opened) {
                if (!said_missing) {
                    Say("no processor found; looking again every second");
                    said_missing = true;
                }
                const auto retry = std::chrono::steady_clock::now() + kReopenEvery;
                while (!stop_.load() && std::chrono::steady_clock::now() < retry) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
                }
                continue;
            }
            said_missing = false;
            device_open_.store(true);
            Say("processor opened");
        }
        Report report{};
        std::size_t got = 0;
        const HidResult r = device_->ReadReport(report, got, kPollMs);
        if (r == HidResult::kOk) {
            std::lock_guard lock(session_mutex_);
            if (client_ != nullptr && got == report.size() &&
                client_->SendAll(report.data(), report.size(), kSendMs) != net::IoResult::kOk) {
                client_->Shutdown();
            }
            continue;
        }
        if (r == HidResult::kTimeout || r == HidResult::kAborted) {
            continue;
        }
        device_open_.store(false);
        losses_.fetch_add(1);
        Say("processor lost (unplugged?); looking for it again");
        {
            std::lock_guard lock(session_mutex_);
            if (client_ != nullptr) {
                client_->Shutdown();
            }
        }
        std::lock_guard lock(write_mutex_);
        device_->Close();
    }
    std::lock_guard lock(write_mutex_);
    device_->Close();
    device_open_.store(false);
}

}  // namespace vela::cli
