// A fleet programmed from a roster with km640-cli against the board
// simulator: every pager gets the line's code-plug with its own row, a label
// that is not in the roster never reaches the board, and the record knows
// what each pager got.

#include <gtest/gtest.h>

#include <fstream>

#include "cli/ExitCode.h"
#include "codeplug/MemoryMap.h"
#include "fieldtext/FieldValue.h"
#include "record/CodePlugFingerprint.h"
#include "record/ProductionRecord.h"
#include "tests/cli/CliFixture.h"

using namespace km640;
using namespace km640::cli;

namespace {

const char* kRoster =
    "serial,F1Tone1[0],F1Tone2[0],F1AddrName[0],LogoLine1\r\n"
    "ZX0000000001,1285.8,1153.4,Engine 1,Station 4\r\n"
    "ZX0000000002,1285.8,1185.2,Engine 2,\"Station 4, B\"\r\n"
    "ZX0000000003,1285.8,1217.8,,\r\n";

class CliRoster : public CliOverPty {
protected:
    void SetUp() override {
        CliOverPty::SetUp();
        startBoard(clitest::savedImage(), withSerial());
        fs::create_directories(path("logs"));
        line_ = save("line.tbl", clitest::savedImage());
        roster_ = write("fleet.csv", kRoster);
    }
    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(path(name), std::ios::binary) << text;
        return path(name);
    }
    std::vector<std::string> production(const std::string& roster) {
        return {"production", "--port", port(), line_, "--log-dir", path("logs"), "--roster", roster,
                "--serial-from-stdin"};
    }
    std::vector<RecordedRun> recorded() {
        ProductionRecord r;
        EXPECT_TRUE(r.open(ParseRecordUrl(recordFile()).location)) << r.error();
        return r.runs({}).value_or(std::vector<RecordedRun>{});
    }
    std::string shown(const CodePlugImage& image, const char* name) {
        return fieldtext::fieldValueText(image, memmap::field(name));
    }
    std::string line_, roster_;
};

