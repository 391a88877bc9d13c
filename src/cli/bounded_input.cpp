#include "cli/bounded_input.h"

#include <array>

namespace vela::cli {

std::optional<std::string> ReadBounded(std::istream& in, std::size_t limit) {
    std::string all;
    std::array<char, 16384> chunk{};
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        all.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
        if (all.size() > limit) {
            return std::nullopt;
        }
    }
    return all;
}

}  // namespace vela::cli
