#include "link/transport_link.h"

namespace vela {

void WifiPollStep::Clear() {
    slots_.Clear();
    position_ = 0;
}

bool WifiPollStep::SendPending(DeviceLink& link, ILinkHost& host) {
    const WifiSendResult result = slots_.SendPending(link, position_);
    // A reply that cannot come because the reader is gone ends the connection, as for parameter writes.
    if (result == WifiSendResult::kTimedOut && !link.State().reader_running) {
        host.ProgressShow(false);
        host.PostNotify(LinkNotify::kProgressHidden, 0);
        link.State().link_up = false;
    }
    return result != WifiSendResult::kNothingPending;
}

LinkStack::LinkStack(const DeviceSpec& spec, IClock& clock)
    : link_(clock), device_(MakeHidDevice(spec)), transport_(link_, *device_) {
    wifi_.Attach(link_);
}

LinkStack::~LinkStack() {
    Stop();
}

bool LinkStack::Start(ILinkHost& host, FileLocations files) {
    if (!controller_) {
        connector_ = std::make_unique<HidConnector>(transport_, host);
        controller_ = std::make_unique<LinkController>(link_, *connector_, host, std::move(files));
        controller_->SetWifiStep(&wifi_step_);
    }
    return controller_->StartLink();
}

void LinkStack::Stop() {
    if (controller_) {
        controller_->StopLink();
    } else {
        transport_.Close();
    }
}

}  // namespace vela
