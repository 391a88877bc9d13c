// What one transfer on a socket or stream came to: sent or received, nothing within the timeout, the peer
// gone, or a failure of the call itself.
#pragma once

namespace vela::net {

enum class IoResult { kOk, kTimeout, kClosed, kError };

}  // namespace vela::net
