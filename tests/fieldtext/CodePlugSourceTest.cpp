// What a code-plug file is, decided by its content once for every command
// and the window: text whatever its size when it starts with `{` (and holds
// no image's model name), text in another encoding refused with the advice
// to save it as UTF-8, an image otherwise. A broken text names its place.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "fieldtext/CodePlugSource.h"
#include "fieldtext/CodePlugText.h"
#include "settings/CodePlugNormalisation.h"

namespace km640::fieldtext {
namespace {

namespace fs = std::filesystem;
using Status = LoadedCodePlug::Status;

std::string imageBytes(const CodePlugImage& image) {
    return {reinterpret_cast<const char*>(image.bytes().data()), kImageSize};
}

std::string utf16(const std::string& ascii, bool bigEndian) {
    std::string out;
    for (const char c : ascii) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
}

// The text with a comma after its last member, and where that comma stands.
std::pair<std::string, std::string> withStrayComma(std::string text) {
    const auto at = text.rfind('"') + 1;
    text.insert(at, ",");
    const auto lineStart = text.rfind('\n', at) + 1;
    const auto line = std::count(text.begin(), text.begin() + static_cast<long>(at), '\n') + 1;
    return {text, "line " + std::to_string(line) + ", column " + std::to_string(at - lineStart + 1)};
}

class CodePlugSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("km640-source-" + std::to_string(getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    LoadedCodePlug load(const std::string& bytes) {
        const fs::path path = folder_ / "file";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return loadCodePlugFile(path);
    }
    fs::path folder_;
};

TEST_F(CodePlugSourceTest, TheContentSaysWhatAFileIs) {
    const CodePlugImage image = ProgrammedDefaultImage();
    const std::string text = exportCodePlugText(image, TextForm::Lossless);
    ASSERT_GT(text.size(), 25'000u);
    const auto [broken, place] = withStrayComma(text);
    // Images whose first bytes look like text: the model name says they are images.
    CodePlugImage brace = image, bom = image;
    brace.setByte(0, '{');
    bom.setByte(0, 0xFF);
    bom.setByte(1, 0xFE);
    std::string notAnImage = imageBytes(image);
    notAnImage[0] = '{';
    notAnImage[ident::kModelText] = 'X';

    struct Case {
        const char* what;
        std::string bytes;
        Status status;
        bool fromText;
        std::string reason;  // what the reason says, or empty
    };
    const Case cases[] = {
        {"a text of 30 kB", text, Status::Ok, true, ""},
        {"a text after a byte-order mark and blanks", "\xEF\xBB\xBF \n\t" + text, Status::Ok, true, ""},
        {"a text with a stray comma near its end", broken, Status::BadText, true,
         "not readable as JSON: " + place + ": a comma before `}`"},
        {"UTF-16 with its byte-order mark", "\xFF\xFE" + utf16(text, false), Status::BadText, true,
         "text in UTF-16, which this program does not read: save it as UTF-8"},
        {"UTF-16 big-endian without a mark", utf16(text, true), Status::BadText, true,
         "text in UTF-16, which this program does not read: save it as UTF-8"},
        {"UTF-32 with its byte-order mark", std::string("\xFF\xFE\0\0{\0\0\0", 8), Status::BadText, true,
         "text in UTF-32, which this program does not read: save it as UTF-8"},
        {"2048 bytes starting with { without the model name", notAnImage, Status::BadText, true,
         "not readable as JSON: line 1, column 2: a member name in double quotes was expected"},
        {"an image whose first byte is {", imageBytes(brace), Status::Ok, false, ""},
        {"an image that starts like a UTF-16 mark", imageBytes(bom), Status::Ok, false, ""},
        {"an image with more after it", imageBytes(image) + "tail", Status::Ok, false, ""},
        {"a short file that is no text", "KM640", Status::TooShort, false, "the file holds 5 bytes, a code-plug has 2048"},
        {"JSON that is no code-plug text", R"({"format": "other"})", Status::BadText, true,
         "not KM640 code-plug text: it has no \"format\": \"km640-codeplug\""},
        {"a text larger than any code-plug needs", "{" + std::string(kMaxCodePlugTextBytes, ' ') + "}", Status::BadText,
         true, "code-plug text larger than 4 MiB, far more than any code-plug needs"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LoadedCodePlug loaded = load(c.bytes);
        EXPECT_EQ(loaded.status, c.status);
        EXPECT_EQ(loaded.fromText, c.fromText);
        EXPECT_EQ(loaded.reason, c.reason);
        if (c.status != Status::Ok) continue;
        if (c.fromText) {
            EXPECT_EQ(loaded.image, image);
        } else {
            EXPECT_EQ(imageBytes(loaded.image), c.bytes.substr(0, kImageSize));
        }
    }
}

}  // namespace
}  // namespace km640::fieldtext
