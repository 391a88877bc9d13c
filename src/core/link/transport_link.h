// Glue between the link worker and the HID transport and Wi-Fi slots it drives.
#pragma once

#include "core/link/hid_transport.h"
#include "core/link/link_controller.h"
#include "core/link/wifi_slots.h"

namespace vela {

class HidConnector final : public ILinkConnector {
  public:
    HidConnector(HidTransport& transport, ILinkHost& host) : transport_(transport), host_(host) {}
    void Connect() override { (void)transport_.Connect(host_); }
    void Close() override { transport_.Close(); }

  private:
    HidTransport& transport_;
    ILinkHost& host_;
};

// The Wi-Fi step of the poll cycle over the 17 slots; keeps the slot position between cycles.
class WifiPollStep final : public IWifiStep {
  public:
    explicit WifiPollStep(WifiSlots& slots) : slots_(slots) {}
    void Clear() override;
    bool SendPending(DeviceLink& link, ILinkHost& host) override;
    void ShowCompletions(ILinkHost& host) override { slots_.ShowCompletionMessages(host); }

  private:
    WifiSlots& slots_;
    int position_ = 0;
};

}  // namespace vela
