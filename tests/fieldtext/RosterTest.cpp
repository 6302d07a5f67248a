// Fleet rosters: the CSV as spreadsheets write it, the 8-bit texts of the
// code-plug, and every row applied to the line's code-plug through the
// window's rules.

#include <gtest/gtest.h>

#include "codeplug/CodePlugImage.h"
#include "codeplug/MemoryMap.h"
#include "fieldtext/CodePlugText.h"
#include "fieldtext/CsvTable.h"
#include "fieldtext/FieldValue.h"
#include "fieldtext/Latin1.h"
#include "fieldtext/Roster.h"
#include "settings/CodePlugNormalisation.h"

using namespace km640;
using namespace km640::fieldtext;

namespace {

using Records = std::vector<std::vector<std::string>>;

Records fieldsOf(const CsvTable& table) {
    Records out;
    for (const auto& r : table.records) out.push_back(r.fields);
    return out;
}

// Labels of 11 to 14 characters, as the scanner rule of the production line.
std::string labelRule(const std::string& serial) {
    return serial.size() >= 11 && serial.size() <= 14 ? "" : "a label has 11 to 14 characters";
}

CodePlugImage lineCodePlug() {
    auto image = ProgrammedDefaultImage();
    return image;
}

std::string shown(const CodePlugImage& image, const char* name) {
    return fieldValueText(image, memmap::field(name));
}

}  // namespace

TEST(CsvTable, ReadsWhatSpreadsheetsWrite) {
    struct Case {
        const char* name;
        std::string text;
        Records records;
        std::vector<int> lines;
    };
    const Case cases[] = {
        {"LF", "serial,LogoLine1\nA,B\n", {{"serial", "LogoLine1"}, {"A", "B"}}, {1, 2}},
        {"CRLF and BOM, no final break", "\xEF\xBB\xBFserial,X\r\nA,\r\nB,c", {{"serial", "X"}, {"A", ""}, {"B", "c"}},
         {1, 2, 3}},
        {"quotes hold commas, breaks and quotes", "s,t\n\"a,b\",\"say \"\"hi\"\"\nthere\"\nc,d\n",
         {{"s", "t"}, {"a,b", "say \"hi\"\nthere"}, {"c", "d"}}, {1, 2, 4}},
        {"blank lines are no records", "s\n\nA\r\n\r\n", {{"s"}, {"A"}}, {1, 3}},
        {"an empty quoted field is a field", "s,t\n\"\",x\n", {{"s", "t"}, {"", "x"}}, {1, 2}},
    };
    for (const auto& c : cases) {
        const auto table = parseCsv(c.text);
        EXPECT_EQ(table.error, "") << c.name;
        EXPECT_EQ(fieldsOf(table), c.records) << c.name;
        std::vector<int> lines;
        for (const auto& r : table.records) lines.push_back(r.line);
        EXPECT_EQ(lines, c.lines) << c.name;
    }
}

TEST(CsvTable, RefusesBrokenQuotingWithItsLine) {
    EXPECT_EQ(parseCsv("s\n\"open\n").error, "line 2: a quoted field is not closed");
    EXPECT_EQ(parseCsv("s\nab\"c\n").error, "line 2: a quote inside a field that is not in quotes");
    EXPECT_EQ(parseCsv("s\n\"ab\"c\n").error, "line 2: text after the closing quote of a field");
    // A carriage return alone ends no record: it is text after the quote too.
    EXPECT_EQ(parseCsv("s,t\nA,\"Bench\"\r7\n").error, "line 2: text after the closing quote of a field");
    EXPECT_EQ(parseCsv("s;t\nA;\"Bench\",7\n").error, "line 2: text after the closing quote of a field");
}

