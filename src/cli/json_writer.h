// JSON as velactl prints it: objects on one line ("key": value, members after ", "), arrays in one of a
// few layouts, every string escaped (see JsonString) so that the output is valid whatever a device or a
// file held.
#pragma once

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace vela::cli {

enum class JsonLayout {
    kOneLine,         // [a, b]
    kRows,            // [a,\n b]
    kIndented,        // [\n  a,\n  b\n]   and [\n] when empty
    kIndentedOrNone,  // as kIndented, but [] when empty
};

class JsonWriter {
  public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    JsonWriter& Open();
    JsonWriter& Close();
    JsonWriter& OpenArray(JsonLayout layout);
    JsonWriter& CloseArray();
    // An object's member name; its value follows.
    JsonWriter& Key(std::string_view name);

    JsonWriter& String(std::string_view utf8);
    JsonWriter& Null();
    JsonWriter& Bool(bool value);
    template <class Integer, class = std::enable_if_t<std::is_integral_v<Integer>>>
    JsonWriter& Number(Integer value) {
        return Literal(std::to_string(value));
    }
    // A number already formatted (fixed decimals).
    JsonWriter& Literal(std::string_view text);

    // A string, or null when there is none.
    JsonWriter& StringOrNull(const std::optional<std::string>& utf8) { return utf8 ? String(*utf8) : Null(); }

  private:
    struct Level {
        bool array = false;
        JsonLayout layout = JsonLayout::kOneLine;
        std::size_t count = 0;
    };
    // The separator before a value (or, in an object, before a key).
    void Separate();

    std::ostream& out_;
    std::vector<Level> levels_;
    bool after_key_ = false;
};

}  // namespace vela::cli
