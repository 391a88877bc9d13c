#include "platform/update_system_win32.h"

// windows.h before the headers that build on it.
// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on
#include <cpuid.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "core/update/update_signature.h"
#include "platform/handle_win32.h"

namespace vela {

namespace {

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return {};
        }
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

NTSTATUS WINAPI CloseAlgorithm(BCRYPT_ALG_HANDLE h) {
    return BCryptCloseAlgorithmProvider(h, 0);
}
using FileHandle = KernelHandle;
using Algorithm = UniqueHandle<BCRYPT_ALG_HANDLE, CloseAlgorithm>;
using Key = UniqueHandle<BCRYPT_KEY_HANDLE, BCryptDestroyKey>;
using Hash = UniqueHandle<BCRYPT_HASH_HANDLE, BCryptDestroyHash>;

Algorithm OpenAlgorithm(const wchar_t* name) {
    BCRYPT_ALG_HANDLE h = nullptr;
    return Algorithm(BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&h, name, nullptr, 0)) ? h : nullptr);
}

// Held without write or delete sharing: nobody else writes, renames or deletes the file while it lives.
class WinHeldFile final : public update::IHeldFile {
  public:
    WinHeldFile(std::filesystem::path path, FileHandle handle)
        : path_(std::move(path)), handle_(std::move(handle)) {}

    bool Write(std::span<const std::uint8_t> data) override {
        if (sealed_) {
            return false;
        }
        while (!data.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size(), 1u << 20));
            DWORD written = 0;
            if (!WriteFile(handle_.Get(), data.data(), chunk, &written, nullptr) || written == 0) {
                return false;
            }
            data = data.subspan(written);
        }
        return true;
    }

    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        while (!out.empty()) {
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(out.size(), 1u << 20));
            DWORD read = 0;
            if (!ReadFile(handle_.Get(), out.data(), chunk, &read, &at) || read == 0) {
                return false;
            }
            out = out.subspan(read);
            offset += read;
        }
        return true;
    }

    bool Seal() override {
        if (sealed_) {
            return true;
        }
        BY_HANDLE_FILE_INFORMATION written{};
        if (!FlushFileBuffers(handle_.Get()) || !GetFileInformationByHandle(handle_.Get(), &written)) {
            return false;
        }
        // Reading only from here on, still without write or delete sharing, so that the command interpreter
        // can open the file to read it and nobody can change it. A handle cannot drop its write access, and
        // a second one that refuses writers cannot open beside it: the file is opened anew, and must be the
        // same file (the caller checks its content through this handle afterwards).
        handle_.Reset();
        FileHandle reading(CreateFileW(path_.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        BY_HANDLE_FILE_INFORMATION opened{};
        if (reading.Get() == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(reading.Get(), &opened) ||
            opened.dwVolumeSerialNumber != written.dwVolumeSerialNumber ||
            opened.nFileIndexHigh != written.nFileIndexHigh ||
            opened.nFileIndexLow != written.nFileIndexLow) {
            return false;
        }
        handle_ = std::move(reading);
        sealed_ = true;
        return true;
    }

    void Discard() override {
        handle_.Reset();
        DeleteFileW(path_.wstring().c_str());
    }

    // The reading handle once sealed; nothing before.
    HANDLE SealedHandle() const { return sealed_ ? handle_.Get() : nullptr; }

  private:
    std::filesystem::path path_;
    FileHandle handle_;
    bool sealed_ = false;
};

}  // namespace

std::optional<update::PublisherKey> BuiltInPublisherKey() {
#ifdef VELA_UPDATE_KEY
    return update::ParsePublisherKey(VELA_UPDATE_KEY);
#else
    return std::nullopt;
#endif
}

bool VerifyPublisherSignature(const update::PublisherKey& key, std::span<const std::uint8_t, 32> digest,
                              std::span<const std::uint8_t, update::kSignatureSize> signature) {
    const Algorithm ecdsa = OpenAlgorithm(BCRYPT_ECDSA_P256_ALGORITHM);
    if (!ecdsa) {
        return false;
    }
    std::array<std::uint8_t, sizeof(BCRYPT_ECCKEY_BLOB) + 64> blob{};
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
    std::memcpy(blob.data(), &header, sizeof header);
    std::memcpy(blob.data() + sizeof header, key.xy.data(), key.xy.size());
    BCRYPT_KEY_HANDLE raw_key = nullptr;
    if (!BCRYPT_SUCCESS(BCryptImportKeyPair(ecdsa.Get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &raw_key,
                                            blob.data(), static_cast<ULONG>(blob.size()), 0))) {
        return false;
    }
    const Key public_key(raw_key);
    return BCRYPT_SUCCESS(BCryptVerifySignature(
        public_key.Get(), nullptr, const_cast<PUCHAR>(digest.data()), static_cast<ULONG>(digest.size()),
        const_cast<PUCHAR>(signature.data()), static_cast<ULONG>(signature.size()), 0));
}

namespace {}  // namespace

