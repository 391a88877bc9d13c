// The online update thread: asks the update server whether a newer version exists, asks the user, downloads
// it, checks it and hands over to the batch file that replaces the program. The sockets, the checks that need
// the OS and the hand-over are seams, so that the thread runs against a loopback server in tests.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "core/link/io_result.h"
#include "core/link/seams.h"
#include "core/text/strings.h"
#include "core/update/update_files.h"
#include "core/update/update_packets.h"
#include "core/update/update_signature.h"

namespace vela::update {

// Where the update server is: HOST[:PORT], [IPv6][:PORT]; nothing for anything else.
struct UpdateHost {
    std::string host;
    std::uint16_t port = kDefaultPort;
};
std::optional<UpdateHost> ParseUpdateHost(std::string_view text);

// The settings file and key that hold the update host.
inline constexpr char kUpdateFile[] = "Update";
inline constexpr char kUpdateHostKey[] = "Host";

enum class NetworkStart { kStarted, kFailed, kWrongVersion };

class IDatagram {
  public:
    virtual ~IDatagram() = default;
    virtual net::IoResult Send(std::span<const std::uint8_t> data) = 0;
    virtual net::IoResult Receive(std::uint8_t* data, std::size_t capacity, std::size_t& received,
                                  std::uint32_t timeout_ms) = 0;
};

class IStream {
  public:
    virtual ~IStream() = default;
    virtual net::IoResult Send(std::span<const std::uint8_t> data, std::uint32_t timeout_ms) = 0;
    virtual net::IoResult Receive(std::uint8_t* data, std::size_t capacity, std::size_t& received,
                                  std::uint32_t timeout_ms) = 0;
};

class IUpdateNetwork {
  public:
    virtual ~IUpdateNetwork() = default;
    // Starts the socket library for the life of the thread.
    virtual NetworkStart Start() = 0;
    // The lookup of the host's first address as numeric text. It holds all it needs, so that it may outlive
    // the network and the thread: closing abandons a slow lookup instead of waiting for it.
    virtual std::function<std::optional<std::string>()> Resolver(const std::string& host) = 0;
    virtual std::unique_ptr<IDatagram> OpenDatagram(const std::string& address, std::uint16_t port) = 0;
    virtual std::unique_ptr<IStream> Connect(const std::string& address, std::uint16_t port,
                                             std::uint32_t timeout_ms) = 0;
};

// A file the update writes and checks through one handle. While it is held, others may read it but neither
// write, rename nor delete it: what was checked is what the batch file starts.
class IHeldFile {
  public:
    virtual ~IHeldFile() = default;
    [[nodiscard]] virtual bool Write(std::span<const std::uint8_t> data) = 0;
    // Reads exactly out.size() bytes at `offset` through the same handle.
    [[nodiscard]] virtual bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
    // Ends writing with everything on disk; others (the command interpreter) may then open it to read.
    // What is read through the handle afterwards is what counts: the platform may have to reopen the file.
    [[nodiscard]] virtual bool Seal() = 0;
    // Deletes the file and lets go of it.
    virtual void Discard() = 0;
};

// What only the OS can do: hold files, check the publisher's signature, start the batch file, end the
// program.
class IUpdateSystem {
  public:
    virtual ~IUpdateSystem() = default;
    // Creates (or truncates) and holds `file`; nothing when it cannot be created.
    virtual std::unique_ptr<IHeldFile> CreateHeld(const std::filesystem::path& file) = 0;
    // Whether the first `size` bytes of `file`, read through its handle, carry `signature` made with the
    // private half of `key`.
    virtual bool VerifySignature(IHeldFile& file, std::uint64_t size,
                                 std::span<const std::uint8_t, kSignatureSize> signature,
                                 const PublisherKey& key) = 0;
    // The batch file's bytes as the command interpreter reads them; nothing when the text holds a
    // character its code page cannot carry.
    virtual std::optional<std::string> BatchBytes(std::wstring_view text) = 0;
    // Runs the batch file with the command interpreter in a normal window, in `directory`. The interpreter
    // holds the `held` files as they are held here for as long as it runs, this program's end included, so
    // that nobody swaps them before the batch has used them. True when started.
    virtual bool StartBatch(const std::filesystem::path& batch, const std::filesystem::path& directory,
                            std::span<IHeldFile* const> held) = 0;
    // Ends the program (exit code 0) once the batch file runs; called on the update thread.
    virtual void ExitProgram() = 0;
};

struct UpdateSettings {
    std::optional<UpdateHost> server;  // nothing: the thread sends nothing at all
    std::filesystem::path work_dir;    // the current directory: every file goes here
    std::wstring exe_name;             // the program's file name with ".exe"
    QueryFields query;
    std::uint16_t machine = kMachineAmd64;  // the running program's: the download must match it
    // The key every download must be signed with; nothing: this build never downloads.
    std::optional<PublisherKey> publisher_key;
};

// Why the thread ended.
enum class UpdateEnd {
    kRunning,
    kNoServer,
    kSocketStartFailed,
    kSocketWrongVersion,
    kIdentified,
    kDeclined,
    kNoPublisherKey,
    kFolderNotWritable,
    kRefusedDownload,
    kCannotWriteBatch,
    kHandedOver,
    kStopped,
};

class OnlineUpdate {
  public:
    // Waits the design sets, in milliseconds of the clock.
    static constexpr std::uint32_t kStartPauseMs = 50;
    static constexpr std::uint32_t kPassPauseMs = 10000;
    static constexpr std::uint32_t kResolveRetryMs = 100;
    static constexpr std::uint32_t kReplyWaitMs = 10000;
    static constexpr std::uint32_t kDataWaitMs = 30000;
    // Not in the design: bounded so that closing the program never waits long for a connect or a send.
    static constexpr std::uint32_t kConnectTimeoutMs = 2000;
    static constexpr std::uint32_t kSendTimeoutMs = 2000;
    // A datagram packed with offers does not keep the thread connecting for hours.
    static constexpr std::size_t kMaxOffersPerDatagram = 4;
    // Real-time slice of every wait: the longest a stop request waits for the thread.
    static constexpr std::chrono::milliseconds kStopSlice{50};

