// What a fleet roster costs before the first pager: reading a roster of
// 10,000 pagers (each with its own two-tone address, address name and logo
// line), checking every row against the line's code-plug as `km640-cli
// roster check` does, and applying one row and normalising, as production
// does for each scanned pager. Targets: the whole check in under 2 s, one
// row well under a millisecond.
//
//   build/bench/roster_bench [ROWS]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "codeplug/MemoryMap.h"
#include "fieldtext/CodePlugText.h"
#include "fieldtext/FieldValue.h"
#include "fieldtext/Roster.h"
#include "selcall/ToneCoding.h"
#include "selcall/TonePlan.h"
#include "settings/CodePlugNormalisation.h"

using namespace km640;
using namespace km640::fieldtext;
using Clock = std::chrono::steady_clock;

namespace {

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// A roster of `rows` pagers, each with an individual address no other pager
// has: pairs of tones of the standard plan the line's tone rules accept.
std::string makeRoster(int rows, const CodePlugImage& line) {
    const auto plan = standardTonePlan();
    std::string csv = "serial,F1Tone1[0],F1Tone2[0],F1AddrName[0],LogoLine1\n";
    int made = 0;
    std::set<std::string> addresses;
    for (std::size_t a = 0; a < plan.size() && made < rows; ++a) {
        for (std::size_t b = 0; b < plan.size() && made < rows; ++b) {
            if (a == b) continue;
            const std::string tone1 = formatTone(plan[a]);
            const std::string tone2 = formatTone(plan[b]);
            auto probe = line;
            if (setFieldFromText(probe, "F1Tone1[0]", tone1) || setFieldFromText(probe, "F1Tone2[0]", tone2)) continue;
            // Two plan tones may be stored as one: each pager's address must differ as stored.
            const std::string stored = fieldValueText(probe, memmap::field("F1Tone1[0]")) + " " +
                                       fieldValueText(probe, memmap::field("F1Tone2[0]"));
            if (!addresses.insert(stored).second) continue;
            char serial[24];
            std::snprintf(serial, sizeof serial, "FLEET%07d", made);
            csv += std::string(serial) + "," + tone1 + "," + tone2 + ",Unit " + std::to_string(made) + ",Crew " +
                   std::to_string(made % 97) + "\n";
            ++made;
        }
    }
    if (made < rows) std::fprintf(stderr, "only %d distinct addresses could be made\n", made);
    return csv;
}

}  // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const CodePlugImage line = ProgrammedDefaultImage();
    const std::string csv = makeRoster(rows, line);

    auto start = Clock::now();
    const auto read = readRoster(csv, [](const std::string&) { return std::string(); });
    const double readSeconds = secondsSince(start);
    if (!read.problems.empty()) {
        std::fprintf(stderr, "%s\n", problemLine(read.problems.front()).c_str());
        return 1;
    }

    start = Clock::now();
    const auto problems = checkRoster(read.roster, line);
    const double checkSeconds = secondsSince(start);
    if (!problems.empty()) std::fprintf(stderr, "first problem: %s\n", problemLine(problems.front()).c_str());

    // One row as a production station applies it for a scanned pager.
    const int samples = std::min<int>(1000, static_cast<int>(read.roster.rows.size()));
    start = Clock::now();
    for (int i = 0; i < samples; ++i) (void)applyRosterRow(read.roster, read.roster.rows[static_cast<std::size_t>(i)], line);
    const double perRow = secondsSince(start) / samples;

    const auto n = read.roster.rows.size();
    std::printf("Roster of %zu pagers (%zu bytes)\n", n, csv.size());
    std::printf("  read:                 %8.3f s\n", readSeconds);
    std::printf("  roster check:         %8.3f s  (target: under 2 s) %s, %zu problems\n", checkSeconds,
                checkSeconds < 2.0 ? "met" : "NOT met", problems.size());
    std::printf("  one row + normalise:  %8.1f us (target: well under 1 ms)\n", perRow * 1e6);
    return 0;
}
