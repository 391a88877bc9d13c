#include "cli/eq_command.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

#include "cli/bounded_input.h"
#include "cli/output_text.h"
#include "cli/session.h"
#include "core/files/file_data.h"
#include "core/model/parameter_layout.h"
#include "core/protocol/protocol.h"
#include "core/text/text_format.h"
#include "core/ui/eq_import.h"

namespace vela::cli {
namespace {

struct EqOptions {
    bool import = false;
    std::string file;
    std::string channel;
    std::optional<bool> dance;
    bool clamp = false;
    bool dry_run = false;
    bool json = false;
};

int Usage(std::ostream& err, const std::string& message) {
    err << "velactl: " << message << "\nTry 'velactl eq --help'." << std::endl;
    return kExitUsage;
}

int Refuse(std::ostream& err, const std::string& message) {
    err << "velactl: " << message << std::endl;
    return kExitUsage;
}

std::optional<int> ParseOption(const std::vector<std::string>& args, std::size_t& i, EqOptions& o,
                               std::ostream& err) {
    const std::string& a = args[i];
    const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
    if (a == "--channel" || a == "--bank") {
        if (!value)
            return Usage(err, a + " needs a value");
        ++i;
        if (a == "--channel") {
            o.channel = *value;
        } else if (*value == "sing" || *value == "dance") {
            o.dance = *value == "dance";
        } else {
            return Usage(err, "--bank takes sing or dance");
        }
    } else if (a == "--clamp" || a == "--dry-run" || a == "--json") {
        if (!o.import)
            return Usage(err, a + " belongs to eq import");
        (a == "--clamp" ? o.clamp : a == "--dry-run" ? o.dry_run : o.json) = true;
    } else if (a.size() > 1 && a[0] == '-') {
        return Usage(err, "eq does not know " + a);
    } else if (o.file.empty()) {
        o.file = a;
    } else {
        return Usage(err, "eq " + std::string(o.import ? "import" : "export") + " takes one FILE");
    }
    return std::nullopt;
}

std::optional<int> Parse(const std::vector<std::string>& args, EqOptions& o, std::ostream& err) {
    if (args.empty() || (args[0] != "import" && args[0] != "export"))
        return Usage(err, "eq takes import or export");
    o.import = args[0] == "import";
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (const auto r = ParseOption(args, i, o, err))
            return r;
    }
    if (o.channel.empty())
        return Usage(err, "eq needs --channel NAME");
    if (!ChannelByName(o.channel))
        return Usage(err, "unknown channel " + o.channel +
                              " (main, center, sub, rear, music, mica, micb, echo, reverb)");
    if (o.import && o.file.empty())
        return Usage(err, "eq import needs a FILE (- for standard input)");
    if (o.file.empty())
        o.file.push_back('-');
    return std::nullopt;
}

// The list's text; an exit status when it cannot be read or is too large to be one.
std::optional<int> ReadList(const std::string& file, std::istream& in, std::string& text, std::ostream& err) {
    std::optional<std::string> read;
    if (file == "-") {
        read = ReadBounded(in, eqtext::kMaxTextBytes);
        if (in.bad()) {
            err << "velactl: standard input: read failed" << std::endl;
            return kExitFile;
        }
    } else {
        const auto path = std::filesystem::u8path(file);
        std::error_code ec;
        std::ifstream stream;
        if (!std::filesystem::is_directory(path, ec))
            stream.open(path, std::ios::binary);
        if (!stream) {
            err << "velactl: " << file << ": cannot be read" << std::endl;
            return kExitFile;
        }
        read = ReadBounded(stream, eqtext::kMaxTextBytes);
        if (stream.bad()) {
            err << "velactl: " << file << ": read failed" << std::endl;
            return kExitFile;
        }
    }
    if (!read)
        return Refuse(err, file + ": larger than 1 MiB: not a filter list");
    text = std::move(*read);
    return std::nullopt;
}

std::string JsonFilter(const eqtext::Filter& f) {
    return "{\"type\": \"" + std::string(eqtext::TypeCode(f.type)) +
           "\", \"hz\": " + PrintNumber("%.1f", f.hz) + ", \"gain_db\": " + PrintNumber("%.2f", f.gain_db) +
           ", \"q\": " + PrintNumber("%.3f", f.q) + "}";
}

void PrintJson(const EqFit& fit, const EqOptions& o, Channel channel, bool dance, bool written,
               std::ostream& out) {
    out << "{\"channel\": \"" << JsonString(o.channel) << "\"";
    if (IsOutputStrip(channel) && (written || o.dance))
        out << ", \"bank\": \"" << (dance ? "dance" : "sing") << "\"";
    out << ", \"written\": " << (written ? "true" : "false") << ", \"bands\": [";
    for (std::size_t b = 0; b < fit.bands.size(); ++b) {
        const EqBandFit& band = fit.bands[b];
        out << (b ? ", " : "") << "{\"band\": " << b + 1;
        if (band.asked)
            out << ", \"line\": " << band.asked->line << ", \"asked\": " << JsonFilter(*band.asked);
        out << ", \"set\": " << JsonFilter(band.Set()) << ", \"flat\": " << (band.asked ? "false" : "true")
            << ", \"freq_clamped\": " << (band.freq_clamped ? "true" : "false")
            << ", \"gain_clamped\": " << (band.gain_clamped ? "true" : "false") << "}";
    }
    out << "], \"preamp_db\": " << (fit.preamp_db ? PrintNumber("%.2f", *fit.preamp_db) : std::string("null"))
        << ", \"largest_difference_db\": " << PrintNumber("%.3f", fit.largest_difference_db) << "}"
        << std::endl;
}

// The output strips' bank: --bank, else the one the device's mode word selects.
int Bank(const EqOptions& o, Channel channel, const EqDevice& device, bool& dance) {
    if (o.dance || !IsOutputStrip(channel)) {
        dance = o.dance.value_or(false);
        return kExitOk;
    }
    std::vector<std::uint32_t> table;
    if (const int status = device.read({param::kModeWord}, table); status != kExitOk)
        return status;
    dance = DanceBankSelected(table);
    return kExitOk;
}

int Import(const EqOptions& o, Channel channel, const EqDevice& device, std::istream& in, std::ostream& out,
           std::ostream& err) {
    std::string text;
    if (const auto r = ReadList(o.file, in, text, err))
        return *r;
    const EqFit fit = FitEq(eqtext::Parse(text), channel, o.clamp);
    if (!fit.Ok())
        return Refuse(err, (o.file == "-" ? std::string("standard input") : o.file) + ": " + fit.error);
    bool dance = o.dance.value_or(false);
    if (!o.dry_run) {
        if (const int status = Bank(o, channel, device, dance); status != kExitOk)
            return status;
        if (const int status = device.write(EqWrites(fit, channel, dance)); status != kExitOk)
            return status;
    }
    if (o.json) {
        PrintJson(fit, o, channel, dance, !o.dry_run, out);
    } else {
        for (const std::string& line : EqReportLines(fit))
            out << line << "\n";
        if (o.dry_run)
            out << "dry run: nothing written\n";
    }
    out.flush();
    return out ? kExitOk : kExitFile;
}

int Export(const EqOptions& o, Channel channel, const EqDevice& device, std::ostream& out,
           std::ostream& err) {
    std::filesystem::path target;
    if (o.file != "-") {
        // Refused before the device is read.
        const FileResult check = CZB_FileData::CheckSceneTarget(std::filesystem::u8path(o.file));
        if (!check.Ok()) {
            err << "velactl: " << check.Describe() << std::endl;
            return kExitFile;
        }
        target = check.path;
    }
    bool dance = false;
    if (const int status = Bank(o, channel, device, dance); status != kExitOk)
        return status;
    std::vector<std::uint32_t> table;
    if (const int status = device.read(EqBandIndexes(channel, dance), table); status != kExitOk)
        return status;
    const std::string text = EqExportList(EqFiltersInTable(table, channel, dance), channel, dance);
    if (o.file == "-") {
        out << text;
        out.flush();
        return out ? kExitOk : kExitFile;
    }
    if (!ReplaceFileWhole(target,
                          std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()))) {
        err << "velactl: " << o.file << ": could not be written" << std::endl;
        return kExitFile;
    }
    return kExitOk;
}

}  // namespace

int RunEq(const std::vector<std::string>& args, const EqDevice& device, std::istream& in, std::ostream& out,
          std::ostream& err) {
    EqOptions o;
    if (const auto r = Parse(args, o, err))
        return *r;
    const Channel channel = *ChannelByName(o.channel);
    return o.import ? Import(o, channel, device, in, out, err) : Export(o, channel, device, out, err);
}

}  // namespace vela::cli
