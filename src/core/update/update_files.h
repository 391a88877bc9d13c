// What the update writes into the working directory: the download under a temporary name, checked before it
// may replace anything, and the batch file that swaps the executables.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vela::update {

inline constexpr char kDownloadName[] = "ServerUpDataxsxsxs.exe";
inline constexpr char kBatchName[] = "UpDown.bat";

// Far above any build of the program: a server cannot make the update fill the disk.
inline constexpr std::uint64_t kMaxDownloadSize = std::uint64_t{256} << 20;

// Counts the bytes of a download against the size its header announced.
class DownloadCounter {
  public:
    explicit DownloadCounter(std::uint64_t announced) : announced_(announced) {}

    // Sizes the update accepts at all: something, and not more than kMaxDownloadSize.
    static bool Acceptable(std::uint64_t announced) { return announced > 0 && announced <= kMaxDownloadSize; }

    // Adds a received chunk; false when it runs past the announced size (the download is then void).
    [[nodiscard]] bool Add(std::size_t bytes);
    bool Complete() const { return received_ == announced_; }
    std::uint64_t Received() const { return received_; }
    std::uint64_t Announced() const { return announced_; }

  private:
    std::uint64_t announced_;
    std::uint64_t received_ = 0;
};

// IMAGE_FILE_MACHINE_* of the builds that may update themselves.
inline constexpr std::uint16_t kMachineI386 = 0x014C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;
inline constexpr std::uint16_t kMachineArm64 = 0xAA64;

enum class ImageCheck { kOk, kNotExecutable, kOtherMachine };
// Reads exactly out.size() bytes at an offset of the file; false when they are not there.
using ImageReader = std::function<bool(std::uint64_t offset, std::span<std::uint8_t> out)>;
// Whether the file is a Windows executable image (not a DLL) for the given machine type.
ImageCheck CheckExecutableImage(const ImageReader& read, std::uint16_t machine);
ImageCheck CheckExecutableImage(const std::filesystem::path& file, std::uint16_t machine);

// A name the batch file can carry inside double quotes: no quote, %, ^, &, |, <, >, nor any control
// character (line breaks among them). The command interpreter would act on those even when quoted.
bool SafeForBatch(std::wstring_view text);

// The batch file's lines, each ending in CR LF; nothing when the executable's name or the directory cannot be
// written safely (see SafeForBatch), or the name is not a plain file name.
std::optional<std::wstring> BuildBatchText(std::wstring_view exe_name, std::wstring_view current_dir);

}  // namespace vela::update
