// Rewriting a scene file's values in place: everything else in the file keeps its bytes.
#include <algorithm>
#include <array>

#include "core/files/file_data.h"
#include "core/protocol/frames.h"

namespace vela {

std::optional<std::vector<std::uint8_t>> CZB_FileData::PatchSceneValues(
    std::span<const std::uint8_t> file, std::span<const std::uint32_t> values) {
    CZB_FileData decoded;
    if (!decoded.DecodeScene(file).Ok() || decoded.ValueCount() != values.size()) {
        return std::nullopt;
    }
    // The content as DecodeScene rebuilt it (it checked every pair), to recompute the check value over.
    const std::uint8_t* alphabet = &file[kAlphabetAt];
    std::array<int, 256> position;
    position.fill(-1);
    for (int k = 15; k >= 0; --k)
        position[alphabet[k]] = k;
    std::vector<std::uint8_t> l(file.begin(), file.begin() + kHeaderPlain);
    for (std::size_t i = kHeaderPlain; i + 1 < file.size(); i += 2)
        l.push_back(static_cast<std::uint8_t>((position[file[i]] << 4) | position[file[i + 1]]));

    const std::size_t offset = decoded.DataOffset();
    for (std::size_t i = 0; i < values.size(); ++i) {
        l[offset + 2 * i] = static_cast<std::uint8_t>(values[i] & 0xFF);
        l[offset + 2 * i + 1] = static_cast<std::uint8_t>((values[i] >> 8) & 0xFF);
    }
    const std::size_t checked = offset + 2 * values.size();
    const std::uint16_t crc = Crc16(l.data(), checked);
    for (int k = 0; k < 4; ++k)
        l[checked + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(k < 2 ? crc >> (8 * k) : 0);

    std::vector<std::uint8_t> out(file.begin(), file.end());
    for (std::size_t j = 0; j < l.size(); ++j) {
        if (j < kHeaderPlain) {
            out[j] = l[j];
        } else {
            out[kHeaderPlain + 2 * (j - kHeaderPlain)] = alphabet[l[j] >> 4];
            out[kHeaderPlain + 2 * (j - kHeaderPlain) + 1] = alphabet[l[j] & 15];
        }
    }
    // An alphabet with a repeated byte cannot carry every nibble: such a file is not patched.
    CZB_FileData check;
    if (!check.DecodeScene(out).Ok() ||
        !std::equal(values.begin(), values.end(), check.Values().begin(), check.Values().end())) {
        return std::nullopt;
    }
    return out;
}

}  // namespace vela
