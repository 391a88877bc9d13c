#include "cli/session.h"

#include "link/link_texts.h"

namespace vela::cli {

class Session::Connector final : public ILinkConnector {
public:
    Connector(HidTransport& transport, ILinkHost& host) : transport_(transport), host_(host) {}
    void Connect() override { (void)transport_.Connect(host_); }
    void Close() override { transport_.Close(); }

private:
    HidTransport& transport_;
    ILinkHost& host_;
};

class Session::WifiStep final : public IWifiStep {
public:
    explicit WifiStep(WifiSlots& slots) : slots_(slots) {}
    void Clear() override {
        slots_.Clear();
        position_ = 0;
    }
    bool SendPending(DeviceLink& link, ILinkHost& host) override {
        const WifiSendResult result = slots_.SendPending(link, position_);
        if (result == WifiSendResult::kTimedOut && !link.State().reader_running) {
            host.ProgressShow(false);
            host.PostNotify(LinkNotify::kProgressHidden, 0);
            link.State().link_up = false;
        }
        return result != WifiSendResult::kNothingPending;
    }
    void ShowCompletions(ILinkHost& host) override { slots_.ShowCompletionMessages(host); }

private:
    WifiSlots& slots_;
    int position_ = 0;
};

Session::Session(const DeviceSpec& spec, ConsoleHost& host, std::chrono::milliseconds timeout)
    : host_(host),
      timeout_(timeout),
      link_(clock_),
      device_(MakeHidDevice(spec)),
      transport_(std::make_unique<HidTransport>(link_, *device_)),
      connector_(std::make_unique<Connector>(*transport_, host)),
      wifi_step_(std::make_unique<WifiStep>(wifi_)),
      controller_(link_, *connector_, host) {
    wifi_.Attach(link_);
    controller_.SetWifiStep(wifi_step_.get());
}

Session::~Session() { controller_.StopLink(); }

bool Session::Occupied() const { return host_.Shown(LinkTextFor(LinkText::kEquipmentOccupied)); }

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
