// The JSON reader the code-plug text is read with: what it takes, how texts
// come out as the pager's 8-bit characters, and where it says a document
// goes wrong.

#include <gtest/gtest.h>

#include "fieldtext/JsonReader.h"
#include "fieldtext/JsonWriter.h"

namespace km640::fieldtext {
namespace {

TEST(JsonReader, ReadsObjectsInDocumentOrderWithEveryKindOfValue) {
    const JsonParse parsed = parseJson("\xEF\xBB\xBF {\"b\": [1, -2.5e3, true, null],\n \"a\": {\"x\": \"y\"}, \"b\": false}");
    ASSERT_TRUE(parsed.value) << parsed.error;
    const JsonValue& root = *parsed.value;
    ASSERT_EQ(root.members.size(), 3u);
    EXPECT_EQ(root.members[0].first, "b");
    EXPECT_EQ(root.members[1].first, "a");
    // The first member of a name counts.
    ASSERT_EQ(root.member("b")->kind, JsonValue::Kind::Array);
    const auto& items = root.member("b")->items;
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[1].text, "-2.5e3");
    EXPECT_EQ(items[2].kind, JsonValue::Kind::Bool);
    EXPECT_EQ(items[3].kind, JsonValue::Kind::Null);
    EXPECT_EQ(root.member("a")->member("x")->text, "y");
    EXPECT_EQ(root.member("a")->line, 2);
    EXPECT_EQ(root.member("c"), nullptr);
}

TEST(JsonReader, StringsBecomeTheirEightBitCharacters) {
    const std::pair<const char*, std::string> cases[] = {
        {R"("a\"b\\c\/d\n\t")", "a\"b\\c/d\n\t"},
        {R"("\u00e9\u00FF\u0000")", std::string("\xE9\xFF\0", 3)},
        {"\"\xC3\xA9\"", "\xE9"},  // UTF-8 as written by an editor
    };
    for (const auto& [json, text] : cases) {
        const JsonParse parsed = parseJson(json);
        ASSERT_TRUE(parsed.value) << json << ": " << parsed.error;
        EXPECT_EQ(parsed.value->text, text) << json;
    }
    // What the writer writes of every byte reads back as that byte.
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(parseJson(latin1JsonString(all)).value->text, all);
}

TEST(JsonReader, NamesWhereADocumentGoesWrong) {
    const std::pair<std::string, const char*> cases[] = {
        {"", "line 1: the document ends where a value should be"},
        {"{\"a\": 1,\n}", "line 2: a member name in double quotes was expected"},
        {"{\"a\" 1}", "line 1: a ':' was expected after \"a\""},
        {"[1 2]", "line 1: a ',' or ']' was expected"},
        {"\"open", "line 1: a string ends inside"},
        {"\"\\q\"", "line 1: an unknown escape \\q"},
        {"\"\\u20ac\"", "line 1: a character the code-plug cannot hold (beyond U+00FF)"},
        {"\"\xFF\"", "line 1: a byte that is no UTF-8"},
        {"\"a\nb\"", "line 1: a control character inside a string"},
        {"01x", "line 1: text after the end of the document"},
        {"-", "line 1: a number without digits"},
        {"{} {}", "line 1: text after the end of the document"},
        {std::string(100, '[') + std::string(100, ']'), "line 1: nested too deeply"},
    };
    for (const auto& [json, error] : cases) {
        const JsonParse parsed = parseJson(json);
        EXPECT_FALSE(parsed.value) << json;
        EXPECT_EQ(parsed.error, error) << json;
    }
}

}  // namespace
}  // namespace km640::fieldtext
