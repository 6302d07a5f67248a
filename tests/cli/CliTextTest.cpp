// Code-plugs as text through the km640-cli program as a technician's script
// uses it: export, edit, import, diff; set with its refusals; set then dump;
// write and verify of a code-plug text against a km640-sim program; broken
// and hostile texts refused with their place by every command, nothing
// written; templates and lossless texts of a written pager.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "codeplug/MemoryMap.h"
#include "tests/cli/SavedImage.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/SimProgram.h"

using namespace km640;
namespace fs = std::filesystem;

namespace {

using km640::testing::ProgramRun;

// Runs a command line through the shell, as the test needs its output.
ProgramRun runProgram(const std::string& command) {
    return km640::testing::runProgram(command, km640::testing::StandardError::WithOutput);
}

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// The names of the fields `diff` lists, "F1Tone1[0] (256): ..." lines.
std::set<std::string> differingFields(const std::string& diff) {
    std::set<std::string> names;
    std::istringstream lines(diff);
    for (std::string line; std::getline(lines, line);) {
        const auto place = line.find(" (");
        if (place != std::string::npos && !line.starts_with("---") && !line.starts_with("+++"))
            names.insert(line.substr(0, place));
    }
    return names;
}

// Fields a change of others may change too: derived and stamped at saving.
bool followsOtherFields(const std::string& name) {
    const auto* field = memmap::findField(name);
    return field && (field->derived() || name == "ImageChecksum" || name == "VersionBcd");
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

class CliTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("km640-clitext-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "run");
        setenv("XDG_RUNTIME_DIR", (folder_ / "run").c_str(), 1);
        // This PC's production record goes into the test's folder.
        setenv("XDG_DATA_HOME", (folder_ / "data").c_str(), 1);
        const CodePlugImage image = clitest::savedImage();
        std::ofstream(bench(), std::ios::binary)
            .write(reinterpret_cast<const char*>(image.bytes().data()), static_cast<std::streamsize>(kImageSize));
    }
    void TearDown() override {
        sim_.reset();
        fs::remove_all(folder_);
    }
    std::string bench() const { return (folder_ / "bench.tbl").string(); }
    std::string path(const char* name) const { return (folder_ / name).string(); }
    ProgramRun cli(const std::string& arguments) { return runProgram(std::string(KM640_CLI_PROGRAM) + " " + arguments); }
    std::string startBoard() {
        sim_ = std::make_unique<km640::testing::SimProgram>(
            KM640_SIM_PROGRAM, std::vector<std::string>{"--no-pacing", "--serial", "A1B2C3D4E5F6"}, folder_ / "run");
        return sim_->FirstLine();
    }

    fs::path folder_;
    std::unique_ptr<km640::testing::SimProgram> sim_;
};

}  // namespace

