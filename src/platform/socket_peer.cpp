// The far end of a connected socket, for logs and refusals.
#include "platform/socket_shim.h"
#include "platform/tcp_socket.h"

namespace vela::net {

std::string Socket::PeerAddress() const {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    char host[NI_MAXHOST];
    char port[NI_MAXSERV];
    if (getpeername(static_cast<shim::Native>(handle_.load()), reinterpret_cast<sockaddr*>(&addr), &len) !=
            0 ||
        getnameinfo(reinterpret_cast<sockaddr*>(&addr), len, host, sizeof host, port, sizeof port,
                    NI_NUMERICHOST | NI_NUMERICSERV) != 0) {
        return "unknown peer";
    }
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on a chain of + here.
    const bool v6 = addr.ss_family == AF_INET6;
    std::string text = v6 ? "[" : "";
    text.append(host).append(v6 ? "]:" : ":").append(port);
    return text;
}

}  // namespace vela::net
