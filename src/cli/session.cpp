#include "cli/session.h"

#include "link/link_texts.h"

namespace vela::cli {

Session::Session(const DeviceSpec& spec, ConsoleHost& host, std::chrono::milliseconds timeout)
    : host_(host),
      timeout_(timeout),
      link_(clock_),
      device_(MakeHidDevice(spec)),
      transport_(std::make_unique<HidTransport>(link_, *device_)),
      connector_(std::make_unique<HidConnector>(*transport_, host)),
      wifi_step_(std::make_unique<WifiPollStep>(wifi_)),
      controller_(link_, *connector_, host) {
    wifi_.Attach(link_);
    controller_.SetWifiStep(wifi_step_.get());
}

Session::~Session() {
    controller_.StopLink();
}

bool Session::Occupied() const {
    return host_.Shown(LinkTextFor(LinkText::kEquipmentOccupied));
}

int Session::Connect() {
    if (!controller_.StartLink()) {
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
    if (!loaded || !link_.State().link_up) {
        return kExitNoDevice;
    }
    return kExitOk;
}

int Session::Request(int number, std::chrono::milliseconds timeout) {
    const int before = controller_.Served(number);
    link_.State().RaiseRequest(number);
    const bool served = host_.WaitFor([&] { return controller_.Served(number) > before; }, timeout);
    return served ? kExitOk : kExitNoDevice;
}

}  // namespace vela::cli
