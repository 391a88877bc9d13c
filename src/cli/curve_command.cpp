#include "cli/curve_command.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "cli/json_writer.h"
#include "cli/session.h"
#include "core/files/file_data.h"
#include "core/model/channel_response.h"
#include "core/text/text_format.h"

namespace vela::cli {
namespace {

constexpr int kDefaultPoints = 512;
constexpr int kMostPoints = 65536;

struct CurveOptions {
    std::string file;
    std::string channel;
    std::optional<bool> dance;
    int points = kDefaultPoints;
    bool json = false;
    bool live = false;
};

int Usage(std::ostream& err, const std::string& message) {
    err << "velactl: " << message << "\nTry 'velactl curve --help'." << std::endl;
    return kExitUsage;
}

// Parses the arguments; an exit status when they are wrong.
std::optional<int> Parse(const std::vector<std::string>& args, CurveOptions& o, std::ostream& err) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string* { return i + 1 < args.size() ? &args[++i] : nullptr; };
        if (a == "--channel") {
            const std::string* v = value();
            if (!v)
                return Usage(err, "--channel needs a NAME");
            o.channel = *v;
        } else if (a == "--bank") {
            const std::string* v = value();
            if (!v || (*v != "sing" && *v != "dance"))
                return Usage(err, "--bank takes sing or dance");
            o.dance = *v == "dance";
        } else if (a == "--points") {
            const std::string* v = value();
            int n = 0;
            const auto r =
                v ? std::from_chars(v->data(), v->data() + v->size(), n) : std::from_chars_result{};
            if (!v || r.ec != std::errc() || r.ptr != v->data() + v->size() || n < 1 || n > kMostPoints)
                return Usage(err, "--points takes a number from 1 to 65536");
            o.points = n;
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--live") {
            o.live = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage(err, "curve does not know " + a);
        } else if (o.file.empty()) {
            o.file = a;
        } else {
            return Usage(err, "curve takes one FILE");
        }
    }
    if (o.channel.empty())
        return Usage(err, "curve needs --channel NAME");
    if (!ChannelByName(o.channel))
        return Usage(err, "unknown channel " + o.channel +
                              " (main, center, sub, rear, music, mica, micb, echo, reverb)");
    if (o.live && !o.file.empty())
        return Usage(err, "curve takes FILE or --live, not both");
    return std::nullopt;
}

// The scene file's values; an exit status when the file cannot serve.
std::optional<int> ReadFile(const std::string& file, std::vector<std::uint32_t>& table, std::ostream& err) {
    CZB_FileData scene;
    const FileResult r = scene.LoadScene(std::filesystem::u8path(file));
    if (r.error == FileError::kEmptyPath)
        return Usage(err, "curve needs a FILE name");
    if (!r.Ok()) {
        err << "velactl: " << r.Describe() << std::endl;
        return kExitFile;
    }
    table = scene.Values();
    return std::nullopt;
}

}  // namespace

int RunCurve(const std::vector<std::string>& args, const DeviceTableReader& read_device, std::ostream& out,
             std::ostream& err) {
    CurveOptions o;
    if (const auto r = Parse(args, o, err))
        return *r;
    const Channel channel = *ChannelByName(o.channel);

    std::vector<std::uint32_t> table;
    if (!o.file.empty()) {
        if (const auto r = ReadFile(o.file, table, err))
            return *r;
    } else {
        if (!read_device)
            return Usage(err, "curve needs FILE, or a device to read");
        if (const int r = read_device(table); r != kExitOk)
            return r;
    }
    const bool dance = o.dance.value_or(DanceBankSelected(table));
    const auto response = ComputeChannelResponse(table, channel, dance, o.points);
    if (!response) {
        err << "velactl: " << (o.file.empty() ? std::string("the device") : o.file) << ": holds only "
            << table.size() << " values, too few for the " << o.channel << " channel" << std::endl;
        return kExitFile;
    }

    if (o.json) {
        JsonWriter json(out);
        json.Open().Key("channel").String(o.channel);
        if (IsOutputStrip(channel))
            json.Key("bank").String(dance ? "dance" : "sing");
        json.Key("eq_passed").Bool(response->eq_passed).Key("points").OpenArray(JsonLayout::kIndented);
        for (const auto& p : response->points)
            json.Open()
                .Key("hz")
                .Literal(PrintNumber("%.3f", p.hz))
                .Key("db")
                .Literal(PrintNumber("%.4f", p.db))
                .Close();
        json.CloseArray().Close();
        out << "\n";
    } else {
        out << "hz,db\n";
        for (const auto& p : response->points)
            out << PrintNumber("%.3f", p.hz) << "," << PrintNumber("%.4f", p.db) << "\n";
    }
    out.flush();
    return out ? kExitOk : kExitFile;
}

}  // namespace vela::cli
