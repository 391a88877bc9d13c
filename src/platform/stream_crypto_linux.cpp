// HMAC-SHA256 and random bytes from OpenSSL's libcrypto; token files created 0600 and never replaced.
#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/stream_access.h"

namespace vela::auth {

namespace {

class LibCrypto final : public ICrypto {
  public:
    bool RandomBytes(std::span<std::uint8_t> out) override {
        return out.size() <= INT_MAX && RAND_bytes(out.data(), static_cast<int>(out.size())) == 1;
    }
    bool HmacSha256(std::span<const std::uint8_t> key, std::span<const std::uint8_t> message,
                    Digest& out) override {
        unsigned int size = 0;
        if (key.size() > INT_MAX) {
            return false;
        }
        // An empty span may carry a null pointer, which HMAC() takes for "no key given".
        static const std::uint8_t kNothing = 0;
        return HMAC(EVP_sha256(), key.empty() ? &kNothing : key.data(), static_cast<int>(key.size()),
                    message.empty() ? &kNothing : message.data(), message.size(), out.data(),
                    &size) != nullptr &&
               size == out.size();
    }
};

}  // namespace

ICrypto& PlatformCrypto() {
    static LibCrypto crypto;
    return crypto;
}

std::string CreateTokenFile(const std::string& path) {
    std::array<std::uint8_t, kNewTokenSize> token{};
    if (!PlatformCrypto().RandomBytes(token)) {
        return "no random bytes could be had for a token";
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        const int e = errno;
        return e == EEXIST ? path + " exists already; not replacing it (a served processor may use it)"
                           : "cannot create " + path + ": " + std::strerror(e);
    }
    const std::string text = TokenToText(token) + "\n";
    // The umask may only take bits away, but say it plainly.
    bool ok = ::fchmod(fd, 0600) == 0;
    ok = ok && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(path.c_str());
        return "cannot write " + path;
    }
    return {};
}

}  // namespace vela::auth
