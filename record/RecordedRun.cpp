#include "record/RecordedRun.h"

#include "record/RunTime.h"

namespace km640 {

namespace {
constexpr struct {
    RunState state;
    const char* name;
} kStateNames[] = {
    {RunState::Running, "running"},
    {RunState::Programmed, "programmed"},
    {RunState::Failed, "failed"},
    {RunState::Refused, "refused"},
    {RunState::Abandoned, "abandoned"},
};
}  // namespace

const char* RunStateName(RunState state) {
    for (const auto& s : kStateNames)
        if (s.state == state) return s.name;
    return "running";
}

std::string EarlierRunText(const std::string& serial, const EarlierRun& earlier) {
    const std::string when = ShownLocalText(earlier.startedLocal);
    const std::string where = " at station " + earlier.station + " (port " + earlier.port + ")";
    if (earlier.unfinished)
        return serial + " is still being programmed" + where + " since " + when;
    return serial + " was programmed on " + when + where;
}

std::optional<RunState> RunStateFromName(const std::string& name) {
    for (const auto& s : kStateNames)
        if (name == s.name) return s.state;
    return std::nullopt;
}

std::string SettledMeanwhileText(const RecordedRun& run, bool programmed) {
    return "this run was settled as abandoned by " + run.abandonedBy + " at " + run.abandonedUtc +
           (programmed ? "; the pager was programmed: check it" : "; the pager was not programmed");
}

}  // namespace km640
