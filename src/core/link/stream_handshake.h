// Access to a processor served over the report stream. A server with a token sends a fresh random
// challenge as the first 64 bytes; the client answers HMAC-SHA256(token, challenge) and the server says
// accepted or refused. The token itself never crosses the network. Every handshake message is one report
// long and starts with a marker no processor report starts with, so that a client without a token still
// reads a refusal as one whole report and can tell it from the processor's replies.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/protocol/report.h"

namespace vela::auth {

inline constexpr std::size_t kDigestSize = 32;
inline constexpr std::size_t kChallengeSize = 32;
inline constexpr std::size_t kMinTokenSize = 16;
inline constexpr std::size_t kNewTokenSize = 32;
// A token file is a line of hex digits; anything much longer is not one.
inline constexpr std::size_t kMaxTokenFileSize = 4096;
// How long a server waits for the answer, and a client for the server's word.
inline constexpr std::uint32_t kAnswerLimitMs = 5000;

using Digest = std::array<std::uint8_t, kDigestSize>;
using Token = std::vector<std::uint8_t>;

// What the platform's crypto library provides.
class ICrypto {
  public:
    virtual ~ICrypto() = default;
    [[nodiscard]] virtual bool RandomBytes(std::span<std::uint8_t> out) = 0;
    [[nodiscard]] virtual bool HmacSha256(std::span<const std::uint8_t> key,
                                          std::span<const std::uint8_t> message, Digest& out) = 0;
};

// The platform's implementation (OpenSSL's libcrypto on Linux, BCrypt on Windows).
ICrypto& PlatformCrypto();

// Takes as long for any two inputs of one size, wherever they differ.
bool EqualInConstantTime(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

enum class MessageKind : std::uint8_t {
    kOpen = 1,       // server: no token needed, reports follow
    kChallenge = 2,  // server: prove the token on these bytes
    kAnswer = 3,     // client: the HMAC of the challenge
    kAccepted = 4,   // server: reports follow
    kRefused = 5,    // server: the connection closes; `reason` says why
};

enum class Refusal : std::uint8_t {
    kWrongToken = 1,
    kNoAnswer = 2,
    kBusy = 3,
    kServerFault = 4,  // the server could not make a challenge
};

struct Message {
    MessageKind kind = MessageKind::kOpen;
    std::array<std::uint8_t, kDigestSize> data{};  // the challenge or the answer
    Refusal reason = Refusal::kWrongToken;
    std::int64_t since = 0;  // kBusy: when the current controller connected (seconds since 1970)
    std::string holder;      // kBusy: its address, cut to what fits
};

Report Encode(const Message& message);
// Nothing when the report is not a handshake message (a processor's report, or damaged).
std::optional<Message> Decode(std::span<const std::uint8_t, kReportSize> report);

// The client's side of a refusal, as it prints it after "refused by HOST:PORT: ".
std::string RefusalText(const Message& refusal);

// The server's side of one connection's handshake.
class ServerHandshake {
  public:
    // An empty token: every client is let in.
    ServerHandshake(ICrypto& crypto, Token token) : crypto_(crypto), token_(std::move(token)) {}

    bool NeedsAnswer() const { return !token_.empty(); }
    // The first message: kOpen, or a challenge made afresh for this connection (kRefused with
    // kServerFault when no random bytes could be had).
    Message Greeting();
    // The verdict on the client's first report: kAccepted or kRefused.
    Message Judge(std::span<const std::uint8_t, kReportSize> report);

  private:
    ICrypto& crypto_;
    Token token_;
    std::array<std::uint8_t, kChallengeSize> challenge_{};
    bool challenged_ = false;
};

// The client's answer to a challenge; nothing when the crypto library failed.
std::optional<Message> AnswerChallenge(ICrypto& crypto, const Token& token, const Message& challenge);

// Reads a token file (hex digits, spaces and line ends ignored). Sets `error` and returns an empty token
// when the file cannot be read or holds no token of at least kMinTokenSize bytes.
Token ReadTokenFile(const std::string& path, std::string& error);
std::string TokenToText(std::span<const std::uint8_t> token);

}  // namespace vela::auth