TEST_F(CliRoster, EveryPagerGetsItsOwnRowAndAnUnlistedLabelNoBoard) {
    // Each pager is checked as it leaves the board: the next write replaces it.
    struct Pager {
        const char* serial;
        const char* tone2;
        const char* name;
        const char* logo;
    };
    const CodePlugImage line = load(line_);
    const Pager pagers[] = {{"ZX0000000001", "1153.4", "\"Engine 1\"", "\"Station 4\""},
                            {"ZX0000000002", "1185.2", "\"Engine 2\"", "\"Station 4, B\""},
                            {"ZX0000000003", "1217.8", nullptr, nullptr}};
    std::vector<std::string> pagerFingerprints;
    for (const auto& pager : pagers) {
        const auto scanned = run(production(roster_), std::string(pager.serial) + "\n");
        ASSERT_EQ(scanned.code, 0) << scanned.err;
        const CodePlugImage memory = board_->memory();
        EXPECT_EQ(SerialNumberText(memory), pager.serial);
        EXPECT_EQ(shown(memory, "F1Tone1[0]"), "1285.8");
        EXPECT_EQ(shown(memory, "F1Tone2[0]"), pager.tone2);
        // An empty cell leaves the line's value, not the pager before's.
        EXPECT_EQ(shown(memory, "F1AddrName[0]"), pager.name ? pager.name : shown(line, "F1AddrName[0]"));
        EXPECT_EQ(shown(memory, "LogoLine1"), pager.logo ? pager.logo : shown(line, "LogoLine1"));
        pagerFingerprints.push_back(CodePlugSha256(memory));
    }

    const int writes = board_->writeCount();
    const auto unlisted = run(production(roster_), "ZX0000000099\n");
    EXPECT_EQ(unlisted.code, toInt(ExitCode::NotInRoster));
    EXPECT_NE(unlisted.err.find("ZX0000000099 is not in the roster fleet.csv; nothing was sent to the board."),
              std::string::npos)
        << unlisted.err;
    EXPECT_EQ(unlisted.out,
              "2010-03-07 14:05:09  ZX0000000099  Refused: not in the roster\n"
              "Programmed: 0  Failed: 0  Refused: 1\n");
    EXPECT_EQ(board_->writeCount(), writes) << "nothing is sent to the board";

    const auto runs = recorded();
    ASSERT_EQ(runs.size(), 4u);
    std::ifstream rosterFile(roster_, std::ios::binary);
    const std::string rosterBytes{std::istreambuf_iterator<char>(rosterFile), {}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(runs[i].state, RunState::Programmed);
        EXPECT_EQ(runs[i].codePlugSha256, CodePlugSha256(line)) << "the line's fingerprint stays the line's";
        EXPECT_EQ(runs[i].roster.file, "fleet.csv");
        EXPECT_EQ(runs[i].roster.sha256, BytesSha256(rosterBytes));
        EXPECT_EQ(runs[i].roster.pagerCodePlugSha256, pagerFingerprints[i]);
        EXPECT_NE(runs[i].roster.pagerCodePlugSha256, runs[i].codePlugSha256);
    }
    EXPECT_EQ(runs[1].roster.row, R"({"serial":"ZX0000000002","F1Tone1[0]":"1285.8","F1Tone2[0]":"1185.2",)"
                                  R"("F1AddrName[0]":"Engine 2","LogoLine1":"Station 4, B"})");
    EXPECT_EQ(runs[3].serial, "ZX0000000099");
    EXPECT_EQ(runs[3].state, RunState::Refused);
    EXPECT_EQ(runs[3].outcome, "Refused: not in the roster");

    // Each row with the names it sets.
    const auto status = run({"roster", "status", roster_, "--log-dir", path("logs")});
    ASSERT_EQ(status.code, 0) << status.err;
    EXPECT_NE(status.out.find("Serial No.    F1AddrName[0]  LogoLine1     State"), std::string::npos) << status.out;
    EXPECT_NE(status.out.find("ZX0000000002  Engine 2       Station 4, B  programmed  2010-03-07 14:05:09+01:00  bench-pc"),
              std::string::npos)
        << status.out;
    EXPECT_NE(status.out.find("fleet.csv: 3 of 3 programmed, 0 to do\n"), std::string::npos) << status.out;

    // The fleet is re-rolled: a row whose values changed since its pager was
    // programmed is to do again.
    const std::string rerolled = write("fleet.csv", std::string(kRoster).replace(std::string(kRoster).find("1185.2"), 6,
                                                                                  "1251.4"));
    const auto again = run({"roster", "status", rerolled, "--log-dir", path("logs")});
    ASSERT_EQ(again.code, 0) << again.err;
    EXPECT_NE(again.out.find("ZX0000000002  Engine 2       Station 4, B  to do (programmed with other values)"),
              std::string::npos)
        << again.out;
    EXPECT_NE(again.out.find("fleet.csv: 2 of 3 programmed, 1 to do\n"), std::string::npos) << again.out;

    // For scripts: CSV, here as a German spreadsheet reads it.
    const auto csv = run({"roster", "status", rerolled, "--log-dir", path("logs"), "--csv", "--csv-separator", ";"});
    ASSERT_EQ(csv.code, 0) << csv.err;
    EXPECT_EQ(csv.out.substr(0, csv.out.find('\n') + 1),
              "Serial No.;F1AddrName[0];LogoLine1;State;Started;Station;Port;Outcome\r\n");
    EXPECT_NE(csv.out.find("\r\nZX0000000002;Engine 2;Station 4, B;to do (programmed with other values);"),
              std::string::npos)
        << csv.out;
    EXPECT_NE(csv.out.find("\r\nZX0000000003;;;programmed;"), std::string::npos) << csv.out;
}

