// One connection to a processor for a command-line tool: the link, its transport and worker, and the
// waits the commands need.
#pragma once

#include <chrono>
#include <memory>

#include "cli/console_host.h"
#include "core/link/device_link.h"
#include "core/link/device_spec.h"
#include "core/link/hid_transport.h"
#include "core/link/link_controller.h"
#include "core/link/wifi_slots.h"
#include "devices/link_stack.h"

namespace vela::cli {

// Exit statuses of velactl.
enum ExitCode : int {
    kExitOk = 0,
    kExitUsage = 2,
    kExitNoDevice = 3,  // not found, not answering, or lost
    kExitFailed = 4,    // the device or the user refused, or the operation failed
    kExitFile = 5,      // a file could not be read or written
};

class Session {
  public:
    Session(const DeviceSpec& spec, ConsoleHost& host, std::chrono::milliseconds timeout);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Starts the worker and waits until the device is identified (kExitOk) or the timeout passed.
    int Connect();
    // Waits for the whole table to be read after connecting.
    int WaitLoaded();
    // Raises request `number` and waits until the worker has served it.
    int Request(int number, std::chrono::milliseconds timeout);

    DeviceLink& Link() { return stack_.Link(); }
    LinkController& Controller() { return *stack_.Controller(); }
    WifiSlots& Wifi() { return stack_.Wifi(); }
    ConsoleHost& Host() { return host_; }
    std::chrono::milliseconds Timeout() const { return timeout_; }
    bool Occupied() const;

  private:
    ConsoleHost& host_;
    std::chrono::milliseconds timeout_;
    SystemClock clock_;
    LinkStack stack_;
};

}  // namespace vela::cli
