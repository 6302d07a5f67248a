// The km640 command line: what a desktop menu, a file manager or a user in a
// terminal may start the window with.

#include <gtest/gtest.h>

#include "app/WindowCommandLine.h"

using namespace km640;
using Action = WindowCommandLine::Action;

TEST(WindowCommandLine, ReadsOneFileAndTheUsualOptions) {
    struct Case {
        std::vector<std::string> args;
        Action action;
        std::optional<std::string> file;
    };
    const Case cases[] = {
        {{}, Action::Run, std::nullopt},
        {{"bench.tbl"}, Action::Run, "/home/tech/bench.tbl"},
        {{"../line/./a b.tbl"}, Action::Run, "/home/line/a b.tbl"},
        {{"/media/usb/PAGER.TBL"}, Action::Run, "/media/usb/PAGER.TBL"},
        {{"--", "-odd.tbl"}, Action::Run, "/home/tech/-odd.tbl"},
        {{"-"}, Action::Run, "/home/tech/-"},
        {{"--help"}, Action::Help, std::nullopt},
        {{"bench.tbl", "-h"}, Action::Help, std::nullopt},
        // Before the application object takes them out, Qt's own options
        // stand beside --help and --version, which answer all the same.
        {{"-platform", "offscreen", "--version"}, Action::Version, std::nullopt},
        {{"--version", "--help"}, Action::Help, std::nullopt},
        {{"--", "--help"}, Action::Run, "/home/tech/--help"},
        {{"-x"}, Action::Error, std::nullopt},
        {{"--version=2"}, Action::Error, std::nullopt},
        {{"a.tbl", "b.tbl"}, Action::Error, std::nullopt},
        {{""}, Action::Error, std::nullopt},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const auto& a : c.args) shown += "'" + a + "' ";
        const auto r = ParseWindowCommandLine(c.args, "/home/tech");
        EXPECT_EQ(r.action, c.action) << shown;
        EXPECT_EQ(r.file, c.file) << shown;
        EXPECT_EQ(r.error.empty(), c.action != Action::Error) << shown;
    }
}

TEST(WindowCommandLine, HelpNamesEveryOptionAndVersionIsTheProgramVersion) {
    const std::string help = WindowHelpText();
    for (const char* word : {"Usage: km640 [FILE.tbl]", "-h, --help", "--version", "default.tbl"})
        EXPECT_NE(help.find(word), std::string::npos) << word;
    EXPECT_EQ(WindowVersionText(), "km640 1.1.9\n");
}
