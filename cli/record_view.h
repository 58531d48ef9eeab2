#pragma once
// One record as the writers see it, whatever its instrument: its place, its
// header fields by their property names, and its data series.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/results.h"
#include "model/field_table.h"
#include "model/single_array.h"

namespace travimo::cli {

// The header fields of the record's table (never a series), plus the Lorvex
// scan's "TypeLetter" first.
struct Field {
  std::string name;
  FieldValue value;
};

struct NamedSeries {
  std::string name;  // the record's data property: "ScanData", "TempData", ...
  SingleArray data;
};

struct RecordView {
  int32_t position = 0;  // 1-based place in the collection
  std::vector<Field> fields;
  std::vector<NamedSeries> series;

  // Null when the record has no such field.
  const FieldValue* Find(const std::string& name) const;
};

std::vector<RecordView> ViewsOf(const ReadResults& results);

// Text forms shared by the writers.
std::string FormatFloat(float value);  // shortest text that reads back as the same float
std::string FormatField(const FieldValue& value);  // texts as UTF-8
// Instrument texts are bytes, one character each; shown as the Latin-1 characters.
std::string Latin1ToUtf8(std::string_view bytes);

}  // namespace travimo::cli
