// Code-plug files on disk: what is refused without being waited on, and what
// becomes of a file that a save replaces.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "codeplug/CodePlugFile.h"

using namespace km640;
namespace fs = std::filesystem;

namespace {

class CodePlugFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("km640-file-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A code-plug told apart from the others by its first byte.
    static CodePlugImage version(int n) {
        CodePlugImage image;
        image.setByte(0, static_cast<std::uint8_t>(n));
        return image;
    }
    fs::path path(const std::string& name) const { return dir_ / name; }
    void put(const std::string& name, int n) const {
        ASSERT_TRUE(WriteCodePlugFile(path(name), version(n), dir_).ok());
    }
    // Every file in the folder with the version it holds.
    std::map<std::string, int> folder() const {
        std::map<std::string, int> files;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            const auto read = ReadCodePlugFile(entry.path());
            files[entry.path().filename().string()] =
                read.status == CodePlugFileRead::Status::Ok ? read.bytes[0] : -1;
        }
        return files;
    }

    fs::path dir_;
};

}  // namespace

TEST_F(CodePlugFileTest, OnlyRegularFilesAreReadAndNothingWaits) {
    fs::create_directories(path("dir.tbl"));
    // Nobody writes into the pipe: opening it as a plain file would wait forever.
    ASSERT_EQ(::mkfifo(path("pipe.tbl").c_str(), 0644), 0);
    std::ofstream(path("short.tbl")) << "KM640";
    const struct {
        fs::path file;
        CodePlugFileRead::Status status;
        std::string reason;
    } cases[] = {
        {path("dir.tbl"), CodePlugFileRead::Status::NotAFile, "is a directory"},
        {path("pipe.tbl"), CodePlugFileRead::Status::NotAFile, "is a named pipe, not a regular file"},
        {"/dev/null", CodePlugFileRead::Status::NotAFile, "is a device, not a regular file"},
        {path("missing.tbl"), CodePlugFileRead::Status::IoError, "No such file or directory"},
        {path("short.tbl"), CodePlugFileRead::Status::TooShort, "the file holds 5 bytes, a code-plug has 2048"},
    };
    for (const auto& c : cases) {
        const auto read = ReadCodePlugFile(c.file);
        EXPECT_EQ(read.status, c.status) << c.file;
        EXPECT_EQ(read.reason, c.reason) << c.file;
    }
}

TEST_F(CodePlugFileTest, TheCommandLineKeepsEveryVersionUnderAFreeName) {
    const struct {
        const char* what;
        std::vector<std::pair<std::string, int>> saves;  // name and version, in order
        std::map<std::string, int> folder;                // afterwards
    } cases[] = {
        {"three saves under one name", {{"a.tbl", 1}, {"a.tbl", 2}, {"a.tbl", 3}},
         {{"a.tbl", 3}, {"a.BAK", 1}, {"a.1.BAK", 2}}},
        {"two files sharing a backup name", {{"a.tbl", 1}, {"a.dat", 2}, {"a.tbl", 3}, {"a.dat", 4}},
         {{"a.tbl", 3}, {"a.dat", 4}, {"a.BAK", 1}, {"a.1.BAK", 2}}},
        {"a save under the backup name itself", {{"q.BAK", 1}, {"q.BAK", 2}, {"q.BAK", 3}},
         {{"q.BAK", 3}, {"q.1.BAK", 1}, {"q.2.BAK", 2}}},
    };
    for (const auto& c : cases) {
        SetUp();
        for (const auto& [name, n] : c.saves) put(name, n);
        EXPECT_EQ(folder(), c.folder) << c.what;
    }
}

TEST_F(CodePlugFileTest, WhatIsNoFileIsLeftAloneByEverySave) {
    fs::create_directories(path("pager.tbl"));
    std::ofstream(path("pager.tbl") / "notes.txt") << "mine";
    ASSERT_EQ(::mkfifo(path("pipe.tbl").c_str(), 0644), 0);
    const auto dir = WriteCodePlugFile(path("pager.tbl"), version(1), dir_);
    EXPECT_EQ(dir.status, CodePlugFileWrite::Status::NotAFile);
    EXPECT_EQ(dir.reason, "is a directory");
    const auto pipe = WriteCodePlugFile(path("pipe.tbl"), version(1), dir_);
    EXPECT_EQ(pipe.status, CodePlugFileWrite::Status::NotAFile);
    EXPECT_EQ(pipe.reason, "is a named pipe, not a regular file");
    EXPECT_TRUE(fs::is_directory(path("pager.tbl")));
    EXPECT_TRUE(fs::is_fifo(path("pipe.tbl")));
    std::stringstream notes;
    notes << std::ifstream(path("pager.tbl") / "notes.txt").rdbuf();
    EXPECT_EQ(notes.str(), "mine");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2) << "no backup, no temporary file";
}

TEST_F(CodePlugFileTest, AnOldFileThatCannotBeKeptStopsTheSave) {
    put("a.tbl", 1);
    // The backup folder is gone: the old file cannot be kept, so it stays and nothing is written.
    const auto saved = WriteCodePlugFile(path("a.tbl"), version(2), dir_ / "gone");
    EXPECT_FALSE(saved.ok());
    EXPECT_EQ(saved.reason, "the file there could not be kept as " + (dir_ / "gone" / "a.BAK").string() +
                                ": No such file or directory");
    EXPECT_EQ(folder(), (std::map<std::string, int>{{"a.tbl", 1}}));
}
