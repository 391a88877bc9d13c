// The platform's part of serving a processor safely: token files, and the handshake over a socket.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "core/link/stream_handshake.h"
#include "platform/tcp_socket.h"

namespace vela::auth {

// Writes a new token of kNewTokenSize random bytes into `path`, readable by its owner only (mode 0600 on
// Linux). Never replaces an existing file. Returns an error text, empty on success.
std::string CreateTokenFile(const std::string& path);

struct Admission {
    bool admitted = false;
    std::string refusal;  // why not, for the server's log
};

// Sends the greeting and, when the handshake wants an answer, reads one report within `limit_ms` and
// sends the verdict. Reads nothing beyond that one report. Ends early (refused) when `stop` is set.
Admission Admit(net::Socket& client, ServerHandshake& handshake, std::uint32_t limit_ms,
                const std::atomic<bool>& stop);
// Tells a client that another controller holds the processor; the caller closes the connection.
void RefuseBusy(net::Socket& client, const std::string& holder, std::int64_t since);

// Client side: reads one whole report within `limit_ms`, in slices so that `abort` is noticed.
net::IoResult ReceiveReport(net::Socket& socket, Report& report, std::uint32_t limit_ms,
                            const std::atomic<bool>& abort);

}  // namespace vela::auth