TEST_F(CliRoster, ABadRowStopsTheWholeFleetBeforeTheFirstPager) {
    const std::string bad = write("bad.csv",
                                  "serial,F1Tone1[0],F1Tone2[0]\n"
                                  "ZX0000000001,1285.8,1153.4\n"
                                  "ZX0000000002,9999,1153.4\n"
                                  "ZX0000000003,1285.8,1153.4\n");
    const auto check = run({"roster", "check", line_, bad});
    EXPECT_EQ(check.code, toInt(ExitCode::Differences));
    // The same address twice is named too, beside the refused tone.
    EXPECT_NE(check.out.find("line 3, serial ZX0000000002, F1Tone1[0] = \"9999\": "), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("line 4, serial ZX0000000003, F1Tone1[0] = \"1285.8\": the same individual address"),
              std::string::npos)
        << check.out;
    EXPECT_NE(check.out.find("bad.csv: 3 rows, 2 problems\n"), std::string::npos) << check.out;

    const int writes = board_->writeCount();
    const auto refused = run(production(bad), "ZX0000000001\n");
    EXPECT_EQ(refused.code, toInt(ExitCode::Refused));
    EXPECT_NE(refused.err.find("no pager was programmed"), std::string::npos) << refused.err;
    EXPECT_EQ(board_->writeCount(), writes);
    EXPECT_FALSE(fs::exists(recordFile())) << "nothing recorded either";

    EXPECT_EQ(run({"roster", "check", line_, roster_}).code, 0);
    const auto todo = run({"roster", "status", roster_, "--log-dir", path("logs")});
    EXPECT_EQ(todo.code, toInt(ExitCode::LogNotOpened)) << "there is no record yet";
}

TEST_F(CliRoster, ASpreadsheetsRosterIsCheckedAsItIsSaved) {
    // Saved by a spreadsheet in a German locale, as Windows-1252.
    const std::string german = write("german.csv",
                                     "Serial ;F1Tone1[0];F1Tone2[0];LogoLine1;\r\n"
                                     "ZX0000000001;1285,8;1153,4;M\xFCller;\r\n"
                                     "ZX0000000002;1285,8;1185,2;Stra\xDF" "e;\r\n");
    const auto check = run({"roster", "check", line_, german});
    EXPECT_EQ(check.code, 0) << check.out;
    // How it was read, once each.
    EXPECT_EQ(check.out, german + ": columns separated by semicolons\n" + german +
                             ": the roster is not UTF-8 text: it was read as Windows-1252\n" + german +
                             ": 2 rows, every row good\n");

    // A cell's bell and escape bytes reach the terminal escaped, in the
    // value and in the window's message about it.
    const std::string noisy = write("noisy.csv", "serial,F1Tone1[0]\nZX0000000001,12\x07\x1B[2J\n");
    for (const auto& result : {run({"roster", "check", line_, noisy}), run(production(noisy), "ZX0000000001\n")}) {
        const std::string text = result.out + result.err;
        EXPECT_EQ(text.find_first_of("\x07\x1B"), std::string::npos) << text;
        EXPECT_NE(text.find("The window's field cannot take the control character 0x07"), std::string::npos) << text;
    }
}

