// velactl's help: the usage text and each command's.
#include "cli/curve_command.h"
#include "cli/eq_command.h"
#include "cli/params_command.h"
#include "cli/rooms_command.h"
#include "cli/serve_command.h"
#include "cli/velactl_options.h"

namespace vela::cli {

extern const char kUsage[] = R"(usage: velactl [OPTIONS] COMMAND [ARGS]

Controls a processor over USB, or the virtual one. Options may stand before or after the command.

Options:
  --device SPEC    usb (default: the one processor on USB), usb:PATH (one of several, by the path
                   or port that list shows), sim (a virtual processor in this process), tcp:HOST:PORT
                   or the NAME of a room in the rooms file. Without it: $VELA_DEVICE, else the
                   configuration file's device (see velactl completion --help for the files)
  --timeout SEC    how long to wait for the device to answer (default 10)
  --token-file FILE  the token a served processor (tcp:) asks for; else the room's, else $VELA_TOKEN_FILE
  --wait SEC       wait up to SEC for the processor to appear (plugged in, served) before giving up
  --raw            values are raw 16-bit words: printed so, and written so even outside the range
  --bank BANK      sing or dance: the output strips' bank that names refer to (default: the active one)
  --lang LANG      en (default), zh-CN or zh-TW: the language of the device's messages
  --yes            answer the questions the device asks with yes
  --json           data as JSON (status, get, dump, scene list, wifi show, inspect, list, diff, batch)
  --quiet, -q      print no data and no progress: only the exit status and error lines tell
  --verbose, -v    print what the link does (connects, retries, reconnects...) to standard error
  --log FILE       append the same lines to FILE
  --version        velactl's version
  --help           this text; COMMAND --help explains one command

Commands:
  list                      processors found on USB with their paths (no connection is made)
  status                    connect, identify and show the link state
  dump [--names]            every parameter, one line per index: INDEX VALUE
  params [PATTERN]          the parameters' names, units, ranges and defaults (no device needed)
  get PARAM...              the values of some parameters: INDEX, FIRST-LAST or NAME (music.eq1.gain)
  set PARAM=VALUE...        write values (NAME=-3dB, 1kHz, 60%, 12ms, 2.5m, ...); returns once the
                            device holds every one
  batch [FILE] [--keep-going]
                            one connection, one command per line (get, set, scene, wait MS, # comments);
                            standard input without FILE
  diff A.lub [B.lub]        the parameters that differ between two scene files, or A and the device
  save FILE                 save the device's whole setting to a scene file (- for standard output)
  load FILE                 load a scene file into the device
  import FILE               load parameters 730..914 of a file, then save the device's settings
  scene list                the device's scenes and their names
  scene call N              call scene N (1..8)
  scene save N NAME         store the current setting as scene N under NAME
  settings save             make the device keep its current settings
  wifi show                 the Wi-Fi module's address, mode and networks
  wifi mode hotspot|route   switch the module's mode
  wifi hotspot SSID PASSWORD
  wifi route SSID PASSWORD
  watch [PARAM...] [--for SEC]
                            print parameter changes with the time they arrived, until interrupted
  inspect FILE              read a scene file offline (- for standard input); print its header and values
  curve [FILE] --channel NAME
                            a channel's frequency response as CSV (hz,db): from FILE, else the device
  eq import FILE|- --channel NAME [--clamp] [--dry-run]
  eq export --channel NAME [FILE|-]
                            a strip's EQ bands from or to a parametric-EQ filter list
  serve --listen HOST:PORT  share the processor over the network (velactl serve --help)
  rooms FILE COMMAND...     get, set, status, scene call N or batch FILE on every room of FILE at once
  completion bash           a bash completion script (source it, or put it in bash-completion's folder)

get, set, status, scene, settings and wifi read or write only what they need; dump, save, load, import,
watch and diff with the device read the whole table first.

Exit status: 0 done, 1 diff found differences, 2 usage error, 3 device not found, not answering or lost,
4 refused or failed, 5 file error (also standard output), 130 interrupted.
)";

// A table: every command and its help.
const std::map<std::string, std::string>& CommandHelp() {
    static const std::map<std::string, std::string> kCommandHelp = {
        {"list",
         "usage: velactl list [--json]\nLists the processors on USB (vendor 0x4084, product 0x4357) with "
         "their "
         "system path, USB port path\nand serial number. Either path picks one: --device usb:PATH.\n"},
        {"status",
         "usage: velactl [--device SPEC] status\nConnects, identifies the processor and prints its id and "
         "the "
         "link state. Fails (4) when another controller holds it.\n"},
        {"dump",
         "usage: velactl [--device SPEC] dump [--names] [--json]\nReads every parameter from the device and "
         "prints INDEX VALUE per line, in index order.\n--names adds each parameter's name; --json prints "
         "one "
         "JSON document.\n"},
        {"get",
         "usage: velactl [--device SPEC] get INDEX|FIRST-LAST|NAME... [--bank sing|dance] [--raw] [--json]\n"
         "Prints INDEX VALUE for each index (0..946), as read from the device; 26-29 means 26, 27, 28, 29.\n"
         "A NAME (velactl params lists them) prints NAME VALUE in the window's units: music.eq1.gain -3.0 "
         "dB;\n"
         "with --raw the raw word. --json carries the raw value and, for names, the text and unit.\n"},
        {"params", kParamsHelp},
        {"serve", kServeHelp},
        {"rooms", kRoomsHelp},
        {"completion",
         "usage: velactl completion bash\nPrints a bash completion script for velactl's commands, options "
         "and parameter names:\n  source <(velactl completion bash)\n"
         "Configuration: velactl.conf in $XDG_CONFIG_HOME/vela (~/.config/vela) on Linux, beside velactl.exe "
         "or\n"
         "in %APPDATA%\\vela on Windows, with lines  device = SPEC|ROOM  and  rooms = FILE  (# comments).\n"
         "The rooms file has one room per line: NAME DEVICE [TOKEN-FILE]; --device NAME picks one.\n"},
        {"batch",
         "usage: velactl [--device SPEC] batch [FILE] [--keep-going] [--json]\nOne connection, then one "
         "command "
         "per line of FILE (standard input without it):\n  get PARAM...\n  set PARAM=VALUE...\n  "
         "scene list | scene call N | scene save N NAME   (quote a NAME with blanks: \"Room 1\")\n  wait MS\n"
         "Blank lines and lines starting with # are skipped. Each line's result is printed as it completes\n"
         "(data as with the command, else \"line N: ok\"). Consecutive set lines go out together.\nThe batch "
         "stops at "
         "the first line that fails, unless --keep-going; the exit status is that\nof the first failure. A "
         "line "
         "that does not parse stops the batch before it, with its number.\n"},
        {"diff",
         "usage: velactl diff A.lub B.lub [PARAM...] [--json] | velactl [--device SPEC] diff A.lub "
         "[PARAM...]\n"
         "Only the parameters named, if any (a NAME prints NAME A B in units). Prints the "
         "parameters that differ: INDEX NAME A B. With one file, B is the device.\nExit 0 when they are the "
         "same, 1 when they differ (as diff does), 2 or more on trouble.\n"},
        {"set",
         "usage: velactl [--device SPEC] set INDEX=VALUE|NAME=VALUE... [--bank sing|dance] [--raw]\nWrites "
         "each value and waits until the device holds every one; fails when it does not,\nnaming the values "
         "that landed. By NAME the value is in the parameter's unit (-3dB, 1kHz, 60%,\n70%on, 12ms, 2.5m for "
         "a "
         "delay as distance, off, bessel24); by INDEX a plain number is the raw word.\nA value outside what "
         "the window's control allows is refused with the range (exit 2, nothing written);\n--raw writes any "
         "word 0..65535. Each parameter once; the link's own words (0, 928..935) are\nrefused: scenes have "
         "their own commands. Values set by NAME are printed as the device holds them.\n"},
        {"save",
         "usage: velactl [--device SPEC] save FILE\nReads the whole device and saves it to a scene file: "
         "exactly FILE (through a link, its target),\nreplaced whole or not at all. Directories, devices and "
         "read-only files are refused.\n- writes the scene to standard output.\n"},
        {"load",
         "usage: velactl [--device SPEC] load FILE\nLoads a scene file into the device. The device keeps its "
         "own "
         "MIC VOL A and B and the Music\nand Effect masters (26..29), the link's words (928..935) and the "
         "last "
         "parameter.\n"},
        {"import",
         "usage: velactl [--device SPEC] import FILE\nLoads parameters 730..914 of a scene file into the "
         "device, "
         "then asks it to save its settings.\n"},
        {"scene",
         "usage: velactl [--device SPEC] scene list | scene call N | scene save N NAME\nLists, calls or "
         "stores "
         "the device's scenes 1..8. A NAME has at most 20 bytes and no control characters.\n"},
        {"settings",
         "usage: velactl [--device SPEC] settings save\nAsks the device to keep its current settings.\n"},
        {"wifi",
         "usage: velactl [--device SPEC] wifi show | wifi mode hotspot|route | wifi hotspot SSID PASSWORD | "
         "wifi "
         "route SSID PASSWORD\nReads or sets the processor's Wi-Fi module. SSIDs have 1..32 bytes, passwords "
         "at "
         "most 63,\nhotspot passwords none or at least 8; only ASCII characters pass the module.\nSwitching "
         "to "
         "route mode asks for confirmation: pass --yes.\n"},
        {"watch",
         "usage: velactl [--device SPEC] watch [PARAM...] [--for SEC] [--json]\nPrints TIME INDEX VALUE for "
         "every parameter that changes on the device (only those asked, by\nINDEX, FIRST-LAST or NAME; names "
         "with their units), until interrupted (exit 130) or SEC seconds.\n"},
        {"curve", kCurveHelp},
        {"eq", kEqHelp},
        {"inspect",
         "usage: velactl inspect FILE\nReads a scene file without a device and prints its header and values "
         "(INDEX VALUE NAME).\n- reads the file from standard input.\n"},
    };
    return kCommandHelp;
}

}  // namespace vela::cli