    // host: the message boxes and the progress display; link_running: the progress display is touched only
    // while it is set. Every reference must outlive the object.
    OnlineUpdate(UpdateSettings settings, IUpdateNetwork& network, IUpdateSystem& system, ILinkHost& host,
                 const std::atomic<bool>& link_running, IClock& clock, ITextCodePage& code_page);
    ~OnlineUpdate();
    OnlineUpdate(const OnlineUpdate&) = delete;
    OnlineUpdate& operator=(const OnlineUpdate&) = delete;

    // StartOnlineUpdate: starts the thread and returns at once. Once only.
    void Start();
    // Ends every wait and joins the thread. The host's message box must be released by the host itself.
    void Stop();

    UpdateEnd End() const { return end_.load(); }
    bool Finished() const { return End() != UpdateEnd::kRunning; }
    std::uint32_t QueriesSent() const { return queries_.load(); }
    std::uint32_t DownloadsStarted() const { return downloads_.load(); }

  private:
    enum class Offer { kNext, kRestart, kEnd };

    UpdateEnd Run();
    // The datagram's offers, as the design's scan handles them.
    std::optional<UpdateEnd> HandleReply(std::span<const std::uint8_t> datagram, const std::string& address,
                                         const Identification& identification);
    Offer Download(const UpdateReply& reply, const std::string& address);
    // Receives the file; true when exactly `size` bytes came.
    bool ReceiveFile(IStream& stream, std::uint64_t size, std::span<const std::uint8_t> early,
                     IHeldFile& file);
    Offer CheckAndHandOver(std::unique_ptr<IHeldFile> file, std::uint64_t size);
    // Whether an offer can be taken up at all; when not, says why once and names the end.
    std::optional<UpdateEnd> CannotUpdate();
    Offer Refuse(IHeldFile& file, const LocalizedString& why, UpdateEnd end);
    Offer End(UpdateEnd why) {
        ending_ = why;
        return Offer::kEnd;
    }

    // False when stopping. Sleeps ms of the clock.
    bool Pause(std::uint32_t ms);
    // Receives in short slices until data, a failure, the timeout (ms of the clock) or a stop.
    template <class Source>
    net::IoResult ReceiveSliced(Source& source, std::uint8_t* data, std::size_t capacity,
                                std::size_t& received, std::uint32_t timeout_ms);
    bool Stopping() const { return stop_.load(); }
    // The host's address, or nothing when the lookup failed; a stop returns at once with stopped set.
    std::optional<std::string> ResolveHost(bool& stopped);
    void ShowProgress(std::uint64_t size);
    void SetProgress(std::uint64_t value);
    void HideProgress();

    UpdateSettings settings_;
    IUpdateNetwork& network_;
    IUpdateSystem& system_;
    ILinkHost& host_;
    const std::atomic<bool>& link_running_;
    IClock& clock_;
    ITextCodePage& code_page_;

    std::thread thread_;
    std::mutex stop_mutex_;
    std::condition_variable stop_signal_;
    std::atomic<bool> stop_{false};
    std::atomic<UpdateEnd> end_{UpdateEnd::kRunning};
    std::atomic<std::uint32_t> queries_{0};
    std::atomic<std::uint32_t> downloads_{0};
    bool progress_shown_ = false;
    // Held from the hand-over until the program ends, so that nobody swaps them before the batch runs.
    std::unique_ptr<IHeldFile> handed_download_;
    std::unique_ptr<IHeldFile> handed_batch_;
    UpdateEnd ending_ = UpdateEnd::kRunning;  // why, when an offer ends the thread
};

}  // namespace vela::update