// As a new user would: export, edit two values in an editor, import, diff.
TEST_F(CliTextTest, ExportEditImportDiffNamesTheEditedFields) {
    ASSERT_EQ(cli("export " + bench() + " -o " + path("bench.json")).status, 0);
    ASSERT_EQ(cli("import " + path("bench.json") + " -o " + path("same.tbl")).status, 0);
    EXPECT_EQ(fileText(path("same.tbl")), fileText(bench()));

    std::string text = fileText(path("bench.json"));
    text = replaced(text, "\"Profile[1].PName\": \" Profile 2\"", "\"Profile[1].PName\": \"Bench 7\"");
    text = replaced(text, "\"F1Tone1[0]\": \"1285.8\"", "\"F1Tone1[0]\": \"1092.4\"");
    writeText(path("bench.json"), text);
    ASSERT_EQ(cli("import " + path("bench.json") + " -o " + path("new.tbl")).status, 0);
    const auto diff = cli("diff " + bench() + " " + path("new.tbl"));
    EXPECT_EQ(diff.status, 1);
    std::set<std::string> edited;
    for (const auto& name : differingFields(diff.out))
        if (!followsOtherFields(name)) edited.insert(name);
    EXPECT_EQ(edited, (std::set<std::string>{"Profile[1].PName", "F1Tone1[0]"})) << diff.out;
    EXPECT_NE(diff.out.find("F1ToneWords[0].Tone1"), std::string::npos) << diff.out;

    // The text of a value the window refuses is named, and nothing is saved.
    writeText(path("bad.json"), replaced(text, "\"F1Tone1[0]\": \"1092.4\"", "\"F1Tone1[0]\": \"9999\""));
    const auto refused = cli("import " + path("bad.json") + " -o " + path("bad.tbl"));
    EXPECT_EQ(refused.status, 13);
    EXPECT_NE(refused.out.find("F1Tone1[0]=9999: Please insert a number between 288.5 to 2468.2"), std::string::npos)
        << refused.out;
    EXPECT_FALSE(fs::exists(path("bad.tbl")));
    // A text that names a few fields takes the others from the built-in code-plug.
    writeText(path("part.json"), R"({"format": "km640-codeplug", "version": 1, "fields": {"LogoLine1": "Partial"}})");
    ASSERT_EQ(cli("import " + path("part.json") + " -o " + path("part.tbl")).status, 0);
    EXPECT_EQ(cli("diff " + bench() + " " + path("part.tbl")).out,
              "--- " + bench() + "\n+++ " + path("part.tbl") + "\nLogoLine1 (1376): \"   NORVEX\" -> \"Partial\"\n" +
                  "ImageChecksum (1950): 4E4C -> 4F17\n");
    // A text that is no code-plug text says why.
    writeText(path("newer.json"), replaced(text, "\"version\": 2", "\"version\": 7"));
    const auto newer = cli("import " + path("newer.json") + " -o " + path("newer.tbl"));
    EXPECT_EQ(newer.status, 3);
    EXPECT_NE(newer.out.find("format version 7 by a newer program"), std::string::npos) << newer.out;
}

TEST_F(CliTextTest, SetRefusesWithTheWindowsMessagesAndSavesNothing) {
    const std::string before = fileText(bench());
    const auto refused = cli("set " + bench() + " 'F1Tone1[0]=9999' 'Profile[0].PName=Fine' 'RemindRepetitionTime=3'");
    EXPECT_EQ(refused.status, 13);
    EXPECT_NE(refused.out.find("F1Tone1[0]=9999: Please insert a number between 288.5 to 2468.2"), std::string::npos)
        << refused.out;
    EXPECT_NE(refused.out.find("RemindRepetitionTime=3: Please insert a number between 5 and 255 !"),
              std::string::npos)
        << refused.out;
    EXPECT_EQ(fileText(bench()), before);
    EXPECT_FALSE(fs::exists(path("bench.BAK")));
    EXPECT_EQ(cli("set " + bench() + " NoEqualsSign").status, 2);
}

// set then dump: exactly the set fields changed, with the fields that follow them.
TEST_F(CliTextTest, SetThenDumpShowsTheSetFieldsChanged) {
    const std::vector<std::pair<std::string, std::string>> values = {
        {"Profile[0].PName", "Bench 7"},    {"F2Tone1[0]", "1092.4"},     {"Profile[0].F1Freq", "1523400"},
        {"ToneSystem", "User"},             {"BatteryAlertPeriod", "30 min"}, {"IdleMenuItems", "{1,3,6}"},
        {"AlertPattern[2].Led", "11110000"}, {"WbSquelch[1].SpeakerOff", "0.50"},
    };
    std::string command = "set " + bench() + " -o " + path("set.tbl");
    for (const auto& [name, value] : values) command += " '" + name + "=" + value + "'";
    ASSERT_EQ(cli(command).status, 0);
    const std::string dumpBefore = cli("dump " + bench()).out;
    const std::string dumpAfter = cli("dump " + path("set.tbl")).out;
    std::set<std::string> changed;
    std::istringstream a(dumpBefore), b(dumpAfter);
    for (std::string x, y; std::getline(a, x) && std::getline(b, y);)
        if (x != y) changed.insert(y.substr(0, y.find(' ')));
    std::set<std::string> set;
    for (const auto& [name, value] : values) set.insert(name);
    // A frequency commit stores the "Auto" spacing code of its raster with it.
    set.insert("Profile[0].F1ChannelSpacing");
    std::set<std::string> beyond;
    for (const auto& name : changed)
        if (!set.contains(name) && !followsOtherFields(name)) beyond.insert(name);
    EXPECT_TRUE(beyond.empty()) << dumpAfter;
    for (const auto& [name, value] : values) EXPECT_TRUE(changed.contains(name)) << name;
    EXPECT_NE(dumpAfter.find("\"Bench 7\""), std::string::npos);
}

