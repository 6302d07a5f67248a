#include "sim/MemoryFile.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

using namespace km640;
namespace fs = std::filesystem;

class MemoryFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("km640-memory-" + std::to_string(getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder;
};

TEST_F(MemoryFile, SavedMemoryLoadsBack) {
    CodePlugImage memory = DefaultImage();
    memory.setByte(2047, 0x42);
    ASSERT_TRUE(SaveMemoryFile(folder / "pager.tbl", memory));
    EXPECT_EQ(fs::file_size(folder / "pager.tbl"), kImageSize);
    EXPECT_EQ(LoadMemoryFile(folder / "pager.tbl"), memory);
}

TEST_F(MemoryFile, ShortOrMissingFilesAreRefused) {
    std::ofstream(folder / "short.tbl", std::ios::binary) << std::string(kImageSize - 1, 'x');
    EXPECT_FALSE(LoadMemoryFile(folder / "short.tbl"));
    EXPECT_FALSE(LoadMemoryFile(folder / "missing.tbl"));
}

TEST_F(MemoryFile, LongerFilesGiveTheirFirst2048Bytes) {
    std::ofstream(folder / "long.tbl", std::ios::binary) << std::string(kImageSize, 'a') << "tail";
    const auto memory = LoadMemoryFile(folder / "long.tbl");
    ASSERT_TRUE(memory);
    EXPECT_EQ(memory->byte(kImageSize - 1), 'a');
}