TEST(CsvTable, TakesTheSeparatorFromTheHeader) {
    struct Case {
        const char* name;
        std::string text;
        char separator;
        Records records;
    };
    const Case cases[] = {
        {"semicolons, BOM, CRLF; commas are text", "\xEF\xBB\xBFserial;LogoLine1;\r\nA;1153,4;\r\n", ';',
         {{"serial", "LogoLine1", ""}, {"A", "1153,4", ""}}},
        {"tabs", "serial\tLogoLine1\nA\tx;y,z\n", '\t', {{"serial", "LogoLine1"}, {"A", "x;y,z"}}},
        {"a quoted header cell hides its separators", "\"a;b;c\",d,e\n", ',', {{"a;b;c", "d", "e"}}},
        {"one column", "serial\nA\n", ',', {{"serial"}, {"A"}}},
        {"only the first line counts", "serial,x\nA;B;C;D,E\n", ',', {{"serial", "x"}, {"A;B;C;D", "E"}}},
    };
    for (const auto& c : cases) {
        const auto table = parseCsv(c.text);
        EXPECT_EQ(table.error, "") << c.name;
        EXPECT_EQ(table.separator, c.separator) << c.name;
        EXPECT_EQ(fieldsOf(table), c.records) << c.name;
    }
}

TEST(CsvTable, FieldsWrittenAreReadBack) {
    for (const std::string text : {"plain", "a,b", "say \"hi\"", "two\nlines", " padded ", ""}) {
        const auto table = parseCsv("x," + csvField(text) + "\n");
        ASSERT_EQ(table.records.size(), 1u) << text;
        EXPECT_EQ(table.records[0].fields[1], text);
    }
}

TEST(Latin1, TakesWhatThePagerCanHold) {
    struct Case {
        std::string utf8;
        std::optional<std::string> latin1;
        std::string problem;
    };
    const Case cases[] = {
        {"Bench 7", "Bench 7", ""},
        {"M\xC3\xBCller \xC2\xB0", "M\xFCller \xB0", ""},
        {"\xE2\x82\xAC 5", std::nullopt, "the character U+20AC cannot be stored in the pager"},
        {"ab\xFF", std::nullopt, "not UTF-8 text (byte 3)"},
        {"\xC0\xA0", std::nullopt, "not UTF-8 text (byte 1)"},  // an overlong blank
        {"a\xC3", std::nullopt, "not UTF-8 text (byte 2)"},     // cut short
    };
    for (const auto& c : cases) {
        const auto converted = latin1FromUtf8(c.utf8);
        EXPECT_EQ(converted.text, c.latin1) << c.utf8;
        EXPECT_EQ(converted.problem, c.problem) << c.utf8;
        if (c.latin1) {
            EXPECT_EQ(utf8FromLatin1(*c.latin1), c.utf8);
        }
    }
}

TEST(Roster, ReadsRowsAndRefusesWhatNoRowCanBe) {
    const std::string csv =
        "serial,LogoLine1,NoSuchField,F1ToneWords[0].Tone1\n"
        "A1B2C3D4E5F6,Unit 1,,\n"
        "short,Unit 2,,\n"
        "A1B2C3D4E5F6,Unit 3,,\n"
        "A1B2C3D4E5F7,\xE2\x82\xAC,,\n"
        "A1B2C3D4E5F8,too few\n";
    const auto read = readRoster(csv, labelRule);
    std::vector<std::string> lines;
    for (const auto& p : read.problems) lines.push_back(problemLine(p));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "line 1, NoSuchField: unknown column: no field of the code-plug has this name",
                         "line 1, F1ToneWords[0].Tone1: unknown column: the program works this field out from "
                         "other settings",
                         "line 3, serial short, serial = \"short\": a label has 11 to 14 characters",
                         "line 4, serial A1B2C3D4E5F6, serial = \"A1B2C3D4E5F6\": duplicate serial: also on line 2",
                         "line 5, serial A1B2C3D4E5F7, LogoLine1 = \"€\": the character U+20AC cannot "
                         "be stored in the pager",
                         "line 6, serial A1B2C3D4E5F8: the row has 2 cells, the header 4",
                     }));
    ASSERT_NE(read.roster.row("A1B2C3D4E5F6"), nullptr);
    EXPECT_EQ(read.roster.row("A1B2C3D4E5F6")->values[0], "Unit 1");
    EXPECT_EQ(read.roster.row("nobody"), nullptr);

    EXPECT_EQ(problemLine(readRoster("name,LogoLine1\n", labelRule).problems.at(0)),
              "line 1, name = \"name\": the first column must be \"serial\" (the header was read with commas "
              "between the columns)");
    EXPECT_EQ(problemLine(readRoster("", labelRule).problems.at(0)),
              "roster: the roster is empty: it needs a header row that starts with \"serial\"");
}

