// The km640-cli program as people use it in their own language: numbers
// read the same under a German locale as under C (a decimal comma is the
// locale's, never the program's), and the pager's 8-bit texts typed and
// shown as the letters they are.

#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "settings/CodePlugNormalisation.h"
#include "tests/support/ShellCommand.h"

using namespace km640;
namespace fs = std::filesystem;

namespace {

using km640::testing::ProgramRun;

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A single-quoted word for the shell.
std::string quoted(const std::string& word) {
    std::string out = "'";
    for (const char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

class CliLetters : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("km640-cliletters-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        const CodePlugImage image = ProgrammedDefaultImage();
        std::ofstream(path("line.tbl"), std::ios::binary)
            .write(reinterpret_cast<const char*>(image.bytes().data()), static_cast<std::streamsize>(kImageSize));
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string path(const std::string& name) const { return (folder_ / name).string(); }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path(name), std::ios::binary) << text;
    }
    // km640-cli with the words given, under the environment given
    // ("LC_ALL=C"), standard error with standard output.
    ProgramRun cli(const std::string& environment, std::initializer_list<std::string> words) const {
        std::string command = "env " + environment + " " KM640_CLI_PROGRAM;
        for (const auto& word : words) command += " " + quoted(word);
        return km640::testing::runProgram(command, km640::testing::StandardError::WithOutput);
    }

    fs::path folder_;
};

// A German locale of its own, made for the test when the system has none.
class CliUnderGermanLocale : public CliLetters {
protected:
    static void SetUpTestSuite() {
        locales_ = fs::temp_directory_path() / ("km640-locales-" + std::to_string(getpid()));
        fs::create_directories(locales_);
        const std::string make = "localedef -i de_DE -f UTF-8 " + (locales_ / "de_DE.UTF-8").string();
        km640::testing::runProgram(make, km640::testing::StandardError::Dropped);
        // Whether the locale is there and writes a decimal comma.
        setenv("LOCPATH", locales_.c_str(), 1);
        const char* made = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
        usable_ = made != nullptr && std::localeconv()->decimal_point == std::string(",");
        std::setlocale(LC_NUMERIC, "C");
        unsetenv("LOCPATH");
    }
    static void TearDownTestSuite() { fs::remove_all(locales_); }
    void SetUp() override {
        if (!usable_) GTEST_SKIP() << "no de_DE.UTF-8 locale could be made (localedef and the locales' sources)";
        CliLetters::SetUp();
    }
    static std::string german() { return "LOCPATH=" + locales_.string() + " LC_ALL=de_DE.UTF-8"; }

