#pragma once
// A production run with its record, as the window and km640-cli both run
// it: the serial number is claimed in the production record before anything
// goes to the board (refused when the record shows it programmed before,
// unless a repeat is allowed), the pager is written by the production write
// with its day's log, and the run's row is completed with the outcome, the
// firmware version read and the duration.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "pager/PagerOperations.h"
#include "record/ProductionRecord.h"
#include "record/RunTime.h"

namespace km640 {

// What is recorded about where a run happened and what went in.
struct RunDescription {
    std::string station;
    std::string port;
    std::string codePlugFile;
    std::string codePlugSha256;
    RosterRun roster;  // a fleet's pager: its roster, row and own code-plug
};

// A serial number that the record shows programmed before (or still being
// programmed): Refuse it, Allow it as a repeat, or Ask the operator.
enum class RepeatPolicy { Refuse, Allow, Ask };

struct ProductionReport {
    enum class Kind {
        Finished,           // the production write ran; production.run says how it went
        Refused,            // programmed before; nothing was sent to the board
        RecordUnavailable,  // the record could not be used; nothing was sent to the board
        NotInRoster,        // the label is not in the fleet's roster; nothing was sent to the board
    };
    Kind kind = Kind::RecordUnavailable;
    // Finished: the production write (its own outcome in run) with its day's log
    ProductionResult production;
    bool programmed = false;  // the pager holds the code-plug now
    std::string outcome;      // as recorded: "Write Success !", "Verify Fail !", ...
    std::string firmware;     // "1.2.10"; empty when not read
    std::optional<EarlierRun> earlier;  // Refused, or the run this one repeats
    bool declined = false;    // Refused because the operator answered No
    std::string startedLocal;
    std::int64_t durationMs = 0;
    // RecordUnavailable; or Finished, but the run's row could not be
    // completed, so the record does not show this pager's outcome.
    std::string recordError;
    // Finished, but the run had been settled as abandoned by another
    // station meanwhile: recordError says by whom and when, and the day's
    // log has it under the pager's line.
    bool settledMeanwhile = false;
    bool recordLost() const { return kind == Kind::Finished && !recordError.empty(); }
};

class ProductionRun {
public:
    ProductionRun(PagerOperations& operations, ProductionRecord& record, RecordClock& clock)
        : operations_(operations), record_(record), clock_(clock) {}

    // askRepeat answers Ask: true programs the pager again.
    ProductionReport run(const std::string& serial, const std::string& logFolder, const RunDescription& description,
                         RepeatPolicy policy, const std::function<bool(const EarlierRun&)>& askRepeat = {});

    // A label the fleet's roster does not list: the refusal is recorded
    // (recordError when it could not be) and nothing goes to the board.
    ProductionReport refuseNotInRoster(const std::string& serial, const RunDescription& description);

private:
    RunStart startOf(const std::string& serial, const RunDescription& description) const;

    PagerOperations& operations_;
    ProductionRecord& record_;
    RecordClock& clock_;
};

}  // namespace km640
