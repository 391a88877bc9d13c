#include "cli/params_command.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>
#include <set>

#include "cli/json_writer.h"
#include "core/model/parameter_layout.h"
#include "core/protocol/factory_defaults.h"
#include "core/protocol/protocol.h"

namespace vela::cli {
namespace {

using catalogue::Bank;
using catalogue::Parameter;

std::optional<std::uint16_t> Index(std::string_view s) {
    const auto v = ParseNumber(s);
    if (!v || *v < 0 || *v >= static_cast<long>(kParameterCount))
        return std::nullopt;
    return static_cast<std::uint16_t>(*v);
}

bool LooksLikeIndex(std::string_view s) {
    return !s.empty() && std::isdigit(static_cast<unsigned char>(s[0]));
}

// Why a parameter may not be written from here, or empty.
std::string WhyNotWritable(std::uint16_t index) {
    if (index == param::kIdentity)
        return "parameter 0 is the device's identity, read by the link";
    if (index == param::kOccupancy)
        return "parameter 935 is the link's claim on the device; writing it locks other controllers out";
    if (index == param::kSceneSelector)
        return "parameter 934 selects scenes for the link; use scene call or scene save";
    if (LinkOwnedParameter(index))
        return "parameter " + std::to_string(index) +
               " is one of the words the link drives itself (928..935)";
    return {};
}

const Parameter& Entry(const ParamArg& arg, Bank bank) {
    const auto named = catalogue::Named(arg.name);
    for (const Parameter* p : named) {
        if (p->bank == Bank::kNone || p->bank == bank)
            return *p;
    }
    return *named.front();
}

bool Glob(std::string_view pattern, std::string_view text) {
    if (pattern.empty())
        return text.empty();
    if (pattern[0] == '*')
        return Glob(pattern.substr(1), text) || (!text.empty() && Glob(pattern, text.substr(1)));
    return !text.empty() && (pattern[0] == '?' || pattern[0] == text[0]) &&
           Glob(pattern.substr(1), text.substr(1));
}

// * and ? as in a shell; without them, a part of the text.
bool Matches(std::string_view pattern, std::string_view text) {
    if (pattern.find_first_of("*?") == std::string_view::npos)
        return text.find(pattern) != std::string_view::npos;
    return Glob(pattern, text);
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

std::string ParseParamArgs(const std::vector<std::string>& args, std::vector<ParamArg>& out) {
    if (args.empty())
        return "get needs at least one INDEX or NAME";
    for (const auto& a : args) {
        ParamArg arg;
        if (LooksLikeIndex(a)) {
            const auto dash = a.find('-', 1);
            const auto first = Index(std::string_view(a).substr(0, dash));
            const auto last = dash == std::string::npos ? first : Index(std::string_view(a).substr(dash + 1));
            if (!first || !last)
                return "not a parameter index or range (0..946, FIRST-LAST): " + a;
            if (*last < *first)
                return "a range runs upwards: " + a;
            for (std::uint32_t i = *first; i <= *last; ++i)
                arg.indexes.push_back(static_cast<std::uint16_t>(i));
        } else if (catalogue::Named(a).empty()) {
            return "not a parameter index, range or name: " + a + " (velactl params lists the names)";
        } else {
            arg.name = Lower(a);
        }
        out.push_back(std::move(arg));
    }
    return {};
}

bool NeedsBank(const std::vector<ParamArg>& args) {
    return std::any_of(args.begin(), args.end(), [](const ParamArg& a) {
        return !a.name.empty() && catalogue::Named(a.name).front()->bank != Bank::kNone;
    });
}

std::vector<Asked> Resolve(const std::vector<ParamArg>& args, Bank bank) {
    std::vector<Asked> asked;
    for (const auto& a : args) {
        if (a.name.empty()) {
            for (auto i : a.indexes)
                asked.push_back({i, false});
        } else {
            asked.push_back({Entry(a, bank).index, true});
        }
    }
    return asked;
}

std::string ParseWriteArgs(const std::vector<std::string>& args, bool raw, std::vector<WriteArg>& out) {
    if (args.empty())
        return "set needs at least one INDEX=VALUE or NAME=VALUE";
    for (const auto& a : args) {
        const auto eq = a.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == a.size())
            return "not INDEX=VALUE or NAME=VALUE: " + a;
        WriteArg w;
        w.text = a.substr(eq + 1);
        const std::string target = a.substr(0, eq);
        const Parameter* p = nullptr;
        if (LooksLikeIndex(target)) {
            const auto i = Index(target);
            if (!i)
                return "not INDEX=VALUE (0..946 = 0..65535): " + a;
            w.target.indexes.push_back(*i);
            p = &catalogue::At(*i);
        } else {
            const auto named = catalogue::Named(target);
            if (named.empty())
                return "not a parameter index or name: " + target + " (velactl params lists the names)";
            w.target.name = Lower(target);
            p = named.front();  // both banks share the scale
        }
        if (const std::string why = WhyNotWritable(p->index); !why.empty())
            return a + ": " + why;
        const auto number = ParseNumber(w.text);
        if (raw) {
            if (!number || *number < 0 || *number > 0xFFFF)
                return a + ": with --raw a value is a raw word, 0..65535";
            w.value = static_cast<std::uint16_t>(*number);
        } else if (w.target.name.empty() && number) {
            // A plain number for an index is the raw word, which must be one its control can write.
            if (*number < 0 || *number > 0xFFFF)
                return "not INDEX=VALUE (0..946 = 0..65535): " + a;
            if (!catalogue::RawAllowed(*p, static_cast<std::uint16_t>(*number)))
                return a + ": " + std::to_string(*number) + " is no word the window writes to " + p->name +
                       " (" + catalogue::RangeText(*p) + "); --raw writes it anyway";
            w.value = static_cast<std::uint16_t>(*number);
        } else {
            const catalogue::Parsed parsed = catalogue::Parse(*p, w.text);
            if (!parsed.raw)
                return a + ": " + parsed.error;
            w.value = *parsed.raw;
        }
        // Known before the bank: a parameter given twice, unless it is an output strip's by name.
        if (p->bank == Bank::kNone || w.target.name.empty()) {
            for (const auto& earlier : out) {
                const Parameter* e = earlier.target.name.empty()
                                         ? &catalogue::At(earlier.target.indexes.front())
                                         : catalogue::Named(earlier.target.name).front();
                if ((e->bank == Bank::kNone || earlier.target.name.empty()) && e->index == p->index)
                    return a + ": parameter " + std::to_string(p->index) + " is given more than once";
            }
        }
        out.push_back(std::move(w));
    }
    return {};
}

std::string ResolveWrites(const std::vector<WriteArg>& args, Bank bank,
                          std::map<std::uint16_t, std::uint16_t>& writes, std::vector<Asked>& asked) {
    for (const auto& w : args) {
        const bool by_name = !w.target.name.empty();
        const std::uint16_t index = by_name ? Entry(w.target, bank).index : w.target.indexes.front();
        if (!writes.emplace(index, w.value).second)
            return (by_name ? w.target.name : std::to_string(index)) + "=" + w.text + ": parameter " +
                   std::to_string(index) + " is given more than once";
        asked.push_back({index, by_name});
    }
    return {};
}

std::string ValueText(std::uint16_t index, std::uint16_t raw, bool units) {
    const Parameter& p = catalogue::At(index);
    return units && p.kind != catalogue::Kind::kWord ? catalogue::Format(p, raw) : std::to_string(raw);
}

std::string ShownName(std::uint16_t index) {
    const Parameter& p = catalogue::At(index);
    return p.name.empty() ? std::to_string(index) : p.name;
}

Bank BankOfMode(std::uint16_t mode_word) {
    return (mode_word & 2) != 0 ? Bank::kDance : Bank::kSing;
}

int RunParams(const std::vector<std::string>& args, bool json, std::ostream& out, std::ostream& err) {
    if (args.size() > 1) {
        err << "velactl: params takes at most one PATTERN (see velactl --help)" << std::endl;
        return 2;
    }
    const std::string pattern = args.empty() ? std::string() : Lower(args[0]);
    std::vector<const Parameter*> rows;
    for (const Parameter& p : catalogue::All()) {
        if (p.name.empty())
            continue;
        const std::string window = Lower(layout::ParameterName(p.index));
        if (pattern.empty() || Matches(pattern, p.name) ||
            (pattern.find_first_of("*?") == std::string::npos && Matches(pattern, window)))
            rows.push_back(&p);
    }
    if (rows.empty()) {
        err << "velactl: no parameter name matches " << pattern << std::endl;
        return 4;
    }
    const auto& defaults = FactoryDefaults();
    if (json) {
        JsonWriter w(out);
        w.OpenArray(JsonLayout::kRows);
        for (const Parameter* p : rows) {
            w.Open().Key("index").Number(p->index).Key("name").String(p->name).Key("bank");
            (p->bank == Bank::kNone ? w.Null() : w.String(catalogue::BankName(p->bank)));
            w.Key("unit").String(catalogue::UnitOf(*p)).Key("range").String(catalogue::RangeText(*p));
            w.Key("default").Number(defaults[p->index]);
            w.Key("default_text").String(catalogue::Format(*p, defaults[p->index]));
            w.Key("window").String(layout::ParameterName(p->index)).Key("writable").Bool(p->writable).Close();
        }
        w.CloseArray();
        out << "\n";
        return 0;
    }
    for (const Parameter* p : rows) {
        char index[8];
        std::snprintf(index, sizeof index, "%4u", static_cast<unsigned>(p->index));
        std::string name = p->name;
        if (p->bank != Bank::kNone)
            name += " (" + std::string(catalogue::BankName(p->bank)) + ")";
        name.resize(std::max<std::size_t>(name.size(), 34), ' ');
        const std::string unit = catalogue::UnitOf(*p);
        out << index << "  " << name << "  " << (unit.empty() ? "-" : unit) << "  "
            << catalogue::RangeText(*p) << "  default " << catalogue::Format(*p, defaults[p->index]) << "  \""
            << layout::ParameterName(p->index) << "\"" << (p->writable ? "" : "  read only") << "\n";
    }
    return 0;
}

std::string BashCompletion(const std::vector<std::string>& commands,
                           const std::vector<std::string>& options) {
    std::string command_words, option_words, names;
    for (const auto& c : commands) {
        command_words += (command_words.empty() ? "" : " ");
        command_words += c;
    }
    for (const auto& o : options) {
        option_words += (option_words.empty() ? "" : " ");
        option_words += o;
    }
    for (const auto& n : catalogue::Names()) {
        names += (names.empty() ? "" : " ");
        names += n;
    }
    return "# bash completion for velactl, generated by velactl completion bash\n"
           "_velactl() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} command= w\n"
           "    for w in \"${COMP_WORDS[@]:1:COMP_CWORD-1}\"; do\n"
           "        case \" " +
           command_words +
           " \" in *\" $w \"*) command=$w; break;; esac\n"
           "    done\n"
           "    case $prev in\n"
           "        --device) COMPREPLY=($(compgen -W 'usb sim tcp:' -- \"$cur\")); return;;\n"
           "        --bank) COMPREPLY=($(compgen -W 'sing dance' -- \"$cur\")); return;;\n"
           "        --lang) COMPREPLY=($(compgen -W 'en zh-CN zh-TW' -- \"$cur\")); return;;\n"
           "    esac\n"
           "    if [[ $cur == -* ]]; then COMPREPLY=($(compgen -W '" +
           option_words +
           "' -- \"$cur\")); return; fi\n"
           "    if [ -z \"$command\" ]; then COMPREPLY=($(compgen -W '" +
           command_words +
           "' -- \"$cur\")); return; fi\n"
           "    case $command in\n"
           "        get|set|watch|params|diff)\n"
           "            local names='" +
           names +
           "'\n"
           "            if [ \"$command\" = set ]; then COMPREPLY=($(compgen -S = -W \"$names\" -- "
           "\"$cur\")); "
           "compopt -o nospace 2>/dev/null;\n"
           "            else COMPREPLY=($(compgen -W \"$names\" -- \"$cur\")); fi\n"
           "            [ \"$command\" = diff ] && COMPREPLY+=($(compgen -f -- \"$cur\"));;\n"
           "        *) COMPREPLY=($(compgen -f -- \"$cur\"));;\n"
           "    esac\n"
           "}\n"
           "complete -F _velactl velactl\n";
}

std::optional<long> ParseNumber(std::string_view s) {
    long v = 0;
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        base = 16;
    }
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v, base);
    if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size())
        return std::nullopt;
    return v;
}

}  // namespace vela::cli
