// Glue between the link worker and the HID transport and Wi-Fi slots it drives.
#pragma once

#include <memory>

#include "files/file_data.h"
#include "link/device_spec.h"
#include "link/hid_transport.h"
#include "link/link_controller.h"
#include "link/wifi_slots.h"

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

// Everything a program needs to talk to one processor: the link, the device its --device text names, its
// transport, the Wi-Fi slots and, once an owner is there to tell things to, the worker.
class LinkStack {
  public:
    LinkStack(const DeviceSpec& spec, IClock& clock);
    ~LinkStack();
    LinkStack(const LinkStack&) = delete;
    LinkStack& operator=(const LinkStack&) = delete;

    // Creates the worker for this owner and starts it; false when it could not be started.
    bool Start(ILinkHost& host, FileLocations files = FileLocations::System());
    // Stops the worker (if any) and closes the device.
    void Stop();

    DeviceLink& Link() { return link_; }
    IHidDevice& Device() { return *device_; }
    WifiSlots& Wifi() { return wifi_; }
    // Null before Start.
    LinkController* Controller() { return controller_.get(); }

  private:
    DeviceLink link_;
    std::unique_ptr<IHidDevice> device_;
    HidTransport transport_;
    WifiSlots wifi_;
    WifiPollStep wifi_step_{wifi_};
    std::unique_ptr<HidConnector> connector_;
    std::unique_ptr<LinkController> controller_;
};

}  // namespace vela
