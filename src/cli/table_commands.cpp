// velactl's commands on the parameter table: dump, get and set.
#include <algorithm>
#include <iterator>

#include "cli/velactl_cli.h"

namespace vela::cli {

int Cli::Dump() {
    if (!options_.args.empty())
        return Usage("dump takes only --names and --json");
    TableReport report;
    if (const int status = ReadDeviceTable(report.values); status != kExitOk)
        return status;
    report.device_id = DeviceId();
    report.names = options_.names;
    Writer().Print(report);
    return kExitOk;
}

int Cli::ReadDeviceTable(std::vector<std::uint32_t>& table) {
    if (const Outcome o = Open(Path::kFull); !o.Ok()) {
        return Fail(o);
    }
    const auto& t = session_->Link().Table();
    table.resize(kParameterCount);
    for (std::size_t i = 0; i < kParameterCount; ++i)
        table[i] = t.Value(i);
    return kExitOk;
}

int Cli::Get() {
    std::vector<Asked> asked;
    if (const int status = OpenForParameters(Path::kLight, false, asked); status != kExitOk)
        return status;
    return PrintValues(asked);
}

int Cli::OpenForParameters(Path path, bool none_is_all, std::vector<Asked>& asked) {
    std::vector<ParamArg> params;
    if (!none_is_all || !options_.args.empty()) {
        if (const std::string error = ParseParamArgs(options_.args, params); !error.empty())
            return Usage(error);
    }
    if (const Outcome o = Open(path); !o.Ok()) {
        return Fail(o);
    }
    catalogue::Bank bank = catalogue::Bank::kSing;
    if (const int status = ActiveBank(NeedsBank(params), bank); status != kExitOk)
        return status;
    asked = Resolve(params, bank);
    return kExitOk;
}

// The bank that output strips' names refer to: --bank, else the one the device's mode word selects
// (read only when a name needs it).
int Cli::ActiveBank(bool needed, catalogue::Bank& bank) {
    if (options_.bank) {
        bank = *options_.bank == "dance" ? catalogue::Bank::kDance : catalogue::Bank::kSing;
        return kExitOk;
    }
    if (!needed)
        return kExitOk;
    Outcome o;
    if (!session_->ReadValues({kModeWord}, o).empty() || !o.Ok())
        return Fail(o.Ok() ? Outcome{kExitNoDevice, "the device did not say which bank is active"} : o);
    bank = BankOfMode(session_->Link().Table().Value(kModeWord));
    return kExitOk;
}

// Reads the values from the device and prints them; line > 0: a batch line.
int Cli::PrintValues(const std::vector<Asked>& asked, int line) {
    std::vector<std::uint16_t> indexes;
    for (const auto& a : asked)
        indexes.push_back(a.index);
    Outcome o;
    const auto missing = session_->ReadValues(indexes, o);
    if (!o.Ok()) {
        return Fail(o);
    }
    if (!missing.empty()) {
        std::string list;
        for (auto i : missing) {
            list += ' ';
            list += std::to_string(i);
        }
        return Fail(kExitNoDevice, "no answer from the device for parameter" + list);
    }
    const auto& t = session_->Link().Table();
    ValuesReport report{line, DeviceId(), {}};
    for (const auto& a : asked)
        report.values.push_back(
            {a.index, a.index == param::kIdentity ? report.device_id : t.Value(a.index), a.by_name});
    Writer().Print(report);
    return kExitOk;
}

int Cli::Set() {
    std::vector<WriteArg> args;
    if (const std::string error = ParseWriteArgs(options_.args, options_.raw, args); !error.empty())
        return Usage(error);
    if (const Outcome o = Open(Path::kLight); !o.Ok()) {
        return Fail(o);
    }
    std::vector<ParamArg> targets;
    for (const auto& a : args)
        targets.push_back(a.target);
    catalogue::Bank bank = catalogue::Bank::kSing;
    if (const int status = ActiveBank(NeedsBank(targets), bank); status != kExitOk)
        return status;
    std::map<std::uint16_t, std::uint16_t> writes;
    std::vector<Asked> asked;
    if (const std::string error = ResolveWrites(args, bank, writes, asked); !error.empty())
        return Usage(error);
    const int status = ReportWrites(writes, WriteAndConfirm(writes));
    if (status == kExitOk)
        PrintWritten(asked);
    return status;
}

// What a set by name holds now, as read back: the names in their units.
void Cli::PrintWritten(const std::vector<Asked>& asked) {
    const auto& t = session_->Link().Table();
    ValuesReport report;
    for (const auto& a : asked)
        if (a.by_name)
            report.values.push_back({a.index, t.Value(a.index), true});
    if (report.values.empty())
        return;
    report.device_id = DeviceId();
    Writer().Print(report);
}

WriteResult Cli::WriteAndConfirm(const std::map<std::uint16_t, std::uint16_t>& writes) {
    WriteResult r;
    auto& link = session_->Link();
    auto& t = link.Table();
    for (const auto& [i, v] : writes)
        link.WriteParameter(i, v);

    // Sent and acknowledged (or given up after its retries)...
    r.outcome = session_->WaitWhileAnswering([&] {
        return std::all_of(writes.begin(), writes.end(), [&](const auto& w) { return !t.IsDirty(w.first); });
    });
    if (!r.outcome.Ok()) {
        return r;
    }
    // ... then read back, since a write that ran out of retries also ends up no longer marked. Only a
    // value that came back different is a refusal.
    std::vector<std::uint16_t> indexes;
    for (const auto& w : writes)
        indexes.push_back(w.first);
    const auto missing = session_->ReadValues(indexes, r.outcome);
    r.missing.insert(missing.begin(), missing.end());
    for (const auto& [i, v] : writes)
        if (!r.missing.count(i) && t.Value(i) != v)
            r.differ[i] = t.Value(i);
    return r;
}

int Cli::ReportWrites(const std::map<std::uint16_t, std::uint16_t>& writes, const WriteResult& r) {
    if (!r.outcome.Ok()) {
        return Fail(r.outcome);
    }
    std::vector<std::string> landed;
    for (const auto& [i, v] : writes) {
        if (r.missing.count(i)) {
            err_ << "velactl: parameter " << i << " did not answer the read-back" << std::endl;
        } else if (const auto d = r.differ.find(i); d != r.differ.end()) {
            err_ << "velactl: parameter " << i << " holds " << d->second << ", not " << v << std::endl;
        } else {
            landed.push_back(std::to_string(i) + "=" + std::to_string(v));
        }
    }
    if (r.Ok()) {
        return kExitOk;
    }
    std::string list;
    for (const auto& l : landed)
        list += " " + l;
    err_ << "velactl: landed:" << (landed.empty() ? std::string(" none") : list) << std::endl;
    return r.differ.empty() ? kExitNoDevice : kExitFailed;
}

}  // namespace vela::cli
