#pragma once
// `records`: the production record's runs for the quality department, as a
// table, as RFC 4180 CSV, or counted per day and outcome.

#include "cli/CliArguments.h"
#include "cli/CliRunner.h"
#include "record/ProductionRecord.h"
#include "record/RecordListing.h"
#include "record/RecordUrl.h"

namespace km640::cli {

int runRecords(const CliArguments& arguments, CliContext& context);

// The record --record or KM640_RECORD names, else this PC's default record
// (see ChooseRecord); the error names where a bad URL came from. A record
// found at the earlier default place is said on standard error, with where
// to move it.
RecordChoice chosenRecord(const CliArguments& arguments, const CliContext& context);

// Sets the record's limit per call (KM640_RECORD_LIMIT) and the station;
// false, with the reason on standard error, when the limit is not a number.
bool prepareRecord(ProductionRecord& record, const CliArguments& arguments, CliContext& context);

// --csv-separator and --bom.
CsvStyle csvStyle(const CliArguments& arguments);

// Opens the chosen record to be read: never creates one where there is
// none. False, with the reason on standard error, when it cannot be read.
bool openRecordToRead(const CliArguments& arguments, CliContext& context, ProductionRecord& record);

}  // namespace km640::cli
