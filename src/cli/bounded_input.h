// Reading a stream whole, but never more than a caller's cap: standard input or a named file may be
// endless or huge, and nothing velactl reads whole is larger than a few hundred kilobytes.
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <string>

namespace vela::cli {

// Batch files: thousands of lines, far below this.
inline constexpr std::size_t kMaxBatchBytes = std::size_t{1} << 20;

// Everything up to the end of the stream; nothing when it holds more than `limit` bytes (then at most
// limit + 1 bytes were read). A read error leaves the stream's bad bit set.
std::optional<std::string> ReadBounded(std::istream& in, std::size_t limit);

}  // namespace vela::cli
