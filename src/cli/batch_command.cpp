// velactl batch: one connection, one command per line.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "cli/bounded_input.h"
#include "cli/velactl_cli.h"

namespace vela::cli {

namespace {

constexpr long kLongestBatchWaitMs = 24L * 3600 * 1000;

// A batch line's words: blanks separate them, double quotes keep blanks inside one. Empty on success.
std::string SplitWords(const std::string& line, std::vector<std::string>& words) {
    std::string word;
    bool quoted = false;
    bool have = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            have = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\r')) {
            if (have)
                words.push_back(word);
            word.clear();
            have = false;
        } else {
            word.push_back(c);
            have = true;
        }
    }
    if (quoted)
        return "a quote is not closed";
    if (have)
        words.push_back(word);
    return {};
}

// Line numbers as "1-3 5".
std::string LineList(const std::vector<int>& lines) {
    std::string text;
    for (std::size_t k = 0; k < lines.size();) {
        std::size_t e = k;
        while (e + 1 < lines.size() && lines[e + 1] == lines[e] + 1)
            ++e;
        if (!text.empty())
            text += ' ';
        text += std::to_string(lines[k]);
        if (e > k) {
            text += '-';
            text += std::to_string(lines[e]);
        }
        k = e + 1;
    }
    return text.empty() ? "none" : text;
}

}  // namespace

// One parsed batch line.
struct BatchLine {
    int number = 0;
    std::string command;               // get, set, scene or wait
    std::vector<ParamArg> params;      // get
    std::vector<WriteArg> write_args;  // set
    // Resolved once the bank is known.
    std::vector<Asked> asked;
    std::map<std::uint16_t, std::uint16_t> writes;
    SceneCommand scene;
    long wait_ms = 0;
};

struct BatchRun {
    std::string name = "standard input";
    std::vector<int> completed;
    std::optional<std::pair<int, std::string>> bad;  // the line that does not parse, and why
};

namespace {

// Empty on success, else why the line does not parse.
std::string ParseBatchLine(const std::vector<std::string>& words, bool raw, BatchLine& line) {
    line.command = words[0];
    const std::vector<std::string> args(words.begin() + 1, words.end());
    if (line.command == "get")
        return ParseParamArgs(args, line.params);
    if (line.command == "set")
        return ParseWriteArgs(args, raw, line.write_args);
    if (line.command == "scene")
        return ParseScene(args, line.scene);
    if (line.command == "wait") {
        const auto ms = args.size() == 1 ? ParseNumber(args[0]) : std::nullopt;
        if (!ms || *ms < 0 || *ms > kLongestBatchWaitMs)
            return "wait needs a number of milliseconds (0.." + std::to_string(kLongestBatchWaitMs) + ")";
        line.wait_ms = *ms;
        return {};
    }
    return "not a batch command (get, set, scene, wait): " + line.command;
}

}  // namespace

int Cli::Batch() {
    if (options_.args.size() > 1)
        return Usage("batch takes at most one FILE");
    std::vector<BatchLine> lines;
    BatchRun run;
    if (const int status = ReadBatch(lines, run); status != kExitOk)
        return status;
    if (const int status = ResolveBatch(lines, run); status != kExitOk)
        return status;
    int first_failure = kExitOk;
    for (std::size_t k = 0; k < lines.size();) {
        const BatchLine& line = lines[k];
        int status = kExitOk;
        std::size_t next = k + 1;
        if (line.command == "set") {
            next = RunSetLines(lines, k, run, status);
            if (status != kExitOk && !options_.keep_going) {
                // Which lines of the run landed was said; the batch stops after the run.
                return status == kExitNoDevice ? BatchLost(run, status, line.number) : status;
            }
        } else if ((status = RunBatchLine(line)) == kExitOk) {
            run.completed.push_back(line.number);
        } else {
            BatchLineFailed(line.number, status);
            if (status == kExitNoDevice || status == kExitInterrupted || !options_.keep_going)
                return status == kExitNoDevice ? BatchLost(run, status, line.number) : status;
        }
        if (first_failure == kExitOk)
            first_failure = status;
        if (first_failure == kExitNoDevice)
            return BatchLost(run, first_failure, line.number);
        k = next;
    }
    if (run.bad) {
        err_ << "velactl: " << run.name << ": line " << run.bad->first << ": " << run.bad->second
             << "; nothing after it was done" << std::endl;
        return kExitUsage;
    }
    return first_failure;
}