update::QueryFields RunningQueryFields() {
    update::QueryFields fields;
    const std::wstring path = ModulePath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size > 0) {
        std::vector<std::uint8_t> block(size);
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (GetFileVersionInfoW(path.c_str(), 0, size, block.data()) &&
            VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) &&
            info != nullptr && length >= sizeof *info) {
            fields.major = HIWORD(info->dwFileVersionMS);
            fields.minor = LOWORD(info->dwFileVersionMS);
        }
    }
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
        fields.cpu_signature = eax;
        fields.cpu_features = edx;
    }
    return fields;
}

std::wstring RunningExeName() {
    const std::wstring path = ModulePath();
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::uint16_t RunningMachine() {
    const auto* base = reinterpret_cast<const std::uint8_t*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->FileHeader.Machine;
}

std::unique_ptr<update::IHeldFile> WinUpdateSystem::CreateHeld(const std::filesystem::path& file) {
    FileHandle handle(CreateFileW(file.wstring().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (handle.Get() == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    return std::make_unique<WinHeldFile>(file, std::move(handle));
}

bool WinUpdateSystem::VerifySignature(update::IHeldFile& file, std::uint64_t size,
                                      std::span<const std::uint8_t, update::kSignatureSize> signature,
                                      const update::PublisherKey& key) {
    const Algorithm sha256 = OpenAlgorithm(BCRYPT_SHA256_ALGORITHM);
    BCRYPT_HASH_HANDLE raw_hash = nullptr;
    if (!sha256 || !BCRYPT_SUCCESS(BCryptCreateHash(sha256.Get(), &raw_hash, nullptr, 0, nullptr, 0, 0))) {
        return false;
    }
    const Hash hash(raw_hash);
    std::vector<std::uint8_t> chunk(1 << 16);
    for (std::uint64_t at = 0; at < size;) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), size - at));
        if (!file.ReadAt(at, std::span(chunk.data(), n)) ||
            !BCRYPT_SUCCESS(BCryptHashData(hash.Get(), chunk.data(), static_cast<ULONG>(n), 0))) {
            return false;
        }
        at += n;
    }
    std::array<std::uint8_t, 32> digest{};
    if (!BCRYPT_SUCCESS(BCryptFinishHash(hash.Get(), digest.data(), static_cast<ULONG>(digest.size()), 0))) {
        return false;
    }
    return VerifyPublisherSignature(key, digest, signature);
}

std::optional<std::string> WinUpdateSystem::BatchBytes(std::wstring_view text) {
    // The command interpreter reads batch files in the OEM code page, not the ANSI one.
    if (text.empty()) {
        return std::string();
    }
    const int length = static_cast<int>(text.size());
    BOOL lossy = FALSE;
    const int n =
        WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, text.data(), length, bytes.data(), n, nullptr,
                        &lossy);
    // Whatever does not come back as it went in would make the batch file act on another name.
    std::wstring back(text.size() * 2, L'\0');
    const int m = MultiByteToWideChar(CP_OEMCP, MB_ERR_INVALID_CHARS, bytes.data(), n, back.data(),
                                      static_cast<int>(back.size()));
    if (lossy || m <= 0 || std::wstring_view(back.data(), static_cast<std::size_t>(m)) != text) {
        return std::nullopt;
    }
    return bytes;
}

std::wstring BatchCommandLine(const std::wstring& interpreter, const std::wstring& batch) {
    return L"\"" + interpreter + L"\" /D /V:OFF /c \"\"" + batch + L"\"\"";
}

bool WinUpdateSystem::StartBatch(const std::filesystem::path& batch, const std::filesystem::path& directory,
                                 std::span<update::IHeldFile* const> held) {
    std::vector<HANDLE> handles;
    for (update::IHeldFile* file : held) {
        const auto* win_file = dynamic_cast<const WinHeldFile*>(file);
        if (win_file == nullptr || win_file->SealedHandle() == nullptr) {
            return false;
        }
        handles.push_back(win_file->SealedHandle());
    }
    wchar_t system_dir[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(system_dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        return false;
    }
    // The interpreter by its full path: a cmd.exe in the working directory is not the one meant.
    const std::wstring interpreter = std::wstring(system_dir) + L"\\cmd.exe";
    // /D: no AutoRun command from the registry runs first; /V:OFF: a '!' in a folder name stays a '!'.
    std::wstring command = BatchCommandLine(interpreter, batch.wstring());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    // Suspended until it holds the files: the batch must not run a line before that.
    if (!CreateProcessW(interpreter.c_str(), command.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_CONSOLE | CREATE_SUSPENDED, nullptr, directory.wstring().c_str(), &startup,
                        &started)) {
        return false;
    }
    const KernelHandle process(started.hProcess);
    const KernelHandle thread(started.hThread);
    // The copies are closed when the interpreter ends; it never learns their values.
    for (HANDLE h : handles) {
        HANDLE copy = nullptr;
        if (!DuplicateHandle(GetCurrentProcess(), h, process.Get(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
            TerminateProcess(process.Get(), 1);
            return false;
        }
    }
    if (ResumeThread(thread.Get()) == static_cast<DWORD>(-1)) {
        TerminateProcess(process.Get(), 1);
        return false;
    }
    return true;
}

}  // namespace vela
