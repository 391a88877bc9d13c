#include "core/link/transport_link.h"

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

}  // namespace vela
