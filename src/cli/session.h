// One connection to a processor for a command-line tool: the link, its transport and worker, and the
// waits the commands need. Every wait ends on an interrupt, on the loss of the device, and once the
// device has been silent for the timeout.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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
    kExitDiffer = 1,  // diff: the two sides differ
    kExitUsage = 2,
    kExitNoDevice = 3,  // not found, not answering, or lost
    kExitFailed = 4,    // the device or the user refused, or the operation failed
    kExitFile = 5,      // a file (or standard output) could not be read or written
    kExitInterrupted = 130,
};

// Set from a signal handler (Ctrl-C); cleared when a command line starts.
void RequestInterrupt();
bool InterruptRequested();
void ClearInterrupt();

// How a command ended when it did not end well: the exit status and one line saying why.
struct Outcome {
    int code = kExitOk;
    std::string message;
    bool Ok() const { return code == kExitOk; }
};

class Session {
  public:
    // kLight: the link reads and writes only what the commands ask for (see LinkMode).
    Session(const DeviceSpec& spec, ConsoleHost& host, std::chrono::milliseconds timeout,
            LinkMode mode = LinkMode::kFull);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Starts the worker and waits until the device is identified. Fails at once where nothing can
    // answer (no processor on USB, a refused connection, an unknown host) or a device of another kind
    // answered.
    Outcome Connect();
    // Waits until the occupancy check passed and (on the full path) the whole table was read.
    Outcome WaitLoaded();
    // Asks the device for these values and waits for them; a read whose reply was lost is asked again a
    // few times. Returns the indexes that never answered (empty: all did); the values are in the table.
    std::vector<std::uint16_t> ReadValues(const std::vector<std::uint16_t>& indexes, Outcome& outcome);
    // Raises request `number` and waits until the worker has served it.
    Outcome Request(int number);
    // Waits until done() holds, as long as the device keeps answering; a quiet spell of `quiet_allowed`
    // (or the timeout, if longer) is taken for a device that stopped answering.
    Outcome WaitWhileAnswering(
        const std::function<bool()>& done,
        std::chrono::milliseconds quiet_allowed = std::chrono::milliseconds(kLongestQuietMs));
    // Waits until done() holds or `limit` passed; false on the limit. Ends early (false) on an
    // interrupt or the loss of the device, which Check() then reports.
    bool WaitAtMost(const std::function<bool()>& done, std::chrono::milliseconds limit);
    // An interrupt or the loss of the device, if either happened.
    Outcome Check();

    DeviceLink& Link() { return stack_.Link(); }
    LinkController& Controller() { return *stack_.Controller(); }
    WifiSlots& Wifi() { return stack_.Wifi(); }
    ConsoleHost& Host() { return host_; }
    LinkStack& Stack() { return stack_; }
    std::chrono::milliseconds Timeout() const { return timeout_; }
    bool Occupied() const;
    bool Lost();

  private:
    std::string Name() const;

    DeviceSpec spec_;
    ConsoleHost& host_;
    std::chrono::milliseconds timeout_;
    LinkMode mode_;
    SystemClock clock_;
    LinkStack stack_;
    bool connected_ = false;
};

}  // namespace vela::cli
