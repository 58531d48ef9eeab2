#pragma once
// A read's records as rows: one per record, one per field, one per series,
// every field taken from the record's field table.
#include <cstdint>

#include "archive/sqlite_db.h"
#include <travimo/control/read_results.h>

namespace travimo::archive {

void WriteRecords(Connection& db, int64_t readId, const ReadResults& results);
// Fills the collection of results.kind; the other fields of results are the caller's.
void ReadRecords(Connection& db, int64_t readId, ReadResults& results);

}  // namespace travimo::archive
