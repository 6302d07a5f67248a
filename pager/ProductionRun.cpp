#include "pager/ProductionRun.h"

#include "codeplug/CodePlugImage.h"
#include "pager/ProductionLog.h"

#include <cstdio>
#include <random>

namespace km640 {

namespace {

std::string firmwareText(const std::optional<std::array<std::uint8_t, 3>>& firmware) {
    if (!firmware) return {};
    return std::to_string((*firmware)[0]) + "." + std::to_string((*firmware)[1]) + "." +
           std::to_string((*firmware)[2]);
}

// A claim's token: random, so that no other claim has it.
std::string claimToken() {
    std::random_device random;
    char text[33];
    for (int i = 0; i < 4; ++i) std::snprintf(text + 8 * i, 9, "%08x", static_cast<unsigned>(random()));
    return text;
}

}  // namespace

RunStart ProductionRun::startOf(const std::string& serial, const RunDescription& description) const {
    const RunTime now = clock_.now();
    return {UtcText(now),           LocalText(now),
            description.station,    description.port,
            TrimmedText(serial),    ProgramVersionText(),
            description.codePlugSha256, description.codePlugFile,
            description.roster,     claimToken()};
}

ProductionReport ProductionRun::refuseNotInRoster(const std::string& serial, const RunDescription& description) {
    ProductionReport report;
    const RunStart start = startOf(serial, description);
    report.kind = ProductionReport::Kind::NotInRoster;
    report.startedLocal = start.startedLocal;
    report.outcome = kNotInRosterOutcome;
    if (!record_.recordNotInRoster(start)) report.recordError = record_.error();
    return report;
}

ProductionReport ProductionRun::run(const std::string& serial, const std::string& logFolder,
                                    const RunDescription& description, RepeatPolicy policy,
                                    const std::function<bool(const EarlierRun&)>& askRepeat) {
    ProductionReport report;
    // A second scan while a run is going on is not a run of its own.
    if (operations_.busy()) {
        report.kind = ProductionReport::Kind::Finished;
        report.production.run = {Outcome::Busy, {}};
        return report;
    }
    const std::int64_t startMs = clock_.steadyMs();
    const RunStart start = startOf(serial, description);
    report.startedLocal = start.startedLocal;

    bool allowRepeat = policy == RepeatPolicy::Allow;
    if (policy == RepeatPolicy::Ask) {
        // The question is asked outside the claim's transaction: no station
        // waits for an operator to answer.
        const auto earlier = record_.earlierRun(start.serial);
        // A record that stopped answering during the look is not asked
        // again for the claim: the line hears of it at once.
        if (!earlier && !record_.isOpen()) {
            report.recordError = record_.error();
            return report;
        }
        if (earlier) {
            report.earlier = earlier;
            if (!askRepeat || !askRepeat(*earlier)) {
                report.kind = ProductionReport::Kind::Refused;
                report.declined = true;
                if (!record_.recordRefusal(start, *earlier)) report.recordError = record_.error();
                return report;
            }
            allowRepeat = true;
        }
    }
    const Claim claim = record_.claim(start, allowRepeat);
    report.earlier = claim.earlier;
    if (claim.kind == Claim::Kind::Failed) {
        report.recordError = claim.error;
        return report;
    }
    if (claim.kind == Claim::Kind::Refused) {
        report.kind = ProductionReport::Kind::Refused;
        return report;
    }

    report.kind = ProductionReport::Kind::Finished;
    report.production = operations_.ProductionWrite(serial, logFolder);
    // Written and read back: the pager holds the code-plug, even when its
    // line did not reach the day's log.
    report.programmed = report.production.run.ok();
    report.outcome = TrimmedText(report.production.run.text);
    report.firmware = firmwareText(operations_.firmwareRead());
    report.durationMs = clock_.steadyMs() - startMs;
    const RunEnd end{report.programmed ? RunState::Programmed : RunState::Failed, report.outcome, report.firmware,
                     report.durationMs};
    const Completion completion = record_.finish(claim.runId, end);
    if (completion.abandoned) {
        // The run stays abandoned; the station says so, and so does the
        // day's log under the pager's line, for whoever checks the pager.
        report.settledMeanwhile = true;
        report.recordError = SettledMeanwhileText(*completion.abandoned, report.programmed);
        if (report.production.log == ProductionLogOutcome::LineWritten) {
            const LogStep noted = operations_.NoteInProductionLog(serial, logFolder, report.recordError);
            if (!noted.ok) report.recordError += " (the day's log could not take this: " + noted.reason + ")";
        }
    } else if (!completion)
        report.recordError = record_.error();
    return report;
}

}  // namespace km640
