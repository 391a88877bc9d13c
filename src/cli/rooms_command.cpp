#include "cli/rooms_command.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "cli/device_config.h"
#include "cli/output_text.h"
#include "cli/session.h"
#include "cli/velactl.h"

namespace vela::cli {

namespace {

struct RoomResult {
    int code = kExitOk;
    std::vector<std::string> lines;  // standard output
    std::string reason;              // the last error line, without "velactl: "
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

RoomResult RunRoom(const Room& room, const std::vector<std::string>& command) {
    std::vector<std::string> args = {"--device", room.device};
    if (!room.token_file.empty()) {
        args.insert(args.end(), {"--token-file", room.token_file});
    }
    args.insert(args.end(), command.begin(), command.end());
    std::istringstream no_input;
    std::ostringstream out;
    std::ostringstream err;
    RoomResult result;
    result.code = RunCommandLine(args, no_input, out, err);
    result.lines = Lines(out.str());
    // Progress and questions may come before it: the reason is the last line velactl said.
    for (const auto& line : Lines(err.str())) {
        if (line.rfind("velactl: ", 0) == 0)
            result.reason = line.substr(9);
    }
    if (result.code != kExitOk && result.reason.empty())
        result.reason = "failed (exit status " + std::to_string(result.code) + ")";
    return result;
}

void Print(const Room& room, const RoomResult& r, bool json, std::ostream& out) {
    if (!json) {
        if (r.code != kExitOk) {
            out << room.name << ": " << r.reason << "\n";
        } else if (r.lines.empty()) {
            out << room.name << ": ok\n";
        }
        for (const auto& line : r.lines)
            out << room.name << ": " << line << "\n";
        return;
    }
    // The command's own JSON, one value per line, is carried as it is.
    out << "{\"room\":\"" << JsonString(room.name) << "\",\"device\":\"" << JsonString(room.device) << "\""
        << ",\"exit\":" << r.code << ",\"output\":[";
    for (std::size_t i = 0; i < r.lines.size(); ++i)
        out << (i ? "," : "") << r.lines[i];
    out << "]";
    if (r.code != kExitOk)
        out << ",\"error\":\"" << JsonString(r.reason) << "\"";
    out << "}\n";
}

// eq import needs a FILE every room can read; eq export writes to standard output only, where each room's
// bands get its name, since every room would write the same file.
std::optional<std::string> CheckEq(std::vector<std::string>::const_iterator at,
                                   std::vector<std::string>::const_iterator end) {
    if (at == end || (*at != "import" && *at != "export"))
        return "rooms runs eq import FILE or eq export";
    const bool import = *at == "import";
    std::optional<std::string> file;
    for (auto i = at + 1; i != end; ++i) {
        if (*i == "--channel" || *i == "--bank" || *i == "--timeout") {
            if (i + 1 == end)
                break;
            ++i;
        } else if (*i == "-" || (*i)[0] != '-') {
            file = file.value_or(*i);
        }
    }
    if (import && (!file || *file == "-"))
        return "rooms eq import needs a FILE (standard input cannot go to every room)";
    if (!import && file && *file != "-")
        return "rooms eq export writes to standard output only (every room would write the same FILE)";
    return std::nullopt;
}

// Returns an error text, or nothing when the command is one rooms runs.
std::optional<std::string> CheckCommand(const std::vector<std::string>& command) {
    static const std::set<std::string> kLight = {"get", "set", "status", "scene", "batch", "eq"};
    const auto first =
        std::find_if(command.begin(), command.end(), [](const auto& a) { return a[0] != '-'; });
    if (first == command.end() || !kLight.count(*first))
        return "rooms runs get, set, status, scene call N, batch FILE or eq import|export";
    if (*first == "scene" && (first + 1 == command.end() || first[1] != "call"))
        return "rooms runs scene call N only";
    if (*first == "batch" && (first + 1 == command.end() || first[1] == "-"))
        return "rooms batch needs a FILE (standard input cannot go to every room)";
    if (*first == "eq") {
        if (auto error = CheckEq(first + 1, command.end()))
            return error;
    }
    for (const auto& a : command) {
        if (a == "--device" || a.rfind("--device=", 0) == 0 || a == "--token-file" || a == "--wait")
            return a + " comes from the rooms file in rooms";
    }
    return std::nullopt;
}

}  // namespace

int RunRooms(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        out << kRoomsHelp;
        return kExitOk;
    }
    if (args.size() < 2) {
        err << "velactl: rooms needs FILE and a command (see velactl rooms --help)" << std::endl;
        return kExitUsage;
    }
    const std::vector<std::string> command(args.begin() + 1, args.end());
    if (const auto error = CheckCommand(command)) {
        err << "velactl: " << *error << " (see velactl rooms --help)" << std::endl;
        return kExitUsage;
    }
    std::vector<Room> rooms;
    if (const std::string error = ReadRooms(std::filesystem::u8path(args[0]), rooms); !error.empty()) {
        err << "velactl: " << error << std::endl;
        return kExitFile;
    }
    const bool json = std::find(command.begin(), command.end(), "--json") != command.end();
    std::vector<RoomResult> results(rooms.size());
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> workers;
    for (std::size_t w = 0; w < std::min(kRoomsAtOnce, rooms.size()); ++w) {
        workers.emplace_back([&] {
            for (std::size_t i = next.fetch_add(1); i < rooms.size() && !InterruptRequested();
                 i = next.fetch_add(1)) {
                results[i] = RunRoom(rooms[i], command);
            }
        });
    }
    for (auto& w : workers)
        w.join();
    int worst = kExitOk;
    for (std::size_t i = 0; i < rooms.size(); ++i) {
        if (InterruptRequested() && results[i].code == kExitOk && results[i].lines.empty()) {
            results[i] = {kExitInterrupted, {}, "interrupted"};
        }
        Print(rooms[i], results[i], json, out);
        worst = std::max(worst, results[i].code);
    }
    return worst;
}

}  // namespace vela::cli
