#include "core/diag/event_log.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <system_error>

namespace vela::diag {

namespace {

constexpr std::chrono::milliseconds kWriterSlice{200};

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

void AppendTwoDigits(std::string& out, unsigned value, int width = 2) {
    std::array<char, 4> digits{};
    for (int i = width - 1; i >= 0; --i) {
        digits[static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(digits.data(), static_cast<std::size_t>(width));
}

bool NeedsQuotes(std::string_view value) {
    return value.empty() || value.find_first_of(" =") != std::string_view::npos;
}

}  // namespace

bool IsSecretKey(std::string_view key) {
    const std::string k = Lower(key);
    for (std::string_view word : {"pass", "pw", "psk", "secret", "key", "token"}) {
        if (k.find(word) != std::string::npos) {
            return true;
        }
    }
    return false;
}

std::string EscapeText(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && c != '"' && c != '\\') {
            out.push_back(c);
        } else {
            out += "\\x";
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 0x0F]);
        }
    }
    return out;
}

std::string FormatLogLine(std::chrono::system_clock::time_point when, std::string_view name,
                          std::initializer_list<LogField> fields) {
    using namespace std::chrono;
    const auto ms = floor<milliseconds>(when);
    const auto day = floor<days>(ms);
    const year_month_day date{day};
    const hh_mm_ss time{ms - day};
    std::string line;
    line.reserve(64);
    line += std::to_string(static_cast<int>(date.year()));
    line.push_back('-');
    AppendTwoDigits(line, static_cast<unsigned>(date.month()));
    line.push_back('-');
    AppendTwoDigits(line, static_cast<unsigned>(date.day()));
    line.push_back(' ');
    AppendTwoDigits(line, static_cast<unsigned>(time.hours().count()));
    line.push_back(':');
    AppendTwoDigits(line, static_cast<unsigned>(time.minutes().count()));
    line.push_back(':');
    AppendTwoDigits(line, static_cast<unsigned>(time.seconds().count()));
    line.push_back('.');
    AppendTwoDigits(line, static_cast<unsigned>(time.subseconds().count()), 3);
    line += "Z ";
    line += EscapeText(name);
    for (const auto& field : fields) {
        line.push_back(' ');
        line += EscapeText(field.key);
        line.push_back('=');
        if (IsSecretKey(field.key)) {
            // Not even the length: a short key is a hint.
            line += "***";
            continue;
        }
        const std::string value = EscapeText(field.value);
        if (NeedsQuotes(value)) {
            line.push_back('"');
            line += value;
            line.push_back('"');
        } else {
            line += value;
        }
    }
    return line;
}

// ---------------------------------------------------------------------------------------------------------

RollingFile::RollingFile(std::filesystem::path folder, std::string name, std::uintmax_t max_bytes, int files)
    : folder_(std::move(folder)), name_(std::move(name)), max_bytes_(max_bytes), files_(std::max(files, 1)) {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    Open();
}

std::filesystem::path RollingFile::Path(int generation) const {
    return folder_ / (generation == 0 ? name_ : name_ + "." + std::to_string(generation));
}

void RollingFile::Open() {
    const auto path = Path(0);
    out_.open(path, std::ios::binary | std::ios::app);
    ok_ = static_cast<bool>(out_);
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    size_ = ec ? 0 : size;
}

void RollingFile::Rotate() {
    out_.close();
    std::error_code ec;
    std::filesystem::remove(Path(files_ - 1), ec);
    for (int g = files_ - 2; g >= 0; --g) {
        std::filesystem::rename(Path(g), Path(g + 1), ec);
    }
    // With one file kept, the old one was removed above and a fresh one starts.
    if (files_ == 1) {
        std::filesystem::remove(Path(0), ec);
    }
    Open();
}

void RollingFile::Write(std::string_view line) {
    if (size_ > 0 && size_ + line.size() > max_bytes_) {
        Rotate();
    }
    if (!ok_) {
        return;
    }
    out_.write(line.data(), static_cast<std::streamsize>(line.size()));
    size_ += line.size();
    ok_ = static_cast<bool>(out_);
}

void RollingFile::Flush() {
    out_.flush();
}

AppendFile::AppendFile(const std::filesystem::path& path) : out_(path, std::ios::binary | std::ios::app) {}

void AppendFile::Write(std::string_view line) {
    out_.write(line.data(), static_cast<std::streamsize>(line.size()));
}

void AppendFile::Flush() {
    out_.flush();
}

void StreamOutput::Write(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stream_);
}

void StreamOutput::Flush() {
    std::fflush(stream_);
}

// ---------------------------------------------------------------------------------------------------------

EventLog::EventLog(std::size_t capacity, Clock clock)
    : capacity_(std::max<std::size_t>(capacity, 1)), clock_(clock) {}

EventLog::~EventLog() {
    Stop();
}

void EventLog::AddOutput(std::unique_ptr<ILogOutput> output) {
    if (output && !writer_.joinable()) {
        outputs_.push_back(std::move(output));
    }
}

void EventLog::Start() {
    std::lock_guard lock(mutex_);
    if (!writer_.joinable() && !stopping_) {
        writer_ = std::thread([this] { Writer(); });
    }
}

void EventLog::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (writer_.joinable()) {
        writer_.join();
    }
}

void EventLog::Event(std::string_view name, std::initializer_list<LogField> fields) {
    Post(FormatLogLine(clock_(), name, fields));
}

bool EventLog::Post(std::string line) {
    line.push_back('\n');
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || queue_.size() >= capacity_) {
            ++dropped_total_;
            ++dropped_unreported_;
            return false;
        }
        queue_.push_back(std::move(line));
    }
    wake_.notify_one();
    return true;
}

std::uint64_t EventLog::Dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_total_;
}

void EventLog::Writer() {
    std::deque<std::string> batch;
    for (;;) {
        std::uint64_t dropped = 0;
        bool last = false;
        {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, kWriterSlice, [this] { return stopping_ || !queue_.empty(); });
            batch.swap(queue_);
            dropped = dropped_unreported_;
            dropped_unreported_ = 0;
            last = stopping_;
        }
        for (const auto& line : batch) {
            for (auto& output : outputs_) {
                output->Write(line);
            }
        }
        if (dropped > 0) {
            // After the lines that made it: the gap lies before this point.
            const std::string note =
                FormatLogLine(clock_(), "log", {{"dropped", std::to_string(dropped)}}) + "\n";
            for (auto& output : outputs_) {
                output->Write(note);
            }
        }
        if (!batch.empty() || dropped > 0) {
            for (auto& output : outputs_) {
                output->Flush();
            }
        }
        batch.clear();
        if (last) {
            return;
        }
    }
}

}  // namespace vela::diag
