#include "core/update/online_update.h"

#include <algorithm>
#include <array>
#include <system_error>
#include <vector>

#include "core/text/strings.h"

namespace vela::update {

namespace fs = std::filesystem;

namespace {

bool HostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    if (text.empty() || text.size() > 5) {
        return std::nullopt;
    }
    std::uint32_t port = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        port = port * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (port == 0 || port > 0xFFFF) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(port);
}

// Where the update learns whether the program's folder takes new files, before asking the user.
constexpr char kProbeName[] = "UpDown.probe";

}  // namespace

std::optional<UpdateHost> ParseUpdateHost(std::string_view text) {
    UpdateHost result;
    std::string_view rest;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos || close == 1) {
            return std::nullopt;
        }
        const std::string_view v6 = text.substr(1, close - 1);
        for (char c : v6) {
            const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
            if (!hex && c != ':' && c != '.') {
                return std::nullopt;
            }
        }
        result.host = std::string(v6);
        rest = text.substr(close + 1);
    } else {
        const auto colon = text.find(':');
        const std::string_view name = text.substr(0, colon);
        if (name.empty() || name.size() > 253 || !std::all_of(name.begin(), name.end(), HostCharacter)) {
            return std::nullopt;
        }
        result.host = std::string(name);
        rest = colon == std::string_view::npos ? std::string_view() : text.substr(colon);
    }
    if (!rest.empty()) {
        if (rest.front() != ':') {
            return std::nullopt;
        }
        const auto port = ParsePort(rest.substr(1));
        if (!port) {
            return std::nullopt;
        }
        result.port = *port;
    }
    return result;
}

OnlineUpdate::OnlineUpdate(UpdateSettings settings, IUpdateNetwork& network, IUpdateSystem& system,
                           ILinkHost& host, const std::atomic<bool>& link_running, IClock& clock,
                           ITextCodePage& code_page)
    : settings_(std::move(settings)),
      network_(network),
      system_(system),
      host_(host),
      link_running_(link_running),
      clock_(clock),
      code_page_(code_page) {}

OnlineUpdate::~OnlineUpdate() {
    Stop();
}

void OnlineUpdate::Start() {
    if (thread_.joinable() || Finished()) {
        return;
    }
    thread_ = std::thread([this] { end_.store(Run()); });
}

