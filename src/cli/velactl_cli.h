// Inside velactl: one command line's run. The commands live in files by kind (table, scene and file,
// Wi-Fi, watch and inspect, batch); they share the session and print through one OutputWriter.
#pragma once

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <istream>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

#include "cli/console_host.h"
#include "cli/output_writer.h"
#include "cli/params_command.h"
#include "cli/session.h"
#include "cli/velactl_options.h"
#include "core/diag/event_log.h"
#include "core/files/file_data.h"
#include "core/link/link_texts.h"

namespace vela::wifi_dialog {
struct SlotCommand;
}

namespace vela::cli {

// Writes go nowhere: --quiet.
class DiscardBuffer : public std::streambuf {
  protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// How a group of writes ended: values that never answered the read-back, and values that came back
// different from what was written.
struct WriteResult {
    Outcome outcome;
    std::set<std::uint16_t> missing;
    std::map<std::uint16_t, std::uint16_t> differ;  // index -> value the device holds
    bool Ok() const { return outcome.Ok() && missing.empty() && differ.empty(); }
};

enum class Path {
    kLight,  // only what the command needs
    kFull,   // the whole table first
};

struct SceneCommand {
    std::string what;  // list, call or save
    int number = 0;
    std::string ansi_name;
};
// Empty on success, else the usage error.
std::string ParseScene(const std::vector<std::string>& args, SceneCommand& command);

// A batch's lines and how far it came (see batch_command.cpp).
struct BatchLine;
struct BatchRun;

class Cli {
  public:
    Cli(std::istream& in, std::ostream& out, std::ostream& err) : in_(in), out_(out.rdbuf()), err_(err) {}

    int Run(const std::vector<std::string>& args);

    // The commands, one per command name; each checks its own arguments.
    int List();
    int Status();
    int Dump();
    int Get();
    int Set();
    int Save();
    int Load(bool import);
    int Scene();
    int Settings();
    int Wifi();
    int Watch();
    int Inspect();
    int Batch();
    int Diff();
    int Params();
    int Completion();
    int Curve();
    int Eq();

    // What commands in other files need: the arguments after the command, and the streams.
    const Options& Opts() const { return options_; }
    std::ostream& Out() { return out_; }
    std::ostream& Err() { return err_; }
    int ReadDeviceTable(std::vector<std::uint32_t>& table);

  private:
    int Usage(const std::string& message) { return UsageError(err_, message); }
    int Fail(int code, const std::string& message);
    int Fail(const Outcome& outcome) { return Fail(outcome.code, outcome.message); }
    int FileFailure(const FileResult& r) { return Fail(kExitFile, r.Describe()); }
    OutputWriter Writer() { return OutputWriter(out_, options_.json, !options_.raw); }

    // Chooses the device, when the command may need one.
    std::optional<int> ChooseTarget();
    // --verbose and --log: the diagnostic log's lines to standard error and to a file.
    std::optional<int> OpenLog();
    int Dispatch();
    int Finish(int status);
    // Opens a session, connects and waits until the processor is free (and, on the full path, read whole).
    Outcome Open(Path path);
    // The first failure message the link showed decides the exit status.
    int CheckMessages(std::initializer_list<std::pair<LinkText, int>> failures);
    std::uint32_t DeviceId();

    // The pieces single commands and batch lines share; the session is open.
    WriteResult WriteAndConfirm(const std::map<std::uint16_t, std::uint16_t>& writes);
    int ReportWrites(const std::map<std::uint16_t, std::uint16_t>& writes, const WriteResult& r);
    int PrintValues(const std::vector<Asked>& asked, int line = 0);
    void PrintWritten(const std::vector<Asked>& asked);
    int ActiveBank(bool needed, catalogue::Bank& bank);
    // Parses the parameters among the arguments (`none_is_all`: there may be none), opens the session and
    // resolves their names in the active bank.
    int OpenForParameters(Path path, bool none_is_all, std::vector<Asked>& asked);
    int RunScene(const SceneCommand& command, int line = 0);
    int ListScenes(int line);
    int LoadReply(const Outcome& o, const std::string& file, bool import);
    Outcome WhoIsSilent(const Outcome& silence);
    int WifiShow();
    int WifiSet(const std::vector<wifi_dialog::SlotCommand>& commands, std::wstring_view done);

    int ReadBatch(std::vector<BatchLine>& lines, BatchRun& run);
    int ResolveBatch(std::vector<BatchLine>& lines, BatchRun& run);
    std::size_t RunSetLines(const std::vector<BatchLine>& lines, std::size_t k, BatchRun& run, int& status);
    int RunBatchLine(const BatchLine& line);
    int BatchLost(const BatchRun& run, int code, int line);
    void BatchLineFailed(int number, int status);

    std::chrono::milliseconds Timeout() const {
        return std::chrono::milliseconds(static_cast<long long>(options_.timeout_s * 1000));
    }

    std::istream& in_;
    std::ostream out_;  // standard output, or nowhere with --quiet
    std::ostream& err_;
    DiscardBuffer discard_;
    Options options_;
    DeviceSpec spec_;
    std::unique_ptr<diag::EventLog> log_;
    std::unique_ptr<ConsoleHost> host_;
    std::unique_ptr<Session> session_;
};

}  // namespace vela::cli
