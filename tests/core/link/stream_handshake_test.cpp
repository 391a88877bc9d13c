// The token handshake's messages and judgement, with the platform's crypto behind it.
#include "core/link/stream_handshake.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/stream_access.h"
#include "support/temp_dir.h"

namespace vela::auth {
namespace {

Token TokenOf(std::uint8_t fill) {
    return Token(kNewTokenSize, fill);
}

// A challenge as a client sees it, from a server holding `token`.
Message Challenge(ServerHandshake& server) {
    const Report r = Encode(server.Greeting());
    const auto m = Decode(r);
    EXPECT_TRUE(m && m->kind == MessageKind::kChallenge);
    return m.value_or(Message{});
}

TEST(StreamHandshake, HmacIsTheStandardOne) {
    // RFC 4231, test case 2.
    const std::string key = "Jefe";
    const std::string data = "what do ya want for nothing?";
    Digest out{};
    ASSERT_TRUE(PlatformCrypto().HmacSha256(
        std::span(reinterpret_cast<const std::uint8_t*>(key.data()), key.size()),
        std::span(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()), out));
    EXPECT_EQ(TokenToText(out), "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
}

TEST(StreamHandshake, VerdictsOnEveryKindOfAnswer) {
    ServerHandshake server(PlatformCrypto(), TokenOf(7));
    ASSERT_TRUE(server.NeedsAnswer());

    const Message first = Challenge(server);
    const auto right = AnswerChallenge(PlatformCrypto(), TokenOf(7), first);
    ASSERT_TRUE(right);
    EXPECT_EQ(server.Judge(Encode(*right)).kind, MessageKind::kAccepted);
    // The same answer again, to the same challenge: one answer per challenge.
    EXPECT_EQ(server.Judge(Encode(*right)).kind, MessageKind::kRefused);

    // Replayed to a fresh challenge: the challenges differ, so the old answer is wrong.
    const Message second = Challenge(server);
    EXPECT_NE(first.data, second.data);
    const Message replay = server.Judge(Encode(*right));
    EXPECT_EQ(replay.kind, MessageKind::kRefused);
    EXPECT_EQ(RefusalText(replay), "wrong token");

    const auto wrong = AnswerChallenge(PlatformCrypto(), TokenOf(8), Challenge(server));
    EXPECT_EQ(server.Judge(Encode(*wrong)).reason, Refusal::kWrongToken);

    Report garbage{};
    garbage.fill(0x5A);
    Challenge(server);
    EXPECT_EQ(server.Judge(garbage).reason, Refusal::kWrongToken);

    // A processor's reply echoed back, or an answer with no challenge out, is no answer either.
    ServerHandshake unasked(PlatformCrypto(), TokenOf(7));
    EXPECT_EQ(unasked.Judge(Encode(*right)).kind, MessageKind::kRefused);
}

TEST(StreamHandshake, WithoutATokenEveryoneIsLetIn) {
    ServerHandshake server(PlatformCrypto(), {});
    EXPECT_FALSE(server.NeedsAnswer());
    EXPECT_EQ(server.Greeting().kind, MessageKind::kOpen);
}

TEST(StreamHandshake, MessagesSurviveTheWireAndNothingElseLooksLikeOne) {
    Message busy;
    busy.kind = MessageKind::kRefused;
    busy.reason = Refusal::kBusy;
    busy.since = 1765314192;  // 21:03:12 UTC
    busy.holder = "192.168.10.20:50122";
    const auto back = Decode(Encode(busy));
    ASSERT_TRUE(back);
    EXPECT_EQ(RefusalText(*back), "busy: served to 192.168.10.20:50122 since 21:03:12 UTC");

    // An address longer than a report has room for is cut, never written past the report.
    busy.holder = std::string(200, '9');
    const auto cut = Decode(Encode(busy));
    ASSERT_TRUE(cut);
    EXPECT_LT(cut->holder.size(), kReportSize);

    // A processor's report, a marker with an unknown kind or reason, and a holder size beyond the report.
    Report r = Encode(busy);
    Report plain{};
    plain[0] = 0xAE;
    EXPECT_FALSE(Decode(plain));
    r[8] = 9;
    EXPECT_FALSE(Decode(r));
    r = Encode(busy);
    r[9] = 0;
    EXPECT_FALSE(Decode(r));
    r = Encode(busy);
    r[18] = 255;
    ASSERT_TRUE(Decode(r));
    EXPECT_LT(Decode(r)->holder.size(), kReportSize);
}

TEST(StreamHandshake, ConstantTimeCompareFindsADifferenceAnywhere) {
    const Token a = TokenOf(1);
    for (std::size_t i = 0; i < a.size(); ++i) {
        Token b = a;
        b[i] ^= 0x80;
        EXPECT_FALSE(EqualInConstantTime(a, b)) << i;
    }
    EXPECT_TRUE(EqualInConstantTime(a, TokenOf(1)));
    EXPECT_FALSE(EqualInConstantTime(a, Token(a.size() - 1, 1)));
}

TEST(TokenFile, MadeOnceReadBackAndNeverReplaced) {
    testing::TempDir dir;
    const std::string path = (dir / "room.token").string();
    ASSERT_EQ(CreateTokenFile(path), "");
    std::string error;
    const Token token = ReadTokenFile(path, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(token.size(), kNewTokenSize);
#ifndef _WIN32
    const auto perms = std::filesystem::status(path).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
#endif
    EXPECT_NE(CreateTokenFile(path).find("exists already"), std::string::npos);
    EXPECT_EQ(ReadTokenFile(path, error), token);  // untouched

    ASSERT_EQ(CreateTokenFile((dir / "other.token").string()), "");
    EXPECT_NE(ReadTokenFile((dir / "other.token").string(), error), token);
}

TEST(TokenFile, WhatIsNoTokenIsRefusedWithTheReason) {
    testing::TempDir dir;
    const struct {
        std::string text;
        const char* reason;
    } cases[] = {
        {"00112233445566778899aabbccddee", "at least 16 bytes"},     // 15 bytes
        {"00112233445566778899aabbccddeeff0", "at least 16 bytes"},  // half a byte over
        {"00112233445566778899aabbccddeeffxx", "hex digits expected"},
        {std::string(5000, 'a'), "too long"},
        {"", "at least 16 bytes"},
    };
    for (const auto& c : cases) {
        const std::string path = (dir / "t").string();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.text;
        std::string error;
        EXPECT_TRUE(ReadTokenFile(path, error).empty()) << c.text;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    std::string error;
    std::ofstream((dir / "ok").string()) << "00112233 44556677\r\n8899aabb ccddeeff\n";
    EXPECT_EQ(ReadTokenFile((dir / "ok").string(), error).size(), 16u);
    EXPECT_TRUE(ReadTokenFile((dir / "missing").string(), error).empty());
    EXPECT_NE(error.find("cannot read"), std::string::npos);
}

}  // namespace
}  // namespace vela::auth
