#include "platform/update_system_win32.h"

// windows.h before the headers that build on it.
// clang-format off
#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>
// clang-format on
#include <cpuid.h>

#include <memory>
#include <optional>
#include <vector>

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

// Closes the state WinVerifyTrust keeps between its verify and close actions.
class TrustState {
  public:
    explicit TrustState(const std::wstring& file) : path_(file) {
        file_info_.cbStruct = sizeof file_info_;
        file_info_.pcwszFilePath = path_.c_str();
        data_.cbStruct = sizeof data_;
        data_.dwUIChoice = WTD_UI_NONE;
        data_.fdwRevocationChecks = WTD_REVOKE_NONE;
        data_.dwUnionChoice = WTD_CHOICE_FILE;
        data_.pFile = &file_info_;
        data_.dwStateAction = WTD_STATEACTION_VERIFY;
        data_.dwProvFlags = WTD_SAFER_FLAG;
        result_ = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
    }
    ~TrustState() {
        data_.dwStateAction = WTD_STATEACTION_CLOSE;
        WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
    }
    TrustState(const TrustState&) = delete;
    TrustState& operator=(const TrustState&) = delete;

    LONG Result() const { return result_; }
    // The signer's certificate, valid while this object lives.
    PCCERT_CONTEXT Signer() const {
        CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data_.hWVTStateData);
        CRYPT_PROVIDER_SGNR* signer =
            provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
        CRYPT_PROVIDER_CERT* cert = signer ? WTHelperGetProvCertFromChain(signer, 0) : nullptr;
        return cert ? cert->pCert : nullptr;
    }

  private:
    std::wstring path_;
    GUID action_ = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    WINTRUST_FILE_INFO file_info_{};
    WINTRUST_DATA data_{};
    LONG result_ = TRUST_E_NOSIGNATURE;
};

bool SameName(const CERT_NAME_BLOB& a, const CERT_NAME_BLOB& b) {
    return CertCompareCertificateName(X509_ASN_ENCODING, const_cast<CERT_NAME_BLOB*>(&a),
                                      const_cast<CERT_NAME_BLOB*>(&b)) != FALSE;
}

}  // namespace

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

update::SignatureCheck WinUpdateSystem::CheckSignature(const std::filesystem::path& file) {
    TrustState own(ModulePath());
    PCCERT_CONTEXT own_signer = own.Result() == ERROR_SUCCESS ? own.Signer() : nullptr;
    if (own_signer == nullptr) {
        // An unsigned program has no signer to hold an update to; the image checks still apply.
        return update::SignatureCheck::kNotRequired;
    }
    TrustState download(file.wstring());
    PCCERT_CONTEXT signer = download.Result() == ERROR_SUCCESS ? download.Signer() : nullptr;
    if (signer == nullptr) {
        return update::SignatureCheck::kRefused;
    }
    const bool same = SameName(own_signer->pCertInfo->Subject, signer->pCertInfo->Subject) &&
                      SameName(own_signer->pCertInfo->Issuer, signer->pCertInfo->Issuer);
    return same ? update::SignatureCheck::kSameSigner : update::SignatureCheck::kRefused;
}

bool WinUpdateSystem::StartBatch(const std::filesystem::path& batch, const std::filesystem::path& directory) {
    wchar_t system_dir[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(system_dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        return false;
    }
    // The interpreter by its full path: a cmd.exe in the working directory is not the one meant.
    const std::wstring interpreter = std::wstring(system_dir) + L"\\cmd.exe";
    std::wstring command = L"\"" + interpreter + L"\" /c \"\"" + batch.wstring() + L"\"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(interpreter.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE,
                        nullptr, directory.wstring().c_str(), &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace vela
