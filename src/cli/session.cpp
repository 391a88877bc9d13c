#include "cli/session.h"

#include "core/link/link_texts.h"

namespace vela::cli {

Session::Session(const DeviceSpec& spec, ConsoleHost& host, std::chrono::milliseconds timeout)
    : host_(host), timeout_(timeout), stack_(spec, clock_) {}

Session::~Session() {
    stack_.Stop();
}

bool Session::Occupied() const {
    return host_.Shown(LinkTextFor(LinkText::kEquipmentOccupied));
}

int Session::Connect() {
    if (!stack_.Start(host_)) {
        return kExitFailed;
    }
    const bool identified = host_.WaitFor(
        [&] { return host_.LinkStateCode() == static_cast<int>(LinkStateCode::kConnected); }, timeout_);
    return identified ? kExitOk : kExitNoDevice;
}

int Session::WaitLoaded() {
    // Loading a whole table takes a few seconds on top of connecting.
    const bool loaded = host_.WaitFor([&] { return host_.DisplayUpdates() > 0 || Occupied(); },
                                      timeout_ + std::chrono::seconds(30));
    if (Occupied()) {
        return kExitFailed;
    }
    if (!loaded || !Link().State().link_up) {
        return kExitNoDevice;
    }
    return kExitOk;
}

int Session::Request(int number, std::chrono::milliseconds timeout) {
    const int before = Controller().Served(number);
    Link().State().RaiseRequest(number);
    const bool served = host_.WaitFor([&] { return Controller().Served(number) > before; }, timeout);
    return served ? kExitOk : kExitNoDevice;
}

}  // namespace vela::cli