// Every line is parsed before anything is sent, so a line that does not parse stops the batch right
// before it; the lines above it still run.
int Cli::ReadBatch(std::vector<BatchLine>& lines, BatchRun& run) {
    std::unique_ptr<std::ifstream> file;
    std::istream* input = &in_;
    if (!options_.args.empty() && options_.args[0] != "-") {
        run.name = options_.args[0];
        const auto path = std::filesystem::u8path(run.name);
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec))
            return Fail(kExitFile, run.name + ": is a directory");
        file = std::make_unique<std::ifstream>(path);
        if (!*file)
            return Fail(kExitFile, run.name + ": cannot be read");
        input = file.get();
    }
    const auto all = ReadBounded(*input, kMaxBatchBytes);
    if (!all) {
        return Fail(kExitFile, run.name + ": larger than a batch file may be (" +
                                   std::to_string(kMaxBatchBytes) + " bytes)");
    }
    std::istringstream batch_text(*all);
    std::string text;
    for (int number = 1; std::getline(batch_text, text); ++number) {
        std::vector<std::string> words;
        std::string error = SplitWords(text, words);
        if (error.empty() && (words.empty() || words[0].rfind('#', 0) == 0))
            continue;
        BatchLine line;
        line.number = number;
        if (error.empty())
            error = ParseBatchLine(words, options_.raw, line);
        if (!error.empty()) {
            run.bad = {number, error};
            break;
        }
        lines.push_back(std::move(line));
    }
    if (!run.bad && input->bad())
        return Fail(kExitFile, run.name + ": read failed");
    return kExitOk;
}

// Connects and resolves the lines' names; a line whose writes do not resolve ends the batch before it.
int Cli::ResolveBatch(std::vector<BatchLine>& lines, BatchRun& run) {
    if (lines.empty())
        return kExitOk;
    if (const Outcome o = Open(Path::kLight); !o.Ok()) {
        Fail(o);
        return BatchLost(run, o.code, lines.front().number);
    }
    // Names of output strips take the bank active when the batch starts (or --bank).
    bool needs_bank = false;
    for (const auto& line : lines) {
        std::vector<ParamArg> targets = line.params;
        for (const auto& w : line.write_args)
            targets.push_back(w.target);
        needs_bank = needs_bank || NeedsBank(targets);
    }
    catalogue::Bank bank = catalogue::Bank::kSing;
    if (const int status = ActiveBank(needs_bank, bank); status != kExitOk)
        return BatchLost(run, status, lines.front().number);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        lines[k].asked = Resolve(lines[k].params, bank);
        std::vector<Asked> written;
        if (std::string error = ResolveWrites(lines[k].write_args, bank, lines[k].writes, written);
            !error.empty()) {
            run.bad = {lines[k].number, error};
            lines.resize(k);
            break;
        }
    }
    return kExitOk;
}

// A run of set lines goes out together, as long as no parameter is written twice in it. Returns the
// line after the run; `status` is the first failure among its lines.
std::size_t Cli::RunSetLines(const std::vector<BatchLine>& lines, std::size_t k, BatchRun& run, int& status) {
    std::map<std::uint16_t, std::uint16_t> writes = lines[k].writes;
    std::size_t next = k + 1;
    while (next < lines.size() && lines[next].command == "set" &&
           std::none_of(lines[next].writes.begin(), lines[next].writes.end(),
                        [&](const auto& w) { return writes.count(w.first) != 0; })) {
        writes.insert(lines[next].writes.begin(), lines[next].writes.end());
        ++next;
    }
    const WriteResult r = WriteAndConfirm(writes);
    for (std::size_t j = k; j < next; ++j) {
        WriteResult mine;
        mine.outcome = r.outcome;
        for (const auto& [i, v] : lines[j].writes) {
            if (r.missing.count(i))
                mine.missing.insert(i);
            if (const auto d = r.differ.find(i); d != r.differ.end())
                mine.differ.insert(*d);
        }
        const int line_status = mine.Ok() ? kExitOk : ReportWrites(lines[j].writes, mine);
        if (line_status == kExitOk) {
            Writer().Print(LineResult{lines[j].number});
            run.completed.push_back(lines[j].number);
        } else {
            BatchLineFailed(lines[j].number, line_status);
            if (status == kExitOk)
                status = line_status;
            if (!r.outcome.Ok())
                break;  // the device is gone: the rest of the run did not complete either
        }
    }
    return next;
}

int Cli::RunBatchLine(const BatchLine& line) {
    if (line.command == "get")
        return PrintValues(line.asked, line.number);
    int status = kExitOk;
    if (line.command == "scene") {
        status = RunScene(line.scene, line.number);
        if (status != kExitOk || line.scene.what == "list")
            return status;
    } else {
        session_->WaitAtMost([] { return false; }, std::chrono::milliseconds(line.wait_ms));
        if (const Outcome o = session_->Check(); !o.Ok())
            return Fail(o);
    }
    Writer().Print(LineResult{line.number});
    return kExitOk;
}

// With --json every line that ran has its object, a failed one too.
void Cli::BatchLineFailed(int number, int status) {
    Writer().Print(LineResult{number, false, status});
    err_ << "velactl: line " << number << " failed" << std::endl;
}

int Cli::BatchLost(const BatchRun& run, int code, int line) {
    err_ << "velactl: the batch ended at line " << line << "; lines completed: " << LineList(run.completed)
         << std::endl;
    return code;
}

}  // namespace vela::cli