TEST(Roster, ReadsWhatSpreadsheetsSave) {
    struct Case {
        const char* name;
        std::string csv;
        std::vector<std::string> columns;
        std::vector<std::string> values;  // of the one row, as the code-plug stores them
        std::vector<std::string> cells;   // as written, in UTF-8
        std::vector<std::string> notes;
    };
    const std::string semicolons = "columns separated by semicolons";
    const std::string ansi = "the roster is not UTF-8 text: it was read as Windows-1252";
    const Case cases[] = {
        {"German spreadsheet: BOM, semicolons, CRLF, blanks around names, empty last column, decimal comma",
         "\xEF\xBB\xBF Serial ; F1Tone1[0] ;LogoLine1;\r\nA1B2C3D4E5F1;1153,4;M\xC3\xBCller;\r\n",
         {"F1Tone1[0]", "LogoLine1"}, {"1153.4", "M\xFCller"}, {"1153,4", "M\xC3\xBCller"}, {semicolons}},
        {"tabs", "SERIAL\tF1Tone1[0]\tLogoLine1\nA1B2C3D4E5F1\t-1,5\t1,5\n", {"F1Tone1[0]", "LogoLine1"},
         {"-1.5", "1,5"}, {"-1,5", "1,5"}, {"columns separated by tabs"}},
        {"Windows-1252 letters", "serial;LogoLine1;LogoLine2\r\nA1B2C3D4E5F1;M\xFCller;\x80\r\n",
         {"LogoLine1", "LogoLine2"}, {"M\xFCller", ""}, {"M\xC3\xBCller", "\xE2\x82\xAC"}, {semicolons, ansi}},
        {"commas: a decimal comma is a quoted text", "serial,F1Tone1[0]\nA1B2C3D4E5F1,\"1153,4\"\n", {"F1Tone1[0]"},
         {"1153,4"}, {"1153,4"}, {"columns separated by commas"}},
        {"no decimal comma where it is no number", "serial;F1Tone1[0];F1Tone2[0]\nA1B2C3D4E5F1;1,2,3;,5\n",
         {"F1Tone1[0]", "F1Tone2[0]"}, {"1,2,3", ",5"}, {"1,2,3", ",5"}, {semicolons}},
    };
    for (const auto& c : cases) {
        const auto read = readRoster(c.csv, labelRule);
        EXPECT_EQ(read.roster.columns, c.columns) << c.name;
        ASSERT_EQ(read.roster.rows.size(), 1u) << c.name;
        EXPECT_EQ(read.roster.rows[0].serial, "A1B2C3D4E5F1") << c.name;
        EXPECT_EQ(read.roster.rows[0].values, c.values) << c.name;
        EXPECT_EQ(read.roster.rows[0].cells, c.cells) << c.name;
        EXPECT_EQ(read.notes, c.notes) << c.name;
    }

    // A character the pager cannot store is refused with its row and column,
    // whichever way the file was saved.
    std::vector<std::string> lines;
    for (const auto& p : readRoster(cases[2].csv, labelRule).problems) lines.push_back(problemLine(p));
    EXPECT_EQ(lines, std::vector<std::string>{"line 2, serial A1B2C3D4E5F1, LogoLine2 = \"\xE2\x82\xAC\": the "
                                              "character U+20AC cannot be stored in the pager"});
    // A column without a name that holds a value is no column to leave out.
    const auto unnamed = readRoster("serial;LogoLine1;\nA1B2C3D4E5F1;x;y\n", labelRule);
    ASSERT_EQ(unnamed.problems.size(), 1u);
    EXPECT_EQ(problemLine(unnamed.problems[0]), "line 1: column 3 has no name, but rows have values in it");
    // A header that is no header says how it was read.
    EXPECT_EQ(problemLine(readRoster("serial|LogoLine1\n", labelRule).problems.at(0)),
              "line 1, serial|LogoLine1 = \"serial|LogoLine1\": the first column must be \"serial\" (the header was "
              "read with commas between the columns)");
}

