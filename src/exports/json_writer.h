#pragma once
// Records as one JSON document:
//   {"metadata": {program, version, instrument, quantity, unit, series,
//                 settings, device, readTime, archiveEntry},
//    "instrument", "dataType" and "tempUnits" (Lorvex), "count",
//    "records": [{"record": n, every header field, each series as
//                 {"lower", "values", "quantity", "unit"}}]}
// Members the metadata does not know are left out.
#include <ostream>

#include <travimo/control/read_results.h>
#include "exports/export_metadata.h"

namespace travimo::exports {

void WriteJson(const ReadResults& results, const ExportMetadata& metadata, std::ostream& out);

}  // namespace travimo::exports
