// The exit code of production --serial-from-stdin over all its pagers.

#include <gtest/gtest.h>

#include <vector>

#include "cli/RunExitCode.h"

using namespace km640::cli;

TEST(RunExitCode, RuleOverAllPagers) {
    using E = ExitCode;
    const struct {
        std::vector<E> pagers;
        E run;
    } cases[] = {
        {{}, E::Success},
        {{E::Success, E::Success}, E::Success},
        {{E::RepeatRefused, E::Success}, E::RepeatRefused},
        // A refusal hides neither a failure nor a lost log line or row.
        {{E::RepeatRefused, E::WriteFail}, E::WriteFail},
        {{E::RepeatRefused, E::RecordLost}, E::RecordLost},
        {{E::RepeatRefused, E::Success, E::LogLineLost}, E::LogLineLost},
        // The first failure, unless a pager's log line or row was lost.
        {{E::NoBoard, E::WriteFail}, E::NoBoard},
        {{E::VerifyFail, E::RecordLost, E::LogLineLost}, E::RecordLost},
        {{E::Success, E::LogNotOpened, E::RepeatRefused}, E::LogNotOpened},
        {{E::Interrupted}, E::Interrupted},
        // A label not in the roster is a refusal too: the first refusal counts.
        {{E::NotInRoster, E::WriteFail}, E::WriteFail},
        {{E::NotInRoster, E::RepeatRefused}, E::NotInRoster},
    };
    for (const auto& c : cases) EXPECT_EQ(runExitCode(c.pagers), c.run) << ::testing::PrintToString(c.pagers);
}