TEST(Roster, EachPagerGetsTheLineWithItsOwnRow) {
    const auto line = lineCodePlug();
    const auto read = readRoster(
        "serial,F1Tone1[0],F1Tone2[0],LogoLine1,F1AddrName[0]\n"
        "A1B2C3D4E5F1,1285.8,1321.2,Unit \xC3\x9C,Chief\n"
        "A1B2C3D4E5F2,,,,\n",
        labelRule);
    ASSERT_TRUE(read.problems.empty()) << problemLine(read.problems.front());
    EXPECT_TRUE(checkRoster(read.roster, line).empty());

    const auto first = applyRosterRow(read.roster, read.roster.rows[0], line);
    EXPECT_TRUE(first.problems.empty());
    EXPECT_EQ(shown(first.image, "F1Tone1[0]"), "1285.8");
    EXPECT_EQ(shown(first.image, "F1Tone2[0]"), "1321.2");
    EXPECT_EQ(shown(first.image, "LogoLine1"), "\"Unit Ü\"");
    EXPECT_EQ(shown(first.image, "F1AddrName[0]"), "\"Chief\"");

    // Empty cells leave the line's values: nothing of the first pager leaks into the second.
    const auto second = applyRosterRow(read.roster, read.roster.rows[1], line);
    auto expected = line;
    normaliseCodePlug(expected);
    EXPECT_EQ(second.image.bytes(), expected.bytes());

    EXPECT_EQ(rowValuesJson(read.roster, read.roster.rows[0]),
              "{\"serial\":\"A1B2C3D4E5F1\",\"F1Tone1[0]\":\"1285.8\",\"F1Tone2[0]\":\"1321.2\","
              "\"LogoLine1\":\"Unit \xC3\x9C\",\"F1AddrName[0]\":\"Chief\"}");
}

TEST(Roster, CheckNamesRefusedValuesAndSharedAddresses) {
    const auto line = lineCodePlug();
    const auto read = readRoster(
        "serial,F1Tone1[0],F1Tone2[0]\n"
        "A1B2C3D4E5F1,1285.8,1321.2\n"
        "A1B2C3D4E5F2,9999,1321.2\n"
        "A1B2C3D4E5F3,1285.8,1321.2\n"
        "A1B2C3D4E5F4,1285.8,1336.4\n",
        labelRule);
    ASSERT_TRUE(read.problems.empty());
    const auto problems = checkRoster(read.roster, line);
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0].line, 3);
    EXPECT_EQ(problems[0].column, "F1Tone1[0]");
    EXPECT_EQ(problems[0].value, "9999");
    // The window's own message for that typed tone.
    auto image = line;
    const auto refusal = setFieldFromText(image, "F1Tone1[0]", "9999");
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(problems[0].message, refusal->message);
    EXPECT_EQ(problemLine(problems[1]),
              "line 4, serial A1B2C3D4E5F3, F1Tone1[0] = \"1285.8\": the same individual address (1285.8 1321.2) "
              "as line 2, serial A1B2C3D4E5F1");
    // A tone the plan lacks would be fitted to another by the window: the
    // pager would answer a call nobody makes.
    EXPECT_EQ(problemLine(problems[2]),
              "line 5, serial A1B2C3D4E5F4, F1Tone2[0] = \"1336.4\": the tone plan has no such tone; the window "
              "would store 1321.2");
}

TEST(Roster, ProblemsShowACellsControlBytesEscaped) {
    // The window's message quotes the character it does not take: on a
    // terminal a bell or an escape would act instead of being read, and a
    // letter is shown as the letter it is.
    const auto read = readRoster("serial,F1Tone1[0],F1Tone2[0]\nA1B2C3D4E5F1,1\x07,\xC3\xBC\n", labelRule);
    ASSERT_TRUE(read.problems.empty());
    std::vector<std::string> lines;
    for (const auto& p : checkRoster(read.roster, lineCodePlug())) lines.push_back(problemLine(p));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "line 2, serial A1B2C3D4E5F1, F1Tone1[0] = \"1\\x07\": The window's field cannot take "
                         "the control character 0x07",
                         "line 2, serial A1B2C3D4E5F1, F1Tone2[0] = \"\xC3\xBC\": The field does not take the "
                         "character '\xC3\xBC' there",
                     }));
}
