// Fields named as the window shows them: every field of the memory map has
// a name of its own, counted from 1, with the window's names of switches,
// tables and levels; diff --labels prints them.

#include <gtest/gtest.h>

#include <set>

#include "fieldtext/CodePlugDiff.h"
#include "fieldtext/FieldLabel.h"

using namespace km640;
using namespace km640::fieldtext;

TEST(FieldLabel, NamesFieldsAsTheWindowShowsThem) {
    const struct {
        const char* field;
        const char* label;
    } cases[] = {
        {"Profile[0].PName", "Profiles › Profile 1 › Name"},
        {"F1Tone1[2]", "Channel F1 › Address 3 › Tone 1"},
        {"F1Tone1[7]", "Channel F1 › Address 8 › Tone 1"},
        // The group calls, as the window heads their rows.
        {"F1Tone1[8]", "Channel F1 › Group #1 › Tone 1"},
        {"F2AddrName[11]", "Channel F2 › Group #4 › Mark"},
        {"Profile[3].F2Freq", "Profiles › Profile 4 › Channel F2 › Frequency"},
        {"Profile[1].SwitchC.Mode", "Profiles › Profile 2 › Function Switches › SW-C › Mode"},
        {"WbSquelch[4].SpeakerOn", "Advance › WB Squelch › Level 5 › Speaker ON"},
        {"MenuPrompt[0]", "Menu & Alert Patterns › Prompts Edit › Prompt 1"},
        {"MenuPrompt[14]", "Menu & Alert Patterns › Prompts Edit › Prompt 15"},
        {"TonalityHz[3]", "Menu & Alert Patterns › Alert Tonality › Tonality D"},
        {"AlertPattern[7].Led", "Menu & Alert Patterns › Alert Patterns › Pattern #8 › LED"},
        {"BatteryGaugeLevels[0]", "Advance › Battery › Battery Gauge Level-Low"},
        {"StdTiming.GroupCallDuration", "Advance › Group Call Duration › Group Call Duration (Standard)"},
        {"RemindRepetitionTime", "Status Setting › Call Remind Tone › Repetition Time"},
        {"VersionBcd", "Pager › Version stamp"},
    };
    for (const auto& c : cases) EXPECT_EQ(fieldLabel(memmap::field(c.field)), c.label) << c.field;
}

// One table covers the whole memory map, and no two fields share a name.
TEST(FieldLabel, EveryFieldHasALabelOfItsOwn) {
    std::set<std::string> seen;
    for (const auto& field : memmap::fields()) {
        std::string label;
        ASSERT_NO_THROW(label = fieldLabel(field)) << field.name;
        EXPECT_EQ(label.find('{'), std::string::npos) << field.name;
        EXPECT_TRUE(seen.insert(label).second) << field.name << ": " << label;
    }
}

// diff keeps its field names; --labels gives the window's, and marks which
// rows are stamped.
TEST(FieldLabel, DiffPrintsLabelsOnRequest) {
    CodePlugImage edited = DefaultImage();
    edited.setText(1600, 12, "NIGHT");
    edited.setWord(1950, 0x1234);
    const auto differences = diffCodePlugs(DefaultImage(), edited);
    const std::string names = diffText(differences, "a.tbl", "b.tbl");
    EXPECT_NE(names.find("\nProfile[1].PName (1600): "), std::string::npos) << names;
    const std::string labels = diffText(differences, "a.tbl", "b.tbl", true);
    EXPECT_NE(labels.find("\nProfiles › Profile 2 › Name (1600): "), std::string::npos) << labels;
    EXPECT_NE(labels.find("\nPager › Image checksum (1950): "), std::string::npos) << labels;
    for (const auto& row : differenceRows(differences)) EXPECT_EQ(row.stamped, row.name == "ImageChecksum") << row.name;
}
