#include "core/update/update_files.h"

#include <array>
#include <fstream>

namespace vela::update {

namespace {

// The PE header lies within the first pages; a larger offset is not a program the linker made.
constexpr std::uint32_t kMaxPeOffset = 0x10000;
constexpr std::uint16_t kImageExecutable = 0x0002;
constexpr std::uint16_t kImageDll = 0x2000;

constexpr std::wstring_view kShortPause = L"ping 1 -n 1 -w 100 2>nul 1>nul ";
constexpr std::wstring_view kLongPause = L"ping 1 -n 1 -w 300 2>nul 1>nul ";

std::uint32_t Le(const std::uint8_t* at, int bytes) {
    std::uint32_t v = 0;
    for (int k = bytes - 1; k >= 0; --k)
        v = (v << 8) | at[k];
    return v;
}

std::wstring Quoted(std::wstring_view text) {
    std::wstring q(1, L'"');
    q.append(text).push_back(L'"');
    return q;
}

}  // namespace

bool DownloadCounter::Add(std::size_t bytes) {
    if (bytes > announced_ - received_) {
        return false;
    }
    received_ += bytes;
    return true;
}

ImageCheck CheckExecutableImage(const ImageReader& read, std::uint16_t machine) {
    std::array<std::uint8_t, 64> dos{};
    if (!read(0, dos) || dos[0] != 'M' || dos[1] != 'Z') {
        return ImageCheck::kNotExecutable;
    }
    const std::uint32_t pe_at = Le(&dos[0x3C], 4);
    if (pe_at < dos.size() || pe_at > kMaxPeOffset) {
        return ImageCheck::kNotExecutable;
    }
    // Signature, then the file header: machine (2), sections (2), time (4), symbols (8), optional size (2),
    // characteristics (2).
    std::array<std::uint8_t, 24> pe{};
    if (!read(pe_at, pe) || pe[0] != 'P' || pe[1] != 'E' || pe[2] != 0 || pe[3] != 0) {
        return ImageCheck::kNotExecutable;
    }
    const auto characteristics = static_cast<std::uint16_t>(Le(&pe[22], 2));
    if ((characteristics & kImageExecutable) == 0 || (characteristics & kImageDll) != 0) {
        return ImageCheck::kNotExecutable;
    }
    return Le(&pe[4], 2) == machine ? ImageCheck::kOk : ImageCheck::kOtherMachine;
}

ImageCheck CheckExecutableImage(const std::filesystem::path& file, std::uint16_t machine) {
    std::ifstream in(file, std::ios::binary);
    return CheckExecutableImage(
        [&](std::uint64_t offset, std::span<std::uint8_t> out) {
            return static_cast<bool>(
                in.seekg(static_cast<std::streamoff>(offset)) &&
                in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size())));
        },
        machine);
}

bool SafeForBatch(std::wstring_view text) {
    for (wchar_t c : text) {
        if (c < 0x20 || c == 0x7F || c == L'"' || c == L'%' || c == L'^' || c == L'&' || c == L'|' ||
            c == L'<' || c == L'>') {
            return false;
        }
    }
    return true;
}

std::optional<std::wstring> BuildBatchText(std::wstring_view exe_name, std::wstring_view current_dir) {
    const bool plain_name = !exe_name.empty() && exe_name.find_first_of(L"\\/:") == std::wstring_view::npos &&
                            exe_name != L"." && exe_name != L"..";
    if (!plain_name || current_dir.empty() || !SafeForBatch(exe_name) || !SafeForBatch(current_dir)) {
        return std::nullopt;
    }
    std::wstring full(current_dir);
    if (full.back() != L'\\' && full.back() != L'/') {
        full.push_back(L'\\');
    }
    full.append(exe_name);

    const std::wstring exe = Quoted(exe_name);
    const std::wstring download =
        Quoted(std::wstring(std::begin(kDownloadName), std::end(kDownloadName) - 1));
    // Copied, not renamed: the interpreter holds the download against writers and renames while it runs,
    // its own rename included.
    const std::wstring put_in_place = L"copy /b /y " + download + L" " + exe;
    const std::wstring lines[] = {
        std::wstring(kLongPause),
        L"taskkill /f /im " + exe,
        L"del " + exe,
        std::wstring(kShortPause),
        put_in_place,
        std::wstring(kShortPause),
        L"if not exist " + Quoted(full) + L" (" + put_in_place + L" )",
        L"start \"\" " + Quoted(full),
        L"del " + Quoted(std::wstring(std::begin(kBatchName), std::end(kBatchName) - 1)),
    };
    std::wstring text;
    for (const auto& line : lines) {
        text.append(line).append(L"\r\n");
    }
    return text;
}

}  // namespace vela::update