// write and verify take a code-plug text as they take a .tbl.
TEST_F(CliTextTest, WriteAndVerifyACodePlugTextAgainstTheSimulator) {
    const std::string port = startBoard();
    ASSERT_FALSE(port.empty());
    ASSERT_EQ(cli("set " + bench() + " -o " + path("bench.json") + " 'LogoLine1=From text'").status, 0);
    EXPECT_NE(fileText(path("bench.json")).find("\"LogoLine1\": \"From text\""), std::string::npos);
    EXPECT_EQ(cli("--quiet write --port " + port + " " + path("bench.json")).status, 0);
    EXPECT_EQ(cli("--quiet verify --port " + port + " " + path("bench.json")).out, "Verify Success !\n");
    ASSERT_EQ(cli("read --port " + port + " -o " + path("pager.tbl")).status, 0);
    EXPECT_NE(cli("dump " + path("pager.tbl")).out.find("\"From text\""), std::string::npos);
    // The same code-plug as an image verifies too; the built-in one does not.
    ASSERT_EQ(cli("import " + path("bench.json") + " -o " + path("bench2.tbl")).status, 0);
    EXPECT_EQ(cli("--quiet verify --port " + port + " " + path("bench2.tbl")).out, "Verify Success !\n");
    EXPECT_EQ(cli("--quiet verify --port " + port + " " + bench()).status, 8);
    // A text with a refused value reaches no pager.
    writeText(path("bad.json"), replaced(fileText(path("bench.json")), "\"From text\"", "\"Far too long a text\""));
    const auto refused = cli("--quiet write --port " + port + " " + path("bad.json"));
    EXPECT_EQ(refused.status, 13);
    EXPECT_NE(refused.out.find("LogoLine1=Far too long a text: The field takes at most 12 characters"),
              std::string::npos)
        << refused.out;
    EXPECT_EQ(cli("--quiet verify --port " + port + " " + path("bench.json")).out, "Verify Success !\n");
    // The production write takes the text too.
    fs::create_directories(folder_ / "logs");
    const auto produced = cli("--quiet production --port " + port + " " + path("bench.json") +
                              " --serial B1B2C3D4E5F6 --log-dir " + path("logs"));
    EXPECT_EQ(produced.status, 0) << produced.out;
    EXPECT_NE(produced.out.find("Write Success !"), std::string::npos) << produced.out;
    ASSERT_EQ(cli("read --port " + port + " -o " + path("produced.tbl")).status, 0);
    const std::string producedDump = cli("dump " + path("produced.tbl")).out;
    EXPECT_NE(producedDump.find("\"From text\""), std::string::npos);
    EXPECT_NE(producedDump.find("\"B1B2C3D4E5F6\""), std::string::npos);
}

