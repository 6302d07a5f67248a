// The JSON reader the code-plug text is read with: what it takes, how texts
// come out as the pager's 8-bit characters, where it says a document goes
// wrong (line, column, reason) and which names an object repeats.

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
    EXPECT_EQ(root.member("a")->place.text(), "line 2, column 7");
    EXPECT_EQ(root.member("a")->namePlace.text(), "line 2, column 2");
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
        {"", "line 1, column 1: the document ends where a value should be"},
        {"{\"a\": 1,\n}", "line 1, column 8: a comma before `}`"},
        {"{\"a\": [1, 2 ,  ]}", "line 1, column 13: a comma before `]`"},
        {"{\"a\" 1}", "line 1, column 6: a `:` was expected after \"a\""},
        {"{\"a\": 1 \"b\": 2}", "line 1, column 9: a comma or `}` was expected"},
        {"[1 2]", "line 1, column 4: a comma or `]` was expected"},
        {"\"open", "line 1, column 6: a string ends inside"},
        {"\"\\q\"", "line 1, column 2: an unknown escape \\q"},
        {"\"\\u20ac\"", "line 1, column 2: a character the code-plug cannot hold (beyond U+00FF)"},
        // Columns count characters, not bytes.
        {"[\"\xC3\xA9\xC3\xA9\", \"\xFF\"]", "line 1, column 9: a byte that is no UTF-8 (save the text as UTF-8)"},
        // Overlong forms ("A" and NUL in two bytes), a surrogate, beyond Unicode.
        {"\"\xC1\x81\xC0\x80\"", "line 1, column 2: a byte that is no UTF-8 (save the text as UTF-8)"},
        {"\"\xE0\x81\x81\"", "line 1, column 2: a byte that is no UTF-8 (save the text as UTF-8)"},
        {"\"\xED\xA0\x80\"", "line 1, column 2: a byte that is no UTF-8 (save the text as UTF-8)"},
        {"\"\xF4\x90\x80\x80\"", "line 1, column 2: a byte that is no UTF-8 (save the text as UTF-8)"},
        {"\"a\nb\"", "line 1, column 3: a control character inside a string"},
        {"{\"a\": 01}", "line 1, column 7: a number with a leading zero"},
        {"[1, -007]", "line 1, column 6: a number with a leading zero"},
        {"-", "line 1, column 2: a number without digits"},
        {"{} {}", "line 1, column 4: text after the end of the document"},
        {"\xEF\xBB\xBF\n\n  {\"a\": \x01}", "line 3, column 9: unexpected byte 0x01"},
        {std::string(100, '[') + std::string(100, ']'), "line 1, column 66: nested too deeply"},
    };
    for (const auto& [json, error] : cases) {
        const JsonParse parsed = parseJson(json);
        EXPECT_FALSE(parsed.value) << json;
        EXPECT_EQ(parsed.error, error) << json;
    }
    // "0", "-0.5" and "10" are numbers.
    EXPECT_TRUE(parseJson("[0, -0.5, 10, 0e1]").value);
}

// A 30 kB document on one line is read in a moment, its places still exact.
TEST(JsonReader, LongLinesKeepTheirColumns) {
    std::string line = "{";
    for (int k = 0; k < 2000; ++k) line += "\"k" + std::to_string(k) + "\": \"v\", ";
    const JsonParse parsed = parseJson(line + "}");
    EXPECT_EQ(parsed.error, "line 1, column " + std::to_string(line.size() - 1) + ": a comma before `}`");
}

TEST(JsonReader, RepeatedNamesAreFoundInEveryObject) {
    const JsonParse parsed = parseJson(
        "{\"fields\": {\"a\": 1, \"b\": 2,\n \"a\": 3},\n \"version\": 1, \"version\": 2,\n"
        " \"list\": [{\"x\": 1, \"x\": 1}], \"fields\": {}}");
    ASSERT_TRUE(parsed.value) << parsed.error;
    std::vector<std::string> found;
    for (const JsonRepeat& repeat : repeatedMembers(*parsed.value))
        found.push_back(repeat.name + " at " + repeat.place.text() + ", first " + repeat.first.text());
    EXPECT_EQ(found, (std::vector<std::string>{
                         "a at line 2, column 2, first line 1, column 13",
                         "version at line 3, column 16, first line 3, column 2",
                         "x at line 4, column 20, first line 4, column 12",
                         "fields at line 4, column 30, first line 1, column 2",
                     }));
}

}  // namespace
}  // namespace km640::fieldtext
