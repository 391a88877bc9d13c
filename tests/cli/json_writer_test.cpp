// The JSON writer: the layouts velactl's outputs have always had, and strings that stay valid JSON.
#include "cli/json_writer.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vela::cli {
namespace {

std::string ArrayOf(JsonLayout layout, int count) {
    std::ostringstream out;
    JsonWriter json(out);
    json.Open().Key("a").OpenArray(layout);
    for (int k = 0; k < count; ++k)
        json.Open().Key("n").Number(k).Close();
    json.CloseArray().Key("b").Null().Close();
    return out.str();
}

TEST(JsonWriter, ArraysKeepTheirLayoutEmptyOneAndMany) {
    const struct {
        JsonLayout layout;
        int count;
        std::string json;
    } cases[] = {
        {JsonLayout::kOneLine, 0, R"({"a": [], "b": null})"},
        {JsonLayout::kOneLine, 2, R"({"a": [{"n": 0}, {"n": 1}], "b": null})"},
        {JsonLayout::kRows, 2, "{\"a\": [{\"n\": 0},\n {\"n\": 1}], \"b\": null}"},
        {JsonLayout::kIndented, 0, "{\"a\": [\n], \"b\": null}"},
        {JsonLayout::kIndented, 2, "{\"a\": [\n  {\"n\": 0},\n  {\"n\": 1}\n], \"b\": null}"},
        {JsonLayout::kIndentedOrNone, 0, R"({"a": [], "b": null})"},
        {JsonLayout::kIndentedOrNone, 1, "{\"a\": [\n  {\"n\": 0}\n], \"b\": null}"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ArrayOf(c.layout, c.count), c.json) << static_cast<int>(c.layout) << " " << c.count;
}

TEST(JsonWriter, ValuesOfEveryKindAreEscapedAndSeparated) {
    std::ostringstream out;
    JsonWriter json(out);
    json.Open()
        .Key("s\"")
        .String("a\"b\\c\n\x01\xff")
        .Key("none")
        .StringOrNull(std::nullopt)
        .Key("some")
        .StringOrNull(std::string("x"))
        .Key("t")
        .Bool(true)
        .Key("big")
        .Number(4294967295u)
        .Key("neg")
        .Number(-3)
        .Key("hz")
        .Literal("19.000")
        .Close();
    EXPECT_EQ(out.str(),
              "{\"s\\\"\": \"a\\\"b\\\\c\\n\\u0001\xef\xbf\xbd\", \"none\": null, \"some\": \"x\", "
              "\"t\": true, \"big\": 4294967295, \"neg\": -3, \"hz\": 19.000}");
}

}  // namespace
}  // namespace vela::cli
