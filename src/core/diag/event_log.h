// The diagnostic log: what the link and the update check did, one line per event, for a user to send back.
// Events are formatted on the caller's thread and handed to a writer thread through a bounded queue, so that
// a slow disk never holds up the link; a full queue drops lines and says how many.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vela::diag {

struct LogField {
    std::string_view key;
    std::string value;
};

// What the link and the update check report through. Called from their threads; must not block.
class IEventSink {
  public:
    virtual ~IEventSink() = default;
    virtual void Event(std::string_view name, std::initializer_list<LogField> fields) = 0;
};

// Keys whose values are never written: Wi-Fi keys and passwords in every spelling a caller might use.
bool IsSecretKey(std::string_view key);
// Printable ASCII stays; quotes, backslashes, control bytes and every byte above 0x7E become \xNN, so that
// text a device or a file supplied can neither forge a line nor smuggle terminal escapes.
std::string EscapeText(std::string_view text);
// "2026-12-09 18:38:52.123Z name key=value key2="two words"", without a line end.
std::string FormatLogLine(std::chrono::system_clock::time_point when, std::string_view name,
                          std::initializer_list<LogField> fields);

// Where the writer thread puts lines (each ends with '\n'). Called on the writer thread only.
class ILogOutput {
  public:
    virtual ~ILogOutput() = default;
    virtual void Write(std::string_view line) = 0;
    virtual void Flush() {}
};

// A file that is renamed away once the next line would take it past max_bytes: name, name.1, ... up to
// `files` in all; the oldest is deleted. Writes nothing (and says so through Ok) where the folder is not
// writable.
class RollingFile : public ILogOutput {
  public:
    static constexpr std::uintmax_t kDefaultMaxBytes = 1024 * 1024;
    static constexpr int kDefaultFiles = 3;

    RollingFile(std::filesystem::path folder, std::string name, std::uintmax_t max_bytes = kDefaultMaxBytes,
                int files = kDefaultFiles);
    void Write(std::string_view line) override;
    void Flush() override;
    bool Ok() const { return ok_; }
    std::filesystem::path Path(int generation) const;

  private:
    void Open();
    void Rotate();

    std::filesystem::path folder_;
    std::string name_;
    std::uintmax_t max_bytes_;
    int files_;
    std::ofstream out_;
    std::uintmax_t size_ = 0;
    bool ok_ = false;
};

// Appends to one file, never rotated (velactl --log FILE).
class AppendFile : public ILogOutput {
  public:
    explicit AppendFile(const std::filesystem::path& path);
    bool Ok() const { return static_cast<bool>(out_); }
    void Write(std::string_view line) override;
    void Flush() override;

  private:
    std::ofstream out_;
};

// A C stream such as stderr.
class StreamOutput : public ILogOutput {
  public:
    explicit StreamOutput(std::FILE* stream) : stream_(stream) {}
    void Write(std::string_view line) override;
    void Flush() override;

  private:
    std::FILE* stream_;
};

// The queue and its writer thread. Event never waits for the writer: it takes the queue's lock only to
// append a line (or count it as dropped when the queue is full).
class EventLog : public IEventSink {
  public:
    static constexpr std::size_t kDefaultCapacity = 512;
    using Clock = std::chrono::system_clock::time_point (*)();

    explicit EventLog(std::size_t capacity = kDefaultCapacity, Clock clock = &std::chrono::system_clock::now);
    ~EventLog() override;
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    // Before Start.
    void AddOutput(std::unique_ptr<ILogOutput> output);
    void Start();
    // Writes what is queued, then ends the writer. Safe to call more than once.
    void Stop();

    void Event(std::string_view name, std::initializer_list<LogField> fields) override;
    // False when the line was dropped because the queue was full.
    bool Post(std::string line);
    std::uint64_t Dropped() const;

  private:
    void Writer();

    const std::size_t capacity_;
    const Clock clock_;
    std::vector<std::unique_ptr<ILogOutput>> outputs_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::string> queue_;
    std::uint64_t dropped_total_ = 0;
    std::uint64_t dropped_unreported_ = 0;
    bool stopping_ = false;
    std::thread writer_;
};

}  // namespace vela::diag
