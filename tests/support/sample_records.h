#pragma once
// Records for round trips: every field away from its initial value, and
// printing as JSON so a failed comparison shows the fields.
#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include "formats/record_json.h"

namespace travimo {

inline void PrintTo(const CLorvexCls& record, std::ostream* out) { *out << RecordToJson(record); }
inline void PrintTo(const COstrelCls& record, std::ostream* out) { *out << RecordToJson(record); }
inline void PrintTo(const CBrevaneCls& record, std::ostream* out) { *out << RecordToJson(record); }

namespace testing {

// Every field set away from its initial value, with the values that are hard
// to keep: code-page bytes, non-finite floats, a lower bound other than 0.
// A different seed gives different values.
template <class Record>
Record Filled(int seed = 0) {
  Record record;
  int n = seed;
  for (const auto& field : FieldTable<Record>()) {
    ++n;
    switch (field.Kind()) {
      case FieldKind::Text:
        field.Set(record, "\xB1" + std::to_string(n) + " \"caf\xC3\xA9\"");
        break;
      case FieldKind::Long:
        field.Set(record, int32_t{-70000 - n});
        break;
      case FieldKind::Single:
        field.Set(record, 0.1f * static_cast<float>(n));
        break;
      case FieldKind::Date:
        field.Set(record, Date::FromCalendar(2024, 2, 29, 13, 45, n));
        break;
      case FieldKind::Series: {
        auto series = std::make_shared<CScanDataCls>();
        series->ScanData(SingleArray(
            n, {std::nanf(""), std::numeric_limits<float>::infinity(), -0.1f, 3e38f}));
        field.Set(record, series);
        break;
      }
    }
  }
  return record;
}

}  // namespace testing
}  // namespace travimo
