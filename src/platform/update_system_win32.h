// The update thread's Windows pieces: the running program's version, processor and machine type, the
// signature check, and starting the batch file.
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

class WinUpdateSystem final : public update::IUpdateSystem {
  public:
    // exit: ends the program; called on the update thread once the batch file runs.
    explicit WinUpdateSystem(std::function<void()> exit) : exit_(std::move(exit)) {}
    update::SignatureCheck CheckSignature(const std::filesystem::path& file) override;
    bool StartBatch(const std::filesystem::path& batch, const std::filesystem::path& directory) override;
    void ExitProgram() override { exit_(); }

  private:
    std::function<void()> exit_;
};

}  // namespace vela
