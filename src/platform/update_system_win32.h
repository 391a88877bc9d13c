// The update thread's Windows pieces: the running program's version, processor and machine type, files
// held against change, the publisher's signature check (BCrypt, ECDSA P-256 over SHA-256), and starting
// the batch file.
#pragma once

#include <functional>
#include <string>

#include "core/update/online_update.h"

namespace vela {

// Version from the program's version resource (0.0 without one); processor from identification leaf 1.
update::QueryFields RunningQueryFields();
// The running program's file name, e.g. "vela.exe".
std::wstring RunningExeName();
// IMAGE_FILE_MACHINE_* of the running program.
std::uint16_t RunningMachine();

// The key given to the build (VELA_UPDATE_KEY); nothing for a build without one.
std::optional<update::PublisherKey> BuiltInPublisherKey();

// Whether `signature` (r then s) over the SHA-256 `digest` verifies with `key`.
bool VerifyPublisherSignature(const update::PublisherKey& key, std::span<const std::uint8_t, 32> digest,
                              std::span<const std::uint8_t, update::kSignatureSize> signature);

// The command that runs `batch` with `interpreter`, ignoring the registry's AutoRun and delayed expansion.
std::wstring BatchCommandLine(const std::wstring& interpreter, const std::wstring& batch);

class WinUpdateSystem : public update::IUpdateSystem {
  public:
    // exit: ends the program; called on the update thread once the batch file runs.
    explicit WinUpdateSystem(std::function<void()> exit) : exit_(std::move(exit)) {}
    std::unique_ptr<update::IHeldFile> CreateHeld(const std::filesystem::path& file) override;
    bool VerifySignature(update::IHeldFile& file, std::uint64_t size,
                         std::span<const std::uint8_t, update::kSignatureSize> signature,
                         const update::PublisherKey& key) override;
    std::optional<std::string> BatchBytes(std::wstring_view text) override;
    // The held files (made by CreateHeld and sealed) are duplicated into the interpreter, not inherited:
    // what the batch starts, the new program among them, must not hold them on.
    bool StartBatch(const std::filesystem::path& batch, const std::filesystem::path& directory,
                    std::span<update::IHeldFile* const> held) override;
    void ExitProgram() override { exit_(); }

  private:
    std::function<void()> exit_;
};

}  // namespace vela
