// Text that came from outside (a device, a file, a peer) on its way to a terminal or into JSON: it may hold
// anything, so it is made printable and valid before it goes out.
#pragma once

#include <string>
#include <string_view>

namespace vela::cli {

// The inside of a JSON string: quotes, backslashes and control characters escaped, bytes that are not
// UTF-8 replaced by U+FFFD, so that the output is valid JSON whatever the input held.
std::string JsonString(std::string_view utf8);

// For a terminal: control characters (escape sequences among them) and direction overrides shown as
// \xHH or \uHHHH, bytes that are not UTF-8 replaced by U+FFFD.
std::string TerminalText(std::string_view utf8);

}  // namespace vela::cli
