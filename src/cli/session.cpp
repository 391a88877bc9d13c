#include "cli/session.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <set>

#include "core/link/link_texts.h"
#include "devices/tcp_hid_device.h"
#include "platform/tcp_socket.h"
#include "platform/usb_hid.h"

namespace vela::cli {

namespace {

std::atomic<bool> g_interrupted{false};

// How often a wait looks at the table and the clock besides being woken by the link.
constexpr std::chrono::milliseconds kWaitSlice{50};
// A scene or settings request asks up to three times and waits 2 s for each acknowledgement, with nothing
// arriving meanwhile from a device that ignores it: that is a refusal to report, not a lost device.
constexpr std::chrono::milliseconds kLongestRequestQuiet{3 * 2000 + 1000};
// A read whose reply was lost is asked again this many times.
constexpr int kReadRounds = 5;

std::string Hex4(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04x", static_cast<unsigned>(value));
    return text;
}

}  // namespace

void RequestInterrupt() {
    g_interrupted = true;
}

bool InterruptRequested() {
    return g_interrupted.load();
}

void ClearInterrupt() {
    g_interrupted = false;
}

Session::Session(const DeviceSpec& spec, ConsoleHost& host, std::chrono::milliseconds timeout, LinkMode mode)
    : spec_(spec), host_(host), timeout_(timeout), mode_(mode), stack_(spec, clock_) {}

Session::~Session() {
    stack_.Stop();
    host_.ClearProgress();
}

std::string Session::Name() const {
    return ToString(spec_);
}

bool Session::Occupied() const {
    return host_.Shown(LinkTextFor(LinkText::kEquipmentOccupied));
}

bool Session::Lost() {
    return connected_ && (!Link().State().link_up.load() ||
                          host_.LinkStateCode() != static_cast<int>(LinkStateCode::kConnected));
}

Outcome Session::Check() {
    if (InterruptRequested()) {
        return {kExitInterrupted, "interrupted"};
    }
    if (Lost()) {
        return {kExitNoDevice, "the processor on " + Name() + " was lost"};
    }
    return {};
}

Outcome Session::Connect() {
    // Where nothing can answer, say so at once rather than after the timeout; and with several
    // processors, never guess which one is meant.
    if (spec_.kind == DeviceSpec::Kind::kUsb) {
        if (const UsbChoice choice = ChooseUsbDevice(EnumerateUsbDevices(kVendorId, kProductId), spec_.path);
            !choice.device) {
            return {kExitNoDevice, choice.error};
        }
    }
    if (spec_.kind == DeviceSpec::Kind::kTcp) {
        std::string error;
        net::Socket probe = net::Socket::Connect(spec_.host, spec_.port,
                                                 static_cast<std::uint32_t>(timeout_.count()), &error);
        if (!probe.Valid()) {
            return {kExitNoDevice, Name() + ": " + (error.empty() ? "cannot connect" : error)};
        }
    }
    if (!stack_.Start(host_, FileLocations::System(), mode_)) {
        return {kExitFailed, "the link could not be started"};
    }
    auto& state = Link().State();
    // A served processor that refused us (token, busy) says why; waiting longer would not change it.
    const auto refusal = [&] {
        const auto* tcp = dynamic_cast<const TcpHidDevice*>(&stack_.Device());
        return tcp != nullptr ? tcp->Refusal() : std::string();
    };
    const auto wrong_id = [&] {
        const std::uint32_t id = state.device_id.load();
        return id != 0 && id != kDeviceId;
    };
    const bool identified = host_.WaitFor(
        [&] {
            return host_.LinkStateCode() == static_cast<int>(LinkStateCode::kConnected) || wrong_id() ||
                   InterruptRequested() || !refusal().empty();
        },
        timeout_);
    if (InterruptRequested()) {
        return {kExitInterrupted, "interrupted"};
    }
    if (const std::string why = refusal();
        !why.empty() && host_.LinkStateCode() != static_cast<int>(LinkStateCode::kConnected)) {
        return {kExitFailed, why};
    }
    if (wrong_id()) {
        return {kExitNoDevice, Name() + " answered as device " + Hex4(state.device_id.load()) +
                                   ", not as this kind of processor (" + Hex4(kDeviceId) + ")"};
    }
    if (!identified) {
        const std::string seconds = std::to_string(timeout_.count() / 1000.0).substr(0, 4);
        if (spec_.kind == DeviceSpec::Kind::kTcp) {
            return {kExitNoDevice, Name() + " took the connection, but no processor answered within " +
                                       seconds + " s (is another program connected to it?)"};
        }
        return {kExitNoDevice, "no processor answered on " + Name() + " within " + seconds + " s"};
    }
    connected_ = true;
    return {};
}

bool Session::WaitAtMost(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    host_.WaitFor([&] { return done() || InterruptRequested() || Lost(); }, limit);
    return done() && !InterruptRequested();
}

Outcome Session::WaitWhileAnswering(const std::function<bool()>& done,
                                    std::chrono::milliseconds quiet_allowed) {
    auto& state = Link().State();
    // A healthy link rests up to kLongestQuietMs between exchanges; a shorter timeout would call it
    // silent.
    const auto silence_limit = std::max(timeout_, quiet_allowed);
    std::uint32_t last_frame = state.last_valid_frame_tick.load();
    auto last_change = std::chrono::steady_clock::now();
    while (!done()) {
        if (const Outcome o = Check(); !o.Ok()) {
            return o;
        }
        if (Occupied()) {
            return {kExitFailed, "the processor is held by another controller"};
        }
        const auto now = std::chrono::steady_clock::now();
        if (const std::uint32_t frame = state.last_valid_frame_tick.load(); frame != last_frame) {
            last_frame = frame;
            last_change = now;
        } else if (now - last_change >= silence_limit) {
            return {kExitNoDevice, "the processor on " + Name() + " stopped answering"};
        }
        host_.WaitFor([&] { return done() || InterruptRequested() || Lost(); }, kWaitSlice);
    }
    return {};
}

Outcome Session::WaitLoaded() {
    if (mode_ == LinkMode::kLight) {
        return WaitWhileAnswering([&] { return Controller().Ready() > 0 && !Occupied(); });
    }
    return WaitWhileAnswering([&] { return host_.DisplayUpdates() > 0 && !Occupied(); });
}

std::vector<std::uint16_t> Session::ReadValues(const std::vector<std::uint16_t>& indexes, Outcome& outcome) {
    auto& t = Link().Table();
    std::mutex seen_mutex;
    // The identity is never reported as arrived; the identification has just read it. Entered before the
    // callback is installed: from then on the worker touches the set too.
    std::set<std::size_t> seen{param::kIdentity};
    host_.SetParameterCallback([&](std::size_t i) {
        std::lock_guard lock(seen_mutex);
        seen.insert(i);
    });
    auto unanswered = [&] {
        std::lock_guard lock(seen_mutex);
        std::vector<std::uint16_t> left;
        for (const auto i : indexes)
            if (!seen.count(i) && std::find(left.begin(), left.end(), i) == left.end())
                left.push_back(i);
        return left;
    };
    outcome = {};
    // A few rounds at least, and more while the timeout has not run out: damaged replies are no silence.
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; (round < kReadRounds || std::chrono::steady_clock::now() - start < timeout_) &&
                        !unanswered().empty();
         ++round) {
        for (auto i : unanswered())
            t[i].read_request = 1;
        WaitAtMost([&] { return unanswered().empty(); }, std::chrono::milliseconds(kReadAnswerMs));
        if (outcome = Check(); !outcome.Ok()) {
            break;
        }
    }
    host_.SetParameterCallback(nullptr);
    return unanswered();
}

Outcome Session::Request(int number) {
    const int before = Controller().Served(number);
    Link().State().RaiseRequest(number);
    return WaitWhileAnswering([&] { return Controller().Served(number) > before; }, kLongestRequestQuiet);
}

}  // namespace vela::cli
