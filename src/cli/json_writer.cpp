#include "cli/json_writer.h"

#include "cli/output_text.h"

namespace vela::cli {

void JsonWriter::Separate() {
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (levels_.empty())
        return;
    Level& level = levels_.back();
    if (!level.array || level.layout == JsonLayout::kOneLine) {
        out_ << (level.count ? ", " : "");
    } else if (level.layout == JsonLayout::kRows) {
        out_ << (level.count ? ",\n " : "");
    } else {
        out_ << (level.count ? ",\n  " : "\n  ");
    }
    ++level.count;
}

JsonWriter& JsonWriter::Open() {
    Separate();
    out_ << '{';
    levels_.push_back({});
    return *this;
}

JsonWriter& JsonWriter::Close() {
    levels_.pop_back();
    out_ << '}';
    return *this;
}

JsonWriter& JsonWriter::OpenArray(JsonLayout layout) {
    Separate();
    out_ << '[';
    levels_.push_back({true, layout, 0});
    return *this;
}

JsonWriter& JsonWriter::CloseArray() {
    const Level level = levels_.back();
    levels_.pop_back();
    const bool indented = level.layout == JsonLayout::kIndented ||
                          (level.layout == JsonLayout::kIndentedOrNone && level.count > 0);
    out_ << (indented ? "\n]" : "]");
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view name) {
    Separate();
    out_ << '"' << JsonString(name) << "\": ";
    after_key_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view utf8) {
    Separate();
    out_ << '"' << JsonString(utf8) << '"';
    return *this;
}

JsonWriter& JsonWriter::Null() {
    return Literal("null");
}

JsonWriter& JsonWriter::Bool(bool value) {
    return Literal(value ? "true" : "false");
}

JsonWriter& JsonWriter::Literal(std::string_view text) {
    Separate();
    out_ << text;
    return *this;
}

}  // namespace vela::cli
