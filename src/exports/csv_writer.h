#pragma once
// Records as CSV, the one CSV writer of the tool and its hosts.
//
// Long layout: one row per point, each carrying its record's identity, the
// series' quantity and unit, and the record's other header fields:
//   instrument,record,scan_number,type_letter,measurement_number,id_code,
//   date_time,series,index,value,quantity,unit,<header fields by property name>
// Wide layout, for spreadsheets: a block of rows naming each column's
// instrument, record, series, quantity, unit, type letter or measurement
// number, date/time and ID code, then one row per point index.
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include <travimo/control/read_results.h>

namespace travimo::exports {

enum class CsvLayout { Long, Wide };

struct CsvOptions {
  CsvLayout layout = CsvLayout::Long;
  char delimiter = ',';
};

// ",", ";", "|", or a tab as "tab" or "\t"; nullopt for anything else.
std::optional<char> DelimiterFromText(std::string_view text);
std::optional<CsvLayout> LayoutFromName(std::string_view name);

void WriteCsv(const ReadResults& results, const CsvOptions& options, std::ostream& out);

// A field quoted when it holds the delimiter, a quote, a line break or edge blanks.
std::string CsvField(std::string_view text, char delimiter = ',');

}  // namespace travimo::exports
