// Everything a program needs to talk to one processor, assembled from a --device text.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/files/file_data.h"
#include "core/link/device_spec.h"
#include "core/link/hid_transport.h"
#include "core/link/link_controller.h"
#include "core/link/transport_link.h"
#include "core/link/wifi_slots.h"
#include "core/ui/device_notices.h"

namespace vela {

// The link, the device its --device text names, its transport, the Wi-Fi slots and, once an owner is there
// to tell things to, the worker.
class LinkStack {
  public:
    LinkStack(const DeviceSpec& spec, IClock& clock);
    ~LinkStack();
    LinkStack(const LinkStack&) = delete;
    LinkStack& operator=(const LinkStack&) = delete;

    // Creates the worker for this owner and starts it; false when it could not be started.
    bool Start(ILinkHost& host, FileLocations files = FileLocations::System(),
               LinkMode mode = LinkMode::kFull);
    // Before Start: where the worker reports what the link does (the diagnostic log), or nothing.
    void SetEvents(diag::IEventSink* events) { events_ = events; }
    // Stops the worker (if any) and closes the device.
    void Stop();

    // For a scene file opened as the processor: whether an edit waits to be written and whether the file
    // can be written at all; nothing for any other device.
    using FileState = DeviceFileState;
    std::optional<FileState> File() const;
    // Why a served processor refused the latest connection; empty when it let it in (or for other devices).
    std::string Refusal() const;
    // Writes a scene file's pending edit now (nothing for other devices); the state after it.
    std::optional<FileState> FlushFile();

    // Which processor is connected, for telling another one apart: the --device text, and for a USB
    // processor where it sits. Any thread.
    std::string Identity() const;

    DeviceLink& Link() { return link_; }
    IHidDevice& Device() { return *device_; }
    WifiSlots& Wifi() { return wifi_; }
    // Null before Start.
    LinkController* Controller() { return controller_.get(); }

  private:
    std::string device_name_;
    diag::IEventSink* events_ = nullptr;
    DeviceLink link_;
    std::unique_ptr<IHidDevice> device_;
    HidTransport transport_;
    WifiSlots wifi_;
    WifiPollStep wifi_step_{wifi_};
    std::unique_ptr<HidConnector> connector_;
    std::unique_ptr<LinkController> controller_;
};

}  // namespace vela