    static inline fs::path locales_;
    static inline bool usable_ = false;
};

TEST_F(CliUnderGermanLocale, SetDumpAndRosterCheckReadAndWriteNumbersAsUnderC) {
    write("fleet.csv",
          "serial,F1Tone1[0],Profile[0].F1Freq,NbSquelch[0].Nrssi\r\n"
          "ZX0000000001,1687.2,1523400,0.95\r\n");
    for (const char* name : {"c", "de"}) {
        const std::string environment = std::string(name) == "c" ? "LC_ALL=C" : german();
        const std::string out = path(std::string(name) + ".tbl");
        const auto set = cli(environment, {"set", path("line.tbl"), "F1Tone1[0]=1687.2", "NbSquelch[0].Nrssi=0.95",
                                           "Profile[0].ResetDelay=2.5", "-o", out});
        EXPECT_EQ(set.status, 0) << name << ": " << set.out;
    }
    EXPECT_EQ(fileBytes(path("de.tbl")), fileBytes(path("c.tbl")));

    const auto dumpC = cli("LC_ALL=C", {"dump", path("c.tbl")});
    ASSERT_EQ(dumpC.status, 0);
    EXPECT_NE(dumpC.out.find("1687.2"), std::string::npos);
    EXPECT_EQ(cli(german(), {"dump", path("c.tbl")}).out, dumpC.out);

    const auto checkC = cli("LC_ALL=C", {"roster", "check", path("line.tbl"), path("fleet.csv")});
    EXPECT_EQ(checkC.status, 0) << checkC.out;
    const auto checkDe = cli(german(), {"roster", "check", path("line.tbl"), path("fleet.csv")});
    EXPECT_EQ(checkDe.status, checkC.status);
    EXPECT_EQ(checkDe.out, checkC.out);
}

TEST_F(CliLetters, TextsAreTypedAndShownAsLetters) {
    const std::string utf8 = "LANG=C.UTF-8";
    // Twelve letters fill the twelve bytes of a name.
    const auto set = cli(utf8, {"set", path("line.tbl"), "F1AddrName[0]=Löschzug Süd", "-o", path("named.tbl")});
    ASSERT_EQ(set.status, 0) << set.out;
    const std::string bytes = fileBytes(path("named.tbl"));
    EXPECT_EQ(bytes.substr(768, 12), "L\xF6schzug S\xFC" "d");

    const auto dump = cli(utf8, {"dump", path("named.tbl")});
    EXPECT_NE(dump.out.find("\"Löschzug Süd\"    [4C F6 73"), std::string::npos) << dump.out;
    const auto diff = cli(utf8, {"diff", path("line.tbl"), path("named.tbl")});
    EXPECT_NE(diff.out.find("F1AddrName[0] (768): \" Addr_1 F1\" -> \"Löschzug Süd\""), std::string::npos)
        << diff.out;

    // Refusals name the letters too; a byte that is no UTF-8 stays escaped.
    const auto tooLong = cli(utf8, {"set", path("named.tbl"), "Profile[0].PName=Löschzug Süd!"});
    EXPECT_EQ(tooLong.status, 13);
    EXPECT_NE(tooLong.out.find("Profile[0].PName=Löschzug Süd!: The field takes at most 12 characters"),
              std::string::npos)
        << tooLong.out;
    const auto notUtf8 = cli(utf8, {"set", path("named.tbl"), "LogoLine1=L\xF6sch"});
    EXPECT_EQ(notUtf8.status, 13);
    EXPECT_NE(notUtf8.out.find("LogoLine1=L\\xF6sch: not UTF-8 text (byte 2)"), std::string::npos) << notUtf8.out;

    // The roster's problems show its cells as they are written.
    write("fleet.csv", "serial,F1AddrName[0],LogoLine1\r\nZX0000000001,Löschzug Süd,5 €\r\n");
    const auto check = cli(utf8, {"roster", "check", path("line.tbl"), path("fleet.csv")});
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.out.find("serial ZX0000000001, LogoLine1 = \"5 €\": the character U+20AC cannot be stored"),
              std::string::npos)
        << check.out;
    EXPECT_EQ(check.out.find("F1AddrName"), std::string::npos) << check.out;
}

// What set does with the values the window's controls would take right
// after File > Open of the same file, and what it refuses.
TEST_F(CliLetters, SetCommitsAsAWindowThatHasShownTheFile) {
    // The 7 V display drive: the contrast moves the track bar, as in the window.
    ASSERT_EQ(cli("LC_ALL=C", {"set", path("line.tbl"), "LcmVop=20", "-o", path("7v.tbl")}).status, 0);
    const auto contrast = cli("LC_ALL=C", {"set", path("7v.tbl"), "Contrast=3", "-o", path("7v3.tbl")});
    ASSERT_EQ(contrast.status, 0) << contrast.out;
    const auto dump = cli("LC_ALL=C", {"dump", path("7v3.tbl")});
    EXPECT_NE(dump.out.find("\nContrast                            179         3 "), std::string::npos) << dump.out;
    EXPECT_NE(dump.out.find("\nLcmVop                              190         20 "), std::string::npos) << dump.out;

    // A worked-out field is refused with the reason, and nothing is saved.
    const std::string before = fileBytes(path("7v3.tbl"));
    const auto derived = cli("LC_ALL=C", {"set", path("7v3.tbl"), "Profile[2].F1PLLR=00000000"});
    EXPECT_EQ(derived.status, 13);
    EXPECT_NE(derived.out.find("Profile[2].F1PLLR=00000000: the program works this field out from other settings"),
              std::string::npos)
        << derived.out;
    EXPECT_EQ(fileBytes(path("7v3.tbl")), before);
}

}  // namespace