// A text edited by hand and broken is refused by dump, import and write,
// each naming the place; no file is written and the pager keeps its memory.
TEST_F(CliTextTest, BrokenTextsAreRefusedWithTheirPlaceAndNothingChanges) {
    const std::string port = startBoard();
    ASSERT_FALSE(port.empty());
    ASSERT_EQ(cli("read --port " + port + " -o " + path("before.tbl")).status, 0);
    ASSERT_EQ(cli("export " + bench() + " --lossless -o " + path("bench.json")).status, 0);
    const std::string text = fileText(path("bench.json"));
    ASSERT_GT(text.size(), 25'000u);
    // A comma after the last member, three lines before the end.
    std::string comma = text;
    const auto at = comma.rfind('"') + 1;
    comma.insert(at, ",");
    const auto line = std::count(text.begin(), text.end(), '\n') - 3;
    const auto column = at - comma.rfind('\n', at);
    std::string utf16 = "\xFF\xFE";
    for (const char c : text) utf16 += std::string{c, '\0'};
    struct Case {
        const char* what;
        std::string text;
        int status;
        std::string says;
    };
    const Case cases[] = {
        {"a stray comma near the end", comma, 3,
         "is not readable as JSON: line " + std::to_string(line) + ", column " + std::to_string(column) +
             ": a comma before `}`"},
        {"\"Fields\"", replaced(text, "\"fields\"", "\"Fields\""), 13,
         "line 4, column 3: \"Fields\" is no member of a code-plug text"},
        {"a field twice", replaced(text, "\"TwoChannelMode\": \"on\",", "\"TwoChannelMode\": \"on\", \"TwoChannelMode\": \"off\","),
         13, "line 5, column 29: \"TwoChannelMode\" is given a second time in one object (first at line 5, column 5)"},
        {"UTF-16", utf16, 3, "is text in UTF-16, which this program does not read: save it as UTF-8"},
        {"a NUL and an escape sequence in a name", replaced(text, "\"TwoChannelMode\"", "\"Two\\u0000\\u001b]0;x\\u0007\""),
         13, "line 5, column 5: \"Two\\x00\\x1B]0;x\\x07\" is no field of the code-plug"},
        {"a field of the wrong type", replaced(text, "\"TwoChannelMode\": \"on\"", "\"TwoChannelMode\": [\"on\"]"), 13,
         "line 5, column 23: \"TwoChannelMode\" needs a string or a number as its value"},
        {"overlong UTF-8", replaced(text, "\"ToneSystem\": \"Standard\"", "\"ToneSystem\": \"\xC1\x81\xC0\x80\""), 3,
         "is not readable as JSON: line 9, column 20: a byte that is no UTF-8 (save the text as UTF-8)"},
        {"a leading zero", replaced(text, "\"version\": 2", "\"version\": 02"), 3,
         "is not readable as JSON: line 3, column 14: a number with a leading zero"},
        {"a repeated version", replaced(text, "\"version\": 2", "\"version\": 2, \"version\": 1"), 13,
         "line 3, column 17: \"version\" is given a second time in one object (first at line 3, column 3)"},
        {"a line feed in a name", replaced(text, "\"Profile[1].PName\": \" Profile 2\"", "\"Profile[1].PName\": \"Pro\\nfile\""),
         13, ": Profile[1].PName=Pro\\x0Afile: The window's field cannot take a line feed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeText(path("broken.json"), c.text);
        for (const std::string& command : {"dump " + path("broken.json"),
                                          "import " + path("broken.json") + " -o " + path("out.tbl"),
                                          "--quiet write --port " + port + " " + path("broken.json")}) {
            const auto run = cli(command);
            EXPECT_EQ(run.status, c.status) << command << "\n" << run.out;
            EXPECT_NE(run.out.find(c.says), std::string::npos) << command << "\n" << run.out;
            // Only escaped text reaches the terminal.
            EXPECT_EQ(run.out.find_first_of(std::string("\0\x1B\x07", 3)), std::string::npos) << run.out;
        }
        EXPECT_FALSE(fs::exists(path("out.tbl")));
    }
    ASSERT_EQ(cli("read --port " + port + " -o " + path("after.tbl")).status, 0);
    EXPECT_EQ(fileText(path("after.tbl")), fileText(path("before.tbl")));
}

// A code-plug exported after a write carries what a person sets: no serial
// number, clock or pager data; imported onto a base it takes the base's.
// --lossless keeps every byte. Letters travel as letters; a squelch level of
// another order in the base is no obstacle.
TEST_F(CliTextTest, TemplatesAndLosslessTextsOfAWrittenPager) {
    const std::string port = startBoard();
    ASSERT_FALSE(port.empty());
    ASSERT_EQ(cli("--quiet write --port " + port + " " + bench()).status, 0);
    ASSERT_EQ(cli("read --port " + port + " -o " + path("pager.tbl")).status, 0);
    std::string pager = fileText(path("pager.tbl"));
    ASSERT_NE(pager.find("A1B2C3D4E5F6"), std::string::npos);
    // A name in the pager's 8-bit letters.
    const int name = memmap::field("Profile[1].PName").offset;
    pager.replace(static_cast<std::size_t>(name), 12, "L\xF6schzug S\xFC" "d");
    CodePlugImage named;
    std::copy(pager.begin(), pager.end(), named.bytes().begin());
    ImageChecksum(named);  // as a save stamps it
    pager.assign(reinterpret_cast<const char*>(named.bytes().data()), kImageSize);
    writeText(path("pager.tbl"), pager);

    const auto exported = cli("export " + path("pager.tbl"));
    ASSERT_EQ(exported.status, 0);
    for (const char* absent : {"A1B2C3D4E5F6", "SerialNo", "ClockSetting", "PagerInfoBlock", "FirmwareVersion",
                               "ImageChecksum", "VersionBcd", "ToneWords", "PLLN", "MenuCount"})
        EXPECT_EQ(exported.out.find(absent), std::string::npos) << absent;
    EXPECT_NE(exported.out.find("\"Profile[1].PName\": \"L\xC3\xB6schzug S\xC3\xBC" "d\""), std::string::npos);
    writeText(path("template.json"), exported.out);

    // The base: the built-in code-plug with a squelch level in another order.
    std::string base = fileText(bench());
    const int row = memmap::field("NbSquelch[3].Nrssi").offset;
    base.replace(static_cast<std::size_t>(row), 3, "\x10\xC0\xC0");
    writeText(path("base.tbl"), base);
    const auto imported = cli("import " + path("template.json") + " --base " + path("base.tbl") + " -o " + path("new.tbl"));
    ASSERT_EQ(imported.status, 0) << imported.out;
    const std::string made = fileText(path("new.tbl"));
    for (const char* stamped : {"SerialNo", "ClockSetting", "PagerInfoBlock"}) {
        const memmap::Field& field = memmap::field(stamped);
        EXPECT_EQ(made.substr(static_cast<std::size_t>(field.offset), static_cast<std::size_t>(field.length)),
                  base.substr(static_cast<std::size_t>(field.offset), static_cast<std::size_t>(field.length)))
            << stamped;
    }
    EXPECT_EQ(made.substr(static_cast<std::size_t>(name), 12), "L\xF6schzug S\xFC" "d");
    EXPECT_EQ(made.substr(static_cast<std::size_t>(row), 3), pager.substr(static_cast<std::size_t>(row), 3));
    // Nothing the pager holds differs but what its write and the pager put there.
    std::set<std::string> differing;
    for (const auto& field : differingFields(cli("diff " + path("pager.tbl") + " " + path("new.tbl")).out)) {
        const auto* f = memmap::findField(field);
        if (!f || !f->stamped()) differing.insert(field);
    }
    EXPECT_TRUE(differing.empty()) << *differing.begin();

    ASSERT_EQ(cli("export " + path("pager.tbl") + " --lossless -o " + path("lossless.json")).status, 0);
    EXPECT_NE(fileText(path("lossless.json")).find("A1B2C3D4E5F6"), std::string::npos);
    ASSERT_EQ(cli("import " + path("lossless.json") + " --base " + path("base.tbl") + " -o " + path("same.tbl")).status, 0);
    EXPECT_EQ(fileText(path("same.tbl")), fileText(path("pager.tbl")));
}
