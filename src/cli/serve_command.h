// velactl serve: shares a processor of this computer over the network, one controller at a time, and
// makes the token files that keep anyone else out.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vela::cli {

inline constexpr char kServeHelp[] =
    "usage: velactl serve --listen HOST:PORT [--device usb|usb:PATH|sim] [--token-file FILE]\n"
    "       velactl serve --new-token FILE\n"
    "Serves the processor to one controller at a time over TCP, until Ctrl-C. Controllers connect with\n"
    "--device tcp:HOST:PORT (vela, velactl) and, when the server has a token, --token-file FILE (or\n"
    "VELA_TOKEN_FILE). A controller must prove the token before any report passes; the token never\n"
    "crosses the network. Listening on anything but a loopback address needs --token-file.\n"
    "A second controller is refused as busy; one silent for 30 s is dropped. The processor is opened\n"
    "again after an unplug. Every connection, refusal and drop is logged on standard error.\n"
    "--new-token FILE writes a new random token (readable by you only) and never replaces a file.\n"
    "Copy it to the controllers by a safe way (a USB stick, scp).\n";

// `args`: what follows "serve". Runs until interrupted (RequestInterrupt); returns the exit status.
int RunServe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// A loopback address: 127.0.0.0/8, ::1 or localhost.
bool IsLoopback(const std::string& host);

}  // namespace vela::cli
