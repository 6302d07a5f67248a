#include <gtest/gtest.h>

#include "settings/PromptText.h"

using namespace km640::prompts;

TEST(PromptText, StoredAndShown) {
    struct Case { int k; const char* field; const char* stored; const char* shown; };
    const Case cases[] = {
        {10, "    YES", "    YES     ", "    YES"},
        {1, "CLR MESSAGE", "CLR MESSAGE ", "CLR MESSAGE"},
        {3, "", "            ", ""},
        {3, "   ", "            ", ""},
        {6, "SET CONTRAST!", "SET CONTRAST", "SET CONTRAST"},  // a pasted 13th character is cut off
        {13, "PAGE", "     PAGE   ", "PAGE"},
        {13, "", "            ", ""},
        {14, "  PAGES", "       PAGES", "  PAGES"},
        {14, "1234567", "     1234567", "1234567"},
    };
    for (const auto& c : cases) {
        const std::string stored = StoredPrompt(c.k, c.field);
        EXPECT_EQ(stored, c.stored) << c.k << " " << c.field;
        EXPECT_EQ(ShownPrompt(c.k, stored), c.shown) << c.k << " " << c.field;
    }
    EXPECT_EQ(StoredText("   NORVEX"), "   NORVEX   ");
    EXPECT_EQ(PromptFieldWidth(12), 12);
    EXPECT_EQ(PromptFieldWidth(13), 7);
}

TEST(PromptText, Alignment) {
    using A = Alignment;
    struct Case { A alignment; int width; const char* text; const char* aligned; };
    const Case cases[] = {
        {A::Centre, 12, "YES", "    YES"},
        {A::Right, 7, "PAGES", "  PAGES"},
        {A::Left, 12, "   NO  ", "NO"},
        {A::Centre, 7, " PAGE", " PAGE"},
        {A::Right, 12, "CLEARING MSG", "CLEARING MSG"},
        {A::Centre, 12, "", "      "},  // stored as a blank prompt all the same
    };
    for (const auto& c : cases) EXPECT_EQ(AlignedText(c.alignment, c.width, c.text), c.aligned) << c.text;
}