// A script programs pager after pager with one --serial call each: the
// roster is checked by the first call and only read by the next ones.
TEST_F(CliRoster, ARosterPassedOnceIsKeptByItsBytesAndTheCodePlugs) {
    cacheFolder_ = path("cache/km640");
    const auto single = [&](const std::string& roster, const char* serial) {
        return run({"production", "--port", port(), line_, "--log-dir", path("logs"), "--roster", roster, "--serial",
                    serial, "--allow-repeat"});
    };
    const auto entries = [&] {
        std::vector<fs::path> found;
        if (fs::exists(cacheFolder_))
            for (const auto& entry : fs::directory_iterator(cacheFolder_)) found.push_back(entry.path());
        return found;
    };
    const auto first = single(roster_, "ZX0000000001");
    ASSERT_EQ(first.code, 0) << first.err;
    const auto kept = entries();
    ASSERT_EQ(kept.size(), 1u) << "the passed check is kept, nothing else is left there";
    std::ifstream keptFile(kept[0], std::ios::binary);
    const std::string entry{std::istreambuf_iterator<char>(keptFile), {}};
    EXPECT_EQ(single(roster_, "ZX0000000002").code, 0);

    // One row changed to a value the code-plug refuses: another roster,
    // checked again, although the old one's entry is there.
    const std::string rosterSha = BytesSha256(kRoster);
    const std::string badText = std::string(kRoster).replace(std::string(kRoster).find("1217.8"), 6, "9999");
    const std::string bad = write("fleet.csv", badText);
    const auto refused = single(bad, "ZX0000000001");
    EXPECT_EQ(refused.code, toInt(ExitCode::Refused));
    EXPECT_NE(refused.err.find("F1Tone2[0] = \"9999\""), std::string::npos) << refused.err;
    EXPECT_EQ(entries().size(), 1u) << "a failed check is not kept";

    // An entry for the bad roster made from the good one's: believed only
    // when whole and of this program version. Believed, the bad roster's good
    // row goes through; else the check runs again and refuses the roster.
    const std::string badSha = BytesSha256(badText);
    const auto forged = [&](std::string text) {
        for (auto at = text.find(rosterSha); at != std::string::npos; at = text.find(rosterSha))
            text.replace(at, rosterSha.size(), badSha);
        return text;
    };
    std::string name = kept[0].filename().string();
    name.replace(name.find(rosterSha), rosterSha.size(), badSha);
    const std::string other = std::string(entry).replace(entry.find("program ") + 8, 1, "0");
    const struct {
        std::string text;
        int code;
    } cases[] = {{forged(entry), 0},
                 {forged(entry.substr(0, entry.size() - 7)), toInt(ExitCode::Refused)},
                 {forged(entry) + "passed\n", toInt(ExitCode::Refused)},
                 {forged(other), toInt(ExitCode::Refused)},
                 {entry, toInt(ExitCode::Refused)},
                 {std::string(200, '\0'), toInt(ExitCode::Refused)}};
    for (const auto& c : cases) {
        std::ofstream(cacheFolder_ / name, std::ios::binary | std::ios::trunc) << c.text;
        const auto result = single(bad, "ZX0000000002");
        EXPECT_EQ(result.code, c.code) << c.text << result.err;
    }

    // A damaged entry of the good roster is ignored, and written afresh.
    write("fleet.csv", kRoster);
    std::ofstream(kept[0], std::ios::binary | std::ios::trunc) << "km640 roster check\nprog";
    EXPECT_EQ(single(roster_, "ZX0000000003").code, 0);
    std::ifstream rewritten(kept[0], std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(rewritten), {}), entry);
}

TEST_F(CliRoster, WriteSetChangesWhatIsSentNotTheFile) {
    const CodePlugImage before = load(line_);
    const auto written = run({"write", "--port", port(), line_, "--no-clock", "--set", "LogoLine1=Bench 9", "--set",
                              "F1Tone2[0]=1251.4"});
    ASSERT_EQ(written.code, 0) << written.err;
    EXPECT_EQ(shown(board_->memory(), "LogoLine1"), "\"Bench 9\"");
    EXPECT_EQ(shown(board_->memory(), "F1Tone2[0]"), "1251.4");
    EXPECT_EQ(load(line_).bytes(), before.bytes()) << "the file stays as it is";

    const int writes = board_->writeCount();
    const auto refused = run({"write", "--port", port(), line_, "--set", "F1Tone1[0]=9999"});
    EXPECT_EQ(refused.code, toInt(ExitCode::Refused));
    EXPECT_NE(refused.err.find("F1Tone1[0]=9999"), std::string::npos) << refused.err;
    EXPECT_EQ(board_->writeCount(), writes);
    EXPECT_EQ(run({"write", "--port", port(), line_, "--set", "LogoLine1"}).code, toInt(ExitCode::Usage));
}

}  // namespace
