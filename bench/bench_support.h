// What the link benchmarks and the soak share: a link host that counts what it is told and answers every
// message at once, a bounded wait, and the link stack over the in-process virtual processor.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "core/link/transport_link.h"
#include "sim/sim_device.h"
// The benchmarks are built without the tests' include path.
#include "../tests/support/quiet_link_host.h"

namespace vela::bench {

using Clock = std::chrono::steady_clock;

class CountingHost final : public testing::QuietLinkHost {
  public:
    void PostNotify(LinkNotify code, std::intptr_t value) override { Note(code, value); }
    void SendNotify(LinkNotify code, std::intptr_t value) override { Note(code, value); }
    MessageAnswer ShowMessage(std::wstring_view, std::wstring_view, MessageButtons) override {
        messages.fetch_add(1);
        return MessageAnswer::kOk;
    }

    std::atomic<int> state{-1};  // the last link state reported
    std::atomic<int> connections{0};
    std::atomic<int> searches{0};
    std::atomic<int> display_updates{0};
    std::atomic<int> messages{0};

  private:
    void Note(LinkNotify code, std::intptr_t value) {
        if (code == LinkNotify::kLinkState) {
            state = static_cast<int>(value);
            if (value == static_cast<std::intptr_t>(LinkStateCode::kConnected))
                connections.fetch_add(1);
            else if (value == static_cast<std::intptr_t>(LinkStateCode::kNotConnected))
                searches.fetch_add(1);
        } else if (code == LinkNotify::kDisplayUpdated) {
            display_updates.fetch_add(1);
        }
    }
};

// A benchmark that waits longer than this has lost its device; the caller reports it.
template <class Condition>
bool SpinUntil(Condition c) {
    const auto end = Clock::now() + std::chrono::seconds(60);
    while (!c() && Clock::now() < end)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    return c();
}

// The link as the program builds it, against the virtual processor in real time.
struct LinkRig {
    std::shared_ptr<sim::SimulatedDevice> device = std::make_shared<sim::SimulatedDevice>();
    sim::SimHidDevice hid{device};
    SystemClock clock;
    DeviceLink link{clock};
    HidTransport transport{link, hid};
    CountingHost host;
    HidConnector connector{transport, host};
    LinkController controller{link, connector, host};

    LinkRig() = default;
    LinkRig(const LinkRig&) = delete;
    LinkRig& operator=(const LinkRig&) = delete;
    ~LinkRig() { controller.StopLink(); }

    bool StartAndLoad() {
        controller.StartLink();
        return SpinUntil([&] { return host.display_updates.load() > 0; });
    }
    // Loaded, scene names read and the pause after loading over: the poll cycle runs. Timing a request
    // from the display update instead would charge it with the rest of the connect sequence.
    bool StartAndPoll() {
        return StartAndLoad() && SpinUntil([&] { return controller.Ready() > 0; });
    }
};

}  // namespace vela::bench
