#pragma once
// One record as the writers see it, whatever its instrument: its place, its
// header fields by their property names, and its data series with what they
// measure.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <travimo/control/read_results.h>
#include <travimo/model/field_table.h>
#include <travimo/model/single_array.h>

namespace travimo::exports {

// The header fields of the record's table (never a series), plus the Lorvex
// scan's "TypeLetter" first.
struct Field {
  std::string name;
  FieldValue value;
};

struct NamedSeries {
  std::string name;      // the record's data property: "ScanData", "TempData", ...
  std::string quantity;  // "moisture", "temperature", "burst", or the series name
  std::string unit;      // UTF-8; empty when the transfer does not say
  SingleArray data;
};

struct RecordView {
  int32_t position = 0;  // 1-based place in the collection
  std::vector<Field> fields;
  std::vector<NamedSeries> series;

  // Null when the record has no such field.
  const FieldValue* Find(std::string_view name) const;
  // Null when the record has no such series.
  const NamedSeries* FindSeries(std::string_view name) const;
};

std::vector<RecordView> ViewsOf(const ReadResults& results);
// The names of the header fields every view of that kind has, in their order.
std::vector<std::string> HeaderFieldNames(TransferKind kind);

// The quantity and unit of a Lorvex scan's values, as the parse scaled them.
std::string LorvexQuantity(int32_t dataType);
std::string LorvexUnit(int32_t dataType, int32_t tempUnits);

// Text forms shared by the writers.
std::string FormatFloat(float value);  // shortest text that reads back as the same float
std::string FormatField(const FieldValue& value);  // texts as UTF-8
// Instrument texts are bytes, one character each; shown as the Latin-1 characters.
std::string Latin1ToUtf8(std::string_view bytes);
// "Moisture", "Temperature", "Burst", or the number for an unknown value.
std::string DataTypeName(int32_t dataType);
std::string TempUnitsName(int32_t tempUnits);

}  // namespace travimo::exports
