#include "core/link/stream_handshake.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/text/hex.h"

namespace vela::auth {

namespace {

// Byte 0 is no envelope marker, so a processor's report never starts like this.
constexpr std::array<std::uint8_t, 8> kMarker = {0x7F, 'V', 'E', 'L', 'A', '-', 'H', 'S'};
constexpr std::size_t kKindAt = 8;
constexpr std::size_t kReasonAt = 9;
constexpr std::size_t kSinceAt = 10;
constexpr std::size_t kHolderSizeAt = 18;
constexpr std::size_t kBodyAt = 19;  // the challenge, the answer or the holder's address
constexpr std::size_t kMaxHolder = kReportSize - kBodyAt;

bool KnownKind(std::uint8_t kind) {
    return kind >= static_cast<std::uint8_t>(MessageKind::kOpen) &&
           kind <= static_cast<std::uint8_t>(MessageKind::kRefused);
}

bool KnownReason(std::uint8_t reason) {
    return reason >= static_cast<std::uint8_t>(Refusal::kWrongToken) &&
           reason <= static_cast<std::uint8_t>(Refusal::kServerFault);
}

Message Refused(Refusal reason) {
    Message m;
    m.kind = MessageKind::kRefused;
    m.reason = reason;
    return m;
}

}  // namespace

bool EqualInConstantTime(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    if (a.size() != b.size()) {
        return false;
    }
    std::uint8_t difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        difference = static_cast<std::uint8_t>(difference | (a[i] ^ b[i]));
    }
    // volatile: the compiler may not turn the loop into an early exit.
    volatile std::uint8_t result = difference;
    return result == 0;
}

Report Encode(const Message& message) {
    Report r{};
    std::copy(kMarker.begin(), kMarker.end(), r.begin());
    r[kKindAt] = static_cast<std::uint8_t>(message.kind);
    r[kReasonAt] = static_cast<std::uint8_t>(message.reason);
    const auto since = static_cast<std::uint64_t>(message.since);
    for (std::size_t i = 0; i < 8; ++i) {
        r[kSinceAt + i] = static_cast<std::uint8_t>(since >> (56 - 8 * i));
    }
    if (message.kind == MessageKind::kRefused) {
        const std::size_t n = std::min(message.holder.size(), kMaxHolder);
        r[kHolderSizeAt] = static_cast<std::uint8_t>(n);
        std::copy_n(message.holder.begin(), n, r.begin() + kBodyAt);
    } else {
        std::copy(message.data.begin(), message.data.end(), r.begin() + kBodyAt);
    }
    return r;
}

std::optional<Message> Decode(std::span<const std::uint8_t, kReportSize> report) {
    if (!std::equal(kMarker.begin(), kMarker.end(), report.begin()) || !KnownKind(report[kKindAt])) {
        return std::nullopt;
    }
    Message m;
    m.kind = static_cast<MessageKind>(report[kKindAt]);
    std::uint64_t since = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        since = (since << 8) | report[kSinceAt + i];
    }
    m.since = static_cast<std::int64_t>(since);
    if (m.kind == MessageKind::kRefused) {
        if (!KnownReason(report[kReasonAt])) {
            return std::nullopt;
        }
        m.reason = static_cast<Refusal>(report[kReasonAt]);
        const std::size_t n = std::min<std::size_t>(report[kHolderSizeAt], kMaxHolder);
        m.holder.assign(report.begin() + kBodyAt, report.begin() + static_cast<std::ptrdiff_t>(kBodyAt + n));
    } else {
        std::copy_n(report.begin() + kBodyAt, kDigestSize, m.data.begin());
    }
    return m;
}

std::string RefusalText(const Message& refusal) {
    switch (refusal.reason) {
        case Refusal::kWrongToken:
            return "wrong token";
        case Refusal::kNoAnswer:
            return "no answer to the token challenge within " + std::to_string(kAnswerLimitMs / 1000) + " s";
        case Refusal::kServerFault:
            return "the server could not make a challenge";
        case Refusal::kBusy:
            break;
    }
    // The time is the server's clock, shown in UTC so that both ends read it alike.
    std::string since = "an unknown time";
    if (refusal.since > 0) {
        const std::int64_t day_seconds = refusal.since % 86400;
        char text[32];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d UTC", static_cast<int>(day_seconds / 3600),
                      static_cast<int>(day_seconds / 60 % 60), static_cast<int>(day_seconds % 60));
        since = text;
    }
    return "busy: served to " +
           (refusal.holder.empty() ? std::string("another controller") : refusal.holder) + " since " + since;
}

Message ServerHandshake::Greeting() {
    Message m;
    if (token_.empty()) {
        return m;
    }
    if (!crypto_.RandomBytes(challenge_)) {
        return Refused(Refusal::kServerFault);
    }
    challenged_ = true;
    m.kind = MessageKind::kChallenge;
    std::copy(challenge_.begin(), challenge_.end(), m.data.begin());
    return m;
}

Message ServerHandshake::Judge(std::span<const std::uint8_t, kReportSize> report) {
    if (!challenged_) {
        return Refused(Refusal::kServerFault);
    }
    // One answer per challenge: a second look at the same challenge is refused.
    challenged_ = false;
    Digest expected{};
    if (!crypto_.HmacSha256(token_, challenge_, expected)) {
        return Refused(Refusal::kServerFault);
    }
    const auto answer = Decode(report);
    if (!answer || answer->kind != MessageKind::kAnswer || !EqualInConstantTime(answer->data, expected)) {
        return Refused(Refusal::kWrongToken);
    }
    Message accepted;
    accepted.kind = MessageKind::kAccepted;
    return accepted;
}

std::optional<Message> AnswerChallenge(ICrypto& crypto, const Token& token, const Message& challenge) {
    Message answer;
    answer.kind = MessageKind::kAnswer;
    if (!crypto.HmacSha256(token, challenge.data, answer.data)) {
        return std::nullopt;
    }
    return answer;
}

Token ReadTokenFile(const std::string& path, std::string& error) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in) {
        error = "cannot read the token file " + path;
        return {};
    }
    std::string text;
    text.resize(kMaxTokenFileSize + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxTokenFileSize) {
        error = path + " is too long for a token file";
        return {};
    }
    HexBytes parsed = ParseHexBytes(text, " \n\r\t");
    if (parsed.status == HexParse::kBadCharacter) {
        error = path + " is not a token file (hex digits expected)";
        return {};
    }
    if (parsed.status == HexParse::kOddDigits || parsed.bytes.size() < kMinTokenSize) {
        error = path + " holds no token of at least " + std::to_string(kMinTokenSize) +
                " bytes (make one with velactl serve --new-token FILE)";
        return {};
    }
    return std::move(parsed.bytes);
}

std::string TokenToText(std::span<const std::uint8_t> token) {
    return ToHex(token);
}

}  // namespace vela::auth