void OnlineUpdate::Stop() {
    {
        std::lock_guard lock(stop_mutex_);
        stop_.store(true);
    }
    stop_signal_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool OnlineUpdate::Pause(std::uint32_t ms) {
    std::unique_lock lock(stop_mutex_);
    return !stop_signal_.wait_for(lock, clock_.RealDuration(ms), [this] { return stop_.load(); });
}

template <class Source>
net::IoResult OnlineUpdate::ReceiveSliced(Source& source, std::uint8_t* data, std::size_t capacity,
                                          std::size_t& received, std::uint32_t timeout_ms) {
    using std::chrono::steady_clock;
    const auto deadline = steady_clock::now() + clock_.RealDuration(timeout_ms);
    received = 0;
    for (;;) {
        if (Stopping()) {
            return net::IoResult::kTimeout;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady_clock::now());
        if (left.count() <= 0) {
            return net::IoResult::kTimeout;
        }
        const auto slice = std::min(left, kStopSlice);
        const net::IoResult r = source.Receive(
            data, capacity, received, static_cast<std::uint32_t>(std::max<long long>(slice.count(), 1)));
        if (r != net::IoResult::kTimeout) {
            return r;
        }
    }
}

std::optional<std::string> OnlineUpdate::ResolveHost(bool& stopped) {
    // A name lookup cannot be cancelled and a slow name server holds it for many seconds, so it runs on a
    // thread of its own that a stop leaves behind to end by itself.
    struct Shared {
        std::mutex mutex;
        std::condition_variable done_signal;
        bool done = false;
        std::optional<std::string> address;
    };
    auto shared = std::make_shared<Shared>();
    try {
        std::thread([shared, lookup = network_.Resolver(settings_.server->host)] {
            auto address = lookup();
            std::lock_guard lock(shared->mutex);
            shared->address = std::move(address);
            shared->done = true;
            shared->done_signal.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    std::unique_lock lock(shared->mutex);
    while (!shared->done_signal.wait_for(lock, kStopSlice, [&] { return shared->done; })) {
        if (Stopping()) {
            stopped = true;
            return std::nullopt;
        }
    }
    return shared->address;
}

UpdateEnd OnlineUpdate::Run() {
    // Without a configured server nothing goes out, not even a name lookup.
    if (!settings_.server) {
        return UpdateEnd::kNoServer;
    }
    switch (network_.Start()) {
        case NetworkStart::kFailed:
            host_.ShowMessage(chinese_only::kSocketStartFailed, L"", MessageButtons::kOk);
            return UpdateEnd::kSocketStartFailed;
        case NetworkStart::kWrongVersion:
            host_.ShowMessage(chinese_only::kSocketVersionWrong, L"", MessageButtons::kOk);
            return UpdateEnd::kSocketWrongVersion;
        case NetworkStart::kStarted:
            break;
    }
    if (!Pause(kStartPauseMs)) {
        return UpdateEnd::kStopped;
    }
    const auto query = BuildQuery(settings_.query);
    const Identification identification = QueryIdentification(query);
    std::array<std::uint8_t, kReceiveChunk> datagram{};
    for (;;) {
        if (!Pause(kPassPauseMs)) {
            return UpdateEnd::kStopped;
        }
        bool stopped = false;
        const auto address = ResolveHost(stopped);
        if (stopped) {
            return UpdateEnd::kStopped;
        }
        if (!address) {
            if (!Pause(kResolveRetryMs)) {
                return UpdateEnd::kStopped;
            }
            continue;
        }
        // A fresh socket each pass: nothing queued from an earlier pass or a flood is read later.
        const auto socket = network_.OpenDatagram(*address, settings_.server->port);
        if (!socket || socket->Send(query) != net::IoResult::kOk) {
            continue;
        }
        queries_.fetch_add(1);
        std::size_t received = 0;
        if (ReceiveSliced(*socket, datagram.data(), datagram.size(), received, kReplyWaitMs) !=
            net::IoResult::kOk) {
            if (Stopping()) {
                return UpdateEnd::kStopped;
            }
            continue;
        }
        if (const auto end = HandleReply(std::span(datagram.data(), received), *address, identification)) {
            return *end;
        }
        if (Stopping()) {
            return UpdateEnd::kStopped;
        }
    }
}

std::optional<UpdateEnd> OnlineUpdate::HandleReply(std::span<const std::uint8_t> datagram,
                                                   const std::string& address,
                                                   const Identification& identification) {
    // One datagram of 1400 bytes holds at most 63 replies; all are looked at, few are acted on.
    const auto packets = ScanPackets(datagram, kTypeReply, datagram.size());
    std::size_t offers = 0;
    bool agreed = false;
    for (const Packet& packet : packets) {
        const auto reply = ParseReply(packet);
        if (!reply) {
            continue;
        }
        if (reply->identification == identification) {
            return UpdateEnd::kIdentified;
        }
        if (!reply->update_available) {
            continue;
        }
        if (++offers > kMaxOffersPerDatagram) {
            break;
        }
        if (const auto cannot = CannotUpdate()) {
            return *cannot;
        }
        // One question per datagram: the offers after the first are the same update.
        if (!agreed) {
            if (host_.ShowMessage(Text(str::kSoftwareUpdateAvailable), Text(str::kTip),
                                  MessageButtons::kOkCancel) != MessageAnswer::kOk) {
                return UpdateEnd::kDeclined;
            }
            agreed = true;
        }
        if (Stopping()) {
            return UpdateEnd::kStopped;
        }
        switch (Download(*reply, address)) {
            case Offer::kNext:
                break;
            case Offer::kRestart:
                return std::nullopt;
            case Offer::kEnd:
                return ending_;
        }
    }
    return std::nullopt;
}

void OnlineUpdate::ShowProgress(std::uint64_t size) {
    progress_shown_ = link_running_.load();
    if (progress_shown_) {
        host_.ProgressSetRange(static_cast<int>(size));
        host_.ProgressSetFormat(Text(str::kOnlineUpdate));
        host_.ProgressSetPos(0);
        host_.ProgressShow(true);
    }
}

void OnlineUpdate::SetProgress(std::uint64_t value) {
    if (progress_shown_ && link_running_.load()) {
        host_.ProgressSetPos(static_cast<int>(value));
    }
}

void OnlineUpdate::HideProgress() {
    if (progress_shown_ && link_running_.load()) {
        host_.ProgressShow(false);
    }
    progress_shown_ = false;
}

std::optional<UpdateEnd> OnlineUpdate::CannotUpdate() {
    // Telling the user that a newer version exists is all a build without the publisher's key may do.
    if (!settings_.publisher_key) {
        host_.ShowMessage(Text(extra::kUpdateNotInThisBuild), Text(str::kTip), MessageButtons::kOk);
        return UpdateEnd::kNoPublisherKey;
    }
    // Every accepted update would fail at once, and the question would come back every pass.
    if (auto probe = system_.CreateHeld(settings_.work_dir / kProbeName)) {
        probe->Discard();
        return std::nullopt;
    }
    host_.ShowMessage(Text(extra::kUpdateFolderNotWritable), Text(str::kTip), MessageButtons::kOk);
    return UpdateEnd::kFolderNotWritable;
}

OnlineUpdate::Offer OnlineUpdate::Download(const UpdateReply& reply, const std::string& address) {
    const auto request = BuildDownloadRequest(reply.ticket);
    if (!request) {
        return Offer::kNext;
    }
    const auto stream = network_.Connect(address, settings_.server->port, kConnectTimeoutMs);
    if (!stream || stream->Send(*request, kSendTimeoutMs) != net::IoResult::kOk) {
        return Offer::kNext;
    }
    std::array<std::uint8_t, kReceiveChunk> chunk{};
    std::size_t received = 0;
    if (ReceiveSliced(*stream, chunk.data(), chunk.size(), received, kDataWaitMs) != net::IoResult::kOk) {
        return Stopping() ? End(UpdateEnd::kStopped) : Offer::kNext;
    }
    const auto header = FindDownloadHeader(std::span(chunk.data(), received));
    if (!header) {
        return Offer::kNext;
    }
    // A size no build of the program has is not downloaded at all.
    if (!DownloadCounter::Acceptable(header->size)) {
        return Offer::kNext;
    }
    auto file = system_.CreateHeld(settings_.work_dir / kDownloadName);
    if (!file) {
        return Offer::kNext;
    }
    downloads_.fetch_add(1);
    ShowProgress(header->size);
    const bool complete = ReceiveFile(*stream, header->size,
                                      std::span(chunk.data() + header->end, received - header->end), *file);
    HideProgress();
    if (!complete) {
        file->Discard();
        return Stopping() ? End(UpdateEnd::kStopped) : Offer::kRestart;
    }
    const std::string name = code_page_.FromWide(settings_.exe_name);
    if (const auto report = BuildCompletionReport(header->size, name, settings_.exe_name.size())) {
        // The server learns the outcome; whether it takes the report changes nothing here.
        (void)stream->Send(*report, kSendTimeoutMs);
    }
    return CheckAndHandOver(std::move(file), header->size);
}

bool OnlineUpdate::ReceiveFile(IStream& stream, std::uint64_t size, std::span<const std::uint8_t> early,
                               IHeldFile& file) {
    DownloadCounter counter(size);
    // The stream does not keep the header's send apart from the file's: bytes that came with the header
    // are the file's first bytes, not something to drop.
    if (!counter.Add(early.size()) || !file.Write(early)) {
        return false;
    }
    std::array<std::uint8_t, kReceiveChunk> chunk{};
    while (!counter.Complete()) {
        std::size_t received = 0;
        if (ReceiveSliced(stream, chunk.data(), chunk.size(), received, kDataWaitMs) != net::IoResult::kOk) {
            return false;
        }
        // More than announced: the server and this program disagree on what the file is.
        if (!counter.Add(received) || !file.Write(std::span(chunk.data(), received))) {
            return false;
        }
        SetProgress(counter.Received());
    }
    SetProgress(size);
    return file.Seal();
}

OnlineUpdate::Offer OnlineUpdate::Refuse(IHeldFile& file, const LocalizedString& why, UpdateEnd end) {
    file.Discard();
    host_.ShowMessage(Text(why), Text(str::kTip), MessageButtons::kOk);
    return End(end);
}

OnlineUpdate::Offer OnlineUpdate::CheckAndHandOver(std::unique_ptr<IHeldFile> file, std::uint64_t size) {
    // The signature first: nothing else of a file from an unknown sender is looked at.
    std::array<std::uint8_t, kTrailerSize> tail{};
    const auto signed_download = size > kTrailerSize && file->ReadAt(size - kTrailerSize, tail)
                                     ? ParseTrailer(tail, size)
                                     : std::nullopt;
    if (!signed_download || !system_.VerifySignature(*file, signed_download->program_size,
                                                     signed_download->signature, *settings_.publisher_key)) {
        // Asking again would fetch the same refused file every pass.
        return Refuse(*file, extra::kUpdateNotSigned, UpdateEnd::kRefusedDownload);
    }
    const auto read = [&](std::uint64_t offset, std::span<std::uint8_t> out) {
        return offset + out.size() <= signed_download->program_size && file->ReadAt(offset, out);
    };
    if (CheckExecutableImage(read, settings_.machine) != ImageCheck::kOk) {
        return Refuse(*file, extra::kUpdateNotProgram, UpdateEnd::kRefusedDownload);
    }
    // A name the interpreter's code page cannot carry would make the batch file act on another file.
    const auto batch = BuildBatchText(settings_.exe_name, settings_.work_dir.wstring());
    const auto bytes = batch ? system_.BatchBytes(*batch) : std::nullopt;
    if (!bytes) {
        return Refuse(*file, extra::kUpdateFolderName, UpdateEnd::kCannotWriteBatch);
    }
    const fs::path batch_path = settings_.work_dir / kBatchName;
    auto batch_file = system_.CreateHeld(batch_path);
    if (!batch_file) {
        return Offer::kNext;
    }
    const auto batch_bytes = std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size());
    std::vector<std::uint8_t> written(batch_bytes.size());
    if (!batch_file->Write(batch_bytes) || !batch_file->Seal() || !batch_file->ReadAt(0, written) ||
        !std::equal(written.begin(), written.end(), batch_bytes.begin())) {
        batch_file->Discard();
        return Offer::kNext;
    }
    IHeldFile* const held[] = {file.get(), batch_file.get()};
    if (!system_.StartBatch(batch_path, settings_.work_dir, held)) {
        // As designed: the download stays and the thread goes on.
        return Offer::kNext;
    }
    handed_download_ = std::move(file);
    handed_batch_ = std::move(batch_file);
    system_.ExitProgram();
    return End(UpdateEnd::kHandedOver);
}

}  // namespace vela::update
