// HMAC-SHA256 and random bytes from BCrypt; token files created new, never replacing one.
// windows.h before the headers that build on it.
// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include <filesystem>
#include <memory>

#include "platform/stream_access.h"

namespace vela::auth {

namespace {

constexpr std::size_t kMaxBytes = 0xFFFFFFFFu;  // what a ULONG length can say

struct AlgorithmCloser {
    void operator()(BCRYPT_ALG_HANDLE h) const { BCryptCloseAlgorithmProvider(h, 0); }
};
struct HashDestroyer {
    void operator()(BCRYPT_HASH_HANDLE h) const { BCryptDestroyHash(h); }
};
struct FileCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};

class BCryptCrypto final : public ICrypto {
  public:
    bool RandomBytes(std::span<std::uint8_t> out) override {
        return out.size() <= kMaxBytes &&
               BCRYPT_SUCCESS(BCryptGenRandom(nullptr, out.data(), static_cast<ULONG>(out.size()),
                                              BCRYPT_USE_SYSTEM_PREFERRED_RNG));
    }
    bool HmacSha256(std::span<const std::uint8_t> key, std::span<const std::uint8_t> message,
                    Digest& out) override {
        BCRYPT_ALG_HANDLE raw_alg = nullptr;
        if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&raw_alg, BCRYPT_SHA256_ALGORITHM, nullptr,
                                                        BCRYPT_ALG_HANDLE_HMAC_FLAG))) {
            return false;
        }
        std::unique_ptr<void, AlgorithmCloser> alg(raw_alg);
        BCRYPT_HASH_HANDLE raw_hash = nullptr;
        if (key.size() > kMaxBytes || message.size() > kMaxBytes ||
            !BCRYPT_SUCCESS(BCryptCreateHash(raw_alg, &raw_hash, nullptr, 0, const_cast<PUCHAR>(key.data()),
                                             static_cast<ULONG>(key.size()), 0))) {
            return false;
        }
        std::unique_ptr<void, HashDestroyer> hash(raw_hash);
        return BCRYPT_SUCCESS(BCryptHashData(raw_hash, const_cast<PUCHAR>(message.data()),
                                             static_cast<ULONG>(message.size()), 0)) &&
               BCRYPT_SUCCESS(BCryptFinishHash(raw_hash, out.data(), static_cast<ULONG>(out.size()), 0));
    }
};

}  // namespace

ICrypto& PlatformCrypto() {
    static BCryptCrypto crypto;
    return crypto;
}

std::string CreateTokenFile(const std::string& path) {
    std::array<std::uint8_t, kNewTokenSize> token{};
    if (!PlatformCrypto().RandomBytes(token)) {
        return "no random bytes could be had for a token";
    }
    const std::wstring wide = std::filesystem::path(std::u8string(path.begin(), path.end())).wstring();
    // The file inherits the folder's permissions, which on Windows are the user's profile's.
    HANDLE raw =
        CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        return e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS
                   ? path + " exists already; not replacing it (a served processor may use it)"
                   : "cannot create " + path;
    }
    std::unique_ptr<void, FileCloser> file(raw);
    const std::string text = TokenToText(token) + "\r\n";
    DWORD written = 0;
    const bool ok = WriteFile(raw, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    file.reset();
    if (!ok) {
        DeleteFileW(wide.c_str());
        return "cannot write " + path;
    }
    return {};
}

}  // namespace vela::auth
